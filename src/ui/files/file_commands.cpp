#include "ui/files/file_commands.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <ctime>

#include "app_model.h"
#include "files/datalogger_file.h"
#include "files/run_files.h"
#include "files/spreadsheet.h"
#include "files/text_table.h"
#include "files/atomic_save.h"

namespace pv::ui {
namespace {

const QString kDataFilter = QStringLiteral("DataLogger Files (*.KvtDat)");

// The wait cursor for as long as a file is being written or read.
struct WaitCursor {
  WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
  ~WaitCursor() { QApplication::restoreOverrideCursor(); }
};

QString RunDialog(QWidget* parent, const FileDialogRequest& r) {
  QFileDialog dialog(parent, r.title, QDir::current().filePath(r.defaultName), r.filter);
  dialog.setAcceptMode(r.save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
  dialog.setFileMode(r.save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
  if (!r.defaultSuffix.isEmpty()) dialog.setDefaultSuffix(r.defaultSuffix);
  if (!r.defaultName.isEmpty()) dialog.selectFile(r.defaultName);
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
  return dialog.selectedFiles().front();
}

// A typed name without an extension gets the default one, as the dialog would add it.
QString WithSuffix(const QString& path, const QString& suffix) {
  if (path.isEmpty() || suffix.isEmpty() || !QFileInfo(path).suffix().isEmpty()) return path;
  return path + QLatin1Char('.') + suffix;
}

}  // namespace

RunFileCommands::RunFileCommands(AppModel& model, QWidget* window) : QObject(window), model_(model), window_(window) {
  chooseFile = [this](const FileDialogRequest& r) { return RunDialog(window_, r); };
  reportFailure = [this](const QString& message) {
    QMessageBox::warning(window_, QStringLiteral("PNEUVISTA"), message);
  };
}

bool RunFileCommands::saveRun() {
  const std::string name = DefaultSaveName(std::time(nullptr), model_.statsBar.interval);
  const QString path = WithSuffix(
      chooseFile({QStringLiteral("Save As"), QString::fromLocal8Bit(name.c_str()), kDataFilter,
                  QStringLiteral("KvtDat"), true}),
      QStringLiteral("KvtDat"));
  if (path.isEmpty()) return false;
  FileStatus status = [&] {
    WaitCursor wait;
    return SaveRun(model_, path.toStdString());
  }();
  // The run stays in memory whatever happened, so it can be saved elsewhere.
  if (!status) reportFailure(QStringLiteral("The run was not saved.\n%1").arg(QString::fromStdString(status.error().message)));
  return static_cast<bool>(status);
}

void RunFileCommands::exportExcel() {
  if (model_.store.sampleCount <= 0) return;
  const QString path = WithSuffix(chooseFile({QStringLiteral("Save As"),
                                              QString::fromStdString(DefaultExportName(std::time(nullptr))),
                                              QStringLiteral("Data File(*.xls)"), QStringLiteral("xls"), true}),
                                  QStringLiteral("xls"));
  if (path.isEmpty()) return;
  FileStatus status = [&] {
    WaitCursor wait;
    return ExportRun(model_, path.toStdString());
  }();
  if (!status) reportFailure(QStringLiteral("The run was not exported.\n%1").arg(QString::fromStdString(status.error().message)));
}

void RunFileCommands::documentSave() {
  const QString path = chooseFile({QStringLiteral("Save As"), QString(), QStringLiteral("All Files (*.*)"), QString(), true});
  if (path.isEmpty()) return;
  const std::vector<std::uint8_t> data = EncodeDataLoggerFile(model_);
  const std::array<FileToWrite, 1> files{FileToWrite(path.toStdString(), std::span(data))};
  FileStatus status = [&] {
    WaitCursor wait;
    return SaveFilesAtomically(files);
  }();
  if (!status) reportFailure(QStringLiteral("The file was not saved.\n%1").arg(QString::fromStdString(status.error().message)));
}

void RunFileCommands::documentOpen() {
  const QString path = chooseFile({QStringLiteral("Open"), QString(), QStringLiteral("All Files (*.*)"), QString(), false});
  if (path.isEmpty()) return;
  auto loaded = [&] {
    WaitCursor wait;
    return LoadDataLoggerFile(path.toStdString());
  }();
  if (!loaded) {
    reportFailure(QStringLiteral("The file could not be opened.\n%1").arg(QString::fromStdString(loaded.error().message)));
    return;
  }
  AdoptLoggerFile(model_.logger, std::move(loaded).value());
  if (loggerLoaded) loggerLoaded();
}

}  // namespace pv::ui
