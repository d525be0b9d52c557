// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/common/client_edge.h"

namespace pv::ui {

ClientEdge::ClientEdge(QWidget* parent) : QFrame(parent) {
  // Dark and black above and left, light below and right: the sunken client edge.
  setFrameStyle(QFrame::WinPanel | QFrame::Sunken);
}

void ClientEdge::setBar(QWidget* bar) {
  bar_ = bar;
  bar_->setParent(this);
  bar_->setGeometry(contentsRect());
}

void ClientEdge::resizeEvent(QResizeEvent* event) {
  QFrame::resizeEvent(event);
  if (bar_) bar_->setGeometry(contentsRect());
}

}  // namespace pv::ui
