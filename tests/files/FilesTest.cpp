// Drive mapping and the text files written through the drives; then drive C: as an emulator's
// disk image: the layouts found, the batch files written inside it, the formats and situations
// refused, and undo of a file in an image.

#include <fcntl.h>
#include <gmock/gmock.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <iterator>

#include "FatImage.h"
#include "TempRoot.h"
#include "platform/files/BatchText.h"
#include "platform/files/DriveC.h"
#include "platform/files/Drives.h"
#include "platform/files/FileLocation.h"
#include "platform/files/HostFiles.h"
#include "platform/files/ImageLayout.h"
#include "platform/files/ImageUsers.h"
#include "platform/files/TextFiles.h"
#include "store/Registry.h"
#include "store/Undo.h"

namespace tunexa::files::test {
namespace {

namespace fs = std::filesystem;

using namespace tunexa::test;  // files and the temporary folder
using testing::HasSubstr;

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
    EXPECT_THAT(drives.toHost("D:\\x").error(), HasSubstr("not available"));
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
             std::pair{"C:tunexa.bat", "must start with a drive letter"},
             std::pair{"C:\\a|b", "holds the character |"},
             std::pair{"C:\\line\nbreak", "holds a control character"},
             std::pair{"D:\\Games\\hl.exe", "Drive D: is not mapped"},
         }) {
        const auto host = drives.toHost(path);
        ASSERT_FALSE(host) << path;
        EXPECT_THAT(host.error(), HasSubstr(says)) << path;
    }
}

// Lines end with CR LF, bytes stay as given (Windows-1252); the old file is replaced whole,
// keeping its name, its permissions and a link standing in its place.
TEST_F(DriveTest, WritesReplaceTheWholeFile) {
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
TEST_F(DriveTest, AFailedWriteLeavesTheOldFileWhole) {
    putFile(driveC / "tunexa.bat", "old\r\n");
    const auto written = [&] {
        const FileSizeLimit full(100);
        return writeTextFile("c:\\tunexa.bat", {std::string(4096, 'x')}, drives);
    }();
    ASSERT_FALSE(written);
    EXPECT_THAT(written.error(), HasSubstr("tunexa.bat"));
    EXPECT_EQ(fileBytes(driveC / "tunexa.bat"), "old\r\n");
    EXPECT_EQ(entriesOnC(), 1);
}

// A file no one may write is refused, not made writable.
TEST_F(DriveTest, NothingIsWrittenWhereNoFileCanGo) {
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
        EXPECT_THAT(written.error(), HasSubstr(says)) << path;
    }
    EXPECT_THAT(appendTextLine("D:\\autoexec.bat", "x", drives).error(),
                HasSubstr("Cannot append"));
    EXPECT_THAT(appendTextLine("c:\\ro.bat", "x", drives).error(), HasSubstr("is read-only"));
    EXPECT_EQ(fileBytes(driveC / "blocker") + fileBytes(driveC / "RO.BAT"), "not a folderkeep\r\n");
    EXPECT_EQ(entriesOnC(), 3);
}

