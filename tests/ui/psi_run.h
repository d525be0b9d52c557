// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A short run of psi samples for the file commands' tests: 1.5, 2.5, 3.5 ... psi, each
// received as "+1.500".
#include "app_model.h"
#include "link/units.h"

namespace pv::test {

inline void FillPsiSamples(AppModel& m, int n) {
  m.store.sampleCount = n;
  m.run.intervalMs = 1000;
  for (int i = 0; i < n; ++i) {
    m.store.values[i] = 1.5f + static_cast<float>(i);
    m.store.texts[i] = {'+', '1', '.', '5', '0', '0'};
    m.store.fullScaleAt[i] = kUnits[kUnitPsi].fullScale;
    m.store.toPsiAt[i] = kUnits[kUnitPsi].toPsi;
    m.store.unitAt[i] = kUnitPsi;
    m.store.unitNameAt[i] = kUnits[kUnitPsi].name;
  }
}

}  // namespace pv::test
