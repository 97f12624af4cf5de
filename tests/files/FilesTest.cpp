// Drive mapping and the text files written through the drives.

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <iterator>

#include "TempRoot.h"
#include "platform/files/BatchText.h"
#include "platform/files/Drives.h"
#include "platform/files/TextFiles.h"

namespace tunexa::files::test {
namespace {

namespace fs = std::filesystem;

using namespace tunexa::test;  // files and the temporary folder

// Drive C is made before each test.
class DriveTest : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(drives.ensureDriveC()); }
    // The entries of drive C, so a test sees that no temporary file stayed behind.
    long entriesOnC() const {
        return std::distance(fs::directory_iterator(driveC), fs::directory_iterator());
    }

    tunexa::test::TempDir dir;
    fs::path root = dir / "data";
    Drives drives{root};
    fs::path driveC = root / "drive_c";
    fs::path c = root / "dosdevices" / "c:";
};

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

using TextFilesTest = DriveTest;

// Lines end with CR LF, bytes stay as given (Windows-1252); the old file is replaced whole,
// keeping its name, its permissions and a link standing in its place.
TEST_F(TextFilesTest, WritesReplaceTheWholeFile) {
    putFile(driveC / "TUNEXA.BAT", "a much longer old content\r\nsecond line\r\n");
    fs::permissions(driveC / "TUNEXA.BAT", fs::perms(0640));
    ASSERT_TRUE(writeTextFile("c:\\tunexa.bat", {"REM -- Tunexa --", "REM caf\xE9"}, drives));
    EXPECT_EQ(fileBytes(driveC / "TUNEXA.BAT"), "REM -- Tunexa --\r\nREM caf\xE9\r\n");
    EXPECT_EQ(fs::status(driveC / "TUNEXA.BAT").permissions(), fs::perms(0640));
    EXPECT_EQ(entriesOnC(), 1);
    putFile(dir / "real.bat", "old\r\n");
    fs::create_symlink(dir / "real.bat", driveC / "link.bat");
    ASSERT_TRUE(writeTextFile("C:\\LINK.BAT", {"new"}, drives));
    EXPECT_TRUE(fs::is_symlink(driveC / "link.bat"));
    EXPECT_EQ(fileBytes(dir / "real.bat"), "new\r\n");
}

// A file-size limit makes the write fail halfway.
TEST_F(TextFilesTest, AFailedWriteLeavesTheOldFileWhole) {
    putFile(driveC / "tunexa.bat", "old\r\n");
    const auto written = [&] {
        const FileSizeLimit full(100);
        return writeTextFile("c:\\tunexa.bat", {std::string(4096, 'x')}, drives);
    }();
    ASSERT_FALSE(written);
    EXPECT_NE(written.error().find("tunexa.bat"), std::string::npos) << written.error();
    EXPECT_EQ(fileBytes(driveC / "tunexa.bat"), "old\r\n");
    EXPECT_EQ(entriesOnC(), 1);
}

// A file no one may write is refused, not made writable.
TEST_F(TextFilesTest, NothingIsWrittenWhereNoFileCanGo) {
    putFile(driveC / "blocker", "not a folder");
    fs::create_directories(driveC / "folder.bat");
    putFile(driveC / "RO.BAT", "keep\r\n");
    fs::permissions(driveC / "RO.BAT", fs::perms::owner_read | fs::perms::group_read);
    for (const auto& [path, says] : {std::pair{"c:\\blocker\\tunexa.bat", "Not a directory"},
                                     std::pair{"d:\\tunexa.bat", "Drive D: is not mapped"},
                                     std::pair{"c:\\nowhere\\x.bat", "No such file or directory"},
                                     std::pair{"c:\\folder.bat", "is not a regular file"},
                                     std::pair{"c:\\ro.bat", "is read-only"}}) {
        const auto written = writeTextFile(path, {"x"}, drives);
        EXPECT_NE(written.error().find(says), std::string::npos) << path << ": " << written.error();
    }
    EXPECT_NE(appendTextLine("D:\\autoexec.bat", "x", drives).error().find("Cannot append to"),
              std::string::npos);
    EXPECT_NE(appendTextLine("c:\\ro.bat", "x", drives).error().find("is read-only"),
              std::string::npos);
    EXPECT_EQ(fileBytes(driveC / "blocker") + fileBytes(driveC / "RO.BAT"), "not a folderkeep\r\n");
    EXPECT_EQ(entriesOnC(), 3);
}

// An append keeps every byte and starts on a line of its own (CR LF; LF alone after a CR).
TEST_F(TextFilesTest, AppendKeepsEveryByteAndStartsOnANewLine) {
    for (const auto& [before, after] :
         {std::pair{"", "L\r\n"}, std::pair{"A\r\n", "A\r\nL\r\n"}, std::pair{"A", "A\r\nL\r\n"},
          std::pair{"A\n", "A\nL\r\n"}, std::pair{"A\r", "A\r\nL\r\n"}}) {
        putFile(driveC / "AUTOEXEC.BAT", before);
        ASSERT_TRUE(appendTextLine("C:\\autoexec.bat", "L", drives));
        EXPECT_EQ(fileBytes(driveC / "AUTOEXEC.BAT"), after);
    }
    EXPECT_EQ(entriesOnC(), 1);
    ASSERT_TRUE(appendTextLine("C:\\new.bat", "x", drives));
    EXPECT_EQ(fileBytes(driveC / "new.bat"), "x\r\n");
}

TEST(BatchText, RefusesWhatWouldBreakABatchLineAndSaysWhat) {
    for (const char c : std::string("\r\n\x1a&|<>^%\"\t\x7f\x01", 13) + '\0') {
        EXPECT_EQ(unsafeBatchCharacter(std::string("1.2.3.4") + c + "x"), c) << int(c);
    }
    EXPECT_EQ(describeBatchCharacter('\r'), "a line break (carriage return)");
    EXPECT_EQ(describeBatchCharacter('\x1a'), "an end-of-file mark (Ctrl-Z)");
    EXPECT_EQ(describeBatchCharacter('\t'), "the control character 0x09");
    EXPECT_EQ(describeBatchCharacter('\x7f'), "the control character 0x7F");
    EXPECT_EQ(batchTextProblem("The server address", "1.2.3.4&x|y"),
              "The server address cannot go into a batch file: it holds the command separator &.");
    for (const char* safe : {"", "game.example.net:27015", "Sierra On-Line (old)\\Half Life!\\",
                             "Caf\xE9 \xC0 la carte"}) {
        EXPECT_EQ(batchTextProblem("The text", safe), std::nullopt) << safe;
    }
}

}  // namespace
}  // namespace tunexa::files::test
