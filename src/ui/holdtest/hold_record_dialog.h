// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The hold test's record: who tested what, where and with which instrument. Every field
// may stay blank; the values entered last time are offered again.
#include <QDialog>
#include <optional>
#include <string>
#include <string_view>

#include "holdtest/hold_record.h"

class QLineEdit;
class QPlainTextEdit;

namespace pv::ui {

class HoldRecordDialog : public QDialog {
  Q_OBJECT
 public:
  HoldRecordDialog(const HoldRecord& offered, QWidget* parent);

  // The fields as they stand, without blanks at either end.
  HoldRecord record() const;

  // The edit box of a field by its key ("test_id"); the notes have a box of several lines.
  QLineEdit* lineEdit(std::string_view key) const;
  QPlainTextEdit* notesEdit() const { return notes_; }

  // OK keeps the dialog open, with a word why, while the notes are longer than a record
  // may be: a record that could not be read back would be lost.
  void accept() override;

 private:
  QPlainTextEdit* notes_ = nullptr;
};

// Shows the dialog with the record last kept in the configuration file at configPath;
// on OK keeps the new record there for next time and returns it, nullopt when cancelled.
// A record that cannot be kept is still returned, the test goes on with it, and *notKept
// says why it was not kept (empty when it was).
std::optional<HoldRecord> AskHoldRecord(QWidget* parent, const std::string& configPath,
                                        std::string* notKept = nullptr);

}  // namespace pv::ui
