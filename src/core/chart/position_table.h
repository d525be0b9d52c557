// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The zoom position tables: a float for every sample slot at every zoom level, tens of
// megabytes in all, of which a session mostly uses the first few levels. The memory
// comes zeroed from calloc, which for blocks this size hands out pages the kernel maps
// only when first written, so levels never zoomed into cost address space and no
// resident memory.
#include <algorithm>
#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>

namespace pv {

class PositionTable {
 public:
  PositionTable() = default;
  explicit PositionTable(std::size_t size) : data_(Zeroed(size)), size_(size) {}
  PositionTable(const PositionTable& o) : data_(Zeroed(o.size_)), size_(o.size_) {
    if (size_ != 0) std::memcpy(data_.get(), o.data_.get(), size_ * sizeof(float));
  }
  PositionTable(PositionTable&&) noexcept = default;
  PositionTable& operator=(const PositionTable& o) {
    if (this != &o) *this = PositionTable(o);
    return *this;
  }
  PositionTable& operator=(PositionTable&&) noexcept = default;

  float* data() { return data_.get(); }
  const float* data() const { return data_.get(); }
  std::size_t size() const { return size_; }
  float* begin() { return data(); }
  float* end() { return data() + size_; }
  const float* begin() const { return data(); }
  const float* end() const { return data() + size_; }

  bool operator==(const PositionTable& o) const { return std::equal(begin(), end(), o.begin(), o.end()); }

 private:
  struct Free {
    void operator()(float* p) const { std::free(p); }
  };
  static float* Zeroed(std::size_t size) {
    if (size == 0) return nullptr;
    void* p = std::calloc(size, sizeof(float));
    if (p == nullptr) throw std::bad_alloc();
    return static_cast<float*>(p);
  }

  std::unique_ptr<float[], Free> data_;
  std::size_t size_ = 0;
};

}  // namespace pv
