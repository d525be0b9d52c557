// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/common/uncovered.h"

#include <QWidget>

namespace pv::ui {

QWidget* UncoveredWindow(QWidget& widget, const QRect& area, QPoint& offset) {
  const auto overlaps = [](const QWidget* parent, const QWidget* self, const QRect& r) {
    // Children are stacked in their list's order: those after `self` lie over it.
    bool above = self == nullptr;
    for (const QObject* o : parent->children()) {
      if (!above) {
        above = o == self;
        continue;
      }
      if (!o->isWidgetType()) continue;
      const auto* w = static_cast<const QWidget*>(o);
      if (!w->isWindow() && w->isVisible() && w->geometry().intersects(r)) return true;
    }
    return false;
  };
  if (overlaps(&widget, nullptr, area)) return nullptr;
  QRect r = area;
  QWidget* w = &widget;
  while (!w->isWindow()) {
    QWidget* parent = w->parentWidget();
    if (!parent) return nullptr;
    r.translate(w->pos());
    if (!parent->rect().contains(r) || overlaps(parent, w, r)) return nullptr;
    w = parent;
  }
  offset = r.topLeft() - area.topLeft();
  return w;
}

}  // namespace pv::ui
