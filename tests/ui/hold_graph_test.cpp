// SPDX-License-Identifier: GPL-3.0-or-later
// A run saved with its hold test, opened again in the Graph window: the test beside
// the data file comes back with its window, criteria and record, and is drawn.
#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include "app_model.h"
#include "files/run_files.h"
#include "holdtest/hold_marks.h"
#include "logger/logger_download.h"
#include "pixel_count.h"
#include "psi_run.h"
#include "ui/holdtest/graph_hold_test.h"
#include "ui/holdtest/hold_result_card.h"
#include "ui/holdtest/hold_test_panel.h"
#include "ui/logger/graph_window.h"

namespace pv::ui {
namespace {

using test::PixelsOf;

// Ten samples of 1.5, 2.5 ... 10.5 psi; a test of samples 2 to 6 (a rise of 4 psi).
TEST(HoldGraph, ARunSavedWithItsTestShowsItAgainWhenOpened) {
  enum class Beside { Test, TestThenNone, Garbage };
  struct Case {
    const char* name;
    Beside beside;
    double allowed;
    bool panelShown, sidecarKept;
    const char* verdict;
    const char* status;  // how the panel's status line begins
    int first, last;     // the window of the test shown; -1 none
  };
  const Case cases[] = {
      {"a test that passed", Beside::Test, 5.0, true, true, "PASSED", "", 2, 6},
      {"a test that did not pass", Beside::Test, 0.5, true, true, "NOT PASSED", "", 2, 6},
      {"saved again without a test", Beside::TestThenNone, 5.0, false, false, "", "", -1, -1},
      // The panel says why and judges the whole file by the panel's own criteria.
      {"a sidecar that is not one", Beside::Garbage, 5.0, true, true, "NOT PASSED",
       "The hold test beside this file was not read", 0, 9},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    QTemporaryDir dir;
    const std::string path = dir.filePath(QStringLiteral("run.KvtDat")).toStdString();
    AppModel run;
    test::FillPsiSamples(run, 10);
    HoldCriteria criteria;
    criteria.firstSample = 2;
    criteria.lastSample = 6;
    criteria.allowedKind = AllowedKind::Amount;
    criteria.allowed = c.allowed;
    HoldTestFile saved{criteria, {}, AnalyseHold(LiveRunRows(run), 1, criteria).result};
    saved.record.testId = "T-17";
    ASSERT_TRUE(SaveRun(run, path, &saved));
    if (c.beside == Beside::TestThenNone) {
      ASSERT_TRUE(SaveRun(run, path));
    }
    if (c.beside == Beside::Garbage) {
      QFile sidecar(QString::fromStdString(HoldTestPathFor(path)));
      ASSERT_TRUE(sidecar.open(QIODevice::WriteOnly | QIODevice::Truncate));
      sidecar.write("{\"criteria\": [");
    }
    EXPECT_EQ(QFile::exists(QString::fromStdString(HoldTestPathFor(path))), c.sidecarKept);

    AppModel m;
    ASSERT_TRUE(LoggerDownload(m, path).loaded);
    GraphWindow w(m);
    GraphHoldTest& hold = w.holdTest();
    EXPECT_EQ(hold.shown(), c.panelShown);
    EXPECT_EQ(hold.panel()->card()->verdictText().toStdString(), c.verdict);
    const QString status = QString::fromLatin1(c.status);
    EXPECT_EQ(hold.panel()->card()->statusText().left(status.size()), status);
    const std::optional<HoldTestFile> shown = hold.test();
    EXPECT_EQ(shown ? shown->result.firstSample : -1, c.first);
    EXPECT_EQ(shown ? shown->result.lastSample : -1, c.last);
    EXPECT_EQ(shown ? shown->record.testId : "", c.beside == Beside::Test ? "T-17" : "");
    EXPECT_EQ(PixelsOf(w.composedImage(), kHoldWindowColour) > 0, c.first >= 0);
  }
}

}  // namespace
}  // namespace pv::ui
