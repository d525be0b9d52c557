// SPDX-License-Identifier: GPL-3.0-or-later
#include "chart/chart_geometry.h"

namespace pv {

void TraceBuilder::segment(Point a, Point b) {
  if (outside(a, b)) {
    open_ = kNone;
    return;
  }
  if (open_ != kNone) {
    auto& points = std::get<Polyline>(out_.commands[open_]).points;
    if (points.back() == a) {
      points.push_back(b);
      return;
    }
  }
  Polyline line{kTracePen, {}};
  if (expected_ > 0) line.points.reserve(static_cast<std::size_t>(expected_));
  expected_ = 0;
  line.points.push_back(a);
  line.points.push_back(b);
  open_ = out_.commands.size();
  out_.commands.emplace_back(std::move(line));
}

void TraceBuilder::errorMark(Point c) {
  if (c.x < -2 || c.x > width_ + 1 || c.y < -2 || c.y > height_ + 1) return;
  const Point cross[9] = {{c.x, c.y},         {c.x - 2, c.y - 2}, {c.x + 2, c.y + 2},
                          {c.x - 2, c.y + 2}, {c.x + 2, c.y - 2}, {c.x - 1, c.y + 1},
                          {c.x + 1, c.y - 1}, {c.x - 1, c.y - 1}, {c.x + 1, c.y + 1}};
  // Marks with no segment between them share one command.
  Pixels* run = out_.commands.empty() ? nullptr : std::get_if<Pixels>(&out_.commands.back());
  if (!run || run->colour != kErrorMarkColour) {
    out_.commands.emplace_back(Pixels{kErrorMarkColour, {}});
    run = &std::get<Pixels>(out_.commands.back());
  }
  run->points.insert(run->points.end(), std::begin(cross), std::end(cross));
  open_ = kNone;  // the next segment must paint over the mark, so it starts a new polyline
}

}  // namespace pv
