// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Reading ingestion: what every block received from the meter does to the program's
// state. ReceiveBlock reads the port; IngestBlock applies one block.
#include <cstdint>
#include <ctime>
#include <optional>
#include <span>
#include <vector>

#include "app_model.h"
#include "link/frame.h"
#include "link/serial_port.h"
#include "model_observer.h"

namespace pv {

// Readings at or beyond this magnitude (after the DIF reference) are shown and kept in
// the open slot but are no sign of life and never mark the slot new.
inline constexpr float kReadingLimit = 400.0f;

// The port's data-received notification: reads the waiting block and discards the rest,
// or only discards when the last event was not data received, all port steps in one
// error guard. Nothing when no block was read.
std::optional<std::vector<std::uint8_t>> ReceiveBlock(SerialPort& port);

// Applies one received block: a reading frame, an error frame, or nothing decodable
// (which still runs the full-store check and the statistics bar transfer). Returns the
// decoded frame.
Decoded IngestBlock(AppModel& model, std::span<const std::uint8_t> block, std::time_t now,
                 ModelObserver& observer);

}  // namespace pv
