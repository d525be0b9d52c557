// SPDX-License-Identifier: GPL-3.0-or-later
#include "files/workbook_hold_sheet.h"

#include <algorithm>
#include <cmath>
#include <optional>
#include <string>
#include <vector>

#include "files/sample_rows.h"
#include "holdtest/hold_page.h"
#include "holdtest/hold_text.h"
#include "text_format.h"

namespace pv {
namespace {

constexpr double kUnixEpochSerial = 25569.0;  // 1970-01-01 in the spreadsheet's day count
constexpr double kSecondsPerDay = 86400.0;
constexpr const char* kDateTimeFormat = "yyyy-mm-dd hh:mm:ss";
constexpr const char* kTimeFormat = "hh:mm:ss";
constexpr std::size_t kLongestUnitInFormat = 16;

// A cell's text as shown: escapes for what would act on a reader (controls, direction
// overrides) or that XML cannot hold (U+FFFE, U+FFFF, surrogates); line breaks kept.
std::string CellText(std::string_view typed) {
  const std::string shown = ShownText(typed, true);
  std::string out;
  out.reserve(shown.size());
  for (std::size_t i = 0; i < shown.size(); ++i) {
    const auto b = static_cast<unsigned char>(shown[i]);
    const auto next = i + 1 < shown.size() ? static_cast<unsigned char>(shown[i + 1]) : 0;
    const auto third = i + 2 < shown.size() ? static_cast<unsigned char>(shown[i + 2]) : 0;
    const bool nonCharacter = b == 0xEF && next == 0xBF && (third == 0xBE || third == 0xBF);
    const bool surrogate = b == 0xED && next >= 0xA0 && next <= 0xBF;
    if (nonCharacter || surrogate) {
      out += Format("\\x%02x\\x%02x\\x%02x", b, next, third);
      i += 2;
    } else if (b < 0x20 && b != '\n') {
      out += Format("\\x%02x", b);
    } else {
      out += shown[i];
    }
  }
  return out;
}

// A text in pieces that each fit a cell: 32,767 characters as the spreadsheet counts
// them (a character beyond U+FFFF counts twice), never split inside a character.
std::vector<std::string> CellPieces(const std::string& text) {
  constexpr std::size_t kCellLimit = (1u << 15) - 1;
  std::vector<std::string> pieces;
  std::size_t start = 0, units = 0;
  for (std::size_t i = 0; i < text.size();) {
    const auto b = static_cast<unsigned char>(text[i]);
    const std::size_t length = b >= 0xF0 ? 4 : b >= 0xE0 ? 3 : b >= 0xC0 ? 2 : 1;
    const std::size_t count = length == 4 ? 2 : 1;
    if (units + count > kCellLimit) {
      pieces.push_back(text.substr(start, i - start));
      start = i;
      units = 0;
    }
    units += count;
    i = std::min(text.size(), i + length);
  }
  if (start < text.size()) pieces.push_back(text.substr(start));
  return pieces;
}

// Whether a format can carry the unit as it is: the meter's units are short words.
bool FitsAFormat(const std::string& unit) {
  return !unit.empty() && unit.size() <= kLongestUnitInFormat &&
         std::all_of(unit.begin(), unit.end(), [](char c) {
           return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '/';
         });
}

// A number shown with `decimals` and the unit after it, the cell still a plain number;
// signed, it shows its sign as the hold test's texts do. A unit a format cannot carry is
// left to its own row.
std::string NumberPattern(int decimals, const std::string& unit, bool signedNumber) {
  const int d = std::clamp(decimals, 0, kMostHoldDecimals);
  const std::string digits = d == 0 ? "0" : "0." + std::string(static_cast<std::size_t>(d), '0');
  const std::string suffix = FitsAFormat(unit) ? "\" " + unit + "\"" : "";
  if (!signedNumber) return digits + suffix;
  return "+" + digits + suffix + ";-" + digits + suffix + ";" + digits + suffix;
}

lxw_format* NumberFormat(lxw_workbook* book, const std::string& pattern) {
  lxw_format* f = workbook_add_format(book);
  format_set_num_format(f, pattern.c_str());
  return f;
}

// The wall-clock time of an ISO 8601 text as a spreadsheet's date-time (days since its
// epoch), the time of day it says at the place of the run.
std::optional<double> SerialDateTime(const std::string& iso) {
  if (!ParseIsoDateTime(iso)) return std::nullopt;
  const auto wall = ParseIsoDateTime(iso.substr(0, 19) + "Z");
  if (!wall) return std::nullopt;
  return static_cast<double>(*wall) / kSecondsPerDay + kUnixEpochSerial;
}

// "HH:MM:SS" as a fraction of a day.
std::optional<double> SerialTimeOfDay(const std::string& text) {
  const auto wall = ParseIsoDateTime("1970-01-01T" + text + "Z");
  if (!wall || text.size() != 8) return std::nullopt;
  return static_cast<double>(*wall) / kSecondsPerDay;
}

struct Formats {
  lxw_format *bold, *title, *dateTime, *time;
  lxw_format *reading, *amount, *signedAmount, *percent, *signedPercent, *rate, *minimum;
};

Formats AddFormats(lxw_workbook* book, const HoldResult& r) {
  const HoldDecimals d = HoldDecimalsOf(r);
  Formats f{};
  f.bold = workbook_add_format(book);
  format_set_bold(f.bold);
  f.title = workbook_add_format(book);
  format_set_bold(f.title);
  format_set_font_size(f.title, 14);
  f.dateTime = NumberFormat(book, kDateTimeFormat);
  f.time = NumberFormat(book, kTimeFormat);
  f.reading = NumberFormat(book, NumberPattern(d.reading, r.unit, false));
  f.amount = NumberFormat(book, NumberPattern(d.amount, r.unit, false));
  f.signedAmount = NumberFormat(book, NumberPattern(d.amount, r.unit, true));
  f.percent = NumberFormat(book, NumberPattern(d.percent, "", false));
  f.signedPercent = NumberFormat(book, NumberPattern(d.percent, "", true));
  f.rate = NumberFormat(book, NumberPattern(d.rate, r.unit.empty() ? "" : r.unit + "/min", true));
  f.minimum = NumberFormat(book, NumberPattern(r.minimum ? AmountDecimals(*r.minimum, r.decimals) : 0, r.unit, false));
  return f;
}

// The sheet is written row by row (the workbook keeps rows in constant memory), so a
// writer keeps the next row and the first error.
class SheetWriter {
 public:
  SheetWriter(lxw_worksheet* sheet, const Formats& formats) : sheet_(sheet), f_(formats) {}

