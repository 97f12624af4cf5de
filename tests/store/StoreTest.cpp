// The hive and the seven operations on it; the hive file (where it lives, who may read it, damage,
// locks, write protection, the registry's limits, older hives); the change record, undo and
// profiles; crashes and several processes at once.
#include <grp.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sqlite3.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <functional>
#include <map>
#include <set>
#include <tuple>

#include "TempRoot.h"
#include "store/KeyPath.h"
#include "store/Profiles.h"
#include "store/Registry.h"
#include "store/Undo.h"

namespace tunexa::store {
namespace {

using namespace std::string_literals;
using std::filesystem::perms;
using test::TempDir;
constexpr auto npos = std::string::npos;

constexpr HKEY HKLM = HKEY_LOCAL_MACHINE;
constexpr perms kPrivate = perms::owner_read | perms::owner_write;

Bytes bytes(std::string_view text) {
    return Bytes(text.begin(), text.end());
}

RawValue sz(std::string_view text) {
    return RawValue{REG_SZ, bytes(text)};
}

perms modeOf(const std::filesystem::path& path) {
    return std::filesystem::status(path).permissions() & perms::all;
}

// Runs SQL on the hive file through a connection of its own, as another program (or a hand edit)
// would; the SQLite result code.
int sql(const std::filesystem::path& file, const std::string& statements) {
    sqlite3* db = nullptr;
    const int rc = sqlite3_open(file.c_str(), &db) == SQLITE_OK
                       ? sqlite3_exec(db, statements.c_str(), nullptr, nullptr, nullptr)
                       : SQLITE_CANTOPEN;
    sqlite3_close(db);
    return rc;
}

// A key's values as (name, type, bytes), in the hive's order.
using Listed = std::vector<std::tuple<std::string, std::uint32_t, Bytes>>;
Listed listed(Hive& hive, HKEY root, std::string_view key) {
    Listed out;
    for (auto& value : hive.values(root, key)) {
        out.emplace_back(value.name, value.type, value.data);
    }
    return out;
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
    const std::filesystem::path file_ = dir_ / "registry.db";
    Hive& hive = (useHiveFile(file_), currentHive());
    MemoryFiles files;  // for the change record's tests
};
using ChangesTest = StoreTest;

// A new modification time, as another program's write gives the file.
void touch(const std::filesystem::path& file) {
    std::filesystem::last_write_time(
        file, std::filesystem::last_write_time(file) + std::chrono::seconds(1));
}

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

constexpr uid_t kNobody = 65534;
// Runs `work` in a child process, as the user nobody when the tests run as root so that file
// permissions hold. True when `work` found nothing wrong; what it found goes to standard error.
bool asUnprivileged(const std::function<std::string()>& work) {
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

// Hands the folder and everything in it to nobody, who may reach it through the folders above.
void giveToUnprivileged(const std::filesystem::path& folder) {
    std::error_code ignored;
    for (auto up = folder.parent_path(); ::geteuid() == 0 && up != up.root_path();
         up = up.parent_path()) {
        std::filesystem::permissions(up, perms::others_exec, std::filesystem::perm_options::add,
                                     ignored);
    }
    bool given = ::geteuid() == 0 && ::chown(folder.c_str(), kNobody, kNobody) == 0;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(folder)) {
        given = given && ::lchown(entry.path().c_str(), kNobody, kNobody) == 0;
    }
}

// While it lives, every SQLite connection the process opens is handed to `onOpen` with the number
// of connections opened so far, and fails to open with what it returns: how a test makes the
// store meet what a full disk or another program would.
using OpenHook = std::function<int(sqlite3*, int)>;
class OnEachOpen {
  public:
    explicit OnEachOpen(OpenHook onOpen) {
        hook() = {std::move(onOpen), 0};
        sqlite3_auto_extension(reinterpret_cast<void (*)()>(&entry));
    }
    ~OnEachOpen() { sqlite3_reset_auto_extension(); }

