#include "Hive.h"

#include <fcntl.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <system_error>
#include <utility>

#include "Ansi.h"

namespace tunexa::store {

namespace {

constexpr int kApplicationId = 0x54584856;  // "TXHV"
constexpr int kSchemaVersion = 1;
constexpr int kBusyTimeoutMs = 15000;

// Keys carry their full folded path, so finding a value is one indexed query whatever its depth.
// A key's path is its components folded to lower case and joined by backslashes; the root key
// of each root is the row with the empty path.
constexpr const char* kSchema = R"sql(
CREATE TABLE IF NOT EXISTS keys(
    id INTEGER PRIMARY KEY,
    root INTEGER NOT NULL,
    parent INTEGER REFERENCES keys(id),
    path BLOB NOT NULL,
    name BLOB NOT NULL,
    UNIQUE(root, path));
CREATE INDEX IF NOT EXISTS keys_by_parent ON keys(parent);
CREATE TABLE IF NOT EXISTS vals(
    key INTEGER NOT NULL,
    fold BLOB NOT NULL,
    name BLOB NOT NULL,
    type INTEGER NOT NULL,
    data BLOB NOT NULL,
    seq INTEGER NOT NULL,
    PRIMARY KEY(key, fold)) WITHOUT ROWID;
)sql";

// Splits a key path into its non-empty components.
std::vector<std::string_view> components(std::string_view path) {
    std::vector<std::string_view> parts;
    std::size_t start = 0;
    while (start <= path.size()) {
        const std::size_t end = path.find('\\', start);
        const std::size_t stop = end == std::string_view::npos ? path.size() : end;
        if (stop > start) {
            parts.push_back(path.substr(start, stop - start));
        }
        if (end == std::string_view::npos) {
            break;
        }
        start = end + 1;
    }
    return parts;
}

std::string foldedPath(std::string_view path) {
    std::string out;
    out.reserve(path.size());
    for (auto part : components(path)) {
        if (!out.empty()) {
            out += '\\';
        }
        out += ansi::fold(part);
    }
    return out;
}

std::string timeStamp() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    char buffer[32];
    std::strftime(buffer, sizeof buffer, "%Y%m%d-%H%M%S", &local);
    return buffer;
}

bool isDamageCode(int code) {
    const int primary = code & 0xFF;
    return primary == SQLITE_CORRUPT || primary == SQLITE_NOTADB;
}

}  // namespace

