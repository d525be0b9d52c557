// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Replays core display lists with QPainter: the chart, the logger graph and the
// printed page draw through here.
#include <QFont>
#include <QPalette>

#include "display_list.h"

class QRect;
class QPoint;

class QPainter;

namespace pv {
struct ChartFrame;
}

namespace pv::ui {

// The font a role stands for: the chart's 10-point font, or the printed page's
// title and label fonts (sized in the page's units).
QFont FontForRole(FontRole role);

// Draws the commands in the painter's current coordinates, without antialiasing.
// The button-face brush takes the palette's button colour.
void PaintDisplayList(QPainter& painter, const DisplayList& list, const QPalette& palette);
void PaintDisplayList(QPainter& painter, const DisplayList& list);

// Fills the surface's rectangle with its background and draws its list translated
// to (x, y) and clipped to the rectangle, as an off-screen layer copied in place.
void PaintSurface(QPainter& painter, const Surface& surface, const QPalette& palette);
void PaintSurface(QPainter& painter, const Surface& surface);

// Paints a whole drawn chart into `area`: the ground in the palette's button colour
// where no surface lies (each pixel is filled once), the plot and its strips, then the
// labels laid out in the main window's coordinates, shifted by `mainWindowOffset`.
void PaintChartFrame(QPainter& painter, const QRect& area, const ChartFrame& chart, const QPalette& palette,
                     const QPoint& mainWindowOffset);

}  // namespace pv::ui
