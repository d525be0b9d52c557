// SPDX-License-Identifier: GPL-3.0-or-later
#include "logger/logger_download.h"

#include <utility>

#include "files/datalogger_file.h"
#include "logger/logger_graph_view.h"

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
  // Nothing of the previous file may stay on show or on the printed page: its path,
  // readout, zoom or scroll.
  g.filePath = path;
  m.loggerView.shownPath = path;
  g.readout.clear();
  g.cursorTime.clear();
  g.cursorRecord = -1;
  LoggerResetView(m);
  return {true, {}};
}

}  // namespace pv