  private:
    static int entry(sqlite3* db, char**, const sqlite3_api_routines*) {
        auto& [onOpen, opened] = hook();
        return onOpen ? onOpen(db, ++opened) : SQLITE_OK;
    }
    static std::pair<OpenHook, int>& hook() {
        static std::pair<OpenHook, int> onOpen;
        return onOpen;
    }
};

// What each reader gives for data another program stored: text before the first NUL, a double
// word of at most four bytes, exactly one byte of binary; anything else nothing, or 0. Writers
// store exact types and bytes, creating the key and its parents; reads and deletes of what is not
// there create nothing.
TEST_F(StoreTest, ReadersAndWritersFollowTheTypeNulAndSizeRules) {
    using Case = std::tuple<std::uint32_t, Bytes, std::optional<std::string>, std::int32_t, int>;
    const Case cases[] = {
        {REG_SZ, bytes("110"), "110", 0, 0},
        {REG_SZ, {'a', 0, 'b', 0}, "a", 0, 0},
        {REG_SZ, {}, "", 0, 0},
        {REG_EXPAND_SZ, bytes("%x%"), std::nullopt, 0, 0},
        {REG_DWORD, {0x78, 0x56, 0x34, 0x12}, std::nullopt, 0x12345678, 0},
        {REG_DWORD, {0xFF, 0xFF, 0xFF, 0xFF}, std::nullopt, -1, 0},
        {REG_DWORD, {1, 0, 0, 0, 0}, std::nullopt, 0, 0},
        {REG_BINARY, {0xFF}, std::nullopt, 0, 255},
        {REG_BINARY, {1, 2}, std::nullopt, 0, 0},
    };
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        const auto& [type, data, text, dword, binary] = cases[i];
        const std::string name = "v" + std::to_string(i);
        ASSERT_TRUE(hive.setValue(HKLM, "K", name, type, data));
        EXPECT_EQ(RegGetString(HKLM, "K", name), text) << name;
        EXPECT_EQ(RegGetDword(HKLM, "K", name), dword) << name;
        EXPECT_EQ(RegGetBinary(HKLM, "K", name), binary) << name;
    }

    EXPECT_FALSE(RegGetString(HKLM, "A\\B", "x") || RegGetDword(HKLM, "A\\B", "x") ||
                 RegGetBinary(HKLM, "A\\B", "x"));
    RegDeleteValue(HKLM, "A\\B", "x");
    EXPECT_FALSE(hive.keyExists(HKLM, "A"));
    RegSetString(HKLM, "A\\B\\C", "Text", "110");
    RegSetString(HKLM, "A\\B\\C", "Empty", "");
    RegSetDword(HKLM, "A\\B\\C", "Number", static_cast<std::int32_t>(0x87654321));
    RegSetBinary(HKLM, "A\\B\\C", "Byte", 258);
    EXPECT_EQ(listed(hive, HKLM, "A\\B\\C"),
              (Listed{{"Text", REG_SZ, bytes("110")},
                      {"Empty", REG_SZ, {}},
                      {"Number", REG_DWORD, {0x21, 0x43, 0x65, 0x87}},
                      {"Byte", REG_BINARY, {0x02}}}));
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
    EXPECT_EQ(listed(hive, HKLM, "\\software\\\\nvidia caf\xC9\\"),
              (Listed{{"DriverDesc", REG_SZ, bytes("two")}, {"Last", REG_SZ, bytes("one")}}));

