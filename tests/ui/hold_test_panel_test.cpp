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
#include "holdtest/hold_text.h"
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

// A live test of 10 minutes on a run stopped after 8 samples: the test kept (saved,
// exported, printed) is the one on show, ended early; cursors placed on the stopped run
// then put their window on show. Print record… offers a PDF beside the saved run only.
TEST(HoldTestPanel, TheTestOnShowIsTheOneKeptAndCursorsOnAStoppedRunTakeThePanel) {
  QTemporaryDir dir;
  AppModel model;
  test::RecordingPort port;
  std::string savedFile;
  UserPrompts prompts;
  prompts.askSampleRate = [](int, int* value) { return *value = 1, true; };
  WindowServices services = PortsAt([](int) { return std::string("/dev/null"); }, prompts);
  services.savedFile = [&] { return savedFile; };
  MainWindow window(model, port, SettingsFile((dir.path() + "/c.ini").toStdString()), std::move(services));
  window.resize(1300, 900);
  window.show();
  QCoreApplication::processEvents();
  const auto reading = [&](const char* text, bool sampled) {
    port.incoming.push_back(test::ReadingBytes(test::kPsi, 0, 0, text));
    window.driver().receive();
    if (sampled) window.driver().sampleTick();
  };
  reading("1.000", false);
  window.runCommand(WindowCommand::Run);
  reading("1.000", true);
  window.runCommand(WindowCommand::HoldTest);
  HoldTestPanel* panel = window.holdTest().panel();
  for (QRadioButton* choice : panel->findChildren<QRadioButton*>())
    if (choice->text().startsWith(QStringLiteral("Live"))) choice->setChecked(true);
  panel->setCriteria(HoldCriteria{0, -1, AllowedKind::Amount, 0.05, std::nullopt, kDefaultCheckpoints, 0});
  ASSERT_TRUE(panel->startButton()->isEnabled());
  panel->startButton()->click();
  for (int i = 0; i < 8; ++i) reading(i < 4 ? "1.000" : "0.900", true);
  window.runCommand(WindowCommand::Stop);

  struct Step {
    const char* name;
    int cursorA, cursorB;  // -1: none placed
    const char* kept;      // its window, the verdict on show and its state
  };
  const Step steps[] = {
      {"the live test", -1, -1, "1-8 NOT PASSED, ended early at 00:00:07 of 00:10:00"},
      {"cursors over the steady readings", 1, 4, "1-4 PASSED, complete"},
      {"cursors moved over the drop", 6, 3, "3-6 NOT PASSED, complete"},
  };
  for (const Step& step : steps) {
    SCOPED_TRACE(step.name);
    if (step.cursorA >= 0) {
      model.chart.cursorA = step.cursorA;
      model.chart.cursorB = step.cursorB;
      model.chart.cursorsHidden = false;
      model.chart.cursorStage = CursorStage::kBothPlaced;
      window.view()->repaint();  // the paint's layout finds the cursors, as a click's does
    }
    const std::optional<HoldTestFile> kept = window.holdTest().testOfRun();
    ASSERT_TRUE(kept.has_value());
    EXPECT_EQ(std::to_string(kept->result.firstSample) + "-" + std::to_string(kept->result.lastSample) + " " +
                  panel->card()->verdictText().toStdString() + ", " + HoldStateText(kept->result),
              step.kept);
  }

  const auto offeredPdf = [&] {
    QString offered = QStringLiteral("unasked");
    window.holdTest().printRecord([&](QPrinter& printer, QWidget*) {
      offered = printer.outputFileName();
      return false;
    });
    return offered.toStdString();
  };
  EXPECT_EQ(offeredPdf(), "");
  savedFile = "/data/tank.v1.KvtDat";
  EXPECT_EQ(offeredPdf(), "/data/tank.v1.record.pdf");
}

}  // namespace
}  // namespace pv::ui
