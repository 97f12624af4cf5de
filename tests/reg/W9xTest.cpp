#include <sys/wait.h>

#include <cstdio>
#include <fstream>
#include <functional>

#include "CregFile.h"
#include "MachineRegistry.h"
#include "RegTestSupport.h"
#include "store/Ansi.h"

namespace tunexa::regtool::test {
namespace {

using namespace std::string_literals;
using store::HKEY_LOCAL_MACHINE;
using store::HKEY_USERS;
using tunexa::test::CregKey;

// A SYSTEM.DAT with the machine keys, a key of another program, a name in Windows-1252, a type
// no other file has and the Enum\PCI list of a Voodoo2 and a G200 (besides a sound card).
const CregKey kSystemDat{"$$$PROTO.HIV",
                         {},
                         {{"Software",
                           {},
                           {{"3Dfx Interactive",
                             {},
                             {{"Voodoo2",
                               {},
                               {{"D3D",
                                 {{"SSTV2_SWAPINTERVAL", 1, "1\0"s},
                                  {"Count", 4, "\x1e\0\0\0"s},
                                  {"", 1, "def"},
                                  {"Caf\xE9", 3, "\0\x01\xFF"s},
                                  {"Odd", 0x1234, "\xAB"}},
                                 {}}}}}},
                            {"Other Program", {{"Keep", 1, "x"}}, {}}}},
                          {"Enum",
                           {},
                           {{"PCI",
                             {},
                             {{"VEN_121A&DEV_0002&SUBSYS_00000000&REV_02", {}, {}},
                              {"ven_102b&dev_0521&SUBSYS_FF03102B&REV_01", {}, {}},
                              {"VEN_1274&DEV_5000&SUBSYS_00000000&REV_01", {}, {}}}}}},
                          {"Syst\xE8me", {{"Caf\xE9", 3, "\xE9"}}, {}}}};

std::string write(const std::filesystem::path& file, const std::string& bytes) {
    std::ofstream(file, std::ios::binary | std::ios::trunc) << bytes;
    return file.string();
}

// libcreg's own creginfo lists the fixture's keys and values as they were built, so the reader
// is tested against a file libcreg reads as intended.
TEST(CregFixture, CreginfoListsItAsBuilt) {
    if (std::system("command -v creginfo >/dev/null") != 0) {
        GTEST_SKIP() << "creginfo (libcreg-utils) is not installed";
    }
    tunexa::test::TempDir dir;
    const auto file = write(dir / "SYSTEM.DAT", buildCregFile(kSystemDat));
    std::string expected;
    const auto list = [&](const auto& self, const CregKey& key, std::size_t depth) -> void {
        expected += std::string(depth, ' ') + "(key:) " + key.name + "\n";
        for (std::size_t i = 0; i < key.values.size(); ++i) {
            const auto& name = key.values[i].name;
            expected += std::string(depth + 1, ' ') + "(value: " + std::to_string(i) + ") " +
                        (name.empty() ? "(default)" : name) + "\n";
        }
        for (const auto& subkey : key.subkeys) {
            self(self, subkey, depth + 1);
        }
    };
    list(list, kSystemDat, 0);
    FILE* pipe = popen(("creginfo -c windows-1252 '" + file + "' 2>&1").c_str(), "r");
    std::string output;
    for (int c = std::fgetc(pipe); c != EOF; c = std::fgetc(pipe)) {
        output += static_cast<char>(c);
    }
    EXPECT_EQ(WEXITSTATUS(pclose(pipe)), 0) << output;
    // creginfo prints the names in UTF-8.
    EXPECT_NE(output.find("Key hierarchy\n" + ansi::toUtf8(expected)), std::string::npos) << output;
}

store::Bytes raw(std::string_view text) {
    return {text.begin(), text.end()};
}

struct W9xCase {
    std::string fileName;
    std::vector<std::string> extra;  // after "import FILE"
    store::HKEY root;                // where the values must land
    std::string out;                 // the first line of the output
    bool wholeFile;                  // Enum and the other program came too
};

class W9xImport : public RegTest, public ::testing::WithParamInterface<W9xCase> {};

TEST_P(W9xImport, KeepsTypesAndBytesUnderTheChosenRoot) {
    const auto file = write(dir_ / GetParam().fileName, buildCregFile(kSystemDat));
    std::vector<std::string> args = {"import", file};
    args.insert(args.end(), GetParam().extra.begin(), GetParam().extra.end());
    const auto outcome = reg(args);
    ASSERT_EQ(outcome.code, 0) << outcome.err;
    EXPECT_EQ(outcome.out,
              "Imported " + GetParam().out + " from " + file +
                  " (a Windows 95/98 registry file) into " +
                  (GetParam().root == HKEY_USERS ? "HKEY_USERS" : "HKEY_LOCAL_MACHINE") +
                  (GetParam().wholeFile ? "" : "\\Software\\3Dfx Interactive") +
                  ".\nThe operation completed successfully.\n");
    const std::string d3d = "Software\\3Dfx Interactive\\Voodoo2\\D3D";
    const auto values = hive().values(GetParam().root, d3d);
    ASSERT_EQ(values.size(), 5u);
    const std::vector<store::NamedValue> expected = {{"SSTV2_SWAPINTERVAL", 1, raw("1\0"s)},
                                                     {"Count", 4, raw("\x1e\0\0\0"s)},
                                                     {"", 1, raw("def")},
                                                     {"Caf\xE9", 3, raw("\0\x01\xFF"s)},
                                                     {"Odd", 0x1234, raw("\xAB")}};
    for (std::size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(values[i].name, expected[i].name);
        EXPECT_EQ(values[i].type, expected[i].type) << values[i].name;
        EXPECT_EQ(values[i].data, expected[i].data) << values[i].name;
    }
    EXPECT_EQ(hive().storedPath(GetParam().root, "software\\3dfx interactive\\voodoo2\\d3d"), d3d);
    EXPECT_EQ(hive().keyExists(GetParam().root, "Syst\xE8me"), GetParam().wholeFile);
    EXPECT_EQ(hive().keyExists(GetParam().root, "Software\\Other Program"), GetParam().wholeFile);
    const auto other = GetParam().root == HKEY_USERS ? HKEY_LOCAL_MACHINE : HKEY_USERS;
    EXPECT_TRUE(hive().subkeys(other, "").empty());
}

INSTANTIATE_TEST_SUITE_P(
    Table, W9xImport,
    ::testing::Values(W9xCase{"SYSTEM.DAT", {}, HKEY_LOCAL_MACHINE, "11 keys and 7 values", true},
                      W9xCase{"User.Dat", {}, HKEY_USERS, "11 keys and 7 values", true},
                      W9xCase{
                          "SYSTEM.DAT", {"/ROOT:hku"}, HKEY_USERS, "11 keys and 7 values", true},
                      W9xCase{"user.dat",
                              {"-root:HKEY_LOCAL_MACHINE"},
                              HKEY_LOCAL_MACHINE,
                              "11 keys and 7 values",
                              true},
                      W9xCase{"SYSTEM.DAT",
                              {"hklm\\software\\3DFX INTERACTIVE"},
                              HKEY_LOCAL_MACHINE,
                              "3 keys and 5 values",
                              false}));

// What refuses a registry file, or a part of one: nothing lands and the reason is told.
struct W9xRefusal {
    std::string what;
    std::function<void(std::string&)> damage;
    std::vector<std::string> extra;
    std::string message;
};

void PrintTo(const W9xRefusal& c, std::ostream* os) {
    *os << c.what;
}

void put32(std::string& file, std::size_t at, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) {
        file[at + i] = static_cast<char>(value >> (8 * i));
    }
}

std::size_t dataBlock(const std::string& file) {
    return static_cast<unsigned char>(file[tunexa::test::kCregDataBlockField]) |
           static_cast<unsigned char>(file[tunexa::test::kCregDataBlockField + 1]) << 8;
}

class W9xRefused : public RegTest, public ::testing::WithParamInterface<W9xRefusal> {};

TEST_P(W9xRefused, ImportsNothing) {
    std::string bytes = buildCregFile(kSystemDat);
    GetParam().damage(bytes);
    const auto file = write(dir_ / "SYSTEM.DAT", bytes);
    std::vector<std::string> args = {"import", file};
    args.insert(args.end(), GetParam().extra.begin(), GetParam().extra.end());
    const auto outcome = reg(args);
    EXPECT_EQ(outcome.code, 1);
    EXPECT_EQ(outcome.out, "");
    EXPECT_NE(outcome.err.find(GetParam().message), std::string::npos) << outcome.err;
    EXPECT_TRUE(hive().subkeys(HKEY_LOCAL_MACHINE, "").empty());
}

const std::string kDamaged = " is damaged, so nothing was imported:\n  ";

INSTANTIATE_TEST_SUITE_P(
    Table, W9xRefused,
    ::testing::Values(
        W9xRefusal{"first data block",
                   [](std::string& f) { f[dataBlock(f)] = 'X'; },
                   {},
                   kDamaged + "the file holds no root key"},
        W9xRefusal{"key offset outside the file",
                   [](std::string& f) { put32(f, tunexa::test::kCregRootFirstSubkey, 0x100000); },
                   {},
                   kDamaged + "libfdata_area_get_element_value_at_offset: invalid element value "
                              "offset value out of bounds."},
        W9xRefusal{"truncated",
                   [](std::string& f) { f.resize(f.size() - 40); },
                   {},
                   kDamaged + "libcreg_data_block_read_entries: unable to read data block data."},
        W9xRefusal{"looping subkeys",
                   [](std::string& f) { put32(f, tunexa::test::kCregRootFirstSubkey, 32); },
                   {},
                   kDamaged + "the key tree is damaged: the key entry at offset 0x00000020 is "
                              "reached twice"},
        W9xRefusal{"missing subtree",
                   [](std::string&) {},
                   {"HKLM\\Software\\Nope"},
                   "SYSTEM.DAT holds no key HKEY_LOCAL_MACHINE\\Software\\Nope. Nothing"},
        W9xRefusal{"subtree of the other root",
                   [](std::string&) {},
                   {"HKU\\Software"},
                   "is not under HKEY_LOCAL_MACHINE, where"},
        W9xRefusal{"root", [](std::string&) {}, {"/root:HKCU"}, "/root takes HKLM or HKU."},
        W9xRefusal{"code page",
                   [](std::string&) {},
                   {"/codepage:77"},
                   "code page 77 is not one libcreg reads"}));

TEST_F(RegTest, W9xNamesComeFromTheCodePageAndWithinTheRegistrysLimits) {
    CregKey deep{"k", {}, {}};
    for (int i = 0; i < 512; ++i) {
        deep = CregKey{"k", {}, {deep}};
    }
    const CregKey root{"$$$PROTO.HIV",
                       {{std::string(16384, 'v'), 1, "long"},
                        {"Fa\xE7"
                         "ade",
                         1, "1"}},
                       {{"Syst\xE8me", {}, {}}, deep, {std::string(256, 'n'), {}, {}}}};
    const auto outcome =
        reg({"import", write(dir_ / "SYSTEM.DAT", buildCregFile(root)), "/codepage:1250"});
    EXPECT_EQ(outcome.code, 1);
    // Windows-1250 has the ç of Windows-1252 at the same place, but not its è.
    EXPECT_TRUE(hive().keyExists(HKEY_LOCAL_MACHINE, "Syst?me"));
    EXPECT_TRUE(hive().getValue(HKEY_LOCAL_MACHINE, "",
                                "Fa\xE7"
                                "ade"));
    EXPECT_EQ(hive().values(HKEY_LOCAL_MACHINE, "").size(), 1u);
    std::string path = "k";
    for (int i = 0; i < 511; ++i) {
        path += "\\k";
    }
    EXPECT_TRUE(hive().keyExists(HKEY_LOCAL_MACHINE, path));
    EXPECT_FALSE(hive().keyExists(HKEY_LOCAL_MACHINE, path + "\\k"));
    for (const auto* reason : {"16384 characters", "Syst?me: the name has characters",
                               "513 levels deep", "256 characters"}) {
        EXPECT_NE(outcome.err.find(reason), std::string::npos) << reason << "\n" << outcome.err;
    }
}

TEST(PciCards, EnumKeyNamesToCards) {
    for (const auto& [name, card] : std::vector<std::pair<std::string, std::optional<PciCard>>>{
             {"VEN_121A&DEV_0001&SUBSYS_00000000&REV_02", PciCard::VoodooGraphics},
             {"VEN_121A&DEV_0003", PciCard::Banshee},
             {"ven_10de&dev_0020&SUBSYS_00000000", PciCard::RivaTnt},
             {"VEN_102B&DEV_1001&REV_01", PciCard::MatroxG100},
             {"VEN_102B&DEV_0520", PciCard::MatroxG200},
             {"VEN_121A&DEV_0004", std::nullopt},
             {"VEN_10DE&DEV_00200", std::nullopt},
             {"DEV_0020&VEN_10DE", PciCard::RivaTnt},
             {"XVEN_10DE&DEV_0020", std::nullopt}}) {
        EXPECT_EQ(cardOfPciKey(name), card) << name;
    }
}

class MachineImport : public RegTest {
  protected:
    void SetUp() override {
        RegTest::SetUp();
        const files::Drives drives(dir_ / "data");
        ASSERT_TRUE(drives.ensureDriveC());
        std::filesystem::create_directories(dir_ / "data" / "drive_c" / "windows");
        write(dir_ / "data" / "drive_c" / "windows" / "system.dat", buildCregFile(kSystemDat));
        const auto found = files::findWindowsInstallation(drives);
        ASSERT_TRUE(found);
        windows_ = *found;
        // A device the machine no longer has, and a setting the machine does not hold.
        ASSERT_TRUE(hive().createKey(HKEY_LOCAL_MACHINE, "Enum\\PCI\\VEN_10DE&DEV_0020"));
        set("Software\\3Dfx Interactive\\Voodoo2\\D3D", "Mine", store::REG_SZ, "kept");
    }
    files::WindowsInstallation windows_;
};

TEST_F(MachineImport, TakesTheDriverKeysAndTheCardsOfThePciList) {
    const auto report = importMachineSettings(hive(), windows_);
    ASSERT_TRUE(report.saved) << report.failure;
    EXPECT_EQ(report.keysFound,
              (std::vector<std::string>{"Software\\3Dfx Interactive", "Enum\\PCI"}));
    EXPECT_EQ(report.cards, (std::vector<PciCard>{PciCard::Voodoo2, PciCard::MatroxG200}));
    EXPECT_EQ(report.keys, 7u);
    EXPECT_EQ(report.values, 5u);
    EXPECT_EQ(hive().values(HKEY_LOCAL_MACHINE, "Software\\3Dfx Interactive\\Voodoo2\\D3D").size(),
              6u);
    EXPECT_FALSE(hive().keyExists(HKEY_LOCAL_MACHINE, "Software\\Other Program"));
    EXPECT_FALSE(hive().keyExists(HKEY_LOCAL_MACHINE, "Syst\xE8me"));
}

TEST_F(MachineImport, JoinsTheCallersBatchAndADamagedFileWritesNothing) {
    ASSERT_TRUE(hive().beginBatch());
    EXPECT_TRUE(importMachineSettings(hive(), windows_).saved);
    hive().rollbackBatch();
    EXPECT_EQ(cardsInHive(hive()), std::vector<PciCard>{PciCard::RivaTnt});
    std::string damaged = buildCregFile(kSystemDat);
    put32(damaged, tunexa::test::kCregRootFirstSubkey, 0x100000);
    write(windows_.systemDat, damaged);
    const auto report = importMachineSettings(hive(), windows_);
    EXPECT_FALSE(report.saved);
    EXPECT_NE(report.failure.find("out of bounds"), std::string::npos) << report.failure;
    EXPECT_EQ(cardsInHive(hive()), std::vector<PciCard>{PciCard::RivaTnt});
}

}  // namespace
}  // namespace tunexa::regtool::test
