// SPDX-License-Identifier: GPL-3.0-or-later
// Export's formats: which file the dialog's filter and the typed name give, the CSV's
// fields, and the workbook written like every other export.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <locale>

#include "files/csv_table.h"
#include "files/export_format.h"
#include "files/read_file.h"
#include "files/run_export.h"
#include "files/workbook.h"
#include "files/workbook_check.h"
#include "run_fixture.h"
#include "small_disk.h"

namespace pv {
namespace {

namespace fs = std::filesystem;

class ExportFiles : public ::testing::Test {
 protected:
  void SetUp() override { UseTimeZone("UTC"); }
  void TearDown() override { UseTimeZone("UTC"); }
  static void UseTimeZone(const char* tz) {
    setenv("TZ", tz, 1);
    tzset();
  }
};

TEST_F(ExportFiles, TheFilterChoosesFormatAndExtensionUnlessTheNameHasOne) {
  EXPECT_EQ(ExportFilters(), "Data File(*.xls);;Excel Workbook (*.xlsx);;CSV (*.csv)");
  constexpr std::string_view kXls = kExportFormats[0].filter, kXlsx = kExportFormats[1].filter,
                             kCsv = kExportFormats[2].filter;
  struct Case {
    std::string_view typed, filter, path;
    ExportFormat format;
  };
  const Case cases[] = {
      {"/d/run", kXls, "/d/run.xls", ExportFormat::Spreadsheet},
      {"/d/run", kXlsx, "/d/run.xlsx", ExportFormat::Workbook},
      {"/d/run", kCsv, "/d/run.csv", ExportFormat::Csv},
      {"/d/run.2025", kCsv, "/d/run.2025.csv", ExportFormat::Csv},
      {"/d/2025-3-4 9-5-7.xls", kXls, "/d/2025-3-4 9-5-7.xls", ExportFormat::Spreadsheet},
      // A name typed with an export extension is written in that format.
      {"/d/run.XLSX", kXls, "/d/run.XLSX", ExportFormat::Workbook},
      {"/d/run.xls", kCsv, "/d/run.xls", ExportFormat::Spreadsheet},
      {"/d/run.Csv", kXlsx, "/d/run.Csv", ExportFormat::Csv},
      {"/d/run.xlsx.bak", kXlsx, "/d/run.xlsx.bak.xlsx", ExportFormat::Workbook},
      {"/d.xlsx/run", kCsv, "/d.xlsx/run.csv", ExportFormat::Csv},  // the folder's name does not count
      {"/d/run", "All Files (*)", "/d/run.xls", ExportFormat::Spreadsheet},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.typed) + " with " + std::string(c.filter));
    const std::string path = ExportPath(c.typed, c.filter);
    EXPECT_EQ(path, c.path);
    EXPECT_EQ(ExportFormatOf(path), c.format);
  }
}

// A decimal comma for every stream, as a user's locale could bring.
struct DecimalComma : std::numpunct<char> {
  char do_decimal_point() const override { return ','; }
};

TEST_F(ExportFiles, CsvFieldsAreQuotedWhereNeededAndKeepTheDecimalPoint) {
  const std::locale before = std::locale::global(std::locale(std::locale::classic(), new DecimalComma));
  struct Case {
    const char* what;
    test::SampleSpec sample;
    std::string line;
  };
  const Case cases[] = {
      {"psi", {1.234f, "+1.234", kUnitPsi}, "1,2025-03-14T10:22:05,1.234,psi,+1.234"},
      {"DIF in bar", {0.125f, "+0.125", 0, true}, "1,2025-03-14T10:22:05,0.125,bar,DIF+0.125"},
      {"ozin", {12.5f, "+12.50", 1}, "1,2025-03-14T10:22:05,12.5,ozin2,+12.50"},
      {"over range", {5.1f, "+ERR1 ", kUnitPsi}, "1,2025-03-14T10:22:05,,,Error1"},
      {"under range in DIF", {-5.1f, "-ERR2 ", kUnitPsi, true}, "1,2025-03-14T10:22:05,,,Error4"},
      {"a comma in the reading", {-0.5f, "-0,500", kUnitPsi}, "1,2025-03-14T10:22:05,-0.5,psi,\"-0,500\""},
      {"quotes in the reading", {1.0f, "\"1.0\" ", kUnitPsi}, "1,2025-03-14T10:22:05,1,psi,\"\"\"1.0\"\" \""},
      {"no number", {NAN, "+1.234", kUnitPsi}, "1,2025-03-14T10:22:05,,psi,+1.234"},
  };
  for (const Case& c : cases) {
    auto m = test::MakeRun(1);
    test::PutSample(*m, 0, c.sample);
    EXPECT_EQ(BuildCsv(LiveRunRows(*m)), "NO,TIME,VALUE,UNIT,DATA\r\n" + c.line + "\r\n") << c.what;
  }
  std::locale::global(before);
}