  const Formats& formats() const { return f_; }
  lxw_error error() const { return error_; }

  void title(const char* text) { keep(worksheet_write_string(sheet_, row_++, 0, text, f_.title)); }
  void skip() { ++row_; }
  void next() { ++row_; }

  // A text of the program's own.
  void word(lxw_col_t col, std::string_view s, lxw_format* f = nullptr) {
    if (!s.empty()) keep(worksheet_write_string(sheet_, row_, col, std::string(s).c_str(), f));
  }
  // A number, never one that is no number: the cell stays empty for it.
  void number(lxw_col_t col, std::optional<double> v, lxw_format* f = nullptr) {
    if (!v || !std::isfinite(*v)) return;
    // Differences of readings carry their floats' binary noise (0.3999999999999999);
    // nine decimals keep every digit a reading means. Beyond a million they are noise.
    const double cell = std::fabs(*v) < 1e6 ? std::round(*v * 1e9) / 1e9 : *v;
    keep(worksheet_write_number(sheet_, row_, col, cell, f));
  }
  void boolean(lxw_col_t col, bool v) { keep(worksheet_write_boolean(sheet_, row_, col, v, nullptr)); }

  // A typed text beside its label, shown, whole: a text longer than a cell holds goes on
  // in the rows under it, each labelled "(continued)".
  void typed(std::string_view label, std::string_view value) {
    const std::vector<std::string> pieces = CellPieces(CellText(value));
    word(0, label, f_.bold);
    for (std::size_t k = 0; k < pieces.size(); ++k) {
      if (k > 0) word(0, std::string(label) + " (continued)", f_.bold);
      keep(worksheet_write_string(sheet_, row_, 1, pieces[k].c_str(), nullptr));
      if (k + 1 < pieces.size()) next();
    }
    next();
  }
  void labelled(std::string_view label, std::string_view value) {
    word(0, label, f_.bold);
    word(1, value);
    next();
  }
  void labelled(std::string_view label, std::optional<double> value, lxw_format* f) {
    word(0, label, f_.bold);
    number(1, value, f);
    next();
  }

