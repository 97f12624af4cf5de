// The hive and the seven operations on it; the hive file (where it lives, who may read it, damage,
// locks, write protection, the registry's limits, older hives); the change record, undo and
// profiles; crashes and several processes at once.
#include <gmock/gmock.h>
#include <grp.h>
#include <signal.h>
#include <sqlite3.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <map>
#include <set>

#include "RegText.h"
#include "TempRoot.h"
#include "store/KeyPath.h"
#include "store/Profiles.h"
#include "store/Registry.h"
#include "store/Undo.h"

namespace tunexa::store {
namespace {

using namespace std::string_literals;
using namespace tunexa::test;  // the temporary folder, files and bytes of a text
namespace fs = std::filesystem;
using fs::perms;
using testing::HasSubstr;
constexpr auto npos = std::string::npos;
constexpr HKEY HKLM = HKEY_LOCAL_MACHINE;
constexpr perms kPrivate = perms::owner_read | perms::owner_write;

// A value as the tests compare it: its type, then its bytes quoted when all are printable, else
// in hex; "-" for none. A key's image (type 0, no bytes) is "0''".
std::string image(const std::optional<RawValue>& value) {
    if (!value) {
        return "-";
    }
    const auto& data = value->data;
    const bool text =
        std::all_of(data.begin(), data.end(), [](auto c) { return c >= ' ' && c < 127; });
    std::string out = std::to_string(value->type) + (text ? "'" : ":");
    for (const std::uint8_t c : data) {
        out += text ? std::string(1, char(c))
                    : std::string{"0123456789abcdef"[c >> 4], "0123456789abcdef"[c & 15]};
    }
    return text ? out + "'" : out;
}

// A key's values as "name=image", in the hive's order.
std::string shown(Hive& hive, HKEY root, std::string_view key) {
    std::string out;
    for (const auto& value : hive.values(root, key)) {
        out +=
            (out.empty() ? "" : " ") + value.name + "=" + image(RawValue{value.type, value.data});
    }
    return out;
}

perms modeOf(const fs::path& path) {
    return fs::status(path).permissions() & perms::all;
}

// Runs SQL on the hive file through a connection of its own, as another program (or a hand edit)
// would; the SQLite result code.
int sql(const fs::path& file, const std::string& statements) {
    sqlite3* db = nullptr;
    const int rc = sqlite3_open(file.c_str(), &db) == SQLITE_OK
                       ? sqlite3_exec(db, statements.c_str(), nullptr, nullptr, nullptr)
                       : SQLITE_CANTOPEN;
    sqlite3_close(db);
    return rc;
}

// A new modification time, as another program's write gives the file.
void touch(const fs::path& file) {
    fs::last_write_time(file, fs::last_write_time(file) + std::chrono::seconds(1));
}

// Files by path, in memory.
class MemoryFiles final : public FileAccess {
  public:
    std::optional<Bytes> read(const std::string& path, std::string&) override {
        const auto found = files.find(path);
        return found == files.end() ? std::nullopt : std::optional(found->second);
    }
    bool write(const std::string& path, const std::optional<Bytes>& content,
               std::string&) override {
        content ? void(files[path] = *content) : void(files.erase(path));
        return true;
    }
    // Writes the file as an action would, and records it in the change.
    void writeIn(Change& change, const std::string& path, std::string_view content) {
        std::string ignored;
        const auto before = read(path, ignored);
        change.addFile(ChangeItem{ItemKind::File, 0, path, "C:\\" + path,
                                  before ? std::optional(RawValue{0, *before}) : std::nullopt,
                                  RawValue{0, bytes(content)}});
        files[path] = bytes(content);
    }

    std::map<std::string, Bytes> files;
};

// A fresh hive in a temporary folder, installed as the process's hive for the seven operations.
class StoreTest : public testing::Test {
  protected:
    ~StoreTest() override { useHive(nullptr); }

