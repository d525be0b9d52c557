// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Download, and the document's own open: a data-logger file chosen by the user
// replaces the one the logger graph shows.
#include <string>

#include "app_model.h"

namespace pv {

// Download after the file dialog: path is the chosen file, empty when cancelled. The
// file replaces the shown one only when it was read completely; a failure leaves the
// graph (and its path) as it was and returns the message to show.
struct LoggerDownloadResult {
  bool loaded = false;
  std::string error;
};
LoggerDownloadResult LoggerDownload(AppModel& model, const std::string& path);

}  // namespace pv