    const std::tuple<const char*, const char*, bool> letters[] = {
        {"\x8A", "\x9A", true},   // S and s with caron
        {"\x8C", "\x9C", true},   // OE and oe
        {"\x8E", "\x9E", true},   // Z and z with caron
        {"\x9F", "\xFF", true},   // Y and y with diaeresis
        {"\xC0", "\xE0", true},   // A and a with grave
        {"\xDE", "\xFE", true},   // thorn
        {"\xD7", "\xF7", false},  // multiplication and division signs
        {"\xDF", "\xFF", false},  // sharp s and y with diaeresis
        {"\x8A", "\x8B", false},  // S with caron and a quotation mark
        {"[", "{", false},
    };
    for (std::size_t i = 0; i < std::size(letters); ++i) {
        const auto& [stored, asked, same] = letters[i];
        const std::string key = "Fold\\" + std::to_string(i);
        ASSERT_TRUE(hive.setValue(HKLM, key + stored, "v"s + stored, REG_SZ, {}));
        EXPECT_EQ(hive.keyExists(HKLM, key + asked), same) << i;
        EXPECT_EQ(hive.getValue(HKLM, key + stored, "v"s + asked).has_value(), same) << i;
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
// then another connection sees nothing of them.
TEST_F(StoreTest, BatchesAreAllOrNothingAndOnlyTheOutermostCommits) {
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
    EXPECT_EQ(listed(*other, HKLM, "K"),
              (Listed{{"Inner", REG_SZ, bytes("1")}, {"Outer", REG_DWORD, {1, 0, 0, 0}}}));
    {
        Batch dropped;
        RegSetString(HKLM, "Dropped", "v", "dropped");
    }
    RegSetString(HKLM, "Kept", "v", "kept");  // may be given the dropped key's number
    EXPECT_EQ(RegGetString(HKLM, "Dropped", "v"), std::nullopt);
}

// Reads see what another connection (another process) changed since, also where a key they
// found was deleted and its number given to a new key, or a key they missed was made.
TEST_F(StoreTest, ReadsSeeWhatAnotherConnectionChanged) {
    const auto other = Hive::open(file_);
    const auto replace = [&](const char* gone, const char* made) {
        ASSERT_TRUE(other->deleteKeyTree(HKLM, gone));
        ASSERT_TRUE(other->setValue(HKLM, made, "v", REG_SZ, bytes(made)));
    };
    RegSetString(HKLM, "Old", "v", "old");
    EXPECT_TRUE(hive.keyExists(HKLM, "Old"));
    replace("Old", "New");
    EXPECT_FALSE(hive.keyExists(HKLM, "Old"));
    EXPECT_EQ(RegGetString(HKLM, "New", "v"), "New");
    EXPECT_EQ(RegGetString(HKLM, "Made", "v"), std::nullopt);
    replace("New", "Newer");
    ASSERT_TRUE(other->setValue(HKLM, "Made", "v", REG_SZ, bytes("made")));
    EXPECT_EQ(RegGetString(HKLM, "New", "v"), std::nullopt);
    EXPECT_EQ(RegGetString(HKLM, "Made", "v"), "made");
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
            EXPECT_EQ(read(), !lost) << table;
            EXPECT_EQ(watch.failed(), lost) << table;
        }
        ASSERT_EQ(sql(file_, "ALTER TABLE hidden RENAME TO "s + table), SQLITE_OK);
    }
}

// Under XDG_DATA_HOME, else under HOME; created private with its journal files; opening drops
// group and other bits, never adds write.
TEST(Hive, LivesWhereItBelongsPrivateAndNeverGainsWrite) {
    const std::string saved = std::getenv("XDG_DATA_HOME");
    EXPECT_EQ(defaultHivePath(), std::filesystem::path(saved) / "tunexa/registry.db");
    unsetenv("XDG_DATA_HOME");
    EXPECT_EQ(defaultHivePath(),
              std::filesystem::path(std::getenv("HOME")) / ".local/share/tunexa/registry.db");
    setenv("XDG_DATA_HOME", saved.c_str(), 1);
    TempDir dir;
    const auto file = dir / "tunexa" / "registry.db";
    auto hive = Hive::open(file);
    EXPECT_EQ(hive->report().outcome, OpenOutcome::Created);
    ASSERT_TRUE(hive->setValue(HKLM, "K", "v", REG_SZ, bytes("x")));
    EXPECT_EQ(modeOf(file.parent_path()), perms::owner_all);
    for (const char* suffix : {"", "-wal", "-shm"}) {
        EXPECT_EQ(modeOf(file.string() + suffix), kPrivate) << suffix;
    }
    hive.reset();
    for (const perms mode :
         {kPrivate | perms::group_read | perms::others_read, perms::owner_read}) {
        std::filesystem::permissions(file, mode);
        Hive::open(file);
        EXPECT_EQ(modeOf(file), mode & perms::owner_all);
    }
}

// The `nth` connection opened refuses `action` (on `what`, when given): a hook for OnEachOpen,
// which counts its refusals.
int refusals = 0;
OpenHook refusing(int nth, int action, std::string what = {}) {
    const auto refused = std::make_shared<std::pair<int, std::string>>(action, std::move(what));
    return [nth, refused](sqlite3* db, int opened) {
        const auto authorize = [](void* refusal, int asked, const char* on, const char*,
                                  const char*, const char*) {
            const auto& [refusedAction, refusedOn] =
                *static_cast<std::pair<int, std::string>*>(refusal);
            const bool refuse =
                asked == refusedAction && (refusedOn.empty() || refusedOn == (on ? on : ""));
            refusals += refuse ? 1 : 0;
            return refuse ? SQLITE_DENY : SQLITE_OK;
        };
        return opened == nth ? sqlite3_set_authorizer(db, authorize, refused.get()) : SQLITE_OK;
    };
}

// What opening finds, told as it is. A file that is not a hive is moved aside, never overwritten,
// and an empty hive takes its place, unless that cannot be opened or prepared either: then the
// store is unavailable, and says where the old file went. An integrity check that cannot run
// (another program's lock; here SQLite refuses it) is no damage: the hive opens, nothing told.
TEST(Hive, WhatOpeningFindsIsToldAsItIs) {
    const auto text = [](auto& file) { test::putFile(file, "not a database at all, just text"); };
    const std::string noEmpty = ", but no empty store could be started in its place: ";
    const std::tuple<std::function<void(const std::filesystem::path&)>, OpenHook, OpenOutcome,
                     std::string>
        cases[] = {
            {text, nullptr, OpenOutcome::ReplacedDamaged, " and an empty store was started."},
            {[](auto& file) { sql(file, "CREATE TABLE photos(id INTEGER);"); }, nullptr,
             OpenOutcome::ReplacedDamaged, "(not a Tunexa settings store)"},
            {[](auto& file) { std::filesystem::create_directories(file); }, nullptr,
             OpenOutcome::Unavailable, "cannot be opened"},
            {text, [](sqlite3*, int opened) { return opened == 2 ? SQLITE_CANTOPEN : SQLITE_OK; },
             OpenOutcome::Unavailable, noEmpty + "automatic extension loading failed"},
            {text, refusing(2, SQLITE_CREATE_TABLE), OpenOutcome::Unavailable,
             noEmpty + "not authorized"},
            {[](auto& file) {
                 Hive::open(file)->createKey(HKLM, "K");
                 touch(file);  // so that the check runs
             },
             refusing(1, SQLITE_PRAGMA, "quick_check"), OpenOutcome::Opened, ""}};
    for (const auto& [make, hook, outcome, told] : cases) {
        TempDir dir;
        const auto file = dir / "registry.db";
        make(file);
        const std::string before = test::fileBytes(file);
        const int refusedBefore = refusals;
        const OnEachOpen refusal(hook);
        auto hive = Hive::open(file);
        const auto& report = hive->report();
        EXPECT_TRUE(!told.empty() || refusals > refusedBefore) << "the check did not run";
        EXPECT_EQ(report.outcome, outcome) << told;
        EXPECT_NE(report.detail.find(told), std::string::npos) << report.detail;
        EXPECT_TRUE(!told.empty() || report.detail.empty()) << report.detail;
        EXPECT_NE(report.detail.find(report.movedAsideTo.string()), std::string::npos);
        EXPECT_EQ(test::fileBytes(report.movedAsideTo), report.movedAsideTo.empty() ? "" : before);
        EXPECT_EQ(hive->setValue(HKLM, "K", "v", REG_SZ, {}), outcome != OpenOutcome::Unavailable);
    }
}

// The integrity check reads every page, so it runs only when the file may have changed outside
// Tunexa since a session found it sound and closed it: another program touched it, or a session
// ended without closing. A damaged hive is caught before anything is written to it, also when its
// time was set back; damage met while working stops the writing, and is caught at the next start.
TEST(Hive, TheCheckRunsWhenTheFileMayHaveChangedAndDamageIsNeverWritten) {
    TempDir dir;
    const auto file = dir / "registry.db";
    ASSERT_TRUE(Hive::open(file)->setValue(HKLM, "K", "v", REG_SZ, bytes("kept")));
    const auto checks = [&](const std::function<void()>& meanwhile) {
        meanwhile();
        const int refusedBefore = refusals;
        const OnEachOpen counting(refusing(1, SQLITE_PRAGMA, "quick_check"));
        return Hive::open(file)->report().outcome == OpenOutcome::Opened &&
               refusals > refusedBefore;
    };
    EXPECT_FALSE(checks([] {}));
    EXPECT_TRUE(checks([&] { touch(file); }));
    EXPECT_TRUE(checks([] {}));  // a check kept from running leaves nothing noted
    EXPECT_TRUE(checks([&] {
        EXPECT_FALSE(inProcesses(1, [&](int) {
            auto crashing = Hive::open(file);
            crashing->setValue(HKLM, "K", "v", REG_SZ, bytes("crash"));
            _exit(1);  // without closing the hive
            return true;
        }));
    }));
    Hive::open(file);  // checked, and noted as sound

    const auto damage = [&] {
        ASSERT_EQ(sql(file, "PRAGMA wal_checkpoint(TRUNCATE)"), SQLITE_OK);
        test::damageKeepingTime(file);
    };
    damage();
    const std::string damaged = test::fileBytes(file);
    const auto reopened = Hive::open(file);
    EXPECT_EQ(reopened->report().outcome, OpenOutcome::ReplacedDamaged);
    EXPECT_EQ(test::fileBytes(reopened->report().movedAsideTo), damaged);

    // Damage met while working: another connection's commit makes the hive read it from disk.
    auto hive = Hive::open(file);
    ASSERT_TRUE(hive->setValue(HKLM, "K", "v", REG_SZ, bytes("new")));
    damage();
    ASSERT_EQ(sql(file, "PRAGMA user_version=3"), SQLITE_OK);
    EXPECT_EQ(hive->getValue(HKLM, "K", "v"), std::nullopt);
    EXPECT_FALSE(hive->setValue(HKLM, "Other", "v", REG_SZ, bytes("new")));
    EXPECT_NE(hive->lastFailure()->message.find("is damaged; no change is saved"), npos);
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
        giveToUnprivileged(dir.path());
        EXPECT_TRUE(asUnprivileged([&]() -> std::string {
            std::filesystem::permissions(protectedPath, mode);
            auto hive = Hive::open(file, openMode);
            const FailureWatch watch(*hive);
            if (hive->report().outcome != OpenOutcome::ReadOnly ||
                hive->getValue(HKLM, "k", "V") != sz("kept") || watch.failed()) {
                return "not read as read-only: " + hive->report().detail;
            }
            if (hive->setValue(HKLM, "K", "v", REG_SZ, bytes("new")) ||
                watch.reason().find(reason) == std::string::npos || modeOf(protectedPath) != mode) {
                return "not refused with the reason, protection kept: " + watch.reason();
            }
            hive.reset();
            std::filesystem::permissions(protectedPath, perms::owner_all);
            hive = Hive::open(file);
            if (!hive->setValue(HKLM, "K", "v", REG_SZ, bytes("new"))) {
                return "not written once writable: " + hive->lastFailure()->message;
            }
            return {};
        }));
    }
}

