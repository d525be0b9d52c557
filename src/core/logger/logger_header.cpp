// SPDX-License-Identifier: GPL-3.0-or-later
#include "logger/logger_header.h"

#include <utility>
#include <variant>

#include "link/units.h"

namespace pv {
namespace {

constexpr Rgb kLabelColour{0, 0, 0};
constexpr Rgb kLabelBackground{255, 255, 255};
// One text line at y 40 above the plot, superscripts 3 px higher. Each part may use
// the room up to the next part's place and no more.
constexpr int kHeaderY = 40;
constexpr int kSuperscriptY = 37;
constexpr int kOpenX = 20;
constexpr int kBracketUnitX = 25;
constexpr int kCloseX = 70;
constexpr int kPressureX = 75;
constexpr int kReadoutX = 155;
constexpr int kReadoutClearX = 165;
constexpr int kUnitX = 210;
constexpr int kAtX = 255;
constexpr int kTimeX = 275;
constexpr int kClearWidth = 45;
constexpr int kClearHeight = 20;

// The unit name with the superscript "2" of a squared unit, drawn as a second text,
// both within the room up to `end`.
void UnitName(DisplayList& out, const std::string& name, int x, int end) {
  const UnitInfo* unit = UnitNamed(name);
  if (unit && unit->mark.kind == MarkKind::Squared) {
    const int mark = x + unit->mark.graphDx;
    LoggerLabel(out, {x, kHeaderY}, name, mark - x);
    LoggerLabel(out, {mark, kSuperscriptY}, "2", end - mark);
  } else {
    LoggerLabel(out, {x, kHeaderY}, name, end - x);
  }
}

// "@" and the cursor time, which ends where the path line begins.
void HeaderTime(const LoggerGraphState& g, DisplayList& out) {
  LoggerLabel(out, {kAtX, kHeaderY}, "@", kTimeX - kAtX);
  const int pathX = TruncToInt(LoggerPlotOf(g).right - 500);
  LoggerLabel(out, {kTimeX, kHeaderY}, g.cursorTime, pathX > kTimeX ? pathX - kTimeX : 0);
}

}  // namespace

void LoggerLabel(DisplayList& out, Point at, std::string text, int room) {
  if (text.empty()) return;
  out.text(at, std::move(text), FontRole::kChart, kLabelColour, Brush::Solid(kLabelBackground));
  std::get<Text>(out.commands.back()).maxWidth = room;
}

void LoggerClear(DisplayList& out, int x, int y, int w, int h) {
  if (w > 0 && h > 0) out.fill(x, y, w, h, Brush::Solid(kLoggerBackground));
}

void LoggerPaintHeader(const LoggerGraphState& g, const std::string& fieldUnit,
                       const std::string& bracketUnit, DisplayList& out) {
  LoggerClear(out, kReadoutClearX, kHeaderY, kClearWidth, kClearHeight);
  LoggerLabel(out, {kPressureX, kHeaderY}, "PRESSURE:", kReadoutX - kPressureX);
  LoggerLabel(out, {kReadoutX, kHeaderY}, g.readout, kUnitX - kReadoutX);
  LoggerHeaderUnit(fieldUnit, out);
  HeaderTime(g, out);
  LoggerLabel(out, {kOpenX, kHeaderY}, "(", kBracketUnitX - kOpenX);
  UnitName(out, bracketUnit, kBracketUnitX, kCloseX);
  LoggerLabel(out, {kCloseX, kHeaderY}, ")", kPressureX - kCloseX);
}

void LoggerReadoutTexts(const LoggerGraphState& g, const ZoomPlot& r, DisplayList& out) {
  LoggerClear(out, kReadoutClearX, kHeaderY, kClearWidth, kClearHeight);
  LoggerLabel(out, {kReadoutX, kHeaderY}, g.readout, kUnitX - kReadoutX);
  HeaderTime(g, out);
  LoggerPathLine(g, r, out);
}

void LoggerHeaderUnit(const std::string& unitName, DisplayList& out) {
  LoggerClear(out, kUnitX, kHeaderY, kClearWidth, kClearHeight);
  UnitName(out, unitName, kUnitX, kAtX);
}

void LoggerPathLine(const LoggerGraphState& g, const ZoomPlot& r, DisplayList& out) {
  LoggerLabel(out, {TruncToInt(r.right - 500), TruncToInt(r.top - 20)}, g.filePath);
}

}  // namespace pv
