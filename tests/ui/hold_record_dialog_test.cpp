// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/holdtest/hold_record_dialog.h"

#include <gtest/gtest.h>

#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTemporaryDir>
#include <fstream>

#include "dialog_script.h"
#include "platform/config_file.h"

namespace pv::ui {
namespace {

// The dialog offers what was entered last time; OK returns what stands in it and keeps
// it for next time, Cancel returns nothing and keeps the last record.
TEST(HoldRecordDialog, OffersTheLastRecordAndKeepsWhatIsAccepted) {
  struct Case {
    const char* name;
    bool accept;
  };
  for (const Case c : {Case{"accepted", true}, Case{"cancelled", false}}) {
    QTemporaryDir dir;
    const std::string config = dir.filePath(QStringLiteral("PNEUVISTAconfig.ini")).toStdString();
    HoldRecord last;
    last.operatorName = "A. Operator";
    last.instrument = "Gauge";
    last.notes = "old notes";
    ASSERT_EQ(WriteHoldRecord(config, last), "");
    HoldRecord offered;
    test::DialogScript script({[&] {
      auto* dialog = test::VisibleTopLevel<HoldRecordDialog>();
      if (!dialog) return false;
      offered = dialog->record();
      dialog->lineEdit("test_id")->setText(QStringLiteral(" HT-9 "));
      dialog->notesEdit()->setPlainText(QStringLiteral("first\nsecond"));
      c.accept ? dialog->accept() : dialog->reject();
      return true;
    }});
    std::string notKept = "unset";
    const auto answer = AskHoldRecord(nullptr, config, &notKept);
    ASSERT_TRUE(script.finished()) << c.name;
    EXPECT_EQ(offered.operatorName, "A. Operator") << c.name;
    EXPECT_EQ(offered.notes, "old notes") << c.name;
    EXPECT_EQ(answer.has_value(), c.accept) << c.name;
    const HoldRecord kept = ReadHoldRecord(config);
    if (c.accept) {
      EXPECT_EQ(notKept, "");
      EXPECT_EQ(answer->testId, "HT-9");
      EXPECT_EQ(answer->instrument, "Gauge");
      EXPECT_EQ(answer->notes, "first\nsecond");
    }
    EXPECT_EQ(kept.testId, c.accept ? "HT-9" : "") << c.name;
    EXPECT_EQ(kept.notes, c.accept ? "first\nsecond" : "old notes") << c.name;
  }
}

// Every field is offered and returned, on a screen 768 pixels high with room for its
// title bar and a panel.
TEST(HoldRecordDialog, OffersEveryFieldOnAScreen768PixelsHigh) {
  HoldRecord offered;
  for (const HoldRecordField& f : kHoldRecordFields) offered.*f.field = f.key;
  HoldRecordDialog dialog(offered, nullptr);
  for (const HoldRecordField& f : kHoldRecordFields) EXPECT_EQ(dialog.record().*f.field, f.key);
  EXPECT_LE(dialog.sizeHint().height(), 700);
  EXPECT_LE(dialog.sizeHint().width(), 1024);
}

}  // namespace
}  // namespace pv::ui
