// The machine on drive C:: its Windows folder, its registry file read through libcreg (damaged,
// names beyond the registry's limits or the code page), and its driver settings and cards read
// into the hive.
#include <gtest/gtest.h>

#include "CregFile.h"
#include "HiveTest.h"
#include "machine/MachineRegistry.h"
#include "regfile/Exporter.h"
#include "store/Registry.h"

// libcreg leaks a 24-byte data-block entry when it gives up on some damaged files (a bare C
// program that frees everything shows it too); LeakSanitizer still reports every leak of ours.
extern "C" const char* __lsan_default_suppressions() {
    return "leak:libcreg_data_block_entry_initialize\n";
}

namespace tunexa::machine::test {
namespace {

namespace fs = std::filesystem;
using namespace tunexa::test;
using store::HKEY_LOCAL_MACHINE;

class MachineTest : public HiveTest {
  protected:
    fs::path driveC_ = dir_ / "data" / "drive_c";
};

// The folder MSDOS.SYS names under [Paths], else C:\WINDOWS, where it holds SYSTEM.DAT.
TEST_F(MachineTest, WindowsIsFoundThroughMsdosSysOrTheDefaultFolderHoldingSystemDat) {
    const std::string msdosSys =
        "[Options]\r\nWinDir=C:\\WRONG\r\n[paths]\r\n  winDir = C:\\Win98\\ "
        "\r\nWinBootDir=C:\\X\r\n";
    // C:\MSDOS.SYS's text, files below drive C: in host spelling, the Windows folder found ("" for
    // none) and its folder below drive C:.
    using Case = std::tuple<std::string, std::vector<std::string>, std::string, std::string>;
    for (const auto& [msdos, files, windowsPath, hostFolder] : std::vector<Case>{
             {msdosSys,
              {"WIN98/system.dat", "WIN98/user.dat", "windows/SYSTEM.DAT", "wrong/SYSTEM.DAT"},
              "C:\\Win98",
              "WIN98"},
             // A folder MSDOS.SYS names without SYSTEM.DAT leaves the default folder.
             {msdosSys, {"Win98/USER.DAT", "WINDOWS/SYSTEM.DAT"}, "C:\\WINDOWS", "WINDOWS"},
             {"", {"WINDOWS/USER.DAT", "WINDOWS/SYSTEM.DAT/x"}, "", ""}}) {
        fs::remove_all(driveC_);
        putFile(driveC_ / "msdos.sys", msdos);
        for (const auto& file : files) {
            putFile(driveC_ / file, "CREG");
        }
        const auto found = findWindowsInstallation(files::Drives(dir_ / "data"));
        ASSERT_EQ(found.has_value(), !windowsPath.empty()) << files[0];
        if (found) {
            EXPECT_EQ(found->windowsPath, windowsPath);
            EXPECT_EQ(fs::canonical(found->hostFolder), fs::canonical(driveC_ / hostFolder));
            EXPECT_EQ(found->systemDat.parent_path(), found->hostFolder);
            EXPECT_TRUE(fs::is_regular_file(found->systemDat));
            EXPECT_EQ(found->userDat.has_value(), fs::exists(found->hostFolder / "user.dat"));
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
        const auto read = readW9xRegistry(putFile(dir_ / "SYSTEM.DAT", bytes), {});
        EXPECT_EQ(read.outcome, outcome) << reason;
        EXPECT_NE(read.failure.find(reason), std::string::npos) << read.failure;
        EXPECT_TRUE(read.operations.empty());
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
TEST_F(MachineTest, TheMachinesDriverKeysAndCardsComeFromTheSystemDatOnDriveC) {
    putFile(driveC_ / "windows" / "system.dat", buildCregFile(kSystemDat));
    const auto windows = findWindowsInstallation(files::Drives(dir_ / "data"));
    ASSERT_TRUE(windows);
    // A device the machine no longer has, and a setting the machine does not hold.
    ASSERT_TRUE(hive().createKey(HKEY_LOCAL_MACHINE, "Enum\\PCI\\VEN_10DE&DEV_0020"));
    const std::string d3d = "Software\\3Dfx Interactive\\Voodoo2\\D3D";
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

    putFile(windows->systemDat, withFirstSubkeyAt(buildCregFile(kSystemDat), 0x100000));
    const auto refused = importMachineSettings(hive(), *windows);
    EXPECT_FALSE(refused.saved);
    EXPECT_NE(refused.failure.find("out of bounds"), std::string::npos) << refused.failure;
}

}  // namespace
}  // namespace tunexa::machine::test
