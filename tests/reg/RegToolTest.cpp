// The registry tool's command line: refusals and their messages, what ADD stores, what each
// command prints and asks, whole files through EXPORT and IMPORT (a Windows 95/98 registry file
// too), a store that cannot save, and the change record through HISTORY, UNDO and PROFILE.
#include <gmock/gmock.h>

#include <regex>

#include "CregFile.h"
#include "FatImage.h"
#include "HiveTest.h"
#include "RegText.h"
#include "RegTool.h"
#include "platform/files/DriveC.h"
#include "regfile/Exporter.h"
#include "regfile/Importer.h"
#include "store/Registry.h"

namespace tunexa::regtool::test {
namespace {

using namespace std::string_literals;
constexpr auto HKLM = store::HKEY_LOCAL_MACHINE;
using store::HKEY_USERS;
using testing::HasSubstr;
using namespace tunexa::test;  // files, registry text, CREG files and the temporary folder

// The tool run on the test's own hive.
class RegTest : public HiveTest {
  protected:
    // "DIR/" in a text stands for the test's folder.
    std::string within(const std::string& text) const {
        return std::regex_replace(text, std::regex("DIR/"), dir_.path().string() + "/");
    }

    // The tool run on `args` (DIR/ is the test's folder) on the test's hive or `on`.
    RegOutcome reg(const std::string& args, const std::string& input = "",
                   store::Hive* on = nullptr) {
        return runReg(on ? *on : hive(), within(args), input);
    }

    // Everything below a root as a REGEDIT4 text: what a test compares the store by.
    std::string dump(store::HKEY root = HKLM) {
        return regfile::exportRegFile(hive(), {root, ""}).value_or("");
    }

