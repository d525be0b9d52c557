// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Bookkeeping that lets a paint recompute only the parts of the zoom position tables
// that changed. Level L + 1's table is level L's seen through one transform (its
// selection and the plot size), so its entries stay valid while the transform and
// the entries of level L they came from stay bit for bit the same. Level 0 is written
// at every paint through writeLevelZero, which compares each new entry with the old one.
#include <algorithm>
#include <array>
#include <bit>
#include <cstdint>
#include <limits>

namespace pv {

inline bool SameBits(float a, float b) {
  return std::bit_cast<std::uint32_t>(a) == std::bit_cast<std::uint32_t>(b);
}

// Everything a level's transform reads besides the level above, in floats.
using LevelTransformKey = std::array<float, 8>;

template <int Levels>
class LevelTables {
 public:
  // Writes v into level 0 at i; a changed entry invalidates every deeper level from i on.
  void writeLevelZero(float* table, int i, float v) {
    if (i < levelZeroChangedFrom_ && !SameBits(table[i], v)) levelZeroChangedFrom_ = i;
    table[i] = v;
  }

  // Level (1 or deeper) is about to be made with key. Returns its first entry to recompute.
  int firstStale(int level, const LevelTransformKey& key) {
    if (levelZeroChangedFrom_ != kNone) {
      lowerFrom(1, levelZeroChangedFrom_);
      levelZeroChangedFrom_ = kNone;
    }
    if (!sameKey(made_[level], key)) {
      made_[level] = key;
      valid_[level] = 0;
    }
    return valid_[level];
  }

  // Level now holds up-to-date entries below count; the entries from `from` on were
  // rewritten, so every deeper level must recompute them too.
  void written(int level, int from, int count) {
    valid_[level] = count;
    lowerFrom(level + 1, from);
  }

 private:
  static bool sameKey(const LevelTransformKey& a, const LevelTransformKey& b) {
    return std::equal(a.begin(), a.end(), b.begin(), SameBits);
  }
  void lowerFrom(int level, int entry) {
    for (int l = level; l < Levels; ++l) valid_[l] = std::min(valid_[l], entry);
  }

  static constexpr int kNone = std::numeric_limits<int>::max();
  std::array<LevelTransformKey, Levels> made_{};
  std::array<int, Levels> valid_{};  // leading entries of each level that are current
  int levelZeroChangedFrom_ = kNone;   // lowest level-0 entry changed since the last use
};

}  // namespace pv
