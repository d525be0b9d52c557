// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A front panel at its size in the main window, over a model showing +1.234 psi.
#include "app_model.h"
#include "ui/panel/front_panel.h"

namespace pv::ui {

struct PanelFixture {
  AppModel model;
  FrontPanel panel{model, nullptr};

  PanelFixture() {
    model.panel.reading = "+1.234";
    model.panel.unit = "psi";
    panel.resize(228, 700);
  }
};

}  // namespace pv::ui
