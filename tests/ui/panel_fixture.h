#pragma once
// A front panel at its size in the main window, over a model showing +1.234 psi.
#include "app_model.h"
#include "ui/panel/meter_panel.h"

namespace pv::ui {

struct PanelFixture {
  AppModel model;
  CMeterPanel panel{model, nullptr};

  PanelFixture() {
    model.panel.m_strReading = "+1.234";
    model.panel.m_strUnit = "psi";
    panel.resize(228, 700);
  }
};

}  // namespace pv::ui
