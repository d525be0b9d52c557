// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The file dialog of the file commands and the Graph window's Download: it starts in
// the folder last used for that kind of file, and a name chosen for saving gets the
// kind's extension unless it already ends with it.
#include <QString>
#include <functional>
#include <string>

class QWidget;

namespace pv::ui {

struct FileDialogRequest {
  QString title;
  QString defaultName;
  QString filter;      // several are separated by ";;"; the first is chosen at the start
  QString extension;  // ".KvtDat": added unless the chosen name ends with it (any case)
  bool save = true;
  // For a dialog with several filters, in place of extension: the path to write for the
  // name typed and the filter chosen.
  std::function<QString(const QString& typed, const QString& filter)> pathFor = {};
};

// Where a dialog starts when no folder is remembered or the remembered one is gone:
// the user's documents folder, else the home folder; never the working folder, which
// is "/" or the home folder when the program was started from a desktop menu.
QString StartFolder(const std::string& remembered);

// Runs the dialog modally in StartFolder(folder). Returns the chosen path, named by
// pathFor or with the extension added for a save, and leaves folder at the chosen file's folder; empty
// (folder untouched) when cancelled.
QString ChooseFile(QWidget* parent, const FileDialogRequest& request, std::string& folder);

}  // namespace pv::ui
