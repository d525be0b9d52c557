// SPDX-License-Identifier: GPL-3.0-or-later
#include "files/workbook_hold_sheet.h"

#include <algorithm>
#include <cmath>
#include <optional>
#include <string>

#include "holdtest/hold_page.h"

namespace pv {
namespace {

constexpr int kMostDecimals = 6;

// A number shown with `decimals` and the unit after it, the cell still a plain number.
lxw_format* NumberFormat(lxw_workbook* book, int decimals, const std::string& unit) {
  const int d = std::clamp(decimals, 0, kMostDecimals);
  std::string pattern = d == 0 ? "0" : "0." + std::string(static_cast<std::size_t>(d), '0');
  std::string quoted;
  for (char c : unit)
    if (c != '"' && c != '\\') quoted += c;
  if (!quoted.empty()) pattern += "\" " + quoted + "\"";
  lxw_format* f = workbook_add_format(book);
  format_set_num_format(f, pattern.c_str());
  return f;
}

// The sheet is written row by row (the workbook keeps rows in constant memory), so a
// writer keeps the next row and the first error.
class SheetWriter {
 public:
  SheetWriter(lxw_workbook* book, lxw_worksheet* sheet, const HoldResult& result) : sheet_(sheet) {
    bold_ = workbook_add_format(book);
    format_set_bold(bold_);
    title_ = workbook_add_format(book);
    format_set_bold(title_);
    format_set_font_size(title_, 14);
    percent_ = NumberFormat(book, 2, "");
    amount_ = NumberFormat(book, result.decimals, result.unit);
    rate_ = NumberFormat(book, result.decimals + 1, result.unit.empty() ? "" : result.unit + "/min");
  }

  lxw_format* bold() const { return bold_; }
  lxw_format* amount() const { return amount_; }
  lxw_format* rate() const { return rate_; }
  lxw_format* percent() const { return percent_; }
  lxw_error error() const { return error_; }

  void title(const char* text) { keep(worksheet_write_string(sheet_, row_++, 0, text, title_)); }
  void skip() { ++row_; }
  void text(lxw_col_t col, std::string_view s, lxw_format* f = nullptr) {
    if (!s.empty()) keep(worksheet_write_string(sheet_, row_, col, std::string(s).c_str(), f));
  }
  void number(lxw_col_t col, std::optional<double> v, lxw_format* f = nullptr) {
    // Differences of readings carry their floats' binary noise (0.3999999999999999);
    // nine decimals keep every digit a reading means.
    if (v && std::isfinite(*v))
      keep(worksheet_write_number(sheet_, row_, col, std::round(*v * 1e9) / 1e9, f));
  }
  void boolean(lxw_col_t col, bool v) { keep(worksheet_write_boolean(sheet_, row_, col, v, nullptr)); }
  void next() { ++row_; }
  void labelled(std::string_view label, std::string_view value) {
    text(0, label, bold_);
    text(1, value);
    next();
  }
  void labelled(std::string_view label, std::optional<double> value, lxw_format* f) {
    text(0, label, bold_);
    number(1, value, f);
    next();
  }

 private:
  void keep(lxw_error e) {
    if (error_ == LXW_NO_ERROR) error_ = e;
  }
  lxw_worksheet* sheet_;
  lxw_row_t row_ = 0;
  lxw_error error_ = LXW_NO_ERROR;
  lxw_format *bold_, *title_, *percent_, *amount_, *rate_;
};

void WriteRecord(SheetWriter& w, const HoldRecord& record) {
  for (const HoldRecordField& f : kHoldRecordFields) w.labelled(f.label, record.*f.field);
}

// Figures as numbers in the unit named beside them, times as the texts the test shows.
void WriteResult(SheetWriter& w, const HoldResult& r) {
  w.labelled("Result", HoldVerdictText(r));
  w.labelled("Window start", r.startTime);
  w.labelled("Window end", r.endTime);
  w.labelled("Seconds", r.seconds, nullptr);
  w.labelled("Samples", r.samples, nullptr);
  w.labelled("Error samples", r.errors, nullptr);
  w.labelled("Unit", r.unit);
  w.labelled("Start", r.start, w.amount());
  w.labelled("End", r.end, w.amount());
  w.labelled("Change", r.change, w.amount());
  w.labelled("Change %", r.changePercent, w.percent());
  w.labelled("Direction", DirectionName(r.direction));
  w.labelled("Rate per minute", r.ratePerMinute, w.rate());
  w.labelled("Allowed change", r.allowedAmount, w.amount());
  w.labelled("Allowed %", r.allowedPercent, w.percent());
  w.labelled("Minimum", r.minimum, w.amount());
  for (const std::string& reason : r.reasons) w.labelled("Reason", reason);
}

void WriteCheckpoints(SheetWriter& w, const HoldResult& r) {
  constexpr const char* heads[] = {"Checkpoint", "Time", "Seconds", "Value", "Change", "Steeper"};
  for (lxw_col_t c = 0; c < std::size(heads); ++c) w.text(c, heads[c], w.bold());
  w.next();
  for (std::size_t k = 0; k < r.checkpoints.size(); ++k) {
    const HoldCheckpoint& p = r.checkpoints[k];
    const bool read = p.sample >= 0;
    w.number(0, static_cast<double>(k + 1));
    w.text(1, p.time);
    w.number(2, p.seconds);
    w.number(3, read ? std::optional(p.value) : std::nullopt, w.amount());
    w.number(4, read ? std::optional(p.change) : std::nullopt, w.amount());
    w.boolean(5, p.steeper);
    w.next();
  }
}

}  // namespace

lxw_error AddHoldTestSheet(lxw_workbook* book, const HoldTestFile& test) {
  lxw_worksheet* sheet = workbook_add_worksheet(book, std::string(kWorkbookHoldSheet).c_str());
  if (!sheet) return LXW_ERROR_MEMORY_MALLOC_FAILED;
  worksheet_set_column(sheet, 0, 0, 22, nullptr);
  worksheet_set_column(sheet, 1, 1, 40, nullptr);
  worksheet_set_column(sheet, 2, 5, 12, nullptr);
  SheetWriter w(book, sheet, test.result);
  w.title(kHoldPageTitle);
  w.skip();
  WriteRecord(w, test.record);
  w.skip();
  WriteResult(w, test.result);
  w.skip();
  WriteCheckpoints(w, test.result);
  return w.error();
}

}  // namespace pv