// Cached prepared statements, reset and unbound when the guard goes away.
class Hive::Statement {
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

namespace {
enum StatementId {
    kFindKey,
    kGetValue,
    kInsertKey,
    kUpsertValue,
    kDeleteValue,
    kSubkeys,
    kValues,
    kKeyName,
    kDeleteSubtreeValues,  // four statements: subtree values, subtree keys, root values, root keys
    kStatementCount = kDeleteSubtreeValues + 4
};
}  // namespace

std::unique_ptr<Hive> Hive::open(const std::filesystem::path& file, OpenMode mode) {
    std::unique_ptr<Hive> hive(new Hive());
    hive->statements_.assign(kStatementCount, nullptr);
    hive->report_.path = file;
    hive->openFile(file, mode);
    return hive;
}

void Hive::setBusyTimeout(int milliseconds) {
    if (db_ != nullptr) {
        sqlite3_busy_timeout(db_, milliseconds);
    }
}

Hive::~Hive() {
    closeDatabase();
}

void Hive::closeDatabase() {
    for (auto*& stmt : statements_) {
        sqlite3_finalize(stmt);
        stmt = nullptr;
    }
    if (db_ != nullptr) {
        sqlite3_close_v2(db_);
        db_ = nullptr;
    }
}

bool Hive::openFile(const std::filesystem::path& file, OpenMode mode) {
    std::error_code ec;
    const bool existed = std::filesystem::exists(file, ec);
    if (mode == OpenMode::ReadOnly) {
        const int rc = sqlite3_open_v2(file.c_str(), &db_, SQLITE_OPEN_READONLY, nullptr);
        std::string why;
        if (rc != SQLITE_OK || !checkIntegrity(why) || !prepareSchema()) {
            closeDatabase();
            report_.outcome = OpenOutcome::Unavailable;
            report_.detail = "The settings store " + file.string() + " cannot be read" +
                             (why.empty() ? std::string(".") : ": " + why);
            return fail("open", report_.detail);
        }
        sqlite3_busy_timeout(db_, kBusyTimeoutMs);
        report_.outcome = OpenOutcome::ReadOnly;
        return true;
    }
    if (!existed) {
        std::filesystem::create_directories(file.parent_path(), ec);
        ::chmod(file.parent_path().c_str(), 0700);
        // Created private before the database opens it: SQLite gives its journal files the
        // database file's mode.
        const int fd = ::open(file.c_str(), O_CREAT | O_WRONLY | O_CLOEXEC, 0600);
        if (fd >= 0) {
            ::close(fd);
        }
    }

    for (int attempt = 0; attempt < 2; ++attempt) {
        writable_ = true;
        int rc = sqlite3_open_v2(file.c_str(), &db_, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE,
                                 nullptr);
        if (rc != SQLITE_OK) {
            closeDatabase();
            writable_ = false;
            rc = sqlite3_open_v2(file.c_str(), &db_, SQLITE_OPEN_READONLY, nullptr);
        }
        if (rc != SQLITE_OK) {
            std::string message = db_ != nullptr ? sqlite3_errmsg(db_) : sqlite3_errstr(rc);
            closeDatabase();
            report_.outcome = OpenOutcome::Unavailable;
            report_.detail =
                "The settings store " + file.string() + " cannot be opened: " + message;
            return fail("open", report_.detail);
        }
        sqlite3_busy_timeout(db_, kBusyTimeoutMs);
        sqlite3_extended_result_codes(db_, 1);

        std::string why;
        if (checkIntegrity(why)) {
            if (!prepareSchema()) {
                // A file we cannot turn into a hive (read-only and empty, say) is unusable.
                report_.outcome = OpenOutcome::Unavailable;
                report_.detail = "The settings store " + file.string() + " cannot be prepared: " +
                                 (lastFailure_ ? lastFailure_->message : std::string());
                closeDatabase();
                return false;
            }
            if (!writable_) {
                report_.outcome = OpenOutcome::ReadOnly;
                report_.detail = "The settings store " + file.string() +
                                 " is read-only: changes cannot be saved.";
                fail("open", report_.detail);
            } else if (report_.outcome != OpenOutcome::ReplacedDamaged) {
                report_.outcome = existed ? OpenOutcome::Opened : OpenOutcome::Created;
            }
            ::chmod(file.c_str(), 0600);
            return true;
        }

        // Damaged or not a hive: keep the old file for the user, start with an empty one.
        closeDatabase();
        const std::filesystem::path aside = file.string() + ".damaged-" + timeStamp();
        std::filesystem::rename(file, aside, ec);
        if (ec) {
            report_.outcome = OpenOutcome::Unavailable;
            report_.detail = "The settings store " + file.string() + " is damaged (" + why +
                             ") and cannot be moved aside: " + ec.message();
            return fail("open", report_.detail);
        }
        for (const char* suffix : {"-wal", "-shm", "-journal"}) {
            std::error_code ignored;
            const std::filesystem::path side = file.string() + suffix;
            if (std::filesystem::exists(side, ignored)) {
                std::filesystem::rename(side, aside.string() + suffix, ignored);
            }
        }
        report_.outcome = OpenOutcome::ReplacedDamaged;
        report_.movedAsideTo = aside;
        report_.detail = "The settings store " + file.string() + " was damaged (" + why +
                         "). It was moved to " + aside.string() +
                         " and an empty store was started.";
    }
    return false;
}

bool Hive::checkIntegrity(std::string& why) {
    sqlite3_stmt* stmt = nullptr;
    int rc = sqlite3_prepare_v2(db_, "PRAGMA quick_check", -1, &stmt, nullptr);
    std::string verdict;
    if (rc == SQLITE_OK) {
        rc = sqlite3_step(stmt);
        if (rc == SQLITE_ROW) {
            const auto* text = sqlite3_column_text(stmt, 0);
            verdict = text != nullptr ? reinterpret_cast<const char*>(text) : "";
        }
    }
    sqlite3_finalize(stmt);
    if (rc != SQLITE_ROW && rc != SQLITE_DONE) {
        if (isDamageCode(rc)) {
            why = sqlite3_errstr(rc);
            return false;
        }
        // Locked or unreadable: not proof of damage; the operations will report it.
        return true;
    }
    if (verdict != "ok") {
        why = verdict.empty() ? "integrity check failed" : verdict;
        return false;
    }

    // A sound database that belongs to someone else is not ours to write into.
    int applicationId = 0;
    int tables = 0;
    if (sqlite3_prepare_v2(db_, "PRAGMA application_id", -1, &stmt, nullptr) == SQLITE_OK &&
        sqlite3_step(stmt) == SQLITE_ROW) {
        applicationId = sqlite3_column_int(stmt, 0);
    }
    sqlite3_finalize(stmt);
    if (sqlite3_prepare_v2(db_, "SELECT count(*) FROM sqlite_master", -1, &stmt, nullptr) ==
            SQLITE_OK &&
        sqlite3_step(stmt) == SQLITE_ROW) {
        tables = sqlite3_column_int(stmt, 0);
    }
    sqlite3_finalize(stmt);
    if (tables > 0 && applicationId != kApplicationId) {
        why = "not a Tunexa settings store";
        return false;
    }
    return true;
}

bool Hive::prepareSchema() {
    if (writable_) {
        sqlite3_exec(db_, "PRAGMA journal_mode=WAL", nullptr, nullptr, nullptr);
    }
    sqlite3_exec(db_, "PRAGMA synchronous=FULL", nullptr, nullptr, nullptr);

    int version = 0;
    sqlite3_stmt* stmt = nullptr;
    if (sqlite3_prepare_v2(db_, "PRAGMA user_version", -1, &stmt, nullptr) == SQLITE_OK &&
        sqlite3_step(stmt) == SQLITE_ROW) {
        version = sqlite3_column_int(stmt, 0);
    }
    sqlite3_finalize(stmt);
    if (version == kSchemaVersion) {
        return true;
    }
    if (!writable_) {
        return fail("open", "the store is read-only and has no tables yet");
    }
    const std::string script = std::string("BEGIN IMMEDIATE;") + kSchema +
                               "PRAGMA application_id=" + std::to_string(kApplicationId) +
                               ";PRAGMA user_version=" + std::to_string(kSchemaVersion) +
                               ";COMMIT;";
    if (sqlite3_exec(db_, script.c_str(), nullptr, nullptr, nullptr) != SQLITE_OK) {
        fail("open");
        sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
        return false;
    }
    return true;
}

bool Hive::fail(std::string_view operation) {
    return fail(operation, db_ != nullptr ? sqlite3_errmsg(db_) : "the settings store is not open");
}

bool Hive::fail(std::string_view operation, std::string message) {
    ++failureCount_;
    lastFailure_ = StoreFailure{std::string(operation), std::move(message)};
    if (batchDepth_ > 0) {
        batchFailed_ = true;
    }
    return false;
}

sqlite3_stmt* Hive::statement(int id, const char* sql) {
    if (db_ == nullptr) {
        return nullptr;
    }
    auto& slot = statements_[static_cast<std::size_t>(id)];
    if (slot == nullptr &&
        sqlite3_prepare_v3(db_, sql, -1, SQLITE_PREPARE_PERSISTENT, &slot, nullptr) != SQLITE_OK) {
        slot = nullptr;
    }
    return slot;
}

std::optional<std::int64_t> Hive::findKey(RootKey root, const std::string& folded) {
    Statement stmt(statement(kFindKey, "SELECT id FROM keys WHERE root=?1 AND path=?2"));
    if (!stmt) {
        return std::nullopt;
    }
    stmt.bindInt(1, root);
    stmt.bindBlob(2, std::string_view(folded));
    if (stmt.step() == SQLITE_ROW) {
        return stmt.columnInt(0);
    }
    return std::nullopt;
}

std::optional<std::int64_t> Hive::ensureKey(RootKey root, std::string_view key) {
    const std::string folded = foldedPath(key);
    if (auto id = findKey(root, folded)) {
        return id;
    }
    // Create the root key and every missing component on the way down.
    std::optional<std::int64_t> parent;
    std::string path;
    std::string name;
    auto create = [&]() -> bool {
        if (auto id = findKey(root, path)) {
            parent = id;
            return true;
        }
        Statement insert(statement(
            kInsertKey, "INSERT INTO keys(root, parent, path, name) VALUES(?1, ?2, ?3, ?4)"));
        if (!insert) {
            return false;
        }
        insert.bindInt(1, root);
        if (parent) {
            insert.bindInt(2, *parent);
        }
        insert.bindBlob(3, std::string_view(path));
        insert.bindBlob(4, std::string_view(name));
        if (insert.step() != SQLITE_DONE) {
            return false;
        }
        parent = sqlite3_last_insert_rowid(db_);
        return true;
    };
    if (!create()) {
        return std::nullopt;
    }
    for (auto part : components(key)) {
        if (!path.empty()) {
            path += '\\';
        }
        path += ansi::fold(part);
        name = std::string(part);
        if (!create()) {
            return std::nullopt;
        }
    }
    return parent;
}

template <typename Work>
bool Hive::writeTransaction(std::string_view operation, Work&& work) {
    if (db_ == nullptr) {
        return fail(operation);
    }
    if (!writable_) {
        return fail(operation, "the settings store is read-only");
    }
    if (batchDepth_ > 0) {
        if (batchFailed_) {
            return false;  // the batch will roll back anyway
        }
        return work() || fail(operation);
    }
    if (sqlite3_exec(db_, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr) != SQLITE_OK) {
        return fail(operation);
    }
    if (!work()) {
        fail(operation);
        sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
        return false;
    }
    if (sqlite3_exec(db_, "COMMIT", nullptr, nullptr, nullptr) != SQLITE_OK) {
        fail(operation);
        sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
        return false;
    }
    return true;
}

std::optional<RawValue> Hive::getValue(RootKey root, std::string_view key, std::string_view name) {
    Statement stmt(statement(kGetValue,
                             "SELECT v.type, v.data FROM keys k JOIN vals v ON v.key = k.id "
                             "WHERE k.root=?1 AND k.path=?2 AND v.fold=?3"));
    if (!stmt) {
        fail("read");
        return std::nullopt;
    }
    const std::string folded = foldedPath(key);
    const std::string foldedName = ansi::fold(name);
    stmt.bindInt(1, root);
    stmt.bindBlob(2, std::string_view(folded));
    stmt.bindBlob(3, std::string_view(foldedName));
    const int rc = stmt.step();
    if (rc == SQLITE_ROW) {
        return RawValue{static_cast<std::uint32_t>(stmt.columnInt(0)), stmt.columnBytes(1)};
    }
    if (rc != SQLITE_DONE) {
        fail("read");
    }
    return std::nullopt;
}

bool Hive::setValue(RootKey root, std::string_view key, std::string_view name, std::uint32_t type,
                    std::span<const std::uint8_t> data) {
    return writeTransaction("write", [&] {
        const auto id = ensureKey(root, key);
        if (!id) {
            return false;
        }
        // A new value goes after the key's others; an existing one keeps its place and spelling.
        Statement stmt(statement(
            kUpsertValue,
            "INSERT INTO vals(key, fold, name, type, data, seq) VALUES(?1, ?2, ?3, ?4, ?5, "
            "(SELECT IFNULL(MAX(seq), 0) + 1 FROM vals WHERE key=?1)) "
            "ON CONFLICT(key, fold) DO UPDATE SET type=excluded.type, data=excluded.data"));
        if (!stmt) {
            return false;
        }
        const std::string foldedName = ansi::fold(name);
        stmt.bindInt(1, *id);
        stmt.bindBlob(2, std::string_view(foldedName));
        stmt.bindBlob(3, name);
        stmt.bindInt(4, type);
        stmt.bindBlob(5, data);
        return stmt.step() == SQLITE_DONE;
    });
}

bool Hive::deleteValue(RootKey root, std::string_view key, std::string_view name) {
    return writeTransaction("delete", [&] {
        const auto id = findKey(root, foldedPath(key));
        if (!id) {
            return true;  // nothing to delete; the key is not created
        }
        Statement stmt(statement(kDeleteValue, "DELETE FROM vals WHERE key=?1 AND fold=?2"));
        if (!stmt) {
            return false;
        }
        const std::string foldedName = ansi::fold(name);
        stmt.bindInt(1, *id);
        stmt.bindBlob(2, std::string_view(foldedName));
        return stmt.step() == SQLITE_DONE;
    });
}

bool Hive::keyExists(RootKey root, std::string_view key) {
    return findKey(root, foldedPath(key)).has_value() || foldedPath(key).empty();
}

bool Hive::createKey(RootKey root, std::string_view key) {
    return writeTransaction("create key", [&] { return ensureKey(root, key).has_value(); });
}

bool Hive::deleteKeyTree(RootKey root, std::string_view key) {
    const std::string folded = foldedPath(key);
    // Everything at or below the key: its own row and every path that starts with "key\".
    // Backslash is 0x5C and ']' 0x5D, so the descendants are exactly the paths in [key\, key]).
    // Below the root key everything but the root row itself goes.
    static constexpr const char* kSubtreeSql[2][2] = {
        {"DELETE FROM vals WHERE key IN (SELECT id FROM keys WHERE root=?1 AND (path=?2 OR "
         "(path>=?3 AND path<?4)))",
         "DELETE FROM keys WHERE root=?1 AND path<>x'' AND (path=?2 OR (path>=?3 AND path<?4))"},
        {"DELETE FROM vals WHERE key IN (SELECT id FROM keys WHERE root=?1)",
         "DELETE FROM keys WHERE root=?1 AND path<>x''"}};
    const int variant = folded.empty() ? 1 : 0;
    const std::string low = folded + "\\";
    const std::string high = folded + "]";
    return writeTransaction("delete key", [&] {
        for (int part = 0; part < 2; ++part) {
            Statement stmt(
                statement(kDeleteSubtreeValues + variant * 2 + part, kSubtreeSql[variant][part]));
            if (!stmt) {
                return false;
            }
            stmt.bindInt(1, root);
            if (variant == 0) {
                stmt.bindBlob(2, std::string_view(folded));
                stmt.bindBlob(3, std::string_view(low));
                stmt.bindBlob(4, std::string_view(high));
            }
            if (stmt.step() != SQLITE_DONE) {
                return false;
            }
        }
        return true;
    });
}

std::optional<std::string> Hive::storedPath(RootKey root, std::string_view key) {
    const std::string folded = foldedPath(key);
    auto id = findKey(root, folded);
    if (!id) {
        if (folded.empty()) {
            return std::string();
        }
        return std::nullopt;
    }
    std::vector<std::string> names;
    while (id) {
        Statement stmt(statement(kKeyName, "SELECT name, parent, path FROM keys WHERE id=?1"));
        if (!stmt) {
            return std::nullopt;
        }
        stmt.bindInt(1, *id);
        if (stmt.step() != SQLITE_ROW) {
            return std::nullopt;
        }
        if (stmt.columnText(2).empty()) {
            break;  // the root key
        }
        names.push_back(stmt.columnText(0));
        id = stmt.columnInt(1);
    }
    std::string path;
    for (auto it = names.rbegin(); it != names.rend(); ++it) {
        if (!path.empty()) {
            path += '\\';
        }
        path += *it;
    }
    return path;
}

std::vector<std::string> Hive::subkeys(RootKey root, std::string_view key) {
    std::vector<std::string> names;
    const auto id = findKey(root, foldedPath(key));
    if (!id) {
        return names;
    }
    Statement stmt(statement(kSubkeys, "SELECT name FROM keys WHERE parent=?1"));
    if (!stmt) {
        return names;
    }
    stmt.bindInt(1, *id);
    while (stmt.step() == SQLITE_ROW) {
        names.push_back(stmt.columnText(0));
    }
    std::sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
        return ansi::lessIgnoringCase(a, b);
    });
    return names;
}

