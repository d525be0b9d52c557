// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Each frame the meter sends as one line of text for other programs: what
// `pneuvista-cli monitor` prints, as CSV or as JSON Lines.
#include <chrono>
#include <optional>
#include <string>
#include <string_view>

#include "app_model.h"
#include "link/frame.h"

namespace pv {

enum class StreamFormat { Csv, JsonLines };

struct StreamReading {
  std::string errorWord;  // ERR1..ERR4 for an error frame ("ERR?" for an unknown code); empty for a reading
  double value = 0;
  int decimals = 0;   // the unit's resolution
  std::string unit;   // the unit's name as the files write it
  std::string text;   // the reading as the panel shows it
  bool hold = false;  // the meter's own HOLD, DIF and REC state
  bool dif = false;
  bool rec = false;
};

// The frame just ingested into model, as a line's fields; nothing for a block that
// held no frame.
std::optional<StreamReading> StreamReadingOf(const AppModel& model, const Decoded& frame);

// The CSV header line (with its newline); empty for JSON Lines.
std::string StreamHeader(StreamFormat format);

// One line with its newline. Characters of the reading outside printable ASCII are
// written as '?', so that a garbled frame never breaks the line or its quoting.
std::string StreamLine(StreamFormat format, const StreamReading& reading, std::string_view time);

// The reading as one JSON object without a newline: a JSON Lines line, and the message
// published for it. The value has the unit's decimals ("1.250"), null when not finite.
std::string ReadingJson(const StreamReading& reading, std::string_view time);

// ISO 8601 local time with milliseconds and the offset: "2026-03-04T10:20:30.123+01:00".
std::string IsoLocalTime(std::chrono::system_clock::time_point t);

}  // namespace pv
