// SPDX-License-Identifier: GPL-3.0-or-later
// The Hold Test command in the main window: the panel beside the chart judges the
// window between the cursors (or the whole run) and the chart shows the window's marks.
#include "ui/holdtest/hold_test_panel.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDockWidget>
#include <QPrinter>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>

#include "../core/live_fixtures.h"
#include "../core/recording_port.h"
#include "app_model.h"
#include "driver/session_driver.h"
#include "holdtest/hold_marks.h"
#include "pixel_count.h"
#include "psi_run.h"
#include "ui/chart/chart_view.h"
#include "ui/holdtest/hold_result_card.h"
#include "ui/holdtest/main_hold_test.h"
#include "ui/window/main_window.h"
#include "window_services.h"

namespace pv::ui {
namespace {

using test::PixelsOf;

// Ten samples of 1.5, 2.5 ... 10.5 psi: each step rises by one psi.
TEST(HoldTestPanel, TheCommandJudgesTheCursorsWindowOrTheWholeRunAndMarksItOnTheChart) {
  struct Case {
    const char* name;
    int cursorA, cursorB;  // -1: none placed
    double allowedAmount;
    const char* verdict;
    const char* window;  // how the window's text begins
  };
  const Case cases[] = {
      {"the whole run rises too far", -1, -1, 5.0, "NOT PASSED", "Whole run"},
      {"the whole run within a wide allowance", -1, -1, 10.0, "PASSED", "Whole run"},
      {"the cursors' window, B before A", 6, 4, 2.5, "PASSED", "Cursors A-B"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    QTemporaryDir dir;
    AppModel model;
    test::RecordingPort port;
    test::FillPsiSamples(model, 10);
    model.run.fullScale = model.store.fullScaleAt[0];
    MainWindow window(model, port, SettingsFile((dir.path() + "/config.ini").toStdString()),
                      PortsAt([](int) { return std::string("/dev/null"); }));
    window.resize(1300, 900);
    window.show();
    QCoreApplication::processEvents();
    if (c.cursorA >= 0) {
      model.chart.cursorA = c.cursorA;
      model.chart.cursorB = c.cursorB;
      model.chart.cursorsHidden = false;
      model.chart.cursorStage = CursorStage::kBothPlaced;
    }
    window.view()->repaint();
    EXPECT_EQ(PixelsOf(window.view()->lastFrame(), kHoldWindowColour), 0);

    window.runCommand(WindowCommand::HoldTest);
    HoldTestPanel* panel = window.holdTest().panel();
    ASSERT_TRUE(window.holdTest().shown());
    panel->setCriteria([&] {
      HoldCriteria criteria;
      criteria.allowedKind = AllowedKind::Amount;
      criteria.allowed = c.allowedAmount;
      return criteria;
    }());
    window.cursorBarChanged();  // as placing the cursors tells the window
    EXPECT_EQ(panel->card()->verdictText().toStdString(), c.verdict);
    const auto test = window.holdTest().testOfRun();
    ASSERT_TRUE(test.has_value());
    EXPECT_EQ(test->result.firstSample, c.cursorA < 0 ? 0 : std::min(c.cursorA, c.cursorB));
    EXPECT_EQ(test->result.lastSample, c.cursorA < 0 ? 9 : std::max(c.cursorA, c.cursorB));
    window.view()->repaint();
    // Two window marks, the full height of the plot each.
    EXPECT_GE(PixelsOf(window.view()->lastFrame(), kHoldWindowColour), 2 * 300);

    window.runCommand(WindowCommand::HoldTest);
    EXPECT_FALSE(window.holdTest().shown());
    EXPECT_FALSE(window.holdTest().testOfRun().has_value());
    window.view()->repaint();
    EXPECT_EQ(PixelsOf(window.view()->lastFrame(), kHoldWindowColour), 0);
  }
}

// A main window on a recording port whose run the test drives sample by sample.
struct LiveShell {
  QTemporaryDir dir;
  AppModel model;
  test::RecordingPort port;
  std::unique_ptr<MainWindow> window;
  explicit LiveShell(std::function<std::string()> savedFile = {}) {
    UserPrompts prompts;
    prompts.askSampleRate = [](int, int* value) { return *value = 1, true; };
    WindowServices services = PortsAt([](int) { return std::string("/dev/null"); }, prompts);
    services.savedFile = std::move(savedFile);
    window = std::make_unique<MainWindow>(model, port, SettingsFile((dir.path() + "/c.ini").toStdString()),
                                          std::move(services));
    window->resize(1300, 900);
    window->show();
    QCoreApplication::processEvents();
  }
  void reading(const char* text) {
    port.incoming.push_back(test::ReadingBytes(test::kPsi, 0, 0, text));
    window->driver().receive();
  }
  void sample(const char* text) {
    reading(text);
    window->driver().sampleTick();
  }
  HoldTestPanel* panel() const { return window->holdTest().panel(); }
  void chooseLive() {
    for (QRadioButton* choice : panel()->findChildren<QRadioButton*>())
      if (choice->text().startsWith(QStringLiteral("Live"))) choice->setChecked(true);
  }
};

// A live test of 10 minutes, its run stopped after 8 samples: the test kept (saved,
// exported, printed) is the one on show, ended early and not passed. Placing both
// cursors on the stopped run then puts their window on show, and that is the test kept.
TEST(HoldTestPanel, TheTestOnShowIsTheOneKeptAndCursorsOnAStoppedRunTakeThePanel) {
  LiveShell s;
  s.reading("1.000");
  s.window->runCommand(WindowCommand::Run);
  s.reading("1.000");
  ASSERT_EQ(s.model.run.phase, RunPhase::Running);
  s.sample("1.000");
  s.window->runCommand(WindowCommand::HoldTest);
  s.chooseLive();
  s.panel()->setCriteria([] {
    HoldCriteria c;
    c.allowedKind = AllowedKind::Amount;
    c.allowed = 0.05;
    return c;
  }());
  ASSERT_TRUE(s.panel()->startButton()->isEnabled());
  s.panel()->startButton()->click();
  for (int i = 0; i < 8; ++i) s.sample(i < 4 ? "1.000" : "0.900");
  s.window->runCommand(WindowCommand::Stop);

  std::optional<HoldTestFile> kept = s.window->holdTest().testOfRun();
  ASSERT_TRUE(kept.has_value());
  EXPECT_EQ(kept->criteria.holdSeconds, 600);
  EXPECT_EQ(kept->result.firstSample, 1);
  EXPECT_EQ(kept->result.lastSample, 8);
  EXPECT_EQ(kept->result.state, HoldState::EndedEarly);
  EXPECT_FALSE(kept->result.passed);
  EXPECT_TRUE(
      s.panel()->card()->detailsText().contains(QStringLiteral("ended early at 00:00:07 of 00:10:00")));

  struct Step {
    const char* name;
    int cursorA, cursorB;
    bool live;  // the live test stays on show
    int first, last;
    const char* verdict;
  };
  const Step steps[] = {
      {"cursors over the steady readings", 1, 4, false, 1, 4, "PASSED"},
      {"cursors moved over the drop", 6, 3, false, 3, 6, "NOT PASSED"},
  };
  for (const Step& step : steps) {
    SCOPED_TRACE(step.name);
    s.model.chart.cursorA = step.cursorA;
    s.model.chart.cursorB = step.cursorB;
    s.model.chart.cursorsHidden = false;
    s.model.chart.cursorStage = CursorStage::kBothPlaced;
    s.window->view()->repaint();  // the paint's layout finds the cursors, as a click's does
    EXPECT_EQ(s.panel()->liveChosen(), step.live);
    EXPECT_EQ(s.panel()->card()->verdictText().toStdString(), step.verdict);
    kept = s.window->holdTest().testOfRun();
    ASSERT_TRUE(kept.has_value());
    EXPECT_EQ(kept->result.firstSample, step.first);
    EXPECT_EQ(kept->result.lastSample, step.last);
    EXPECT_EQ(kept->criteria.holdSeconds, 0);
  }
}

// Print record… offers a PDF beside the file the run was saved to, and none before a save.
TEST(HoldTestPanel, PrintRecordOffersAPdfBesideTheSavedRun) {
  struct Case {
    const char* name;
    std::string savedFile;
    const char* offered;
  };
  const Case cases[] = {
      {"saved", "/data/tank.v1.KvtDat", "/data/tank.v1.record.pdf"},
      {"not saved yet", "", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    LiveShell s([&] { return c.savedFile; });
    test::FillPsiSamples(s.model, 10);
    s.window->runCommand(WindowCommand::HoldTest);
    s.window->cursorBarChanged();
    QString offered = QStringLiteral("unasked");
    s.window->holdTest().printRecord([&](QPrinter& printer, QWidget*) {
      offered = printer.outputFileName();
      return false;
    });
    EXPECT_EQ(offered.toStdString(), c.offered);
  }
}

}  // namespace
}  // namespace pv::ui
