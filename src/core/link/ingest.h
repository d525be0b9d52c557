#pragma once
// Reading ingestion: what every block received from the meter does to the program's
// state. The receive notification reads the port; IngestBlock applies one block.
#include <cstdint>
#include <ctime>
#include <span>

#include "app_model.h"
#include "link/frame.h"
#include "link/serial_port.h"
#include "model_observer.h"

namespace pv {

// Readings at or beyond this magnitude (after the DIF reference) are shown and kept in
// the open slot but are no sign of life and never mark the slot new.
inline constexpr float kReadingLimit = 400.0f;

// The port's data-received notification: refreshes the document's sample index, reads
// the waiting block (or only discards when the last event was not data received), all
// port steps in one error guard, then applies the block with IngestBlock. Returns the
// frame the block held (nothing when none was read or decoded).
Decoded ReadAndIngest(AppModel& model, SerialPort& port, std::time_t now, ModelObserver& observer);

// Applies one received block: a reading frame, an error frame, or nothing decodable
// (which still runs the full-store check and the statistics bar transfer). Returns the
// decoded frame.
Decoded IngestBlock(AppModel& model, std::span<const std::uint8_t> block, std::time_t now,
                 ModelObserver& observer);

}  // namespace pv
