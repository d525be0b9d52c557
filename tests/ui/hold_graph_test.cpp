// SPDX-License-Identifier: GPL-3.0-or-later
// A run saved with its hold test, opened again in the Graph window: the test beside
// the data file comes back with its window, criteria and record, and is drawn.
#include <gtest/gtest.h>

#include <QFile>
#include <QPrinter>
#include <QTemporaryDir>
#include <QTest>
#include <fstream>

#include "app_model.h"
#include "files/read_file.h"
#include "files/run_files.h"
#include "holdtest/hold_marks.h"
#include "holdtest/hold_sidecar.h"
#include "holdtest/hold_text.h"
#include "logger/logger_download.h"
#include "logger/logger_hold_window.h"
#include "pixel_count.h"
#include "psi_run.h"
#include "ui/holdtest/graph_hold_test.h"
#include "ui/holdtest/hold_record_actions.h"
#include "ui/holdtest/hold_result_card.h"
#include "ui/holdtest/hold_test_panel.h"
#include "ui/logger/graph_window.h"

namespace pv::ui {
namespace {

using test::PixelsOf;

std::string Span(int first, int last) {
  return std::to_string(first) + "-" + std::to_string(last);
}

// Ten psi samples one second apart from 10:00:00 (1.5, 2.5 ... 10.5 psi) saved as
// run.KvtDat and opened again, with a test of samples 2 to 6 beside them unless
// holdSeconds is none; its stored verdict is the window's own, as an earlier program kept it.
struct SavedRun {
  QTemporaryDir dir;
  std::string path = dir.filePath(QStringLiteral("run.KvtDat")).toStdString();
  AppModel opened;
  explicit SavedRun(std::optional<int> holdSeconds) {
    test::FillPsiSamples(opened, 10);
    opened.run.startHour = 10;
    opened.run.startText = "10:00:00";
    EXPECT_TRUE(SaveRun(opened, path));
    EXPECT_TRUE(LoggerDownload(opened, path).loaded);
    if (!holdSeconds) return;
    HoldCriteria criteria{2, 6, AllowedKind::Amount, 20.0, std::nullopt, kDefaultCheckpoints, 0};
    const HoldResult windowAlone = AnalyseHold(LoggerFileRows(opened.logger), 1, criteria).result;
    criteria.holdSeconds = *holdSeconds;
    const HoldTestFile saved = HoldTestOf(criteria, {}, windowAlone);
    EXPECT_TRUE(WriteHoldTestRevision(path, ReadWholeFile(path).value(), saved));
  }
};

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
      {"another run saved over it without a test", Beside::TestThenNone, 5.0, false, false, "", "", -1, -1},
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
    HoldTestFile saved = HoldTestOf(criteria, {}, AnalyseHold(LiveRunRows(run), 1, criteria).result);
    saved.record.testId = "T-17";
    ASSERT_TRUE(SaveRun(run, path, &saved));
    if (c.beside == Beside::TestThenNone) {
      // Another run saved over it: the record of the first one goes.
      test::FillPsiSamples(run, 9);
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

// A saved test of samples 2 to 6 opened again: the panel judges the window chosen there,
// a timed test cut short with its hold period whatever its record says.
TEST(HoldGraph, ThePanelJudgesTheWindowChosenInTheGraphWindow) {
  struct Case {
    const char* name;
    int holdSeconds;
    std::optional<FileWindow> choose;  // none: as the window opened
    const char* from;
    const char* to;
    const char* shown;  // window, verdict, state and check, or the reason; "zoomed": after a zoom
  };
  const Case cases[] = {
      {"the saved test's window", 0, {}, "", "", "2-6 PASSED, complete"},
      {"cut short", 600, {}, "", "", "2-6 NOT PASSED, ended early at 00:00:04 of 00:10:00, checked"},
      {"the whole file", 0, FileWindow::WholeFile, "", "", "0-9 PASSED, complete"},
      {"times of day typed", 0, FileWindow::TypedTimes, "10:00:03", "10:00:05", "3-5 PASSED, complete"},
      {"times that are none", 0, FileWindow::TypedTimes, "later", "",
       "No window to judge: the start needs a time HH:MM:SS or seconds from the start."},
      {"the zoomed span", 0, FileWindow::ZoomedSpan, "", "", "zoomed"},
      {"the zoomed span of the full view", 0, FileWindow::ZoomedSpan, "", "",
       "Zoom into the graph: the test then judges the span it shows."},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    SavedRun saved(c.holdSeconds);
    GraphWindow w(saved.opened);
    GraphHoldTest& hold = w.holdTest();
    hold.setShown(true);
    w.composedImage();
    hold.panel()->setTypedTimes(QString::fromLatin1(c.from), QString::fromLatin1(c.to));
    if (c.choose) hold.panel()->chooseFileWindow(*c.choose);
    std::string expected = c.shown;
    if (expected == "zoomed") {
      QTest::mousePress(&w, Qt::LeftButton, {}, {300, 100});
      QTest::mouseMove(&w, {620, 500});
      QTest::mouseRelease(&w, Qt::LeftButton, {}, {620, 500});
      const std::optional<RecordSpan> span = LoggerZoomedSpan(saved.opened);
      ASSERT_TRUE(span && span->first > 0 && span->last < 9);
      expected = Span(span->first, span->last) + " PASSED, complete";
    }
    const HoldResultCard& card = *hold.panel()->card();
    const std::optional<HoldTestFile> t = hold.test();
    EXPECT_EQ(t ? Span(t->result.firstSample, t->result.lastSample) + " " + card.verdictText().toStdString() +
                      ", " + HoldStateText(t->result) + (card.checkText().isEmpty() ? "" : ", checked")
                : card.reasonsText().toStdString(),
              expected);
  }
}

// A record edited in the Graph window is written beside the file as the test's next
// revision; a file beside it that is no record is left as it is.
TEST(HoldGraph, ARecordEditedThereIsWrittenBesideTheFileAsItsNextRevision) {
  const std::string garbage = "{\"criteria\": [";
  struct Case {
    const char* name;
    std::optional<int> savedTest;  // its hold period; none: no test saved
    const char* status;            // how the card's status begins
    std::string beside;            // read back: revision, test id and window; or the file's text, as written
  };
  const Case cases[] = {
      {"a saved test", 0, "The record was written beside the file as revision 2", "2 T-18 2-6"},
      {"no test yet", {}, "The record was written beside the file as revision 1", "1 T-18 0-9"},
      {"a file beside that is no record", {}, "The record was not written beside the file", garbage},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    SavedRun saved(c.savedTest);
    const std::string sidecar = HoldTestPathFor(saved.path);
    if (c.beside == garbage) std::ofstream(sidecar) << garbage;
    GraphWindow w(saved.opened);
    w.holdTest().setShown(true);
    HoldRecord edited;
    edited.testId = "T-18";
    w.holdTest().recordEdited(edited);
    const std::string status = w.holdTest().panel()->card()->statusText().toStdString();
    EXPECT_TRUE(status.starts_with(c.status)) << status;
    const std::optional<HoldTestFile> t =
        ReadHoldTestBeside(saved.path, ReadWholeFile(saved.path).value()).test;
    const std::vector<std::uint8_t> text = ReadWholeFile(sidecar).value();
    EXPECT_EQ(t ? std::to_string(t->revision) + " " + t->record.testId + " " +
                      Span(t->result.firstSample, t->result.lastSample)
                : std::string(text.begin(), text.end()),
              c.beside);
  }
}

TEST(HoldGraph, PrintRecordOffersAPdfBesideTheFile) {
  SavedRun saved(0);
  GraphWindow w(saved.opened);
  QString offered;
  w.holdTest().printRecord([&](QPrinter& printer, QWidget*) {
    offered = printer.outputFileName();
    return false;
  });
  EXPECT_EQ(offered, saved.dir.filePath(QStringLiteral("run.record.pdf")));
}

}  // namespace
}  // namespace pv::ui