// An append keeps every byte and starts on a line of its own (CR LF; LF alone after a CR), before
// an end-of-file mark, which stays last.
TEST_F(DriveTest, AppendKeepsEveryByteAndStartsOnANewLine) {
    for (const auto& [before, after] :
         {std::pair{"", "L\r\n"}, std::pair{"A\r\n", "A\r\nL\r\n"}, std::pair{"A", "A\r\nL\r\n"},
          std::pair{"A\n", "A\nL\r\n"}, std::pair{"A\r", "A\r\nL\r\n"},
          std::pair{"A\x1A", "A\r\nL\r\n\x1A"}}) {
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

const FatImageShape kFat16{"FAT16 partition", 16, FatLayout::Partitioned, 1048576};

class ImageTest : public ::testing::Test {
  protected:
    // Makes the image and makes it drive C:.
    void useImage(const FatImageShape& shape, std::uint64_t kib = 40 * 1024) {
        offset = shape.offset;
        makeFatImage(image, shape, kib);
        ASSERT_TRUE(useAsDriveC(image, drives));
    }
    std::string mtools(const std::string& command) {
        const auto space = command.find(' ');
        return shell(command.substr(0, space) + " " + mtoolsImage(image, offset) +
                     command.substr(space));
    }
    void put(const std::string& name, const std::string& bytes, const std::string& attributes) {
        shell("printf %s " + quote(bytes) + " | mcopy " + mtoolsImage(image, offset) + " - " +
              quote("::/" + name));
        if (!attributes.empty()) {
            mtools("mattrib " + attributes + " " + quote("::/" + name));
        }
    }
    std::string bytesOf(const std::string& name) { return mtools("mtype " + quote("::/" + name)); }
    std::string attributesOf(const std::string& name) {
        return mtools("mattrib " + quote("::/" + name)).substr(0, 8);
    }
    // The root's entries in alphabetical order.
    std::string root() { return shell("mdir -a -b " + mtoolsImage(image, offset) + " ::/ | sort"); }

    TempDir dir;
    Drives drives{dir / "data"};
    fs::path image = dir / "win98.img";
    std::uint64_t offset = 0;
};

// Every layout: the volume found where it lies; a batch file created with an upper-case 8.3
// name and rewritten whole (CR LF, bytes exact); AUTOEXEC.BAT found in any letter case, its
// bytes kept and its hidden and system attributes too; a read-only file refused as it was; no
// temporary file left behind.
TEST_F(ImageTest, BatchFilesAreWrittenExactlyInEveryLayout) {
    for (const auto& [shape, described] : {
             std::pair{kFat16, "FAT16 partition 1 (type 0x06) at byte 1048576 of a raw disk"},
             std::pair{FatImageShape{"FAT32 partition", 32, FatLayout::Partitioned, 32256},
                       "FAT32 partition 1 (type 0x0C) at byte 32256 of a raw disk"},
             std::pair{FatImageShape{"bare FAT16", 16, FatLayout::Bare, 0},
                       "FAT16 volume without a partition table of a raw disk image"},
             std::pair{FatImageShape{"fixed VHD", 16, FatLayout::FixedVhd, 1048576},
                       "at byte 1048576 of a fixed-size VHD"},
             std::pair{FatImageShape{"logical drive", 16, FatLayout::Logical, 1080832},
                       "FAT16 logical drive 5 (type 0x0E) at byte 1080832"},
         }) {
        SCOPED_TRACE(shape.name);
        fs::remove(image);
        useImage(shape);
        EXPECT_THAT(describeDriveC(drives), HasSubstr(described));
        put("autoexec.bat", "@ECHO OFF\r\nPATH C:\\WINDOWS", "+h +s");
        put("RO.BAT", "keep", "+r");

        ASSERT_TRUE(writeTextFile("c:\\tunexa.bat", {"REM one", "SET SST_GRXCLK=50"}, drives));
        ASSERT_TRUE(writeTextFile("C:\\TUNEXA.bat", {"REM two"}, drives));
        ASSERT_TRUE(appendTextLine("C:\\AutoExec.Bat", "c:\\tunexa.bat", drives));
        // A new name beyond ASCII, which the volume's code page may not hold, is refused.
        const Status accented = writeTextFile("c:\\\x9a\xe9\xff.bat", {"x"}, drives);
        const Status readOnly = writeTextFile("C:\\ro.bat", {"x"}, drives);

        EXPECT_EQ(bytesOf("TUNEXA.BAT"), "REM two\r\n");
        EXPECT_EQ(bytesOf("AUTOEXEC.BAT"), "@ECHO OFF\r\nPATH C:\\WINDOWS\r\nc:\\tunexa.bat\r\n");
        EXPECT_EQ(attributesOf("AUTOEXEC.BAT"), "  A  SH ");
        EXPECT_THAT(readOnly.error(), HasSubstr("read-only"));
        EXPECT_EQ(bytesOf("RO.BAT"), "keep");
        EXPECT_THAT(accented.error(), HasSubstr("plain ASCII"));
        EXPECT_EQ(root(), "::/AUTOEXEC.BAT\n::/RO.BAT\n::/TUNEXA.BAT\n");
    }
}

// A dynamic VHD, other emulators' formats and a file that is no disk image: the format named
// with the conversion to a raw image, drive C: left as it was, nothing written.
TEST_F(ImageTest, OtherFormatsAreRefusedNamingTheConversion) {
    const auto footer = [](char type) {
        std::string bytes(512, '\0');
        return bytes.replace(0, 8, "conectix").replace(63, 1, 1, type);
    };
    const std::string noImage(65536, 'x');
    ASSERT_TRUE(useAsDriveC(dir.path(), drives));
    const std::string folder = "the folder " + fs::canonical(dir.path()).string();
    for (const auto& [bytes, says] : {
             std::pair{footer(3) + std::string(4096, '\0') + footer(3), "a dynamic VHD"},
             std::pair{std::string("QFI\xfb\0\0\0\x03", 8) + std::string(4096, '\0'), "a qcow2"},
             std::pair{std::string("<<< Oracle VM VirtualBox Disk Image >>>\n") +
                           std::string(24, '\0') + "\x7f\x10\xda\xbe" + std::string(4096, '\0'),
                       "VirtualBox VDI"},
             std::pair{std::string("KDMV") + std::string(4096, '\0'), "a VMDK"},
             std::pair{noImage, "is not a FAT disk image"},
         }) {
        putFile(image, bytes);
        const auto layout = readImageLayout(image);
        const Status used = useAsDriveC(image, drives);
        EXPECT_THAT(layout.error(), HasSubstr(says));
        EXPECT_THAT(layout.error(), HasSubstr("qemu-img convert -O raw \"" + image.string() +
                                              "\" \"" + (dir / "win98.raw.img").string() + "\""));
        EXPECT_EQ(used.error(), "Drive C: was not changed: " + layout.error());
        EXPECT_EQ(describeDriveC(drives), folder);
    }
    fs::create_symlink(image, dir / "data" / "dosdevices" / "d:");
    const Status written = writeTextFile("D:\\tunexa.bat", {"x"}, drives);
    EXPECT_THAT(written.error(), HasSubstr("Drive D: is a disk image that cannot be used"));
    EXPECT_EQ(fileBytes(image), noImage);
}

// An emulator running from the image (a process with it open, or only a lock showing): nothing
// is written, and the program is named.
TEST_F(ImageTest, AnImageAnotherProgramHoldsIsNotWritten) {
    useImage(kFat16, 8 * 1024);
    put("TUNEXA.BAT", "old", "");
    const std::string before = fileBytes(image);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, image.c_str(), O_RDONLY, 0);
    char sleep[] = "sleep";
    char seconds[] = "30";
    char* argv[] = {sleep, seconds, nullptr};
    pid_t emulator = 0;
    ASSERT_EQ(posix_spawnp(&emulator, "sleep", &actions, nullptr, argv, environ), 0);
    posix_spawn_file_actions_destroy(&actions);
    const std::string holder = imageHolder(image).value_or("");
    const Status written = writeTextFile("C:\\TUNEXA.BAT", {"new"}, drives);
    ::kill(emulator, SIGKILL);
    ::waitpid(emulator, nullptr, 0);
    EXPECT_EQ(holder, "sleep (process " + std::to_string(emulator) + ")");
    EXPECT_THAT(written.error(), HasSubstr("the disk image is open in sleep (process "));

    // QEMU's way: a lock on a byte of the image, through an open file description of its own.
    const int qemu = ::open(image.c_str(), O_RDWR);
    struct flock lock {};
    lock.l_type = F_RDLCK;
    lock.l_start = 100;
    lock.l_len = 1;
    ASSERT_EQ(::fcntl(qemu, F_OFD_SETLK, &lock), 0);
    EXPECT_EQ(imageHolder(image), "a program that holds a lock on it");
    EXPECT_FALSE(appendTextLine("C:\\TUNEXA.BAT", "x", drives));
    ::close(qemu);
    EXPECT_EQ(fileBytes(image), before);
    EXPECT_TRUE(writeTextFile("C:\\TUNEXA.BAT", {"new"}, drives));
}

// A volume too full for the new content: told, the old file whole, no temporary file left.
TEST_F(ImageTest, AFullImageIsToldAndTheOldFileKept) {
    useImage({"small FAT12", 12, FatLayout::Bare, 0}, 400);
    put("TUNEXA.BAT", "old\r\n", "+h");
    shell("head -c 380000 /dev/zero | mcopy " + mtoolsImage(image, 0) + " - ::/FILLER.BIN");
    const Status written = writeTextFile("C:\\TUNEXA.BAT", {std::string(30000, 'x')}, drives);
    EXPECT_THAT(written.error(),
                HasSubstr("the disk image's FAT volume is full. The file is as it was."));
    EXPECT_EQ(bytesOf("TUNEXA.BAT"), "old\r\n");
    EXPECT_EQ(root(), "::/FILLER.BIN\n::/TUNEXA.BAT\n");
}

// Files in an image are recorded by a location of their own and undone byte for byte: a
// rewritten file gets its old bytes (and keeps its attributes), a created one goes again.
TEST_F(ImageTest, UndoPutsFilesInAnImageBackByteForByte) {
    useImage(kFat16, 8 * 1024);
    put("TUNEXA.BAT", "old\r\n\x1a", "+h");
    store::useHiveFile(dir / "registry.db");
    {
        store::Change change(store::currentHive(), "Send", &hostFiles());
        const auto rewritten = writeTextFileForChange("c:\\tunexa.bat", {"new"}, drives);
        ASSERT_TRUE(rewritten) << rewritten.error();
        auto made = drives.open("C:\\Tunexa\\");
        ASSERT_TRUE(made && made->drive->makeFolder(made->names));
        const auto created = replaceFileForChange("c:\\tunexa\\send.reg", "REGEDIT4\r\n", drives);
        ASSERT_TRUE(created) << created.error();
        EXPECT_EQ(rewritten->key,
                  "fat-image:" + fs::canonical(image).string() + "@@1048576" + "::/TUNEXA.BAT");
        EXPECT_EQ(*drives.location("C:\\Tunexa.bat"), rewritten->key);
        EXPECT_EQ(created->key.substr(created->key.size() - 18), "::/TUNEXA/SEND.REG");
        change.addFile(*rewritten);
        change.addFile(*created);
        ASSERT_TRUE(change.commit());
    }
    EXPECT_EQ(bytesOf("TUNEXA.BAT"), "new\r\n");
    EXPECT_EQ(bytesOf("TUNEXA/SEND.REG"), "REGEDIT4\r\n");
    ASSERT_TRUE(store::applyUndo(store::currentHive(), &hostFiles(),
                                 store::planUndoLast(store::currentHive(), &hostFiles())));
    store::useHive(nullptr);
    EXPECT_EQ(bytesOf("TUNEXA.BAT"), "old\r\n\x1a");
    EXPECT_EQ(attributesOf("TUNEXA.BAT"), "  A   H ");
    EXPECT_EQ(mtools("mdir -a -b ::/TUNEXA/"), "");

    const ImageLocation odd{"/a::b/c@@d/x.img", 512, {"A", "Caf\xE9.TXT"}};
    const auto parsed = parseImageLocation(imageLocation(odd));
    ASSERT_TRUE(parsed);
    EXPECT_EQ(std::tie(parsed->image, parsed->offset, parsed->names),
              std::tie(odd.image, odd.offset, odd.names));
    EXPECT_EQ(parseImageLocation("/home/me/data/dosdevices/c:/TUNEXA.BAT"), std::nullopt);
}

}  // namespace
}  // namespace tunexa::files::test