// However a write of a change fails (another process holds the store, the store refuses the
// third write, the record cannot be written), the commit says so with the reason, every write of
// the change is gone, the files it wrote are put back, nothing is recorded, and the store works
// again once the cause is gone.
TEST(Hive, AChangeWithAFailedWriteRollsBackWhole) {
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
    for (const auto& [cause, cured, reason] : cases) {
        SCOPED_TRACE(reason);
        TempDir dir;
        const auto file = dir / "registry.db";
        auto hive = Hive::open(file);
        hive->setBusyTimeout(50);
        ASSERT_TRUE(hive->setValue(HKLM, "K", "first", REG_SZ, bytes("old")));
        sqlite3* other = nullptr;
        ASSERT_EQ(sqlite3_open(file.c_str(), &other), SQLITE_OK);
        ASSERT_EQ(sqlite3_exec(other, cause, nullptr, nullptr, nullptr), SQLITE_OK);
        MemoryFiles files;
        {
            Change change(*hive, "Apply", &files);
            files.writeIn(change, "tunexa.bat", "new");
            for (const char* name : {"first", "second", "third", "fourth"}) {
                hive->setValue(HKLM, "K", name, REG_SZ, bytes("new"));
            }
            EXPECT_FALSE(change.commit());
        }
        EXPECT_NE(hive->lastFailure()->message.find(reason), std::string::npos)
            << hive->lastFailure()->message;
        sqlite3_exec(other, cured, nullptr, nullptr, nullptr);
        sqlite3_close(other);
        EXPECT_EQ(listed(*hive, HKLM, "K"), (Listed{{"first", REG_SZ, bytes("old")}}));
        EXPECT_TRUE(hive->changes().empty() && files.files.empty());
        EXPECT_TRUE(hive->setValue(HKLM, "K", "second", REG_SZ, bytes("new")));
    }
}

