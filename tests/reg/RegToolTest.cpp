// The registry tool: the command line (refusals and their messages, what ADD stores, what each
// command prints and asks, whole files through EXPORT and IMPORT, the change record through
// HISTORY and UNDO); regedit files (what the importer makes of each kind of line, the exporter's
// layout, byte-exact round trips); Windows 95/98 registry files imported whole, in part or
// refused; PCI devices to cards and the machine's driver keys.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <functional>
#include <random>
#include <sstream>

#include "Command.h"
#include "CregFile.h"
#include "Exporter.h"
#include "Importer.h"
#include "MachineRegistry.h"
#include "Roots.h"
#include "TempRoot.h"
#include "store/Ansi.h"
#include "store/KeyPath.h"
#include "store/Registry.h"

// libcreg leaks a 24-byte data-block entry when it gives up on some damaged files (a bare C
// program that frees everything shows it too); LeakSanitizer still reports every leak of ours.
extern "C" const char* __lsan_default_suppressions() {
    return "leak:libcreg_data_block_entry_initialize\n";
}

namespace tunexa::regtool::test {
namespace {

using namespace std::string_literals;
using store::HKEY_LOCAL_MACHINE;
using store::HKEY_USERS;
using namespace tunexa::test;  // files, CREG files and the temporary folder

inline store::Bytes bytes(std::string_view text) {
    return store::Bytes(text.begin(), text.end());
}

inline std::string joined(const std::vector<std::string>& lines,
                          std::string_view lineBreak = "\r\n") {
    std::string text;
    for (const auto& line : lines) {
        text.append(line).append(lineBreak);
    }
    return text;
}

// A Windows 98 regedit export (CR LF, a blank line before each key, hex wrapped at regedit's
// width with a two-blank indent) with every form of value line regedit writes. Imported and
// exported again it is the same file.
const std::vector<std::string> kRegeditExport = {
    "REGEDIT4",
    "",
    "[HKEY_LOCAL_MACHINE\\Software\\3Dfx Interactive]",
    "\"SSTV2_SWAPINTERVAL\"=\"1\"",
    "\"Path\"=\"C:\\\\WINDOWS\\\\SYSTEM \\\"x\\\" \xE9\"",
    "@=\"default\"",
    "\"Count\"=dword:8000001e",
    "\"Blob\"=hex:01,02,03,04,05,06,07,08,09,0a,0b,0c,0d,0e,0f,10,11,12,13,14,15,16,\\",
    "  17,18,19",
    "\"Expand\"=hex(2):25,50,41,54,48,25,00",
    "\"Nul\"=hex(1):61,00,0d,0a",
    "\"Short\"=hex(4):01,02",
    "\"Odd\"=hex(1b):ab",
    "\"Esc\\\"q\\\\\"=\"\"",
    "\"M\"=hex(7):61,00,62,00,00",
    "\"Big\"=hex(5):00,00,01,00",
    "\"Q\"=hex(b):ff,00,00,00,00,00,00,80",
    "",
    "[HKEY_LOCAL_MACHINE\\Software\\3Dfx Interactive\\b]",
    "",
    "[HKEY_LOCAL_MACHINE\\Software\\3Dfx Interactive\\b\\Caf\xE9]",
    "@=hex(0):",
    "",
    "[HKEY_LOCAL_MACHINE\\Software\\3Dfx Interactive\\C]",
    "\"Caf\xE9\"=\"cr\xE8me\"",
    "",
};

// "k\k\...": a path of `depth` keys.
inline std::string keyPath(std::size_t depth) {
    std::string path = "k";
    for (std::size_t i = 1; i < depth; ++i) {
        path += "\\k";
    }
    return path;
}

// Each test gets its own hive file, installed as the process's hive so that the seven store
// operations (RegGetString, ...) read what the tool wrote.
class RegTest : public ::testing::Test {
  protected:
    void SetUp() override { store::useHiveFile(dir_ / "registry.db"); }
    void TearDown() override { store::useHive(nullptr); }

    store::Hive& hive() { return store::currentHive(); }

    struct Outcome {
        int code;
        std::string out, err;
    };

    // "DIR/" in a text stands for the test's folder.
    std::string within(std::string text) const {
        const std::string folder = dir_.path().string() + "/";
        for (auto at = text.find("DIR/"); at != std::string::npos; at = text.find("DIR/", at)) {
            text.replace(at, 4, folder);
            at += folder.size();
        }
        return text;
    }

