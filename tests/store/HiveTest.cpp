#include <gtest/gtest.h>
#include <sqlite3.h>

#include <fstream>
#include <iterator>

#include "TempRoot.h"
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

}  // namespace
}  // namespace tunexa::store
