// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What a chart, the logger graph or the printed page draws, as plain commands with
// integer coordinates. Core builds the lists; a thin painter replays them, so every
// geometric rule can be checked without a screen.
#include <cstdint>
#include <optional>
#include <string>
#include <variant>
#include <vector>

namespace pv {

struct Point {
  int x = 0;
  int y = 0;
  friend bool operator==(const Point&, const Point&) = default;
};

struct Rgb {
  std::uint8_t r = 0, g = 0, b = 0;
  friend bool operator==(const Rgb&, const Rgb&) = default;
};

enum class PenStyle : std::uint8_t { kSolid, kDotted };

// Width 1 is the thinnest pen; printed pages use wider ones in page units.
struct Pen {
  Rgb colour;
  int width = 1;
  PenStyle style = PenStyle::kSolid;
  friend bool operator==(const Pen&, const Pen&) = default;
};

// A fill is either a fixed colour or the platform's button-face colour, which only
// the painter knows.
struct Brush {
  bool buttonFace = false;
  Rgb colour;
  static Brush Solid(Rgb c) { return Brush{false, c}; }
  static Brush ButtonFace() { return Brush{true, {}}; }
  friend bool operator==(const Brush&, const Brush&) = default;
};

enum class FontRole : std::uint8_t {
  kChart,       // the main window's 10-point font: chart labels and time labels
  kPrintTitle,  // the printed page's title font (0.25 inch)
  kPrintLabel,  // the printed page's label font (0.10 inch)
};

struct Line {
  Point from, to;
  Pen pen;  friend bool operator==(const Line&, const Line&) = default;
};

// Consecutive segments sharing their ends; cheap for a thin pen (draw wide pens as Lines).
struct Polyline {
  Pen pen;
  std::vector<Point> points;  friend bool operator==(const Polyline&, const Polyline&) = default;
};

// Single pixels of one colour (error marks).
struct Pixels {
  Rgb colour;
  std::vector<Point> points;  friend bool operator==(const Pixels&, const Pixels&) = default;
};

struct FillRect {
  int x = 0, y = 0, width = 0, height = 0;
  Brush brush;  friend bool operator==(const FillRect&, const FillRect&) = default;
};

// Text whose top-left corner is at `at`; drawn opaque when background is set. A text
// with a room (maxWidth > 0) that its font would overrun is drawn smaller, so that
// texts placed side by side never cover each other.
struct Text {
  Point at;
  std::string text;  // UTF-8
  FontRole font = FontRole::kChart;
  Rgb colour;
  std::optional<Brush> background;
  int maxWidth = 0;  friend bool operator==(const Text&, const Text&) = default;
};

// Limits the commands after it to a rectangle (within the surface) until the next
// Clip; a Clip that is not `on` lifts the limit.
struct Clip {
  bool on = false;
  int x = 0, y = 0, width = 0, height = 0;  friend bool operator==(const Clip&, const Clip&) = default;
};

using DisplayCommand = std::variant<Line, Polyline, Pixels, FillRect, Text, Clip>;

// Commands in drawing order; later ones paint over earlier ones.
struct DisplayList {
  std::vector<DisplayCommand> commands;

  void line(Point from, Point to, const Pen& pen) { commands.emplace_back(Line{from, to, pen}); }
  void fill(int x, int y, int width, int height, const Brush& brush) {
    commands.emplace_back(FillRect{x, y, width, height, brush});
  }
  void text(Point at, std::string s, FontRole font, Rgb colour, std::optional<Brush> background = {}) {
    commands.emplace_back(Text{at, std::move(s), font, colour, background});
  }
  void clip(int x, int y, int width, int height) { commands.emplace_back(Clip{true, x, y, width, height}); }
  void unclip() { commands.emplace_back(Clip{}); }
  bool empty() const { return commands.empty(); }
  friend bool operator==(const DisplayList&, const DisplayList&) = default;
};

// An off-screen layer: filled with its background, drawn in its own coordinates
// (clipped to width x height), then copied once to (x, y) of the target.
struct Surface {
  int x = 0, y = 0, width = 0, height = 0;
  Brush background;
  DisplayList list;  friend bool operator==(const Surface&, const Surface&) = default;
};

}  // namespace pv
