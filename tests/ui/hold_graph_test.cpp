// SPDX-License-Identifier: GPL-3.0-or-later
// A run saved with its hold test, opened again in the Graph window: the test beside
// the data file comes back with its window, criteria and record, recomputed and
// checked, and is drawn; the panel judges the window chosen there, and a record edited
// there is written back beside the file.
#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QMouseEvent>
#include <QPrinter>
#include <QTemporaryDir>

#include "app_model.h"
#include "files/run_files.h"
#include "holdtest/hold_marks.h"
#include "holdtest/hold_sidecar.h"
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

void Send(QWidget& w, QEvent::Type type, QPoint p, Qt::MouseButton button = Qt::NoButton) {
  const Qt::MouseButtons held = type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::MouseButtons(button);
  QMouseEvent e(type, QPointF(p), w.mapToGlobal(QPointF(p)), button, held, Qt::NoModifier);
  QApplication::sendEvent(&w, &e);
}

// A run of `samples` psi samples one second apart (1.5, 2.5 ... psi) saved as run.KvtDat
// with a test of these criteria beside it (none: without one).
struct SavedRun {
  QTemporaryDir dir;
  std::string path = dir.filePath(QStringLiteral("run.KvtDat")).toStdString();
  AppModel run;
  SavedRun(int samples, const std::optional<HoldCriteria>& criteria, bool storedPassed = false) {
    test::FillPsiSamples(run, samples);
    run.run.startHour = 10;
    run.run.startText = "10:00:00";
    EXPECT_TRUE(SaveRun(run, path));
    if (!criteria) return;
    // Judged as a reader of the file judges it.
    AppModel opened;
    EXPECT_TRUE(LoggerDownload(opened, path).loaded);
    const HoldResult judged = AnalyseHold(LoggerFileRows(opened.logger), 1, *criteria).result;
    HoldTestFile saved = HoldTestOf(*criteria, {}, judged);
    // What an earlier program kept: a verdict that the window alone gave.
    if (storedPassed) saved.result.passed = true;
    EXPECT_TRUE(WriteHoldTestRevision(path, bytes(), saved));
  }
  std::vector<std::uint8_t> bytes() const {
    QFile file(QString::fromStdString(path));
    if (!file.open(QIODevice::ReadOnly)) return {};
    const QByteArray data = file.readAll();
    return {data.begin(), data.end()};
  }
};

HoldCriteria AmountCriteria(double allowed, int first, int last, int holdSeconds = 0) {
  HoldCriteria c;
  c.allowedKind = AllowedKind::Amount;
  c.allowed = allowed;
  c.firstSample = first;
  c.lastSample = last;
  c.holdSeconds = holdSeconds;
  return c;
}

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

