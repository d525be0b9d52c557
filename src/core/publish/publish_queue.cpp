// SPDX-License-Identifier: GPL-3.0-or-later
#include "publish/publish_queue.h"

namespace pv {

void PublishQueue::push(PublishMessage message) {
  if (capacity_ == 0) {
    ++dropped_;
    return;
  }
  while (messages_.size() >= capacity_) {
    messages_.pop_front();
    ++dropped_;
  }
  messages_.push_back(std::move(message));
}

std::optional<PublishMessage> PublishQueue::pop() {
  if (messages_.empty()) return std::nullopt;
  PublishMessage front = std::move(messages_.front());
  messages_.pop_front();
  return front;
}

}  // namespace pv
