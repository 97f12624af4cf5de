// The machine on drive C: (a folder or a disk image): its Windows folder, its registry file read
// through libcreg (damaged, names beyond the registry's limits or the code page), and its driver
// settings and cards read into the hive. Then sending the settings to it and checking them, through
// tunexa-reg MACHINE: what SEND.REG holds, the boot batch file's block, the refusals that write
// nothing, a write failing half-way, the check before and after the machine's import, undo, and
// drive C: as a disk image.

#include <fcntl.h>
#include <gmock/gmock.h>
#include <sys/stat.h>

#include <map>
#include <sstream>

#include "CregFile.h"
#include "FatImage.h"
#include "HiveTest.h"
#include "RegText.h"
#include "RegTool.h"
#include "machine/MachineRegistry.h"
#include "platform/files/DriveC.h"
#include "platform/files/Drives.h"
#include "regfile/Exporter.h"
#include "regfile/Importer.h"
#include "store/Registry.h"

namespace tunexa::machine::test {
namespace {

namespace fs = std::filesystem;
using namespace std::string_literals;
using namespace tunexa::test;
using store::HKEY_LOCAL_MACHINE;
using testing::HasSubstr;

const FatImageShape kImage{"FAT16 partition", 16, FatLayout::Partitioned, 1048576};

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
    const std::vector<std::tuple<std::string, std::vector<std::string>, std::string>> cases{
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

const std::string kV2 = "Software\\3Dfx Interactive\\Voodoo2\\D3D";
const std::string kTnt = "Software\\NVIDIA Corporation\\Riva TNT\\OpenGL";
const std::string kMatrox = "Software\\Matrox\\PowerDesk\\Current Settings";
const std::string kThirtyBytes = "\0\1\2\3\4\5\6\7\x08\x09\x0a\x0b\x0c\x0d\x0e\x0f\x10\x11\x12"s +
                                 "\x13\x14\x15\x16\x17\x18\x19\x1a\x1b\x1c\x1d";
const std::string kClass = "System\\CurrentControlSet\\Services\\Class\\Display\\000";

struct Value {
    std::string key, name;
    std::uint32_t type;
    std::string data;
};

// The machine's registry: the same clock with its NUL, a gamma and a swap interval, a value the
// hive lacks, the Banshee's class 0001 (the hive names 0000), and Tunexa's own Voodoo clock.
const std::vector<Value> kMachine = {
    {kV2, "SSTV2_GRXCLK", 1, "98\0"s},
    {kV2, "SSTV2_RGAMMA", 1, "1.00"},
    {kV2, "SSTV2_AUTOMIPMAP", 1, "1"},
    {kV2, "SSTV2_SWAPINTERVAL", 4, "\1\0\0\0"s},
    {kClass + "1\\DEFAULT", "minivdd", 1, "3dfxvb.vxd"},
    {kClass + "1\\DEFAULT", "grxclock", 1, "100"},
    {"Software\\Tunexa\\Tunexa\\3Dfx", "Voodoo GRXCLK", 1, "50"},
};

const std::string kSendReg =
    "REGEDIT4\r\n\r\n"
    "[HKEY_LOCAL_MACHINE\\Software\\NVIDIA Corporation\\Riva TNT\\OpenGL]\r\n"
    "\"TextureQuality\"=hex:00,01,02,03,04,05,06,07,08,09,0a,0b,0c,0d,0e,0f,10,11,12,\\\r\n"
    "  13,14,15,16,17,18,19,1a,1b,1c,1d\r\n\r\n"
    "[HKEY_LOCAL_MACHINE\\Software\\3Dfx Interactive\\Voodoo2\\D3D]\r\n"
    "\"SSTV2_RGAMMA\"=\"1.20\"\r\n\"SSTV2_AUTOMIPMAP\"=-\r\n\r\n"
    "[HKEY_LOCAL_MACHINE\\System\\CurrentControlSet\\Services\\Class\\Display\\0001\\DEFAULT]\r\n"
    "\"grxclock\"=\"110\"\r\n\r\n"
    "[HKEY_LOCAL_MACHINE\\Software\\Matrox\\PowerDesk\\Current Settings]\r\n"
    "\"Anisotropic\"=hex(5):00,00,00,01\r\n\r\n";

const std::string kBlock =
    "REM Tunexa: import C:\\TUNEXA\\SEND.REG into the registry once\r\n"
    "IF EXIST C:\\TUNEXA\\SEND.REG C:\\WINDOWS\\COMMAND\\ATTRIB.EXE -R -S -H "
    "C:\\WINDOWS\\SYSTEM.DAT\r\n"
    "IF EXIST C:\\TUNEXA\\SEND.REG C:\\WINDOWS\\REGEDIT.EXE /L:C:\\WINDOWS\\SYSTEM.DAT "
    "C:\\TUNEXA\\SEND.REG\r\n"
    "IF EXIST C:\\TUNEXA\\SEND.REG C:\\WINDOWS\\COMMAND\\ATTRIB.EXE +R +S +H "
    "C:\\WINDOWS\\SYSTEM.DAT\r\n"
    "IF EXIST C:\\TUNEXA\\SENT.REG DEL C:\\TUNEXA\\SENT.REG\r\n"
    "IF EXIST C:\\TUNEXA\\SEND.REG REN C:\\TUNEXA\\SEND.REG SENT.REG\r\n";

std::string systemDat(const std::vector<Value>& values) {
    CregKey root{"$$$PROTO.HIV", {}, {}};
    for (const Value& value : values) {
        CregKey* key = &root;
        std::istringstream path(value.key);
        for (std::string name; std::getline(path, name, '\\');) {
            auto found = std::find_if(key->subkeys.begin(), key->subkeys.end(),
                                      [&](const CregKey& k) { return k.name == name; });
            key = found != key->subkeys.end() ? &*found : &key->subkeys.emplace_back(name);
        }
        key->values.push_back({value.name, value.type, value.data});
    }
    return buildCregFile(root);
}

// The machine's SYSTEM.DAT after its REGEDIT imported SEND.REG, deletions taken or ignored.
std::string imported(bool deletions) {
    std::vector<Value> machine = kMachine;
    for (const auto& op : regfile::parseRegFile(kSendReg).operations) {
        const bool set = op.kind == regfile::RegOperation::Kind::SetValue;
        if (set || deletions) {
            std::erase_if(machine, [&](const Value& v) { return v.name == op.name; });
        }
        if (set) {
            machine.push_back({op.key, op.name, op.type, {op.data.begin(), op.data.end()}});
        }
    }
    return systemDat(machine);
}

class SendTest : public HiveTest {
  protected:
    void SetUp() override {
        fs::remove_all(isolatedRoot() / "data");
        ASSERT_TRUE(files::Drives().ensureDriveC());
        driveC_ = *files::Drives().driveRoot('C');
        putFile(driveC_ / "WINDOWS" / "SYSTEM.DAT", systemDat(kMachine));
        putFile(driveC_ / "WINDOWS" / "REGEDIT.EXE", "MZ");
        for (const Value& v :
             std::vector<Value>{{kV2, "SSTV2_GRXCLK", 1, "98"},
                                {kV2, "SSTV2_RGAMMA", 1, "1.20"},
                                {kV2, "SSTV2_SWAPINTERVAL", 4, "\1\0\0\0"s},
                                {kTnt, "TextureQuality", 3, kThirtyBytes},
                                {kClass + "0\\DEFAULT", "minivdd", 1, "3dfxvb.vxd"},
                                {kClass + "0\\DEFAULT", "grxclock", 1, "110"},
                                {"Software\\Tunexa\\Tunexa\\3Dfx", "Voodoo GRXCLK", 1, "60"},
                                {kMatrox, "Anisotropic", 5, "\0\0\0\1"s}}) {
            ASSERT_TRUE(hive().setValue(HKEY_LOCAL_MACHINE, v.key, v.name, v.type, bytes(v.data)));
        }
    }

    RegOutcome reg(const std::string& args) { return runReg(hive(), args); }

    // Every file and folder below drive C: with its bytes.
    std::map<std::string, std::string> driveC() const {
        std::map<std::string, std::string> found;
        for (const auto& entry : fs::recursive_directory_iterator(driveC_)) {
            found[fs::relative(entry.path(), driveC_).string()] = fileBytes(entry.path());
        }
        return found;
    }
    std::string file(const std::string& name) const { return fileBytes(driveC_ / name); }

    fs::path driveC_;
};

// Only what differs goes, with its type and bytes or as a deletion; the same text with a NUL, the
// same double word and Tunexa's own key stay behind; the Banshee clock goes into the machine's
// class. The file reads back through IMPORT as the hive's values; undo takes both files back.
TEST_F(SendTest, SendRegHoldsExactlyWhatDiffersAndUndoTakesItBack) {
    putFile(driveC_ / "autoexec.bat", "@ECHO OFF");
    const auto sent = reg("machine|send");
    EXPECT_EQ(sent.code, 0) << sent.err;
    EXPECT_THAT(sent.out, HasSubstr("C:\\TUNEXA\\SEND.REG holds the 5 values that differ from "
                                    "C:\\WINDOWS\\SYSTEM.DAT:\n"));
    EXPECT_THAT(sent.out, HasSubstr("Voodoo2\\D3D    SSTV2_AUTOMIPMAP    delete\n"));
    EXPECT_EQ(file("TUNEXA/SEND.REG"), kSendReg);
    EXPECT_EQ(file("autoexec.bat"), "@ECHO OFF\r\n" + kBlock);

    const auto other = store::Hive::open(dir_ / "other.db");
    ASSERT_EQ(runReg(*other, "import|" + (driveC_ / "TUNEXA" / "SEND.REG").string()).code, 0);
    for (const auto& [key, name] :
         {std::pair{kV2, "SSTV2_RGAMMA"}, {kTnt, "TextureQuality"}, {kMatrox, "Anisotropic"}}) {
        EXPECT_EQ(other->getValue(HKEY_LOCAL_MACHINE, key, name),
                  hive().getValue(HKEY_LOCAL_MACHINE, key, name));
    }
    EXPECT_EQ(hive().changes().front().title, "tunexa-reg machine send");
    ASSERT_EQ(reg("undo").code, 0);
    EXPECT_EQ(file("autoexec.bat"), "@ECHO OFF");
    EXPECT_FALSE(fs::exists(driveC_ / "TUNEXA" / "SEND.REG"));
}

// The block goes once at the end: every byte kept, a line break added where the last line has
// none, before a ^Z, which stays last.
TEST_F(SendTest, BootBatchFileGetsTheBlockOnceBeforeAnyEndOfFileMark) {
    for (const auto& [before, after] : std::vector<std::pair<std::string, std::string>>{
             {"", kBlock},
             {"@ECHO OFF\r\nc:\\tunexa.bat\r\n", "@ECHO OFF\r\nc:\\tunexa.bat\r\n" + kBlock},
             {"A\r\n\x1A", "A\r\n" + kBlock + "\x1A"},
             {"A\x1A\r\n", "A\r\n" + kBlock + "\x1A\r\n"},
             {"X\r\n" + kBlock + "Y\r\n", "X\r\n" + kBlock + "Y\r\n"}}) {
        putFile(driveC_ / "AUTOEXEC.BAT", before);
        for (int send = 0; send < 2; ++send) {
            EXPECT_EQ(reg("machine|send").code, 0);
            EXPECT_EQ(file("AUTOEXEC.BAT"), after) << before;
        }
    }
}

// Each refusal: exit code 1, the reason, and drive C: and the store as they were.
TEST_F(SendTest, RefusalsWriteNothing) {
    const std::string damaged = withFirstSubkeyAt(systemDat(kMachine), 0x100000);
    std::vector<std::pair<std::function<void()>, std::string>> cases = {
        {[&] { fs::remove_all(driveC_ / "WINDOWS"); }, "No Windows 95/98 installation was found"},
        {[&] { fs::remove(driveC_ / "WINDOWS" / "REGEDIT.EXE"); },
         "There is no REGEDIT.EXE in C:\\WINDOWS"},
        {[&] { putFile(driveC_ / "WINDOWS" / "SYSTEM.DAT", damaged); },
         "C:\\WINDOWS\\SYSTEM.DAT cannot be read: libfdata"},
        {[&] { fs::permissions(putFile(driveC_ / "autoexec.bat", ""), fs::perms::owner_read); },
         "is read-only"},
        {[&] { putFile(driveC_ / "autoexec.bat", kBlock.substr(0, kBlock.find('\n') + 1)); },
         "C:\\autoexec.bat already imports a send into another Windows folder"}};
    // The WinDir= line of MSDOS.SYS, which never reaches the batch file, nor a guess in its place.
    for (const auto& [winDir, reason] : std::vector<std::pair<std::string, std::string>>{
             {"C:\\WIN&98",
              "which cannot go into the boot batch file: it holds the command "
              "separator &."},
             {"C:\\A|B", "the pipe character |"},
             {"C:\\A<B", "the redirection character <"},
             {"C:\\%PATH%", "the variable character %"},
             {"\"C:\\WINDOWS\"", "it is not a folder from a drive's root"},
             {"C:\\MY WIN", "it holds a blank"},
             {"C:\\WINDOWS98", "\"WINDOWS98\" is not an 8.3 name"},
             {"C:\\WIN\xE9", "the character \xC3\xA9"},
             {"C:\\WIN98", "\"WinDir=C:\\WIN98\", which holds no SYSTEM.DAT"}}) {
        cases.emplace_back(
            [this, line = "[Paths]\r\nWinDir=" + winDir] { putFile(driveC_ / "MSDOS.SYS", line); },
            reason);
    }
    for (const auto& [setup, reason] : cases) {
        SetUp();
        setup();
        const auto before = driveC();
        const auto changes = hive().changes().size();
        const auto outcome = reg("machine|send");
        EXPECT_EQ(outcome.code, 1) << reason;
        EXPECT_THAT(outcome.err, HasSubstr(reason));
        EXPECT_THAT(outcome.err, HasSubstr("Nothing was written.\n"));
        EXPECT_EQ(driveC(), before);
        EXPECT_EQ(hive().changes().size(), changes);
    }
}

// SEND.REG cannot be written whole (the disk fills): the boot batch file is put back and the new
// C:\TUNEXA goes again.
TEST_F(SendTest, AWriteFailingHalfWayLeavesDriveCAsItWas) {
    store::RegSetString(HKEY_LOCAL_MACHINE, kTnt, "TextureQuality", std::string(500, '9'));
    const auto before = driveC();
    {
        const FileSizeLimit full(kBlock.size() + 100);
        const auto outcome = reg("machine|send");
        EXPECT_EQ(outcome.code, 1);
        EXPECT_THAT(outcome.err, HasSubstr("Cannot write \"C:\\TUNEXA\\SEND.REG\""));
    }
    EXPECT_EQ(driveC(), before);
}

// Before the machine starts a send waits; after its REGEDIT ran, the check agrees, or names the
// deletions it ignored. Exit codes 0 agree, 1 differ, 2 unreadable. With nothing left to send, a
// send still waiting is taken back.
TEST_F(SendTest, CheckTellsWhatArrived) {
    auto checked = reg("machine|check");
    EXPECT_EQ(checked.code, 1);
    EXPECT_THAT(checked.out, HasSubstr("\\Voodoo2\\D3D    SSTV2_RGAMMA    Tunexa: REG_SZ 1.20    "
                                       "machine: REG_SZ 1.00\n"));
    EXPECT_THAT(checked.out,
                HasSubstr("Anisotropic    Tunexa: REG_DWORD_BIG_ENDIAN 0x1    machine: "
                          "absent\nNo send waits on drive C:, and none was run.\n"));
    ASSERT_EQ(reg("machine|send").code, 0);
    EXPECT_THAT(reg("machine|check").out,
                HasSubstr("A send waits for the next start of Windows: C:\\TUNEXA\\SEND.REG.\n"));
    putFile(driveC_ / "WINDOWS" / "SYSTEM.DAT", imported(true));
    EXPECT_THAT(reg("machine|send").out, HasSubstr("Nothing was sent: every value Tunexa manages "
                                                   "agrees with C:\\WINDOWS\\SYSTEM.DAT.\nThe "
                                                   "waiting C:\\TUNEXA\\SEND.REG was taken back"));
    EXPECT_FALSE(fs::exists(driveC_ / "TUNEXA" / "SEND.REG"));

    putFile(driveC_ / "TUNEXA" / "SENT.REG", kSendReg);
    for (const bool deletions : {true, false}) {
        putFile(driveC_ / "WINDOWS" / "SYSTEM.DAT", imported(deletions));
        checked = reg("machine|check");
        EXPECT_EQ(checked.code, deletions ? 0 : 1);
        EXPECT_THAT(checked.out,
                    HasSubstr(deletions ? "was run, and every value in it arrived.\n"
                                        : "\\Voodoo2\\D3D    SSTV2_AUTOMIPMAP    deletion ignored: "
                                          "the machine still holds REG_SZ 1\n"));
    }
    putFile(driveC_ / "WINDOWS" / "SYSTEM.DAT", "CREG");
    checked = reg("machine|check");
    EXPECT_EQ(checked.code, 2);
    EXPECT_THAT(checked.err, HasSubstr("ERROR: C:\\WINDOWS\\SYSTEM.DAT cannot be read"));
}

// Drive C: as a disk image: chosen with USE (a file that is no disk image refused, nothing
// changed), then the same send and check inside it.
TEST_F(SendTest, SendAndCheckOnADiskImage) {
    const fs::path image = dir_ / "win98.img";
    makeFatImage(image, {"FAT16", 16, FatLayout::Partitioned, 1048576}, 16 * 1024);
    const std::string mtools = mtoolsImage(image, 1048576) + " ";
    shell("mmd " + mtools + "::/WINDOWS && mcopy " + mtools +
          quote(putFile(dir_ / "S", systemDat(kMachine))) +
          " ::/WINDOWS/SYSTEM.DAT && echo MZ | mcopy " + mtools + "- ::/WINDOWS/REGEDIT.EXE");
    EXPECT_EQ(reg("machine|use|" + putFile(dir_ / "random.bin", std::string(4096, 'x'))).code, 1);
    EXPECT_THAT(reg("machine").out, HasSubstr("Drive C:        the folder "));
    const auto used = reg("machine|use|" + image.string());
    EXPECT_THAT(used.out, HasSubstr("Drive C: is now the disk image " + image.string()));

    ASSERT_EQ(reg("machine|send").code, 0);
    EXPECT_EQ(shell("mtype " + mtools + "::/TUNEXA/SEND.REG"), kSendReg);
    EXPECT_EQ(shell("mtype " + mtools + "::/AUTOEXEC.BAT"), kBlock);
    EXPECT_THAT(reg("machine").out, HasSubstr("Windows folder: C:\\WINDOWS\nSYSTEM.DAT:     "));
    EXPECT_THAT(reg("machine").out, HasSubstr("REGEDIT.EXE:    there\nA send waits for the next"));
    EXPECT_EQ(reg("machine|check").code, 1);
}

}  // namespace
}  // namespace tunexa::machine::test
