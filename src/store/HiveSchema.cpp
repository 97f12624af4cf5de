// The hive's schema: made in an empty file, or brought up from an older version one step at a
// time, safely while other processes open the same file.
#include <span>

#include "Hive.h"
#include "HiveSql.h"
#include "RecordItems.h"

namespace tunexa::store {

using detail::Sql;

namespace {

namespace column = detail::column;

// 1: keys carried their whole folded path; 2: keys by parent and own name, and the change record
// with a row for each item; 3: a change's items packed in its own row.
constexpr std::int64_t kSchemaVersion = 3;

// An empty file gets the schema as it is now.
constexpr Sql kCreate[] = {Sql::CreateKeys, Sql::CreateVals, Sql::CreateChanges,
                           Sql::MarkApplication, Sql::MarkVersion3};

constexpr Sql kFrom1[] = {Sql::CreateKeysV2,    Sql::CopyKeysV1,      Sql::DropKeysV1,
                          Sql::RenameKeysV2,    Sql::CreateChangesV2, Sql::CreateChangeItemsV2,
                          Sql::MarkApplication, Sql::MarkVersion2};
constexpr Sql kFrom2[] = {Sql::AddChangeItemsColumn};
constexpr Sql kFrom2After[] = {Sql::DropChangeItemsV2, Sql::MarkVersion3};

// Each step brings a hive of version `from` to the next version, and says so in user_version:
// its statements, what code must do between them, and the statements after that.
struct UpgradeStep {
    std::int64_t from;
    std::span<const Sql> statements;
    bool (Hive::*work)() = nullptr;
    std::span<const Sql> after = {};
};

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
    static const UpgradeStep kLadder[] = {{1, kFrom1},
                                          {2, kFrom2, &Hive::packVersion2Items, kFrom2After}};
    static_assert(std::size(kLadder) == kSchemaVersion - 1, "a step from every older version");
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
            done = runAll(step.statements) && (step.work == nullptr || (this->*step.work)()) &&
                   runAll(step.after);
            version = step.from + 1;
        }
    }
    forgetKeys();
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

// Each change's item rows, packed into the change's own row. A change whose rows do not make a
// sound record is packed as one unknown item: it stays listed as damaged, never undone.
bool Hive::packVersion2Items() {
    std::vector<std::int64_t> ids;
    {
        detail::Statement list = sql(Sql::ChangeIdsV2);
        int rc = SQLITE_ROW;
        while ((rc = list.step()) == SQLITE_ROW) {
            ids.push_back(list.columnInt(0));
        }
        if (rc != SQLITE_DONE) {
            return false;
        }
    }
    for (const std::int64_t id : ids) {
        detail::Statement rows = sql(Sql::ChangeItemsV2);
        rows.bindInt(1, id);
        std::vector<ChangeItem> items;
        bool sound = true;
        int rc = SQLITE_ROW;
        while ((rc = rows.step()) == SQLITE_ROW) {
            ChangeItem& item = items.emplace_back();
            const std::int64_t kind = rows.columnInt(column::kItemKind);
            const std::int64_t root = rows.columnInt(column::kItemRoot);
            sound = sound && kind >= 0 && kind <= 2 && root >= 0 && root <= 0xFFFFFFFFLL;
            item.kind = static_cast<ItemKind>(kind);
            item.root = static_cast<RootKey>(root);
            item.key = rows.columnText(column::kItemKey);
            item.name = rows.columnText(column::kItemName);
            for (const int typeColumn : {column::kItemBeforeType, column::kItemAfterType}) {
                const std::int64_t type = rows.columnInt(typeColumn);
                sound = sound && rows.isNull(typeColumn) == rows.isNull(typeColumn + 1) &&
                        type >= 0 && type <= 0xFFFFFFFFLL;
                if (!rows.isNull(typeColumn)) {
                    (typeColumn == column::kItemBeforeType ? item.before : item.after) = RawValue{
                        static_cast<std::uint32_t>(type), rows.columnBytes(typeColumn + 1)};
                }
            }
        }
        if (rc != SQLITE_DONE) {
            return false;
        }
        std::vector<const ChangeItem*> packed;
        for (const ChangeItem& item : items) {
            packed.push_back(&item);
        }
        const Bytes blob = sound ? detail::packItems(packed) : Bytes{0x0F};
        detail::Statement update = sql(Sql::SetChangeItems);
        update.bindInt(1, id);
        update.bindBlob(2, blob);
        if (update.step() != SQLITE_DONE) {
            return false;
        }
    }
    return true;
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
