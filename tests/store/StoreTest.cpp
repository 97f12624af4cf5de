// The hive and the seven operations on it: readers, writers, names and their letter case in
// Windows-1252, roots and batches; the hive file (where it lives, who may read it, damage, write
// protection, failures inside a batch, the registry's limits, older hives); the change record,
// undo and profiles; crash and concurrency behaviour with real processes.
#include <grp.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sqlite3.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <functional>
#include <map>
#include <optional>
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

inline constexpr HKEY HKLM = HKEY_LOCAL_MACHINE;

inline Bytes bytes(std::string_view text) {
    return Bytes(text.begin(), text.end());
}

inline RawValue sz(std::string_view text) {
    return RawValue{REG_SZ, bytes(text)};
}

inline std::filesystem::perms modeOf(const std::filesystem::path& path) {
    return std::filesystem::status(path).permissions() & std::filesystem::perms::all;
}

// Runs SQL on the hive file through a connection of its own, as another program (or a hand
// edit) would; the SQLite result code.
inline int sql(const std::filesystem::path& file, const std::string& statements) {
    sqlite3* db = nullptr;
    const int rc = sqlite3_open(file.c_str(), &db) == SQLITE_OK
                       ? sqlite3_exec(db, statements.c_str(), nullptr, nullptr, nullptr)
                       : SQLITE_CANTOPEN;
    sqlite3_close(db);
    return rc;
}

// A key's values as (name, type, bytes), in the hive's order.
using Listed = std::vector<std::tuple<std::string, std::uint32_t, Bytes>>;
inline Listed listed(Hive& hive, HKEY root, std::string_view key) {
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
        const auto found = files.find(path);
        change.addFile(ChangeItem{
            ItemKind::File, 0, path, "C:\\" + path,
            found == files.end() ? std::nullopt : std::optional(RawValue{0, found->second}),
            RawValue{0, bytes(content)}});
        files[path] = bytes(content);
    }

    std::map<std::string, Bytes> files;
};

// A fresh hive in a temporary folder, installed as the process's hive for the seven operations.
class StoreTest : public testing::Test {
  protected:
    ~StoreTest() override { useHive(nullptr); }

    tunexa::test::TempDir dir_;
    const std::filesystem::path file_ = dir_ / "registry.db";
    Hive& hive = (useHiveFile(file_), currentHive());
    MemoryFiles files;  // for the change record's tests
};

constexpr uid_t kNobody = 65534;
// Runs `work` in a child process as the unprivileged user nobody (65534) when the tests run as
// root, so that file permissions hold. True when `work` found nothing wrong; what it found goes to
// standard error.
bool asUnprivileged(const std::function<std::string()>& work) {
    const pid_t child = ::fork();
    if (child == 0) {
        if (::geteuid() == 0 &&
            (::setgroups(0, nullptr) != 0 || ::setresgid(kNobody, kNobody, kNobody) != 0 ||
             ::setresuid(kNobody, kNobody, kNobody) != 0)) {
            _exit(2);
        }
        const std::string problem = work();
        std::fputs((problem + "\n").c_str(), stderr);
        _exit(problem.empty() ? 0 : 1);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    return child > 0 && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

// Hands the folder and everything in it to the user asUnprivileged() runs as, and lets it reach
// the folder through the folders above.
void giveToUnprivileged(const std::filesystem::path& folder) {
    std::error_code ignored;
    for (auto up = folder.parent_path(); ::geteuid() == 0 && up != up.root_path();
         up = up.parent_path()) {
        std::filesystem::permissions(up, std::filesystem::perms::others_exec,
                                     std::filesystem::perm_options::add, ignored);
    }
    bool given = ::geteuid() == 0 && ::chown(folder.c_str(), kNobody, kNobody) == 0;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(folder)) {
        given = given && ::lchown(entry.path().c_str(), kNobody, kNobody) == 0;
    }
}

// What each reader gives for data another program stored: text before the first NUL, a double
// word of at most four bytes, exactly one byte of binary; anything else nothing, or 0.
TEST_F(StoreTest, ReadersFollowTheTypeNulAndSizeRules) {
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
}

// Writers store exact types and bytes, creating the key and its parents; reads and deletes of
// what is not there create nothing; values of any other type stay as they were.
TEST_F(StoreTest, WritersStoreExactBytesAndOnlyTheyCreateKeys) {
    EXPECT_FALSE(RegGetString(HKLM, "A\\B", "x") || RegGetDword(HKLM, "A\\B", "x") ||
                 RegGetBinary(HKLM, "A\\B", "x"));
    RegDeleteValue(HKLM, "A\\B", "x");
    EXPECT_FALSE(hive.keyExists(HKLM, "A"));

    const Bytes multi = {'a', 0, 'b', 0, 0};
    ASSERT_TRUE(hive.setValue(HKLM, "A\\B\\C", "Multi", REG_MULTI_SZ, multi));
    ASSERT_TRUE(hive.setValue(HKLM, "A\\B\\C", "Odd", 0x12345678, Bytes{9, 0}));
    RegSetString(HKLM, "A\\B\\C", "Text", "110");
    RegSetString(HKLM, "A\\B\\C", "Empty", "");
    RegSetDword(HKLM, "A\\B\\C", "Number", static_cast<std::int32_t>(0x87654321));
    RegSetBinary(HKLM, "A\\B\\C", "Byte", 258);
    EXPECT_EQ(listed(hive, HKLM, "A\\B\\C"),
              (Listed{{"Multi", REG_MULTI_SZ, multi},
                      {"Odd", 0x12345678, {9, 0}},
                      {"Text", REG_SZ, bytes("110")},
                      {"Empty", REG_SZ, {}},
                      {"Number", REG_DWORD, {0x21, 0x43, 0x65, 0x87}},
                      {"Byte", REG_BINARY, {0x02}}}));
}

// A rewritten value keeps its place and first spelling; a deleted one goes, and only it. Each
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
}

