// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <cstdlib>

#include "files/csv_table.h"
#include "files/logger_report.h"
#include "files/spreadsheet.h"
#include "files/text_table.h"
#include "run_fixture.h"

namespace pv {
namespace {

class TableFiles : public ::testing::Test {
 protected:
  void SetUp() override {
    setenv("TZ", "UTC", 1);
    tzset();
  }
};

// Both writers take the same sample; the columns differ only in layout and DIF prefix.
TEST_F(TableFiles, GoldenLinesForEveryDataRule) {
  struct Case {
    const char* what;
    test::SampleSpec sample;
    std::string txt;
    std::string xls;
  };
  const std::vector<Case> cases = {
      {"psi",
       {1.234f, "+1.234", 2},
       "      1             +1.234               psi           10:22:05  \r\n",
       "1\t +1.234\tpsi\t10:22:05\t\r\n"},
      {"DIF in bar: no blank",
       {0.125f, "+0.125", 0, true},
       "      1          DIF+0.125               bar           10:22:05  \r\n",
       "1\t D+0.125\tbar\t10:22:05\t\r\n"},
      {"DIF in psi: a blank",
       {1.5f, "+1.500", 2, true},
       "      1          DIF +1.500               psi           10:22:05  \r\n",
       "1\t D +1.500\tpsi\t10:22:05\t\r\n"},
      {"DIF in mbar below ten: four characters",
       {5.0f, "+5.0  ", 4, true},
       "      1           DIF +5.0              mbar           10:22:05  \r\n",
       "1\t D +5.0\tmbar\t10:22:05\t\r\n"},
      {"mbar tens: five",
       {-12.5f, "-12.5 ", 4},
       "      1              -12.5              mbar           10:22:05  \r\n",
       "1\t -12.5\tmbar\t10:22:05\t\r\n"},
      {"mbar hundreds: six",
       {-350.5f, "-350.5", 4},
       "      1             -350.5              mbar           10:22:05  \r\n",
       "1\t -350.5\tmbar\t10:22:05\t\r\n"},
      {"mmHg beyond the table: all six",
       {1500.0f, "+1500.", 5},
       "      1             +1500.              mmHg           10:22:05  \r\n",
       "1\t +1500.\tmmHg\t10:22:05\t\r\n"},
      {"kPa below ten: five",
       {3.25f, "+3.250", 6},
       "      1              +3.25               kPa           10:22:05  \r\n",
       "1\t +3.25\tkPa\t10:22:05\t\r\n"},
      {"kPa hundreds, beyond the table: all six",
       {150.5f, "+150.5", 6},
       "      1             +150.5               kPa           10:22:05  \r\n",
       "1\t +150.5\tkPa\t10:22:05\t\r\n"},
      {"ozin",
       {12.5f, "+12.50", 1},
       "      1             +12.50             ozin2           10:22:05  \r\n",
       "1\t +12.50\tozin2\t10:22:05\t\r\n"},
      {"kgcm",
       {1.5f, "+1.500", 7},
       "      1             +1.500             kgcm2           10:22:05  \r\n",
       "1\t +1.500\tkgcm2\t10:22:05\t\r\n"},
      {"over range",
       {5.1f, "+ERR1 ", 2},
       "      1             Error1                             10:22:05  \r\n",
       "1\t Error1\t\t10:22:05\t\r\n"},
      {"under range",
       {-5.1f, "-ERR2 ", 2},
       "      1             Error2                             10:22:05  \r\n",
       "1\t Error2\t\t10:22:05\t\r\n"},
      {"over range in DIF",
       {5.1f, "+ERR1 ", 2, true},
       "      1             Error3                             10:22:05  \r\n",
       "1\t Error3\t\t10:22:05\t\r\n"},
      {"under range in DIF",
       {-5.1f, "-ERR2 ", 2, true},
       "      1             Error4                             10:22:05  \r\n",
       "1\t Error4\t\t10:22:05\t\r\n"},
  };
  for (const auto& c : cases) {
    auto m = test::MakeRun(1);
    test::PutSample(*m, 0, c.sample);
    const LiveRunRows rows(*m);
    EXPECT_EQ(BuildTextTable(rows), TextTableHeader() + c.txt) << c.what;
    EXPECT_EQ(BuildSpreadsheet(rows), SpreadsheetHeader() + c.xls) << c.what;
  }
}

TEST_F(TableFiles, TimeAdvancesByTheWholeSecondInterval) {
  auto m = test::MakeRun(3, 5);
  EXPECT_EQ(BuildSpreadsheet(LiveRunRows(*m)), SpreadsheetHeader() +
                                                   "1\t +1.234\tpsi\t10:22:05\t\r\n"
                                                   "2\t +1.234\tpsi\t10:22:10\t\r\n"
                                                   "3\t +1.234\tpsi\t10:22:15\t\r\n");
  // The file keeps only a time of day; a converted file wraps at midnight.
  LoggerStore s;
  s.recordCount = 3;
  s.startHour = 23, s.startMinute = 59, s.startSecond = 55;
  s.intervalMs = 2500;  // times use whole seconds
  const LoggerFileRows rows(s);
  EXPECT_EQ(rows.row(0).time, "23:59:55");
  EXPECT_EQ(rows.row(2).time, "23:59:59");
  s.intervalMs = 3000;
  EXPECT_EQ(rows.row(2).time, "00:00:01");
}

TEST_F(TableFiles, LoggerRecordsAreNotRelativeAndErrorsNeedFullScale52) {
  LoggerStore s;
  s.recordCount = 3;
  s.startHour = 9;
  s.intervalMs = 1000;
  const test::SampleSpec records[] = {{5.1f, "+ERR1 ", 2}, {-5.1f, "-5.100", 0}, {-5.1f, "-ERR2 ", 2}};
  const float fullScales[] = {52.0f, kUnits[0].fullScale, 52.0f};
  for (int i = 0; i < 3; ++i) {
    s.values[i] = records[i].value;
    s.texts[i] = test::Text6(records[i].text);
    s.unitAt[i] = static_cast<std::uint8_t>(records[i].unit);
    s.fullScaleAt[i] = fullScales[i];
  }
  const LoggerFileRows rows(s);
  EXPECT_EQ(BuildTextTable(rows),
            TextTableHeader() +
                "      1             Error1                             09:00:00  \r\n"
                "      2             -5.100               bar           09:00:01  \r\n"
                "      3             Error2                             09:00:02  \r\n");
  EXPECT_EQ(BuildCsv(rows),
            "NO,TIME,VALUE,UNIT,DATA\r\n1,09:00:00,,,Error1\r\n2,09:00:01,-5.1,bar,-5.100\r\n"
            "3,09:00:02,,,Error2\r\n");
}

TEST_F(TableFiles, DefaultNames) {
  EXPECT_EQ(DefaultExportName(1741079107), "2025-3-4 9-5-7.xls");  // 9:05:07, 4 March 2025
  EXPECT_EQ(DefaultSaveName(test::kRunStart, "1"), "25-03-14 10.22.05. 1Sec");
  EXPECT_EQ(DefaultSaveName(1741079107, "15"), "25-03-04 09.05.07. 15Sec");
}

TEST_F(TableFiles, JsonAndCsvEscapeAndStayLocaleFree) {
  LoggerStore s;
  s.recordCount = 1;
  s.header = "a\"b\\c\n";
  s.startText = "10:00:00";
  s.unitName = "kPa";
  s.intervalMs = 1000;
  s.values[0] = 0.1f;
  s.fullScaleAt[0] = kUnits[6].fullScale;
  s.texts[0] = test::Text6("\"0.1,x");
  s.unitAt[0] = 6;
  EXPECT_EQ(
      LoggerFileJson(s),
      "{\"count\": 1, \"header\": \"a\\\"b\\\\c\\u000a\", \"start\": \"10:00:00\", \"end\": \"\", "
      "\"unit\": \"kPa\", \"start_hour\": 0, \"start_min\": 0, \"start_sec\": 0, \"interval_ms\": 1000, "
      "\"records\": [\n  {\"value\": 0.100000001, \"full_scale\": 358.488007, \"text\": \"\\\"0.1,x\", "
      "\"unit\": 6}\n]}\n");
  EXPECT_EQ(BuildCsv(LoggerFileRows(s)), "NO,TIME,VALUE,UNIT,DATA\r\n1,00:00:00,0.1,kPa,\"\"\"0.1,\"\r\n");
}

}  // namespace
}  // namespace pv