 private:
  void keep(lxw_error e) {
    if (error_ == LXW_NO_ERROR) error_ = e;
  }
  lxw_worksheet* sheet_;
  const Formats& f_;
  lxw_row_t row_ = 0;
  lxw_error error_ = LXW_NO_ERROR;
};

void WriteRecord(SheetWriter& w, const HoldTestFile& test) {
  for (const HoldRecordField& f : kHoldRecordFields) {
    w.typed(f.label, test.record.*f.field);
    if (f.field == &HoldRecord::witness) w.typed("Date of test", HoldTestDateText(test.result));
  }
}

// A window's end as a date-time cell, or its time of day when the run's date is not
// known; the text as it was when it is neither.
void WindowEnd(SheetWriter& w, std::string_view label, const std::string& dateTime, const std::string& time) {
  if (const auto serial = SerialDateTime(dateTime)) return w.labelled(label, serial, w.formats().dateTime);
  if (const auto serial = SerialTimeOfDay(time)) return w.labelled(label, serial, w.formats().time);
  w.typed(label, time);
}

// Figures as numbers in the unit named beside them, with the decimals and signs of the
// test's texts.
void WriteResult(SheetWriter& w, const HoldResult& r) {
  const Formats& f = w.formats();
  const bool read = r.startSample >= 0;
  const auto reading = [read](double v) { return read ? std::optional(v) : std::nullopt; };
  w.labelled("Result", HoldVerdictWord(r));
  w.labelled("State", HoldStateText(r));
  if (r.holdSeconds > 0) w.labelled("Hold period (s)", r.holdSeconds, nullptr);
  WindowEnd(w, "Window start", r.startDateTime, r.startTime);
  WindowEnd(w, "Window end", r.endDateTime, r.endTime);
  w.labelled("Seconds", r.seconds, nullptr);
  w.labelled("Samples", r.samples, nullptr);
  w.labelled("Error samples", r.errors, nullptr);
  w.typed("Unit", r.unit);
  w.labelled("Start", reading(r.start), f.reading);
  w.labelled("End", reading(r.end), f.reading);
  w.labelled("Change", reading(r.change), f.signedAmount);
  w.labelled("Change %", read ? r.changePercent : std::nullopt, f.signedPercent);
  const bool deviated = r.deviationSample >= 0;
  w.labelled("Largest deviation", deviated ? std::optional(r.deviation) : std::nullopt, f.signedAmount);
  if (deviated) w.typed("Largest deviation at", r.deviationTime);
  w.labelled("Direction", read ? DirectionName(r.direction) : "-");
  w.labelled("Rate per minute", reading(r.ratePerMinute), f.rate);
  w.labelled("Allowed change", r.allowedAmount, f.amount);
  w.labelled("Allowed %", r.allowedPercent, f.percent);
  w.labelled("Minimum", r.minimum, f.minimum);
  for (const std::string& reason : r.reasons) w.typed("Reason", reason);
}

void WriteCheckpoints(SheetWriter& w, const HoldResult& r) {
  constexpr const char* heads[] = {"Checkpoint", "Time", "Seconds", "Value", "Change", "Steeper"};
  for (lxw_col_t c = 0; c < std::size(heads); ++c) w.word(c, heads[c], w.formats().bold);
  w.next();
  const std::size_t shown = std::min<std::size_t>(r.checkpoints.size(), kMaxCheckpoints);
  for (std::size_t k = 0; k < shown; ++k) {
    const HoldCheckpoint& p = r.checkpoints[k];
    const bool read = p.sample >= 0 && r.startSample >= 0;
    w.number(0, static_cast<double>(k + 1));
    // A time of day, which a damaged file may have made anything: what no cell holds is none.
    const std::string time = CellText(p.time);
    w.word(1, CellPieces(time).size() == 1 ? time : "-");
    w.number(2, p.seconds);
    w.number(3, read ? std::optional(p.value) : std::nullopt, w.formats().reading);
    w.number(4, read ? std::optional(p.change) : std::nullopt, w.formats().signedAmount);
    w.boolean(5, p.steeper);
    w.next();
  }
}

// What the record is and which run it belongs to, so that a reader can check it.
void WriteBinding(SheetWriter& w, const HoldTestFile& test) {
  w.labelled("Record revision", test.revision, nullptr);
  if (!test.fingerprint.empty()) w.typed("Record fingerprint (SHA-256)", test.fingerprint);
  if (test.run && !test.run->sha256.empty()) w.typed("Data file SHA-256", test.run->sha256);
}

}  // namespace

lxw_error AddHoldTestSheet(lxw_workbook* book, const HoldTestFile& test) {
  lxw_worksheet* sheet = workbook_add_worksheet(book, std::string(kWorkbookHoldSheet).c_str());
  if (!sheet) return LXW_ERROR_MEMORY_MALLOC_FAILED;
  worksheet_set_column(sheet, 0, 0, 26, nullptr);
  worksheet_set_column(sheet, 1, 1, 40, nullptr);
  worksheet_set_column(sheet, 2, 5, 12, nullptr);
  const Formats formats = AddFormats(book, test.result);
  SheetWriter w(sheet, formats);
  w.title(kHoldPageTitle);
  w.skip();
  WriteRecord(w, test);
  w.skip();
  WriteResult(w, test.result);
  w.skip();
  WriteBinding(w, test);
  w.skip();
  WriteCheckpoints(w, test.result);
  return w.error();
}

}  // namespace pv
