// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The waits between attempts to reach the broker: 1 s, doubling up to 60 s, and back
// to 1 s once a connection was accepted. A broker restarted after a short outage is
// found again at once; one away for hours costs an attempt a minute.
namespace pv {

class ReconnectBackoff {
 public:
  static constexpr int kFirstSeconds = 1;
  static constexpr int kLongestSeconds = 60;

  // The wait before the next attempt; each call doubles the one after it.
  int nextSeconds() {
    const int wait = next_;
    next_ = next_ * 2 > kLongestSeconds ? kLongestSeconds : next_ * 2;
    return wait;
  }
  void connected() { next_ = kFirstSeconds; }

 private:
  int next_ = kFirstSeconds;
};

}  // namespace pv
