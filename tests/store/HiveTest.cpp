#include <gtest/gtest.h>
#include <sqlite3.h>

#include <fstream>
#include <iterator>

#include "TempRoot.h"
#include "Unprivileged.h"
#include "store/Limits.h"
#include "store/Registry.h"

namespace tunexa::store {
namespace {

constexpr HKEY HKLM = HKEY_LOCAL_MACHINE;

std::string readFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void writeFile(const std::filesystem::path& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

Bytes text(std::string_view s) {
    return Bytes(s.begin(), s.end());
}

TEST(Hive, CreatesAPrivateFileAndFolder) {
    test::TempDir dir;
    const auto file = dir / "tunexa" / "registry.db";
    auto hive = Hive::open(file);
    EXPECT_EQ(hive->report().outcome, OpenOutcome::Created);
    EXPECT_EQ(std::filesystem::status(file).permissions() & std::filesystem::perms::all,
              std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
    EXPECT_EQ(
        std::filesystem::status(file.parent_path()).permissions() & std::filesystem::perms::all,
        std::filesystem::perms::owner_all);
    ASSERT_TRUE(hive->setValue(HKLM, "K", "v", REG_SZ, text("x")));
    for (const char* journal : {"-wal", "-shm"}) {
        const std::filesystem::path side = file.string() + journal;
        ASSERT_TRUE(std::filesystem::exists(side)) << journal;
        EXPECT_EQ(std::filesystem::status(side).permissions() & std::filesystem::perms::all,
                  std::filesystem::perms::owner_read | std::filesystem::perms::owner_write)
            << journal;
    }
    EXPECT_EQ(Hive::open(file)->report().outcome, OpenOutcome::Opened);
}

TEST(Hive, DefaultPathFollowsXdgDataHome) {
    const char* saved = std::getenv("XDG_DATA_HOME");
    const std::string previous = saved != nullptr ? saved : "";
    setenv("XDG_DATA_HOME", "/some/data", 1);
    EXPECT_EQ(defaultHivePath(), std::filesystem::path("/some/data/tunexa/registry.db"));
    unsetenv("XDG_DATA_HOME");
    EXPECT_EQ(defaultHivePath(),
              std::filesystem::path(std::getenv("HOME")) / ".local/share/tunexa/registry.db");
    setenv("XDG_DATA_HOME", previous.c_str(), 1);
}

TEST(Hive, ListsSubkeysInCaseInsensitiveOrderAndValuesInCreationOrder) {
    test::TempDir dir;
    auto hive = Hive::open(dir / "h.db");
    for (const char* key : {"Root\\beta", "Root\\Alpha", "Root\\GAMMA\\Deep", "Other"}) {
        ASSERT_TRUE(hive->createKey(HKLM, key));
    }
    EXPECT_EQ(hive->subkeys(HKLM, "ROOT"), (std::vector<std::string>{"Alpha", "beta", "GAMMA"}));
    EXPECT_EQ(hive->subkeys(HKLM, ""), (std::vector<std::string>{"Other", "Root"}));

    for (const char* name : {"z", "a", "m"}) {
        ASSERT_TRUE(hive->setValue(HKLM, "Root", name, REG_SZ, text(name)));
    }
    ASSERT_TRUE(hive->setValue(HKLM, "Root", "A", REG_DWORD, Bytes{1, 0, 0, 0}));  // replaces "a"
    const auto values = hive->values(HKLM, "root");
    ASSERT_EQ(values.size(), 3u);
    EXPECT_EQ(values[0].name, "z");
    EXPECT_EQ(values[1].name, "a");
    EXPECT_EQ(values[1].type, REG_DWORD);
    EXPECT_EQ(values[2].name, "m");
}

TEST(Hive, DeletesAWholeSubtreeAndNothingBeside) {
    test::TempDir dir;
    auto hive = Hive::open(dir / "h.db");
    for (const char* key : {"A\\B", "A\\B\\C", "A\\B2", "A\\B]", "AB"}) {
        ASSERT_TRUE(hive->setValue(HKLM, key, "v", REG_SZ, text(key)));
    }
    ASSERT_TRUE(hive->deleteKeyTree(HKLM, "a\\b"));
    EXPECT_FALSE(hive->keyExists(HKLM, "A\\B"));
    EXPECT_FALSE(hive->keyExists(HKLM, "A\\B\\C"));
    EXPECT_FALSE(hive->getValue(HKLM, "A\\B\\C", "v").has_value());
    EXPECT_TRUE(hive->getValue(HKLM, "A\\B2", "v").has_value());
    EXPECT_TRUE(hive->getValue(HKLM, "A\\B]", "v").has_value());
    EXPECT_TRUE(hive->getValue(HKLM, "AB", "v").has_value());
    ASSERT_TRUE(hive->setValue(HKLM, "A\\B\\C", "v", REG_SZ, text("again")));
    EXPECT_EQ(hive->storedPath(HKLM, "a\\b\\c"), "A\\B\\C");
}

TEST(Hive, TheEmptyPathIsTheRootKey) {
    test::TempDir dir;
    auto hive = Hive::open(dir / "h.db");
    ASSERT_TRUE(hive->setValue(HKLM, "", "AtRoot", REG_SZ, text("x")));
    EXPECT_TRUE(hive->getValue(HKLM, "", "atroot").has_value());
    EXPECT_TRUE(hive->getValue(HKLM, "\\", "atroot").has_value());
    EXPECT_FALSE(hive->getValue(HKEY_CURRENT_USER, "", "atroot").has_value());
}

TEST(Hive, DamagedFileIsMovedAsideNeverOverwritten) {
    const std::string damages[] = {
        std::string("this is not a database at all, just text"),
        std::string("SQLite format 3") + std::string(1, '\0') + std::string(4000, '\x7f'),
    };
    for (const auto& garbage : damages) {
        test::TempDir dir;
        const auto file = dir / "registry.db";
        writeFile(file, garbage);
        auto hive = Hive::open(file);
        EXPECT_EQ(hive->report().outcome, OpenOutcome::ReplacedDamaged);
        ASSERT_FALSE(hive->report().movedAsideTo.empty());
        EXPECT_EQ(readFile(hive->report().movedAsideTo), garbage);
        EXPECT_NE(hive->report().detail.find(hive->report().movedAsideTo.string()),
                  std::string::npos);
        EXPECT_TRUE(hive->setValue(HKLM, "K", "v", REG_SZ, text("fresh")));
        EXPECT_TRUE(hive->getValue(HKLM, "K", "v").has_value());
    }
}

TEST(Hive, ForeignDatabaseIsMovedAside) {
    test::TempDir dir;
    const auto file = dir / "registry.db";
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(file.c_str(), &db), SQLITE_OK);
    sqlite3_exec(db, "CREATE TABLE photos(id INTEGER); INSERT INTO photos VALUES(1);", nullptr,
                 nullptr, nullptr);
    sqlite3_close(db);
    auto hive = Hive::open(file);
    EXPECT_EQ(hive->report().outcome, OpenOutcome::ReplacedDamaged);
    EXPECT_TRUE(std::filesystem::exists(hive->report().movedAsideTo));
}

TEST(Hive, UnusablePathDegradesWithoutCrashing) {
    test::TempDir dir;
    std::filesystem::create_directories(dir / "registry.db");  // a folder where the file should be
    auto hive = Hive::open(dir / "registry.db");
    EXPECT_EQ(hive->report().outcome, OpenOutcome::Unavailable);
    EXPECT_FALSE(hive->getValue(HKLM, "K", "v").has_value());
    const auto before = hive->failureCount();
    EXPECT_FALSE(hive->setValue(HKLM, "K", "v", REG_SZ, text("x")));
    EXPECT_GT(hive->failureCount(), before);
    EXPECT_TRUE(hive->subkeys(HKLM, "").empty());
    Batch batch(*hive);
    EXPECT_FALSE(batch.commit());
}

TEST(Hive, ReadOnlyHiveReadsAndRemembersRefusedWrites) {
    test::TempDir dir;
    const auto file = dir / "registry.db";
    useHiveFile(file);
    RegSetString(HKLM, "K", "v", "kept");
    useHive(Hive::open(file, OpenMode::ReadOnly));
    EXPECT_EQ(currentHive().report().outcome, OpenOutcome::ReadOnly);

    FailureWatch watch;
    EXPECT_EQ(RegGetString(HKLM, "K", "v"), "kept");
    EXPECT_FALSE(watch.failed());
    RegSetString(HKLM, "K", "v", "changed");
    EXPECT_TRUE(watch.failed());
    EXPECT_NE(watch.reason().find("read-only"), std::string::npos);
    EXPECT_EQ(RegGetString(HKLM, "K", "v"), "kept");
}

TEST(Hive, AWriteBlockedByAnotherProcessFailsTheWholeBatch) {
    test::TempDir dir;
    const auto file = dir / "registry.db";
    useHiveFile(file);
    RegSetString(HKLM, "K", "clock", "100");
    currentHive().setBusyTimeout(50);

    sqlite3* other = nullptr;
    ASSERT_EQ(sqlite3_open(file.c_str(), &other), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(other, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr), SQLITE_OK);

    FailureWatch watch;
    Batch batch;
    RegSetString(HKLM, "K", "clock", "110");
    RegSetString(HKLM, "K", "other", "1");
    EXPECT_FALSE(batch.commit());
    EXPECT_TRUE(watch.failed());
    EXPECT_FALSE(watch.reason().empty());

    sqlite3_exec(other, "ROLLBACK", nullptr, nullptr, nullptr);
    sqlite3_close(other);
    EXPECT_EQ(RegGetString(HKLM, "K", "clock"), "100");
    EXPECT_EQ(RegGetString(HKLM, "K", "other"), std::nullopt);

    // The store is usable again once the other writer is gone.
    FailureWatch after;
    RegSetString(HKLM, "K", "clock", "110");
    EXPECT_FALSE(after.failed());
    EXPECT_EQ(RegGetString(HKLM, "K", "clock"), "110");
}

std::filesystem::perms modeOf(const std::filesystem::path& path) {
    return std::filesystem::status(path).permissions() & std::filesystem::perms::all;
}

// Write protection on the hive file or on its folder: the store opens read-only, says why in
// plain words, reads the user's settings, refuses writes, and leaves the protection as it was.
TEST(Hive, WriteProtectionIsHonouredAndTold) {
    using std::filesystem::perms;
    const struct {
        const char* what;
        bool protectFolder;
        const char* reason;
    } cases[] = {{"file 0400", false, "the file is write-protected"},
                 {"folder 0500", true, "is write-protected"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        test::TempDir dir;
        const auto folder = dir / "tunexa";
        const auto file = folder / "registry.db";
        ASSERT_TRUE(Hive::open(file)->setValue(HKLM, "K", "v", REG_SZ, text("kept")));
        test::giveToUnprivileged(dir.path());
        std::filesystem::permissions(
            c.protectFolder ? folder : file,
            c.protectFolder ? perms::owner_read | perms::owner_exec : perms::owner_read);
        const std::string result = test::asUnprivileged([&]() -> std::string {
            auto hive = Hive::open(file);
            const auto& report = hive->report();
            if (report.outcome != OpenOutcome::ReadOnly) {
                return "outcome " + std::to_string(static_cast<int>(report.outcome)) + ": " +
                       report.detail;
            }
            if (report.detail.find(c.reason) == std::string::npos) {
                return "detail: " + report.detail;
            }
            if (hive->getValue(HKLM, "k", "V") != RawValue{REG_SZ, text("kept")}) {
                return "the stored value is not read";
            }
            if (hive->setValue(HKLM, "K", "v", REG_SZ, text("new")) || !hive->lastFailure()) {
                return "a write was accepted";
            }
            return {};
        });
        EXPECT_EQ(result, "");
        EXPECT_EQ(modeOf(c.protectFolder ? folder : file),
                  c.protectFolder ? perms::owner_read | perms::owner_exec : perms::owner_read);
    }
}

// A read-only session leaves a -shm with the hive's read-only mode behind; once the hive is
// writable again, the next open repairs it and writes work.
TEST(Hive, AWritableOpenRepairsSideFilesAReadOnlySessionLeft) {
    test::TempDir dir;
    const auto file = dir / "registry.db";
    ASSERT_TRUE(Hive::open(file)->setValue(HKLM, "K", "v", REG_SZ, text("1")));
    test::giveToUnprivileged(dir.path());
    const std::string result = test::asUnprivileged([&]() -> std::string {
        std::filesystem::permissions(file, std::filesystem::perms::owner_read);
        Hive::open(file)->getValue(HKLM, "K", "v");
        std::filesystem::permissions(
            file, std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
        auto hive = Hive::open(file);
        if (hive->report().outcome != OpenOutcome::Opened) {
            return hive->report().detail;
        }
        if (!hive->setValue(HKLM, "K", "v", REG_SZ, text("2"))) {
            return hive->lastFailure()->message;
        }
        return {};
    });
    EXPECT_EQ(result, "");
}

TEST(Hive, OpeningTightensPermissionsButNeverAddsWrite) {
    using std::filesystem::perms;
    test::TempDir dir;
    const auto file = dir / "registry.db";
    Hive::open(file);
    std::filesystem::permissions(
        file, perms::owner_read | perms::owner_write | perms::group_read | perms::others_read);
    Hive::open(file);
    EXPECT_EQ(modeOf(file), perms::owner_read | perms::owner_write);
    std::filesystem::permissions(file, perms::owner_read);
    Hive::open(file);
    EXPECT_EQ(modeOf(file), perms::owner_read);
}

TEST(Hive, RefusesWhatTheRegistryRefuses) {
    test::TempDir dir;
    auto hive = Hive::open(dir / "h.db");
    const auto deep = [](std::size_t levels) {
        std::string path = "K";
        for (std::size_t i = 1; i < levels; ++i) {
            path += "\\K";
        }
        return path;
    };
    const struct {
        std::string key;
        std::string name;
        bool accepted;
    } cases[] = {
        {deep(kMaxKeyDepth), "v", true},
        {deep(kMaxKeyDepth + 1), "v", false},
        {std::string(kMaxKeyNameLength, 'k'), "v", true},
        {std::string(kMaxKeyNameLength + 1, 'k'), "v", false},
        {"K", std::string(kMaxValueNameLength, 'v'), true},
        {"K", std::string(kMaxValueNameLength + 1, 'v'), false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.key.size()) + "/" + std::to_string(c.name.size()));
        EXPECT_EQ(hive->setValue(HKLM, c.key, c.name, REG_SZ, text("x")), c.accepted);
        EXPECT_EQ(hive->getValue(HKLM, c.key, c.name).has_value(), c.accepted);
    }
}

// The deepest key the registry allows, with the longest names, costs about what as many keys
// side by side cost: nothing in a key's row grows with its depth.
TEST(Hive, GrowsLinearlyWithKeyDepth) {
    const auto hiveBytes = [](bool nested) {
        test::TempDir dir;
        {
            auto hive = Hive::open(dir / "h.db");
            Batch batch(*hive);
            std::string path;
            for (std::size_t level = 0; level < kMaxKeyDepth; ++level) {
                const std::string name =
                    std::to_string(level) + std::string(kMaxKeyNameLength - 3, 'n');
                path = nested && !path.empty() ? path + "\\" + name : name;
                hive->createKey(HKLM, path);
            }
            EXPECT_TRUE(batch.commit());
        }
        return std::filesystem::file_size(dir / "h.db");
    };
    EXPECT_LT(hiveBytes(true), 2 * hiveBytes(false));
}

// A write the store refuses in the middle of a batch: the commit says so, keeps the reason, and
// the writes before it are gone too.
TEST(Hive, AWriteRefusedInsideABatchRollsBackTheWholeBatch) {
    test::TempDir dir;
    const auto file = dir / "registry.db";
    auto hive = Hive::open(file);
    ASSERT_TRUE(hive->setValue(HKLM, "K", "first", REG_SZ, text("old")));
    sqlite3* other = nullptr;
    ASSERT_EQ(sqlite3_open(file.c_str(), &other), SQLITE_OK);
    ASSERT_EQ(
        sqlite3_exec(
            other,
            "CREATE TRIGGER refuse BEFORE INSERT ON vals WHEN NEW.name = CAST('third' AS BLOB) "
            "BEGIN SELECT RAISE(ABORT, 'refused by the disk'); END;",
            nullptr, nullptr, nullptr),
        SQLITE_OK);
    sqlite3_close(other);

    Batch batch(*hive);
    hive->setValue(HKLM, "K", "first", REG_SZ, text("new"));
    hive->setValue(HKLM, "K", "second", REG_SZ, text("new"));
    EXPECT_FALSE(hive->setValue(HKLM, "K", "third", REG_SZ, text("new")));
    hive->setValue(HKLM, "K", "fourth", REG_SZ, text("new"));
    EXPECT_FALSE(batch.commit());
    ASSERT_TRUE(hive->lastFailure());
    EXPECT_NE(hive->lastFailure()->message.find("refused by the disk"), std::string::npos);
    EXPECT_EQ(hive->getValue(HKLM, "K", "first"), (RawValue{REG_SZ, text("old")}));
    for (const char* gone : {"second", "third", "fourth"}) {
        EXPECT_FALSE(hive->getValue(HKLM, "K", gone)) << gone;
    }
}

// A hive written by the first release (every key row with its whole folded path) opens with its
// contents, upgraded in place, or read from an upgraded copy when it is read-only.
TEST(Hive, AnOlderHiveOpensWithItsContents) {
    for (const bool readOnly : {false, true}) {
        SCOPED_TRACE(readOnly ? "read-only" : "writable");
        test::TempDir dir;
        const auto file = dir / "registry.db";
        sqlite3* db = nullptr;
        ASSERT_EQ(sqlite3_open(file.c_str(), &db), SQLITE_OK);
        ASSERT_EQ(
            sqlite3_exec(
                db,
                "CREATE TABLE keys(id INTEGER PRIMARY KEY, root INTEGER NOT NULL, parent INTEGER "
                "REFERENCES keys(id), path BLOB NOT NULL, name BLOB NOT NULL, UNIQUE(root, path));"
                "CREATE TABLE vals(key INTEGER NOT NULL, fold BLOB NOT NULL, name BLOB NOT NULL, "
                "type INTEGER NOT NULL, data BLOB NOT NULL, seq INTEGER NOT NULL, "
                "PRIMARY KEY(key, fold)) WITHOUT ROWID;"
                "INSERT INTO keys VALUES(1, 2147483650, NULL, x'', x''), (2, 2147483650, 1, "
                "CAST('software' AS BLOB), CAST('Software' AS BLOB)), (3, 2147483650, 2, "
                "x'736f667477617265' || x'5ce974e9', x'c974c9');"
                "INSERT INTO vals VALUES(3, CAST('clock' AS BLOB), CAST('Clock' AS BLOB), 1, "
                "CAST('100' AS BLOB), 1);"
                "PRAGMA application_id=1415071830; PRAGMA user_version=1;",
                nullptr, nullptr, nullptr),
            SQLITE_OK);
        sqlite3_close(db);
        auto hive = Hive::open(file, readOnly ? OpenMode::ReadOnly : OpenMode::ReadWrite);
        EXPECT_EQ(hive->getValue(HKLM, "SOFTWARE\\\xc9T\xc9", "CLOCK"),
                  (RawValue{REG_SZ, text("100")}));
        EXPECT_EQ(hive->storedPath(HKLM, "software\\\xe9t\xe9"), "Software\\\xc9t\xc9");
        EXPECT_EQ(hive->setValue(HKLM, "Software\\New", "v", REG_SZ, text("x")), !readOnly);
    }
}

}  // namespace
}  // namespace tunexa::store
