// SPDX-License-Identifier: GPL-3.0-or-later
// The windowed program.
#include <QApplication>
#include <clocale>
#include <cstdio>
#include <cstring>
#include <memory>

#include "demo_meter.h"
#include "no_display.h"
#include "pneuvista_version.h"
#include "ui/app/meter_app.h"

namespace {

// The answer to --help, --version or a wrong command line: no window.
int Answer(const pv::ui::StartOptions& options) {
  if (options.version) {
    std::printf("pneuvista %s\n", pneuvista::kVersion);
    return 0;
  }
  if (!options.error.isEmpty()) std::fprintf(stderr, "pneuvista: %s\n", qPrintable(options.error));
  std::fputs(qPrintable(pv::ui::UsageText()), options.help ? stdout : stderr);
  return options.help ? 0 : 2;
}

QStringList ArgumentList(int argc, char* argv[]) {
  QStringList list;
  for (int i = 0; i < argc; ++i) list << QString::fromLocal8Bit(argv[i]);
  return list;
}

// Help and the version are answered before Qt looks for a display, so they work on a
// terminal without one. Everything else is parsed after QApplication has taken its own
// arguments (-platform, -style ...) out of the list.
bool AsksForHelpOrVersion(int argc, char* argv[]) {
  for (int i = 1; i < argc; ++i) {
    if (!std::strcmp(argv[i], "--help") || !std::strcmp(argv[i], "-h") || !std::strcmp(argv[i], "--version"))
      return true;
  }
  return false;
}

}  // namespace

int main(int argc, char* argv[]) {
  if (AsksForHelpOrVersion(argc, argv)) return Answer(pv::ui::ParseCommandLine(ArgumentList(argc, argv)));
  if (pv::LacksDisplay(argc, argv)) {
    std::fputs(pv::kNoDisplayMessage, stderr);
    return 1;
  }
  pv::ui::PreferQtEventDispatcher();
  pv::WatchTheStart();
  QApplication app(argc, argv);
  pv::StartedWithDisplay();
  // Qt takes the user's locale for the C library too; the meter's numbers and the
  // files always use '.' as the decimal separator.
  std::setlocale(LC_NUMERIC, "C");
  QApplication::setApplicationName(QStringLiteral("PNEUVISTA"));
  // Lets a desktop shell match the windows to the installed desktop entry and its icon.
  QApplication::setDesktopFileName(QStringLiteral("pneuvista"));

  pv::ui::StartOptions options = pv::ui::ParseCommandLine(QApplication::arguments());
  if (!options.error.isEmpty()) return Answer(options);
  QString demoError;
  const std::unique_ptr<pv::PtyMeter> demoMeter = pv::StartDemoMeter(options, demoError);
  if (!demoError.isEmpty()) {
    std::fprintf(stderr, "pneuvista: %s\n", qPrintable(demoError));
    return 1;
  }
  pv::ui::MeterApp meterApp(options);
  if (!meterApp.start()) {
    std::fprintf(stderr, "pneuvista: %s\n", qPrintable(meterApp.errorString()));
    return 1;
  }
  return app.exec();
}
