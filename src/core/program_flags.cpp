// SPDX-License-Identifier: GPL-3.0-or-later
#include "program_flags.h"

namespace pv {

void ProgramFlags::initialise(int comPort) {
  *this = ProgramFlags{};
  portNumber = comPort;
  if (comPort >= 1 && comPort <= kMenuPorts) {
    portChecked[comPort - 1] = true;
    awaiting.menu[comPort - 1] = true;
  }
}

}  // namespace pv
