// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The folders the file dialogs were last left in, one per kind of file, so that the
// next dialog for that kind starts there. Empty: no folder remembered yet.
#include <string>

namespace pv {

struct FileFolders {
  std::string dataFiles;     // data-logger files: Save, document save and open, Download
  std::string spreadsheets;  // Export Excel

  bool operator==(const FileFolders&) const = default;
};

}  // namespace pv