using std::filesystem::perms;
constexpr perms kPrivate = perms::owner_read | perms::owner_write;

// Under XDG_DATA_HOME, else under HOME; created private with its journal files; opening drops
// group and other bits, never adds write.
TEST(Hive, LivesWhereItBelongsPrivateAndNeverGainsWrite) {
    const std::string saved = std::getenv("XDG_DATA_HOME");
    EXPECT_EQ(defaultHivePath(), std::filesystem::path(saved) / "tunexa/registry.db");
    unsetenv("XDG_DATA_HOME");
    EXPECT_EQ(defaultHivePath(),
              std::filesystem::path(std::getenv("HOME")) / ".local/share/tunexa/registry.db");
    setenv("XDG_DATA_HOME", saved.c_str(), 1);
    tunexa::test::TempDir dir;
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

// A file that is not a hive is moved aside, never overwritten, and an empty hive takes its
// place; a path that cannot hold a file leaves the store unavailable.
TEST(Hive, ADamagedOrForeignFileIsMovedAside) {
    const std::pair<std::function<void(const std::filesystem::path&)>, OpenOutcome> cases[] = {
        {[](auto& file) { test::putFile(file, "this is not a database at all, just text"); },
         OpenOutcome::ReplacedDamaged},
        {[](auto& file) { sql(file, "CREATE TABLE photos(id INTEGER);"); },
         OpenOutcome::ReplacedDamaged},
        {[](auto& file) { std::filesystem::create_directories(file); }, OpenOutcome::Unavailable},
    };
    for (const auto& [damage, outcome] : cases) {
        tunexa::test::TempDir dir;
        const auto file = dir / "registry.db";
        damage(file);
        const std::string before = test::fileBytes(file);
        auto hive = Hive::open(file);
        const auto& report = hive->report();
        EXPECT_EQ(report.outcome, outcome) << before;
        EXPECT_EQ(hive->setValue(HKLM, "K", "v", REG_SZ, {}), outcome != OpenOutcome::Unavailable);
        EXPECT_EQ(test::fileBytes(report.movedAsideTo), before);
        EXPECT_NE(report.detail.find(report.movedAsideTo.string()), std::string::npos);
    }
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
        tunexa::test::TempDir dir;
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
// third write, the record cannot be written), the commit says so with the reason, every write
// of the change is gone, the files it wrote are put back, nothing is recorded, and the store
// works again once the cause is gone.
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
        tunexa::test::TempDir dir;
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
        ASSERT_TRUE(hive->lastFailure());
        EXPECT_NE(hive->lastFailure()->message.find(reason), std::string::npos)
            << hive->lastFailure()->message;
        sqlite3_exec(other, cured, nullptr, nullptr, nullptr);
        sqlite3_close(other);
        EXPECT_EQ(listed(*hive, HKLM, "K"), (Listed{{"first", REG_SZ, bytes("old")}}));
        EXPECT_TRUE(hive->changes().empty() && files.files.empty());
        EXPECT_TRUE(hive->setValue(HKLM, "K", "second", REG_SZ, bytes("new")));
    }
}

