// SPDX-License-Identifier: GPL-3.0-or-later
// The meter's stream is untrusted: any bytes, cut into any blocks, arrive as receive
// notifications while the user starts and stops runs and presses keys, and the sample
// timer commits between blocks. Nothing may crash, the store never holds more than
// its capacity and the shown texts stay short.
//
// Input: a sequence of operations, each chosen by one byte, through the meter session.
//   0x00..0xDF  a block of (byte % 24) following bytes, received a second later (or a
//               quarter second after 0xED), then a sample-timer tick
//   0xE0        Run: the next byte answers a save question (% 3), the one after is the
//               interval typed (minus 8); Save writes nothing
//   0xE1        Stop
//   0xE2..0xEA  a panel key
//   0xEB        watchdog tick, giving up after (next byte % 3) silent ticks
//   0xEC        the next port operation fails
//   0xED        the next block comes a quarter second after the previous one
//   0xEE        the last block again, each time followed by a commit: (next byte % 64)
//               times for a byte below 0xF8, 128 << (byte - 0xF8) times (128..8192) up
//               to 0xFE, and for 0xFF until the store is full (lets a short input fill
//               the store; the long ones are rare, they take milliseconds)
//   0xEF        a paint at a size from the input (within the paint budget)
//   others      a sample-timer tick under a rubber band
#include <cstddef>
#include <cstdint>

#include <optional>

#include "fuzz_support.h"
#include "panel/keys.h"
#include "session/meter_session.h"

using namespace pv;

namespace {

class FuzzUser : public SessionPrompts {
 public:
  explicit FuzzUser(fuzz::Input& in) : in_(in) {}
  SaveAnswer askToSave(SaveQuestion) override { return static_cast<SaveAnswer>(in_.byte() % 3); }
  bool saveRun() override { return false; }
  std::optional<int> askInterval(int) override { return in_.byte() - 8; }

 private:
  fuzz::Input& in_;
};

struct NoTimers : SessionTimers {
  void armSampleTimer(int) override {}
  void armWatchdog(int) override {}
  void armJournalSync(int) override {}
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static fuzz::ReusableModel reusable;
  AppModel& m = reusable.fresh();
  fuzz::NullPort port;
  ModelObserver& o = NullObserver();
  fuzz::Input in({data, size});
  Millis now = 1700000000000;
  std::vector<std::uint8_t> last;
  Millis step = 1000;
  fuzz::PaintBudget budget;
  NoTimers timers;
  FuzzUser user(in);
  MeterSession session(m, port, o, timers);
  auto receive = [&](std::span<const std::uint8_t> block) {
    now += std::exchange(step, 1000);
    port.pending.assign(block.begin(), block.end());
    session.bytesArrived(now);
    session.sampleTick(now);
  };

  while (!in.empty()) {
    const std::uint8_t op = in.byte();
    if (op < 0xE0) {
      const auto block = in.take(op % 24);
      last.assign(block.begin(), block.end());
      receive(block);
    } else if (op == 0xE0) {
      session.run(user);
    } else if (op == 0xE1) {
      session.stop();
    } else if (op <= 0xEA) {
      PressKey(m, port, static_cast<Key>(op - 0xE2), o);
    } else if (op == 0xEB) {
      session.watchdogTick(in.byte() % 3);
    } else if (op == 0xEC) {
      port.failNext = true;
    } else if (op == 0xED) {
      step = 250;
    } else if (op == 0xEE) {
      const int n = in.byte();
      const int times = n < 0xF8 ? n % 64 : n < 0xFF ? 128 << (n - 0xF8) : kMaxSamples + 1 - m.store.sampleCount;
      for (int k = 0; k < times; ++k) {
        receive(last);
        reusable.note();
      }
    } else if (op == 0xEF) {
      const int w = in.range(0, 2100), h = in.range(0, 1300);
      if (budget.allow(m.store.sampleCount, 0)) fuzz::PaintAndCheck(m, w, h);
    } else {
      m.chart.rubberBandShown = true;
      session.sampleTick(now);
      m.chart.rubberBandShown = false;
    }
    reusable.note();
    fuzz::CheckModel(m);
  }
  fuzz::PaintAndCheck(m, 1000, 700);
  fuzz::PaintAndCheck(m, 365, 269);
  return 0;
}
