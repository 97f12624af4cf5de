#include "platform/files/Drives.h"

#include <gtest/gtest.h>

#include <cstdlib>

#include "FilesTestSupport.h"
#include "TempRoot.h"

namespace tunexa::files {
namespace {

namespace fs = std::filesystem;
using test::writeBytes;

class DrivesTest : public ::testing::Test {
  protected:
    tunexa::test::TempDir dir;
    fs::path root = dir / "data";
    Drives drives{root};
    fs::path driveC = root / "drive_c";
};

TEST_F(DrivesTest, DataRootFollowsXdgDataHome) {
    const char* data = std::getenv("XDG_DATA_HOME");
    ASSERT_NE(data, nullptr);
    EXPECT_EQ(defaultDataRoot(), fs::path(data) / "tunexa");
    EXPECT_EQ(Drives().dataRoot(), fs::path(data) / "tunexa");
}

TEST_F(DrivesTest, DriveCIsMadeOnFirstUse) {
    EXPECT_FALSE(fs::exists(root));
    const auto host = drives.toHost("C:\\");
    ASSERT_TRUE(host) << host.error();
    EXPECT_EQ(*host, root / "dosdevices" / "c:");
    EXPECT_TRUE(fs::is_symlink(root / "dosdevices" / "c:"));
    EXPECT_EQ(fs::read_symlink(root / "dosdevices" / "c:"), fs::path("../drive_c"));
    EXPECT_TRUE(fs::is_directory(driveC));
}

TEST_F(DrivesTest, AUserMadeDriveCIsKept) {
    fs::create_directories(dir / "elsewhere");
    fs::create_directories(root / "dosdevices");
    fs::create_directory_symlink(dir / "elsewhere", root / "dosdevices" / "c:");
    writeBytes(dir / "elsewhere" / "IO.SYS", "x");
    const auto host = drives.toHost("c:\\io.sys");
    ASSERT_TRUE(host) << host.error();
    EXPECT_TRUE(fs::exists(*host));
    EXPECT_EQ(fs::read_symlink(root / "dosdevices" / "c:"), dir / "elsewhere");
}

TEST_F(DrivesTest, ComponentsResolveWithoutRegardToCase) {
    drives.ensureDriveC();
    writeBytes(driveC / "AUTOEXEC.BAT", "@ECHO OFF\r\n");
    writeBytes(driveC / "Sierra" / "Half-Life" / "HL.EXE", "");
    const auto autoexec = drives.toHost("c:\\autoexec.bat");
    ASSERT_TRUE(autoexec) << autoexec.error();
    EXPECT_EQ(autoexec->filename(), "AUTOEXEC.BAT");
    const auto program = drives.toHost("C:\\SIERRA\\half-life\\hl.exe");
    ASSERT_TRUE(program) << program.error();
    EXPECT_EQ(fs::relative(*program, root / "dosdevices" / "c:"),
              fs::path("Sierra/Half-Life/HL.EXE"));
}

TEST_F(DrivesTest, NewNamesKeepTheSpellingGiven) {
    drives.ensureDriveC();
    fs::create_directories(driveC / "SIERRA");
    const auto host = drives.toHost("C:\\Sierra\\New Folder\\NewFile.Txt");
    ASSERT_TRUE(host) << host.error();
    EXPECT_EQ(fs::relative(*host, root / "dosdevices" / "c:"),
              fs::path("SIERRA/New Folder/NewFile.Txt"));
}

TEST_F(DrivesTest, ExactSpellingWinsOverAnotherCase) {
    drives.ensureDriveC();
    writeBytes(driveC / "Readme.txt", "1");
    writeBytes(driveC / "README.TXT", "2");
    EXPECT_EQ(drives.toHost("C:\\README.TXT")->filename(), "README.TXT");
    EXPECT_EQ(drives.toHost("C:\\Readme.txt")->filename(), "Readme.txt");
    // Neither spelling given: the first in case-insensitive order, ties by the raw bytes.
    EXPECT_EQ(drives.toHost("C:\\readme.TXT")->filename(), "README.TXT");
}

TEST_F(DrivesTest, Windows1252NamesMatchTheirUtf8HostNames) {
    drives.ensureDriveC();
    writeBytes(driveC / "Caf\xC3\xA9" / "x.txt", "");
    const auto host = drives.toHost("C:\\CAF\xC9\\X.TXT");
    ASSERT_TRUE(host) << host.error();
    EXPECT_TRUE(fs::exists(*host));
    EXPECT_EQ(drives.toWindows(*host), "C:\\Caf\xE9\\x.txt");
}

TEST_F(DrivesTest, DotsAndDoubleSeparatorsAreTidied) {
    drives.ensureDriveC();
    fs::create_directories(driveC / "A");
    fs::create_directories(driveC / "B");
    EXPECT_EQ(*drives.toHost("C:\\a\\..\\b\\.\\\\"), root / "dosdevices" / "c:" / "B");
    EXPECT_EQ(*drives.toHost("C:\\..\\..\\a"), root / "dosdevices" / "c:" / "A");
    EXPECT_EQ(*drives.toHost("c:/a"), root / "dosdevices" / "c:" / "A");
}

TEST_F(DrivesTest, UnmappedLetterIsAnError) {
    const auto host = drives.toHost("D:\\Games\\hl.exe");
    ASSERT_FALSE(host);
    EXPECT_NE(host.error().find("Drive D: is not mapped"), std::string::npos) << host.error();
}

TEST_F(DrivesTest, OtherLettersExistWhereTheUserLinkedThem) {
    fs::create_directories(dir / "image" / "GAMES");
    fs::create_directories(root / "dosdevices");
    fs::create_directory_symlink(dir / "image", root / "dosdevices" / "d:");
    const auto host = drives.toHost("d:\\games");
    ASSERT_TRUE(host) << host.error();
    EXPECT_EQ(*host, root / "dosdevices" / "d:" / "GAMES");
}

TEST_F(DrivesTest, DriveWithMissingTargetIsAnError) {
    fs::create_directories(root / "dosdevices");
    fs::create_directory_symlink(dir / "unmounted", root / "dosdevices" / "e:");
    const auto host = drives.toHost("E:\\x.bat");
    ASSERT_FALSE(host);
    EXPECT_NE(host.error().find("not available"), std::string::npos) << host.error();
}

TEST_F(DrivesTest, MalformedPathsAreRefused) {
    struct Case {
        const char* path;
        const char* says;
    };
    const Case cases[] = {
        {"C::\\", "must start with a drive letter"},
        {"C:", "must start with a drive letter"},
        {"C:tunexa.bat", "must start with a drive letter"},
        {"autoexec.bat", "must start with a drive letter"},
        {"1:\\", "must start with a drive letter"},
        {"", "must start with a drive letter"},
        {"C:\\a|b", "holds the character |"},
        {"C:\\a\\b?", "holds the character ?"},
        {"C:\\a\\b:c", "holds the character :"},
        {"C:\\line\nbreak", "holds a control character"},
    };
    for (const auto& c : cases) {
        const auto host = drives.toHost(c.path);
        ASSERT_FALSE(host) << c.path;
        EXPECT_NE(host.error().find(c.says), std::string::npos) << c.path << ": " << host.error();
    }
}

TEST_F(DrivesTest, HostPathsGoBackToWindowsForm) {
    drives.ensureDriveC();
    writeBytes(driveC / "A" / "hl.exe", "");
    EXPECT_EQ(drives.toWindows(driveC / "A" / "hl.exe"), "C:\\A\\hl.exe");
    EXPECT_EQ(drives.toWindows(root / "dosdevices" / "c:" / "A"), "C:\\A");
    EXPECT_EQ(drives.toWindows(driveC), "C:\\");
    EXPECT_EQ(drives.toWindows(dir / "outside"), std::nullopt);
}

TEST_F(DrivesTest, DeepestDriveRootWinsForTheWindowsForm) {
    drives.ensureDriveC();
    fs::create_directory_symlink(root, root / "dosdevices" / "z:");
    writeBytes(driveC / "A" / "hl.exe", "");
    EXPECT_EQ(drives.toWindows(driveC / "A" / "hl.exe"), "C:\\A\\hl.exe");
    EXPECT_EQ(drives.toWindows(root / "other"), "Z:\\other");
}

}  // namespace
}  // namespace tunexa::files
