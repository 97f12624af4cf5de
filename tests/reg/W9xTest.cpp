// Windows 95/98 registry files: imported whole or in part under either root or refused; PCI
// devices to cards; the machine's driver keys.
#include <functional>

#include "CregFile.h"
#include "MachineRegistry.h"
#include "RegTestSupport.h"

// libcreg leaks a 24-byte data-block entry when it gives up on some damaged files (a bare C
// program that frees everything shows it too); LeakSanitizer still reports every leak of ours.
extern "C" const char* __lsan_default_suppressions() {
    return "leak:libcreg_data_block_entry_initialize\n";
}

namespace tunexa::regtool::test {
namespace {

using store::HKEY_USERS;
using tunexa::test::CregKey;

// Driver settings with a name in Windows-1252 and a type no regedit file has, another program's
// key, and the PCI devices of a Voodoo2, a G200 (named in lower case), a sound card, and two that
// only look like cards (a longer device number, a longer vendor part).
const CregKey kSystemDat{"$$$PROTO.HIV",
                         {},
                         {{"Software",
                           {},
                           {{"3Dfx Interactive",
                             {},
                             {{"D3D",
                               {{"SSTV2_SWAPINTERVAL", 1, "1\0"s},
                                {"Count", 4, "\x1e\0\0\x80"s},
                                {"", 1, "def"},
                                {"Caf\xE9", 3, "\0\x01\xFF"s},
                                {"Odd", 0x1234, "\xAB"}},
                               {}}}},
                            {"Other", {{"Keep", 1, "x"}}, {}}}},
                          {"Enum",
                           {},
                           {{"PCI",
                             {},
                             {{"VEN_121A&DEV_0002&SUBSYS_00000000&REV_02", {}, {}},
                              {"ven_102b&dev_0521&REV_01", {}, {}},
                              {"VEN_1274&DEV_5000", {}, {}},
                              {"VEN_10DE&DEV_00200", {}, {}},
                              {"XVEN_121A&DEV_0002", {}, {}}}}}}}};

void putLe32(std::string& file, std::size_t at, std::uint32_t value) {
    for (std::size_t i = 0; i < 4; ++i) {
        file[at + i] = static_cast<char>(value >> (8 * i));
    }
}

// An import of the fixture, damaged or not: where it lands, or why nothing does.
struct W9xCase {
    std::string fileName;
    std::string extra;  // more arguments, '|' between them
    std::function<void(std::string&)> damage;
    store::HKEY root;     // 0: refused
    std::string message;  // the output's root, or a part of the refusal
};

const auto kSound = [](std::string&) {};
const auto kOffsetOutside = [](std::string& f) {
    putLe32(f, tunexa::test::kCregRootFirstSubkey, 0x100000);
};
const std::string kDamaged = " is damaged, so nothing was imported:\n  ";

// Imported whole or in part, under the root its name or /root chooses, every type and byte kept;
// or, damaged or asked for what it cannot give, refused with nothing imported.
TEST_F(RegTest, W9xFilesKeepTypesAndBytesUnderTheRootChosenOrImportNothing) {
    for (const auto& [fileName, extra, damage, root, message] : std::vector<W9xCase>{
             {"SYSTEM.DAT", "", kSound, HKEY_LOCAL_MACHINE, "HKEY_LOCAL_MACHINE"},
             {"User.Dat", "", kSound, HKEY_USERS, "HKEY_USERS"},
             {"SYSTEM.DAT", "|/ROOT:hku", kSound, HKEY_USERS, "HKEY_USERS"},
             {"SYSTEM.DAT", "|hklm\\software\\3DFX INTERACTIVE", kSound, HKEY_LOCAL_MACHINE,
              "HKEY_LOCAL_MACHINE\\Software\\3Dfx Interactive"},
             // libcreg reads a file whose first data block is damaged as one without keys.
             {"SYSTEM.DAT", "", [](std::string& f) { f[f.find("RGDB")] = 'X'; }, 0,
              kDamaged + "the file holds no root key"},
             {"SYSTEM.DAT", "", kOffsetOutside, 0,
              kDamaged + "libfdata_area_get_element_value_at_offset: invalid element value "
                         "offset value out of bounds.\n"},
             {"SYSTEM.DAT", "", [](std::string& f) { f.resize(f.size() - 40); }, 0,
              kDamaged + "libcreg_data_block_read_entries: unable to read data block data."},
             {"SYSTEM.DAT", "",
              [](std::string& f) { putLe32(f, tunexa::test::kCregRootFirstSubkey, 32); }, 0,
              kDamaged + "the key tree is damaged: the key entry at offset 0x00000020 is "
                         "reached twice"},
             {"SYSTEM.DAT", "|HKLM\\Software\\Nope", kSound, 0,
              "SYSTEM.DAT holds no key HKEY_LOCAL_MACHINE\\Software\\Nope. Nothing"},
             {"SYSTEM.DAT", "|HKU\\Software", kSound, 0,
              "ERROR: HKU\\Software is not under HKEY_LOCAL_MACHINE, where"},
             {"SYSTEM.DAT", "|/root:HKCU", kSound, 0, "/root takes HKLM or HKU."},
             {"SYSTEM.DAT", "|/codepage:77", kSound, 0, "code page 77 is not one libcreg reads"}}) {
        SCOPED_TRACE(message);
        hive().deleteKeyTree(HKEY_LOCAL_MACHINE, "");
        hive().deleteKeyTree(HKEY_USERS, "");
        std::string bytes = buildCregFile(kSystemDat);
        damage(bytes);
        const auto file = putFile(dir_ / fileName, bytes);
        const auto outcome = reg("import|" + file + extra);
        if (root == 0) {
            EXPECT_EQ(outcome.code, 1);
            EXPECT_NE(outcome.err.find(message), std::string::npos) << outcome.err;
            EXPECT_EQ(dump() + dump(HKEY_USERS),
                      "REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE]\r\n\r\n"
                      "REGEDIT4\r\n\r\n[HKEY_USERS]\r\n\r\n");
            continue;
        }
        const bool whole = message.find("3Dfx") == std::string::npos;
        EXPECT_EQ(outcome.out + outcome.err,
                  "Imported " + std::string(whole ? "11 keys and 6" : "2 keys and 5") +
                      " values from " + file + " (a Windows 95/98 registry file) into " + message +
                      ".\nThe operation completed successfully.\n");
        EXPECT_EQ(exportRegFile(hive(), {root, "software\\3dfx interactive\\d3d"}),
                  "REGEDIT4\r\n\r\n[" +
                      (KeyName{root, "Software\\3Dfx Interactive\\D3D"}.fullName()) +
                      "]\r\n\"SSTV2_SWAPINTERVAL\"=hex(1):31,00\r\n\"Count\"=dword:8000001e\r\n"
                      "@=\"def\"\r\n\"Caf\xE9\"=hex:00,01,ff\r\n\"Odd\"=hex(1234):ab\r\n\r\n");
        EXPECT_EQ(hive().keyExists(root, "Software\\Other"), whole);
        EXPECT_TRUE(
            hive().subkeys(root == HKEY_USERS ? HKEY_LOCAL_MACHINE : HKEY_USERS, "").empty());
    }
}

TEST_F(RegTest, W9xNamesComeFromTheCodePageWithinTheRegistrysLimits) {
    CregKey deep{"k", {}, {}};
    for (int i = 0; i < 512; ++i) {
        deep = CregKey{"k", {}, {deep}};
    }
    const CregKey root{
        "$$$PROTO.HIV",
        {{std::string(16384, 'v'), 1, "1"}, {std::string(16383, 'v'), 1, "2"}, {"Fa\xE7", 1, "3"}},
        {{"Syst\xE8me", {}, {}}, deep, {std::string(256, 'n'), {}, {}}, {"a\\b", {}, {}}}};
    const auto outcome =
        reg("import|" + putFile(dir_ / "SYSTEM.DAT", buildCregFile(root)) + "|/codepage:1250");
    EXPECT_EQ(outcome.code, 1);
    // Windows-1250 has Windows-1252's ç at the same place, but not its è.
    EXPECT_EQ(hive().subkeys(HKEY_LOCAL_MACHINE, ""), (std::vector<std::string>{"k", "Syst?me"}));
    EXPECT_EQ(hive().values(HKEY_LOCAL_MACHINE, "").size(), 2u);
    EXPECT_TRUE(hive().getValue(HKEY_LOCAL_MACHINE, "", "Fa\xE7"));
    EXPECT_TRUE(hive().keyExists(HKEY_LOCAL_MACHINE, keyPath(512)));
    EXPECT_FALSE(hive().keyExists(HKEY_LOCAL_MACHINE, keyPath(513)));
    for (const auto* reason :
         {"a value name of 16384 characters", "Syst?me: the name has", "513 levels deep",
          "a key name of 256 characters", "a subkey named \"a\\b\""}) {
        EXPECT_NE(outcome.err.find(reason), std::string::npos) << reason << "\n" << outcome.err;
    }
}

TEST_F(RegTest, TheMachinesDriverKeysAndCardsComeFromTheSystemDatOnDriveC) {
    std::filesystem::create_directories(dir_ / "data" / "drive_c" / "windows");
    putFile(dir_ / "data" / "drive_c" / "windows" / "system.dat", buildCregFile(kSystemDat));
    const auto windows = files::findWindowsInstallation(files::Drives(dir_ / "data"));
    ASSERT_TRUE(windows);
    // A device the machine no longer has, and a setting the machine does not hold.
    ASSERT_TRUE(hive().createKey(HKEY_LOCAL_MACHINE, "Enum\\PCI\\VEN_10DE&DEV_0020"));
    set("Software\\3Dfx Interactive\\D3D", "Mine", store::REG_SZ, "kept");
    // Inside a caller's batch the import joins it: its rollback undoes everything.
    ASSERT_TRUE(hive().beginBatch());
    EXPECT_TRUE(importMachineSettings(hive(), *windows).saved);
    hive().rollbackBatch();
    EXPECT_EQ(cardsInHive(hive()), std::vector<PciCard>{PciCard::RivaTnt});

    const auto report = importMachineSettings(hive(), *windows);
    ASSERT_TRUE(report.saved) << report.failure;
    EXPECT_EQ(report.keysFound,
              (std::vector<std::string>{"Software\\3Dfx Interactive", "Enum\\PCI"}));
    EXPECT_EQ(report.cards, (std::vector<PciCard>{PciCard::Voodoo2, PciCard::MatroxG200}));
    EXPECT_EQ(report.keys + report.values, 8u + 5u);
    EXPECT_EQ(hive().values(HKEY_LOCAL_MACHINE, "Software\\3Dfx Interactive\\D3D").size(), 6u);
    EXPECT_FALSE(hive().keyExists(HKEY_LOCAL_MACHINE, "Software\\Other"));

    std::string damaged = buildCregFile(kSystemDat);
    kOffsetOutside(damaged);
    putFile(windows->systemDat, damaged);
    const auto refused = importMachineSettings(hive(), *windows);
    EXPECT_FALSE(refused.saved);
    EXPECT_NE(refused.failure.find("out of bounds"), std::string::npos) << refused.failure;
}

}  // namespace
}  // namespace tunexa::regtool::test
