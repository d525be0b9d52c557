// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The messages waiting for the broker. It is bounded so that a broker away for a day
// costs a fixed amount of memory: once full, the oldest message makes room for the
// newest, and the number dropped is kept for the next run message to report.
#include <cstddef>
#include <cstdint>
#include <deque>
#include <optional>
#include <string>

namespace pv {

struct PublishMessage {
  std::string topic;
  std::string payload;
  int qos = 0;
  bool retain = false;
};

inline constexpr std::size_t kPublishQueueCapacity = 10000;

class PublishQueue {
 public:
  explicit PublishQueue(std::size_t capacity = kPublishQueueCapacity) : capacity_(capacity) {}

  void push(PublishMessage message);
  std::optional<PublishMessage> pop();
  // The oldest message, left in place; nullptr when there is none.
  const PublishMessage* front() const { return messages_.empty() ? nullptr : &messages_.front(); }
  std::size_t size() const { return messages_.size(); }
  // Messages dropped to make room since the queue was made.
  std::uint64_t dropped() const { return dropped_; }

 private:
  std::size_t capacity_;
  std::deque<PublishMessage> messages_;
  std::uint64_t dropped_ = 0;
};

}  // namespace pv
