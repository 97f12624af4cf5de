#include "platform/files/TextFiles.h"

#include <sys/resource.h>

#include <csignal>

#include "FilesTestSupport.h"
#include "platform/files/BatchText.h"

namespace tunexa::files::test {
namespace {

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

// A file-size limit makes the write fail halfway (tests run as root: permissions would not).
TEST_F(TextFilesTest, AFailedWriteLeavesTheOldFileWhole) {
    putFile(driveC / "tunexa.bat", "old\r\n");
    rlimit saved{};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
    const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = saved;
    small.rlim_cur = 100;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    const auto written = writeTextFile("c:\\tunexa.bat", {std::string(4096, 'x')}, drives);
    ::setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, previousHandler);
    ASSERT_FALSE(written);
    EXPECT_NE(written.error().find("tunexa.bat"), std::string::npos) << written.error();
    EXPECT_EQ(fileBytes(driveC / "tunexa.bat"), "old\r\n");
    EXPECT_EQ(entriesOnC(), 1);
}

TEST_F(TextFilesTest, NothingIsWrittenWhereNoFileCanGo) {
    putFile(driveC / "blocker", "not a folder");
    fs::create_directories(driveC / "folder.bat");
    for (const auto& [path, says] : {std::pair{"c:\\blocker\\tunexa.bat", "Not a directory"},
                                     std::pair{"d:\\tunexa.bat", "Drive D: is not mapped"},
                                     std::pair{"c:\\nowhere\\x.bat", "No such file or directory"},
                                     std::pair{"c:\\folder.bat", "is not a regular file"}}) {
        const auto written = writeTextFile(path, {"x"}, drives);
        EXPECT_NE(written.error().find(says), std::string::npos) << path << ": " << written.error();
    }
    EXPECT_EQ(fileBytes(driveC / "blocker"), "not a folder");
    EXPECT_EQ(entriesOnC(), 2);
    EXPECT_NE(appendTextLine("D:\\autoexec.bat", "x", drives).error().find("Cannot append to"),
              std::string::npos);
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
