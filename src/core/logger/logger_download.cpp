#include "logger/logger_download.h"

#include <utility>

#include "files/datalogger_file.h"

namespace pv {

LoggerDownloadResult LoggerDownload(AppModel& m, const std::string& path) {
  LoggerGraphState& g = m.loggerGraph;
  if (path.empty()) {
    g.filePath.clear();
    return {};
  }
  auto loaded = LoadDataLoggerFile(path);
  if (!loaded) return {false, loaded.error().message};
  AdoptLoggerFile(m.logger, std::move(loaded).value());
  g.filePath = path;
  // Nothing of the previous file may stay on show, its readout included.
  g.readout.clear();
  g.cursorTime.clear();
  g.cursorRecord = -1;
  g.fullView = true;
  g.zoomLevel = 0;
  g.cursorHidden = true;
  g.dragUnmoved = true;
  return {true, {}};
}

}  // namespace pv