TEST(Hive, RefusesWhatTheRegistryRefusesAndGrowsLinearlyWithDepth) {
    tunexa::test::TempDir dir;
    auto hive = Hive::open(dir / "h.db");
    const auto deep = [](std::size_t levels, std::size_t nameLength) {
        std::string path;
        for (std::size_t level = 0; level < levels; ++level) {
            std::string name = std::to_string(level);
            name.resize(std::max(name.size(), nameLength), 'n');
            path += (path.empty() ? "" : "\\") + name;
        }
        return path;
    };
    for (const std::size_t over : {0u, 1u}) {
        SCOPED_TRACE(over ? "beyond the limits" : "at the limits");
        for (const std::string& key :
             {deep(kMaxKeyDepth + over, 1), deep(1, kMaxKeyNameLength + over)}) {
            EXPECT_EQ(hive->createKey(HKLM, key) && hive->keyExists(HKLM, key), !over);
        }
        const std::string name(kMaxValueNameLength + over, 'v');
        EXPECT_EQ(hive->setValue(HKLM, "K", name, REG_SZ, {}) && hive->getValue(HKLM, "K", name),
                  !over);
    }
    // The deepest key with the longest names costs about what as many keys side by side cost.
    const auto hiveBytes = [&](bool nested) {
        tunexa::test::TempDir folder;
        {
            auto grown = Hive::open(folder / "h.db");
            Batch batch(*grown);
            const std::string path = deep(kMaxKeyDepth, kMaxKeyNameLength);
            if (nested) {
                EXPECT_TRUE(grown->createKey(HKLM, path));
            }
            for (std::size_t end = path.find('\\'); !nested && end != std::string::npos;
                 end = path.find('\\', end + 1)) {
                grown->createKey(HKLM, path.substr(end + 1, 255));
            }
            EXPECT_TRUE(batch.commit());
        }
        return std::filesystem::file_size(folder / "h.db");
    };
    EXPECT_LT(hiveBytes(true), 2 * hiveBytes(false));
}

// A hive written by the first release (every key row with its whole folded path) opens with its
// contents, upgraded in place, or read from an upgraded copy when it is read-only.
TEST(Hive, AnOlderHiveOpensWithItsContents) {
    for (const OpenMode mode : {OpenMode::ReadWrite, OpenMode::ReadOnly}) {
        tunexa::test::TempDir dir;
        const auto file = dir / "registry.db";
        ASSERT_EQ(sql(file,
                      "CREATE TABLE keys(id INTEGER PRIMARY KEY, root, parent, path, name);"
                      "CREATE TABLE vals(key, fold, name, type, data, seq, PRIMARY KEY(key, fold)) "
                      "WITHOUT ROWID; INSERT INTO keys VALUES(1, 2147483650, NULL, x'', x''), "
                      "(2, 2147483650, 1, CAST('software' AS BLOB), CAST('Software' AS BLOB)), "
                      "(3, 2147483650, 2, x'736f667477617265' || x'5ce974e9', x'c974c9');"
                      "INSERT INTO vals VALUES(3, CAST('clock' AS BLOB), CAST('Clock' AS BLOB), 1, "
                      "CAST('100' AS BLOB), 1);"
                      "PRAGMA application_id=1415071830; PRAGMA user_version=1;"),
                  SQLITE_OK);
        auto hive = Hive::open(file, mode);
        EXPECT_EQ(hive->getValue(HKLM, "SOFTWARE\\\xc9T\xc9", "CLOCK"), sz("100"));
        EXPECT_EQ(hive->storedPath(HKLM, "software\\\xe9t\xe9"), "Software\\\xc9t\xc9");
        EXPECT_EQ(hive->setValue(HKLM, "Software\\New", "v", REG_SZ, bytes("x")),
                  mode == OpenMode::ReadWrite);
    }
}

using ChangesTest = StoreTest;

