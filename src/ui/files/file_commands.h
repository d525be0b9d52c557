#pragma once
// The file commands of the main window and the statistics bar: Save (data file and
// text table), the document's own save and open, and Export Excel.
#include <QObject>
#include <QString>
#include <functional>

class QWidget;

namespace pv {
struct AppModel;
}

namespace pv::ui {

struct FileDialogRequest {
  QString title;
  QString defaultName;
  QString filter;
  QString defaultSuffix;  // added when the chosen name has none
  bool save = true;
};

class RunFileCommands : public QObject {
  Q_OBJECT
 public:
  RunFileCommands(AppModel& model, QWidget* window);

  // The file dialog; returns the chosen path, empty when cancelled. Tests replace it.
  std::function<QString(const FileDialogRequest&)> chooseFile;
  // Tells the user that something failed; tests replace it.
  std::function<void(const QString& message)> reportFailure;
  // Called after the logger store was loaded from a file.
  std::function<void()> loggerLoaded;

  // True once the run is written; false when cancelled or failed (the failure told).
  bool saveRun();
  void exportExcel();
  void documentSave();
  void documentOpen();

 private:
  AppModel& model_;
  QWidget* window_;
};

}  // namespace pv::ui
