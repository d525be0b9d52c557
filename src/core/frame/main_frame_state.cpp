#include "frame/main_frame_state.h"

namespace pv {

void MainFrameState::initialise(int comPort) {
  *this = MainFrameState{};
  m_nComPort = comPort;
  if (comPort >= 1 && comPort <= kMenuPorts) {
    m_bComChecked[comPort - 1] = true;
    m_bAwaiting.menu[comPort - 1] = true;
  }
}

}  // namespace pv
