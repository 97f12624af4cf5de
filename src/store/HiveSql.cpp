#include "HiveSql.h"

#include "Ansi.h"

namespace tunexa::store::detail {

namespace {

struct SqlText {
    Sql id;
    const char* text;
};

// A key is found by its parent and its own folded name, so a key's row holds only its own name
// and the hive grows linearly however deep the keys go. The root key of each root is the row
// with parent 0 and the empty name.
#define TUNEXA_KEYS_TABLE(name)                                                              \
    "CREATE TABLE " name                                                                     \
    "(id INTEGER PRIMARY KEY, root INTEGER NOT NULL,"                                        \
    " parent INTEGER NOT NULL, fold BLOB NOT NULL, name BLOB NOT NULL, UNIQUE(root, parent," \
    " fold))"

// The levels of a key path that exist, in one statement however deep the path goes: ?1 is the
// root, ?2 the folded path with a backslash after each component ("software\nvidia\"). Each
// level's `rest` is what remains below it; the key itself is the level with nothing left.
#define TUNEXA_WALK                                                                         \
    "WITH RECURSIVE walk(id, name, rest, depth) AS ("                                       \
    "SELECT id, name, ?2, 0 FROM keys WHERE root=?1 AND parent=0 AND fold=x''"              \
    " UNION ALL SELECT k.id, k.name, substr(w.rest, instr(w.rest, x'5c') + 1), w.depth + 1" \
    " FROM walk w JOIN keys k ON k.root=?1 AND k.parent=w.id"                               \
    " AND k.fold=substr(w.rest, 1, instr(w.rest, x'5c') - 1) WHERE w.rest<>x'') "

// Every key at or below key ?1 of root ?2.
#define TUNEXA_SUBTREE                               \
    "WITH RECURSIVE sub(id) AS (SELECT ?1 UNION ALL" \
    " SELECT k.id FROM keys k JOIN sub ON k.root=?2 AND k.parent=sub.id) "

#define TUNEXA_APPLICATION_ID 1415071830
#define TUNEXA_TEXT(x) #x
#define TUNEXA_TEXT_OF(x) TUNEXA_TEXT(x)

#define TUNEXA_CHANGE_COLUMNS "SELECT id, time, title, typeof(time) FROM changes "

// In the order of Sql's ids.
constexpr SqlText kSql[] = {
    {Sql::Begin, "BEGIN IMMEDIATE"},
    {Sql::Commit, "COMMIT"},
    {Sql::Rollback, "ROLLBACK"},

    {Sql::QuickCheck, "PRAGMA quick_check"},
    // Read together: a store another process is making has both or neither.
    {Sql::Owner,
     "SELECT application_id, (SELECT count(*) FROM sqlite_master) FROM pragma_application_id"},
    {Sql::UserVersion, "PRAGMA user_version"},
    {Sql::JournalWal, "PRAGMA journal_mode=WAL"},
    {Sql::SynchronousFull, "PRAGMA synchronous=FULL"},

    {Sql::CreateKeys, TUNEXA_KEYS_TABLE("keys")},
    {Sql::CreateVals,
     "CREATE TABLE vals(key INTEGER NOT NULL, fold BLOB NOT NULL, name BLOB NOT NULL,"
     " type INTEGER NOT NULL, data BLOB NOT NULL, seq INTEGER NOT NULL, PRIMARY KEY(key, fold))"
     " WITHOUT ROWID"},
    // A change is one row: its items packed in one blob (RecordItems.h).
    {Sql::CreateChanges,
     "CREATE TABLE changes(id INTEGER PRIMARY KEY, time INTEGER NOT NULL, title BLOB NOT NULL,"
     " items BLOB NOT NULL)"},
    {Sql::MarkApplication, "PRAGMA application_id=" TUNEXA_TEXT_OF(TUNEXA_APPLICATION_ID)},
    {Sql::MarkVersion2, "PRAGMA user_version=2"},
    {Sql::MarkVersion3, "PRAGMA user_version=3"},
    // Version 1 keys carried their whole folded path; their own name is all that stays.
    {Sql::CreateKeysV2, TUNEXA_KEYS_TABLE("keys_v2")},
    {Sql::CopyKeysV1,
     "INSERT INTO keys_v2(id, root, parent, fold, name)"
     " SELECT id, root, IFNULL(parent, 0), tunexa_fold(name), name FROM keys"},
    {Sql::DropKeysV1, "DROP TABLE keys"},
    {Sql::RenameKeysV2, "ALTER TABLE keys_v2 RENAME TO keys"},
    // Version 2 kept a change's items as rows of a table of their own.
    {Sql::CreateChangesV2,
     "CREATE TABLE changes(id INTEGER PRIMARY KEY, time INTEGER NOT NULL, title BLOB NOT NULL)"},
    {Sql::CreateChangeItemsV2,
     "CREATE TABLE change_items(change INTEGER NOT NULL, seq INTEGER NOT NULL,"
     " kind INTEGER NOT NULL, root INTEGER NOT NULL, key BLOB NOT NULL, name BLOB NOT NULL,"
     " before_type INTEGER, before_data BLOB, after_type INTEGER, after_data BLOB,"
     " PRIMARY KEY(change, seq)) WITHOUT ROWID"},
    {Sql::AddChangeItemsColumn, "ALTER TABLE changes ADD COLUMN items BLOB NOT NULL DEFAULT x''"},
    {Sql::ChangeIdsV2, "SELECT id FROM changes"},
    {Sql::ChangeItemsV2,
     "SELECT kind, root, key, name, before_type, before_data, after_type, after_data"
     " FROM change_items WHERE change=?1 ORDER BY seq"},
    {Sql::SetChangeItems, "UPDATE changes SET items=?2 WHERE id=?1"},
    {Sql::DropChangeItemsV2, "DROP TABLE change_items"},

    {Sql::FindKey, TUNEXA_WALK "SELECT id FROM walk WHERE rest=x''"},
    {Sql::KeyById, "SELECT id FROM keys WHERE id=?1"},
    {Sql::WalkKey, TUNEXA_WALK "SELECT id, name FROM walk ORDER BY depth"},
    {Sql::InsertKey, "INSERT INTO keys(root, parent, fold, name) VALUES(?1, ?2, ?3, ?4)"},
    {Sql::Subkeys, "SELECT name FROM keys WHERE root=?1 AND parent=?2"},
    {Sql::DeleteTreeValues, TUNEXA_SUBTREE "DELETE FROM vals WHERE key IN (SELECT id FROM sub)"},
    // The root key's own row stays: a root always exists.
    {Sql::DeleteTreeKeys,
     TUNEXA_SUBTREE "DELETE FROM keys WHERE id IN (SELECT id FROM sub) AND parent <> 0"},

    // ?3 is the folded value name.
    // A row when the key exists, its value's columns NULL when the value does not.
    {Sql::ValueByPath, TUNEXA_WALK "SELECT v.type, v.data, v.name, w.id FROM walk w"
                                   " LEFT JOIN vals v ON v.key=w.id AND v.fold=?3"
                                   " WHERE w.rest=x''"},
    {Sql::ValueOfKey, "SELECT type, data, name FROM vals WHERE key=?1 AND fold=?2"},
    {Sql::Values, "SELECT type, data, name FROM vals WHERE key=?1 ORDER BY seq"},
    // A new value goes after the key's others; an existing one keeps its place and spelling.
    {Sql::UpsertValue,
     "INSERT INTO vals(key, fold, name, type, data, seq) VALUES(?1, ?2, ?3, ?4, ?5,"
     " (SELECT IFNULL(MAX(seq), 0) + 1 FROM vals WHERE key=?1))"
     " ON CONFLICT(key, fold) DO UPDATE SET type=excluded.type, data=excluded.data"},
    {Sql::DeleteValue, "DELETE FROM vals WHERE key=?1 AND fold=?2"},

    {Sql::InsertChange, "INSERT INTO changes(time, title, items) VALUES(?1, ?2, ?3)"},
    {Sql::DropOldChanges, "DELETE FROM changes WHERE id < ?1"},
    // The newest ?1 changes (the oldest may wait a while to be dropped), and change ?1 while it
    // is one of the newest ?2.
    {Sql::ListChanges, TUNEXA_CHANGE_COLUMNS "ORDER BY id DESC LIMIT ?1"},
    {Sql::ChangeById,
     "SELECT id, time, title, typeof(time), items FROM changes"
     " WHERE id=?1 AND id + ?2 > (SELECT max(id) FROM changes)"},
};

#undef TUNEXA_KEYS_TABLE
#undef TUNEXA_WALK
#undef TUNEXA_SUBTREE
#undef TUNEXA_CHANGE_COLUMNS
static_assert(kApplicationId == TUNEXA_APPLICATION_ID);
#undef TUNEXA_APPLICATION_ID
#undef TUNEXA_TEXT_OF
#undef TUNEXA_TEXT

constexpr bool inIdOrder() {
    for (std::size_t i = 0; i < std::size(kSql); ++i) {
        if (static_cast<std::size_t>(kSql[i].id) != i) {
            return false;
        }
    }
    return std::size(kSql) == static_cast<std::size_t>(Sql::Count);
}
static_assert(inIdOrder(), "every statement once, in the order of its id");

// tunexa_fold(name): the name folded to lower case as keys and values match (Windows-1252).
void foldFunction(sqlite3_context* context, int, sqlite3_value** arguments) {
    const auto* bytes = static_cast<const char*>(sqlite3_value_blob(arguments[0]));
    const auto size = static_cast<std::size_t>(sqlite3_value_bytes(arguments[0]));
    const std::string folded = ansi::fold(std::string_view(bytes == nullptr ? "" : bytes, size));
    sqlite3_result_blob(context, folded.data(), static_cast<int>(folded.size()), SQLITE_TRANSIENT);
}

}  // namespace

std::string Statement::columnText(int column) {
    const auto* data = static_cast<const char*>(sqlite3_column_blob(stmt_, column));
    return data == nullptr
               ? std::string()
               : std::string(data, static_cast<std::size_t>(sqlite3_column_bytes(stmt_, column)));
}

Bytes Statement::columnBytes(int column) {
    const auto* data = static_cast<const std::uint8_t*>(sqlite3_column_blob(stmt_, column));
    const auto size = static_cast<std::size_t>(sqlite3_column_bytes(stmt_, column));
    return data == nullptr ? Bytes() : Bytes(data, data + size);
}

void StatementCache::attach(sqlite3* db) {
    for (sqlite3_stmt*& stmt : prepared_) {
        sqlite3_finalize(stmt);
        stmt = nullptr;
    }
    db_ = db;
    if (db_ != nullptr) {
        sqlite3_create_function(db_, "tunexa_fold", 1, SQLITE_UTF8 | SQLITE_DETERMINISTIC, nullptr,
                                foldFunction, nullptr, nullptr);
    }
}

Statement StatementCache::get(Sql id) {
    if (db_ == nullptr) {
        return Statement(nullptr, SQLITE_MISUSE);
    }
    sqlite3_stmt*& slot = prepared_[static_cast<std::size_t>(id)];
    if (slot == nullptr) {
        const int rc = sqlite3_prepare_v3(db_, kSql[static_cast<std::size_t>(id)].text, -1,
                                          SQLITE_PREPARE_PERSISTENT, &slot, nullptr);
        if (rc != SQLITE_OK) {
            sqlite3_finalize(slot);
            slot = nullptr;
            return Statement(nullptr, rc);
        }
    }
    return Statement(slot, SQLITE_OK);
}

}  // namespace tunexa::store::detail
