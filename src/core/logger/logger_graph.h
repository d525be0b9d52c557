#pragma once
// The logger graph: the paint of a loaded data-logger file (full view or zoom level)
// as a display list, and the window's mouse, timer, scroll and command handling.
// Every operation returns what the window has to redraw; nothing here draws.
#include <optional>
#include <string>

#include "app_model.h"
#include "chart/zoom.h"
#include "display_list.h"

namespace pv {

inline constexpr Rgb kLoggerBackground{217, 218, 212};
inline constexpr Rgb kLoggerCursorColour{150, 50, 50};
inline constexpr int kLoggerDragWatchMs = 10;  // timer 4
inline constexpr int kLoggerToolBarHeight = 23;

// The scroll bar under the plot (control 1090): range 0..M, the thumb at the record
// shown at the left edge; enabled only while a zoom level is shown.
struct LoggerScrollBar {
  bool enabled = false;
  int minimum = 0, maximum = 0, position = 0;
  friend bool operator==(const LoggerScrollBar&, const LoggerScrollBar&) = default;
};

// The dotted cursor line, drawn over the picture with a not-XOR raster operation.
struct LoggerCursorLine {
  int x = 0, top = 0, bottom = 0;
  Pen pen{kLoggerCursorColour, 1, PenStyle::kDotted};
};

struct LoggerGraphFrame {
  Surface surface;  // the whole client area
  std::optional<LoggerCursorLine> cursor;
  LoggerScrollBar scrollBar;
};

// The paint: recomputes the plot rectangle, the position tables of level 0 and of
// every zoom level, the ranges, grid marks and published labels, and draws all of it.
LoggerGraphFrame PaintLoggerGraph(AppModel& model, int clientW, int clientH);

// The cursor line as the window must show it now, if any.
std::optional<LoggerCursorLine> LoggerCursor(const AppModel& model);
LoggerScrollBar LoggerScrollBarState(const AppModel& model);

// Mouse move: the texts drawn straight onto the window (readout, time, path, unit),
// whether the cursor line moved, and the rubber band to show.
struct LoggerMove {
  DisplayList header;
  bool cursorMoved = false;
  RubberBand band;
};

enum class LoggerZoom {
  kNone,      // a click, a cancelled drag or no file: nothing to repaint
  kRefused,   // no new level, but the window repaints (and leaves the full view if zoomed)
  kAccepted,  // one level deeper
};

// Left-button press anywhere in the client area; the drag watch (timer 4) starts.
void LoggerLeftPress(AppModel& model, Point p);
LoggerMove LoggerMouseMove(AppModel& model, Point p);
// Left-button release: ends the drag (hide the rubber band) and takes a zoom step.
LoggerZoom LoggerLeftRelease(AppModel& model, Point p);
// Tick of timer 4 with the pointer in client coordinates. True when the drag was
// cancelled: repaint, hide the rubber band and stop the timer.
bool LoggerDragWatchTick(AppModel& model, Point pointer);

// Back to the full view from any depth; the caller repaints.
void LoggerZoomOut(AppModel& model);
// Thumb tracking of the scroll bar; returns whether to repaint.
bool LoggerScrollTo(AppModel& model, int thumb);

// The view a Download and the window's closing start from: full view, no shift,
// cursor hidden.
void LoggerResetView(AppModel& model);

// Download after the file dialog: path is the chosen file, empty when cancelled. The
// file replaces the shown one only when it was read completely; a failure leaves the
// graph (and its path) as it was and returns the message to show.
struct LoggerDownloadResult {
  bool loaded = false;
  std::string error;
};
LoggerDownloadResult LoggerDownload(AppModel& model, const std::string& path);

// Seconds of the day as "%H:%M:%S".
std::string FormatTimeOfDay(long long secondsOfDay);

}  // namespace pv
