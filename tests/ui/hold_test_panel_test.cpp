// SPDX-License-Identifier: GPL-3.0-or-later
// The Hold Test command in the main window: the panel beside the chart judges the
// window between the cursors (or the whole run) and the chart shows the window's marks.
#include "ui/holdtest/hold_test_panel.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDockWidget>
#include <QTemporaryDir>

#include "../core/recording_port.h"
#include "app_model.h"
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

}  // namespace
}  // namespace pv::ui
