// The machine on drive C: (a folder or a disk image): its Windows folder, its registry file read
// through libcreg (damaged, names beyond the registry's limits or the code page), and its driver
// settings and cards read into the hive.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include "CregFile.h"
#include "FatImage.h"
#include "HiveTest.h"
#include "machine/MachineRegistry.h"
#include "platform/files/DriveC.h"
#include "regfile/Exporter.h"
#include "store/Registry.h"

namespace tunexa::machine::test {
namespace {

namespace fs = std::filesystem;
using namespace tunexa::test;
using store::HKEY_LOCAL_MACHINE;

const FatImageSpec kImage{"FAT16 partition", 16, FatLayout::Partitioned, 1048576};

class MachineTest : public HiveTest {
  protected:
    // Drive C: as its folder holds it, or a disk image made of that folder.
    void useDriveC(bool image) {
        if (image) {
            makeFatImageOf(image_, kImage, driveC_);
        }
        ASSERT_TRUE(files::useAsDriveC(image ? image_ : driveC_, drives_));
    }
    fs::path driveC_ = dir_ / "data" / "drive_c";
    fs::path image_ = dir_ / "win98.img";
    files::Drives drives_{dir_ / "data"};
};

// The folder MSDOS.SYS names under [Paths], else C:\WINDOWS, where it holds SYSTEM.DAT; on a
// folder and in a disk image alike.
TEST_F(MachineTest, WindowsIsFoundThroughMsdosSysOrTheDefaultFolderHoldingSystemDat) {
    const std::string msdosSys =
        "[Options]\r\nWinDir=C:\\WRONG\r\n[paths]\r\n  winDir = C:\\Win98\\ "
        "\r\nWinBootDir=C:\\X\r\n";
    // C:\MSDOS.SYS's text, files below drive C: in host spelling, and the Windows folder, its
    // SYSTEM.DAT and its USER.DAT found, '|' between them ("" for none).
    using Case = std::tuple<std::string, std::vector<std::string>, std::string>;
    const std::vector<Case> cases{
        {msdosSys,
         {"WIN98/system.dat", "WIN98/user.dat", "windows/SYSTEM.DAT", "wrong/SYSTEM.DAT"},
         "C:\\Win98|C:\\Win98\\system.dat|C:\\Win98\\user.dat"},
        // A folder MSDOS.SYS names without SYSTEM.DAT leaves the default folder.
        {msdosSys,
         {"Win98/USER.DAT", "WINDOWS/SYSTEM.DAT"},
         "C:\\WINDOWS|C:\\WINDOWS\\SYSTEM.DAT|"},
        {"", {"WINDOWS/USER.DAT", "WINDOWS/SYSTEM.DAT/x"}, ""}};
    for (const bool image : {false, true}) {
        for (const auto& [msdos, files, found] : cases) {
            SCOPED_TRACE(files[0] + (image ? " in an image" : ""));
            fs::remove_all(driveC_);
            putFile(driveC_ / "msdos.sys", msdos);
            for (const auto& file : files) {
                putFile(driveC_ / file, "CREG");
            }
            useDriveC(image);
            const auto windows = findWindowsInstallation(drives_);
            EXPECT_EQ(windows ? windows->windowsPath + "|" + windows->systemDatPath + "|" +
                                    windows->userDatPath.value_or("")
                              : "",
                      found);
        }
    }
}

// Nothing is read past damage: libcreg's own words first, or the loop it would follow forever.
TEST_F(MachineTest, ADamagedRegistryFileGivesNoOperationsOnlyTheReason) {
    std::string noDataBlock = buildCregFile(kSystemDat);
    noDataBlock[noDataBlock.find("RGDB")] = 'X';
    const std::string sound = buildCregFile(kSystemDat);
    for (const auto& [bytes, outcome, reason] :
         std::vector<std::tuple<std::string, W9xReadOutcome, std::string>>{
             // libcreg reads a file whose first data block is damaged as one without keys.
             {noDataBlock, W9xReadOutcome::NoRootKey, "the file holds no root key"},
             {withFirstSubkeyAt(sound, 0x100000), W9xReadOutcome::Damaged,
              "libfdata_area_get_element_value_at_offset: invalid element value offset value out "
              "of bounds."},
             {sound.substr(0, sound.size() - 40), W9xReadOutcome::Damaged,
              "libcreg_data_block_read_entries: unable to read data block data."},
             {withFirstSubkeyAt(sound, 32), W9xReadOutcome::Damaged,
              "the key tree is damaged: the key entry at offset 0x00000020 is reached twice"},
             {sound.substr(0, 10), W9xReadOutcome::CannotOpen, "libcreg_"}}) {
        // From a file, and from its bytes as read out of a disk image.
        for (const auto& read : {readW9xRegistry(putFile(dir_ / "SYSTEM.DAT", bytes), {}),
                                 readW9xRegistryBytes(bytes, {})}) {
            EXPECT_EQ(read.outcome, outcome) << reason;
            EXPECT_NE(read.failure.find(reason), std::string::npos) << read.failure;
            EXPECT_TRUE(read.operations.empty());
        }
    }
}

TEST_F(MachineTest, NamesComeFromTheCodePageWithinTheRegistrysLimits) {
    CregKey deep{"k", {}, {}};
    std::string path512 = "k";
    for (int i = 0; i < 512; ++i) {
        deep = CregKey{"k", {}, {deep}};
        path512 += i < 511 ? "\\k" : "";
    }
    const CregKey root{
        "$$$PROTO.HIV",
        {{std::string(16384, 'v'), 1, "1"}, {std::string(16383, 'v'), 1, "2"}, {"Fa\xE7", 1, "3"}},
        {{"Syst\xE8me", {}, {}}, deep, {std::string(256, 'n'), {}, {}}, {"a\\b", {}, {}}}};
    const auto read = readW9xRegistry(putFile(dir_ / "SYSTEM.DAT", buildCregFile(root)),
                                      {HKEY_LOCAL_MACHINE, {}, 1250});
    ASSERT_TRUE(regfile::applyOperations(hive(), read.operations).saved) << read.failure;
    // Windows-1250 has Windows-1252's ç at the same place, but not its è.
    EXPECT_EQ(hive().subkeys(HKEY_LOCAL_MACHINE, ""), (std::vector<std::string>{"k", "Syst?me"}));
    EXPECT_EQ(hive().values(HKEY_LOCAL_MACHINE, "").size(), 2u);
    EXPECT_TRUE(hive().getValue(HKEY_LOCAL_MACHINE, "", "Fa\xE7"));
    EXPECT_TRUE(hive().keyExists(HKEY_LOCAL_MACHINE, path512));
    EXPECT_FALSE(hive().keyExists(HKEY_LOCAL_MACHINE, path512 + "\\k"));
    std::string warnings;
    for (const auto& warning : read.warnings) {
        warnings += warning + "\n";
    }
    for (const auto* reason :
         {"a value name of 16384 characters", "Syst?me: the name has", "513 levels deep",
          "a key name of 256 characters", "a subkey named \"a\\b\""}) {
        EXPECT_NE(warnings.find(reason), std::string::npos) << reason << "\n" << warnings;
    }
}

// The driver keys Tunexa manages and the PCI device list replace the hive's; the machine's other
// keys stay behind. Inside a caller's batch the import joins it; a damaged file writes nothing.
// Read from a folder and from a disk image alike, whole as well, with SYSTEM.DAT's size and time.
TEST_F(MachineTest, TheMachinesDriverKeysAndCardsComeFromTheSystemDatOnDriveC) {
    const std::string d3d = "Software\\3Dfx Interactive\\Voodoo2\\D3D";
    const std::string systemDat = buildCregFile(kSystemDat);
    const std::int64_t written = 1709646451;  // 2024-03-05 13:47:31 UTC
    for (const bool image : {false, true}) {
        SCOPED_TRACE(image ? "image" : "folder");
        hive().deleteKeyTree(HKEY_LOCAL_MACHINE, "");
        const std::string host = putFile(driveC_ / "windows" / "system.dat", systemDat);
        const timespec times[2] = {{written, 0}, {written, 0}};
        ASSERT_EQ(::utimensat(AT_FDCWD, host.c_str(), times, 0), 0);
        useDriveC(image);
        const auto windows = findWindowsInstallation(drives_);
        ASSERT_TRUE(windows);
        const auto facts = systemDatFacts(*windows);
        ASSERT_TRUE(facts);
        // A FAT directory entry keeps the time to two seconds; mtools shows the minute.
        EXPECT_EQ(facts->size, systemDat.size());
        EXPECT_EQ(facts->modified, image ? written - 31 : written);
        const auto whole = readSystemDat(*windows, {});
        EXPECT_EQ(std::to_string(whole.keys) + " keys, " + std::to_string(whole.values) +
                      " values, " + std::to_string(whole.warnings.size()) + " warning",
                  "12 keys, 6 values, 1 warning");

        // A device the machine no longer has, and a setting the machine does not hold.
        ASSERT_TRUE(hive().createKey(HKEY_LOCAL_MACHINE, "Enum\\PCI\\VEN_10DE&DEV_0020"));
        store::RegSetString(HKEY_LOCAL_MACHINE, d3d, "Mine", "kept");
        ASSERT_TRUE(hive().beginBatch());
        EXPECT_TRUE(importMachineSettings(hive(), *windows).saved);
        hive().rollbackBatch();
        EXPECT_EQ(cardsInHive(hive()), std::vector<PciCard>{PciCard::RivaTnt});

        const auto report = importMachineSettings(hive(), *windows);
        ASSERT_TRUE(report.saved) << report.failure;
        EXPECT_EQ(report.keysFound,
                  (std::vector<std::string>{"Software\\3Dfx Interactive", "Enum\\PCI"}));
        EXPECT_EQ(report.cards, (std::vector<PciCard>{PciCard::Voodoo2, PciCard::MatroxG200}));
        EXPECT_EQ(report.keys + report.values, 9u + 5u);
        EXPECT_EQ(regfile::exportRegFile(hive(), {HKEY_LOCAL_MACHINE, d3d}),
                  "REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\" + d3d +
                      "]\r\n\"Mine\"=\"kept\"\r\n\"SSTV2_GRXCLK\"=hex(1):39,38,00\r\n"
                      "\"Count\"=dword:8000001e\r\n@=\"def\"\r\n\"Caf\xE9\"=hex:00,01,ff\r\n"
                      "\"Odd\"=hex(1234):ab\r\n\r\n");
        EXPECT_FALSE(hive().keyExists(HKEY_LOCAL_MACHINE, "Software\\Other"));

        putFile(driveC_ / "windows" / "system.dat", withFirstSubkeyAt(systemDat, 0x100000));
        useDriveC(image);
        const auto refused = importMachineSettings(hive(), *windows);
        EXPECT_FALSE(refused.saved);
        EXPECT_NE(refused.failure.find("out of bounds"), std::string::npos) << refused.failure;
    }
}

}  // namespace
}  // namespace tunexa::machine::test
