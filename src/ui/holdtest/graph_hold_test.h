// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The hold test in the Graph window: the panel beside the graph judges the loaded file
// (the window of the test saved beside it, or the whole file) and puts its marks on
// the graph. A file opened with a test beside it shows that test again.
#include <QObject>
#include <optional>
#include <string>

#include "display_list.h"
#include "holdtest/hold_record.h"

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
  // The window, band and minimum over the graph's full view.
  void drawMarks(DisplayList& out) const;
  // The test as the panel shows it, for the record; none without a result.
  std::optional<HoldTestFile> test() const;
  HoldRecord& record() { return record_; }

 signals:
  // The marks changed: the graph is drawn again.
  void changed();
  void shownChanged(bool shown);

 private:
  void analyse();

  AppModel& model_;
  QWidget& window_;
  std::string configPath_;
  HoldTestPanel* panel_;
  HoldRecord record_;
  std::optional<std::pair<int, int>> savedWindow_;  // the restored test's samples
  HoldCriteria criteria_;
  HoldOutcome outcome_;
};

}  // namespace pv::ui
