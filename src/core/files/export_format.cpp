// SPDX-License-Identifier: GPL-3.0-or-later
#include "files/export_format.h"

#include <algorithm>

#include "files/atomic_save.h"

namespace pv {
namespace {

const ExportFormatRow* RowByExtension(std::string_view path) {
  for (const ExportFormatRow& row : kExportFormats)
    if (HasExtension(path, row.extension)) return &row;
  return nullptr;
}

}  // namespace

std::string ExportFilters() {
  std::string out;
  for (const ExportFormatRow& row : kExportFormats) {
    if (!out.empty()) out += ";;";
    out += row.filter;
  }
  return out;
}

std::string ExportPath(std::string_view typed, std::string_view filter) {
  if (RowByExtension(typed)) return std::string(typed);
  const auto chosen = std::find_if(kExportFormats.begin(), kExportFormats.end(),
                                   [&](const ExportFormatRow& row) { return row.filter == filter; });
  return WithExtension(typed, (chosen != kExportFormats.end() ? *chosen : kExportFormats[0]).extension);
}

ExportFormat ExportFormatOf(std::string_view path) {
  const ExportFormatRow* row = RowByExtension(path);
  return (row ? *row : kExportFormats[0]).format;
}

}  // namespace pv
