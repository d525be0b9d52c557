// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The hold test in the Graph window: the panel beside the graph judges a window of the
// loaded file (the window of the test saved beside it, the whole file, the zoomed span
// or two times typed) and puts its marks on the graph. A file opened with a test beside
// it shows that test again, recomputed from the samples and checked as an auditor would;
// a record edited here is written back beside the file as the test's next revision.
#include <QObject>
#include <QStringList>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "display_list.h"
#include "holdtest/hold_record.h"
#include "ui/print/print_command.h"

class QWidget;

namespace pv {
struct AppModel;
}

namespace pv::ui {

class HoldTestPanel;

class GraphHoldTest : public QObject {
  Q_OBJECT
 public:
  // configPath: the configuration file that keeps the record's last values.
  GraphHoldTest(AppModel& model, QWidget& window, std::string configPath);

  HoldTestPanel* panel() const { return panel_; }
  bool shown() const;
  void setShown(bool shown);

  // The logger store holds another file (or the window opened on one): a test saved
  // beside it comes back, and the panel shows itself for it.
  void fileLoaded();
  // The graph was laid out again (a zoom, a scroll): a zoomed span judged follows it.
  void viewLaidOut();
  // The window, band and minimum over the graph's full view.
  void drawMarks(DisplayList& out) const;
  // The test as the panel shows it, for the record; none without a result.
  std::optional<HoldTestFile> test() const;
  HoldRecord& record() { return record_; }

  // The record was edited: it goes with the test, and beside the file as the next
  // revision of its record. The panel says which, or why it was not written.
  void recordEdited(const HoldRecord& record);
  // Prints the record of the test on show, offering a PDF beside the file.
  void printRecord(const AskWhereToPrint& ask);

 signals:
  // The marks changed: the graph is drawn again.
  void changed();
  void shownChanged(bool shown);

 private:
  void analyse();
  void readBeside();
  // The window the panel chose as criteria; false with the reason in *problem.
  bool chooseWindow(HoldCriteria& criteria, QString& text, std::string& problem) const;
  std::optional<std::int64_t> startUtc() const;

  AppModel& model_;
  QWidget& window_;
  std::string configPath_;
  HoldTestPanel* panel_;
  HoldRecord record_;
  // The file's bytes as loaded (the record's binding is checked and written against
  // them); empty with bytesProblem_ set when they could not be confirmed.
  std::vector<std::uint8_t> dataBytes_;
  std::string bytesProblem_;
  std::optional<HoldTestFile> saved_;  // the test beside the file, as read
  std::string sidecarProblem_;         // why a record beside the file is not used
  QStringList check_;                  // what checking the saved test found
  QString notice_;                     // the last word on the record's writing
  HoldCriteria criteria_;
  HoldOutcome outcome_;
};

}  // namespace pv::ui
