#include "platform/files/WindowsInstallation.h"

#include "FilesTestSupport.h"

namespace tunexa::files::test {
namespace {

using FindWindows = DriveTest;

const std::string kMsdosSys =
    "[Options]\r\nWinDir=C:\\WRONG\r\n[paths]\r\n  winDir = C:\\Win98\\ \r\nWinBootDir=C:\\X\r\n";

// The folder MSDOS.SYS names under [Paths], else C:\WINDOWS, where it holds SYSTEM.DAT.
TEST_F(FindWindows, ThroughMsdosSysOrTheDefaultFolderHoldingSystemDat) {
    struct Case {
        std::string msdosSys;            // C:\MSDOS.SYS's text; "" for no file
        std::vector<std::string> files;  // below drive C:, host spelling
        std::string windowsPath;         // what is found; "" for nothing
        std::string hostFolder;          // its folder below drive C:
    };
    for (const auto& [msdosSys, files, windowsPath, hostFolder] : std::vector<Case>{
             {kMsdosSys,
              {"WIN98/system.dat", "WIN98/user.dat", "windows/SYSTEM.DAT", "wrong/SYSTEM.DAT"},
              "C:\\Win98",
              "WIN98"},
             {"", {"windows/System.Dat"}, "C:\\WINDOWS", "windows"},
             // A folder MSDOS.SYS names without SYSTEM.DAT leaves the default folder.
             {kMsdosSys, {"Win98/USER.DAT", "WINDOWS/SYSTEM.DAT"}, "C:\\WINDOWS", "WINDOWS"},
             {"[Paths]\r\nWinDir=C:\\WINDOWS\r\n", {"WINDOWS/USER.DAT"}, "", ""},
             {"", {"WINDOWS/SYSTEM.DAT/x"}, "", ""}}) {
        fs::remove_all(driveC);
        fs::create_directory(driveC);
        if (!msdosSys.empty()) {
            putFile(driveC / "msdos.sys", msdosSys);
        }
        for (const auto& file : files) {
            putFile(driveC / file, "CREG");
        }
        const auto found = findWindowsInstallation(drives);
        ASSERT_EQ(found.has_value(), !windowsPath.empty()) << files[0];
        if (found) {
            EXPECT_EQ(found->windowsPath, windowsPath);
            EXPECT_EQ(fs::canonical(found->hostFolder), fs::canonical(driveC / hostFolder));
            EXPECT_EQ(found->systemDat.parent_path(), found->hostFolder);
            EXPECT_TRUE(fs::is_regular_file(found->systemDat));
            EXPECT_EQ(found->userDat.has_value(), fs::exists(found->hostFolder / "user.dat"));
        }
    }
}

}  // namespace
}  // namespace tunexa::files::test
