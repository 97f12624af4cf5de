#include "platform/files/WindowsInstallation.h"

#include <gtest/gtest.h>

#include "FilesTestSupport.h"
#include "TempRoot.h"

namespace tunexa::files {
namespace {

namespace fs = std::filesystem;

struct InstallationCase {
    std::string msdosSys;            // C:\MSDOS.SYS's text; "" for no file
    std::vector<std::string> files;  // below drive C:, host spelling
    std::string windowsPath;         // what is found; "" for nothing
    std::string hostFolder;          // its folder below drive C:
};

class FindWindows : public ::testing::TestWithParam<InstallationCase> {};

TEST_P(FindWindows, ThroughMsdosSysOrTheDefaultFolderHoldingSystemDat) {
    tunexa::test::TempDir dir;
    const Drives drives(dir / "data");
    ASSERT_TRUE(drives.ensureDriveC());
    const fs::path driveC = dir / "data" / "drive_c";
    if (!GetParam().msdosSys.empty()) {
        test::writeBytes(driveC / "msdos.sys", GetParam().msdosSys);
    }
    for (const auto& file : GetParam().files) {
        test::writeBytes(driveC / file, "CREG");
    }
    const auto found = findWindowsInstallation(drives);
    ASSERT_EQ(found.has_value(), !GetParam().windowsPath.empty());
    if (found) {
        EXPECT_EQ(found->windowsPath, GetParam().windowsPath);
        EXPECT_EQ(fs::canonical(found->hostFolder), fs::canonical(driveC / GetParam().hostFolder));
        EXPECT_EQ(found->systemDat.parent_path(), found->hostFolder);
        EXPECT_TRUE(fs::is_regular_file(found->systemDat));
        EXPECT_EQ(found->userDat.has_value(), fs::exists(found->hostFolder / "user.dat"));
    }
}

const std::string kMsdosSys =
    "[Options]\r\nWinDir=C:\\WRONG\r\n[paths]\r\n  winDir = C:\\Win98\\ \r\nWinBootDir=C:\\X\r\n";

INSTANTIATE_TEST_SUITE_P(
    Table, FindWindows,
    ::testing::Values(
        InstallationCase{
            kMsdosSys,
            {"WIN98/system.dat", "WIN98/user.dat", "windows/SYSTEM.DAT", "wrong/SYSTEM.DAT"},
            "C:\\Win98",
            "WIN98"},
        InstallationCase{"", {"windows/System.Dat"}, "C:\\WINDOWS", "windows"},
        // A folder MSDOS.SYS names without SYSTEM.DAT leaves the default folder.
        InstallationCase{
            kMsdosSys, {"Win98/USER.DAT", "WINDOWS/SYSTEM.DAT"}, "C:\\WINDOWS", "WINDOWS"},
        InstallationCase{"[Paths]\r\nWinDir=C:\\WINDOWS\r\n", {"WINDOWS/USER.DAT"}, "", ""},
        InstallationCase{"", {"WINDOWS/SYSTEM.DAT/x"}, "", ""}));

}  // namespace
}  // namespace tunexa::files
