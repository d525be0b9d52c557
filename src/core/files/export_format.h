// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The formats Export offers, one row each: the file dialog's filter, the file name's
// extension. The first row is the one a dialog starts with.
#include <array>
#include <string>
#include <string_view>

namespace pv {

enum class ExportFormat {
  Spreadsheet,  // ".xls", tab-separated text
  Workbook,     // ".xlsx"
  Csv,          // ".csv"
};

struct ExportFormatRow {
  ExportFormat format;
  std::string_view filter;
  std::string_view extension;
};

inline constexpr std::array<ExportFormatRow, 3> kExportFormats{{
    {ExportFormat::Spreadsheet, "Data File(*.xls)", ".xls"},
    {ExportFormat::Workbook, "Excel Workbook (*.xlsx)", ".xlsx"},
    {ExportFormat::Csv, "CSV (*.csv)", ".csv"},
}};

// The filters of the file dialog, separated by ";;".
std::string ExportFilters();

// The path to write for a name typed with a filter chosen: a name that ends with one of
// the export extensions (any letter case) keeps it, any other gets the filter's
// extension ("run" with the CSV filter -> "run.csv", "run.2025" -> "run.2025.csv",
// "run.XLSX" stays). An unknown filter counts as the first.
std::string ExportPath(std::string_view typed, std::string_view filter);

// The format a path is written in, by its extension; the first row's format when the
// path ends with none of them.
ExportFormat ExportFormatOf(std::string_view path);

}  // namespace pv
