// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/files/file_dialog.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QStandardPaths>

#include "files/atomic_save.h"

namespace pv::ui {
namespace {

QString WithExtension(const QString& path, const QString& extension) {
  if (extension.isEmpty()) return path;
  return QString::fromStdString(pv::WithExtension(path.toStdString(), extension.toStdString()));
}

// The path a save writes for the name typed with a filter chosen.
QString SavePath(const FileDialogRequest& r, const QString& typed, const QString& filter) {
  return r.pathFor ? r.pathFor(typed, filter) : WithExtension(typed, r.extension);
}

bool AskToReplace(QWidget* parent, const QString& path) {
  return QMessageBox::warning(
             parent, QStringLiteral("Save As"),
             QStringLiteral("%1 already exists.\nDo you want to replace it?").arg(QFileInfo(path).fileName()),
             QMessageBox::Yes | QMessageBox::No, QMessageBox::No) == QMessageBox::Yes;
}

// The extension goes on while the dialog is still open, so that the question about
// replacing an existing file is asked about the file that will really be written, and
// No leaves the user in the dialog. The dialog's own default suffix only helps names
// without any dot.
class SaveDialog : public QFileDialog {
 public:
  SaveDialog(QWidget* parent, const FileDialogRequest& r, const QString& folder)
      : QFileDialog(parent, r.title, folder, r.filter), request_(r) {}

  QString chosenPath() const {
    if (!named_.isEmpty()) return named_;
    return selectedFiles().isEmpty() ? QString() : selectedFiles().front();
  }

  void accept() override {
    const QStringList chosen = selectedFiles();
    if ((request_.extension.isEmpty() && !request_.pathFor) || acceptMode() != AcceptSave ||
        chosen.size() != 1 || QFileInfo(chosen.front()).isDir())
      return QFileDialog::accept();
    const QString named = SavePath(request_, chosen.front(), selectedNameFilter());
    if (named == chosen.front()) return QFileDialog::accept();
    if (QFileInfo::exists(named) && !AskToReplace(this, named)) return;
    named_ = named;
    QDialog::accept();
  }

 private:
  const FileDialogRequest& request_;
  QString named_;
};

// A system dialog takes the name as typed; when the extension then names a file that
// exists, the question it did not ask is asked here.
bool MayReplace(QWidget* parent, const QString& typed, const QString& path) {
  return typed == path || !QFileInfo::exists(path) || AskToReplace(parent, path);
}

}  // namespace

QString StartFolder(const std::string& remembered) {
  const QString folder = QString::fromStdString(remembered);
  if (!folder.isEmpty() && QFileInfo(folder).isDir()) return folder;
  const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
  if (!documents.isEmpty() && QFileInfo(documents).isDir()) return documents;
  return QDir::homePath();
}

QString ChooseFile(QWidget* parent, const FileDialogRequest& r, std::string& folder) {
  SaveDialog dialog(parent, r, StartFolder(folder));
  dialog.setAcceptMode(r.save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
  dialog.setFileMode(r.save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
  if (r.extension.size() > 1) dialog.setDefaultSuffix(r.extension.mid(1));
  if (!r.defaultName.isEmpty()) dialog.selectFile(r.defaultName);
  if (dialog.exec() != QDialog::Accepted || dialog.chosenPath().isEmpty()) return {};
  const QString typed = dialog.chosenPath();
  const QString path = r.save ? SavePath(r, typed, dialog.selectedNameFilter()) : typed;
  if (r.save && !MayReplace(parent, typed, path)) return {};
  folder = QFileInfo(path).absolutePath().toStdString();
  return path;
}

}  // namespace pv::ui
