// SPDX-License-Identifier: GPL-3.0-or-later
#include "chart/zoom_engine.h"

#include <algorithm>

#include "chart/chart_geometry.h"

namespace pv {

Point ClampToPlot(Point p, const ZoomPlot& r) {
  if (p.x < r.left) p.x = TruncToInt(r.left);
  if (p.x > r.right) p.x = TruncToInt(r.right);
  if (p.y < r.top) p.y = TruncToInt(r.top);
  if (p.y > r.bottom) p.y = TruncToInt(r.bottom);
  return p;
}

void ZoomDrag::press(Point clamped) {
  anchor = clamped;
  dragging = true;
  unmoved = true;
}

RubberBand ZoomDrag::move(Point clamped) {
  if (!dragging || clamped == anchor) return {};
  unmoved = false;
  return {true, std::min(anchor.x, clamped.x), std::min(anchor.y, clamped.y), std::max(anchor.x, clamped.x),
          std::max(anchor.y, clamped.y)};
}

bool ZoomDrag::release() {
  dragging = false;
  const bool moved = !unmoved;
  unmoved = true;
  return moved;
}

bool ZoomDrag::watch(Point pointer, const ZoomPlot& r, const WatchBand& band) {
  const float x = static_cast<float>(pointer.x);
  const float y = static_cast<float>(pointer.y);
  const bool inside = r.top - band.above < y && y < r.bottom + band.below && r.left - band.left < x &&
                      x < r.right + band.right;
  if (inside || !dragging) return false;
  dragging = false;
  unmoved = true;
  return true;
}

bool TakesZoomStep(const ZoomStep& step) {
  if (step.depth >= kMaxZoomDepth || !step.hasArea || !(step.spacing < step.maxSpacing)) return false;
  return !step.valueSpan || *step.valueSpan > kMinZoomSpan;
}

}  // namespace pv
