// Drive C: as an emulator's disk image: the layouts found, the batch files written inside it, the
// formats and situations refused, and undo of a file in an image.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include "FatImage.h"
#include "TempRoot.h"
#include "platform/files/DriveC.h"
#include "platform/files/FileLocation.h"
#include "platform/files/HostFiles.h"
#include "platform/files/ImageUsers.h"
#include "platform/files/TextFiles.h"
#include "store/Registry.h"
#include "store/Undo.h"

namespace tunexa::files::test {
namespace {

namespace fs = std::filesystem;
using namespace tunexa::test;
using tunexa::test::FatLayout;

const FatImageSpec kFat16{"FAT16 partition", 16, FatLayout::Partitioned, 1048576};

class ImageTest : public ::testing::Test {
  protected:
    // Makes the image and makes it drive C:.
    void useImage(const FatImageSpec& spec, std::uint64_t kib = 40 * 1024) {
        offset = spec.offset;
        makeFatImage(image, spec, kib);
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
    for (const auto& [spec, described] : {
             std::pair{kFat16, "FAT16 partition 1 (type 0x06) at byte 1048576 of a raw disk"},
             std::pair{FatImageSpec{"FAT32 partition", 32, FatLayout::Partitioned, 32256},
                       "FAT32 partition 1 (type 0x0C) at byte 32256 of a raw disk"},
             std::pair{FatImageSpec{"bare FAT16", 16, FatLayout::Bare, 0},
                       "FAT16 volume without a partition table of a raw disk image"},
             std::pair{FatImageSpec{"bare FAT32", 32, FatLayout::Bare, 0}, "FAT32 volume"},
             std::pair{FatImageSpec{"fixed VHD", 16, FatLayout::FixedVhd, 1048576},
                       "at byte 1048576 of a fixed-size VHD"},
             std::pair{FatImageSpec{"logical drive", 16, FatLayout::Logical, 1080832},
                       "FAT16 logical drive 5 (type 0x0E) at byte 1080832"},
         }) {
        SCOPED_TRACE(spec.name);
        fs::remove(image);
        useImage(spec);
        EXPECT_NE(describeDriveC(drives).describe().find(described), std::string::npos)
            << describeDriveC(drives).describe();
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
        EXPECT_NE(readOnly.error().find("read-only"), std::string::npos) << readOnly.error();
        EXPECT_EQ(bytesOf("RO.BAT"), "keep");
        EXPECT_NE(accented.error().find("plain ASCII"), std::string::npos) << accented.error();
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
    std::string random(65536, '\0');
    for (std::size_t i = 0; i < random.size(); ++i) {
        random[i] = static_cast<char>((i * 7919 + i / 13) & 0xFF);
    }
    ASSERT_TRUE(useAsDriveC(dir.path(), drives));
    const std::string folder = "the folder " + fs::canonical(dir.path()).string();
    for (const auto& [bytes, says] : {
             std::pair{footer(3) + std::string(4096, '\0') + footer(3), "a dynamic VHD"},
             std::pair{std::string(4096, '\0') + footer(4), "a differencing VHD"},
             std::pair{std::string("QFI\xfb\0\0\0\x03", 8) + std::string(4096, '\0'), "a qcow2"},
             std::pair{std::string("<<< Oracle VM VirtualBox Disk Image >>>\n") +
                           std::string(24, '\0') + "\x7f\x10\xda\xbe" + std::string(4096, '\0'),
                       "VirtualBox VDI"},
             std::pair{std::string("KDMV") + std::string(4096, '\0'), "a VMDK"},
             std::pair{random, "is not a FAT disk image"},
         }) {
        putFile(image, bytes);
        const auto layout = readImageLayout(image);
        const Status used = useAsDriveC(image, drives);
        EXPECT_NE(layout.error().find(says), std::string::npos) << layout.error();
        EXPECT_NE(layout.error().find("qemu-img convert -O raw \"" + image.string() + "\" \"" +
                                      (dir / "win98.raw.img").string() + "\""),
                  std::string::npos)
            << layout.error();
        EXPECT_EQ(used.error(), "Drive C: was not changed: " + layout.error());
        EXPECT_EQ(describeDriveC(drives).describe(), folder);
    }
    fs::create_symlink(image, dir / "data" / "dosdevices" / "d:");
    const Status written = writeTextFile("D:\\tunexa.bat", {"x"}, drives);
    EXPECT_NE(written.error().find("Drive D: is a disk image that cannot be used"),
              std::string::npos);
    EXPECT_EQ(fileBytes(image), random);
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
    EXPECT_NE(written.error().find("the disk image is open in sleep (process "), std::string::npos)
        << written.error();

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
    EXPECT_NE(written.error().find("the disk image's FAT volume is full. The file is as it was."),
              std::string::npos)
        << written.error();
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
