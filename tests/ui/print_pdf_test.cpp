// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <QFile>
#include <QFileInfo>
#include <QFontInfo>
#include <QImage>
#include <QPrinter>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include "app_model.h"
#include "chart/chart_layout.h"
#include "link/units.h"
#include "print/print_page.h"
#include "text_format.h"
#include "ui/print/print_command.h"
#include "ui/print/print_painter.h"

namespace pv::ui {
namespace {

constexpr std::time_t kNow = 1710431130;

// Output of a poppler tool, or nothing when it is not installed or fails.
std::optional<QByteArray> RunTool(const char* tool, const QStringList& args) {
  const QString path = QStandardPaths::findExecutable(QString::fromLatin1(tool));
  if (path.isEmpty()) return std::nullopt;
  QProcess p;
  p.start(path, args);
  if (!p.waitForFinished(60000) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0)
    return std::nullopt;
  return p.readAllStandardOutput();
}

bool HavePoppler() {
  for (const char* tool : {"pdftotext", "pdftoppm", "pdfinfo"})
    if (QStandardPaths::findExecutable(QString::fromLatin1(tool)).isEmpty()) return false;
  return true;
}

// A run in ozin: flat at zero, a step up to +10 % of full scale, and back.
std::unique_ptr<AppModel> OzinRun() {
  auto m = std::make_unique<AppModel>();
  const UnitInfo& ozin = kUnits[1];
  m->run.unitName = std::string(ozin.name);
  m->run.fullScale = ozin.fullScale;
  m->run.startTime = kNow - 600;
  m->run.intervalMs = 1000;
  const float values[] = {0, 0, 0, 83.2f, 83.2f, 0, -41.6f, 0};
  for (int i = 0; i < 8; ++i) {
    m->store.values[i] = values[i];
    m->store.fullScaleAt[i] = ozin.fullScale;
  }
  m->store.sampleCount = 8;
  return m;
}

int Pages(const QString& pdf) {
  const auto info = RunTool("pdfinfo", {pdf});
  if (!info) return -1;
  for (const QByteArray& line : info->split('\n'))
    if (line.startsWith("Pages:")) return line.mid(6).trimmed().toInt();
  return -1;
}

TEST(PrintPdf, TheTextsReadBackAndTheFrameLiesWhereThePageUnitsPutIt) {
  if (!HavePoppler()) GTEST_SKIP() << "poppler-utils (pdftotext, pdftoppm, pdfinfo) not installed";
  QTemporaryDir dir;
  const QString pdf = dir.filePath(QStringLiteral("page.pdf"));
  QString error;
  ASSERT_TRUE(PrintToPdf(*OzinRun(), pdf, kNow, &error)) << error.toStdString();
  EXPECT_EQ(Pages(pdf), 1);

  const auto text = RunTool("pdftotext", {QStringLiteral("-layout"), pdf, QStringLiteral("-")});
  ASSERT_TRUE(text);
  // pdftotext lays text out by position, so the two blanks of the date may read as one.
  for (const std::string& expected : {std::string("Pressure Graph"), std::string("pressure:"),
                                      std::string("ozin"), FormatSigned6Cut(LiveValueLabels(832.0f)[0]),
                                      FormatLocalTime(kNow, "%Y-%m-%d"), FormatLocalTime(kNow, "%H:%M")})
    EXPECT_TRUE(text->contains(expected.c_str())) << expected << " not in:\n" << text->toStdString();

  ASSERT_TRUE(
      RunTool("pdftoppm", {QStringLiteral("-png"), QStringLiteral("-r"), QStringLiteral("100"),
                           QStringLiteral("-singlefile"), pdf, dir.filePath(QStringLiteral("page"))}));
  const QImage image(dir.filePath(QStringLiteral("page.png")));
  ASSERT_FALSE(image.isNull());
  // At 100 dots per inch one page unit is one pixel; the origin is the bottom-right
  // corner of the printable area.
  const QRectF printable = PressureGraphPageLayout().paintRect(QPageLayout::Inch);
  const double ox = printable.right() * 100, oy = printable.bottom() * 100;
  EXPECT_EQ(image.width(), 827);
  auto darkNear = [&](double x, double y) {
    // The pen is two units wide; allow a pixel of rounding either way.
    int darkest = 255;
    for (int dy = -2; dy <= 2; ++dy)
      for (int dx = -2; dx <= 2; ++dx)
        darkest = std::min(darkest, qGray(image.pixel(static_cast<int>(x) + dx, static_cast<int>(y) + dy)));
    return darkest < 80;
  };
  auto whiteAt = [&](double x, double y) {
    return qGray(image.pixel(static_cast<int>(x), static_cast<int>(y))) > 230;
  };
  for (int i = 0; i <= 20; ++i) {
    const double x = ox - 750 + 740.0 * i / 20, y = oy - 200 - 800.0 * i / 20;
    EXPECT_TRUE(darkNear(x, oy - 200)) << "bottom edge at x " << x;
    EXPECT_TRUE(darkNear(x, oy - 1000)) << "top edge at x " << x;
    EXPECT_TRUE(darkNear(ox - 750, y)) << "left edge at y " << y;
    EXPECT_TRUE(darkNear(ox - 10, y)) << "right edge at y " << y;
  }
  // The rule, thicker than the frame, and blank paper just off the edges.
  EXPECT_TRUE(darkNear(ox - 700, oy - 1100));
  EXPECT_TRUE(whiteAt(ox - 700, oy - 1010));
  EXPECT_TRUE(whiteAt(ox - 700, oy - 190));
  EXPECT_TRUE(whiteAt(ox - 5, oy - 550));
  // The trace's plateau at +10 % runs along the top edge; the dip at -5 % at y 400.
  EXPECT_TRUE(darkNear(ox - 750 + 740.0 * 3.5 / 7, oy - 1000));
  EXPECT_TRUE(darkNear(ox - 750 + 740.0 * 6 / 7, oy - 400));
}

TEST(PrintPdf, TheFontsAreArialLikeAtTheirPageHeights) {
  const QFont label = FontForPrintRole(FontRole::kPrintLabel, 1200);
  const QFont title = FontForPrintRole(FontRole::kPrintTitle, 1200);
  EXPECT_EQ(label.pixelSize(), 120);
  EXPECT_EQ(title.pixelSize(), 300);
  EXPECT_EQ(label.weight(), QFont::Thin);
  const QString family = QFontInfo(label).family();
  if (family != QStringLiteral("Liberation Sans"))
    GTEST_SKIP() << "Arial resolves to " << family.toStdString();
}

struct PrintCommandCase {
  const char* name;
  bool accept;
  bool writableTarget;
  PrintOutcome outcome;
  bool fileWritten;
};

TEST(PrintCommand, TheDialogDecidesAndExactlyOnePageIsPrinted) {
  const PrintCommandCase cases[] = {
      {"accepted", true, true, PrintOutcome::kPrinted, true},
      {"cancelled", false, true, PrintOutcome::kCancelled, false},
      {"target folder missing", true, false, PrintOutcome::kFailed, false},
  };
  for (const PrintCommandCase& c : cases) {
    SCOPED_TRACE(c.name);
    QTemporaryDir dir;
    const QString target =
        dir.filePath(c.writableTarget ? QStringLiteral("out.pdf") : QStringLiteral("no/out.pdf"));
    int asked = 0;
    auto ask = [&](QPrinter& printer, QWidget*) {
      ++asked;
      EXPECT_EQ(printer.pageLayout().pageSize().id(), QPageSize::A4);
      printer.setOutputFormat(QPrinter::PdfFormat);
      printer.setOutputFileName(target);
      return c.accept;
    };
    QString error;
    auto model = OzinRun();
    EXPECT_EQ(PrintPressureGraph(*model, nullptr, ask, kNow, &error), c.outcome);
    EXPECT_EQ(asked, 1);
    EXPECT_EQ(QFile::exists(target), c.fileWritten);
    EXPECT_EQ(error.isEmpty(), c.outcome != PrintOutcome::kFailed) << error.toStdString();
    if (c.fileWritten && HavePoppler()) {
      EXPECT_EQ(Pages(target), 1);
    }
  }
}

// The print dialog's "print to file" writes as Save does: a symlink at the name is
// replaced by the PDF, and what it points to is left alone.
TEST(PrintCommand, PrintingToAFileNeverWritesThroughASymlink) {
  QTemporaryDir dir;
  const QString victim = dir.filePath(QStringLiteral("victim")),
                target = dir.filePath(QStringLiteral("out.pdf"));
  QFile f(victim);
  ASSERT_TRUE(f.open(QIODevice::WriteOnly) && f.write("keep") == 4);
  f.close();
  ASSERT_TRUE(QFile::link(victim, target));
  auto ask = [&](QPrinter& printer, QWidget*) {
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(target);
    return true;
  };
  QString error;
  EXPECT_EQ(PrintPressureGraph(*OzinRun(), nullptr, ask, kNow, &error), PrintOutcome::kPrinted)
      << error.toStdString();
  EXPECT_GT(QFileInfo(target).size(), 1000);
  ASSERT_TRUE(f.open(QIODevice::ReadOnly));
  EXPECT_EQ(f.readAll(), "keep");
}

}  // namespace
}  // namespace pv::ui
