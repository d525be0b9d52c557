// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/files/file_commands.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QMessageBox>
#include <cstdio>
#include <ctime>

#include "app_model.h"
#include "files/atomic_save.h"
#include "files/datalogger_file.h"
#include "files/export_format.h"
#include "files/run_export.h"
#include "files/run_files.h"
#include "files/spreadsheet.h"
#include "files/text_table.h"
#include "logger/logger_download.h"

namespace pv::ui {
namespace {

const QString kDataFilter = QStringLiteral("DataLogger Files (*.KvtDat)");
const QString kDataExtension = QString::fromLatin1(kDataFileExtension);

// The wait cursor for as long as a file is being written or read.
struct WaitCursor {
  WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
  ~WaitCursor() { QApplication::restoreOverrideCursor(); }
};

}  // namespace

RunFileCommands::RunFileCommands(AppModel& model, QWidget* window) : QObject(window), model_(model), window_(window) {
  chooseFile = [this](const FileDialogRequest& r, std::string& folder) {
    return ChooseFile(window_, r, folder);
  };
  // Standard error gets the message too, for a program started from a terminal with a
  // file on its command line, and for a desktop's log of what the program printed.
  reportFailure = [this](const QString& message) {
    std::fprintf(stderr, "pneuvista: %s\n",
                 qPrintable(QString(message).replace(QLatin1Char('\n'), QLatin1Char(' '))));
    QMessageBox::warning(window_, QStringLiteral("PNEUVISTA"), message);
  };
}

bool RunFileCommands::saveRun() {
  const std::string name = DefaultSaveName(model_.run.nameTime(std::time(nullptr)), model_.statsBar.interval);
  const QString path = chooseFile(
      {QStringLiteral("Save As"), QString::fromLocal8Bit(name.c_str()), kDataFilter, kDataExtension, true},
      model_.folders.dataFiles);
  if (path.isEmpty()) return false;
  const std::optional<HoldTestFile> holdTest = holdTestOfRun ? holdTestOfRun() : std::nullopt;
  FileStatus status = [&] {
    WaitCursor wait;
    return SaveRun(model_, path.toStdString(), holdTest ? &*holdTest : nullptr);
  }();
  // The run stays in memory whatever happened, so it can be saved elsewhere.
  if (!status) reportFailure(QStringLiteral("The run was not saved.\n%1").arg(QString::fromStdString(status.error().message)));
  else {
    savedPath_ = path.toStdString();
    savedStart_ = model_.run.startTime;
    savedSamples_ = model_.store.sampleCount;
  }
  return static_cast<bool>(status);
}

std::string RunFileCommands::savedPath() const {
  if (model_.run.startTime != savedStart_ || model_.store.sampleCount != savedSamples_) return {};
  return savedPath_;
}

void RunFileCommands::exportExcel() {
  if (model_.store.sampleCount <= 0) return;
  FileDialogRequest request{QStringLiteral("Save As"),
                            QString::fromStdString(DefaultExportName(model_.run.nameTime(std::time(nullptr)))),
                            QString::fromStdString(ExportFilters()), QString(), true};
  // The filter chosen names the format through the extension it gives the file.
  request.pathFor = [](const QString& typed, const QString& filter) {
    return QString::fromStdString(ExportPath(typed.toStdString(), filter.toStdString()));
  };
  const QString path = chooseFile(request, model_.folders.spreadsheets);
  if (path.isEmpty()) return;
  // A workbook carries the run's hold test on a sheet of its own; the tables have no room for it.
  const std::optional<HoldTestFile> holdTest = holdTestOfRun ? holdTestOfRun() : std::nullopt;
  FileStatus status = [&] {
    WaitCursor wait;
    return ExportRun(model_, path.toStdString(), holdTest ? &*holdTest : nullptr);
  }();
  if (!status) reportFailure(QStringLiteral("The run was not exported.\n%1").arg(QString::fromStdString(status.error().message)));
}

void RunFileCommands::documentOpen() {
  const QString path =
      chooseFile({QStringLiteral("Open"), QString(), QStringLiteral("All Files (*.*)"), QString(), false},
                 model_.folders.dataFiles);
  if (!path.isEmpty()) openDocument(path);
}

bool RunFileCommands::openDocument(const QString& path) {
  // The same load as the logger graph's Download, so the graph and the printed page
  // show this file's path and records.
  const LoggerDownloadResult result = [&] {
    WaitCursor wait;
    return LoggerDownload(model_, path.toStdString());
  }();
  if (!result.loaded) {
    reportFailure(QStringLiteral("The file could not be opened.\n%1").arg(QString::fromStdString(result.error)));
    return false;
  }
  if (loggerLoaded) loggerLoaded();
  return true;
}

}  // namespace pv::ui
