// SPDX-License-Identifier: GPL-3.0-or-later
#include "files/workbook.h"

#include <xlsxwriter.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <string>

#include "files/csv_table.h"
#include "files/memory_file.h"
#include "files/text_table.h"
#include "files/windows1252.h"
#include "files/workbook_check.h"
#include "files/workbook_hold_sheet.h"
#include "link/units.h"

namespace pv {
namespace {

constexpr double kUnixEpochSerial = 25569.0;  // 1970-01-01 in the spreadsheet's day count
constexpr double kSecondsPerDay = 86400.0;
constexpr int kMaxDecimals = 5;  // a six-character reading holds at most five

enum Column : lxw_col_t { kNo, kTime, kValue, kUnit, kReading };

struct ColumnLook {
  const char* title;
  double width;
};
constexpr std::array<ColumnLook, 5> kColumns{{
    {"No", 7}, {"Time", 10}, {"Value", 10}, {"Unit", 7}, {"Reading", 12}}};

// The chart stands beside the table, one empty column between, level with the first sample.
constexpr lxw_row_t kChartRow = 1;
constexpr lxw_col_t kChartColumn = kReading + 2;
constexpr int kTimeLabels = 8;

double SerialTime(const SampleRow& r) {
  return static_cast<double>(r.localSeconds) / kSecondsPerDay + (r.dated ? kUnixEpochSerial : 0.0);
}

// XML cannot hold control characters; a damaged file's reading texts may.
std::string CellText(std::string_view windows1252) {
  std::string utf8 = Windows1252ToUtf8(windows1252);
  for (char& c : utf8)
    if (static_cast<unsigned char>(c) < 0x20) c = '?';
  return utf8;
}

// The decimal the reading shows: the value rounded to its unit's resolution, so that the
// cell holds 4.423 and not the float's 4.4229998588562.
double ShownValue(const SampleRow& r) {
  if (!IsUnitCode(r.unitCode)) return static_cast<double>(r.value);
  const double steps = kUnits[static_cast<std::size_t>(r.unitCode)].resolution;
  return std::round(static_cast<double>(r.value) * steps) / steps;
}

int DecimalsOf(std::string_view reading) {
  const auto dot = reading.find('.');
  if (dot == std::string_view::npos) return 0;
  int n = 0;
  for (std::size_t i = dot + 1; i < reading.size() && n < kMaxDecimals; ++i, ++n)
    if (reading[i] < '0' || reading[i] > '9') break;
  return n;
}

struct Formats {
  lxw_format* header;
  lxw_format* time;
  std::array<lxw_format*, kMaxDecimals + 1> decimals;  // "0", "0.0", ... as the reading shows
};

Formats AddFormats(lxw_workbook* book) {
  Formats f{};
  f.header = workbook_add_format(book);
  format_set_bold(f.header);
  format_set_bottom(f.header, LXW_BORDER_THIN);
  f.time = workbook_add_format(book);
  format_set_num_format(f.time, "hh:mm:ss");
  std::string pattern = "0";
  for (int d = 0; d <= kMaxDecimals; ++d) {
    f.decimals[d] = workbook_add_format(book);
    format_set_num_format(f.decimals[d], pattern.c_str());
    pattern += d == 0 ? ".0" : "0";
  }
  return f;
}

// The rows in order, as the constant-memory mode needs them. Returns the units met, in
// order, for the chart's value axis, and the first error libxlsxwriter reported.
lxw_error WriteRows(lxw_worksheet* sheet, const Formats& f, const SampleRows& rows,
                    std::vector<std::string>& units) {
  lxw_error first = LXW_NO_ERROR;
  const auto keep = [&](lxw_error e) {
    if (first == LXW_NO_ERROR) first = e;
  };
  for (lxw_col_t c = 0; c < kColumns.size(); ++c) {
    keep(worksheet_set_column(sheet, c, c, kColumns[c].width, nullptr));
    keep(worksheet_write_string(sheet, 0, c, kColumns[c].title, f.header));
  }
  const int n = rows.size();
  for (int i = 0; i < n; ++i) {
    const SampleRow r = rows.row(i);
    const auto row = static_cast<lxw_row_t>(i + 1);
    const std::string reading = CellText(DataText(r, DataStyle::TextTable));
    const std::string unit = UnitText(r);
    keep(worksheet_write_number(sheet, row, kNo, i + 1, nullptr));
    keep(worksheet_write_number(sheet, row, kTime, SerialTime(r), f.time));
    if (r.errorKind == 0 && std::isfinite(r.value))
      keep(worksheet_write_number(sheet, row, kValue, ShownValue(r), f.decimals[DecimalsOf(reading)]));
    if (!unit.empty()) {
      keep(worksheet_write_string(sheet, row, kUnit, unit.c_str(), nullptr));
      if (std::find(units.begin(), units.end(), unit) == units.end()) units.push_back(unit);
    }
    keep(worksheet_write_string(sheet, row, kReading, reading.c_str(), nullptr));
  }
  return first;
}

std::string Joined(const std::vector<std::string>& units) {
  std::string out;
  for (const std::string& unit : units) out += (out.empty() ? "" : ", ") + unit;
  return out;
}

void AddChart(lxw_workbook* book, lxw_worksheet* sheet, int n, const std::vector<std::string>& units) {
  lxw_chart* chart = workbook_add_chart(book, LXW_CHART_LINE);
  lxw_chart_series* series = chart ? chart_add_series(chart, nullptr, nullptr) : nullptr;
  if (!series) return;  // out of memory: the table alone
  const std::string sheetName(kWorkbookSheet);
  const auto last = static_cast<lxw_row_t>(n);
  chart_series_set_categories(series, sheetName.c_str(), 1, kTime, last, kTime);
  chart_series_set_values(series, sheetName.c_str(), 1, kValue, last, kValue);
  chart_series_set_name(series, kColumns[kValue].title);
  chart_series_set_marker_type(series, LXW_CHART_MARKER_NONE);
  lxw_chart_line line{};
  line.color = 0x1F4E9A;
  line.width = 1.0f;
  chart_series_set_line(series, &line);
  chart_title_set_name(chart, std::string(kWorkbookChartTitle).c_str());
  chart_legend_set_position(chart, LXW_CHART_LEGEND_NONE);
  chart_axis_set_name(chart->x_axis, kColumns[kTime].title);
  chart_axis_set_num_format(chart->x_axis, "hh:mm:ss");
  // A label for every sample would overlap: about eight along the axis.
  const auto every = static_cast<std::uint16_t>(std::clamp((n + kTimeLabels - 1) / kTimeLabels, 1, 0xFFFF));
  chart_axis_set_interval_unit(chart->x_axis, every);
  chart_axis_set_interval_tick(chart->x_axis, every);
  lxw_chart_font slanted{};
  slanted.rotation = -45;
  chart_axis_set_num_font(chart->x_axis, &slanted);
  chart_axis_set_name(chart->y_axis, Joined(units).c_str());
  lxw_chart_options place{};
  place.x_scale = 1.6;
  place.y_scale = 1.5;
  worksheet_insert_chart_opt(sheet, kChartRow, kChartColumn, chart, &place);
}

// "Pressure run 2025-03-14 10:22:05", or with the time alone when the run has no date.
std::string DocumentTitle(const SampleRows& rows) {
  if (rows.size() == 0) return "Pressure run";
  std::string start = IsoLocalTime(rows.row(0));
  if (const auto t = start.find('T'); t != std::string::npos) start[t] = ' ';
  return "Pressure run " + start;
}

FileError Failed(const char* what, const std::string& reason) {
  return FileError{std::string(what) + ": " + reason};
}

}  // namespace

FileResult<std::vector<std::uint8_t>> BuildWorkbook(const SampleRows& rows, std::time_t runStart,
                                                    const std::string& scratchFolder,
                                                    const HoldTestFile* holdTest) {
  const MemoryFile file("pneuvista-workbook");
  if (!file.ok()) return Failed("cannot build the workbook", std::strerror(errno));
  lxw_workbook_options options{};
  // Rows go straight to a temporary file instead of a tree of cells: a third faster
  // and a fraction of the memory for a full run.
  options.constant_memory = LXW_TRUE;
  // The library packs every part through an unnamed temporary file, and does not notice
  // when writing one fails: they go where the workbook goes, never into a /tmp that may
  // be full, and the parts are checked below.
  std::string scratch = scratchFolder;
  if (!scratch.empty()) options.tmpdir = scratch.data();
  lxw_workbook* book = workbook_new_opt(file.path().c_str(), &options);
  if (!book) return Failed("cannot build the workbook", "out of memory");

  std::string title = DocumentTitle(rows);
  lxw_doc_properties properties{};
  properties.title = title.data();  // copied by the library
  properties.created = runStart;
  workbook_set_properties(book, &properties);

  lxw_worksheet* sheet = workbook_add_worksheet(book, std::string(kWorkbookSheet).c_str());
  const Formats formats = AddFormats(book);
  std::vector<std::string> units;
  lxw_error error = sheet ? WriteRows(sheet, formats, rows, units) : LXW_ERROR_MEMORY_MALLOC_FAILED;
  if (sheet) worksheet_freeze_panes(sheet, 1, 0);
  if (sheet && rows.size() > 0) AddChart(book, sheet, rows.size(), units);
  if (holdTest && error == LXW_NO_ERROR) error = AddHoldTestSheet(book, *holdTest);
  // Closing frees the workbook whatever happened before.
  const lxw_error closed = workbook_close(book);
  if (error == LXW_NO_ERROR) error = closed;
  if (error != LXW_NO_ERROR) return Failed("cannot build the workbook", lxw_strerror(error));

  std::vector<std::uint8_t> bytes;
  if (!file.read(bytes)) return Failed("cannot build the workbook", std::strerror(errno));
  if (const auto broken = IncompleteWorkbookPart(bytes))
    return Failed("cannot build the workbook", "its part " + *broken + " was cut short (is the disk full?)");
  return bytes;
}

}  // namespace pv