    // The tool run on `args`, arguments separated by '|', on the test's hive or `on`.
    Outcome reg(const std::string& args, const std::string& input = "", store::Hive* on = nullptr) {
        std::vector<std::string> list;
        for (std::size_t start = 0; !args.empty() && start <= args.size();) {
            const auto end = std::min(args.find('|', start), args.size());
            list.push_back(within(args.substr(start, end - start)));
            start = end + 1;
        }
        std::istringstream in(input);
        std::ostringstream out, err;
        const int code = run(on ? *on : hive(), list, in, out, err);
        return {code, out.str(), err.str()};
    }

    void set(std::string_view key, std::string_view name, std::uint32_t type,
             std::string_view data) {
        ASSERT_TRUE(hive().setValue(HKEY_LOCAL_MACHINE, key, name, type, bytes(data)));
    }

    // Everything below a root as a REGEDIT4 text: what a test compares the store by.
    std::string dump(store::HKEY root = HKEY_LOCAL_MACHINE) {
        return exportRegFile(hive(), {root, ""}).value_or("");
    }

    // Every form of value that query, the questions and export work on, and a file to overwrite.
    void seed() {
        hive().deleteKeyTree(HKEY_LOCAL_MACHINE, "");
        ASSERT_TRUE(importRegFile(hive(), joined(kRegeditExport)).saved);
        putFile(dir_ / "out.reg", "keep");
    }

