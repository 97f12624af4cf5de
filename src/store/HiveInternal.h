#pragma once

// What the hive's two source files share: the prepared-statement guard, the statement slots and
// the key-path helpers. Not for use outside src/store.

#include <sqlite3.h>

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "store/Changes.h"

namespace tunexa::store::detail {

// A cached prepared statement, reset and unbound when the guard goes away.
class Statement {
  public:
    explicit Statement(sqlite3_stmt* stmt) : stmt_(stmt) {}
    ~Statement() {
        if (stmt_ != nullptr) {
            sqlite3_reset(stmt_);
            sqlite3_clear_bindings(stmt_);
        }
    }
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    explicit operator bool() const { return stmt_ != nullptr; }
    void bindInt(int index, std::int64_t value) { sqlite3_bind_int64(stmt_, index, value); }
    void bindBlob(int index, std::string_view bytes) {
        sqlite3_bind_blob(stmt_, index, bytes.empty() ? "" : bytes.data(),
                          static_cast<int>(bytes.size()), SQLITE_STATIC);
    }
    void bindBlob(int index, std::span<const std::uint8_t> bytes) {
        sqlite3_bind_blob(stmt_, index, bytes.empty() ? static_cast<const void*>("") : bytes.data(),
                          static_cast<int>(bytes.size()), SQLITE_STATIC);
    }
    int step() { return sqlite3_step(stmt_); }
    bool isNull(int column) { return sqlite3_column_type(stmt_, column) == SQLITE_NULL; }
    int columnType(int column) { return sqlite3_column_type(stmt_, column); }
    std::int64_t columnInt(int column) { return sqlite3_column_int64(stmt_, column); }
    std::string columnText(int column) {
        const auto* data = static_cast<const char*>(sqlite3_column_blob(stmt_, column));
        return data == nullptr
                   ? std::string()
                   : std::string(data,
                                 static_cast<std::size_t>(sqlite3_column_bytes(stmt_, column)));
    }
    Bytes columnBytes(int column) {
        const auto* data = static_cast<const std::uint8_t*>(sqlite3_column_blob(stmt_, column));
        const auto size = static_cast<std::size_t>(sqlite3_column_bytes(stmt_, column));
        return data == nullptr ? Bytes() : Bytes(data, data + size);
    }

  private:
    sqlite3_stmt* stmt_;
};

enum StatementId {
    kFindChild,
    kValueOfKey,
    kInsertKey,
    kUpsertValue,
    kDeleteValue,
    kSubkeys,
    kValues,
    kKeyName,
    kDeleteTreeValues,
    kDeleteTreeKeys,
    kInsertChange,
    kInsertChangeItem,
    kDropOldChangeItems,
    kDropOldChanges,
    kStatementCount
};

// The non-empty components of a backslash-separated key path.
std::vector<std::string_view> components(std::string_view path);

// The components folded to lower case (Windows-1252) and joined by single backslashes.
std::string foldedPath(std::string_view path);

// The components joined by single backslashes, spelled as given.
std::string joinedPath(std::string_view path);

// What identifies an item within one change: its kind, root, folded key path (a file's path as
// it is) and folded name.
std::string itemId(ItemKind kind, RootKey root, std::string_view key, std::string_view name);

// A key's image while it exists: keys carry no data of their own.
inline const RawValue kPresentKey{0, {}};

}  // namespace tunexa::store::detail
