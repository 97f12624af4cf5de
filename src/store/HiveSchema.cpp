// The hive's schema: made in an empty file, or brought up from an older version one step at a
// time, safely while other processes open the same file.
#include <span>

#include "Hive.h"
#include "HiveSql.h"

namespace tunexa::store {

using detail::Sql;

namespace {

// 1: keys carried their whole folded path; 2: keys by parent and own name, and the change record.
constexpr std::int64_t kSchemaVersion = 2;

// An empty file gets the schema as it is now.
constexpr Sql kCreate[] = {Sql::CreateKeys,        Sql::CreateVals,      Sql::CreateChanges,
                           Sql::CreateChangeItems, Sql::MarkApplication, Sql::MarkVersion2};

constexpr Sql kFrom1[] = {Sql::CreateKeysV2,    Sql::CopyKeysV1,    Sql::DropKeysV1,
                          Sql::RenameKeysV2,    Sql::CreateChanges, Sql::CreateChangeItems,
                          Sql::MarkApplication, Sql::MarkVersion2};

// Each step brings a hive of version `from` to the next version, and says so in user_version.
struct UpgradeStep {
    std::int64_t from;
    std::span<const Sql> statements;
};
constexpr UpgradeStep kLadder[] = {{1, kFrom1}};

static_assert(std::size(kLadder) == kSchemaVersion - 1, "a step from every older version");

}  // namespace

bool Hive::prepareSchema() {
    if (writable_) {
        run(Sql::JournalWal);
    }
    run(Sql::SynchronousFull);
    const auto version = number(Sql::UserVersion);
    if (!version) {
        return fail("open");
    }
    if (*version == kSchemaVersion) {
        return true;
    }
    if (*version > kSchemaVersion) {
        return fail("open", "the store was written by a newer Tunexa");
    }
    if (!writable_) {
        // An older hive that cannot be upgraded in place is read from an upgraded copy.
        if (*version == 0) {
            return fail("open", "the store is read-only and holds no settings yet");
        }
        if (!copyIntoMemory()) {
            return fail("open");
        }
    }
    return upgradeSchema();
}

bool Hive::upgradeSchema() {
    // Another process may be making or upgrading the same file at this very moment. Only one
    // holds the write lock at a time: the version read under it says what is left to do.
    if (!run(Sql::Begin)) {
        return fail("open");
    }
    const auto runAll = [this](std::span<const Sql> statements) {
        for (const Sql statement : statements) {
            if (!run(statement)) {
                return false;
            }
        }
        return true;
    };
    auto version = number(Sql::UserVersion);
    bool done = version.has_value();
    if (done && *version == 0) {
        done = runAll(kCreate);
        version = kSchemaVersion;
    }
    for (const UpgradeStep& step : kLadder) {
        if (done && *version == step.from) {
            done = runAll(step.statements);
            version = step.from + 1;
        }
    }
    if (done && *version == kSchemaVersion && run(Sql::Commit)) {
        return true;
    }
    if (done && *version > kSchemaVersion) {
        fail("open", "the store was written by a newer Tunexa");
    } else {
        fail("open");
    }
    run(Sql::Rollback);
    return false;
}

bool Hive::copyIntoMemory() {
    sqlite3* memory = nullptr;
    if (sqlite3_open(":memory:", &memory) != SQLITE_OK) {
        sqlite3_close(memory);
        return false;
    }
    sqlite3_backup* backup = sqlite3_backup_init(memory, "main", db_, "main");
    const bool copied = backup != nullptr && sqlite3_backup_step(backup, -1) == SQLITE_DONE;
    sqlite3_backup_finish(backup);
    if (!copied) {
        sqlite3_close(memory);
        return false;
    }
    closeDatabase();
    db_ = memory;
    statements_->attach(db_);
    return true;
}

}  // namespace tunexa::store
