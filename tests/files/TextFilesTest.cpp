#include "platform/files/TextFiles.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <csignal>

#include "FilesTestSupport.h"
#include "TempRoot.h"

namespace tunexa::files {
namespace {

namespace fs = std::filesystem;
using test::entriesIn;
using test::readBytes;
using test::writeBytes;

class TextFilesTest : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(drives.ensureDriveC()); }

    tunexa::test::TempDir dir;
    fs::path root = dir / "data";
    Drives drives{root};
    fs::path driveC = root / "drive_c";
};

TEST_F(TextFilesTest, WritesLinesWithCrLfAndWindows1252BytesUnchanged) {
    const auto written =
        writeTextFile("c:\\tunexa.bat",
                      {"REM -- Written by Tunexa --", "SET SST_GRXCLK=50", "REM caf\xE9"}, drives);
    ASSERT_TRUE(written) << written.error();
    EXPECT_EQ(readBytes(driveC / "tunexa.bat"),
              "REM -- Written by Tunexa --\r\nSET SST_GRXCLK=50\r\nREM caf\xE9\r\n");
    EXPECT_EQ(entriesIn(driveC), 1);  // no temporary file left behind
}

TEST_F(TextFilesTest, ReplacesTheWholeOldFileAndKeepsItsNameAndPermissions) {
    writeBytes(driveC / "TUNEXA.BAT", "a much longer old content\r\nsecond line\r\n");
    fs::permissions(driveC / "TUNEXA.BAT", fs::perms(0640));
    ASSERT_TRUE(writeTextFile("c:\\tunexa.bat", {"new"}, drives));
    EXPECT_EQ(readBytes(driveC / "TUNEXA.BAT"), "new\r\n");
    EXPECT_EQ(fs::status(driveC / "TUNEXA.BAT").permissions(), fs::perms(0640));
    EXPECT_EQ(entriesIn(driveC), 1);
}

TEST_F(TextFilesTest, ALinkInPlaceOfTheFileStaysALink) {
    fs::create_directories(dir / "real");
    writeBytes(dir / "real" / "tunexa.bat", "old\r\n");
    fs::create_symlink(dir / "real" / "tunexa.bat", driveC / "tunexa.bat");
    ASSERT_TRUE(writeTextFile("C:\\TUNEXA.BAT", {"new"}, drives));
    EXPECT_TRUE(fs::is_symlink(driveC / "tunexa.bat"));
    EXPECT_EQ(readBytes(dir / "real" / "tunexa.bat"), "new\r\n");
}

TEST_F(TextFilesTest, AFailedWriteLeavesTheOldFileWhole) {
    writeBytes(driveC / "tunexa.bat", "old\r\n");
    // Tests run as root, so a read-only folder would not stop the write; a file-size limit
    // makes the write itself fail halfway instead.
    const std::string big(4096, 'x');
    rlimit saved{};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
    const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = saved;
    small.rlim_cur = 100;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    const auto written = writeTextFile("c:\\tunexa.bat", {big}, drives);
    ::setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, previousHandler);

    ASSERT_FALSE(written);
    EXPECT_NE(written.error().find("tunexa.bat"), std::string::npos) << written.error();
    EXPECT_EQ(readBytes(driveC / "tunexa.bat"), "old\r\n");
    EXPECT_EQ(entriesIn(driveC), 1);
}

TEST_F(TextFilesTest, AFolderThatCannotHoldFilesIsAnError) {
    // A regular file where the folder should be: no temporary file can be made in it.
    writeBytes(driveC / "blocker", "not a folder");
    const auto written = writeTextFile("c:\\blocker\\tunexa.bat", {"x"}, drives);
    ASSERT_FALSE(written);
    EXPECT_NE(written.error().find("Not a directory"), std::string::npos) << written.error();
    EXPECT_EQ(readBytes(driveC / "blocker"), "not a folder");
}

