// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The JSON text of each message a bench publishes. The reading's object has the keys
// of `monitor --format jsonl`, so one parser serves both.
#include <cstdint>
#include <string>
#include <string_view>

#include "files/sample_rows.h"
#include "link/stream_line.h"

namespace pv {

// The words of the status topic, retained: "offline" is also the connection's last will.
inline constexpr std::string_view kStatusOnline = "online";
inline constexpr std::string_view kStatusOffline = "offline";

// A reading or an error frame, at the local time given (ISO 8601 with milliseconds).
std::string ReadingPayload(const StreamReading& reading, std::string_view time);

// A committed sample as a reading, for publishing each sample of a run rather than
// each frame. The meter's HOLD and REC state is not kept with a sample.
StreamReading SampleReading(const SampleRow& row);

enum class RunEventKind { Started, Progress, Ended, Saved };

// What happened to the run. Every event says how many messages were dropped so far
// while the broker was away, so the next one after a loss reports it.
struct RunEvent {
  RunEventKind kind = RunEventKind::Started;
  std::string time;
  int intervalSeconds = 0;  // Started
  int samples = 0;          // Progress, Ended, Saved: the samples the run holds
  std::string why;          // Ended: "the requested samples were taken", ...
  std::string file;         // Saved: the data file's name
  std::uint64_t dropped = 0;
};

std::string RunPayload(const RunEvent& event);

// Progress is published at every this many samples, so that a dashboard sees a long
// run grow without a message a sample.
inline constexpr int kRunProgressEverySamples = 10;

// Whether the run's `count`th sample is one whose progress is published.
inline bool IsProgressSample(int count) {
  return count > 0 && count % kRunProgressEverySamples == 0;
}

}  // namespace pv
