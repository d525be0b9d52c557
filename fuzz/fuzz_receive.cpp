// The meter's stream is untrusted: any bytes, cut into any blocks, arrive as receive
// notifications while the user starts and stops runs and presses keys, and the sample
// timer commits between blocks. Nothing may crash, the store never holds more than
// its capacity and the shown texts stay short.
//
// Input: a sequence of operations, each chosen by one byte.
//   0x00..0xDF  a block of (byte % 24) following bytes, ingested at the next second,
//               then a sample-timer tick
//   0xE0        Run confirmed with the next byte as seconds, then RUN sent
//   0xE1        Stop
//   0xE2..0xEA  a panel key
//   0xEB        watchdog tick
//   0xEC        the next port operation fails
//   0xED        the block is read through the port's receive notification instead
//   0xEE        the last block again, each time followed by a commit: (next byte % 64)
//               times for a byte below 0xF8, 128 << (byte - 0xF8) times (128..8192) up
//               to 0xFE, and for 0xFF until the store is full (lets a short input fill
//               the store; the long ones are rare, they take milliseconds)
//   0xEF        a paint at a size from the input (within the paint budget)
//   others      a sample-timer tick under a rubber band
#include <cstddef>
#include <cstdint>

#include "chart/acquisition.h"
#include "fuzz_support.h"
#include "link/ingest.h"
#include "link/watchdog.h"
#include "panel/keys.h"

using namespace pv;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static fuzz::ReusableModel reusable;
  AppModel& m = reusable.fresh();
  fuzz::NullPort port;
  ModelObserver& o = NullObserver();
  fuzz::Input in({data, size});
  std::time_t now = 1700000000;
  std::vector<std::uint8_t> last;
  bool viaPort = false;
  fuzz::PaintBudget budget;

  while (!in.empty()) {
    const std::uint8_t op = in.byte();
    if (op < 0xE0) {
      const auto block = in.take(op % 24);
      last.assign(block.begin(), block.end());
      ++now;
      if (std::exchange(viaPort, false)) {
        port.pending = last;
        ReadAndIngest(m, port, now, o);
      } else {
        IngestBlock(m, block, now, o);
      }
      CommitTick(m, false, o);
    } else if (op == 0xE0) {
      ConfirmRun(m, in.byte() - 8, o);
      FinishRunCommand(m, port, o);
    } else if (op == 0xE1) {
      Stop(m, o);
    } else if (op <= 0xEA) {
      PressKey(m, port, static_cast<Key>(op - 0xE2), o);
    } else if (op == 0xEB) {
      WatchdogTick(m, port, o);
    } else if (op == 0xEC) {
      port.failNext = true;
    } else if (op == 0xED) {
      viaPort = true;
    } else if (op == 0xEE) {
      const int n = in.byte();
      const int times = n < 0xF8 ? n % 64 : n < 0xFF ? 128 << (n - 0xF8) : kMaxSamples + 1 - m.store.sampleCount;
      for (int k = 0; k < times; ++k) {
        IngestBlock(m, last, ++now, o);
        CommitTick(m, false, o);
        reusable.note();
      }
    } else if (op == 0xEF) {
      const int w = in.range(0, 2100), h = in.range(0, 1300);
      if (budget.allow(m.store.sampleCount, 0)) fuzz::PaintAndCheck(m, w, h);
    } else {
      CommitTick(m, true, o);
    }
    reusable.note();
    fuzz::CheckModel(m);
  }
  fuzz::PaintAndCheck(m, 1000, 700);
  fuzz::PaintAndCheck(m, 365, 269);
  return 0;
}