    TempDir dir_;
    const fs::path file_ = dir_ / "registry.db";
    Hive& hive = (useHiveFile(file_), currentHive());
    MemoryFiles files;  // for the change record's tests
};

// Runs `work` in `count` child processes released at the same moment; true when each returned
// true.
bool inProcesses(int count, const std::function<bool(int)>& work) {
    int start[2];
    if (pipe(start) != 0) {
        return false;
    }
    std::vector<pid_t> children;
    for (int i = 0; i < count; ++i) {
        children.push_back(fork());
        if (children.back() == 0) {
            close(start[1]);
            char go = 0;
            _exit(read(start[0], &go, 1) == 0 && work(i) ? 0 : 1);
        }
    }
    close(start[0]);
    close(start[1]);
    bool succeeded = true;
    for (const pid_t child : children) {
        int status = 0;
        succeeded = child > 0 && waitpid(child, &status, 0) == child && WIFEXITED(status) &&
                    WEXITSTATUS(status) == 0 && succeeded;
    }
    return succeeded;
}

// Hands `folder` and everything in it to the user nobody (who may reach it through the folders
// above) and runs `work` in a child process as nobody, when the tests run as root, so that file
// permissions hold. True when `work` found nothing wrong; what it found goes to standard error.
bool asUnprivileged(const fs::path& folder, const std::function<std::string()>& work) {
    constexpr uid_t kNobody = 65534;
    std::error_code ignored;
    for (auto up = folder.parent_path(); ::geteuid() == 0 && up != up.root_path();
         up = up.parent_path()) {
        fs::permissions(up, perms::others_exec, fs::perm_options::add, ignored);
    }
    bool given = ::geteuid() == 0 && ::chown(folder.c_str(), kNobody, kNobody) == 0;
    for (const auto& entry : fs::recursive_directory_iterator(folder)) {
        given = given && ::lchown(entry.path().c_str(), kNobody, kNobody) == 0;
    }
    return inProcesses(1, [&](int) {
        if (::geteuid() == 0 &&
            (::setgroups(0, nullptr) != 0 || ::setresgid(kNobody, kNobody, kNobody) != 0 ||
             ::setresuid(kNobody, kNobody, kNobody) != 0)) {
            return false;
        }
        const std::string problem = work();
        std::fputs((problem + "\n").c_str(), stderr);
        return problem.empty();
    });
}

// While it lives, the `nth` SQLite connection the process opens refuses `action` (of the pragmas,
// the integrity check only) and counts its refusals in `refusals`, or with `action` 0 fails to
// open: how a test makes the store meet what a full disk or another program would.
int refusals = 0, refusingConnection = 0, refusedAction = 0, connections = 0;
int authorize(void*, int asked, const char* on, const char*, const char*, const char*) {
    const bool refuse = asked == refusedAction &&
                        (asked != SQLITE_PRAGMA || (on && std::string_view(on) == "quick_check"));
    refusals += refuse ? 1 : 0;
    return refuse ? SQLITE_DENY : SQLITE_OK;
}
int onOpen(sqlite3* db, char**, const sqlite3_api_routines*) {
    if (++connections != refusingConnection) {
        return SQLITE_OK;
    }
    return refusedAction == 0 ? SQLITE_CANTOPEN : sqlite3_set_authorizer(db, authorize, nullptr);
}
struct Refusal {
    Refusal(int nth, int action) {
        std::tie(refusingConnection, refusedAction, connections) = std::tuple(nth, action, 0);
        sqlite3_auto_extension(reinterpret_cast<void (*)()>(&onOpen));
    }
    ~Refusal() { sqlite3_reset_auto_extension(); }
};

// What each reader gives for data another program stored: text before the first NUL, a double
// word of at most four bytes, exactly one byte of binary; anything else nothing, or 0. Writers
// store exact types and bytes, creating the key and its parents; reads and deletes of what is not
// there create nothing.
TEST_F(StoreTest, ReadersAndWritersFollowTheTypeNulAndSizeRules) {
    // What RegGetString ("-" for nothing), RegGetDword and RegGetBinary give for value v.
    const auto read = [](const char* key) {
        return RegGetString(HKLM, key, "v").value_or("-") + "|" +
               std::to_string(RegGetDword(HKLM, key, "v")) + "|" +
               std::to_string(RegGetBinary(HKLM, key, "v"));
    };
    // The type and bytes stored, and what the readers give.
    const std::tuple<std::uint32_t, std::string, std::string> cases[] = {
        {REG_SZ, "110", "110|0|0"},
        {REG_SZ, "a\0b\0"s, "a|0|0"},
        {REG_SZ, "", "|0|0"},
        {REG_EXPAND_SZ, "%x%", "-|0|0"},
        {REG_DWORD, "\x78\x56\x34\x12", "-|305419896|0"},
        {REG_DWORD, "\xFF\xFF\xFF\xFF", "-|-1|0"},
        {REG_DWORD, "\1\0\0\0\0"s, "-|0|0"},
        {REG_BINARY, "\xFF", "-|0|255"},
        {REG_BINARY, "\1\2", "-|0|0"},
    };
    for (const auto& [type, data, given] : cases) {
        ASSERT_TRUE(hive.setValue(HKLM, "K", "v", type, bytes(data)));
        EXPECT_EQ(read("K"), given) << type << " " << data;
    }
    EXPECT_EQ(read("A\\B"), "-|0|0");
    RegDeleteValue(HKLM, "A\\B", "v");
    EXPECT_FALSE(hive.keyExists(HKLM, "A"));
    RegSetString(HKLM, "A\\B\\C", "Text", "110");
    RegSetString(HKLM, "A\\B\\C", "Empty", "");
    RegSetDword(HKLM, "A\\B\\C", "Number", static_cast<std::int32_t>(0x87654321));
    RegSetBinary(HKLM, "A\\B\\C", "Byte", 258);
    EXPECT_EQ(shown(hive, HKLM, "A\\B\\C"), "Text=1'110' Empty=1'' Number=4:21436587 Byte=3:02");
}

// A rewritten value keeps its place and first spelling; a deleted one goes, and only it. Letters
// match their other case, the Windows-1252 ones beyond ASCII too, and nothing else does. Each
// root is a tree of its own, its root key at the empty path; empty components are ignored.
TEST_F(StoreTest, NamesIgnoreCaseAndKeepTheirSpellingInEachRootsOwnTree) {
    for (const char* name : {"DriverDesc", "Gone", "Last"}) {
        RegSetString(HKLM, "Software\\NVIDIA Caf\xC9", name, "one");
    }
    RegSetString(HKLM, "SOFTWARE\\nvidia caf\xE9", "DRIVERDESC", "two");
    RegDeleteValue(HKLM, "software\\Nvidia Caf\xC9", "gONE");
    RegDeleteValue(HKLM, "software\\Nvidia Caf\xC9", "never there");
    EXPECT_EQ(hive.storedPath(HKLM, "SOFTWARE\\NVIDIA CAF\xE9"), "Software\\NVIDIA Caf\xC9");
    EXPECT_EQ(shown(hive, HKLM, "\\software\\\\nvidia caf\xC9\\"), "DriverDesc=1'two' Last=1'one'");

    const std::tuple<const char*, const char*, bool> letters[] = {
        {"\x8A", "\x9A", true},   // S and s with caron
        {"\x9F", "\xFF", true},   // Y and y with diaeresis
        {"\xC0", "\xE0", true},   // A and a with grave
        {"\xDE", "\xFE", true},   // thorn
        {"\xD7", "\xF7", false},  // multiplication and division signs
        {"\xDF", "\xFF", false},  // sharp s and y with diaeresis
        {"\x8A", "\x8B", false},  // S with caron and a quotation mark
        {"[", "{", false},
    };
    for (const auto& [stored, asked, same] : letters) {
        hive.deleteKeyTree(HKLM, "Fold");
        ASSERT_TRUE(hive.setValue(HKLM, "Fold\\"s + stored, "v"s + stored, REG_SZ, {}));
        EXPECT_EQ(hive.keyExists(HKLM, "Fold\\"s + asked) +
                      hive.getValue(HKLM, "Fold\\"s + stored, "v"s + asked).has_value(),
                  same ? 2 : 0)
            << stored;
    }

    for (HKEY root = HKEY_CLASSES_ROOT; root <= HKEY_CURRENT_CONFIG; ++root) {
        RegSetDword(root, "", "Root", static_cast<std::int32_t>(root & 0xF));
    }
    for (HKEY root = HKEY_CLASSES_ROOT; root <= HKEY_CURRENT_CONFIG; ++root) {
        EXPECT_EQ(RegGetDword(root, "\\", "root"), static_cast<std::int32_t>(root & 0xF));
        EXPECT_EQ(hive.keyExists(root, "Software"), root == HKLM);
    }
}

// A batch not committed leaves nothing; nested ones commit once, at the outermost, and until
// then another connection sees nothing of them. Reads see what another connection changed since,
// also where a key they found was deleted and its number given to a new key, or a key they
// missed was made.
TEST_F(StoreTest, BatchesAreAllOrNothingAndReadsSeeAnotherConnectionsChanges) {
    const auto other = Hive::open(file_);
    for (const bool commit : {false, true}) {
        Batch outer;
        {
            Batch inner;
            RegSetString(HKLM, "K", "Inner", "1");
            EXPECT_TRUE(inner.commit());
        }
        RegSetDword(HKLM, "K", "Outer", 1);
        EXPECT_FALSE(other->keyExists(HKLM, "K"));
        EXPECT_EQ(commit && outer.commit(), commit);
    }
    EXPECT_EQ(shown(*other, HKLM, "K"), "Inner=1'1' Outer=4:01000000");
    {
        Batch dropped;
        RegSetString(HKLM, "Dropped", "v", "dropped");
    }
    RegSetString(HKLM, "Kept", "v", "kept");  // may be given the dropped key's number
    EXPECT_EQ(RegGetString(HKLM, "Dropped", "v"), std::nullopt);

    const auto replace = [&](const char* gone, const char* made) {
        ASSERT_TRUE(other->deleteKeyTree(HKLM, gone));
        ASSERT_TRUE(other->setValue(HKLM, made, "v", REG_SZ, bytes(made)));
    };
    const auto text = [](const char* key) { return RegGetString(HKLM, key, "v").value_or("-"); };
    replace("Kept", "New");
    EXPECT_EQ(text("Kept") + text("New") + text("Made"), "-New-");
    replace("New", "Newer");
    ASSERT_TRUE(other->setValue(HKLM, "Made", "v", REG_SZ, bytes("made")));
    EXPECT_EQ(text("New") + text("Made"), "-made");
}

// A read that fails gives what a missing key gives, but is remembered as a failed write is.
TEST_F(StoreTest, AFailedReadIsRememberedUnlikeAMissingKey) {
    Change change(hive, "Apply");
    RegSetString(HKLM, "K\\Sub", "v", "x");
    ASSERT_TRUE(change.commit());
    // Each read, and the table whose loss makes it fail.
    const std::pair<const char*, std::function<bool()>> reads[] = {
        {"vals", [&] { return hive.getValue(HKLM, "K\\Sub", "v").has_value(); }},
        {"vals", [&] { return !hive.values(HKLM, "K\\Sub").empty(); }},
        {"keys", [&] { return !hive.subkeys(HKLM, "K").empty(); }},
        {"changes", [&] { return !hive.changes().empty(); }},
        {"changes", [&] { return planUndoLast(hive, &files).problem.find("read") == npos; }}};
    for (const auto& [table, read] : reads) {
        for (const bool lost : {false, true}) {
            ASSERT_EQ(sql(file_, lost ? "ALTER TABLE "s + table + " RENAME TO hidden" : ""s),
                      SQLITE_OK);
            const FailureWatch watch(hive);
            const bool found = read();
            EXPECT_EQ(found + 2 * watch.failed(), lost ? 2 : 1) << table;
        }
        ASSERT_EQ(sql(file_, "ALTER TABLE hidden RENAME TO "s + table), SQLITE_OK);
    }
}

// Names and depths up to the registry's limits are kept, longer and deeper ones refused. The
// deepest key with the longest names costs about what as many keys side by side cost.
TEST_F(StoreTest, RefusesWhatTheRegistryRefusesAndGrowsLinearlyWithDepth) {
    // A path `levels` deep of names `nameLength` long, or as many keys side by side.
    const auto deep = [](std::size_t levels, std::size_t nameLength) {
        std::string path;
        for (std::size_t level = 0; level < levels; ++level) {
            std::string name = std::to_string(level);
            path = joinPath(path, name.append(nameLength - std::min(nameLength, name.size()), 'n'));
        }
        return path;
    };
    for (const std::size_t over : {0u, 1u}) {
        for (const std::string& key : {deep(512 + over, 1), deep(1, 255 + over)}) {
            EXPECT_EQ(hive.createKey(HKLM, key) && hive.keyExists(HKLM, key), !over);
        }
        const std::string name(16383 + over, 'v');
        EXPECT_EQ(hive.setValue(HKLM, "K", name, REG_SZ, {}) && hive.getValue(HKLM, "K", name),
                  !over);
    }
    // What the file grows by for the deepest key of the longest names, or as many side by side.
    const auto grown = [&](bool nested) {
        sql(file_, "PRAGMA wal_checkpoint(TRUNCATE)");
        const auto before = fs::file_size(file_);
        Batch batch(hive);
        const std::string path = deep(512, 255);
        for (const std::string_view name : components(path)) {
            EXPECT_TRUE(hive.createKey(HKLM, nested ? path.substr(0, name.end() - path.data())
                                                    : "Side\\"s + std::string(name)));
        }
        EXPECT_TRUE(batch.commit());
        sql(file_, "PRAGMA wal_checkpoint(TRUNCATE)");
        return fs::file_size(file_) - before;
    };
    EXPECT_LT(grown(true), 2 * grown(false));
}

// Under XDG_DATA_HOME, else under HOME; created private with its journal files; opening drops
// group and other bits, never adds write.
TEST(Hive, LivesWhereItBelongsPrivateAndNeverGainsWrite) {
    const std::string saved = std::getenv("XDG_DATA_HOME");
    EXPECT_EQ(defaultHivePath(), fs::path(saved) / "tunexa/registry.db");
    unsetenv("XDG_DATA_HOME");
    EXPECT_EQ(defaultHivePath(), fs::path(std::getenv("HOME")) / ".local/share/tunexa/registry.db");
    setenv("XDG_DATA_HOME", saved.c_str(), 1);
    TempDir dir;
    const auto file = dir / "tunexa" / "registry.db";
    auto hive = Hive::open(file);
    ASSERT_TRUE(hive->setValue(HKLM, "K", "v", REG_SZ, bytes("x")));
    EXPECT_EQ(modeOf(file.parent_path()), perms::owner_all);
    for (const char* suffix : {"", "-wal", "-shm"}) {
        EXPECT_EQ(modeOf(file.string() + suffix), kPrivate) << suffix;
    }
    hive.reset();
    fs::permissions(file, kPrivate | perms::group_read | perms::others_read);
    Hive::open(file);
    EXPECT_EQ(modeOf(file), kPrivate);
}

// What opening finds, told as it is. A file that is not a hive is moved aside, never overwritten,
// and an empty hive takes its place, unless that cannot be opened or prepared either: then the
// store is unavailable, and says where the old file went. An integrity check that cannot run
// (another program's lock; here SQLite refuses it) is no damage: the hive opens, nothing told.
TEST(Hive, WhatOpeningFindsIsToldAsItIs) {
    const auto text = [](auto& file) { putFile(file, "not a database at all, just text"); };
    const std::string noEmpty = ", but no empty store could be started in its place: ";
    // What is at the hive's place, which connection refuses what (0: none; action 0: the
    // connection does not open), and what opening tells.
    const std::tuple<std::function<void(const fs::path&)>, int, int, OpenOutcome, std::string>
        cases[] = {
            {text, 0, 0, OpenOutcome::ReplacedDamaged, " and an empty store was started."},
            {[](auto& file) { sql(file, "CREATE TABLE photos(id INTEGER);"); }, 0, 0,
             OpenOutcome::ReplacedDamaged, "(not a Tunexa settings store)"},
            {[](auto& file) { fs::create_directories(file); }, 0, 0, OpenOutcome::Unavailable,
             "cannot be opened"},
            {text, 2, 0, OpenOutcome::Unavailable, noEmpty + "automatic extension loading failed"},
            {text, 2, SQLITE_CREATE_TABLE, OpenOutcome::Unavailable, noEmpty + "not authorized"},
            {[](auto& file) {
                 Hive::open(file)->createKey(HKLM, "K");
                 touch(file);  // so that the check runs
             },
             1, SQLITE_PRAGMA, OpenOutcome::Opened, ""}};
    for (const auto& [make, nth, action, outcome, told] : cases) {
        TempDir dir;
        const auto file = dir / "registry.db";
        make(file);
        const std::string before = fileBytes(file);
        const int refusedBefore = refusals;
        const Refusal refusal(nth, action);
        auto hive = Hive::open(file);
        const auto& report = hive->report();
        EXPECT_TRUE(!told.empty() || refusals > refusedBefore) << "the check did not run";
        EXPECT_EQ(report.outcome, outcome) << told;
        EXPECT_THAT(report.detail, HasSubstr(told));
        EXPECT_TRUE(!told.empty() || report.detail.empty()) << report.detail;
        EXPECT_THAT(report.detail, HasSubstr(report.movedAsideTo.string()));
        EXPECT_EQ(fileBytes(report.movedAsideTo), report.movedAsideTo.empty() ? "" : before);
        EXPECT_EQ(hive->setValue(HKLM, "K", "v", REG_SZ, {}), outcome != OpenOutcome::Unavailable);
    }
}

// The integrity check reads every page, so it runs only when the file may have changed outside
// Tunexa since a session found it sound and closed it: another program touched it, or a session
// ended without closing (what it acknowledged is kept, its unfinished change is not). A damaged
// hive is caught before anything is written to it, also when its time was set back; damage met
// while working stops the writing, and is caught at the next start.
TEST(Hive, TheCheckRunsWhenTheFileMayHaveChangedAndDamageIsNeverWritten) {
    TempDir dir;
    const auto file = dir / "registry.db";
    ASSERT_TRUE(Hive::open(file)->setValue(HKLM, "K", "v", REG_SZ, bytes("kept")));
    const auto checks = [&](const std::function<void()>& meanwhile) {
        meanwhile();
        const int refusedBefore = refusals;
        const Refusal counting(1, SQLITE_PRAGMA);
        return Hive::open(file)->report().outcome == OpenOutcome::Opened &&
               refusals > refusedBefore;
    };
    EXPECT_FALSE(checks([] {}));
    EXPECT_TRUE(checks([&] { touch(file); }));
    EXPECT_TRUE(checks([] {}));  // a check kept from running leaves nothing noted
    EXPECT_TRUE(checks([&] {     // a session that ends without closing, in the middle of a change
        EXPECT_FALSE(inProcesses(1, [&](int) {
            auto crashing = Hive::open(file);
            crashing->setValue(HKLM, "K", "v", REG_SZ, bytes("acknowledged"));
            const Change change(*crashing, "unfinished");
            crashing->setValue(HKLM, "K", "half", REG_SZ, bytes("half"));
            _exit(1);
            return true;
        }));
    }));
    // Checked, and noted as sound.
    EXPECT_EQ(shown(*Hive::open(file), HKLM, "K"), "v=1'acknowledged'");

    const auto damage = [&] {
        EXPECT_EQ(sql(file, "PRAGMA wal_checkpoint(TRUNCATE)"), SQLITE_OK);
        return damageKeepingTime(file);
    };
    const std::string damaged = damage();
    const auto reopened = Hive::open(file);
    EXPECT_EQ(reopened->report().outcome, OpenOutcome::ReplacedDamaged);
    EXPECT_EQ(fileBytes(reopened->report().movedAsideTo), damaged);

    // Damage met while working: another connection's commit makes the hive read it from disk.
    auto hive = Hive::open(file);
    ASSERT_TRUE(hive->setValue(HKLM, "K", "v", REG_SZ, bytes("new")));
    damage();
    ASSERT_EQ(sql(file, "PRAGMA user_version=3"), SQLITE_OK);
    EXPECT_EQ(hive->getValue(HKLM, "K", "v"), std::nullopt);
    EXPECT_FALSE(hive->setValue(HKLM, "Other", "v", REG_SZ, bytes("new")));
    EXPECT_THAT(hive->lastFailure()->message, HasSubstr("is damaged; no change is saved"));
    hive.reset();
    EXPECT_EQ(Hive::open(file)->report().outcome, OpenOutcome::ReplacedDamaged);
}

// Write protection on the file or its folder, or a read-only open: reads work, writes fail and
// say why in plain words, and the protection stays as it was. Once it is lifted, the next
// writable open writes again: side files a read-only session left behind are repaired. Real
// permissions, so unprivileged.
TEST(Hive, WriteProtectionIsHonouredToldAndOutlived) {
    // Whether the folder is protected instead of the file, the mode, how it is opened, and why.
    const std::tuple<bool, perms, OpenMode, const char*> cases[] = {
        {false, perms::owner_read, OpenMode::ReadWrite, "the file is write-protected"},
        {true, perms::owner_read | perms::owner_exec, OpenMode::ReadWrite,
         "tunexa is write-protected"},
        {false, kPrivate, OpenMode::ReadOnly, "it was opened for reading only"}};
    for (const auto& [folder, mode, openMode, reason] : cases) {
        SCOPED_TRACE(reason);
        TempDir dir;
        const auto file = dir / "tunexa" / "registry.db";
        const auto protectedPath = folder ? file.parent_path() : file;
        ASSERT_TRUE(Hive::open(file)->setValue(HKLM, "K", "v", REG_SZ, bytes("kept")));
        EXPECT_TRUE(asUnprivileged(dir.path(), [&]() -> std::string {
            fs::permissions(protectedPath, mode);
            auto hive = Hive::open(file, openMode);
            const FailureWatch watch(*hive);
            if (hive->report().outcome != OpenOutcome::ReadOnly ||
                hive->getValue(HKLM, "k", "V") != RawValue{REG_SZ, bytes("kept")} ||
                watch.failed()) {
                return "not read as read-only: " + hive->report().detail;
            }
            if (hive->setValue(HKLM, "K", "v", REG_SZ, bytes("new")) ||
                watch.reason().find(reason) == npos || modeOf(protectedPath) != mode) {
                return "not refused with the reason, protection kept: " + watch.reason();
            }
            hive.reset();
            fs::permissions(protectedPath, perms::owner_all);
            hive = Hive::open(file);
            if (!hive->setValue(HKLM, "K", "v", REG_SZ, bytes("new"))) {
                return "not written once writable: " + hive->lastFailure()->message;
            }
            return {};
        }));
    }
}

// Hives written by earlier releases open with their contents, upgraded in place, or read from an
// upgraded copy when they are read-only: the first (every key row with its whole folded path),
// and the second (the change record with a row for each item), whose history reads and undoes.
TEST(Hive, OlderHivesOpenWithTheirContentsAndHistory) {
    const std::string valueRow =
        "INSERT INTO vals VALUES(3, CAST('clock' AS BLOB), CAST('Clock' AS BLOB), 1, "
        "CAST('100' AS BLOB), 1); PRAGMA application_id=1415071830;";
    const std::string first =
        "CREATE TABLE keys(id INTEGER PRIMARY KEY, root, parent, path, name);"
        "CREATE TABLE vals(key, fold, name, type, data, seq, PRIMARY KEY(key, fold)) WITHOUT ROWID;"
        "INSERT INTO keys VALUES(1, 2147483650, NULL, x'', x''), (2, 2147483650, 1, "
        "CAST('software' AS BLOB), CAST('Software' AS BLOB)), (3, 2147483650, 2, "
        "x'736f667477617265' || x'5ce974e9', x'c974c9');" +
        valueRow + "PRAGMA user_version=1;";
    const std::string second =
        "CREATE TABLE keys(id INTEGER PRIMARY KEY, root, parent, fold, name, UNIQUE(root, parent, "
        "fold)); CREATE TABLE vals(key, fold, name, type, data, seq, PRIMARY KEY(key, fold)) "
        "WITHOUT ROWID; CREATE TABLE changes(id INTEGER PRIMARY KEY, time, title);"
        "CREATE TABLE change_items(change, seq, kind, root, key, name, before_type, before_data, "
        "after_type, after_data, PRIMARY KEY(change, seq)) WITHOUT ROWID;"
        "INSERT INTO keys VALUES(1, 2147483650, 0, x'', x''), (2, 2147483650, 1, "
        "CAST('software' AS BLOB), CAST('Software' AS BLOB)), (3, 2147483650, 2, x'e974e9', "
        "x'c974c9'); INSERT INTO changes VALUES(7, 1700000000, CAST('Apply' AS BLOB));"
        "INSERT INTO change_items VALUES(7, 1, 0, 2147483650, x'536f6674776172655cc974c9', "
        "CAST('Clock' AS BLOB), 1, CAST('90' AS BLOB), 1, CAST('100' AS BLOB));" +
        valueRow + "PRAGMA user_version=2;";
    for (const std::string* script : {&first, &second}) {
        for (const OpenMode mode : {OpenMode::ReadWrite, OpenMode::ReadOnly}) {
            TempDir dir;
            ASSERT_EQ(sql(dir / "registry.db", *script), SQLITE_OK);
            auto hive = Hive::open(dir / "registry.db", mode);
            const bool writable = mode == OpenMode::ReadWrite;
            EXPECT_EQ(image(hive->getValue(HKLM, "SOFTWARE\\\xc9T\xc9", "CLOCK")), "1'100'");
            EXPECT_EQ(hive->storedPath(HKLM, "software\\\xe9t\xe9"), "Software\\\xc9t\xc9");
            EXPECT_EQ(hive->setValue(HKLM, "Software\\New", "v", REG_SZ, bytes("x")), writable);
            if (script == &second) {
                const auto undo = planUndoLast(*hive, nullptr);
                EXPECT_EQ(undo.title + " " + std::to_string(undo.items.size()), "Undo Apply 1")
                    << undo.problem;
                EXPECT_EQ(applyUndo(*hive, nullptr, undo), writable);
                EXPECT_EQ(image(hive->getValue(HKLM, "Software\\\xc9t\xc9", "Clock")),
                          writable ? "1'90'" : "1'100'");
            }
        }
    }
}

// However a write of a change fails (another process holds the store, the store refuses the
// third write, the record cannot be written), the commit says so with the reason, every write of
// the change is gone, the files it wrote are put back, nothing is recorded, and the store works
// again once the cause is gone.
TEST_F(StoreTest, AChangeWithAFailedWriteRollsBackWhole) {
    // What makes the change fail, what cures it, and the reason the store keeps.
    const std::tuple<const char*, const char*, const char*> cases[] = {
        {"BEGIN IMMEDIATE", "ROLLBACK", "database is locked"},
        {"CREATE TRIGGER refuse BEFORE INSERT ON vals WHEN NEW.name = CAST('third' AS BLOB) "
         "BEGIN SELECT RAISE(ABORT, 'refused by the disk'); END;",
         "DROP TRIGGER refuse", "refused by the disk"},
        {"CREATE TRIGGER refuse BEFORE INSERT ON changes "
         "BEGIN SELECT RAISE(ABORT, 'no room for the record'); END;",
         "DROP TRIGGER refuse", "no room for the record"},
    };
    hive.setBusyTimeout(50);
    for (const auto& [cause, cured, reason] : cases) {
        SCOPED_TRACE(reason);
        hive.deleteKeyTree(HKLM, "K");
        ASSERT_TRUE(hive.setValue(HKLM, "K", "first", REG_SZ, bytes("old")));
        sqlite3* other = nullptr;
        ASSERT_EQ(sqlite3_open(file_.c_str(), &other), SQLITE_OK);
        ASSERT_EQ(sqlite3_exec(other, cause, nullptr, nullptr, nullptr), SQLITE_OK);
        {
            Change change(hive, "Apply", &files);
            files.writeIn(change, "tunexa.bat", "new");
            for (const char* name : {"first", "second", "third", "fourth"}) {
                hive.setValue(HKLM, "K", name, REG_SZ, bytes("new"));
            }
            EXPECT_FALSE(change.commit());
        }
        EXPECT_THAT(hive.lastFailure()->message, HasSubstr(reason));
        sqlite3_exec(other, cured, nullptr, nullptr, nullptr);
        sqlite3_close(other);
        EXPECT_EQ(shown(hive, HKLM, "K"), "first=1'old'");
        EXPECT_TRUE(hive.changes().empty() && files.files.empty());
        EXPECT_TRUE(hive.setValue(HKLM, "K", "second", REG_SZ, bytes("new")));
    }
}

// A change is recorded with the exact before- and after-image of every value, key and file it
// touched, spelled as the store holds them; nothing is recorded for one that altered nothing or
// was dropped, whose files are put back. Undo puts back exactly what was before, every type and
// byte, absent values, keys and files; undoing the undo redoes; what changed since is named.
TEST_F(StoreTest, RecordsExactlyWhatAChangeAlteredAndUndoPutsItBack) {
    hive.setValue(HKLM, "Card\\D3D", "Clock", REG_SZ, bytes("90\0"s));  // with its NUL
    hive.setValue(HKLM, "Card\\D3D", "Odd", 0x1234, bytes("\xFF\0"s));
    hive.setValue(HKLM, "Card\\Old\\Sub", "Gone", REG_BINARY, bytes("\1\2"));
    files.files["tunexa.bat"] = bytes("SET A=0");
    {
        Change unchanged(hive, "same again");
        hive.setValue(HKLM, "Card\\D3D", "Clock", REG_SZ, bytes("90\0"s));
        hive.deleteValue(HKLM, "Card", "never there");
        EXPECT_TRUE(unchanged.commit());
        Change dropped(hive, "dropped", &files);
        files.writeIn(dropped, "tunexa.bat", "dropped");
        hive.setValue(HKLM, "Card\\D3D", "Clock", REG_SZ, bytes("dropped"));
    }
    const auto snapshot = [&] {
        return std::tuple(shown(hive, HKLM, "Card\\D3D"), shown(hive, HKLM, "Card\\New\\Deep"),
                          shown(hive, HKLM, "Card\\Old\\Sub"), hive.subkeys(HKLM, "Card"),
                          files.files);
    };
    const auto before = snapshot();
    {
        Change change(hive, "Riva TNT: Apply", &files);
        hive.setValue(HKLM, "card\\d3d", "CLOCK", REG_DWORD, bytes("d\0\0\0"s));
        hive.setValue(HKLM, "CARD\\New\\Deep", "Fresh", REG_SZ, bytes("1"));
        hive.setValue(HKLM, "Card\\D3D", "Clock", REG_DWORD, bytes("n\0\0\0"s));
        hive.deleteValue(HKLM, "Card\\D3D", "odd");
        hive.deleteKeyTree(HKLM, "Card\\Old");
        files.writeIn(change, "tunexa.bat", "SET X=1");
        files.writeIn(change, "tx106hl.bat", "C:");
        ASSERT_TRUE(change.commit());
    }
    const auto after = snapshot();
    const auto list = hive.changes();
    ASSERT_EQ(list.size(), 1u);
    const auto record = hive.changeRecord(list[0].id);
    ASSERT_TRUE(record && record->info.damage.empty());
    std::set<std::string> items;
    for (const ChangeItem& item : record->items) {
        items.insert(describeItem(item) + " " + image(item.before) + " > " + image(item.after));
    }
    EXPECT_EQ(record->info.title, "Riva TNT: Apply");
    EXPECT_EQ(
        items,
        (std::set<std::string>{
            "HKEY_LOCAL_MACHINE\\Card\\D3D\\Clock 1:393000 > 4:6e000000",
            "HKEY_LOCAL_MACHINE\\Card\\D3D\\Odd 4660:ff00 > -",
            "HKEY_LOCAL_MACHINE\\Card\\New - > 0''", "HKEY_LOCAL_MACHINE\\Card\\New\\Deep - > 0''",
            "HKEY_LOCAL_MACHINE\\Card\\New\\Deep\\Fresh - > 1'1'",
            "HKEY_LOCAL_MACHINE\\Card\\Old 0'' > -", "HKEY_LOCAL_MACHINE\\Card\\Old\\Sub 0'' > -",
            "HKEY_LOCAL_MACHINE\\Card\\Old\\Sub\\Gone 3:0102 > -",
            "C:\\tunexa.bat 0'SET A=0' > 0'SET X=1'", "C:\\tx106hl.bat - > 0'C:'"}));

    for (const auto* expected : {&before, &after}) {
        const auto undo = planUndoLast(hive, &files);
        EXPECT_EQ(undo.title + std::to_string(undo.differences.size()),
                  expected == &before ? "Undo Riva TNT: Apply0" : "Redo Riva TNT: Apply0");
        ASSERT_TRUE(applyUndo(hive, &files, undo));
        EXPECT_EQ(snapshot(), *expected);
    }
    hive.setValue(HKLM, "Card\\New\\Deep", "Fresh", REG_SZ, bytes("edited"));  // another program
    files.files["tunexa.bat"] = bytes("edited by hand");
    std::set<std::string> differences;
    for (const auto& difference : planUndoLast(hive, &files).differences) {
        differences.insert(describeItem(difference.item) + " " + image(difference.now));
    }
    EXPECT_EQ(differences,
              (std::set<std::string>{"C:\\tunexa.bat 0'edited by hand'",
                                     "HKEY_LOCAL_MACHINE\\Card\\New\\Deep\\Fresh 1'edited'"}));
}

// The newest 500 are kept, the older ones dropped.
TEST_F(StoreTest, KeepsOnlyTheNewestChanges) {
    for (int i = 0; i < 503; ++i) {
        Change change(hive, "step " + std::to_string(i));
        RegSetDword(HKLM, "K", "v", i);
        ASSERT_TRUE(change.commit());
    }
    const auto list = hive.changes();
    EXPECT_EQ(std::to_string(list.size()) + " " + list.front().title + ".." + list.back().title,
              "500 step 502..step 3");
    EXPECT_FALSE(hive.changeRecord(list.back().id - 1));
}

// A hand-edited record is reported and never undone; nothing else is undone in its place.
TEST_F(StoreTest, ADamagedRecordIsReportedAndNeverUndone) {
    for (const char* damage :
         {"UPDATE changes SET items = x'07' || substr(items, 2)",
          "UPDATE changes SET items = substr(items, 1, length(items) - 1)",
          "UPDATE changes SET items = substr(items, 1, 1) || x'05000000' || substr(items, 6)",
          "UPDATE changes SET items = x''", "UPDATE changes SET time = 'noon'"}) {
        SCOPED_TRACE(damage);
        {
            Change change(hive, "Apply");
            hive.setValue(HKLM, "K", "v", REG_SZ, bytes(damage));
            ASSERT_TRUE(change.commit());
        }
        ASSERT_EQ(sql(file_, damage), SQLITE_OK);
        const auto undo = planUndoLast(hive, &files);
        EXPECT_THAT(undo.problem, HasSubstr("damaged"));
        EXPECT_FALSE(applyUndo(hive, &files, undo));
        EXPECT_EQ(RegGetString(HKLM, "K", "v"), damage);
    }
}

// A profile puts back exactly the values and files it holds; a managed key it does not cover
// (another machine's display class) is left alone. Names are refused as the store cannot keep
// them.
TEST_F(StoreTest, ProfilesPutBackExactlyWhatTheyHoldUnderAnAcceptedName) {
    const ManagedSet set{
        {{"Card\\D3D", "Clock"}, {"Card\\D3D", "Trilinear"}, {"Class\\0001", "mem"}},
        {{"C:\\tunexa.bat", "tunexa.bat"}}};
    RegSetString(HKLM, "Card\\D3D", "Clock", "90");
    RegSetString(HKLM, "Class\\0001", "mem", "100");
    files.files["tunexa.bat"] = bytes("SET A=0");
    ASSERT_TRUE(saveProfile(hive, &files, "Safe", set));

    RegSetDword(HKLM, "Card\\D3D", "Clock", 120);
    RegSetString(HKLM, "Card\\D3D", "Trilinear", "1");
    files.files["tunexa.bat"] = bytes("SET A=1");
    EXPECT_FALSE(profileMatches(hive, &files, "safe", set));
    ManagedSet elsewhere = set;
    elsewhere.values[2].key = "Class\\0002";
    RegSetString(HKLM, "Class\\0002", "mem", "110");
    ASSERT_TRUE(applyProfile(hive, &files, "SAFE", elsewhere));
    EXPECT_EQ(shown(hive, HKLM, "Card\\D3D") + " " + shown(hive, HKLM, "Class\\0002") + " " +
                  std::string(files.files["tunexa.bat"].begin(), files.files["tunexa.bat"].end()),
              "Clock=1'90' mem=1'110' SET A=0");
    EXPECT_TRUE(profileMatches(hive, &files, "Safe", set));
    EXPECT_EQ(hive.changes().front().title, "Apply profile \"Safe\"");

    const std::string longest(64, 'x');
    for (const auto& [name, refused] : {std::pair{longest, false},
                                        {"Benchmark \xe9t\xe9"s, false},
                                        {longest + "x", true},
                                        {""s, true},
                                        {"a\\b"s, true},
                                        {"tab\there"s, true},
                                        {"\x81"s, true}}) {
        EXPECT_EQ(profileNameProblem(name).has_value(), refused) << name;
    }
}

// Four processes opening a data folder that has no store yet, at the same moment (the tray
// program at login while a script runs tunexa-reg), all get a working store; four writing the same
// store at once lose nothing: values of their own, and read-modify-write increments of a shared
// counter, each in a batch.
TEST(Durability, ProcessesAtOnceAllSucceedAndLoseNothing) {
    for (int round = 0; round < 30; ++round) {
        TempDir dir;
        const auto file = dir / "tunexa" / "registry.db";
        const int writes = round == 0 ? 40 : 1;
        const auto writing = [&](int writer) {
            const auto& report = useHiveFile(file);
            const FailureWatch watch;
            for (int i = 0; i < writes; ++i) {
                RegSetDword(HKLM, "Shared\\" + std::to_string(writer), "V" + std::to_string(i), i);
                Batch batch;
                RegSetDword(HKLM, "Shared", "Counter", RegGetDword(HKLM, "Shared", "Counter") + 1);
                batch.commit();
            }
            return report.detail.empty() && !watch.failed() &&
                   (report.outcome == OpenOutcome::Created ||
                    report.outcome == OpenOutcome::Opened);
        };
        EXPECT_TRUE(inProcesses(4, writing)) << "round " << round;
        const auto hive = Hive::open(file);
        std::string counts;
        for (const char* key : {"Shared\\0", "Shared\\1", "Shared\\2", "Shared\\3"}) {
            counts += std::to_string(hive->values(HKLM, key).size()) + " ";
        }
        EXPECT_EQ(counts + image(hive->getValue(HKLM, "Shared", "Counter")),
                  round == 0 ? "40 40 40 40 4:a0000000" : "1 1 1 1 4:04000000");
    }
}

}  // namespace
}  // namespace tunexa::store