// A live test of 10 minutes stopped after 8 samples (7 s) was saved with the verdict its
// window alone gave; opened again, the test is judged with its hold period as it was
// asked: ended early, not passed, and the card says the stored verdict differs.
TEST(HoldGraph, ATimedTestCutShortOpensAsEndedEarlyWhateverItsRecordSays) {
  struct Case {
    const char* name;
    int holdSeconds;
    bool storedPassed;
    const char* verdict;
    const char* state;  // in the card's details
    bool checkLine;
  };
  const Case cases[] = {
      {"cut short, stored as passed", 600, true, "NOT PASSED", "ended early at 00:00:07 of 00:10:00", true},
      {"cut short, stored as it is judged", 600, false, "NOT PASSED", "ended early at 00:00:07 of 00:10:00",
       false},
      {"a window judged as it is", 0, false, "PASSED", "complete", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    SavedRun saved(8, AmountCriteria(10.0, 0, 7, c.holdSeconds), c.storedPassed);
    AppModel m;
    ASSERT_TRUE(LoggerDownload(m, saved.path).loaded);
    GraphWindow w(m);
    HoldResultCard* card = w.holdTest().panel()->card();
    EXPECT_EQ(card->verdictText().toStdString(), c.verdict);
    EXPECT_TRUE(card->detailsText().contains(QString::fromLatin1(c.state)))
        << card->detailsText().toStdString();
    EXPECT_EQ(!card->checkText().isEmpty(), c.checkLine) << card->checkText().toStdString();
    const std::optional<HoldTestFile> shown = w.holdTest().test();
    ASSERT_TRUE(shown.has_value());
    EXPECT_EQ(shown->criteria.holdSeconds, c.holdSeconds);
  }
}

// Ten samples, a test of samples 2 to 6 saved beside them. The panel's window list
// chooses what is judged; the saved test's window is chosen at first.
TEST(HoldGraph, ThePanelJudgesTheWindowChosenInTheGraphWindow) {
  struct Case {
    const char* name;
    bool savedTest;
    std::optional<FileWindow> choose;  // none: as the window opened
    const char* from;
    const char* to;
    bool zoom;
    int first, last;      // -1: no result
    const char* reasons;  // how the card's reasons begin without a result
  };
  const Case cases[] = {
      {"the saved test's window by default", true, std::nullopt, "", "", false, 2, 6, ""},
      {"the whole file by default without a test", false, std::nullopt, "", "", false, 0, 9, ""},
      {"the whole file chosen", true, FileWindow::WholeFile, "", "", false, 0, 9, ""},
      {"times of day typed", true, FileWindow::TypedTimes, "10:00:03", "10:00:05", false, 3, 5, ""},
      {"seconds typed, no end", false, FileWindow::TypedTimes, "4", "", false, 4, 9, ""},
      {"times that are none", true, FileWindow::TypedTimes, "later", "", false, -1, -1, "No window to judge"},
      {"the zoomed span", true, FileWindow::ZoomedSpan, "", "", true, 0, 0, ""},
      {"the zoomed span of the full view", true, FileWindow::ZoomedSpan, "", "", false, -1, -1,
       "Zoom into the graph"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    SavedRun saved(10, c.savedTest ? std::optional(AmountCriteria(20.0, 2, 6)) : std::nullopt);
    AppModel m;
    ASSERT_TRUE(LoggerDownload(m, saved.path).loaded);
    GraphWindow w(m);
    GraphHoldTest& hold = w.holdTest();
    hold.setShown(true);
    w.composedImage();
    if (c.zoom) {
      Send(w, QEvent::MouseButtonPress, {300, 100}, Qt::LeftButton);
      Send(w, QEvent::MouseMove, {620, 500}, Qt::LeftButton);
      Send(w, QEvent::MouseButtonRelease, {620, 500}, Qt::LeftButton);
      ASSERT_EQ(m.loggerGraph.zoomLevel, 1);
    }
    hold.panel()->setTypedTimes(QString::fromLatin1(c.from), QString::fromLatin1(c.to));
    if (c.choose) hold.panel()->chooseFileWindow(*c.choose);
    int first = c.first, last = c.last;
    if (c.zoom) {
      const std::optional<RecordSpan> span = LoggerZoomedSpan(m);
      ASSERT_TRUE(span.has_value());
      EXPECT_GT(span->first, 0);
      EXPECT_LT(span->last, 9);
      first = span->first;
      last = span->last;
    }
    const std::optional<HoldTestFile> shown = hold.test();
    EXPECT_EQ(shown ? shown->result.firstSample : -1, first);
    EXPECT_EQ(shown ? shown->result.lastSample : -1, last);
    const QString reasons = QString::fromLatin1(c.reasons);
    if (!shown) {
      EXPECT_EQ(hold.panel()->card()->reasonsText().left(reasons.size()), reasons);
    }
  }
}

// Editing the record of an opened file writes the test beside it as its next revision,
// and the panel says so; a record there that is not this run's is left as it is.
TEST(HoldGraph, ARecordEditedInTheGraphWindowIsWrittenBesideTheFileAsItsNextRevision) {
  enum class Beside { Test, Nothing, Garbage };
  struct Case {
    const char* name;
    Beside beside;
    int revision;        // read back; 0: the file beside is unchanged
    const char* notice;  // how the card's status begins
  };
  const Case cases[] = {
      {"a saved test", Beside::Test, 2, "The record was written beside the file as revision 2"},
      {"no test yet", Beside::Nothing, 1, "The record was written beside the file as revision 1"},
      {"a file beside that is no record", Beside::Garbage, 0, "The record was not written beside the file"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    SavedRun saved(10, c.beside == Beside::Test ? std::optional(AmountCriteria(20.0, 2, 6)) : std::nullopt);
    const QString sidecar = QString::fromStdString(HoldTestPathFor(saved.path));
    if (c.beside == Beside::Garbage) {
      QFile garbage(sidecar);
      ASSERT_TRUE(garbage.open(QIODevice::WriteOnly));
      garbage.write("{\"criteria\": [");
    }
    AppModel m;
    ASSERT_TRUE(LoggerDownload(m, saved.path).loaded);
    GraphWindow w(m);
    GraphHoldTest& hold = w.holdTest();
    hold.setShown(true);
    HoldRecord edited;
    edited.testId = "T-18";
    edited.witness = "B. Witness";
    hold.recordEdited(edited);
    const QString status = QString::fromLatin1(c.notice);
    EXPECT_EQ(hold.panel()->card()->statusText().left(status.size()), status)
        << hold.panel()->card()->statusText().toStdString();
    const SidecarRead read = ReadHoldTestBeside(saved.path, saved.bytes());
    if (c.revision == 0) {
      EXPECT_FALSE(read.test.has_value());
      QFile kept(sidecar);
      ASSERT_TRUE(kept.open(QIODevice::ReadOnly));
      EXPECT_EQ(kept.readAll(), QByteArray("{\"criteria\": ["));
      continue;
    }
    ASSERT_TRUE(read.test.has_value()) << read.problem;
    EXPECT_EQ(read.test->revision, c.revision);
    EXPECT_EQ(read.test->record.testId, "T-18");
    EXPECT_EQ(read.test->record.witness, "B. Witness");
    EXPECT_EQ(read.test->earlierRevisions.size(), static_cast<std::size_t>(c.revision - 1));
    EXPECT_EQ(read.test->criteria.firstSample, c.beside == Beside::Test ? 2 : 0);
  }
}

// Print record… offers a PDF beside the file the test belongs to.
TEST(HoldGraph, PrintRecordOffersAPdfBesideTheFile) {
  SavedRun saved(10, AmountCriteria(20.0, 2, 6));
  AppModel m;
  ASSERT_TRUE(LoggerDownload(m, saved.path).loaded);
  GraphWindow w(m);
  QString offered = QStringLiteral("unasked");
  w.holdTest().printRecord([&](QPrinter& printer, QWidget*) {
    offered = printer.outputFileName();
    return false;
  });
  EXPECT_EQ(offered, saved.dir.filePath(QStringLiteral("run.record.pdf")));
}

}  // namespace
}  // namespace pv::ui