// A change is recorded with the exact before- and after-image of every value, key and file it
// touched; nothing is recorded for one that altered nothing or was dropped, and the files a
// dropped one wrote are put back.
TEST_F(ChangesTest, RecordsExactlyWhatAChangeAlteredAndNothingElse) {
    hive.setValue(HKLM, "Card\\D3D", "Clock", REG_SZ, bytes("90"));
    hive.setValue(HKLM, "Card\\Old\\Sub", "Gone", REG_BINARY, Bytes{1, 2});
    {
        Change unchanged(hive, "same again");
        hive.setValue(HKLM, "Card\\D3D", "Clock", REG_SZ, bytes("90"));
        hive.deleteValue(HKLM, "Card", "never there");
        EXPECT_TRUE(unchanged.commit());
        Change dropped(hive, "dropped", &files);
        files.writeIn(dropped, "tunexa.bat", "dropped");
        hive.setValue(HKLM, "Card\\D3D", "Clock", REG_SZ, bytes("dropped"));
    }
    EXPECT_TRUE(files.files.empty());
    {
        Change change(hive, "Riva TNT: Apply", &files);
        hive.setValue(HKLM, "card\\d3d", "CLOCK", REG_DWORD, Bytes{100, 0, 0, 0});
        hive.setValue(HKLM, "Card\\New\\Deep", "Fresh", REG_SZ, bytes("1"));
        hive.setValue(HKLM, "Card\\D3D", "Clock", REG_DWORD, Bytes{110, 0, 0, 0});
        hive.deleteKeyTree(HKLM, "Card\\Old");
        files.writeIn(change, "tunexa.bat", "SET X=1\r\n");
        ASSERT_TRUE(change.commit());
    }
    EXPECT_EQ(hive.subkeys(HKLM, "card"), (std::vector<std::string>{"D3D", "New"}));
    const auto list = hive.changes();
    ASSERT_EQ(list.size(), 1u);
    EXPECT_EQ(list[0].title, "Riva TNT: Apply");
    const auto record = hive.changeRecord(list[0].id);
    ASSERT_TRUE(record && record->info.damage.empty());
    std::map<std::string, std::pair<std::optional<RawValue>, std::optional<RawValue>>> items;
    for (const ChangeItem& item : record->items) {
        items[describeItem(item)] = {item.before, item.after};
    }
    // A value keeps its first before-image and its spelling; keys created and deleted count.
    const RawValue key{0, {}};
    EXPECT_EQ(items, (decltype(items){
                         {"HKEY_LOCAL_MACHINE\\Card\\D3D\\Clock",
                          {sz("90"), RawValue{REG_DWORD, {110, 0, 0, 0}}}},
                         {"HKEY_LOCAL_MACHINE\\Card\\New\\Deep\\Fresh", {std::nullopt, sz("1")}},
                         {"HKEY_LOCAL_MACHINE\\Card\\New", {std::nullopt, key}},
                         {"HKEY_LOCAL_MACHINE\\Card\\New\\Deep", {std::nullopt, key}},
                         {"HKEY_LOCAL_MACHINE\\Card\\Old\\Sub\\Gone",
                          {RawValue{REG_BINARY, {1, 2}}, std::nullopt}},
                         {"HKEY_LOCAL_MACHINE\\Card\\Old", {key, std::nullopt}},
                         {"HKEY_LOCAL_MACHINE\\Card\\Old\\Sub", {key, std::nullopt}},
                         {"C:\\tunexa.bat", {std::nullopt, RawValue{0, bytes("SET X=1\r\n")}}},
                     }));
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

// Undo puts back every type and byte, absent values, keys and files; undoing the undo redoes.
// What changed since is named before anything is undone; undo-to-here undoes the change and
// every later one as one change, and nothing older.
TEST_F(ChangesTest, UndoRestoresExactlyRedoesAndUndoesToHere) {
    {
        Change setup(hive, "Setup", &files);
        hive.setValue(HKLM, "Card", "Text", REG_SZ, Bytes{'9', '0', 0});  // with its NUL
        hive.setValue(HKLM, "Card", "Odd", 0x1234, Bytes{0xFF, 0x00});
        files.writeIn(setup, "tunexa.bat", "SET A=0\r\n");
        ASSERT_TRUE(setup.commit());
    }
    const auto snapshot = [&] {
        return std::tuple(listed(hive, HKLM, "Card"), listed(hive, HKLM, "Card\\Sub"),
                          hive.subkeys(HKLM, "Card"), files.files);
    };
    const auto before = snapshot();
    {
        Change change(hive, "Apply", &files);
        hive.setValue(HKLM, "Card", "Text", REG_DWORD, Bytes{1, 0, 0, 0});
        hive.deleteValue(HKLM, "Card", "Odd");
        hive.setValue(HKLM, "Card", "Added", REG_SZ, bytes("1"));
        hive.setValue(HKLM, "Card\\Sub", "New", REG_BINARY, Bytes{7});
        files.writeIn(change, "tunexa.bat", "SET A=1\r\n");
        files.writeIn(change, "tx106hl.bat", "C:\r\n");
        ASSERT_TRUE(change.commit());
    }
    const auto after = snapshot();
    for (const auto* expected : {&before, &after}) {
        const auto undo = planUndoLast(hive, &files);
        EXPECT_EQ(undo.title, expected == &before ? "Undo Apply" : "Redo Apply");
        EXPECT_TRUE(undo.differences.empty());
        ASSERT_TRUE(applyUndo(hive, &files, undo));
        EXPECT_EQ(snapshot(), *expected);
    }
    EXPECT_EQ(planUndoLast(hive, &files).title, "Undo Apply");

    hive.setValue(HKLM, "Card", "Added", REG_SZ, bytes("edited"));  // another program
    files.files["tunexa.bat"] = bytes("edited by hand");
    const auto undo = planUndoTo(hive, &files, hive.changes()[2].id);  // Apply and later
    std::map<std::string, std::string> differences;
    for (const auto& difference : undo.differences) {
        differences[describeItem(difference.item)] = describeImage(difference.item, difference.now);
    }
    EXPECT_EQ(differences, (std::map<std::string, std::string>{
                               {"HKEY_LOCAL_MACHINE\\Card\\Added", "REG_SZ edited"},
                               {"C:\\tunexa.bat", "14 bytes"}}));
    EXPECT_EQ(hive.getValue(HKLM, "Card", "Added"), sz("edited"));
    ASSERT_TRUE(applyUndo(hive, &files, undo));
    EXPECT_EQ(snapshot(), before);
    EXPECT_EQ(hive.changes().front().title, "Undo 3 changes, back to before \"Apply\"");
}

// A hand-edited record is reported and never undone; nothing else is undone in its place.
TEST_F(ChangesTest, ADamagedRecordIsReportedAndNeverUndone) {
    for (const char* damage :
         {"UPDATE change_items SET kind = 7", "UPDATE change_items SET before_data = NULL",
          "UPDATE change_items SET root = 5", "DELETE FROM change_items",
          "UPDATE changes SET time = 'noon'"}) {
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

    // Another machine's display class is not covered by the profile: it is left alone.
    ManagedSet elsewhere = set;
    elsewhere.values[2].key = "Class\\0002";
    hive.setValue(HKLM, "Class\\0002", "mem", REG_SZ, bytes("110"));
    ASSERT_TRUE(applyProfile(hive, &files, "SAFE", elsewhere));
    EXPECT_EQ(listed(hive, HKLM, "Card\\D3D"), (Listed{{"Clock", REG_SZ, bytes("90")}}));
    EXPECT_EQ(hive.getValue(HKLM, "Class\\0002", "mem"), sz("110"));
    EXPECT_EQ(files.files["tunexa.bat"], bytes("SET A=0\r\n"));
    EXPECT_TRUE(profileMatches(hive, &files, "Safe", set));
    EXPECT_EQ(hive.changes().front().title, "Apply profile \"Safe\"");
    EXPECT_EQ(profileNames(hive), std::vector<std::string>{"Safe"});

    // Applying is undoable like any change.
    ASSERT_TRUE(applyUndo(hive, &files, planUndoLast(hive, &files)));
    EXPECT_EQ(hive.getValue(HKLM, "Card\\D3D", "Trilinear"), sz("1"));
    EXPECT_EQ(files.files["tunexa.bat"], bytes("SET A=1\r\n"));

    ASSERT_TRUE(deleteProfile(hive, "safe"));
    EXPECT_TRUE(profileNames(hive).empty());
    EXPECT_FALSE(applyProfile(hive, &files, "Safe", set));
    const std::string longest(kMaxProfileNameLength, 'x');
    for (const std::string& name : {longest, "Benchmark \xe9t\xe9"s}) {
        EXPECT_FALSE(profileNameProblem(name)) << name;
    }
    for (const std::string& name : {longest + "x", ""s, "a\\b"s, "tab\there"s, "\x81"s}) {
        EXPECT_TRUE(profileNameProblem(name)) << name;
    }
}

TEST(Durability, EveryAcknowledgedWriteSurvivesSigkill) {
    const auto keyFor = [](int i) { return "Crash\\Key" + std::to_string(i % 37); };
    const auto nameFor = [](int i) { return "Value" + std::to_string(i); };
    for (unsigned round = 0; round < 4; ++round) {
        test::TempDir dir;
        const auto file = dir / "registry.db";
        int fds[2];
        ASSERT_EQ(pipe(fds), 0);
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        // The child writes until it is killed, alternating single writes and recorded changes,
        // and reports the number of every write the store acknowledged.
        if (child == 0) {
            useHiveFile(file);
        }
        for (int i = 0; child == 0; ++i) {
            FailureWatch watch;
            std::optional<Change> change;
            if (i % 3 == 0) {
                change.emplace(currentHive(), "write " + std::to_string(i));
            }
            RegSetString(HKLM, keyFor(i), nameFor(i), std::to_string(i));
            RegSetDword(HKLM, keyFor(i), nameFor(i) + "d", i);
            const std::string line = std::to_string(i) + "\n";
            if ((!change || change->commit()) && !watch.failed() &&
                write(fds[1], line.data(), line.size()) < 0) {
                _exit(3);
            }
        }
        close(fds[1]);

        // Let the child get some way in, varying the moment of the kill from round to round; what
        // it reported until then was written before the kill landed.
        FILE* reports = fdopen(fds[0], "r");
        std::set<int> acknowledged;
        for (int number = 0; fscanf(reports, "%d", &number) == 1;) {
            acknowledged.insert(number);
            if (acknowledged.size() == 40u + round * 35u) {
                kill(child, SIGKILL);
            }
        }
        fclose(reports);
        int status = 0;
        waitpid(child, &status, 0);
        ASSERT_TRUE(WIFSIGNALED(status)) << "the writer stopped by itself";

        // Opening checks the file's integrity: a damaged hive would be moved aside.
        EXPECT_EQ(useHiveFile(file).outcome, OpenOutcome::Opened);
        for (int i : acknowledged) {
            EXPECT_EQ(RegGetString(HKLM, keyFor(i), nameFor(i)), std::to_string(i)) << i;
            EXPECT_EQ(RegGetDword(HKLM, keyFor(i), nameFor(i) + "d"), i) << i;
        }
        // A change and its record: both or neither, also for the change the kill interrupted.
        std::set<std::string> titles;
        for (const ChangeInfo& info : currentHive().changes()) {
            titles.insert(info.title);
            const auto record = currentHive().changeRecord(info.id);
            EXPECT_TRUE(record && record->info.damage.empty()) << info.title;
        }
        for (int i = 0; i < *acknowledged.rbegin() + 10; i += 3) {
            EXPECT_EQ(RegGetString(HKLM, keyFor(i), nameFor(i)).has_value(),
                      titles.contains("write " + std::to_string(i)))
                << i;
        }
        useHive(nullptr);
    }
}

constexpr int kWriters = 4;
constexpr int kWritesEach = 40;

TEST(Durability, ConcurrentWritersLoseNothing) {
    test::TempDir dir;
    const auto file = dir / "registry.db";
    Hive::open(file);  // create it once, as the program would have
    std::vector<pid_t> children;
    for (int w = 0; w < kWriters; ++w) {
        children.push_back(fork());
        ASSERT_GE(children.back(), 0);
        if (children.back() != 0) {
            continue;
        }
        // Values of its own, and read-modify-write increments, each in a batch, of a counter
        // all share. Exit code 0 only if the store reported no failure at all.
        useHiveFile(file);
        FailureWatch watch;
        for (int i = 0; i < kWritesEach; ++i) {
            RegSetDword(HKLM, "Shared\\Writer" + std::to_string(w), "V" + std::to_string(i), i);
            Batch batch;
            RegSetDword(HKLM, "Shared", "Counter", RegGetDword(HKLM, "Shared", "Counter") + 1);
            if (!batch.commit()) {
                _exit(2);
            }
        }
        _exit(watch.failed() ? 1 : 0);
    }
    for (const pid_t child : children) {
        int status = 0;
        waitpid(child, &status, 0);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "a writer saw a failure";
    }
    useHiveFile(file);
    EXPECT_EQ(RegGetDword(HKLM, "Shared", "Counter"), kWriters * kWritesEach);
    for (int w = 0; w < kWriters; ++w) {
        EXPECT_EQ(currentHive().values(HKLM, "Shared\\Writer" + std::to_string(w)).size(),
                  std::size_t{kWritesEach});
    }
    useHive(nullptr);
}

}  // namespace
}  // namespace tunexa::store
