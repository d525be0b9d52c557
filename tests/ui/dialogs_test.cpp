// SPDX-License-Identifier: GPL-3.0-or-later
// The sample-rate and port-number dialogs as Run and Other COM open them: the offered
// value is selected, so what the user types replaces it.
#include "ui/window/dialogs.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <tuple>

#include "../core/recording_port.h"
#include "app_model.h"
#include "dialog_script.h"
#include "ui/window/main_window.h"
#include "window_services.h"

namespace pv::ui {
namespace {

using test::DialogScript;
using test::VisibleTopLevel;

// Waits for the dialog, types keys into its edit box as it opened and presses Return.
template <typename Dialog>
DialogScript::Step TypeIntoDialog(QString keys, QString& offered) {
  return [keys, &offered] {
    auto* dialog = VisibleTopLevel<Dialog>();
    if (!dialog) return false;
    offered = dialog->edit()->text();
    QTest::keyClicks(dialog->edit(), keys);
    test::PressLater(dialog->edit(), Qt::Key_Return);
    return true;
  };
}

TEST(IntegerDialogs, TypingReplacesTheOfferedValue) {
  struct Case {
    WindowCommand command;
    bool sampleRate;  // else the port-number dialog
    const char* keys;
    const char* offered;
    int result;  // the interval in seconds, or the port number
  };
  const Case cases[] = {
      {WindowCommand::Run, true, "5", "1", 5},
      {WindowCommand::Run, true, "30", "1", 30},
      {WindowCommand::OtherPort, false, "7", "5", 7},
      {WindowCommand::OtherPort, false, "12", "5", 12},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.keys);
    QTemporaryDir dir;
    AppModel model;
    pv::test::RecordingPort port;
    MainWindow window(model, port, SettingsFile(dir.filePath(QStringLiteral("PNEUVISTAconfig.ini")).toStdString()), PortsAt([](int n) { return "/dev/ttyUSB" + std::to_string(n - 1); }));
    model.run.phase = RunPhase::Monitoring;
    window.updateCommandStates();
    QString offered;
    DialogScript script({c.sampleRate
                             ? TypeIntoDialog<SampleRateDialog>(QString::fromLatin1(c.keys), offered)
                             : TypeIntoDialog<PortNumberDialog>(QString::fromLatin1(c.keys), offered)});
    window.runCommand(c.command);
    ASSERT_TRUE(script.finished());
    EXPECT_EQ(offered, QString::fromLatin1(c.offered));
    if (c.sampleRate) {
      EXPECT_EQ(model.run.intervalMs, c.result * 1000);
      EXPECT_EQ(model.statsBar.interval, std::to_string(c.result));
    } else {
      EXPECT_EQ(model.flags.portNumber, c.result);
    }
  }
}

TEST(IntegerDialogs, TheSampleRateTakesDigitsOnlyAndRefusesAnIntervalPastTheLongest) {
  const std::tuple<const char*, const char*, bool> cases[] = {  // typed, shown, accepted
      {"abc-1.5,", "15", true}, {"2147483", "2147483", true}, {"2147484", "2147484", false},
      {"10000000000000000000000", "10000000000000000000000", false}};
  for (const auto& [keys, shown, accepted] : cases) {
    SCOPED_TRACE(keys);
    SampleRateDialog dialog(nullptr);
    dialog.show();
    QTest::keyClicks(dialog.edit(), QString::fromLatin1(keys));
    EXPECT_EQ(dialog.edit()->text(), QString::fromLatin1(shown));
    QString told;
    DialogScript script({[&] {
      auto* box = VisibleTopLevel<QMessageBox>();
      if (!box) return false;
      told = box->text();
      box->button(QMessageBox::Ok)->click();
      return true;
    }});
    dialog.accept();
    EXPECT_EQ(dialog.result() == QDialog::Accepted, accepted);
    if (accepted) {
      EXPECT_EQ(dialog.value(), QString::fromLatin1(shown).toInt());
    }
    // Refused, the range is named and the dialog stays open.
    EXPECT_EQ(told.contains(QStringLiteral("1 to 2147483")), !accepted) << told.toStdString();
    EXPECT_EQ(dialog.isVisible(), !accepted);
  }
}

}  // namespace
}  // namespace pv::ui