    tunexa::test::TempDir dir_;
};

const std::string kNotFound =
    "ERROR: The system was unable to find the specified registry key or value.\n";
const std::string kDone = "The operation completed successfully.\n";

// Each refusal: exit code 1, the reason on standard error, nothing printed or changed.
TEST_F(RegTest, RefusalsExitOneWithTheReasonAndChangeNothing) {
    putFile(dir_ / "empty.reg", "");
    putFile(dir_ / "other.reg", "REGEDIT 4\r\n[HKEY_LOCAL_MACHINE\\Planted]\r\n");
    putFile(dir_ / "good.reg", "REGEDIT4\r\n[HKEY_LOCAL_MACHINE\\Planted]\r\n");
    // Arguments with '|' between them (DIR/ is the test's folder), and the reason.
    for (const auto& [args, message] : std::vector<std::pair<std::string, std::string>>{
             {"", "ERROR: Invalid syntax. An operation is missing.\nType \"tunexa-reg /?\""},
             {"COPY|HKLM\\Foo", "\"COPY\" is not an operation tunexa-reg knows: use QUERY, ADD,"},
             {"query", "The key name is missing.\nType \"tunexa-reg QUERY /?\" for usage."},
             {"query|HKXX\\Foo", "ERROR: Invalid key name. A key starts with HKLM,"},
             {"query|\\\\pc\\HKLM\\Foo", "Remote machines are not supported"},
             {"query|HKLM\\Foo|/v", "/v needs a value after it."},
             {"add|HKXX\\Foo|/ve|/v|a", "/v and /ve cannot be used together."},
             {"query|HKLM\\Foo|/v:a", "Unknown switch \"/v:a\"."},
             {"query|HKLM\\Foo|more", "Too many arguments: \"more\"."},
             {"add|HKLM\\Foo|/v|a|-V|b", "-V is given more than once."},
             {"add|HKLM\\Foo|/v|a|/t|REG_TEXT", "Unknown type \"REG_TEXT\""},
             {"add|HKLM\\Foo|/v|a|/t|REG_DWORD|/d|4294967296",
              "valid numeric value for /d: 0 to 4294967295,"},
             {"add|HKLM\\Foo|/v|a|/t|REG_QWORD|/d|-5", "0 to 18446744073709551615"},
             {"add|HKLM\\Foo|/v|a|/t|REG_BINARY|/d|abc", "/d for REG_BINARY must be hex digits"},
             {"add|HKLM\\Foo|/v|a|/s|#|/d|x", "/s is only for REG_MULTI_SZ data."},
             {"add|HKLM\\Foo|/v|a|/t|REG_MULTI_SZ|/s|##", "/s needs exactly one character."},
             {"add|HKLM\\Foo|/v|a|/t|REG_MULTI_SZ|/d|a\\0\\0b", "cannot hold an empty string"},
             {"add|HKLM\\Foo|/v|\xE6\x97\xA5", "ERROR: The value name holds characters that the"},
             {"delete|HKLM|/f", "ERROR: Invalid key name. A root key cannot be deleted."},
             {"delete|HKLM\\Foo|/v|a|/va", "Use only one of /v, /ve and /va."},
             {"undo|501", "N must be a number of changes from 1 to 500."},
             {"query|HKLM\\Nope", kNotFound},
             {"delete|HKLM|/v|Nope|/f", kNotFound},
             {"add|HKLM\\" + keyPath(513), "key is 513 levels deep, more than the 512 the"},
             {"query|HKLM\\a\\" + std::string(256, 'k'), "a key name of 256 characters is longer"},
             {"add|HKLM\\a|/v|" + std::string(16384, 'v'), "value name of 16384 characters is"},
             {"import|DIR/missing.reg", "ERROR: Error opening the file DIR/missing.reg. There"},
             {"import|DIR/empty.reg",
              "ERROR: DIR/empty.reg is not a registry script: its first line must be \"REGEDIT4\" "
              "or \"Windows Registry Editor Version 5.00\". Nothing was imported.\n"},
             {"import|DIR/other.reg", "other.reg is not a registry script"},
             {"import|DIR/good.reg|HKLM", "are for Windows 95/98 registry files (SYSTEM.DAT"}}) {
        const auto outcome = reg(args);
        EXPECT_EQ(outcome.code, 1) << args.substr(0, 60);
        EXPECT_NE(outcome.err.find(within(message)), std::string::npos) << outcome.err;
        EXPECT_EQ(outcome.out, "");
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
        hive().deleteKeyTree(HKEY_LOCAL_MACHINE, "Foo");
        const auto outcome = reg("add|HKLM\\Foo|/v|V" + extra);
        EXPECT_EQ(outcome.out + outcome.err, kDone);
        EXPECT_EQ(hive().getValue(HKEY_LOCAL_MACHINE, "foo", "v"),
                  (store::RawValue{type, bytes(data)}))
            << extra;
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
    EXPECT_TRUE(hive().values(HKEY_LOCAL_MACHINE, kFx.substr(5)).empty());
    EXPECT_EQ(hive().subkeys(HKEY_LOCAL_MACHINE, kFx.substr(5)).size(), 2u);
    EXPECT_EQ(reg("delete|" + kFx + "|/f").code, 0);
    EXPECT_EQ(hive().subkeys(HKEY_LOCAL_MACHINE, ""), std::vector<std::string>{"Software"});
}

// A store damaged by another program since the last session, its time set back, is moved aside
// untouched before tunexa-reg writes; the write goes into the empty store that takes its place.
TEST_F(RegTest, ADamagedStoreIsMovedAsideBeforeAnyWrite) {
    const auto file = dir_ / "other" / "registry.db";
    ASSERT_TRUE(store::Hive::open(file)->createKey(HKEY_LOCAL_MACHINE, "Kept"));
    const std::string damaged = damageKeepingTime(file);
    const auto opened = store::Hive::open(file);  // as tunexa-reg opens its store
    EXPECT_EQ(opened->report().outcome, store::OpenOutcome::ReplacedDamaged);
    EXPECT_EQ(reg("add|HKLM\\New|/v|v|/d|x", "", opened.get()).out, kDone);
    EXPECT_EQ(fileBytes(opened->report().movedAsideTo), damaged);
    EXPECT_EQ(opened->subkeys(HKEY_LOCAL_MACHINE, ""), std::vector<std::string>{"New"});
}

// EXPORT, then IMPORT, brings the tree back; the file is written whole, through a temporary file
// that never stays behind. A line IMPORT skips is named; the rest goes in.
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
    for (const auto& entry : std::filesystem::directory_iterator(dir_.path())) {
        EXPECT_EQ(entry.path().string().find(".tmp-"), std::string::npos);
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
    EXPECT_EQ(store::RegGetString(HKEY_LOCAL_MACHINE, "Imported", "good"), "1");
    // A store that cannot save refuses every write with its reason.
    putFile(dir_ / "file", "x");
    const auto broken = store::Hive::open(dir_ / "file" / "registry.db");
    for (const auto& args : {"add|HKLM\\Foo|/v|a"s, "import|" + file}) {
        const auto refused = reg(args, "", broken.get());
        EXPECT_EQ(refused.code, 1);
        EXPECT_NE(refused.err.find("ERROR: Error accessing the registry: "), std::string::npos);
    }
    // A store whose values cannot be read is told so, and no half export is written.
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open((dir_ / "registry.db").c_str(), &db), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(db, "ALTER TABLE vals RENAME TO hidden", nullptr, nullptr, nullptr),
              SQLITE_OK);
    sqlite3_close(db);
    const auto unread = reg("export|HKLM\\Software|DIR/unread.reg");
    EXPECT_EQ(unread.err, "ERROR: Error accessing the registry: no such table: vals\n");
    EXPECT_FALSE(std::filesystem::exists(dir_ / "unread.reg"));
}

// Every write is a recorded change: HISTORY lists it, UNDO puts it back (asking before it
// overwrites what changed since), PROFILE keeps and restores the managed values.
TEST_F(RegTest, HistoryUndoAndProfilesWorkOnTheRecord) {
    const std::string key = "HKLM\\Software\\3Dfx Interactive\\Voodoo2\\D3D";
    const auto clock = [&] {
        return store::RegGetString(HKEY_LOCAL_MACHINE, key.substr(5), "SSTV2_GRXCLK");
    };
    EXPECT_EQ(reg("history").out, "No change is recorded.\n");
    ASSERT_EQ(reg("add|" + key + "|/v|SSTV2_GRXCLK|/d|95|/f").code, 0);
    const auto history = reg("history").out;
    EXPECT_EQ(history.find("1    "), 0u) << history;
    EXPECT_NE(history.find("    tunexa-reg add \"" + key + "\" /v SSTV2_GRXCLK /d 95 /f\n"),
              std::string::npos)
        << history;
    ASSERT_EQ(reg("profile|save|Quake").code, 0);
    ASSERT_EQ(reg("add|" + key + "|/v|SSTV2_GRXCLK|/d|100|/f").code, 0);
    EXPECT_EQ(reg("profile|list").out, "  Quake\n");
    ASSERT_EQ(reg("profile|apply|QUAKE").code, 0);
    EXPECT_EQ(clock(), "95");
    EXPECT_EQ(reg("profile|list").out, "* Quake\n");
    EXPECT_EQ(reg("undo").out, "Undone: Apply profile \"Quake\"\n" + kDone);
    EXPECT_EQ(clock(), "100");
    ASSERT_EQ(reg("undo").code, 0);  // undoing the undo redoes
    EXPECT_EQ(clock(), "95");

    set(key.substr(5), "SSTV2_GRXCLK", store::REG_SZ, "99");  // another program
    const auto asked = reg("undo|2", "n\n");
    EXPECT_NE(asked.out.find("SSTV2_GRXCLK: now REG_SZ 99, the change left REG_SZ 95"),
              std::string::npos)
        << asked.out;
    EXPECT_EQ(clock(), "99");
    EXPECT_NE(reg("undo|99").err.find("changes are recorded. Nothing was undone."),
              std::string::npos);
    ASSERT_EQ(reg("undo|2|/f").code, 0);  // back to before the undo and its redo
    EXPECT_EQ(clock(), "95");
    ASSERT_EQ(reg("profile|delete|quake", "y\n").code, 0);
    EXPECT_EQ(reg("profile|list").out, "");
}

std::vector<std::size_t> warnedLines(const ImportResult& result) {
    std::vector<std::size_t> lines;
    for (const auto& warning : result.warnings) {
        lines.push_back(warning.line);
    }
    return lines;
}

// A Windows 98 regedit export imports whatever its line breaks, and exports again unchanged.
TEST_F(RegTest, ARegeditExportImportsAndExportsAgainUnchanged) {
    for (const char* lineBreak : {"\r\n", "\n", "\r"}) {
        hive().deleteKeyTree(HKEY_LOCAL_MACHINE, "");
        const auto result = importRegFile(hive(), joined(kRegeditExport, lineBreak));
        EXPECT_TRUE(result.saved && result.warnings.empty());
        // Strings are stored as the store's own writers store them, without a terminating NUL,
        // else they would go out as hex(1).
        EXPECT_EQ(exportRegFile(hive(), {HKEY_LOCAL_MACHINE, "software\\3DFX INTERACTIVE"}),
                  joined(kRegeditExport));
    }
}

// Each line goes between a value before it and one after it, in key T.
std::string around(const std::string& line) {
    return "REGEDIT4\r\n[HKEY_LOCAL_MACHINE\\T]\r\n\"before\"=\"1\"\r\n" + line +
           "\r\n\"after\"=\"2\"\r\n";
}

// Each kind of value line: a malformed one is skipped with a warning naming its line and the rest
// imported; a comment or a blank line stores nothing (type 0); any other stores its type and
// bytes. One malformed line for each way the parser can find a line wrong.
TEST_F(RegTest, EachValueLineStoresItsTypeAndBytesOrIsSkippedWithAWarning) {
    const std::optional<std::uint32_t> kSkipped;
    for (const auto& [line, name, type, data] : std::vector<
             std::tuple<std::string, std::string, std::optional<std::uint32_t>, std::string>>{
             {"\"n\"=\"unterminated", "", kSkipped, ""},
             {"\"n\"=", "", kSkipped, ""},
             {"\"n\"=\"x\" tail", "", kSkipped, ""},
             {"\"n\"=-x", "", kSkipped, ""},
             {"\"n\"=dword:123456789", "", kSkipped, ""},
             {"\"n\"=dword:12g4", "", kSkipped, ""},
             {"\"n\"=hex:123", "", kSkipped, ""},
             {"\"n\"=hex:01,,02", "", kSkipped, ""},
             {"\"n\"=hex(123456789):01", "", kSkipped, ""},
             {"garbage", "", kSkipped, ""},
             {"\"n\"=\"a\0b\""s, "", kSkipped, ""},
             {"; a comment", "", 0, ""},
             {"\"c\"=\"a;b\" ; comment", "c", store::REG_SZ, "a;b"},
             {"\"d\"=DWORD:ff ; comment", "d", store::REG_DWORD, "\xff\0\0\0"s},
             {"\"h\"=hex:a,0B, ; comment", "h", store::REG_BINARY, "\x0a\x0b"},
             {"\"h\"=hex(ffffffff):00", "h", 0xffffffff, "\0"s},
             {"\"e\"=\"a\\\\b\\\"c\\r\\nd\\q\"", "e", store::REG_SZ, "a\\b\"c\r\nd\\q"},
             {"  \"i\" = \"spaced\"", "i", store::REG_SZ, "spaced"},
             {"\"\"=\"default\"", "", store::REG_SZ, "default"}}) {
        hive().deleteKeyTree(HKEY_LOCAL_MACHINE, "T");
        const auto result = importRegFile(hive(), around(line));
        EXPECT_EQ(warnedLines(result),
                  type ? std::vector<std::size_t>{} : std::vector<std::size_t>{4})
            << line;
        EXPECT_EQ(hive().values(HKEY_LOCAL_MACHINE, "T").size(), type.value_or(0) ? 3u : 2u)
            << line;
        if (type.value_or(0) != 0) {
            EXPECT_EQ(hive().getValue(HKEY_LOCAL_MACHINE, "T", name),
                      (store::RawValue{*type, bytes(data)}))
                << line;
        }
    }
}

// A line beyond the registry's limits, or a key line that leaves no key: its values are skipped,
// each with a warning, unless the key broke a limit, whose one warning stands for them. At the
// limits everything goes in.
TEST_F(RegTest, LinesThatLeaveNoKeyOrBreakALimitAreSkipped) {
    for (const auto& [line, warned] : std::vector<std::pair<std::string, std::vector<std::size_t>>>{
             {"[HKEY_LOCAL_MACHINE\\U", {4, 5}},
             {"[HKLM\\U]", {4, 5}},
             {"[-HKEY_LOCAL_MACHINE]", {4, 5}},
             {"[-HKEY_LOCAL_MACHINE\\U]", {5}},
             {"[HKEY_LOCAL_MACHINE\\" + keyPath(513) + "]", {4}},
             {"[HKEY_LOCAL_MACHINE\\U\\" + std::string(256, 'n') + "]", {4}},
             {"\"" + std::string(16384, 'n') + "\"=\"1\"", {4}}}) {
        hive().deleteKeyTree(HKEY_LOCAL_MACHINE, "T");
        EXPECT_EQ(warnedLines(importRegFile(hive(), around(line))), warned) << line.substr(0, 30);
        EXPECT_EQ(hive().values(HKEY_LOCAL_MACHINE, "T").size(), line[0] == '"' ? 2u : 1u);
    }
    const std::string longest = "[HKEY_LOCAL_MACHINE\\U\\" + std::string(255, 'n') + "]";
    const auto result =
        importRegFile(hive(), around("[HKEY_LOCAL_MACHINE\\" + keyPath(512) + "]\r\n" + longest +
                                     "\r\n\"" + std::string(16383, 'n') + "\"=\"1\""));
    EXPECT_TRUE(result.warnings.empty());
    EXPECT_TRUE(hive().keyExists(HKEY_LOCAL_MACHINE, keyPath(512)));
    EXPECT_EQ(hive().values(HKEY_LOCAL_MACHINE, "U\\" + std::string(255, 'n')).size(), 2u);
}

// Deletions, continued hex lines, odd key names: the store ends as regedit would leave it.
TEST_F(RegTest, ImportsLeaveTheStoreAsRegeditWould) {
    ASSERT_TRUE(importRegFile(hive(),
                              "REGEDIT4\r\n[HKEY_LOCAL_MACHINE\\Old\\Child]\r\n\"x\"=\"1\""
                              "\r\n[HKEY_LOCAL_MACHINE\\Keep]\r\n\"Gone\"=\"1\"\r\n@=\"d\""
                              "\r\n\"Stays\"=\"1\"\r\n")
                    .saved);
    const auto result = importRegFile(
        hive(), joined({"REGEDIT4", "\"lost\"=\"1\"", "[-HKEY_LOCAL_MACHINE\\OLD]",
                        "[-HKEY_LOCAL_MACHINE\\Never]", "[HKEY_LOCAL_MACHINE\\Keep]", "\"gone\"=-",
                        "@=-", "\"NotThere\"=-", "[HKEY_LOCAL_MACHINE\\\\ Spaced \\\\]",
                        "\"v\"=\"1\"", "[hkey_local_machine\\A]b] ; the name holds ']'",
                        "\"w\"=hex:\\", "  01,02,\\", "\t03 , 04,\\ ; more follows", "  05",
                        "\"x\"=hex:01,\\", "[HKEY_LOCAL_MACHINE\\H]", "\"y\"=hex(0):ff,\\"}));
    EXPECT_EQ(warnedLines(result), (std::vector<std::size_t>{2, 16}));
    EXPECT_EQ(dump(),
              joined({"REGEDIT4", "", "[HKEY_LOCAL_MACHINE]", "", "[HKEY_LOCAL_MACHINE\\ Spaced ]",
                      "\"v\"=\"1\"", "", "[HKEY_LOCAL_MACHINE\\A]b]", "\"w\"=hex:01,02,03,04,05",
                      "", "[HKEY_LOCAL_MACHINE\\H]", "\"y\"=hex(0):ff", "",
                      "[HKEY_LOCAL_MACHINE\\Keep]", "\"Stays\"=\"1\"", ""}));
}

TEST_F(RegTest, Version5FilesAreUtf16AndSoIsTheirTextData) {
    const std::vector<std::string> five = {"Windows Registry Editor Version 5.00",
                                           "",
                                           "[HKEY_LOCAL_MACHINE\\Five]",
                                           "\"Euro\"=\"\x80\"",
                                           "\"Expand\"=hex(2):25,00,41,00,25,00,00,00",
                                           "\"Bin\"=hex:61,00"};
    const std::string file = "\xFF\xFE" + ansi::toUtf16Le(joined(five) + "\"Far\"=\"") +
                             "\xE5\x65"s + ansi::toUtf16Le("\"\r\n");  // U+65E5: not in 1252
    const auto result = importRegFile(hive(), file);
    EXPECT_EQ(warnedLines(result), std::vector<std::size_t>{7});
    EXPECT_EQ(dump(), "REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE]\r\n" +
                          joined({"", "[HKEY_LOCAL_MACHINE\\Five]", "\"Euro\"=\"\x80\"",
                                  "\"Expand\"=hex(2):25,41,25,00", "\"Bin\"=hex:61,00",
                                  "\"Far\"=\"?\"", ""}));
    hive().deleteValue(HKEY_LOCAL_MACHINE, "Five", "Far");
    EXPECT_EQ(exportRegFile(hive(), {HKEY_LOCAL_MACHINE, "five"}, RegFileFormat::Version5),
              "\xFF\xFE" + ansi::toUtf16Le(joined(five) + "\r\n"));
    EXPECT_FALSE(exportRegFile(hive(), {HKEY_LOCAL_MACHINE, "Nowhere"}));
}

// An import is one transaction: a write the store refuses midway (here a trigger) leaves nothing
// of the file, with the store's reason. (Inside a caller's batch it joins it: machine import.)
TEST_F(RegTest, AnImportIsOneTransaction) {
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open((dir_ / "registry.db").c_str(), &db), SQLITE_OK);
    EXPECT_EQ(
        sqlite3_exec(db,
                     "CREATE TRIGGER refuse BEFORE INSERT ON vals WHEN NEW.name = "
                     "CAST('Odd' AS BLOB) BEGIN SELECT RAISE(ABORT, 'refused by the disk'); END;",
                     nullptr, nullptr, nullptr),
        SQLITE_OK);
    sqlite3_close(db);
    const auto failed = importRegFile(hive(), joined(kRegeditExport));
    EXPECT_TRUE(failed.recognized && !failed.saved && !hive().inBatch());
    EXPECT_NE(failed.failure.find("refused by the disk"), std::string::npos) << failed.failure;
    EXPECT_FALSE(hive().keyExists(HKEY_LOCAL_MACHINE, "Software"));
}

// Every key and value below Tree, independently of the exporter.
std::vector<std::string> snapshot(store::Hive& hive, const std::string& key) {
    std::vector<std::string> shot = {key};
    for (const auto& value : hive.values(HKEY_LOCAL_MACHINE, key)) {
        shot.push_back(value.name + "=" + std::to_string(value.type) + ":" +
                       std::string(value.data.begin(), value.data.end()));
    }
    for (const auto& child : hive.subkeys(HKEY_LOCAL_MACHINE, key)) {
        const auto below = snapshot(hive, store::joinPath(key, child));
        shot.insert(shot.end(), below.begin(), below.end());
    }
    return shot;
}

// Random names, types and bytes: whatever the store holds goes out and comes back exactly.
TEST_F(RegTest, AnyTreeComesBackExactlyThroughEitherFormat) {
    std::mt19937 random(20261206);
    // A key name cannot hold a backslash (the separator) or a line break.
    auto text = [&](int minLength, int maxLength, int lowest, bool keyName = false) {
        std::string out(std::uniform_int_distribution<int>(minLength, maxLength)(random), '_');
        for (char& c : out) {
            c = static_cast<char>(std::uniform_int_distribution<int>(lowest, 255)(random));
            c = keyName && (c == '\\' || c == '\r' || c == '\n') ? '_' : c;
        }
        return out;
    };
    set("Tree", "", store::REG_SZ, "the default");
    set("Tree", "@", store::REG_SZ, "");
    ASSERT_TRUE(hive().createKey(HKEY_LOCAL_MACHINE, "Tree\\Empty key"));
    for (int k = 0; k < 12; ++k) {
        std::string key = "Tree";
        for (int d = 0; d <= k % 3; ++d) {
            key += "\\" + text(1, 12, 1, true);
        }
        for (int v = 0; v < 12; ++v) {
            const int pick = std::uniform_int_distribution<int>(0, 9)(random);
            const auto type = static_cast<std::uint32_t>(pick < 8 ? pick : 17 * (random() % 256));
            const bool dword = type == store::REG_DWORD && v % 2 == 0;
            set(key, text(0, 20, 1), type, dword ? text(4, 4, 0) : text(0, 120, 0));
        }
    }
    const auto before = snapshot(hive(), "Tree");
    for (const RegFileFormat format : {RegFileFormat::Regedit4, RegFileFormat::Version5}) {
        const auto file = exportRegFile(hive(), {HKEY_LOCAL_MACHINE, "Tree"}, format);
        ASSERT_TRUE(file && hive().deleteKeyTree(HKEY_LOCAL_MACHINE, "Tree"));
        const auto result = importRegFile(hive(), *file);
        EXPECT_TRUE(result.saved && result.warnings.empty());
        EXPECT_EQ(snapshot(hive(), "Tree"), before);
        EXPECT_EQ(exportRegFile(hive(), {HKEY_LOCAL_MACHINE, "Tree"}, format), file);
    }
}

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

// An import of the fixture, damaged or not: its file name, more arguments ('|' between them),
// the damage, and the root it lands under with the output's root, or 0 with a part of the refusal.
using W9xCase = std::tuple<std::string, std::string, std::function<void(std::string&)>, store::HKEY,
                           std::string>;

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
