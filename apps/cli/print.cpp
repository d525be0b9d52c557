// SPDX-License-Identifier: GPL-3.0-or-later
// pneuvista-cli print: a data-logger file printed as the "Pressure Graph" page into
// a PDF file, exactly as the logger window's Print would print it, without a display.
#include <QGuiApplication>
#include <QString>
#include <ctime>
#include <filesystem>
#include <memory>
#include <ostream>
#include <string>

#include "app_model.h"
#include "cli_command.h"
#include "files/datalogger_file.h"
#include "print/print_page.h"
#include "ui/print/print_painter.h"

namespace pv::cli {
namespace {

// The path line of the page names the file the way the logger window shows it: in
// full, wherever the command was started from.
std::string PathAsShown(std::string_view path) {
  std::error_code ec;
  const std::filesystem::path absolute = std::filesystem::absolute(std::filesystem::path(path), ec);
  return ec ? std::string(path) : absolute.lexically_normal().string();
}

int RunPrint(Args args, std::ostream&, std::ostream& err) {
  std::string_view input, pdf;
  bool pdfGiven = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string_view a = args[i];
    if (a == "--pdf") {
      if (i + 1 >= args.size()) return UsageError(err, kPrintCommand, "--pdf needs a file name");
      if (pdfGiven) return UsageError(err, kPrintCommand, "--pdf given twice");
      pdf = args[++i];
      pdfGiven = true;
    } else if (a.starts_with("-") && a != "-") {
      return UsageError(err, kPrintCommand, "unknown option '" + std::string(a) + "'");
    } else if (input.empty()) {
      input = a;
    } else {
      return UsageError(err, kPrintCommand, "more than one file given");
    }
  }
  if (input.empty()) return UsageError(err, kPrintCommand, "no file given");
  if (!pdfGiven || pdf.empty()) return UsageError(err, kPrintCommand, "no output given (--pdf OUT.pdf)");

  auto loaded = LoadDataLoggerFile(std::string(input));
  if (!loaded) return Fail(err, kExitBadFile, loaded.error().message);

  // The model as it stands while the logger window shows this file in its full view.
  auto model = std::make_unique<AppModel>();
  AdoptLoggerFile(model->logger, std::move(loaded).value());
  model->loggerView.graphClosed = false;
  model->loggerView.shownPath = PathAsShown(input);
  if (ChoosePrintPage(*model) != PrintPageKind::kLogger) {
    // The logger window prints such a file as the empty page, and so does this.
    err << "pneuvista-cli: note: " << input << " holds " << model->logger.recordCount
        << (model->logger.recordCount == 1 ? " record" : " records")
        << "; a graph needs at least two, so the page carries only its frame\n";
  }

  // Printing needs fonts, hence a GUI application; without a display it runs offscreen.
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  static int argc = 1;
  static char name[] = "pneuvista-cli";
  static char* argv[] = {name, nullptr};
  QGuiApplication app(argc, argv);

  QString error;
  if (!ui::PrintToPdf(*model, QString::fromStdString(std::string(pdf)), std::time(nullptr), &error)) {
    return Fail(err, kExitBadFile, error.toStdString());
  }
  return kExitOk;
}

}  // namespace

const CliCommand kPrintCommand{
    "print", "print FILE.KvtDat --pdf OUT.pdf",
    "Print a data-logger file's Pressure Graph page into a PDF file.", RunPrint,
    "  --pdf OUT.pdf  the PDF file to write\n"
    "\n"
    "The page is the one the Graph window prints for the file. No display is needed.\n"
    "\n"
    "exit status: 0 success; 1 the input is missing, unreadable or malformed, or the\n"
    "PDF cannot be written; 2 wrong usage\n"};

}  // namespace pv::cli
