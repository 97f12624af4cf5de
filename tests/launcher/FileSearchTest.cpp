#include "launcher/core/FileMethods.h"

#include <gtest/gtest.h>

#include <fstream>

#include "TempRoot.h"

namespace tunexa::launcher {
namespace {

namespace fs = std::filesystem;
using Found = std::vector<std::string>;

class FileSearchTest : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(drives.ensureDriveC()); }
    void files(std::initializer_list<const char*> names) {
        for (const char* name : names) {
            fs::create_directories((driveC / name).parent_path());
            std::ofstream(driveC / name) << "x";
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
// folder is kept as given.
TEST_F(FileSearchTest, FindsEveryCopyFolderBeforeSubfolders) {
    files({"b/hl.exe", "A/Z/HL.EXE", "a2/hl.exe", "A/y/hl.exe", "A/hl.exe", "hl.exe.d/hl.exe",
           "A/Hl.Exe.bak", "A/xhl.exe", "hl.exe/inner/x"});
    EXPECT_EQ(search("C:\\"),
              (Found{"C:\\hl.exe", "C:\\A\\hl.exe", "C:\\A\\y\\hl.exe", "C:\\A\\Z\\HL.EXE",
                     "C:\\a2\\hl.exe", "C:\\b\\hl.exe", "C:\\hl.exe.d\\hl.exe"}));
    EXPECT_EQ(search("c:\\a"), (Found{"c:\\a\\hl.exe", "c:\\a\\y\\hl.exe", "c:\\a\\Z\\HL.EXE"}));
    for (const char* folder : {"c:", "C::\\", "Q:\\"}) {
        EXPECT_EQ(search(folder), Found{}) << folder;
        EXPECT_NE(outcome.error, "") << folder;
    }
}

// Each folder is searched once, so a link loop ends; a name Windows cannot hold is passed over.
TEST_F(FileSearchTest, LinksAreFollowedOnceAndForeignNamesPassedOver) {
    files({"Real/hl.exe", "\xE4\xB8\xAD/hl.exe", "Caf\xC3\xA9/hl.exe"});
    fs::create_directory_symlink(driveC / "Real", driveC / "Alias");
    fs::create_directory_symlink(driveC, driveC / "Real" / "loop");
    fs::create_directory_symlink(driveC / "missing", driveC / "Real" / "dangling");
    EXPECT_EQ(search("C:\\"), (Found{"C:\\Alias\\hl.exe", "C:\\Caf\xE9\\hl.exe"}));
}

}  // namespace
}  // namespace tunexa::launcher
