#include "files/run_files.h"

#include <array>

#include "files/atomic_save.h"
#include "files/datalogger_file.h"
#include "files/sample_rows.h"
#include "files/text_table.h"

namespace pv {

FileStatus SaveRun(const AppModel& model, const std::string& dataPath) {
  const std::vector<std::uint8_t> data = EncodeDataLoggerFile(model);
  const std::string table = BuildTextTable(LiveRunRows(model));
  const std::array<FileToWrite, 2> files{FileToWrite(dataPath, std::span(data)),
                                         FileToWrite(TextTablePathFor(dataPath), table)};
  return SaveFilesAtomically(files);
}

FileStatus SaveRunFiles(const AppModel& model, const std::string& dataPath, bool withTextTable) {
  if (withTextTable) return SaveRun(model, dataPath);
  const std::vector<std::uint8_t> data = EncodeDataLoggerFile(model);
  const std::array<FileToWrite, 1> files{FileToWrite(dataPath, std::span(data))};
  return SaveFilesAtomically(files);
}

}  // namespace pv
