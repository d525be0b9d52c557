// The windowed program.
#include <QApplication>
#include <clocale>
#include <cstdio>
#include <memory>

#include "demo_meter.h"
#include "ui/app/meter_app.h"

int main(int argc, char* argv[]) {
  QApplication app(argc, argv);
  // Qt takes the user's locale for the C library too; the meter's numbers and the
  // files always use '.' as the decimal separator.
  std::setlocale(LC_NUMERIC, "C");
  QApplication::setApplicationName(QStringLiteral("PNEUVISTA"));

  pv::ui::StartOptions options = pv::ui::ParseCommandLine(QApplication::arguments());
  if (options.help || !options.error.isEmpty()) {
    if (!options.error.isEmpty()) std::fprintf(stderr, "pneuvista: %s\n", qPrintable(options.error));
    std::fputs(qPrintable(pv::ui::UsageText()), options.help ? stdout : stderr);
    return options.help ? 0 : 2;
  }
  QString demoError;
  const std::unique_ptr<pv::PtyMeter> demoMeter = pv::StartDemoMeter(options, demoError);
  if (!demoError.isEmpty()) {
    std::fprintf(stderr, "pneuvista: %s\n", qPrintable(demoError));
    return 1;
  }
  pv::ui::MeterApp meterApp(options);
  if (!meterApp.initInstance()) {
    std::fprintf(stderr, "pneuvista: %s\n", qPrintable(meterApp.errorString()));
    return 1;
  }
  return app.exec();
}
