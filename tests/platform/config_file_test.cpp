// SPDX-License-Identifier: GPL-3.0-or-later
// The configuration file: the folders of the file dialogs beside "COM num", every other
// line kept as it was.
#include "platform/config_file.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "platform/port_paths.h"

namespace pv {
namespace {

namespace fs = std::filesystem;

std::string Contents(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

TEST(ConfigFile, FoldersGoInASectionOfTheirOwnAndEverythingElseStays) {
  struct Case {
    const char* name;
    const char* before;  // nullptr: no file yet
    FileFolders folders;
    const char* after;
  };
  const Case cases[] = {
      {"no file", nullptr, {"/home/u/runs", ""}, "[Folders]\r\nDataLogger=/home/u/runs\r\n"},
      {"beside the port",
       "[COMInfo]\r\nCOM num=3\r\n; a note\r\n[Ports]\r\nCOM3=/dev/meter\r\n",
       {"/d/runs", "/d/sheets"},
       "[COMInfo]\r\nCOM num=3\r\n; a note\r\n[Ports]\r\nCOM3=/dev/meter\r\n"
       "[Folders]\r\nDataLogger=/d/runs\r\nSpreadsheet=/d/sheets\r\n"},
      {"replaced in place",
       "[folders]\r\nspreadsheet=/old\r\nDataLogger=/old\r\n\r\n[COMInfo]\r\nCOM num=2\r\n",
       {"/new runs", ""},
       "[folders]\r\nspreadsheet=/old\r\nDataLogger=/new runs\r\n\r\n[COMInfo]\r\nCOM num=2\r\n"},
      {"a line break is not stored",
       "[COMInfo]\r\nCOM num=1\r\n",
       {"/d/a\nb", ""},
       "[COMInfo]\r\nCOM num=1\r\n"},
      {"a blank at the end would be lost on reading, so it is not stored",
       "[COMInfo]\r\nCOM num=1\r\n",
       {"/d/run ", ""},
       "[COMInfo]\r\nCOM num=1\r\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    QTemporaryDir dir;
    const std::string path = dir.filePath(QStringLiteral("PNEUVISTAconfig.ini")).toStdString();
    if (c.before) std::ofstream(path, std::ios::binary) << c.before;
    const int port = ReadComPort(path);
    EXPECT_EQ(WriteFileFolders(path, c.folders), "");
    EXPECT_EQ(Contents(path), c.after);
    EXPECT_EQ(ReadComPort(path), port);
    // Written again with the port at exit, the folders stay.
    EXPECT_EQ(WriteComPort(path, 7), "");
    const std::string& folder = c.folders.dataFiles;
    const bool storable = folder.find('\n') == std::string::npos && folder.back() != ' ';
    EXPECT_EQ(ReadFileFolders(path).dataFiles, storable ? c.folders.dataFiles : "");
  }
}

// The hold test's record as last entered comes back as it was entered, line breaks and
// backslashes in the notes included, and the file's other lines stay.
TEST(ConfigFile, TheLastHoldRecordComesBackForTheNextTest) {
  struct Case {
    const char* name;
    HoldRecord written;
    HoldRecord read;
  };
  const HoldRecord full{.organisation = "Gas Works Ltd",
                        .testId = "HT-7",
                        .systemTested = "Riser 3",
                        .location = "Plant 2",
                        .procedure = "Site procedure 4.2",
                        .requiredPressure = "50 mbar",
                        .testMedium = "N2",
                        .operatorName = "A. Operator",
                        .witness = "W. Witness",
                        .instrument = "Gauge",
                        .serialNumber = "SN 1",
                        .instrumentRange = "\xC2\xB1" "345 mbar",
                        .instrumentAccuracy = "0.1 mbar",
                        .calibrationDue = "2027-03-31",
                        .startTemperature = "21 \xC2\xB0" "C",
                        .endTemperature = "22 \xC2\xB0" "C",
                        .notes = "line one\nC:\\new\\n [x]=y"};
  HoldRecord padded;
  padded.testId = "  HT-8 ";
  padded.notes = "two\r\nlines\n";
  HoldRecord trimmed;
  trimmed.testId = "HT-8";
  trimmed.notes = "two\nlines";
  const Case cases[] = {{"every field", full, full}, {"blanks and CRs", padded, trimmed}, {"all blank", {}, {}}};
  for (const Case& c : cases) {
    QTemporaryDir dir;
    const std::string path = dir.filePath(QStringLiteral("PNEUVISTAconfig.ini")).toStdString();
    std::ofstream(path, std::ios::binary) << "[COMInfo]\r\nCOM num=3\r\n";
    ASSERT_EQ(WriteHoldRecord(path, full), "") << c.name;
    ASSERT_EQ(WriteHoldRecord(path, c.written), "") << c.name;
    const HoldRecord read = ReadHoldRecord(path);
    for (const HoldRecordField& f : kHoldRecordFields) EXPECT_EQ(read.*f.field, c.read.*f.field) << c.name;
    EXPECT_EQ(ReadComPort(path), 3) << c.name;
    EXPECT_EQ(Contents(path).rfind("[COMInfo]\r\nCOM num=3\r\n[HoldTest]\r\n", 0), 0u) << c.name;
  }
}

TEST(ConfigFile, TheHelpWindowPlaceIsReadOnlyWhenItIsFourNumbersWithASize) {
  struct Case {
    const char* line;
    std::optional<WindowPlace> place;
  };
  const Case cases[] = {
      {"Window=10,20,800,600", WindowPlace{10, 20, 800, 600}},
      {"window = -1280,0,640,480", WindowPlace{-1280, 0, 640, 480}},
      {"Window=10,20,0,600", std::nullopt},
      {"Window=10,20,800", std::nullopt},
      {"Window=10,20,800,600,7", std::nullopt},
      {"Window=10,20,800,600x", std::nullopt},
      {"Window=99999999999,20,800,600", std::nullopt},
      {"Window=a,b,c,d", std::nullopt},
      {"Window=", std::nullopt},
      {"Other=1,2,3,4", std::nullopt},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.line);
    QTemporaryDir dir;
    const std::string path = dir.filePath(QStringLiteral("PNEUVISTAconfig.ini")).toStdString();
    std::ofstream(path, std::ios::binary) << "[COMInfo]\r\nCOM num=2\r\n[Help]\r\n" << c.line << "\r\n";
    EXPECT_EQ(ReadHelpWindowPlace(path), c.place);
  }
}

TEST(ConfigFile, TheHelpWindowPlaceIsKeptBesideEverythingElse) {
  QTemporaryDir dir;
  const std::string path = dir.filePath(QStringLiteral("PNEUVISTAconfig.ini")).toStdString();
  std::ofstream(path, std::ios::binary) << "[COMInfo]\r\nCOM num=3\r\n[Ports]\r\nCOM3=/dev/meter\r\n";
  EXPECT_EQ(ReadHelpWindowPlace(path), std::nullopt);
  EXPECT_EQ(WriteHelpWindowPlace(path, {40, 50, 700, 500}), "");
  EXPECT_EQ(WriteHelpWindowPlace(path, {41, 51, 701, 501}), "");
  EXPECT_EQ(Contents(path),
            "[COMInfo]\r\nCOM num=3\r\n[Ports]\r\nCOM3=/dev/meter\r\n[Help]\r\nWindow=41,51,701,501\r\n");
  EXPECT_EQ(ReadHelpWindowPlace(path), (WindowPlace{41, 51, 701, 501}));
  EXPECT_EQ(ReadComPort(path), 3);
}

TEST(ConfigFile, AFoundMeterReplacesOrJoinsItsPortLineAndTheReaderSeesIt) {
  struct Case {
    const char* before;
    int port;
    const char* after;
  };
  const Case cases[] = {
      {"", 1, "[Ports]\r\nCOM1=/dev/serial/by-id/usb-M\r\n"},
      {"[COMInfo]\r\nCOM num=3\r\n[Ports]\r\nCOM3=/dev/old\r\nCOM4=/dev/x\r\n", 3,
       "[COMInfo]\r\nCOM num=3\r\n[Ports]\r\nCOM3=/dev/serial/by-id/usb-M\r\nCOM4=/dev/x\r\n"},
      {"[Ports]\r\nCOM4=/dev/x\r\n[Help]\r\nWindow=1,2,3,4\r\n", 7,
       "[Ports]\r\nCOM4=/dev/x\r\nCOM7=/dev/serial/by-id/usb-M\r\n[Help]\r\nWindow=1,2,3,4\r\n"},
      // Other lines for the same port would leave two paths; only the written one stays.
      {"[Ports]\r\nCOM03=/dev/a\r\nCOM4=/dev/x\r\ncom3=/dev/b\r\nCOM3=/dev/c\r\n"
       "[Other]\r\nCOM3=/dev/d\r\n",
       3,
       "[Ports]\r\nCOM4=/dev/x\r\nCOM3=/dev/serial/by-id/usb-M\r\n[Other]\r\nCOM3=/dev/d\r\n"},
  };
  for (const Case& c : cases) {
    QTemporaryDir dir;
    const std::string path = dir.filePath(QStringLiteral("PNEUVISTAconfig.ini")).toStdString();
    if (*c.before) std::ofstream(path, std::ios::binary) << c.before;
    EXPECT_EQ(WritePortPath(path, c.port, "/dev/serial/by-id/usb-M"), "");
    EXPECT_EQ(Contents(path), c.after) << c.before;
    EXPECT_EQ(ReadPortPaths(path)[c.port], "/dev/serial/by-id/usb-M");
  }
}

TEST(ConfigFile, AFileTooLargeToReadWholeIsNeverWrittenBack) {
  QTemporaryDir dir;
  const std::string path = dir.filePath(QStringLiteral("PNEUVISTAconfig.ini")).toStdString();
  const std::string big = "[COMInfo]\r\nCOM num=3\r\n" + std::string(1 << 20, ';') + "\r\nkept=yes\r\n";
  std::ofstream(path, std::ios::binary) << big;
  EXPECT_EQ(ReadComPort(path), 3);
  EXPECT_NE(WriteComPort(path, 7), "");
  EXPECT_NE(WritePortPath(path, 1, "/dev/ttyS0"), "");
  EXPECT_EQ(Contents(path), big);
}

// The file as the user's editor left it: a byte-order mark is skipped, a number past
// the integer range is the default, and a line that already says the port stays.
TEST(ConfigFile, TheUsersOwnLinesAreReadAsMeantAndLeftAsWritten) {
  struct Case {
    const char* before;
    int read, written;
    const char* after;  // nullptr: as before
  };
  const Case cases[] = {
      {"\xEF\xBB\xBF[COMInfo]\r\nCOM num=3\r\n", 3, 3, nullptr},
      {"\xEF\xBB\xBF[COMInfo]\r\nCOM num=3\r\n", 3, 4, "\xEF\xBB\xBF[COMInfo]\r\nCOM num=4\r\n"},
      {"[COMInfo]\r\nCOM num=10000000000000000000000\r\n", 1, 1, nullptr},
      {"[COMInfo]\r\nCOM num=-99999999999\r\n", 1, 1, nullptr},
      {"[COMInfo]\r\nCOM num= 2 \r\n", 2, 2, nullptr},
  };
  for (const Case& c : cases) {
    QTemporaryDir dir;
    const std::string path = dir.filePath(QStringLiteral("PNEUVISTAconfig.ini")).toStdString();
    std::ofstream(path, std::ios::binary) << c.before;
    EXPECT_EQ(ReadComPort(path), c.read) << c.before;
    EXPECT_EQ(WriteComPort(path, c.written), "");
    EXPECT_EQ(Contents(path), c.after ? c.after : c.before) << c.before;
  }
}

// Written as any save: a symlink planted at the old fixed temporary name is not
// followed, and the file keeps its mode and its line ends.
TEST(ConfigFile, WrittenLikeAnySave) {
  struct Case {
    const char* before;
    fs::perms mode;
    const char* after;
  };
  const Case cases[] = {
      {"[COMInfo]\r\nCOM num=2\r\n", fs::perms::owner_read | fs::perms::owner_write,
       "[COMInfo]\r\nCOM num=7\r\n"},
      {"[COMInfo]\nCOM num=2\n[Help]\nWindow=1,2,3,4\n", static_cast<fs::perms>(0640),
       "[COMInfo]\nCOM num=7\n[Help]\nWindow=1,2,3,4\n"},
  };
  for (const Case& c : cases) {
    QTemporaryDir dir;
    const std::string path = dir.filePath(QStringLiteral("PNEUVISTAconfig.ini")).toStdString();
    const std::string victim = dir.filePath(QStringLiteral("victim")).toStdString();
    std::ofstream(path, std::ios::binary) << c.before;
    fs::permissions(path, c.mode);
    std::ofstream(victim) << "keep";
    fs::create_symlink(victim, path + ".tmp");
    EXPECT_EQ(WriteComPort(path, 7), "");
    EXPECT_EQ(Contents(path), c.after);
    EXPECT_EQ(fs::status(path).permissions(), c.mode);
    EXPECT_EQ(Contents(victim), "keep");
  }
}

// Without a configuration folder nothing is written, least of all into the folder the
// program was started in.
TEST(ConfigFile, WithoutAConfigurationFolderNothingIsWritten) {
  QTemporaryDir dir;
  const std::string started = dir.path().toStdString();
  const fs::path before = fs::current_path();
  fs::current_path(started);
  std::ofstream(".tmp") << "the user's own";
  EXPECT_EQ(WriteComPort("", 3), NoConfigFolderMessage());
  EXPECT_EQ(WriteFileFolders("", {"/d", "/e"}), NoConfigFolderMessage());
  fs::current_path(before);
  EXPECT_EQ(Contents(started + "/.tmp"), "the user's own");
  EXPECT_EQ(std::distance(fs::directory_iterator(started), fs::directory_iterator()), 1);
}

}  // namespace
}  // namespace pv
