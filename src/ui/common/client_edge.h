// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The sunken two-pixel edge of a bar with a client edge: a frame around one bar whose
// own coordinates start inside the edge, so that the bar draws and places its
// controls exactly as without it.
#include <QFrame>

namespace pv::ui {

class ClientEdge : public QFrame {
  Q_OBJECT
 public:
  explicit ClientEdge(QWidget* parent);
  // The bar inside; it becomes the edge's child and fills it.
  void setBar(QWidget* bar);
  QWidget* bar() const { return bar_; }

 protected:
  void resizeEvent(QResizeEvent* event) override;

 private:
  QWidget* bar_ = nullptr;
};

}  // namespace pv::ui
