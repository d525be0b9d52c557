// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The main window's services as the widget tests give them: the port numbers' devices
// and the questions the test answers (the others are asked with the dialogs).
#include <functional>
#include <string>
#include <utility>

#include "ui/window/main_window.h"

namespace pv::ui {

inline WindowServices PortsAt(std::function<std::string(int)> pathOf, UserPrompts prompts = {}) {
  WindowServices services;
  services.prompts = std::move(prompts);
  services.pathOf = std::move(pathOf);
  return services;
}

}  // namespace pv::ui
