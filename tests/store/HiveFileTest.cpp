// The hive file: where it lives, who may read it, damage and the check, locks, write protection,
// older hives, and several processes at once.
#include "HiveTestSupport.h"

namespace tunexa::store::hive_test {
namespace {

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
}  // namespace tunexa::store::hive_test
