#include "platform/files/Drives.h"

#include <cstdlib>

#include "FilesTestSupport.h"
#include "platform/files/WindowsInstallation.h"

namespace tunexa::files::test {
namespace {

TEST_F(DriveTest, DriveCIsMadeOnFirstUseUnderTheDataRoot) {
    EXPECT_EQ(Drives().dataRoot(), fs::path(std::getenv("XDG_DATA_HOME")) / "tunexa");
    const Drives fresh(dir / "fresh");
    EXPECT_EQ(*fresh.toHost("C:\\"), dir / "fresh" / "dosdevices" / "c:");
    EXPECT_EQ(fs::read_symlink(dir / "fresh" / "dosdevices" / "c:"), fs::path("../drive_c"));
    EXPECT_TRUE(fs::is_directory(dir / "fresh" / "drive_c"));
    // One the user made stays; other letters exist only where the user linked them.
    putFile(dir / "elsewhere" / "IO.SYS", "x");
    fs::remove(c);
    fs::create_directory_symlink(dir / "elsewhere", c);
    fs::create_directory_symlink(dir / "image", root / "dosdevices" / "d:");
    EXPECT_TRUE(fs::exists(*drives.toHost("c:\\io.sys")));
    EXPECT_EQ(fs::read_symlink(c), dir / "elsewhere");
    EXPECT_NE(drives.toHost("D:\\x").error().find("not available"), std::string::npos);
    fs::create_directories(dir / "image" / "GAMES");
    EXPECT_EQ(*drives.toHost("d:\\games"), root / "dosdevices" / "d:" / "GAMES");
}

// Each name matches an existing entry without regard to case (the exact spelling first, then
// the first in case-insensitive order); a new name keeps the spelling given.
TEST_F(DriveTest, NamesResolveWithoutRegardToCase) {
    putFile(driveC / "AUTOEXEC.BAT", "");
    putFile(driveC / "Sierra" / "Readme.txt", "");
    putFile(driveC / "Sierra" / "README.TXT", "");
    putFile(driveC / "Caf\xC3\xA9" / "x.txt", "");
    EXPECT_EQ(*drives.toHost("c:\\autoexec.bat"), c / "AUTOEXEC.BAT");
    EXPECT_EQ(*drives.toHost("C:\\SIERRA\\Readme.txt"), c / "Sierra" / "Readme.txt");
    EXPECT_EQ(*drives.toHost("C:\\sierra\\readme.TXT"), c / "Sierra" / "README.TXT");
    EXPECT_EQ(*drives.toHost("C:\\sierra\\New Folder\\A.b"), c / "Sierra" / "New Folder" / "A.b");
    EXPECT_EQ(*drives.toHost("C:\\CAF\xC9\\X.TXT"), c / "Caf\xC3\xA9" / "x.txt");
    EXPECT_EQ(*drives.toHost("c:/sierra\\..\\.\\\\caf\xE9"), c / "Caf\xC3\xA9");
    EXPECT_EQ(drives.toWindows(c / "Caf\xC3\xA9" / "x.txt"), "C:\\Caf\xE9\\x.txt");
    EXPECT_EQ(drives.toWindows(driveC), "C:\\");
    EXPECT_EQ(drives.toWindows(dir / "outside"), std::nullopt);
    fs::create_directory_symlink(root, root / "dosdevices" / "z:");  // the deepest root wins
    EXPECT_EQ(drives.toWindows(driveC / "Sierra"), "C:\\Sierra");
    EXPECT_EQ(drives.toWindows(root / "other"), "Z:\\other");
}

TEST_F(DriveTest, MalformedPathsAndUnmappedDrivesAreRefused) {
    for (const auto& [path, says] : {
             std::pair{"C::\\", "must start with a drive letter"},
             std::pair{"C:tunexa.bat", "must start with a drive letter"},
             std::pair{"C:\\a|b", "holds the character |"},
             std::pair{"C:\\line\nbreak", "holds a control character"},
             std::pair{"D:\\Games\\hl.exe", "Drive D: is not mapped"},
         }) {
        const auto host = drives.toHost(path);
        ASSERT_FALSE(host) << path;
        EXPECT_NE(host.error().find(says), std::string::npos) << path << ": " << host.error();
    }
}

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
