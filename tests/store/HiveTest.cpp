// The hive file: where it lives and who may read it, damage, write protection, failures inside a
// batch, the registry's limits, and hives older releases wrote.
#include <functional>

#include "StoreTestSupport.h"
#include "Unprivileged.h"
#include "store/Limits.h"

namespace tunexa::store {
namespace {

using std::filesystem::perms;
constexpr perms kPrivate = perms::owner_read | perms::owner_write;

TEST(Hive, LivesUnderXdgDataHomeOrHome) {
    const std::string saved = std::getenv("XDG_DATA_HOME");
    EXPECT_EQ(defaultHivePath(), std::filesystem::path(saved) / "tunexa/registry.db");
    unsetenv("XDG_DATA_HOME");
    EXPECT_EQ(defaultHivePath(),
              std::filesystem::path(std::getenv("HOME")) / ".local/share/tunexa/registry.db");
    setenv("XDG_DATA_HOME", saved.c_str(), 1);
}

// Created private with its journal files; opening drops group and other bits, never adds write.
TEST(Hive, KeepsItselfPrivateButNeverAddsWrite) {
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
        tunexa::test::giveToUnprivileged(dir.path());
        EXPECT_EQ(tunexa::test::asUnprivileged([&]() -> std::string {
                      std::filesystem::permissions(protectedPath, mode);
                      auto hive = Hive::open(file, openMode);
                      const FailureWatch watch(*hive);
                      if (hive->report().outcome != OpenOutcome::ReadOnly ||
                          hive->getValue(HKLM, "k", "V") != sz("kept") || watch.failed()) {
                          return "not read as read-only: " + hive->report().detail;
                      }
                      if (hive->setValue(HKLM, "K", "v", REG_SZ, bytes("new")) ||
                          watch.reason().find(reason) == std::string::npos ||
                          modeOf(protectedPath) != mode) {
                          return "not refused with the reason, protection kept: " + watch.reason();
                      }
                      hive.reset();
                      std::filesystem::permissions(protectedPath, perms::owner_all);
                      hive = Hive::open(file);
                      if (!hive->setValue(HKLM, "K", "v", REG_SZ, bytes("new"))) {
                          return "not written once writable: " + hive->lastFailure()->message;
                      }
                      return {};
                  }),
                  "");
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

}  // namespace
}  // namespace tunexa::store