// Names and depths up to the registry's limits are kept, longer and deeper ones refused. The
// deepest key with the longest names costs about what as many keys side by side cost.
TEST(Hive, RefusesWhatTheRegistryRefusesAndGrowsLinearlyWithDepth) {
    const auto deep = [](std::size_t levels, std::size_t nameLength) {
        std::string path;
        for (std::size_t level = 0; level < levels; ++level) {
            std::string name = std::to_string(level);
            path = joinPath(path, name.append(nameLength - std::min(nameLength, name.size()), 'n'));
        }
        return path;
    };
    const auto hiveBytes = [&](bool nested) {
        TempDir folder;
        auto hive = Hive::open(folder / "h.db");
        for (const std::size_t over : {0u, 1u}) {
            for (const std::string& key :
                 {deep(kMaxKeyDepth + over, 1), deep(1, kMaxKeyNameLength + over)}) {
                EXPECT_EQ(hive->createKey(HKLM, key) && hive->keyExists(HKLM, key), !over);
            }
            const std::string name(kMaxValueNameLength + over, 'v');
            EXPECT_EQ(
                hive->setValue(HKLM, "K", name, REG_SZ, {}) && hive->getValue(HKLM, "K", name),
                !over);
        }
        hive->deleteKeyTree(HKLM, "");
        const auto before = std::filesystem::file_size(folder / "h.db");
        Batch batch(*hive);
        const std::string path = deep(kMaxKeyDepth, kMaxKeyNameLength);
        for (const std::string_view name : components(path)) {
            EXPECT_TRUE(hive->createKey(HKLM, nested ? path.substr(0, name.end() - path.data())
                                                     : "Side\\"s + std::string(name)));
        }
        EXPECT_TRUE(batch.commit());
        hive.reset();
        return std::filesystem::file_size(folder / "h.db") - before;
    };
    EXPECT_LT(hiveBytes(true), 2 * hiveBytes(false));
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
            EXPECT_EQ(hive->getValue(HKLM, "SOFTWARE\\\xc9T\xc9", "CLOCK"), sz("100"));
            EXPECT_EQ(hive->storedPath(HKLM, "software\\\xe9t\xe9"), "Software\\\xc9t\xc9");
            EXPECT_EQ(hive->setValue(HKLM, "Software\\New", "v", REG_SZ, bytes("x")),
                      mode == OpenMode::ReadWrite);
            if (script == &second) {
                const auto list = hive->changes();
                ASSERT_EQ(list.size(), 1u);
                EXPECT_EQ(list[0].title, "Apply");
                const auto undo = planUndoLast(*hive, nullptr);
                EXPECT_EQ(undo.items.size(), 1u) << undo.problem;
                EXPECT_EQ(applyUndo(*hive, nullptr, undo), mode == OpenMode::ReadWrite);
                EXPECT_EQ(hive->getValue(HKLM, "Software\\\xc9t\xc9", "Clock"),
                          sz(mode == OpenMode::ReadWrite ? "90" : "100"));
            }
        }
    }
}