TEST_F(TextFilesTest, MissingDriveOrFolderWritesNothing) {
    const auto onD = writeTextFile("d:\\tunexa.bat", {"x"}, drives);
    ASSERT_FALSE(onD);
    EXPECT_NE(onD.error().find("Drive D: is not mapped"), std::string::npos) << onD.error();
    const auto inMissingFolder = writeTextFile("c:\\nowhere\\tunexa.bat", {"x"}, drives);
    ASSERT_FALSE(inMissingFolder);
    EXPECT_NE(inMissingFolder.error().find("No such file or directory"), std::string::npos);
    EXPECT_EQ(entriesIn(driveC), 0);
}

TEST_F(TextFilesTest, WritingOverAFolderIsRefused) {
    fs::create_directories(driveC / "tunexa.bat");
    const auto written = writeTextFile("c:\\tunexa.bat", {"x"}, drives);
    ASSERT_FALSE(written);
    EXPECT_TRUE(fs::is_directory(driveC / "tunexa.bat"));
}

struct AppendCase {
    const char* name;
    const char* before;  // nullptr: no file yet
    const char* after;
};

class AppendTest : public TextFilesTest, public ::testing::WithParamInterface<AppendCase> {};

TEST_P(AppendTest, KeepsEveryByteAndStartsOnANewLine) {
    const auto& c = GetParam();
    if (c.before != nullptr) {
        writeBytes(driveC / "autoexec.bat", c.before);
    }
    const auto appended = appendTextLine("C:\\autoexec.bat", "c:\\tunexa.bat", drives);
    ASSERT_TRUE(appended) << appended.error();
    EXPECT_EQ(readBytes(driveC / "autoexec.bat"), c.after);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, AppendTest,
    ::testing::Values(AppendCase{"Missing", nullptr, "c:\\tunexa.bat\r\n"},
                      AppendCase{"Empty", "", "c:\\tunexa.bat\r\n"},
                      AppendCase{"EndsWithCrLf", "@ECHO OFF\r\nPATH C:\\DOS\r\n",
                                 "@ECHO OFF\r\nPATH C:\\DOS\r\nc:\\tunexa.bat\r\n"},
                      AppendCase{"NoFinalLineBreak", "@ECHO OFF\r\nPATH C:\\DOS",
                                 "@ECHO OFF\r\nPATH C:\\DOS\r\nc:\\tunexa.bat\r\n"},
                      AppendCase{"EndsWithLf", "@ECHO OFF\n", "@ECHO OFF\nc:\\tunexa.bat\r\n"},
                      AppendCase{"EndsWithCr", "@ECHO OFF\r", "@ECHO OFF\r\nc:\\tunexa.bat\r\n"},
                      AppendCase{"KeepsOtherBytes", "caf\xE9\r\n\x1a",
                                 "caf\xE9\r\n\x1a\r\nc:\\tunexa.bat\r\n"}),
    [](const auto& param) { return std::string(param.param.name); });

TEST_F(TextFilesTest, AppendFindsAnUpperCaseAutoexec) {
    writeBytes(driveC / "AUTOEXEC.BAT", "@ECHO OFF\r\n");
    ASSERT_TRUE(appendTextLine("C:\\autoexec.bat", "c:\\tunexa.bat", drives));
    ASSERT_TRUE(appendTextLine("C:\\autoexec.bat", "c:\\tunexa.bat", drives));
    EXPECT_EQ(readBytes(driveC / "AUTOEXEC.BAT"),
              "@ECHO OFF\r\nc:\\tunexa.bat\r\nc:\\tunexa.bat\r\n");
    EXPECT_EQ(entriesIn(driveC), 1);
}

TEST_F(TextFilesTest, AppendOnAMissingDriveFails) {
    const auto appended = appendTextLine("D:\\autoexec.bat", "c:\\tunexa.bat", drives);
    ASSERT_FALSE(appended);
    EXPECT_NE(appended.error().find("Cannot append to \"D:\\autoexec.bat\""), std::string::npos)
        << appended.error();
}

}  // namespace
}  // namespace tunexa::files
