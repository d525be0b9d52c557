// SPDX-License-Identifier: GPL-3.0-or-later
#include "files/run_export.h"

#include <array>

#include "files/atomic_save.h"
#include "files/csv_table.h"
#include "files/export_format.h"
#include "files/sample_rows.h"
#include "files/spreadsheet.h"
#include "files/workbook.h"

namespace pv {
namespace {

FileResult<std::string> ExportContents(const AppModel& model, const std::string& path,
                                       const HoldTestFile* holdTest) {
  const LiveRunRows rows(model);
  switch (ExportFormatOf(path)) {
    case ExportFormat::Spreadsheet:
      return BuildSpreadsheet(rows);
    case ExportFormat::Csv:
      return BuildCsv(rows);
    case ExportFormat::Workbook:
      break;
  }
  auto book = BuildWorkbook(rows, model.run.startTime, FolderOf(path), holdTest);
  if (!book) return FileError{path + ": " + book.error().message};
  return std::string(book.value().begin(), book.value().end());
}

}  // namespace

FileStatus ExportRun(const AppModel& model, const std::string& path, const HoldTestFile* holdTest) {
  if (model.store.sampleCount <= 0) return Succeeded();
  const auto contents = ExportContents(model, path, holdTest);
  if (!contents) return contents.error();
  const std::array<FileToWrite, 1> files{FileToWrite(path, contents.value())};
  return SaveFilesAtomically(files);
}

}  // namespace pv