// A change is recorded with the exact before- and after-image of every value, key and file it
// touched, spelled as the store holds them; nothing is recorded for one that altered nothing or
// was dropped, whose files are put back. Undo puts back exactly what was before, every type and
// byte, absent values, keys and files; undoing the undo redoes; what changed since is named.
TEST_F(ChangesTest, RecordsExactlyWhatAChangeAlteredAndUndoPutsItBack) {
    hive.setValue(HKLM, "Card\\D3D", "Clock", REG_SZ, Bytes{'9', '0', 0});  // with its NUL
    hive.setValue(HKLM, "Card\\D3D", "Odd", 0x1234, Bytes{0xFF, 0x00});
    hive.setValue(HKLM, "Card\\Old\\Sub", "Gone", REG_BINARY, Bytes{1, 2});
    files.files["tunexa.bat"] = bytes("SET A=0\r\n");
    {
        Change unchanged(hive, "same again");
        hive.setValue(HKLM, "Card\\D3D", "Clock", REG_SZ, Bytes{'9', '0', 0});
        hive.deleteValue(HKLM, "Card", "never there");
        EXPECT_TRUE(unchanged.commit());
        Change dropped(hive, "dropped", &files);
        files.writeIn(dropped, "tunexa.bat", "dropped");
        hive.setValue(HKLM, "Card\\D3D", "Clock", REG_SZ, bytes("dropped"));
    }
    const auto snapshot = [&] {
        return std::tuple(listed(hive, HKLM, "Card\\D3D"), listed(hive, HKLM, "Card\\New\\Deep"),
                          listed(hive, HKLM, "Card\\Old\\Sub"), hive.subkeys(HKLM, "Card"),
                          files.files);
    };
    const auto before = snapshot();
    {
        Change change(hive, "Riva TNT: Apply", &files);
        hive.setValue(HKLM, "card\\d3d", "CLOCK", REG_DWORD, Bytes{100, 0, 0, 0});
        hive.setValue(HKLM, "CARD\\New\\Deep", "Fresh", REG_SZ, bytes("1"));
        hive.setValue(HKLM, "Card\\D3D", "Clock", REG_DWORD, Bytes{110, 0, 0, 0});
        hive.deleteValue(HKLM, "Card\\D3D", "odd");
        hive.deleteKeyTree(HKLM, "Card\\Old");
        files.writeIn(change, "tunexa.bat", "SET X=1\r\n");
        files.writeIn(change, "tx106hl.bat", "C:\r\n");
        ASSERT_TRUE(change.commit());
    }
    const auto after = snapshot();
    const auto list = hive.changes();
    ASSERT_EQ(list.size(), 1u);
    EXPECT_EQ(list[0].title, "Riva TNT: Apply");
    const auto record = hive.changeRecord(list[0].id);
    ASSERT_TRUE(record && record->info.damage.empty());
    std::map<std::string, std::pair<std::optional<RawValue>, std::optional<RawValue>>> items;
    for (const ChangeItem& item : record->items) {
        items[describeItem(item)] = {item.before, item.after};
    }
    const RawValue key{0, {}};
    EXPECT_EQ(items, (decltype(items){
                         {"HKEY_LOCAL_MACHINE\\Card\\D3D\\Clock",
                          {RawValue{REG_SZ, {'9', '0', 0}}, RawValue{REG_DWORD, {110, 0, 0, 0}}}},
                         {"HKEY_LOCAL_MACHINE\\Card\\D3D\\Odd", {RawValue{0x1234, {0xFF, 0}}, {}}},
                         {"HKEY_LOCAL_MACHINE\\Card\\New\\Deep\\Fresh", {std::nullopt, sz("1")}},
                         {"HKEY_LOCAL_MACHINE\\Card\\New", {std::nullopt, key}},
                         {"HKEY_LOCAL_MACHINE\\Card\\New\\Deep", {std::nullopt, key}},
                         {"HKEY_LOCAL_MACHINE\\Card\\Old\\Sub\\Gone",
                          {RawValue{REG_BINARY, {1, 2}}, std::nullopt}},
                         {"HKEY_LOCAL_MACHINE\\Card\\Old", {key, std::nullopt}},
                         {"HKEY_LOCAL_MACHINE\\Card\\Old\\Sub", {key, std::nullopt}},
                         {"C:\\tunexa.bat",
                          {RawValue{0, bytes("SET A=0\r\n")}, RawValue{0, bytes("SET X=1\r\n")}}},
                         {"C:\\tx106hl.bat", {std::nullopt, RawValue{0, bytes("C:\r\n")}}},
                     }));

    for (const auto* expected : {&before, &after}) {
        const auto undo = planUndoLast(hive, &files);
        EXPECT_EQ(undo.title,
                  expected == &before ? "Undo Riva TNT: Apply" : "Redo Riva TNT: Apply");
        EXPECT_TRUE(undo.differences.empty());
        ASSERT_TRUE(applyUndo(hive, &files, undo));
        EXPECT_EQ(snapshot(), *expected);
    }
    hive.setValue(HKLM, "Card\\New\\Deep", "Fresh", REG_SZ, bytes("edited"));  // another program
    files.files["tunexa.bat"] = bytes("edited by hand");
    std::map<std::string, std::string> differences;
    for (const auto& difference : planUndoLast(hive, &files).differences) {
        differences[describeItem(difference.item)] = describeImage(difference.item, difference.now);
    }
    EXPECT_EQ(differences, (std::map<std::string, std::string>{
                               {"HKEY_LOCAL_MACHINE\\Card\\New\\Deep\\Fresh", "REG_SZ edited"},
                               {"C:\\tunexa.bat", "14 bytes"}}));
}

