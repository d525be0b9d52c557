// SPDX-License-Identifier: GPL-3.0-or-later
// The chart on the "Pressure Test Record" page.
#include <algorithm>
#include <cmath>
#include <optional>
#include <string>
#include <vector>

#include "holdtest/hold_page_parts.h"
#include "holdtest/hold_text.h"
#include "link/units.h"
#include "text_format.h"

namespace pv::hold_page {
namespace {

// Besides the window the chart shows this share of its length before and after it,
// so that the start and end marks stand where the test began and ended.
constexpr int kContextPercent = 10;
constexpr double kHeadroom = 0.08;

struct ValueRange {
  double lo = 0.0, hi = 0.0;
  bool any = false;
  void add(double v) {
    if (!std::isfinite(v)) return;
    lo = any ? std::min(lo, v) : v;
    hi = any ? std::max(hi, v) : v;
    any = true;
  }
};

// Converts a sample's value into the unit of the result through the unit table.
struct UnitConversion {
  const UnitInfo* target;
  std::optional<double> operator()(const SampleRow& row) const {
    if (row.errorKind != 0 || !std::isfinite(row.value)) return std::nullopt;
    if (!target || !IsUnitCode(row.unitCode) || kUnits[row.unitCode].name == target->name)
      return static_cast<double>(row.value);
    return static_cast<double>(row.value) * kUnits[row.unitCode].toPsi / target->toPsi;
  }
};

struct Scale {
  ChartBox box;
  int first = 0, last = 0;
  double lo = 0.0, hi = 1.0;
  int x(int sample) const {
    if (last == first) return (box.left + box.right) / 2;
    return box.left +
           static_cast<int>(static_cast<long long>(sample - first) * (box.right - box.left) / (last - first));
  }
  int y(double v) const {
    const double at = box.bottom + (v - lo) / (hi - lo) * (box.top - box.bottom);
    // A figure no number can place (a damaged test file's) stays on the frame.
    if (std::isnan(at)) return box.bottom;
    return static_cast<int>(std::clamp(at, double(box.bottom), double(box.top)));
  }
};

// The trace, one polyline per stretch without error samples; a column of the page that
// many samples fall on keeps its lowest and highest point.
void DrawTrace(const SampleRows& rows, const UnitConversion& convert, const Scale& s, DisplayList& list) {
  Polyline trace{kTracePen, {}};
  auto flush = [&] {
    if (trace.points.size() >= 2) list.commands.emplace_back(trace);
    trace.points.clear();
  };
  int column = 0, lowY = 0, highY = 0;
  bool open = false;
  auto closeColumn = [&] {
    if (!open) return;
    trace.points.push_back({column, lowY});
    if (highY != lowY) trace.points.push_back({column, highY});
    open = false;
  };
  for (int i = s.first; i <= s.last; ++i) {
    const std::optional<double> v = convert(rows.row(i));
    if (!v) {
      closeColumn();
      flush();
      continue;
    }
    const int x = s.x(i), y = s.y(*v);
    if (open && x == column) {
      lowY = std::min(lowY, y);
      highY = std::max(highY, y);
      continue;
    }
    closeColumn();
    column = x;
    lowY = highY = y;
    open = true;
  }
  closeColumn();
  flush();
}

// A level across the chart: its line, and its label at the right end, above the line or
// under it, so that the band's two labels stay apart however close its lines are.
struct Level {
  double value;
  Pen pen;
  std::string label;
  bool labelUnder = false;
};

void DrawLevelLine(const Scale& s, const Level& l, DisplayList& list) {
  const int y = s.y(l.value);
  list.line({s.box.left, y}, {s.box.right, y}, l.pen);
}

// Labels go over the trace, on paper of their own, so that they stay legible.
void DrawLevelLabel(const Scale& s, const Level& l, DisplayList& list) {
  const int y = s.y(l.value);
  const int top =
      l.labelUnder ? std::max(y - 3, s.box.bottom + kLabelHeight + 2) : std::min(y + 12, s.box.top - 2);
  PutTextEndingAt(list, s.box.right - 4, top, l.label, 200, true);
}

void Mark(const Scale& s, int sample, const std::string& label, bool toTheLeft, DisplayList& list) {
  const int x = s.x(sample);
  list.line({x, s.box.bottom}, {x, s.box.top}, kMarkPen);
  // Above the frame, clear of the lines' labels inside it.
  const int top = s.box.top + 14;
  if (toTheLeft)
    PutTextEndingAt(list, x - 3, top, label, x - 3 - s.box.left);
  else
    PutText(list, x + 3, top, label, s.box.right - x - 3);
}

std::string ValueLabel(const HoldResult& r, double v) {
  return FormatFixed(v, r.decimals);
}

}  // namespace

void DrawHoldChart(const HoldPageInput& in, const ChartBox& box, DisplayList& list) {
  const HoldResult& r = in.test.result;
  list.line({box.left, box.bottom}, {box.right, box.bottom}, kPrintFramePen);
  list.line({box.left, box.top}, {box.right, box.top}, kPrintFramePen);
  list.line({box.left, box.bottom}, {box.left, box.top}, kPrintFramePen);
  list.line({box.right, box.bottom}, {box.right, box.top}, kPrintFramePen);
  PutText(list, kHoldPageLeft, box.top + 24, "Pressure (" + ShownText(r.unit) + ")", 300);
  const int n = in.rows.size();
  if (n <= 0 || r.firstSample < 0 || r.lastSample >= n || r.lastSample < r.firstSample) {
    PutText(list, box.left + 10, box.top - 10, "The run's samples are not at hand.",
            box.right - box.left - 20);
    return;
  }
  const int context = (r.lastSample - r.firstSample) * kContextPercent / 100;
  Scale s{box, std::max(0, r.firstSample - context), std::min(n - 1, r.lastSample + context)};
  const UnitConversion convert{UnitNamed(r.unit)};
  ValueRange range;
  for (int i = s.first; i <= s.last; ++i)
    if (const auto v = convert(in.rows.row(i))) range.add(*v);
  const double allowedAmount = r.allowedAmount;
  const bool band = std::isfinite(allowedAmount) && allowedAmount >= 0.0;
  if (band) {
    range.add(r.start - allowedAmount);
    range.add(r.start + allowedAmount);
  }
  if (r.minimum) range.add(*r.minimum);
  if (!range.any) range.add(0.0);
  const double least = std::max({r.count * 5.0, std::abs(range.hi) * 1e-4, 1e-6});
  if (range.hi - range.lo < least) {
    range.lo -= least / 2;
    range.hi += least / 2;
  }
  const double pad = (range.hi - range.lo) * kHeadroom;
  s.lo = range.lo - pad;
  s.hi = range.hi + pad;

  const int labelRoom = box.left - kHoldPageLeft - 6;
  for (const double v : {s.hi, (s.hi + s.lo) / 2, s.lo})
    PutTextEndingAt(list, box.left - 4, s.y(v) + 5, ValueLabel(r, v), labelRoom);
  PutText(list, box.left, box.bottom - 5, in.rows.row(s.first).time, 100);
  PutTextEndingAt(list, box.right, box.bottom - 5, in.rows.row(s.last).time, 100);

  std::vector<Level> levels;
  if (band) {
    levels.push_back({r.start - allowedAmount, kBandPen, "allowed drop", true});
    levels.push_back({r.start + allowedAmount, kBandPen, "allowed rise"});
  }
  if (r.minimum)
    levels.push_back({*r.minimum, kMinimumPen, "minimum " + ShownText(HoldTextsOf(r).minimum), true});
  for (const Level& l : levels) DrawLevelLine(s, l, list);
  DrawTrace(in.rows, convert, s, list);
  for (const Level& l : levels) DrawLevelLabel(s, l, list);
  Mark(s, r.firstSample, "start " + ShownText(r.startTime), false, list);
  Mark(s, r.lastSample, "end " + ShownText(r.endTime), true, list);
}

}  // namespace pv::hold_page
