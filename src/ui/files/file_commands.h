// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The file commands of the main window and the statistics bar: Save (data file and
// text table), Open (a data-logger file into the Graph window's store) and Export
// Excel (spreadsheet, workbook or CSV, as the dialog's filter chooses).
#include <QObject>
#include <QString>
#include <ctime>
#include <functional>
#include <string>
#include <optional>

#include "holdtest/hold_record.h"
#include "ui/files/file_dialog.h"

class QWidget;

namespace pv {
struct AppModel;
}

namespace pv::ui {

class RunFileCommands : public QObject {
  Q_OBJECT
 public:
  RunFileCommands(AppModel& model, QWidget* window);

  // The file dialog, started in the folder last used for the kind of file; returns the
  // chosen path, empty when cancelled. Tests replace it.
  std::function<QString(const FileDialogRequest&, std::string& folder)> chooseFile;
  // Tells the user that something failed; tests replace it.
  std::function<void(const QString& message)> reportFailure;
  // Called after the logger store was loaded from a file.
  std::function<void()> loggerLoaded;
  // The hold test that goes with the run, saved beside it; none when unset.
  std::function<std::optional<HoldTestFile>()> holdTestOfRun;

  // True once the run is written; false when cancelled or failed (the failure told).
  bool saveRun();
  // The file the last successful saveRun wrote the run on show to; empty before one, and
  // once another run replaced it (a record printed then must not name the old file).
  std::string savedPath() const;
  void exportExcel();
  void documentOpen();
  // Loads a data-logger file into the logger store as document open does; a file that
  // cannot be loaded is told through reportFailure. Returns whether it was loaded.
  bool openDocument(const QString& path);

 private:
  AppModel& model_;
  QWidget* window_;
  std::string savedPath_;
  // The run savedPath_ holds: its start and sample count when it was saved.
  std::time_t savedStart_ = 0;
  int savedSamples_ = 0;
};

}  // namespace pv::ui
