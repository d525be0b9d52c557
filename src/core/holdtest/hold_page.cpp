// SPDX-License-Identifier: GPL-3.0-or-later
#include "holdtest/hold_page.h"

#include <algorithm>
#include <array>
#include <cmath>

#include "holdtest/hold_page_parts.h"
#include "text_format.h"

namespace pv {
namespace hold_page {

int HoldDecimals(const HoldResult& result) {
  if (!(result.count > 0.0) || !std::isfinite(result.count)) return 3;
  return std::clamp(static_cast<int>(std::lround(-std::log10(result.count))), 0, 6);
}

namespace {

constexpr int kWidth = kHoldPageRight - kHoldPageLeft;
constexpr int kColumnGap = 15;
constexpr int kColumnWidth = (kWidth - kColumnGap) / 2;
constexpr int kFieldLabelWidth = 125;
constexpr int kFieldPitch = 18;
constexpr int kNotesPitch = 13;
constexpr int kNotesLines = 3;
constexpr int kCardTop = 916, kCardBottom = 738;
constexpr int kCardPitch = 15;
constexpr int kVerdictX = -400;
constexpr int kReasonPitch = 13;
constexpr int kReasonLines = 9;
constexpr int kTableTop = 724;
constexpr int kTablePitch = 14;
constexpr const char* kDateFormat = "%Y-%m-%d";
constexpr const char* kPrintedFormat = "%Y-%m-%d  %H:%M";

struct Field {
  const char* label;
  std::string value;
};

// One labelled value on a line to fill in by hand when it was left blank.
void DrawField(DisplayList& list, int x, int top, int width, const Field& f) {
  PutText(list, x, top, std::string(f.label) + ":", kFieldLabelWidth - 5);
  const int valueX = x + kFieldLabelWidth;
  PutText(list, valueX, top, f.value, width - kFieldLabelWidth);
  list.line({valueX, top - kLabelHeight - 2}, {x + width, top - kLabelHeight - 2}, kFillInPen);
}

// The date of the window's first sample, when the samples carry one.
std::string DateOfTest(const HoldPageInput& in) {
  const int first = in.test.result.firstSample;
  if (first < 0 || first >= in.rows.size()) return {};
  const SampleRow row = in.rows.row(first);
  if (!row.dated) return {};
  const std::time_t t = static_cast<std::time_t>(row.localSeconds);
  std::tm tm{};
  if (!gmtime_r(&t, &tm)) return {};
  char text[16];
  return std::strftime(text, sizeof text, kDateFormat, &tm) ? text : "";
}

// The record's fields in two columns, then the notes across the page.
void DrawRecord(const HoldPageInput& in, DisplayList& list) {
  const HoldRecord& r = in.test.record;
  const std::array<Field, 6> left{{{"Test ID", r.testId},
                                   {"System tested", r.systemTested},
                                   {"Location", r.location},
                                   {"Test medium", r.testMedium},
                                   {"Temperature at start", r.startTemperature},
                                   {"Temperature at end", r.endTemperature}}};
  const std::array<Field, 6> right{{{"Date of test", DateOfTest(in)},
                                    {"Instrument", r.instrument},
                                    {"Serial number", r.serialNumber},
                                    {"Calibration due", r.calibrationDue},
                                    {"Operator", r.operatorName},
                                    {"Witness", r.witness}}};
  constexpr int firstTop = 1076;
  for (std::size_t k = 0; k < left.size(); ++k) {
    const int top = firstTop - static_cast<int>(k) * kFieldPitch;
    DrawField(list, kHoldPageLeft, top, kColumnWidth, left[k]);
    DrawField(list, kHoldPageLeft + kColumnWidth + kColumnGap, top, kColumnWidth, right[k]);
  }
  const int notesTop = firstTop - 6 * kFieldPitch - 4;
  PutText(list, kHoldPageLeft, notesTop, "Notes:", kFieldLabelWidth - 5);
  const int notesX = kHoldPageLeft + kFieldLabelWidth;
  const auto lines = WrapText(r.notes, kHoldPageRight - notesX, FontRole::kPrintLabel, kNotesLines);
  for (std::size_t k = 0; k < lines.size(); ++k)
    PutText(list, notesX, notesTop - static_cast<int>(k) * kNotesPitch, lines[k], kHoldPageRight - notesX);
}

std::string MinimumText(const HoldCriteria& c, const HoldResult& r) {
  return c.minimum ? HoldAmountText(r, *c.minimum) : std::string("none");
}

std::string DirectionText(HoldDirection d) {
  switch (d) {
    case HoldDirection::Falling:
      return "falling \xE2\x86\x93";
    case HoldDirection::Rising:
      return "rising \xE2\x86\x91";
    case HoldDirection::Stable:
    default:
      return "stable \xE2\x86\x92";
  }
}

void DrawBox(DisplayList& list, int left, int right, int bottom, int top, const Pen& pen) {
  list.line({left, bottom}, {right, bottom}, pen);
  list.line({left, top}, {right, top}, pen);
  list.line({left, bottom}, {left, top}, pen);
  list.line({right, bottom}, {right, top}, pen);
}

// The result card: the figures on the left, the verdict in large type and its reasons
// on the right.
void DrawResultCard(const HoldPageInput& in, DisplayList& list) {
  const HoldResult& r = in.test.result;
  const int d = HoldDecimals(r);
  DrawBox(list, kHoldPageLeft, kHoldPageRight, kCardBottom, kCardTop, kPrintFramePen);
  const std::array<Field, 9> figures{{
      {"Window", r.startTime + " to " + r.endTime + Format(" (%.0f s)", r.seconds)},
      {"Samples", Format("%d, %d error%s", r.samples, r.errors, r.errors == 1 ? "" : "s")},
      {"Start", HoldAmountText(r, r.start)},
      {"End", HoldAmountText(r, r.end)},
      {"Change", HoldChangeText(r)},
      {"Direction", DirectionText(r.direction)},
      {"Rate", Format("%+.*f %s/min", d + 1, r.ratePerMinute, r.unit.c_str())},
      {"Allowed", HoldAllowedText(in.test.criteria, r)},
      {"Minimum", MinimumText(in.test.criteria, r)},
  }};
  const int x = kHoldPageLeft + 10, valueX = x + 85;
  for (std::size_t k = 0; k < figures.size(); ++k) {
    const int top = kCardTop - 12 - static_cast<int>(k) * kCardPitch;
    PutText(list, x, top, std::string(figures[k].label) + ":", valueX - x - 5);
    PutText(list, valueX, top, figures[k].value, kVerdictX - 20 - valueX);
  }
  const int room = kHoldPageRight - 10 - kVerdictX;
  PutText(list, kVerdictX, kCardTop - 12, HoldVerdictText(r), room, FontRole::kPrintTitle);
  std::vector<std::string> lines;
  for (const std::string& reason : r.reasons) {
    for (std::string& l : WrapText(reason, room, FontRole::kPrintLabel, kReasonLines)) lines.push_back(l);
  }
  if (r.passed && lines.empty()) lines.push_back("The pressure held within the allowed change.");
  if (static_cast<int>(lines.size()) > kReasonLines) {
    lines.resize(kReasonLines);
    lines.back() = FitText(lines.back() + " ...", room, FontRole::kPrintLabel);
  }
  for (std::size_t k = 0; k < lines.size(); ++k)
    PutText(list, kVerdictX, kCardTop - 50 - static_cast<int>(k) * kReasonPitch, lines[k], room);
}

void DrawCheckpoints(const HoldPageInput& in, DisplayList& list) {
  const HoldResult& r = in.test.result;
  const int d = HoldDecimals(r);
  PutText(list, kHoldPageLeft, kTableTop, "Checkpoints", 200);
  constexpr std::array<int, 6> columnX{-785, -735, -655, -575, -445, -315};
  constexpr std::array<const char*, 6> heads{"No.", "Time", "Elapsed", "Value", "Change", ""};
  const int headTop = kTableTop - kTablePitch - 2;
  for (std::size_t c = 0; c < heads.size(); ++c) PutText(list, columnX[c], headTop, heads[c], 120);
  list.line({kHoldPageLeft, headTop - kLabelHeight - 2}, {kHoldPageRight, headTop - kLabelHeight - 2},
            kFillInPen);
  const std::size_t shown = std::min<std::size_t>(r.checkpoints.size(), kMaxCheckpoints);
  for (std::size_t k = 0; k < shown; ++k) {
    const HoldCheckpoint& cp = r.checkpoints[k];
    const int top = headTop - 4 - static_cast<int>(k + 1) * kTablePitch;
    const bool read = cp.sample >= 0;
    const std::array<std::string, 6> cells{
        Format("%zu", k + 1),
        cp.time,
        FormatTimeOfDay(static_cast<std::int64_t>(std::llround(cp.seconds))),
        read ? HoldAmountText(r, cp.value) : std::string("no reading"),
        read ? Format("%+.*f %s", d, cp.change, r.unit.c_str()) : std::string(),
        cp.steeper ? "steeper than the step before" : ""};
    for (std::size_t c = 0; c < cells.size(); ++c) {
      const int room = (c + 1 < columnX.size() ? columnX[c + 1] : kHoldPageRight) - columnX[c] - 5;
      PutText(list, columnX[c], top, cells[c], room);
    }
  }
}

// Lines to sign on and to date, for the operator and the witness.
void DrawSignatures(const HoldPageInput& in, DisplayList& list) {
  constexpr int lineY = 150;
  const std::array<Field, 2> people{
      {{"Operator", in.test.record.operatorName}, {"Witness", in.test.record.witness}}};
  for (std::size_t k = 0; k < people.size(); ++k) {
    const int x = kHoldPageLeft + static_cast<int>(k) * (kColumnWidth + kColumnGap);
    const int signRight = x + kColumnWidth - 150;
    list.line({x, lineY}, {signRight, lineY}, kPrintFramePen);
    list.line({signRight + 20, lineY}, {x + kColumnWidth, lineY}, kPrintFramePen);
    PutText(list, x, lineY - 5, std::string(people[k].label) + "'s signature", signRight - x);
    PutText(list, x, lineY - 20, people[k].value, signRight - x);
    PutText(list, signRight + 20, lineY - 5, "Date", 120);
  }
}

}  // namespace
}  // namespace hold_page

using namespace hold_page;

std::string HoldVerdictText(const HoldResult& result) {
  return result.passed ? "PASSED" : "NOT PASSED";
}

std::string HoldAmountText(const HoldResult& result, double value) {
  return Format("%.*f %s", HoldDecimals(result), value, result.unit.c_str());
}

std::string HoldChangeText(const HoldResult& result) {
  std::string text = Format("%+.*f %s", HoldDecimals(result), result.change, result.unit.c_str());
  if (result.changePercent) text += Format(" (%+.2f %%)", *result.changePercent);
  return text;
}

std::string HoldAllowedText(const HoldCriteria& criteria, const HoldResult& result) {
  if (criteria.allowedKind == AllowedKind::Amount) return HoldAmountText(result, criteria.allowed);
  return Format("%.2f %% of the start (", criteria.allowed) +
         HoldAmountText(result, std::abs(result.start) * criteria.allowed / 100.0) + ")";
}

DisplayList BuildHoldRecordPage(const HoldPageInput& in, std::time_t now) {
  DisplayList list;
  const int titleWidth = EstimatedTextWidth(kHoldPageTitle, FontRole::kPrintTitle);
  PutText(list, (kHoldPageLeft + kHoldPageRight - titleWidth) / 2, kHoldPageTop - 4, kHoldPageTitle,
          titleWidth, FontRole::kPrintTitle);
  list.line({kHoldPageLeft, 1088}, {kHoldPageRight, 1088}, kPrintRulePen);
  DrawRecord(in, list);
  DrawResultCard(in, list);
  DrawCheckpoints(in, list);
  DrawHoldChart(in, ChartBox{kHoldPageLeft + 80, kHoldPageRight, 240, 545}, list);
  DrawSignatures(in, list);
  constexpr int footerTop = 30;
  const std::string printed = "Printed " + FormatLocalTime(now, kPrintedFormat);
  PutTextEndingAt(list, kHoldPageRight, footerTop, printed, 200);
  if (!in.runName.empty()) PutText(list, kHoldPageLeft, footerTop, "Run: " + in.runName, 540);
  return list;
}

}  // namespace pv