TEST_F(ChangesTest, KeepsOnlyTheNewestChanges) {
    for (std::size_t i = 0; i < kKeptChanges + 3; ++i) {
        Change change(hive, "step " + std::to_string(i));
        hive.setValue(HKLM, "K", "v", REG_DWORD, Bytes{static_cast<std::uint8_t>(i), 0, 0, 0});
        ASSERT_TRUE(change.commit());
    }
    const auto list = hive.changes();
    ASSERT_EQ(list.size(), kKeptChanges);
    EXPECT_EQ(list.front().title, "step " + std::to_string(kKeptChanges + 2));
    EXPECT_EQ(list.back().title, "step 3");
    EXPECT_FALSE(hive.changeRecord(list.back().id - 1));
}

// A hand-edited record is reported and never undone; nothing else is undone in its place.
TEST_F(ChangesTest, ADamagedRecordIsReportedAndNeverUndone) {
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
        EXPECT_NE(undo.problem.find("damaged"), std::string::npos) << undo.problem;
        EXPECT_FALSE(applyUndo(hive, &files, undo));
        EXPECT_EQ(hive.getValue(HKLM, "K", "v"), sz(damage));
    }
}

// A profile puts back exactly the values and files it holds; a managed key it does not cover
// (another machine's display class) is left alone. Names are refused as the store cannot keep
// them.
TEST_F(ChangesTest, ProfilesPutBackExactlyWhatTheyHoldUnderAnAcceptedName) {
    const ManagedSet set{
        {{"Card\\D3D", "Clock"}, {"Card\\D3D", "Trilinear"}, {"Class\\0001", "mem"}},
        {{"C:\\tunexa.bat", "tunexa.bat"}}};
    hive.setValue(HKLM, "Card\\D3D", "Clock", REG_SZ, bytes("90"));
    hive.setValue(HKLM, "Class\\0001", "mem", REG_SZ, bytes("100"));
    files.files["tunexa.bat"] = bytes("SET A=0\r\n");
    ASSERT_TRUE(saveProfile(hive, &files, "Safe", set));

    hive.setValue(HKLM, "Card\\D3D", "Clock", REG_DWORD, Bytes{120, 0, 0, 0});
    hive.setValue(HKLM, "Card\\D3D", "Trilinear", REG_SZ, bytes("1"));
    files.files["tunexa.bat"] = bytes("SET A=1\r\n");
    EXPECT_FALSE(profileMatches(hive, &files, "safe", set));
    ManagedSet elsewhere = set;
    elsewhere.values[2].key = "Class\\0002";
    hive.setValue(HKLM, "Class\\0002", "mem", REG_SZ, bytes("110"));
    ASSERT_TRUE(applyProfile(hive, &files, "SAFE", elsewhere));
    EXPECT_EQ(listed(hive, HKLM, "Card\\D3D"), (Listed{{"Clock", REG_SZ, bytes("90")}}));
    EXPECT_EQ(hive.getValue(HKLM, "Class\\0002", "mem"), sz("110"));
    EXPECT_EQ(files.files["tunexa.bat"], bytes("SET A=0\r\n"));
    EXPECT_TRUE(profileMatches(hive, &files, "Safe", set));
    EXPECT_EQ(hive.changes().front().title, "Apply profile \"Safe\"");

    const std::string longest(kMaxProfileNameLength, 'x');
    for (const std::string& name : {longest, "Benchmark \xe9t\xe9"s}) {
        EXPECT_FALSE(profileNameProblem(name)) << name;
    }
    for (const std::string& name : {longest + "x", ""s, "a\\b"s, "tab\there"s, "\x81"s}) {
        EXPECT_TRUE(profileNameProblem(name)) << name;
    }
}

