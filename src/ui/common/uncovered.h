// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QPoint>
#include <QRect>

class QWidget;

namespace pv::ui {

// The window in which `area` of `widget` shows whole: inside every widget it lies in,
// and under none of their other children; null otherwise. `offset` is the widget's
// place in that window. Worked out by rectangles, far cheaper than a visible region,
// for drawing straight into the window's backing store; anything else is left to a
// paint event, which works out what shows.
QWidget* UncoveredWindow(QWidget& widget, const QRect& area, QPoint& offset);

}  // namespace pv::ui
