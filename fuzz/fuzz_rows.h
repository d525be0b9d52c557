// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A run's rows as a fuzz target makes them up, for the analyses that read SampleRows.
#include <cstddef>
#include <vector>

#include "files/sample_rows.h"
#include "fuzz_support.h"

namespace pv::fuzz {

class FuzzRows final : public SampleRows {
 public:
  std::vector<SampleRow> rows;
  int size() const override { return static_cast<int>(rows.size()); }
  SampleRow row(int i) const override {
    PV_FUZZ_CHECK(i >= 0 && i < size());
    return rows[static_cast<std::size_t>(i)];
  }
};

}  // namespace pv::fuzz
