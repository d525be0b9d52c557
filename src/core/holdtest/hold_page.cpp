// SPDX-License-Identifier: GPL-3.0-or-later
#include "holdtest/hold_page.h"

#include <algorithm>
#include <array>
#include <cmath>

#include "holdtest/hold_page_parts.h"
#include "holdtest/hold_text.h"
#include "text_format.h"

namespace pv {
namespace hold_page {

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
  std::string label;
  std::string value;
};

// One labelled value on a line to fill in by hand when it was left blank.
void DrawField(DisplayList& list, int x, int top, int width, const Field& f) {
  PutText(list, x, top, f.label + ":", kFieldLabelWidth - 5);
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
  // The record's fields as the record lists them, the date of the test among them; the
  // notes go across the page under them.
  std::vector<Field> fields;
  for (const HoldRecordField& f : kHoldRecordFields) {
    if (f.field == &HoldRecord::notes) continue;
    fields.push_back({std::string(f.label), r.*f.field});
    if (f.field == &HoldRecord::witness) fields.push_back({"Date of test", DateOfTest(in)});
  }
  const std::size_t rows = (fields.size() + 1) / 2;
  constexpr int firstTop = 1076;
  for (std::size_t k = 0; k < fields.size(); ++k) {
    const int top = firstTop - static_cast<int>(k % rows) * kFieldPitch;
    const int x = kHoldPageLeft + static_cast<int>(k / rows) * (kColumnWidth + kColumnGap);
    DrawField(list, x, top, kColumnWidth, fields[k]);
  }
  const int notesTop = firstTop - static_cast<int>(rows) * kFieldPitch - 4;
  PutText(list, kHoldPageLeft, notesTop, "Notes:", kFieldLabelWidth - 5);
  const int notesX = kHoldPageLeft + kFieldLabelWidth;
  const auto lines = WrapText(r.notes, kHoldPageRight - notesX, FontRole::kPrintLabel, kNotesLines);
  for (std::size_t k = 0; k < lines.size(); ++k)
    PutText(list, notesX, notesTop - static_cast<int>(k) * kNotesPitch, lines[k], kHoldPageRight - notesX);
}

std::string MinimumText(const HoldResult& r) {
  return r.minimum ? FormatAmount(*r.minimum, r.decimals, r.unit) : std::string("none");
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
  DrawBox(list, kHoldPageLeft, kHoldPageRight, kCardBottom, kCardTop, kPrintFramePen);
  const std::array<Field, 9> figures{{
      {"Window", r.startTime + " to " + r.endTime + " (" + FormatFixed(r.seconds, 0) + " s)"},
      {"Samples",
       std::to_string(r.samples) + ", " + std::to_string(r.errors) + (r.errors == 1 ? " error" : " errors")},
      {"Start", HoldAmountText(r, r.start)},
      {"End", HoldAmountText(r, r.end)},
      {"Change", HoldChangeText(r)},
      {"Direction", DirectionText(r.direction)},
      {"Rate", FormatFixed(r.ratePerMinute, r.decimals + 1) + " " + r.unit + "/min"},
      {"Allowed", HoldAllowedText(r)},
      {"Minimum", MinimumText(r)},
  }};
  const int x = kHoldPageLeft + 10, valueX = x + 85;
  for (std::size_t k = 0; k < figures.size(); ++k) {
    const int top = kCardTop - 12 - static_cast<int>(k) * kCardPitch;
    PutText(list, x, top, figures[k].label + ":", valueX - x - 5);
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
        read ? HoldAmountText(r, cp.change) : std::string(),
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
    PutText(list, x, lineY - 5, people[k].label + "'s signature", signRight - x);
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
  return FormatFixed(value, result.decimals) + " " + result.unit;
}

std::string HoldChangeText(const HoldResult& result) {
  std::string text = HoldAmountText(result, result.change);
  if (result.changePercent) text += " (" + FormatPercent(*result.changePercent) + ")";
  return text;
}

std::string HoldAllowedText(const HoldResult& result) {
  if (result.allowedKind == AllowedKind::Amount || !result.allowedPercent)
    return FormatAmount(result.allowedAmount, result.decimals, result.unit);
  return FormatPercent(*result.allowedPercent) + " of the start (" +
         HoldAmountText(result, result.allowedAmount) + ")";
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
