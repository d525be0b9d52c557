// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include "link/link.h"
#include "recording_port.h"

namespace pv {
namespace {

using test::RecordingPort;
using Log = std::vector<std::string>;

const std::string kConnect = "write 55 AA 01";

TEST(Link, SequencesRunInTheirExactOrder) {
  struct Case {
    const char* what;
    bool startOpen;
    std::function<void(RecordingPort&)> run;
    Log expected;
  };
  const std::vector<Case> cases = {
      {"full set-up", false, [](RecordingPort& p) { FullSetup(p, 3); },
       {"select 3", "settings 9600,n,8,1", "threshold 11", "readlen 0", "discard", "open"}},
      {"port change and CONNECT", false, [](RecordingPort& p) { ReopenAndConnect(p, 5); },
       {"select 5", "readlen 0", "discard", "open", kConnect, kConnect, kConnect}},
      {"panel key", false, [](RecordingPort& p) { SendCommand(p, Command::Rec, SendPrep::Key); },
       {"open", "readlen 0", "discard", "write 55 AA 07", "write 55 AA 07", "write 55 AA 07"}},
      {"key on an open port", true, [](RecordingPort& p) { SendCommand(p, Command::Unrec, SendPrep::Key); },
       {"readlen 0", "discard", "write 55 AA 08", "write 55 AA 08", "write 55 AA 08"}},
      {"exit", false, [](RecordingPort& p) { SendCommand(p, Command::Exit, SendPrep::Exit); },
       {"open", "readlen 0", "discard", "write 55 AA 12", "write 55 AA 12", "write 55 AA 12"}},
      {"run", true, [](RecordingPort& p) { SendCommand(p, Command::Run, SendPrep::OpenOnly); },
       {"write 55 AA 11", "write 55 AA 11", "write 55 AA 11"}},
      {"close an open port", true, [](RecordingPort& p) { CloseIfOpen(p); }, {"close"}},
      {"close a closed port", false, [](RecordingPort& p) { CloseIfOpen(p); }, {}},
  };
  for (const auto& c : cases) {
    RecordingPort port;
    port.opened = c.startOpen;
    c.run(port);
    EXPECT_EQ(port.log, c.expected) << c.what;
  }
}

TEST(Link, HoldIsWrittenSixTimes) {
  RecordingPort port;
  port.opened = true;
  SendCommand(port, Command::Hold, SendPrep::Key);
  EXPECT_EQ(port.writes(), Log(6, "05"));
}

TEST(Link, AFailingStepEndsTheGroupAndEscapesNowhere) {
  // Fail each step of the port-change sequence in turn: nothing after it runs, the
  // error is swallowed by the guard and reported as text.
  const int steps = 7;  // select, readlen, discard, open, 3 writes
  for (int failAt = 0; failAt < steps; ++failAt) {
    RecordingPort port;
    port.failAt = failAt;
    std::string error;
    EXPECT_NO_THROW(error = Guarded([&] { ReopenAndConnect(port, 2); }));
    EXPECT_EQ(error, "refused");
    EXPECT_EQ(static_cast<int>(port.log.size()), failAt + 1) << "fail at " << failAt;
  }
  RecordingPort ok;
  EXPECT_EQ(Guarded([&] { ReopenAndConnect(ok, 2); }), "");
}

}  // namespace
}  // namespace pv