// A writer killed at any moment, alternating single writes and recorded changes: every write the
// store acknowledged is there, the hive opens sound, and each change has its record or neither.
TEST(Durability, EveryAcknowledgedWriteSurvivesSigkill) {
    const auto keyFor = [](int i) { return "Crash\\Key" + std::to_string(i % 37); };
    for (unsigned round = 0; round < 4; ++round) {
        TempDir dir;
        const auto file = dir / "registry.db";
        int fds[2];
        ASSERT_EQ(pipe(fds), 0);
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        for (int i = 0; child == 0; ++i) {  // reports each acknowledged write until killed
            if (i == 0) {
                useHiveFile(file);
            }
            const FailureWatch watch;
            std::optional<Change> change;
            if (i % 3 == 0) {
                change.emplace(currentHive(), "write " + std::to_string(i));
            }
            RegSetString(HKLM, keyFor(i), "V" + std::to_string(i), std::to_string(i));
            RegSetDword(HKLM, keyFor(i), "D" + std::to_string(i), i);
            const std::string line = std::to_string(i) + "\n";
            if ((!change || change->commit()) && !watch.failed() &&
                write(fds[1], line.data(), line.size()) < 0) {
                _exit(3);
            }
        }
        close(fds[1]);
        FILE* reports = fdopen(fds[0], "r");
        std::set<int> acknowledged;
        for (int number = 0; fscanf(reports, "%d", &number) == 1;) {
            acknowledged.insert(number);
            if (acknowledged.size() == 40u + round * 35u) {  // a different moment each round
                kill(child, SIGKILL);
            }
        }
        fclose(reports);
        int status = 0;
        waitpid(child, &status, 0);
        ASSERT_TRUE(WIFSIGNALED(status)) << "the writer stopped by itself";

        EXPECT_EQ(useHiveFile(file).outcome, OpenOutcome::Opened);
        for (int i : acknowledged) {
            EXPECT_EQ(RegGetString(HKLM, keyFor(i), "V" + std::to_string(i)), std::to_string(i));
            EXPECT_EQ(RegGetDword(HKLM, keyFor(i), "D" + std::to_string(i)), i);
        }
        std::set<std::string> titles;
        for (const ChangeInfo& info : currentHive().changes()) {
            titles.insert(info.title);
            const auto record = currentHive().changeRecord(info.id);
            EXPECT_TRUE(record && record->info.damage.empty()) << info.title;
        }
        for (int i = 0; i < *acknowledged.rbegin() + 10; i += 3) {
            EXPECT_EQ(RegGetString(HKLM, keyFor(i), "V" + std::to_string(i)).has_value(),
                      titles.contains("write " + std::to_string(i)))
                << i;
        }
        useHive(nullptr);
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
        EXPECT_TRUE(inProcesses(4,
                                [&](int writer) {
                                    const auto& report = useHiveFile(file);
                                    const FailureWatch watch;
                                    for (int i = 0; i < writes; ++i) {
                                        RegSetDword(HKLM, "Shared\\" + std::to_string(writer),
                                                    "V" + std::to_string(i), i);
                                        Batch batch;
                                        RegSetDword(HKLM, "Shared", "Counter",
                                                    RegGetDword(HKLM, "Shared", "Counter") + 1);
                                        batch.commit();
                                    }
                                    return report.detail.empty() && !watch.failed() &&
                                           (report.outcome == OpenOutcome::Created ||
                                            report.outcome == OpenOutcome::Opened);
                                }))
            << "round " << round;
        const auto hive = Hive::open(file);
        EXPECT_EQ(hive->getValue(HKLM, "Shared", "Counter"),
                  (RawValue{REG_DWORD, {static_cast<std::uint8_t>(4 * writes), 0, 0, 0}}));
        for (int writer = 0; writer < 4; ++writer) {
            EXPECT_EQ(hive->values(HKLM, "Shared\\" + std::to_string(writer)).size(),
                      std::size_t(writes));
        }
    }
}

}  // namespace
}  // namespace tunexa::store
