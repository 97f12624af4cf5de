#pragma once

// Every SQL statement the hive runs has an id here and its text in one table (HiveSql.cpp), and
// there is one way to run one: ask the connection's StatementCache for it, bind, step. A
// statement is prepared on first use and kept for the connection's life; the guard resets and
// unbinds it when it goes away. Not for use outside src/store.

#include <sqlite3.h>

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "store/Changes.h"

namespace tunexa::store::detail {

// Marks a database as a hive.
inline constexpr std::int64_t kApplicationId = 0x54584856;  // "TXHV"

enum class Sql : std::size_t {
    // Transactions.
    Begin,
    Commit,
    Rollback,
    // Opening: the check, whose store it is, the schema's version, the journal.
    QuickCheck,
    Owner,
    UserVersion,
    JournalWal,
    SynchronousFull,
    // The schema as it is now, and the steps from older ones (the ladder in HiveSchema.cpp).
    CreateKeys,
    CreateVals,
    CreateChanges,
    MarkApplication,
    MarkVersion2,
    MarkVersion3,
    CreateKeysV2,
    CopyKeysV1,
    DropKeysV1,
    RenameKeysV2,
    CreateChangesV2,
    CreateChangeItemsV2,
    AddChangeItemsColumn,
    ChangeIdsV2,
    ChangeItemsV2,
    SetChangeItems,
    DropChangeItemsV2,
    // Keys.
    FindKey,
    KeyById,
    WalkKey,
    InsertKey,
    Subkeys,
    DeleteTreeValues,
    DeleteTreeKeys,
    // Values.
    ValueByPath,
    ValueOfKey,
    Values,
    UpsertValue,
    DeleteValue,
    // The change record.
    InsertChange,
    DropOldChanges,
    ListChanges,
    ChangeById,
    Count
};

// Result columns, by statement.
namespace column {
// Owner.
enum Owner { kOwnerApplication, kOwnerObjects };
// WalkKey: one row per existing level of the path, the root key first.
enum Walk { kWalkId, kWalkName };
// ValueByPath (all four), ValueOfKey and Values.
enum Value { kValueType, kValueData, kValueName, kValueKey };
// ListChanges, ChangeById (which adds the items).
enum Change { kChangeId, kChangeTime, kChangeTitle, kChangeTimeType, kChangeItems };
// ChangeItemsV2.
enum Item {
    kItemKind,
    kItemRoot,
    kItemKey,
    kItemName,
    kItemBeforeType,
    kItemBeforeData,
    kItemAfterType,
    kItemAfterData
};
}  // namespace column

// A prepared statement in use; reset when the guard goes away. Every use binds all of the
// statement's parameters. A statement that could not be prepared steps to its preparation's error.
class Statement {
  public:
    Statement(sqlite3_stmt* stmt, int prepareError) : stmt_(stmt), prepareError_(prepareError) {}
    ~Statement() {
        if (stmt_ != nullptr) {
            sqlite3_reset(stmt_);
        }
    }
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    void bindInt(int index, std::int64_t value) {
        if (stmt_ != nullptr) {
            sqlite3_bind_int64(stmt_, index, value);
        }
    }
    // The bytes must outlive the statement's use.
    void bindBlob(int index, std::string_view bytes) {
        bindBytes(index, bytes.data(), bytes.size());
    }
    void bindBlob(int index, std::span<const std::uint8_t> bytes) {
        bindBytes(index, bytes.data(), bytes.size());
    }
    // SQLITE_ROW, SQLITE_DONE or an error code.
    int step() { return stmt_ != nullptr ? sqlite3_step(stmt_) : prepareError_; }
    // Steps to the end: SQLITE_DONE, or the error that stopped it.
    int run() {
        int rc = step();
        while (rc == SQLITE_ROW) {
            rc = step();
        }
        return rc;
    }

    bool isNull(int column) { return sqlite3_column_type(stmt_, column) == SQLITE_NULL; }
    std::int64_t columnInt(int column) { return sqlite3_column_int64(stmt_, column); }
    std::string columnText(int column);
    Bytes columnBytes(int column);

  private:
    void bindBytes(int index, const void* data, std::size_t size) {
        if (stmt_ != nullptr) {
            // A zero-length blob, not NULL, for empty data.
            sqlite3_bind_blob(stmt_, index, size == 0 ? "" : data, static_cast<int>(size),
                              SQLITE_STATIC);
        }
    }

    sqlite3_stmt* stmt_;
    int prepareError_;
};

// A result code (extended ones too) that says the file is damaged or no database.
inline bool isDamageCode(int code) {
    const int primary = code & 0xFF;
    return primary == SQLITE_CORRUPT || primary == SQLITE_NOTADB;
}

// The statements of one connection.
class StatementCache {
  public:
    StatementCache() = default;
    ~StatementCache() { attach(nullptr); }
    StatementCache(const StatementCache&) = delete;
    StatementCache& operator=(const StatementCache&) = delete;

    // Finalizes every statement of the connection used so far; later ones are `db`'s, which
    // gets the functions the statements use.
    void attach(sqlite3* db);
    Statement get(Sql id);

  private:
    sqlite3* db_ = nullptr;
    std::array<sqlite3_stmt*, static_cast<std::size_t>(Sql::Count)> prepared_{};
};

}  // namespace tunexa::store::detail
