// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/print/pdf_file.h"

#include <QFile>
#include <QPrinter>
#include <array>
#include <cerrno>
#include <cstring>
#include <span>
#include <vector>

#include "files/atomic_save.h"
#include "files/memory_file.h"
#include "ui/print/print_painter.h"

namespace pv::ui {

bool PrintPageToPdfFile(QPrinter& printer, const AppModel& model, std::time_t now, QString* error) {
  return PrintToPdfFile(
      printer, [&](QPrinter& p, QString* why) { return PrintPageOn(p, model, now, why); }, error);
}

bool PrintToPdfFile(QPrinter& printer, const PrintOnto& print, QString* error) {
  const QString target = printer.outputFileName();
  const std::string targetPath = QFile::encodeName(target).toStdString();
  auto fail = [&](const QString& why) {
    if (error) *error = why;
    return false;
  };
  auto systemFailure = [&](int err) {
    return fail(
        QStringLiteral("%1: cannot print: %2").arg(target, QString::fromLocal8Bit(std::strerror(err))));
  };
  const MemoryFile pdf("pneuvista-pdf");
  if (!pdf.ok()) return systemFailure(errno);
  printer.setOutputFileName(QString::fromStdString(pdf.path()));
  const bool printed = print(printer, error);
  printer.setOutputFileName(target);
  if (!printed) return fail(QStringLiteral("%1 could not be written.").arg(target));
  std::vector<std::uint8_t> bytes;
  if (!pdf.read(bytes)) return systemFailure(errno);
  if (bytes.empty()) return systemFailure(EIO);
  const std::array<FileToWrite, 1> files{FileToWrite(targetPath, std::span<const std::uint8_t>(bytes))};
  const FileStatus saved = SaveFilesAtomically(files);
  if (!saved) return fail(QString::fromStdString(saved.error().message));
  return true;
}

}  // namespace pv::ui
