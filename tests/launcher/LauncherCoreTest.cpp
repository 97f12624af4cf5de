#include "launcher/core/FileMethods.h"
#include "launcher/core/LaunchBatch.h"

#include <gtest/gtest.h>

#include "FatImage.h"
#include "TempRoot.h"
#include "platform/files/DriveC.h"

namespace tunexa::launcher {
namespace {

namespace fs = std::filesystem;
using Found = std::vector<std::string>;
using namespace tunexa::test;  // files and the temporary folder

class LauncherTest : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(drives.ensureDriveC()); }
    void files(std::initializer_list<const char*> names) {
        for (const char* name : names) {
            putFile(driveC / name, "x");
        }
    }
    Found search(std::string_view folder) {
        Found found;
        outcome = SearchFileTree(folder, "hl.exe", found, {}, drives);
        return found;
    }

    tunexa::test::TempDir dir;
    files::Drives drives{dir / "data"};
    fs::path driveC = dir / "data" / "drive_c";
    SearchOutcome outcome;
};

// A folder's matches come before its subfolders' (subfolders in case-insensitive order, depth
// first); names match without regard to case and keep their spelling, folders included; the
// folder is kept as given. On a disk image the same tree gives the same paths in the same order,
// hidden folders and a copy deep down included.
TEST_F(LauncherTest, FindsEveryCopyFolderBeforeSubfoldersOnAFolderOrAnImage) {
    files({"b/hl.exe", "A/Z/HL.EXE", "a2/hl.exe", "A/y/hl.exe", "A/hl.exe", "hl.exe.d/hl.exe",
           "A/Hl.Exe.bak", "A/xhl.exe", "hl.exe/inner/x", "Zz/1/2/3/4/5/6/7/hl.exe"});
    const auto image = dir / "c.img";
    makeFatImage(image, {"FAT16", 16, FatLayout::Partitioned, 1048576}, 8 * 1024);
    shell("mcopy -s " + mtoolsImage(image, 1048576) + " " + quote(driveC.string()) + "/* ::/");
    shell("mattrib +h " + mtoolsImage(image, 1048576) + " ::/Zz");
    for (const bool onImage : {false, true}) {
        SCOPED_TRACE(onImage ? "image" : "folder");
        ASSERT_TRUE(!onImage || files::useAsDriveC(image, drives));
        EXPECT_EQ(search("C:\\"),
                  (Found{"C:\\hl.exe", "C:\\A\\hl.exe", "C:\\A\\y\\hl.exe", "C:\\A\\Z\\HL.EXE",
                         "C:\\a2\\hl.exe", "C:\\b\\hl.exe", "C:\\hl.exe.d\\hl.exe",
                         "C:\\Zz\\1\\2\\3\\4\\5\\6\\7\\hl.exe"}));
        EXPECT_EQ(search("c:\\a"),
                  (Found{"c:\\a\\hl.exe", "c:\\a\\y\\hl.exe", "c:\\a\\Z\\HL.EXE"}));
        EXPECT_EQ(search("c:\\nowhere"), Found{});
    }
    for (const char* folder : {"c:", "C::\\", "Q:\\"}) {
        EXPECT_EQ(search(folder), Found{}) << folder;
        EXPECT_NE(outcome.error, "") << folder;
    }
}

// Each folder is searched once, so a link loop ends; a name Windows cannot hold is passed over.
TEST_F(LauncherTest, LinksAreFollowedOnceAndForeignNamesPassedOver) {
    files({"Real/hl.exe", "\xE4\xB8\xAD/hl.exe", "Caf\xC3\xA9/hl.exe"});
    fs::create_directory_symlink(driveC / "Real", driveC / "Alias");
    fs::create_directory_symlink(driveC, driveC / "Real" / "loop");
    fs::create_directory_symlink(driveC / "missing", driveC / "Real" / "dangling");
    EXPECT_EQ(search("C:\\"), (Found{"C:\\Alias\\hl.exe", "C:\\Caf\xE9\\hl.exe"}));
}

// Drive; cd\; cd "<the folders between the root and the program>\"; the game on the address;
// exit; each line ended by CR LF, and one more CR LF. The folder ends at the last "\" (the
// window's Connect test has a folder two deep).
// c:\tx106hl.bat is replaced whole, also when the drive holds it in another letter case; a
// refused input leaves it as it was.
TEST_F(LauncherTest, TheLaunchBatchGetsItsExactBytesWholeOrNotAtAll) {
    const auto batch = driveC / "TX106HL.BAT";
    putFile(batch, "an old and much longer file\r\n");
    for (const auto& [path, address, expected] : {
             std::tuple{"d:\\hl.exe", "",
                        "d:\r\ncd\\\r\ncd \"\"\r\nhl.exe -dev -console +connect \r\nexit\r\n\r\n"},
             std::tuple{"C:\\hl.exe.d\\HL.EXE", "1.2.3.4:27015",
                        "C:\r\ncd\\\r\ncd \"hl.exe.d\\\"\r\n"
                        "hl.exe -dev -console +connect 1.2.3.4:27015\r\nexit\r\n\r\n"},
         }) {
        const auto written = writeLaunchBatch(path, address, drives);
        ASSERT_TRUE(written) << path << ": " << written.error();
        EXPECT_EQ(fileBytes(batch), expected) << path;
    }
    const std::string kept = fileBytes(batch);
    for (const auto& [path, address, says] : {
             std::tuple{"", "1.2.3.4", "Find Half-Life first"},
             std::tuple{"hl.exe", "1.2.3.4", "is not a Half-Life program"},
             std::tuple{"C:\\Games\\xhl.exe", "1.2.3.4", "is not a Half-Life program"},
             std::tuple{"C:\\hl.exe\\setup.exe", "1.2.3.4", "is not a Half-Life program"},
             std::tuple{"C:\\hl.exe", "1.2.3.4 & format c:",
                        "The server address cannot go into a batch file: it holds the command "
                        "separator &."},
             std::tuple{"C:\\Tom & Jerry\\hl.exe", "1.2.3.4", "The Half-Life folder cannot"},
         }) {
        const auto refused = writeLaunchBatch(path, address, drives);
        ASSERT_FALSE(refused) << path << " " << address;
        EXPECT_NE(refused.error().find(says), std::string::npos) << refused.error();
    }
    EXPECT_EQ(fileBytes(batch), kept);
    fs::remove(dir / "data" / "dosdevices" / "c:");
    fs::create_directory_symlink(dir / "not-mounted", dir / "data" / "dosdevices" / "c:");
    const auto unmounted = writeLaunchBatch("C:\\hl.exe", "1.2.3.4", drives);
    EXPECT_NE(unmounted.error().find("Cannot write \"c:\\tx106hl.bat\""), std::string::npos);
}

}  // namespace
}  // namespace tunexa::launcher