std::vector<NamedValue> Hive::values(RootKey root, std::string_view key) {
    std::vector<NamedValue> result;
    const auto id = findKey(root, foldedPath(key));
    if (!id) {
        return result;
    }
    Statement stmt(
        statement(kValues, "SELECT name, type, data FROM vals WHERE key=?1 ORDER BY seq"));
    if (!stmt) {
        return result;
    }
    stmt.bindInt(1, *id);
    while (stmt.step() == SQLITE_ROW) {
        result.push_back(NamedValue{stmt.columnText(0),
                                    static_cast<std::uint32_t>(stmt.columnInt(1)),
                                    stmt.columnBytes(2)});
    }
    return result;
}

bool Hive::beginBatch() {
    if (batchDepth_ > 0) {
        ++batchDepth_;
        return true;
    }
    if (db_ == nullptr || !writable_) {
        ++batchDepth_;
        batchFailed_ = true;
        return fail("begin", db_ == nullptr ? "the settings store is not open"
                                            : "the settings store is read-only");
    }
    if (sqlite3_exec(db_, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr) != SQLITE_OK) {
        ++batchDepth_;
        batchFailed_ = true;
        return fail("begin");
    }
    ++batchDepth_;
    batchFailed_ = false;
    return true;
}

bool Hive::commitBatch() {
    if (batchDepth_ == 0) {
        return false;
    }
    if (--batchDepth_ > 0) {
        return !batchFailed_;
    }
    const bool failedBefore = batchFailed_;
    batchFailed_ = false;
    if (db_ == nullptr || sqlite3_get_autocommit(db_) != 0) {
        return false;  // never began: the failure is already remembered
    }
    if (failedBefore) {
        sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
        return false;
    }
    if (sqlite3_exec(db_, "COMMIT", nullptr, nullptr, nullptr) != SQLITE_OK) {
        fail("commit");
        sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
        return false;
    }
    return true;
}

void Hive::rollbackBatch() {
    if (batchDepth_ == 0) {
        return;
    }
    batchFailed_ = true;
    if (--batchDepth_ > 0) {
        return;
    }
    batchFailed_ = false;
    if (db_ != nullptr && sqlite3_get_autocommit(db_) == 0) {
        sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
    }
}

}  // namespace tunexa::store