TEST_F(ExportFiles, CsvTimesAreTheLocalClockAcrossAChangeToSummerTime) {
  UseTimeZone("CET-1CEST,M3.5.0,M10.5.0/3");
  auto m = test::MakeRun(2, 1);
  m->run.startTime = 1743296399;  // 30 March 2025, 01:59:59 CET; the next second is 03:00:00 CEST
  const std::string csv = BuildCsv(LiveRunRows(*m));
  EXPECT_NE(csv.find("\r\n1,2025-03-30T01:59:59,"), std::string::npos) << csv;
  EXPECT_NE(csv.find("\r\n2,2025-03-30T03:00:00,"), std::string::npos) << csv;
}

class ExportFolder : public ExportFiles {
 protected:
  void SetUp() override {
    ExportFiles::SetUp();
    char pattern[] = "/tmp/pneuvista-export-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    dir_ = pattern;
  }
  void TearDown() override {
    fs::remove_all(dir_);
    ExportFiles::TearDown();
  }
  std::string dir_;
};

TEST_F(ExportFolder, EveryFormatIsWrittenWholeOrNotAtAll) {
  auto m = test::MakeRun(3);
  struct Case {
    const char* name;
    std::string_view starts;
  };
  const Case cases[] = {{"run.xls", "NO\tDATA"}, {"run.xlsx", "PK\x03\x04"}, {"run.csv", "NO,TIME"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string path = dir_ + "/" + c.name;
    ASSERT_TRUE(ExportRun(*m, path));
    std::string head(8, '\0');
    FILE* f = std::fopen(path.c_str(), "rb");
    ASSERT_NE(f, nullptr);
    head.resize(std::fread(head.data(), 1, head.size(), f));
    std::fclose(f);
    EXPECT_TRUE(head.starts_with(c.starts)) << head;

    // A folder that cannot take the file: the message names it, nothing is left behind.
    const std::string missing = dir_ + "/gone/" + c.name;
    const FileStatus failed = ExportRun(*m, missing);
    ASSERT_FALSE(failed);
    EXPECT_TRUE(failed.error().message.starts_with(missing + ": ")) << failed.error().message;
  }
  EXPECT_EQ(std::distance(fs::directory_iterator(dir_), fs::directory_iterator()), 3);
}

// The library packs the workbook's parts through temporary files: a full /tmp gives no
// broken workbook, and a full target folder fails as Save fails, keeping the old file.
TEST_F(ExportFiles, AFullDiskNeverGivesABrokenWorkbook) {
  const auto m = test::MakeRun(300);
  char pattern[] = "/var/tmp/pneuvista-book-XXXXXX";
  ASSERT_NE(mkdtemp(pattern), nullptr);
  const std::string dir = pattern, book = dir + "/run.xlsx";
  ::unsetenv("TMPDIR");
  struct Case {
    const char* what;
    std::string fullFolder;
    bool saves;
  };
  const Case cases[] = {{"/tmp full, the target's folder with room", "/tmp", true},
                        {"the target's folder full", dir, false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    PV_ON_SMALL_DISK(c.fullFolder, [&] {
      std::ofstream(book) << "old workbook";
      testsupport::FillUp(c.fullFolder);
      const FileStatus status = ExportRun(*m, book);
      const auto bytes = ReadWholeFile(book);
      if (!bytes) return bytes.error().message;
      if (static_cast<bool>(status) != c.saves) return status ? "saved" : status.error().message;
      if (!c.saves)
        return std::string(bytes.value().begin(), bytes.value().end()) == "old workbook"
                   ? std::string()
                   : std::string("the old workbook was replaced");
      return IncompleteWorkbookPart(bytes.value()).value_or("");
    });
  }
  fs::remove_all(dir);
}

TEST_F(ExportFiles, AnEmptyRunGivesAWorkbookWithTheHeaderAlone) {
  auto m = test::MakeRun(0);
  const auto book = BuildWorkbook(LiveRunRows(*m), 0, {});
  ASSERT_TRUE(book) << book.error().message;
  EXPECT_GT(book.value().size(), 1000u);
}

}  // namespace
}  // namespace pv
