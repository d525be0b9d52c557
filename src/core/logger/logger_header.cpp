#include "logger/logger_header.h"

#include <utility>

#include "link/units.h"

namespace pv {
namespace {

constexpr Rgb kLabelColour{0, 0, 0};
constexpr Rgb kLabelBackground{255, 255, 255};
// One text line at y 40 above the plot, superscripts 3 px higher.
constexpr int kHeaderY = 40;
constexpr int kSuperscriptY = 37;
constexpr int kReadoutX = 155;
constexpr int kReadoutClearX = 165;
constexpr int kUnitX = 210;
constexpr int kClearWidth = 45;
constexpr int kClearHeight = 20;

// The unit name with the superscript "2" of a squared unit, drawn as a second text.
void UnitName(DisplayList& out, const std::string& name, int x) {
  LoggerLabel(out, {x, kHeaderY}, name);
  const UnitInfo* unit = UnitNamed(name);
  if (unit && unit->mark.kind == MarkKind::Squared) LoggerLabel(out, {x + unit->mark.graphDx, kSuperscriptY}, "2");
}

void HeaderTime(const LoggerGraphState& g, DisplayList& out) {
  LoggerLabel(out, {255, kHeaderY}, "@");
  LoggerLabel(out, {275, kHeaderY}, g.cursorTime);
}

}  // namespace

void LoggerLabel(DisplayList& out, Point at, std::string text) {
  if (text.empty()) return;
  out.text(at, std::move(text), FontRole::kChart, kLabelColour, Brush::Solid(kLabelBackground));
}

void LoggerClear(DisplayList& out, int x, int y, int w, int h) {
  if (w > 0 && h > 0) out.fill(x, y, w, h, Brush::Solid(kLoggerBackground));
}

void LoggerPaintHeader(const LoggerGraphState& g, const std::string& fieldUnit,
                       const std::string& bracketUnit, DisplayList& out) {
  LoggerClear(out, kReadoutClearX, kHeaderY, kClearWidth, kClearHeight);
  LoggerLabel(out, {75, kHeaderY}, "PRESSURE:");
  LoggerLabel(out, {kReadoutX, kHeaderY}, g.readout);
  LoggerHeaderUnit(fieldUnit, out);
  HeaderTime(g, out);
  LoggerLabel(out, {20, kHeaderY}, "(");
  UnitName(out, bracketUnit, 25);
  LoggerLabel(out, {70, kHeaderY}, ")");
}

void LoggerReadoutTexts(const LoggerGraphState& g, const LoggerPlot& r, DisplayList& out) {
  LoggerClear(out, kReadoutClearX, kHeaderY, kClearWidth, kClearHeight);
  LoggerLabel(out, {kReadoutX, kHeaderY}, g.readout);
  HeaderTime(g, out);
  LoggerPathLine(g, r, out);
}

void LoggerHeaderUnit(const std::string& unitName, DisplayList& out) {
  LoggerClear(out, kUnitX, kHeaderY, kClearWidth, kClearHeight);
  UnitName(out, unitName, kUnitX);
}

void LoggerPathLine(const LoggerGraphState& g, const LoggerPlot& r, DisplayList& out) {
  LoggerLabel(out, {TruncToInt(r.right - 500), TruncToInt(r.top - 20)}, g.filePath);
}

}  // namespace pv
