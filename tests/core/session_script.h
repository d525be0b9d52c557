// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A meter session driven by a script on a scripted clock: the meter's blocks, the
// session's own timers firing at the times it armed them, and the user's answers.
#include <optional>
#include <string>
#include <vector>

#include "live_fixtures.h"
#include "recording_port.h"
#include "session/meter_session.h"

namespace pv::test {

struct ScriptedTimers : SessionTimers {
  explicit ScriptedTimers(const Millis& clock) : clock(clock) {}
  const Millis& clock;
  std::optional<Millis> sampleDue, watchdogDue, journalDue;
  void armSampleTimer(int inMs) override { sampleDue = at(inMs); }
  void armWatchdog(int inMs) override { watchdogDue = at(inMs); }
  void armJournalSync(int inMs) override { journalDue = at(inMs); }
  std::optional<Millis> at(int inMs) const { return inMs < 0 ? std::nullopt : std::optional<Millis>(clock + inMs); }
};

// The user: the answer to a save question, whether Save writes, the interval typed.
struct ScriptedUser : SessionPrompts {
  SaveAnswer answer = SaveAnswer::DontSave;
  bool saveWrites = true;
  std::optional<int> interval = 1;
  std::vector<SaveQuestion> asked;
  int saves = 0;
  SaveAnswer askToSave(SaveQuestion q) override {
    asked.push_back(q);
    return answer;
  }
  bool saveRun() override {
    ++saves;
    return saveWrites;
  }
  std::optional<int> askInterval(int) override { return interval; }
};

// 2023-11-14 22:13:20 UTC, on a whole second.
inline constexpr Millis kScriptStart = 1700000000000;

struct SessionScript {
  explicit SessionScript(RunJournal* journal = nullptr, Millis start = kScriptStart)
      : now(start), timers(now), session(model, port, seen, timers, journal) {
    model.flags.initialise(1);
    port.opened = true;
  }

  // The meter's block arrives now.
  Decoded send(const std::vector<std::uint8_t>& block) {
    port.incoming.push_back(block);
    return session.bytesArrived(now);
  }
  Decoded reading(const char* text = "1.000") { return send(ReadingBytes(kPsi, 0, 0, text)); }
  // Run, chosen on a meter that answers.
  void startRun() { reading(), session.run(user); }
  // The user's next answer to a save question, the port's log cleared to see what follows.
  void answerNext(SaveAnswer answer, bool saveWrites) {
    port.log.clear();
    user = ScriptedUser{};
    user.answer = answer;
    user.saveWrites = saveWrites;
  }
  // Time passes to t; each timer due on the way fires at its time, earliest first.
  void passTo(Millis t) {
    for (;;) {
      std::optional<Millis>* next = nullptr;
      for (auto* due : {&timers.sampleDue, &timers.watchdogDue, &timers.journalDue})
        if (*due && **due <= t && (!next || **due < **next)) next = due;
      if (!next) break;
      now = **next;
      next->reset();
      if (next == &timers.sampleDue) session.sampleTick(now);
      if (next == &timers.watchdogDue) session.watchdogTick();
      if (next == &timers.journalDue) session.journalSyncDue(now);
    }
    now = t;
  }
  // A reading of these five characters every 100 ms up to t.
  void streamTo(Millis t, const char* text) {
    while (now + 100 <= t) {
      passTo(now + 100);
      reading(text);
    }
    passTo(t);
  }
  int samples() const { return model.store.sampleCount; }
  // Sample i's five characters as the meter sent them.
  std::string sample(int i) const { return std::string(model.store.texts[i].data() + 1, 5); }

  AppModel model;
  RecordingPort port;
  RecordingObserver seen;
  ScriptedUser user;
  Millis now;
  ScriptedTimers timers;
  MeterSession session;
};

}  // namespace pv::test
