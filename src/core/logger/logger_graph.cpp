#include "logger/logger_graph.h"

#include <algorithm>
#include <utility>

#include "chart/chart_geometry.h"
#include "chart/chart_layout.h"
#include "files/datalogger_file.h"
#include "link/units.h"
#include "text_format.h"

namespace pv {
namespace {

constexpr Pen kFullGridPen{{80, 80, 80}, 1, PenStyle::kSolid};
constexpr Pen kZoomGridPen{{100, 100, 100}, 1, PenStyle::kSolid};
constexpr Pen kAxisPen{{255, 0, 0}, 1, PenStyle::kSolid};
constexpr Rgb kPlotColour{0, 0, 0};
constexpr Rgb kLabelColour{0, 0, 0};
constexpr Rgb kLabelBackground{255, 255, 255};
constexpr int kGridLines = 20;
constexpr double kMinZoomSpan = 0.005;
constexpr long long kSecondsPerDay = 86400;

// Header positions: one text line at y 40 above the plot, superscripts 3 px higher.
constexpr int kHeaderY = 40;
constexpr int kSuperscriptY = 37;
constexpr int kReadoutX = 155;
constexpr int kReadoutClearX = 165;
constexpr int kUnitX = 210;
constexpr int kClearWidth = 45;
constexpr int kClearHeight = 20;

struct Plot {
  float left, top, right, bottom;
  float W() const { return right - left; }
  float H() const { return bottom - top; }
  bool usable() const { return right > left && bottom > top; }
};

Plot PlotOf(const LoggerGraphState& g) {
  return {g.plotLeft, g.plotTop, g.plotRight, g.plotBottom};
}

// Records as far as the store holds them; the reader refuses larger counts already.
int Records(const AppModel& m) {
  return std::clamp(m.logger.recordCount, 0, kStoreCapacity);
}

int LevelShown(const LoggerGraphState& g) {
  return g.fullView ? 0 : std::clamp(g.zoomLevel, 0, kLoggerMaxZoom);
}

int LogErrorKind(const LoggerStore& s, int i) {
  return ErrorKind(s.values[i], s.fullScaleAt[i], kErrorFullScale);
}

long long StartSeconds(const LoggerStore& s) {
  return static_cast<long long>(s.startHour) * 3600 + static_cast<long long>(s.startMinute) * 60 +
         s.startSecond;
}

long long IntervalSeconds(const LoggerStore& s) {
  return s.intervalMs / 1000;
}

Point ClampToPlot(Point p, const Plot& r) {
  if (p.x < r.left) p.x = TruncToInt(r.left);
  if (p.x > r.right) p.x = TruncToInt(r.right);
  if (p.y < r.top) p.y = TruncToInt(r.top);
  if (p.y > r.bottom) p.y = TruncToInt(r.bottom);
  return p;
}

void Label(DisplayList& out, Point at, std::string text) {
  if (text.empty()) return;
  out.text(at, std::move(text), FontRole::kChart, kLabelColour, Brush::Solid(kLabelBackground));
}

void Clear(DisplayList& out, int x, int y, int w, int h) {
  if (w > 0 && h > 0) out.fill(x, y, w, h, Brush::Solid(kLoggerBackground));
}

// The unit name with the superscript "2" of a squared unit, drawn as a second text.
void UnitName(DisplayList& out, const std::string& name, int x) {
  Label(out, {x, kHeaderY}, name);
  const UnitInfo* unit = UnitNamed(name);
  if (unit && unit->mark.kind == MarkKind::Squared) Label(out, {x + unit->mark.graphDx, kSuperscriptY}, "2");
}

void HeaderUnit(const AppModel& m, DisplayList& out) {
  Clear(out, kUnitX, kHeaderY, kClearWidth, kClearHeight);
  UnitName(out, m.logger.unitName, kUnitX);
}

void HeaderTime(const LoggerGraphState& g, DisplayList& out) {
  Label(out, {255, kHeaderY}, "@");
  Label(out, {275, kHeaderY}, g.cursorTime);
}

void PathLine(const LoggerGraphState& g, const Plot& r, DisplayList& out) {
  Label(out, {TruncToInt(r.right - 500), TruncToInt(r.top - 20)}, g.filePath);
}

void ValueLabels(const float (&v)[5], const Plot& r, DisplayList& out) {
  const float H = r.H();
  const int ys[5] = {TruncToInt(r.top), TruncToInt(r.top + 0.25 * H - 8), TruncToInt(r.bottom - 0.5 * H - 8),
                     TruncToInt(r.bottom - 0.25 * H - 8), TruncToInt(r.bottom - 12)};
  for (int k = 0; k < 5; ++k) {
    Label(out, {TruncToInt(ValueLabelIndentClass(v[k]) * 7.5), ys[k]}, Format("%.4f", v[k]));
  }
}

void LeftTicks(const Plot& r, DisplayList& out) {
  for (int i = 0; i <= 4; ++i) {
    const int y = TruncToInt(r.top + r.H() * i * 0.25);
    out.line({TruncToInt(r.left - 3), y}, {TruncToInt(r.left), y}, kAxisPen);
  }
}

void GridAndAxes(const Plot& r, bool fullView, DisplayList& out) {
  const int L = TruncToInt(r.left), T = TruncToInt(r.top), R = TruncToInt(r.right), B = TruncToInt(r.bottom);
  for (int i = 0; i <= kGridLines; ++i) {
    const int y = TruncToInt(r.top + r.H() * i * 0.05);
    out.line({L, y}, {R, y}, kFullGridPen);
  }
  if (fullView) {
    for (int i = 1; i <= kGridLines; ++i) {
      const int x = TruncToInt(r.left + r.W() * i * 0.05);
      out.line({x, T}, {x, B}, kFullGridPen);
    }
  }
  out.line({L, B}, {R, B}, kAxisPen);
  out.line({L, T}, {L, B}, kAxisPen);
  out.line({R, T}, {R, B}, kAxisPen);
  LeftTicks(r, out);
  for (int i = 0; i <= 4; ++i) {
    const int y = TruncToInt(r.top + r.H() * i * 0.25);
    out.line({R, y}, {TruncToInt(r.right + 3), y}, kAxisPen);
  }
}

// Level 0: a record at +fullScale/10 of its own unit lands on the top edge, so records
// of different units share one plot. With a single record there is no step; it
// stands at the left edge.
void LevelZero(AppModel& m, const Plot& r, int M) {
  LoggerGraphState& g = m.loggerGraph;
  const LoggerStore& s = m.logger;
  g.recordStep = M > 1 ? r.W() / static_cast<float>(M - 1) : 0.0f;
  float* x = g.posX(0);
  float* y = g.posY(0);
  const float mid = (r.top + r.bottom) / 2;
  const float half = r.H() / 2;
  for (int i = 0; i < M; ++i) {
    x[i] = r.left + static_cast<float>(i) * g.recordStep;
    y[i] = mid - 10 * s.values[i] * half / s.fullScaleAt[i];
  }
}

void FullView(AppModel& m, const Plot& r, int M, int clientW, int clientH, DisplayList& out) {
  LoggerGraphState& g = m.loggerGraph;
  const LoggerStore& s = m.logger;
  if (s.loaded == 1) {
    const float fullScale = M > 0 ? s.fullScaleAt[M - 1] : 0.0f;
    g.rangeTop = static_cast<float>(fullScale * 0.1);
    g.rangeMiddle = 0.0f;
    g.rangeBottom = static_cast<float>(fullScale * -0.1);
    // Adding zero turns the -0 of an empty file's scale into 0, so no label reads "-0.0000".
    const float top = g.rangeTop + 0.0f;
    const float v[5] = {top, static_cast<float>(top * 0.5) + 0.0f, 0.0f,
                        static_cast<float>(top * -0.5) + 0.0f, g.rangeBottom + 0.0f};
    auto& published = m.loggerView.printValueLabels;
    published = {FormatSigned6Cut(v[0]), FormatSigned6Cut(v[1]), FormatSigned6Cut(v[3]),
                 FormatSigned6Cut(v[4])};
    Label(out, {10, TruncToInt(r.bottom - 12)}, published[3]);
    ValueLabels(v, r, out);
  }

  const float* x = g.posX(0);
  const float* y = g.posY(0);
  if (M == 1) {
    out.commands.emplace_back(Pixels{kTraceColour, {{TruncToInt(x[0]), TruncToInt(y[0])}}});
  }
  TraceBuilder trace(out, clientW, clientH, M);
  for (int i = 0; i + 1 < M; ++i) {
    const Point a{TruncToInt(x[i]), TruncToInt(y[i])};
    trace.segment(a, {TruncToInt(x[i + 1]), TruncToInt(y[i + 1])});
    if (LogErrorKind(s, i) != 0) trace.errorMark(a);
  }
  Label(out, {TruncToInt(r.left), TruncToInt(r.bottom + 8)}, s.startText);
  Label(out, {TruncToInt(r.right - 55), TruncToInt(r.bottom + 8)}, s.endText);
}

// Level L + 1 is level L seen through its selection, stretched over the plot.
void RebuildLevels(LoggerGraphState& g, const Plot& r, int Z, int M) {
  const float W = r.W();
  const float H = r.H();
  for (int L = 0; L < Z; ++L) {
    LoggerSelection& sel = g.selections[L];
    if (sel.x1 < sel.x0) std::swap(sel.x0, sel.x1);
    if (sel.y1 < sel.y0) std::swap(sel.y0, sel.y1);
    const float spanX = sel.x1 - sel.x0;
    const float spanY = sel.y1 - sel.y0;
    const float* x = g.posX(L);
    const float* y = g.posY(L);
    float* nx = g.posX(L + 1);
    float* ny = g.posY(L + 1);
    // Accepted selections always have an area; a degenerate one would divide by zero.
    if (spanX > 0.0f) {
      for (int i = 0; i < M; ++i) nx[i] = r.left + (x[i] - sel.x0) * W / spanX;
    } else {
      std::copy(x, x + M, nx);
    }
    if (spanY > 0.0f) {
      for (int i = 0; i < M; ++i) ny[i] = r.top + (y[i] - sel.y0) * H / spanY;
    } else {
      std::copy(y, y + M, ny);
    }
  }
}

void ZoomLevel(AppModel& m, const Plot& r, int Z, int M, int clientW, int clientH, DisplayList& out) {
  LoggerGraphState& g = m.loggerGraph;
  const LoggerStore& s = m.logger;
  RebuildLevels(g, r, Z, M);
  const float W = r.W();
  const float* X = g.posX(Z);
  const float* Y = g.posY(Z);
  const float dx = X[1] - X[0];
  const int sh = g.scrollShift;
  const long long I = IntervalSeconds(s);
  // Positions of table indices beyond the records continue the level's spacing.
  auto xAt = [&](int i) { return i >= 0 && i < M ? X[i] : X[0] + static_cast<float>(i) * dx; };

  if (dx > 0.0f && std::isfinite(dx)) {
    if (!g.firstVisibleValid) {
      g.firstVisible = std::max(0, TruncToInt((r.left - (X[0] + static_cast<float>(sh) * dx)) / dx + sh));
      g.firstVisibleValid = true;
    }
    const int first = g.firstVisible;
    const long long base = StartSeconds(s) + static_cast<long long>(first - sh) * I;
    const int T = TruncToInt(r.top), B = TruncToInt(r.bottom);
    const int n = TruncToInt(W / dx);
    if (n <= 1) {
      for (int k = 0; k < kLoggerGridMarks; ++k) {
        g.markRecords[k] = first + k;
        g.markTimes[k] = static_cast<std::time_t>(base + k * I);
        if (first + k < M) {
          const int x = TruncToInt(X[first + k]);
          out.line({x, B}, {x, T}, kZoomGridPen);
        }
      }
    } else {
      const int step = n == 2   ? TruncToInt(W * 0.5 / dx)
                       : n == 3 ? TruncToInt(W * 0.33333334f / dx)
                                : TruncToInt(W * 0.25 / dx);
      const float x0 = xAt(first);
      for (int k = 0; k < kLoggerGridMarks; ++k) {
        const int x = TruncToInt(x0 + static_cast<float>(k * step) * dx);
        out.line({x, B}, {x, T}, kZoomGridPen);
        g.markRecords[k] = first + k * step;
        g.markTimes[k] = static_cast<std::time_t>(base + static_cast<long long>(k) * step * I);
      }
    }

    // Record i is drawn where record i + shift lies; positions outside the table are skipped.
    TraceBuilder trace(out, clientW, clientH, M);
    const int begin = std::max(0, -sh);
    const int end = std::min(M - 1, M - sh - 1);
    for (int i = begin; i < end; ++i) {
      const Point a{TruncToInt(X[i + sh]), TruncToInt(Y[i])};
      trace.segment(a, {TruncToInt(X[i + sh + 1]), TruncToInt(Y[i + 1])});
      if (LogErrorKind(s, i) != 0) trace.errorMark(a);
    }
  }

  // The margins hide whatever the zoomed trace and grid drew outside the plot; the
  // toolbar's rows stay out of it.
  const int bar = kLoggerToolBarHeight;
  Clear(out, 0, bar, clientW, TruncToInt(r.top - bar));
  Clear(out, 0, TruncToInt(r.bottom + 1), clientW, TruncToInt(clientH - r.bottom));
  Clear(out, 0, bar, TruncToInt(r.left), clientH - bar);
  Clear(out, TruncToInt(r.right), bar, TruncToInt(clientW - r.right), clientH - bar);

  if (dx > 0.0f && std::isfinite(dx)) {
    for (int k = 0; k < kLoggerGridMarks; ++k) {
      const int i = g.markRecords[k];
      if (i < 0 || i >= M || X[i] < r.left || X[i] > r.right) continue;
      Label(out, {TruncToInt(X[i]), TruncToInt(r.bottom + 1)}, FormatTimeOfDay(g.markTimes[k]));
    }
  }

  const LoggerSelection& sel = g.selections[Z - 1];
  const float span = g.rangeBottom - g.rangeTop;
  g.valueTop = g.rangeTop + (sel.y0 - r.top) * span / r.H();
  g.valueBottom = g.rangeBottom - (r.bottom - sel.y1) * span / r.H();
  g.valueMiddle = (g.valueTop + g.valueBottom) / 2;
  LeftTicks(r, out);
  const float v[5] = {g.valueTop, (g.valueMiddle + g.valueTop) / 2, g.valueMiddle,
                      (g.valueMiddle + g.valueBottom) / 2, g.valueBottom};
  ValueLabels(v, r, out);
}

void Header(AppModel& m, int M, DisplayList& out) {
  const LoggerGraphState& g = m.loggerGraph;
  LoggerStore& s = m.logger;
  Clear(out, kReadoutClearX, kHeaderY, kClearWidth, kClearHeight);
  Label(out, {75, kHeaderY}, "PRESSURE:");
  Label(out, {kReadoutX, kHeaderY}, g.readout);
  HeaderUnit(m, out);
  HeaderTime(g, out);
  if (M > 0 && IsUnitCode(s.unitAt[M - 1]))
    s.unitName = std::string(kUnits[s.unitAt[M - 1]].name);
  Label(out, {20, kHeaderY}, "(");
  UnitName(out, s.unitName, 25);
  Label(out, {70, kHeaderY}, ")");
}

}  // namespace

std::string FormatTimeOfDay(long long secondsOfDay) {
  const long long t = (secondsOfDay % kSecondsPerDay + kSecondsPerDay) % kSecondsPerDay;
  return Format("%02lld:%02lld:%02lld", t / 3600, t / 60 % 60, t % 60);
}

LoggerGraphFrame PaintLoggerGraph(AppModel& m, int clientW, int clientH) {
  LoggerGraphState& g = m.loggerGraph;
  LoggerGraphFrame frame;
  frame.surface = Surface{0, 0, clientW, clientH, Brush::Solid(kLoggerBackground), {}};
  DisplayList& out = frame.surface.list;
  g.plotLeft = static_cast<float>(0 + 76.2);
  g.plotTop = static_cast<float>(0 + 60);
  g.plotRight = static_cast<float>(clientW - 61.2);
  g.plotBottom = static_cast<float>(clientH - 61.2);
  const Plot r = PlotOf(g);
  if (!r.usable()) return frame;

  const int M = Records(m);
  const int L = TruncToInt(r.left), T = TruncToInt(r.top);
  out.fill(L, T, TruncToInt(r.right) - L, TruncToInt(r.bottom) - T, Brush::Solid(kPlotColour));
  // A zoom level needs two records for its spacing; the release never leaves the full
  // view otherwise, and this keeps a store replaced behind the window safe too.
  const bool zoomed = !g.fullView && g.zoomLevel >= 1 && M >= 2;
  GridAndAxes(r, !zoomed, out);
  Clear(out, TruncToInt(r.left - 11.2), TruncToInt(r.bottom + 1), TruncToInt(r.right), 100);
  LevelZero(m, r, M);
  if (zoomed) {
    ZoomLevel(m, r, std::min(g.zoomLevel, kLoggerMaxZoom), M, clientW, clientH, out);
  } else {
    FullView(m, r, M, clientW, clientH, out);
  }
  if (m.logger.loaded == 1) Header(m, M, out);
  PathLine(g, r, out);
  frame.cursor = LoggerCursor(m);
  frame.scrollBar = LoggerScrollBarState(m);
  return frame;
}

std::optional<LoggerCursorLine> LoggerCursor(const AppModel& m) {
  const LoggerGraphState& g = m.loggerGraph;
  const Plot r = PlotOf(g);
  if (g.cursorHidden || !r.usable()) return std::nullopt;
  const float x = static_cast<float>(g.cursorX);
  if (x < r.left || x > r.right) return std::nullopt;
  LoggerCursorLine line;
  line.x = g.cursorX;
  line.top = TruncToInt(r.top);
  line.bottom = TruncToInt(r.bottom);
  return line;
}

LoggerScrollBar LoggerScrollBarState(const AppModel& m) {
  const LoggerGraphState& g = m.loggerGraph;
  LoggerScrollBar bar;
  const int M = Records(m);
  bar.maximum = M;
  if (!g.fullView && g.zoomLevel >= 1) {
    bar.enabled = true;
    bar.position = std::clamp(g.firstVisible - g.scrollShift, 0, M);
  }
  return bar;
}

void LoggerLeftPress(AppModel& m, Point p) {
  LoggerGraphState& g = m.loggerGraph;
  p = ClampToPlot(p, PlotOf(g));
  g.dragAnchor = g.dragLast = p;
  LoggerSelection& sel = g.selections[std::clamp(g.zoomLevel, 0, kLoggerMaxZoom)];
  sel.x0 = static_cast<float>(p.x);
  sel.y0 = static_cast<float>(p.y);
  g.dragging = true;
  g.dragUnmoved = true;
}

LoggerMove LoggerMouseMove(AppModel& m, Point p) {
  LoggerMove move;
  LoggerGraphState& g = m.loggerGraph;
  const Plot r = PlotOf(g);
  if (m.logger.loaded != 1 || !r.usable()) return move;
  const LoggerStore& s = m.logger;
  const int M = Records(m);
  const int sh = g.scrollShift;

  const float x = static_cast<float>(p.x);
  if (M >= 1 && x >= r.left && x <= r.right + 1) {
    const float* X = g.posX(LevelShown(g));
    int index = 0;
    bool placed = true;
    if (M == 1) {
      index = -sh;  // the only record, wherever the mouse is
    } else {
      const float dx = X[1] - X[0];
      placed = dx > 0.0f && std::isfinite(dx);
      if (placed) {
        index = TruncToInt((x - X[0]) / dx - static_cast<float>(sh));
        const int j = index + sh;
        // Half-way between two records keeps the left one.
        if (j >= 0 && j + 1 < M && x - X[j] > X[j + 1] - x) ++index;
      }
    }
    if (placed) {
      g.cursorRecord = index;
      const int j = index + sh;
      // A record beyond the table has no position on this level: no line for it.
      g.cursorHidden = !(j >= 0 && j < M);
      if (!g.cursorHidden) g.cursorX = TruncToInt(X[j]);
      move.cursorMoved = true;
    }
  }

  if (g.dragging) {
    const Point c = ClampToPlot(p, r);
    if (c != g.dragAnchor) {
      g.dragUnmoved = false;
      const Point a = g.dragAnchor;
      move.band = {true, std::min(a.x, c.x), std::min(a.y, c.y), std::max(a.x, c.x), std::max(a.y, c.y)};
    }
    g.dragLast = c;
  }

  const int i = g.cursorRecord;
  if (i >= 0 && i < M) {
    const float value = s.values[i] * s.fullScaleAt[M - 1] / s.fullScaleAt[i];
    if (IsUnitCode(s.unitAt[M - 1])) g.readout = Format("%.3f", value);
    if (const int kind = LogErrorKind(s, i)) g.readout = kind == 1 ? "ERR1" : "ERR2";
    g.cursorTime = FormatTimeOfDay(StartSeconds(s) + static_cast<long long>(i) * IntervalSeconds(s));
    Clear(move.header, kReadoutClearX, kHeaderY, kClearWidth, kClearHeight);
    Label(move.header, {kReadoutX, kHeaderY}, g.readout);
    HeaderTime(g, move.header);
    PathLine(g, r, move.header);
    m.loggerView.shownPath = g.filePath;
  }
  HeaderUnit(m, move.header);
  return move;
}

LoggerZoom LoggerLeftRelease(AppModel& m, Point p) {
  LoggerGraphState& g = m.loggerGraph;
  const Plot r = PlotOf(g);
  p = ClampToPlot(p, r);
  const int Z = std::clamp(g.zoomLevel, 0, kLoggerMaxZoom);
  LoggerSelection& sel = g.selections[Z];
  sel.x1 = static_cast<float>(p.x);
  sel.y1 = static_cast<float>(p.y);
  g.dragging = false;
  if (g.dragUnmoved || m.logger.loaded != 1) return LoggerZoom::kNone;

  const int M = Records(m);
  // A selection without width or height would make the next level's scale infinite,
  // and level 99 is the deepest the tables hold.
  const bool hasArea = sel.x1 != sel.x0 && sel.y1 != sel.y0;
  bool accepted = false;
  if (M >= 2 && hasArea && Z < kLoggerMaxZoom && r.usable()) {
    const float* X = g.posX(Z);
    const float dx = X[1] - X[0];
    const float W = r.W();
    if (Z >= 1) {
      const float span = g.valueBottom - g.valueTop;
      const float topValue = g.valueTop + (sel.y0 - r.top) * span / r.H();
      const float bottomValue = g.valueBottom - (r.bottom - sel.y1) * span / r.H();
      // Only a downward drag gives a positive span.
      if (dx < W && topValue - bottomValue > kMinZoomSpan) {
        g.rangeTop = g.valueTop;
        g.rangeMiddle = g.valueMiddle;
        g.rangeBottom = g.valueBottom;
        g.zoomLevel = Z + 1;
        accepted = true;
      }
    } else if (W > dx) {
      g.zoomLevel = 1;
      accepted = true;
    }
  }
  if (g.zoomLevel >= 1) {
    g.fullView = false;
    g.firstVisibleValid = false;
  }
  return accepted ? LoggerZoom::kAccepted : LoggerZoom::kRefused;
}

bool LoggerDragWatchTick(AppModel& m, Point pointer) {
  LoggerGraphState& g = m.loggerGraph;
  const Plot r = PlotOf(g);
  const float x = static_cast<float>(pointer.x);
  const float y = static_cast<float>(pointer.y);
  const bool inside = r.top - 20 < y && y < r.bottom + 40 && r.left - 50 < x && x < r.right + 50;
  if (inside || !g.dragging) return false;
  g.dragging = false;
  g.dragUnmoved = true;
  return true;
}

void LoggerZoomOut(AppModel& m) {
  LoggerGraphState& g = m.loggerGraph;
  g.fullView = true;
  g.cursorHidden = true;
  g.zoomLevel = 0;
  g.dragUnmoved = true;
  g.scrollShift = 0;
}

bool LoggerScrollTo(AppModel& m, int thumb) {
  LoggerGraphState& g = m.loggerGraph;
  if (g.fullView || g.zoomLevel < 1 || !g.firstVisibleValid) return false;
  // The thumb names the record to bring to the left edge.
  g.scrollShift = g.firstVisible - std::clamp(thumb, 0, Records(m));
  return true;
}

void LoggerResetView(AppModel& m) {
  LoggerZoomOut(m);
  m.loggerGraph.dragging = false;
}

LoggerDownloadResult LoggerDownload(AppModel& m, const std::string& path) {
  LoggerGraphState& g = m.loggerGraph;
  if (path.empty()) {
    g.filePath.clear();
    return {};
  }
  auto loaded = LoadDataLoggerFile(path);
  if (!loaded) return {false, loaded.error().message};
  AdoptLoggerFile(m.logger, std::move(loaded).value());
  g.filePath = path;
  // Nothing of the previous file may stay on show, its readout included.
  g.readout.clear();
  g.cursorTime.clear();
  g.cursorRecord = -1;
  g.fullView = true;
  g.zoomLevel = 0;
  g.cursorHidden = true;
  g.dragUnmoved = true;
  return {true, {}};
}

}  // namespace pv