    // Every form of value that query, the questions and export work on, and a file to overwrite.
    void seed() {
        hive().deleteKeyTree(HKLM, "");
        ASSERT_TRUE(regfile::importRegFile(hive(), joined(kRegeditExport)).saved);
        putFile(dir_ / "out.reg", "keep");
    }
};

const std::string kNotFound =
    "ERROR: The system was unable to find the specified registry key or value.\n";
const std::string kDone = "The operation completed successfully.\n";

// Each refusal: exit code 1, the reason on standard error, nothing printed or changed.
TEST_F(RegTest, RefusalsExitOneWithTheReasonAndChangeNothing) {
    putFile(dir_ / "empty.reg", "");
    putFile(dir_ / "other.reg", "REGEDIT 4\r\n[HKEY_LOCAL_MACHINE\\Planted]\r\n");
    // Arguments with '|' between them (DIR/ is the test's folder), and the reason.
    for (const auto& [args, message] : std::vector<std::pair<std::string, std::string>>{
             {"", "ERROR: Invalid syntax. An operation is missing.\nType \"tunexa-reg /?\""},
             {"COPY|HKLM\\Foo", "\"COPY\" is not an operation tunexa-reg knows: use QUERY, ADD,"},
             {"query", "The key name is missing.\nType \"tunexa-reg QUERY /?\" for usage."},
             {"query|HKXX\\Foo", "ERROR: Invalid key name. A key starts with HKLM,"},
             {"query|HKLM\\Foo|/v", "/v needs a value after it."},
             {"query|HKLM\\Foo|/v:a", "Unknown switch \"/v:a\"."},
             {"query|HKLM\\Foo|more", "Too many arguments: \"more\"."},
             {"add|HKLM\\Foo|/v|a|/t|REG_TEXT", "Unknown type \"REG_TEXT\""},
             {"add|HKLM\\Foo|/v|a|/t|REG_DWORD|/d|4294967296",
              "valid numeric value for /d: 0 to 4294967295,"},
             {"add|HKLM\\Foo|/v|a|/t|REG_QWORD|/d|-5", "0 to 18446744073709551615"},
             {"add|HKLM\\Foo|/v|a|/t|REG_BINARY|/d|abc", "/d for REG_BINARY must be hex digits"},
             {"add|HKLM\\Foo|/v|a|/t|REG_MULTI_SZ|/d|a\\0\\0b", "cannot hold an empty string"},
             {"add|HKLM\\Foo|/v|\xE6\x97\xA5", "ERROR: The value name holds characters that the"},
             {"delete|HKLM|/f", "ERROR: Invalid key name. A root key cannot be deleted."},
             {"delete|HKLM\\Foo|/v|a|/va", "Use only one of /v, /ve and /va."},
             {"undo|501", "N must be a number of changes from 1 to 500."},
             {"query|HKLM\\Nope", kNotFound},
             {"delete|HKLM|/v|Nope|/f", kNotFound},
             {"import|DIR/missing.reg", "ERROR: Error opening the file DIR/missing.reg. There"},
             {"import|DIR/empty.reg",
              "ERROR: DIR/empty.reg is not a registry script: its first line must be \"REGEDIT4\" "
              "or \"Windows Registry Editor Version 5.00\". Nothing was imported.\n"},
             {"import|DIR/other.reg", "other.reg is not a registry script"},
         }) {
        const auto outcome = reg(args);
        EXPECT_EQ(std::to_string(outcome.code) + outcome.out, "1") << args.substr(0, 60);
        EXPECT_THAT(outcome.err, HasSubstr(within(message)));
    }
    EXPECT_EQ(dump(), "REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE]\r\n\r\n");
}

// What ADD stores for each type: the type code and the exact bytes.
TEST_F(RegTest, AddStoresTheTypeAndBytes) {
    for (const auto& [extra, type, data] :
         std::vector<std::tuple<std::string, std::uint32_t, std::string>>{
             {"", store::REG_SZ, ""},
             {"|/d|caf\xC3\xA9 \xE2\x82\xAC", store::REG_SZ, "caf\xE9 \x80"},
             {"|-t|reg_expand_sz|-d|%PATH%", store::REG_EXPAND_SZ, "%PATH%"},
             {"|/t|REG_MULTI_SZ|/d|a\\0bc", store::REG_MULTI_SZ, "a\0bc\0\0"s},
             {"|/t|REG_MULTI_SZ|/s|#|/d|a#b", store::REG_MULTI_SZ, "a\0b\0\0"s},
             {"|/t|REG_MULTI_SZ|/d|", store::REG_MULTI_SZ, "\0"s},
             {"|/t|REG_DWORD|/d|0x12345678", store::REG_DWORD, "\x78\x56\x34\x12"},
             {"|/t|REG_DWORD|/d|4294967295", store::REG_DWORD, "\xFF\xFF\xFF\xFF"},
             {"|/t|REG_DWORD", store::REG_DWORD, "\0\0\0\0"s},
             {"|/t|REG_DWORD_BIG_ENDIAN|/d|0x102", 5, "\0\0\1\2"s},
             {"|/t|REG_QWORD|/d|0x0102030405060708", 11, "\x8\x7\x6\x5\x4\x3\x2\x1"},
             {"|/t|REG_BINARY|/d|00FFa0", store::REG_BINARY, "\0\xFF\xA0"s}}) {
        hive().deleteKeyTree(HKLM, "Foo");
        const auto outcome = reg("add|HKLM\\Foo|/v|V" + extra);
        EXPECT_EQ(outcome.out + outcome.err, kDone);
        EXPECT_EQ(hive().getValue(HKLM, "foo", "v"), (store::RawValue{type, bytes(data)})) << extra;
    }
}

// Arguments, standard input, exit code, exact output, whether the store or DIR/out.reg changed.
using Exchange = std::tuple<std::string, std::string, int, std::string, bool>;

const std::string kKey = "\nHKEY_LOCAL_MACHINE\\Software\\3Dfx Interactive\n";
const std::string kFx = "HKLM\\Software\\3Dfx Interactive";
const std::string kCount = "    Count    REG_DWORD    0x8000001e\n";
const std::string kValues =
    kKey +
    "    SSTV2_SWAPINTERVAL    REG_SZ    1\n    Path    REG_SZ    C:\\WINDOWS\\SYSTEM \"x\" "
    "\xC3\xA9\n    (Default)    REG_SZ    default\n" +
    kCount +
    "    Blob    REG_BINARY    0102030405060708090A0B0C0D0E0F10111213141516171819\n    Expand    "
    "REG_EXPAND_SZ    %PATH%\n    Nul    REG_SZ    a\n    Short    REG_DWORD    0102\n    Odd    "
    "0x1b    AB\n    Esc\"q\\    REG_SZ    \n    M    REG_MULTI_SZ    a\\0b\n    Big    "
    "REG_DWORD_BIG_ENDIAN    0x100\n    Q    REG_QWORD    0x80000000000000ff\n";
const std::string kSubkey = "\nHKEY_LOCAL_MACHINE\\Software\\3Dfx Interactive\\b\n";
const std::string kCafe =
    "\nHKEY_LOCAL_MACHINE\\Software\\3Dfx Interactive\\C\n    Caf\xC3\xA9    "
    "REG_SZ    cr\xC3\xA8me\n\n";
const std::string kCanceled = "The operation was canceled by the user.\n";
const std::string kOverwrite = "Value Count exists, overwrite(Yes/No)? ";

// What each command prints and whether it changes the store (or DIR/out.reg), each from the
// seeded store.
TEST_F(RegTest, CommandsPrintAndChangeWhatRegExeWould) {
    for (const auto& [args, input, code, out, changed] : std::vector<Exchange>{
             {"query|hklm\\software\\3dfx interactive", "", 0,
              kValues + kSubkey + "HKEY_LOCAL_MACHINE\\Software\\3Dfx Interactive\\C\n", false},
             {"query|HKLM\\Software\\3dfx interactive\\|/s", "", 0,
              kValues + kSubkey + kSubkey.substr(0, kSubkey.size() - 1) +
                  "\\Caf\xC3\xA9\n    (Default)    REG_NONE    \n" + kCafe,
              false},
             {"query|" + kFx + "|/v|COUNT", "", 0, kKey + kCount + "\n", false},
             {"query|HKLM\\Software|/v|caf\xC3\xA9|/s", "", 0,
              kCafe + "End of search: 1 match(es) found.\n", false},
             {"query|HKLM\\Software|/v|no|/s", "", 1, "\nEnd of search: 0 match(es) found.\n",
              false},
             {"add|" + kFx + "|/v|Count|/d|1", "Y\r\n", 0, kOverwrite + kDone, true},
             {"add|" + kFx + "|/v|Count", "", 0, kOverwrite + "\n" + kCanceled, false},
             {"add|" + kFx + "|/v|Count", "maybe\nYES\n", 0, kOverwrite + kOverwrite + kDone, true},
             {"add|" + kFx + "|/v|Count|/t|REG_DWORD|/F", "", 0, kDone, true},
             {"delete|" + kFx + "|/ve", "y\n", 0,
              "Delete the registry value (Default) (Yes/No)? " + kDone, true},
             {"delete|HKLM\\Software\\3dfx interactive", "n\n", 0,
              "Permanently delete the registry key HKEY_LOCAL_MACHINE\\Software\\3Dfx Interactive "
              "(Yes/No)? " +
                  kCanceled,
              false},
             {"export|HKLM\\Software|DIR/out.reg", "", 0,
              "File DIR/out.reg exists, overwrite(Yes/No)? \n" + kCanceled, false},
             {"export|HKLM\\Software|DIR/out.reg|-5", "yes\n", 0,
              "File DIR/out.reg exists, overwrite(Yes/No)? " + kDone, true}}) {
        seed();
        const auto before = dump() + fileBytes(dir_ / "out.reg");
        const auto outcome = reg(args, input);
        EXPECT_EQ(outcome.code, code) << args << outcome.err;
        EXPECT_EQ(outcome.out, within(out)) << args;
        EXPECT_EQ(dump() + fileBytes(dir_ / "out.reg") != before, changed) << args;
    }
    // Deleting all values keeps the subkeys; deleting a key keeps its parent.
    EXPECT_EQ(reg("delete|" + kFx + "|/va|/f").code, 0);
    EXPECT_TRUE(hive().values(HKLM, kFx.substr(5)).empty());
    EXPECT_EQ(hive().subkeys(HKLM, kFx.substr(5)).size(), 2u);
    EXPECT_EQ(reg("delete|" + kFx + "|/f").code, 0);
    EXPECT_EQ(hive().subkeys(HKLM, ""), std::vector<std::string>{"Software"});
}

// EXPORT, then IMPORT, brings the tree back; a file that cannot be written is refused (the
// project's file writer, whose temporary files the drive tests watch). A line IMPORT skips is
// named; the rest goes in.
TEST_F(RegTest, ExportAndImportBringBackTheTree) {
    seed();
    ASSERT_EQ(reg("export|HKLM\\Software|DIR/backup.reg|/5").code, 0);
    const auto before = dump();
    ASSERT_EQ(reg("delete|HKLM\\Software|/f").code, 0);
    const auto outcome = reg("import|DIR/backup.reg");
    EXPECT_EQ(std::to_string(outcome.code) + outcome.out + outcome.err, "0" + kDone);
    EXPECT_EQ(dump(), before);
    std::filesystem::create_directory(dir_ / "folder");
    for (const char* target : {"DIR/no/x.reg", "DIR/folder"}) {
        const auto refused = reg("export|HKLM\\Software|"s + target + "|/y");
        EXPECT_EQ(refused.code, 1);
        EXPECT_EQ(refused.err.find("ERROR: Cannot write "), 0u);
    }
    const auto file = putFile(dir_ / "in.reg",
                              "REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\Imported]\r\n"
                              "\"bad\"=dword:xyz\r\n\"good\"=\"1\"\r\n");
    const auto partly = reg("import|" + file);
    EXPECT_EQ(partly.code, 1);
    EXPECT_EQ(partly.err, file +
                              ":4: dword: needs 1 to 8 hex digits\nERROR: Not all data was "
                              "successfully written to the registry: the lines named above were "
                              "skipped or changed; the rest was imported.\n");
    EXPECT_EQ(store::RegGetString(HKLM, "Imported", "good"), "1");
}

// A store that cannot be opened refuses every write with its reason; a disk that fills up while
// the import is saved keeps nothing of the file, and says so.
TEST_F(RegTest, AStoreThatCannotSaveKeepsNothingAndSaysWhy) {
    const auto file = putFile(dir_ / "in.reg", "REGEDIT4\r\n[HKEY_LOCAL_MACHINE\\Imported]\r\n");
    putFile(dir_ / "file", "x");
    const auto broken = store::Hive::open(dir_ / "file" / "registry.db");
    for (const auto& args : {"add|HKLM\\Foo|/v|a"s, "import|" + file}) {
        const auto refused = reg(args, "", broken.get());
        EXPECT_EQ(refused.code, 1);
        EXPECT_THAT(refused.err, HasSubstr("ERROR: Error accessing the registry: "));
    }
    seed();
    const auto before = dump();
    putFile(dir_ / "big.reg", "REGEDIT4\r\n[HKEY_LOCAL_MACHINE\\Big]\r\n\"Text\"=\"" +
                                  std::string(1200000, 'x') + "\"\r\n");
    // The disk fills up as the import's change is written: nothing of it stays.
    const auto full = [&] {
        const FileSizeLimit limit(std::filesystem::file_size(dir_ / "registry.db-wal") + 99999);
        return reg("import|DIR/big.reg");
    }();
    EXPECT_EQ(std::to_string(full.code) + full.out + full.err,
              "1ERROR: Error accessing the registry: disk I/O error. Nothing was imported.\n");
    EXPECT_EQ(dump(), before);
    // A store whose values cannot be read is told so, and no half export is written.
    ASSERT_EQ(sql(dir_ / "registry.db",
                  "ALTER TABLE vals RENAME TO hidden; ALTER TABLE changes RENAME TO gone"),
              SQLITE_OK);
    const auto unread = reg("export|HKLM\\Software|DIR/unread.reg");
    EXPECT_EQ(unread.err, "ERROR: Error accessing the registry: no such table: vals\n");
    EXPECT_FALSE(std::filesystem::exists(dir_ / "unread.reg"));
    EXPECT_EQ(reg("history").err, "ERROR: Error accessing the registry: no such table: changes\n");
}

// The real tunexa-reg on a store damaged by another program since a session closed it sound, its
// time set back: the damage is caught before the write, told, and the file moved aside untouched;
// the write goes into the empty store that takes its place.
TEST_F(RegTest, TheToolMovesADamagedStoreAsideBeforeItWrites) {
    const auto data = dir_ / "xdg";
    const auto file = data / "tunexa" / "registry.db";
    ASSERT_TRUE(store::Hive::open(file)->createKey(HKLM, "Kept"));
    const std::string damaged = damageKeepingTime(file);
    const std::string out = shell("XDG_DATA_HOME=" + data.string() +
                                  " " TUNEXA_REG_BINARY " add 'HKLM\\New' /v v /d x /f");
    const auto moved = out.substr(out.find(" moved to ") + 10,
                                  out.find(" and an empty") - 10 - out.find(" moved to "));
    EXPECT_EQ(out, "WARNING: The settings store " + file.string() +
                       " was damaged; it was moved to " + moved +
                       " and an empty one took its place.\n" + kDone);
    EXPECT_EQ(fileBytes(moved), damaged);
    EXPECT_EQ(store::Hive::open(file)->subkeys(HKLM, ""), std::vector<std::string>{"New"});
}

// Every write is a recorded change: HISTORY lists it, UNDO puts it back (asking before it
// overwrites what changed since), PROFILE keeps and restores the managed values and, with drive C:
// a disk image, the Glide batch file inside it.
TEST_F(RegTest, HistoryUndoAndProfilesWorkOnTheRecord) {
    const auto image = dir_ / "win98.img";
    makeFatImage(image, {"bare FAT16", 16, FatLayout::Bare, 0}, 8 * 1024);
    ASSERT_TRUE(files::useAsDriveC(image));
    const auto batch = [&](const std::string& bytes) {
        shell("printf " + quote(bytes) + " | mcopy -o " + mtoolsImage(image, 0) +
              " - ::/TUNEXA.BAT");
    };
    const std::string key = "HKLM\\Software\\3Dfx Interactive\\Voodoo2\\D3D";
    // The stored clock and the batch file.
    const auto clock = [&] {
        return store::RegGetString(HKLM, key.substr(5), "SSTV2_GRXCLK").value_or("-") + "|" +
               shell("mtype " + mtoolsImage(image, 0) + " ::/tunexa.bat");
    };
    EXPECT_EQ(reg("history").out, "No change is recorded.\n");
    ASSERT_EQ(reg("add|" + key + "|/v|SSTV2_GRXCLK|/d|95|/f").code, 0);
    const auto history = reg("history").out;
    EXPECT_EQ(history.find("1    "), 0u) << history;
    EXPECT_THAT(history,
                HasSubstr("    tunexa-reg add \"" + key + "\" /v SSTV2_GRXCLK /d 95 /f\n"));
    batch("REM saved");
    ASSERT_EQ(reg("profile|save|Quake").code, 0);
    ASSERT_EQ(reg("add|" + key + "|/v|SSTV2_GRXCLK|/d|100|/f").code, 0);
    batch("REM later");
    EXPECT_EQ(reg("profile|list").out, "  Quake\n");
    ASSERT_EQ(reg("profile|apply|QUAKE").code, 0);
    EXPECT_EQ(clock(), "95|REM saved");
    EXPECT_EQ(reg("profile|list").out, "* Quake\n");
    EXPECT_EQ(reg("undo").out, "Undone: Apply profile \"Quake\"\n" + kDone);
    EXPECT_EQ(clock(), "100|REM later");

    store::RegSetString(HKLM, key.substr(5), "SSTV2_GRXCLK", "99");  // elsewhere
    const auto asked = reg("undo|2", "n\n");
    EXPECT_THAT(asked.out, HasSubstr("SSTV2_GRXCLK: now REG_SZ 99, the change left REG_SZ 100"));
    EXPECT_EQ(clock(), "99|REM later");
    EXPECT_THAT(reg("undo|99").err, HasSubstr("changes are recorded. Nothing was undone."));
    ASSERT_EQ(reg("undo|2|/f").code, 0);  // back to before the profile and its undo
    EXPECT_EQ(clock(), "100|REM later");
    ASSERT_EQ(reg("profile|delete|quake", "y\n").code, 0);
    EXPECT_EQ(reg("profile|list").out, "");
    std::filesystem::remove(files::Drives().dosdevices() / "c:");
}

// Imported whole or in part, under the root its name or /root chooses, a name the store cannot
// hold named; or, damaged or asked for what it cannot give, refused with nothing imported.
TEST_F(RegTest, W9xFilesGoUnderTheRootChosenOrImportNothing) {
    const std::string damaged = "SYSTEM.DAT is damaged, so nothing was imported:\n  ";
    const std::string sound = buildCregFile(kSystemDat);
    // The file's name and bytes, more arguments ('|' between them), and the root it lands under
    // with the output's root, or 0 with part of the refusal.
    for (const auto& [fileName, bytes, extra, root, message] :
         std::vector<std::tuple<std::string, std::string, std::string, store::HKEY, std::string>>{
             {"SYSTEM.DAT", sound, "", HKLM, "HKEY_LOCAL_MACHINE"},
             {"User.Dat", sound, "", HKEY_USERS, "HKEY_USERS"},
             {"SYSTEM.DAT", sound, "|/ROOT:hku", HKEY_USERS, "HKEY_USERS"},
             {"SYSTEM.DAT", sound, "|hklm\\software\\3DFX INTERACTIVE", HKLM,
              "HKEY_LOCAL_MACHINE\\Software\\3Dfx Interactive"},
             {"SYSTEM.DAT", withFirstSubkeyAt(sound, 0x100000), "", 0,
              damaged + "libfdata_area_get_element_value_at_offset: invalid element value "
                        "offset value out of bounds.\n  libcreg_"},
             {"SYSTEM.DAT", sound, "|HKLM\\Software\\Nope", 0,
              "SYSTEM.DAT holds no key HKEY_LOCAL_MACHINE\\Software\\Nope. Nothing"},
             {"SYSTEM.DAT", sound, "|HKU\\Software", 0,
              "ERROR: HKU\\Software is not under HKEY_LOCAL_MACHINE, where"},
         }) {
        SCOPED_TRACE(message);
        hive().deleteKeyTree(HKLM, "");
        hive().deleteKeyTree(HKEY_USERS, "");
        const auto file = putFile(dir_ / fileName, bytes);
        const auto outcome = reg("import|" + file + extra);
        if (root == 0) {
            EXPECT_EQ(outcome.code, 1);
            EXPECT_THAT(outcome.err, HasSubstr(message));
            EXPECT_EQ(dump() + dump(HKEY_USERS),
                      "REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE]\r\n\r\n"
                      "REGEDIT4\r\n\r\n[HKEY_USERS]\r\n\r\n");
            continue;
        }
        const bool whole = message.find("3Dfx") == std::string::npos;
        EXPECT_EQ(outcome.code, whole ? 1 : 0);
        EXPECT_EQ(outcome.out, "Imported " + std::string(whole ? "12 keys and 6" : "3 keys and 5") +
                                   " values from " + file +
                                   " (a Windows 95/98 registry file) into " + message + ".\n" +
                                   (whole ? "" : kDone));
        EXPECT_EQ(outcome.err,
                  whole
                      ? file + ": " + message +
                            "\\Software\\Other: a subkey named \"a\\b\" cannot be stored (an empty "
                            "name or one holding '\\'); it and everything below it were "
                            "skipped\nERROR: Not all data was successfully written to the "
                            "registry: the names above were skipped or changed; the rest was "
                            "imported.\n"
                      : "");
        EXPECT_EQ(hive().values(root, "software\\3dfx interactive\\voodoo2\\d3d").size(), 5u);
        EXPECT_EQ(hive().keyExists(root, "Software\\Other"), whole);
        EXPECT_TRUE(hive().subkeys(root == HKEY_USERS ? HKLM : HKEY_USERS, "").empty());
    }
}

}  // namespace
}  // namespace tunexa::regtool::test
