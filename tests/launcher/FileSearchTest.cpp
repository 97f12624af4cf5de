#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "TempRoot.h"
#include "launcher/core/FileMethods.h"

namespace tunexa::launcher {
namespace {

namespace fs = std::filesystem;
using Found = std::vector<std::string>;

class FileSearchTest : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(drives.ensureDriveC()); }

    void file(const fs::path& relative) {
        fs::create_directories((driveC / relative).parent_path());
        std::ofstream(driveC / relative) << "x";
    }

    Found search(std::string_view folder, std::string_view name = "hl.exe") {
        Found found;
        SearchFileTree(folder, name, found, {}, drives);
        return found;
    }

    tunexa::test::TempDir dir;
    fs::path root = dir / "data";
    files::Drives drives{root};
    fs::path driveC = root / "drive_c";
};

TEST_F(FileSearchTest, FolderMatchesComeBeforeSubfolderMatches) {
    file("A/B/hl.exe");
    file("A/hl.exe");
    file("hl.exe");
    file("A/B/readme.txt");
    EXPECT_EQ(search("C:\\"), (Found{"C:\\hl.exe", "C:\\A\\hl.exe", "C:\\A\\B\\hl.exe"}));
}

TEST_F(FileSearchTest, SubfoldersInCaseInsensitiveOrderDepthFirst) {
    file("b/hl.exe");
    file("A/Z/hl.exe");
    file("a2/hl.exe");
    file("C/hl.exe");
    file("A/y/hl.exe");
    EXPECT_EQ(search("C:\\"), (Found{"C:\\A\\y\\hl.exe", "C:\\A\\Z\\hl.exe", "C:\\a2\\hl.exe",
                                     "C:\\b\\hl.exe", "C:\\C\\hl.exe"}));
}

TEST_F(FileSearchTest, NamesMatchWithoutRegardToCaseAndKeepTheirSpelling) {
    file("Games/HL.EXE");
    file("Games/Hl.Exe.bak");
    file("Other/xhl.exe");
    EXPECT_EQ(search("C:\\"), (Found{"C:\\Games\\HL.EXE"}));
}

TEST_F(FileSearchTest, AFolderNamedLikeTheFileMatchesToo) {
    fs::create_directories(driveC / "hl.exe" / "inner");
    file("hl.exe/inner/hl.exe");
    EXPECT_EQ(search("C:\\"), (Found{"C:\\hl.exe", "C:\\hl.exe\\inner\\hl.exe"}));
}

TEST_F(FileSearchTest, FolderTextIsKeptAsGiven) {
    file("Sierra/Half-Life/hl.exe");
    EXPECT_EQ(search("c:"), Found{});  // "c:" is not a folder: "c:\" is
    EXPECT_EQ(search("c:\\"), (Found{"c:\\Sierra\\Half-Life\\hl.exe"}));
    EXPECT_EQ(search("c:\\SIERRA"), (Found{"c:\\SIERRA\\Half-Life\\hl.exe"}));
}

TEST_F(FileSearchTest, DoubledColonOrUnmappedDriveFindsNothing) {
    file("hl.exe");
    Found found;
    const auto doubled = SearchFileTree("C::\\", "hl.exe", found, {}, drives);
    EXPECT_TRUE(found.empty());
    EXPECT_FALSE(doubled.error.empty());
    const auto unmapped = SearchFileTree("Q:\\", "hl.exe", found, {}, drives);
    EXPECT_TRUE(found.empty());
    EXPECT_NE(unmapped.error.find("Q:"), std::string::npos);
}

TEST_F(FileSearchTest, ALinkLoopEnds) {
    file("A/hl.exe");
    fs::create_directory_symlink(driveC, driveC / "A" / "loop");
    fs::create_directory_symlink("..", driveC / "A" / "up");
    fs::create_directory_symlink(driveC / "missing", driveC / "A" / "dangling");
    EXPECT_EQ(search("C:\\"), (Found{"C:\\A\\hl.exe"}));
}

TEST_F(FileSearchTest, LinksToOtherFoldersAreFollowedOnce) {
    file("Real/hl.exe");
    fs::create_directories(dir / "outside");
    std::ofstream(dir / "outside" / "HL.exe") << "x";
    fs::create_directory_symlink(dir / "outside", driveC / "Games");
    fs::create_directory_symlink(driveC / "Real", driveC / "Alias");
    // "Alias" comes first and stands for "Real", which is then not searched again.
    EXPECT_EQ(search("C:\\"), (Found{"C:\\Alias\\hl.exe", "C:\\Games\\HL.exe"}));
}

TEST_F(FileSearchTest, NamesWindowsCannotHoldArePassedOver) {
    file("\xE4\xB8\xAD/hl.exe");  // a CJK folder name: no Windows-1252 form
    file("Caf\xC3\xA9/hl.exe");
    EXPECT_EQ(search("C:\\"), (Found{"C:\\Caf\xE9\\hl.exe"}));
}

TEST_F(FileSearchTest, ProgressCountsFoldersAndCancelKeepsWhatWasFound) {
    file("A/hl.exe");
    file("B/hl.exe");
    file("C/hl.exe");
    Found all;
    std::vector<std::size_t> counts;
    const auto full = SearchFileTree(
        "C:\\", "hl.exe", all,
        [&](std::size_t searched) {
            counts.push_back(searched);
            return true;
        },
        drives);
    EXPECT_EQ(full.foldersSearched, 4u);
    EXPECT_FALSE(full.cancelled);
    EXPECT_EQ(counts, (std::vector<std::size_t>{1, 2, 3, 4}));

    Found partial;
    const auto stopped = SearchFileTree(
        "C:\\", "hl.exe", partial, [](std::size_t searched) { return searched < 3; }, drives);
    EXPECT_TRUE(stopped.cancelled);
    EXPECT_EQ(stopped.foldersSearched, 3u);
    EXPECT_EQ(partial, (Found{"C:\\A\\hl.exe", "C:\\B\\hl.exe"}));
}

TEST_F(FileSearchTest, ResultsAreAppendedToTheList) {
    file("hl.exe");
    Found found{"earlier"};
    SearchFileTree("C:\\", "hl.exe", found, {}, drives);
    EXPECT_EQ(found, (Found{"earlier", "C:\\hl.exe"}));
}

}  // namespace
}  // namespace tunexa::launcher
