// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/holdtest/hold_record_dialog.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QVBoxLayout>
#include <iterator>

#include "holdtest/hold_sidecar.h"
#include "platform/config_file.h"

namespace pv::ui {
namespace {

constexpr int kNotesLines = 4;

QString ToQString(const std::string& s) {
  return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size()));
}

std::string FromQString(const QString& s) {
  return s.trimmed().toStdString();
}

bool IsNotes(const HoldRecordField& f) {
  return f.field == &HoldRecord::notes;
}

}  // namespace

HoldRecordDialog::HoldRecordDialog(const HoldRecord& offered, QWidget* parent) : QDialog(parent) {
  setWindowTitle(QStringLiteral("Test Record"));
  setWindowFlag(Qt::WindowContextHelpButtonHint, false);
  // Two columns of fields and the notes across under them: one column of every field
  // would not fit a screen 768 pixels high.
  auto* left = new QFormLayout;
  auto* right = new QFormLayout;
  auto* below = new QFormLayout;
  constexpr int kLines = static_cast<int>(std::size(kHoldRecordFields)) - 1;
  int placed = 0;
  for (const HoldRecordField& f : kHoldRecordFields) {
    const QString label = QString::fromUtf8(f.label.data(), static_cast<qsizetype>(f.label.size())) + ':';
    QWidget* edit = nullptr;
    QFormLayout* form = below;
    if (IsNotes(f)) {
      notes_ = new QPlainTextEdit(ToQString(offered.*f.field), this);
      notes_->setTabChangesFocus(true);
      notes_->setFixedHeight(notes_->fontMetrics().lineSpacing() * kNotesLines + 12);
      edit = notes_;
    } else {
      auto* line = new QLineEdit(ToQString(offered.*f.field), this);
      line->setMinimumWidth(line->fontMetrics().averageCharWidth() * 30);
      line->setMaxLength(static_cast<int>(kMaxRecordTextChars));
      edit = line;
      form = placed++ < (kLines + 1) / 2 ? left : right;
    }
    edit->setObjectName(QString::fromLatin1(f.key.data(), static_cast<qsizetype>(f.key.size())));
    form->addRow(label, edit);
  }
  auto* columns = new QHBoxLayout;
  columns->addLayout(left);
  columns->addSpacing(12);
  columns->addLayout(right);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(columns);
  layout->addLayout(below);
  layout->addWidget(buttons);
}

void HoldRecordDialog::accept() {
  if (notes_ && notes_->toPlainText().size() > static_cast<qsizetype>(kMaxRecordTextChars)) {
    QMessageBox::warning(this, windowTitle(),
                         QStringLiteral("The notes are longer than a record holds (%1 characters): "
                                        "shorten them to save the record.")
                             .arg(kMaxRecordTextChars));
    return;
  }
  QDialog::accept();
}

QLineEdit* HoldRecordDialog::lineEdit(std::string_view key) const {
  return findChild<QLineEdit*>(QString::fromLatin1(key.data(), static_cast<qsizetype>(key.size())),
                               Qt::FindDirectChildrenOnly);
}

HoldRecord HoldRecordDialog::record() const {
  HoldRecord r;
  for (const HoldRecordField& f : kHoldRecordFields) {
    if (IsNotes(f)) {
      r.*f.field = FromQString(notes_->toPlainText());
    } else if (const QLineEdit* line = lineEdit(f.key)) {
      r.*f.field = FromQString(line->text());
    }
  }
  return r;
}

std::optional<HoldRecord> AskHoldRecord(QWidget* parent, const std::string& configPath,
                                        std::string* notKept) {
  HoldRecordDialog dialog(ReadHoldRecord(configPath), parent);
  if (dialog.exec() != QDialog::Accepted) return std::nullopt;
  const HoldRecord record = dialog.record();
  const std::string error = WriteHoldRecord(configPath, record);
  if (notKept) *notKept = error;
  return record;
}

}  // namespace pv::ui
