#include "Hive.h"

#include <fcntl.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <system_error>
#include <utility>

#include "Ansi.h"
#include "HiveInternal.h"
#include "Limits.h"

namespace tunexa::store {

using detail::components;
using detail::foldedPath;
using detail::joinedPath;
using detail::Statement;

namespace {

constexpr int kApplicationId = 0x54584856;  // "TXHV"
// 1: keys carried their whole folded path; 2: keys by parent and own name, and the change record.
constexpr int kSchemaVersion = 2;
constexpr int kBusyTimeoutMs = 15000;

// A key is found by its parent and its own folded name, so a key's row holds only its own name
// and the hive grows linearly however deep the keys go. The root key of each root is the row
// with parent 0 and the empty name.
constexpr const char* kFindChildSql =
    "SELECT id, name FROM keys WHERE root=?1 AND parent=?2 AND fold=?3";

std::string keysTable(std::string_view name) {
    return "CREATE TABLE " + std::string(name) +
           "(id INTEGER PRIMARY KEY, root INTEGER NOT NULL, parent INTEGER NOT NULL,"
           " fold BLOB NOT NULL, name BLOB NOT NULL, UNIQUE(root, parent, fold));";
}

constexpr const char* kOtherTables = R"sql(
CREATE TABLE IF NOT EXISTS vals(
    key INTEGER NOT NULL,
    fold BLOB NOT NULL,
    name BLOB NOT NULL,
    type INTEGER NOT NULL,
    data BLOB NOT NULL,
    seq INTEGER NOT NULL,
    PRIMARY KEY(key, fold)) WITHOUT ROWID;
CREATE TABLE IF NOT EXISTS changes(
    id INTEGER PRIMARY KEY,
    time INTEGER NOT NULL,
    title BLOB NOT NULL);
CREATE TABLE IF NOT EXISTS change_items(
    change INTEGER NOT NULL,
    seq INTEGER NOT NULL,
    kind INTEGER NOT NULL,
    root INTEGER NOT NULL,
    key BLOB NOT NULL,
    name BLOB NOT NULL,
    before_type INTEGER,
    before_data BLOB,
    after_type INTEGER,
    after_data BLOB,
    PRIMARY KEY(change, seq)) WITHOUT ROWID;
)sql";

// Every key at or below key ?1 of root ?2.
#define TUNEXA_SUBTREE                               \
    "WITH RECURSIVE sub(id) AS (SELECT ?1 UNION ALL" \
    " SELECT k.id FROM keys k JOIN sub ON k.root=?2 AND k.parent=sub.id) "
constexpr const char* kDeleteTreeValuesSql =
    TUNEXA_SUBTREE "DELETE FROM vals WHERE key IN (SELECT id FROM sub)";
// The root key's own row stays: a root always exists.
constexpr const char* kDeleteTreeKeysSql =
    TUNEXA_SUBTREE "DELETE FROM keys WHERE id IN (SELECT id FROM sub) AND parent <> 0";
#undef TUNEXA_SUBTREE

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

bool canWrite(const std::filesystem::path& path, int& error) {
    if (::faccessat(AT_FDCWD, path.c_str(), W_OK, AT_EACCESS) == 0) {
        return true;
    }
    error = errno;
    return false;
}

// Why a file or its folder cannot be written, in words a user understands.
std::string writeProtection(const std::filesystem::path& file) {
    const std::filesystem::path folder = file.parent_path();
    int error = 0;
    if (!canWrite(folder, error)) {
        if (error == ENOENT) {
            return "its folder " + folder.string() + " does not exist and cannot be made";
        }
        return error == EROFS ? "its folder " + folder.string() + " is on a read-only file system"
                              : "its folder " + folder.string() + " is write-protected";
    }
    if (!canWrite(file, error)) {
        return error == EROFS ? "it is on a read-only file system" : "the file is write-protected";
    }
    return {};
}

std::string readOnlyDetail(const std::filesystem::path& file, const std::string& why) {
    return "The settings store " + file.string() + " is read-only: " + why +
           ". Your settings are shown, but no change can be saved until it can be written again.";
}

// A path as an SQLite URI filename.
std::string fileUri(const std::filesystem::path& file) {
    std::string uri = "file:";
    for (const unsigned char c : file.string()) {
        if (c == '%' || c == '?' || c == '#' || c < 0x21 || c >= 0x7F) {
            char escaped[4];
            std::snprintf(escaped, sizeof escaped, "%%%02X", c);
            uri += escaped;
        } else {
            uri += static_cast<char>(c);
        }
    }
    return uri;
}

// Nobody holds a lock on the file: no other process has the hive open.
bool unlocked(const std::filesystem::path& file) {
    const int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        return false;
    }
    struct flock probe {};
    probe.l_type = F_WRLCK;
    probe.l_whence = SEEK_SET;
    const bool free = ::fcntl(fd, F_GETLK, &probe) == 0 && probe.l_type == F_UNLCK;
    ::close(fd);
    return free;
}

// The journal files belong to the hive. One left unwritable (a session that could only read made
// it with the hive's read-only mode) would make every later write fail: give it the owner's
// write back, or, when it is someone else's and no process uses it, remove it.
void repairSideFiles(const std::filesystem::path& file) {
    for (const char* suffix : {"-shm", "-wal"}) {
        const std::filesystem::path side = file.string() + suffix;
        struct stat info {};
        int error = 0;
        if (::lstat(side.c_str(), &info) != 0 || canWrite(side, error)) {
            continue;
        }
        const bool madeWritable =
            info.st_uid == ::geteuid() && ::chmod(side.c_str(), 0600) == 0 && canWrite(side, error);
        if (!madeWritable && std::string(suffix) == "-shm" && unlocked(side)) {
            ::unlink(side.c_str());
        }
    }
}

// Drops group and other permissions; never adds any, so a hive the user write-protected stays so.
void keepPrivate(const std::filesystem::path& file) {
    struct stat info {};
    if (::stat(file.c_str(), &info) == 0 && info.st_uid == ::geteuid() &&
        (info.st_mode & 077) != 0) {
        ::chmod(file.c_str(), info.st_mode & 0700);
    }
}

// Created private before SQLite opens it: SQLite gives its journal files the hive file's mode.
void createPrivately(const std::filesystem::path& file) {
    const int fd = ::open(file.c_str(), O_CREAT | O_WRONLY | O_CLOEXEC, 0600);
    if (fd >= 0) {
        ::close(fd);
    }
}

void foldFunction(sqlite3_context* context, int, sqlite3_value** arguments) {
    const auto* bytes = static_cast<const char*>(sqlite3_value_blob(arguments[0]));
    const auto size = static_cast<std::size_t>(sqlite3_value_bytes(arguments[0]));
    const std::string folded = ansi::fold(std::string_view(bytes == nullptr ? "" : bytes, size));
    sqlite3_result_blob(context, folded.data(), static_cast<int>(folded.size()), SQLITE_TRANSIENT);
}

}  // namespace

namespace detail {

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

std::string joinedPath(std::string_view path) {
    std::string out;
    out.reserve(path.size());
    for (auto part : components(path)) {
        if (!out.empty()) {
            out += '\\';
        }
        out += part;
    }
    return out;
}

std::string foldedPath(std::string_view path) {
    return ansi::fold(joinedPath(path));
}

}  // namespace detail

namespace {

// A key of up to this depth is found by one query joining its components, each an indexed step;
// a deeper one by that query for its first components and one lookup for each further one.
constexpr std::size_t kJoinedDepth = 16;

}  // namespace

std::unique_ptr<Hive> Hive::open(const std::filesystem::path& file, OpenMode mode) {
    std::unique_ptr<Hive> hive(new Hive());
    hive->statements_.assign(detail::kStatementCount, nullptr);
    hive->pathStatements_.assign(2 * (kJoinedDepth + 1), nullptr);
    hive->report_.path = file;
    hive->openFile(file, mode);
    return hive;
}

void Hive::setBusyTimeout(int milliseconds) {
    busyTimeoutMs_ = milliseconds;
    if (db_ != nullptr) {
        sqlite3_busy_timeout(db_, milliseconds);
    }
}

Hive::~Hive() {
    closeDatabase();
}

void Hive::closeDatabase() {
    for (auto*& stmt : pathStatements_) {
        sqlite3_finalize(stmt);
        stmt = nullptr;
    }
    for (auto*& stmt : statements_) {
        sqlite3_finalize(stmt);
        stmt = nullptr;
    }
    if (db_ != nullptr) {
        sqlite3_close_v2(db_);
        db_ = nullptr;
    }
}

bool Hive::openSqlite(const std::filesystem::path& file, int flags, bool immutable) {
    const std::string name = immutable ? fileUri(file) + "?immutable=1" : file.string();
    const int rc =
        sqlite3_open_v2(name.c_str(), &db_, flags | (immutable ? SQLITE_OPEN_URI : 0), nullptr);
    if (rc != SQLITE_OK) {
        report_.detail = "The settings store " + file.string() + " cannot be opened: " +
                         (db_ != nullptr ? sqlite3_errmsg(db_) : sqlite3_errstr(rc));
        closeDatabase();
        return false;
    }
    setBusyTimeout(busyTimeoutMs_ > 0 ? busyTimeoutMs_ : kBusyTimeoutMs);
    sqlite3_extended_result_codes(db_, 1);
    sqlite3_create_function(db_, "tunexa_fold", 1, SQLITE_UTF8 | SQLITE_DETERMINISTIC, nullptr,
                            foldFunction, nullptr, nullptr);
    return true;
}

bool Hive::openFile(const std::filesystem::path& file, OpenMode mode) {
    std::error_code ec;
    const bool existed = std::filesystem::exists(file, ec);
    if (mode == OpenMode::ReadOnly) {
        return openReadOnly(file, "it was opened for reading only");
    }
    if (!existed) {
        std::filesystem::create_directories(file.parent_path(), ec);
        ::chmod(file.parent_path().c_str(), 0700);
        createPrivately(file);
    }
    keepPrivate(file);
    if (const std::string why = writeProtection(file); !why.empty()) {
        return openReadOnly(file, why);
    }
    repairSideFiles(file);

    for (int attempt = 0; attempt < 2; ++attempt) {
        writable_ = true;
        if (!openSqlite(file, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, false)) {
            report_.outcome = OpenOutcome::Unavailable;
            return fail("open", report_.detail);
        }
        if (sqlite3_db_readonly(db_, "main") == 1) {
            closeDatabase();
            return openReadOnly(file, "the system refuses to let it be written");
        }
        std::string why;
        if (checkIntegrity(why)) {
            if (!prepareSchema()) {
                report_.outcome = OpenOutcome::Unavailable;
                report_.detail = "The settings store " + file.string() + " cannot be prepared: " +
                                 (lastFailure_ ? lastFailure_->message : std::string());
                closeDatabase();
                return false;
            }
            if (report_.outcome != OpenOutcome::ReplacedDamaged) {
                report_.outcome = existed ? OpenOutcome::Opened : OpenOutcome::Created;
            }
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
        createPrivately(file);
        report_.outcome = OpenOutcome::ReplacedDamaged;
        report_.movedAsideTo = aside;
        report_.detail = "The settings store " + file.string() + " was damaged (" + why +
                         "). It was moved to " + aside.string() +
                         " and an empty store was started.";
    }
    return false;
}

bool Hive::openReadOnly(const std::filesystem::path& file, const std::string& why) {
    writable_ = false;
    std::error_code ec;
    const auto unavailable = [&](const std::string& reason) {
        closeDatabase();
        report_.outcome = OpenOutcome::Unavailable;
        report_.detail = "The settings store " + file.string() + " cannot be read: " + reason;
        return fail("open", report_.detail);
    };
    if (!std::filesystem::exists(file, ec)) {
        return unavailable("it does not exist and cannot be created, because " + why + ".");
    }
    // A hive in WAL mode is read through its -shm file; where that cannot be made (a read-only
    // folder or file system), the file is read as it stands on disk.
    std::string damage;
    bool readable = false;
    for (const bool immutable : {false, true}) {
        if (!openSqlite(file, SQLITE_OPEN_READONLY, immutable)) {
            continue;
        }
        damage.clear();
        readable = checkIntegrity(damage) && damage.empty() &&
                   sqlite3_exec(db_, "SELECT count(*) FROM sqlite_master", nullptr, nullptr,
                                nullptr) == SQLITE_OK;
        if (readable || !damage.empty()) {
            break;
        }
        closeDatabase();
    }
    if (!readable) {
        return unavailable(damage.empty() ? report_.detail : "it is damaged (" + damage + ").");
    }
    if (!prepareSchema()) {
        return unavailable(lastFailure_ ? lastFailure_->message : "it holds no settings.");
    }
    report_.outcome = OpenOutcome::ReadOnly;
    report_.detail = readOnlyDetail(file, why);
    return fail("open", report_.detail);
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
        report_.detail = sqlite3_errmsg(db_);
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
    if (version > kSchemaVersion) {
        return fail("open", "the store was written by a newer Tunexa");
    }
    if (!writable_) {
        // An older hive that cannot be upgraded in place is read from an upgraded copy.
        if (version == 0) {
            return fail("open", "the store is read-only and holds no settings yet");
        }
        if (!copyIntoMemory()) {
            return fail("open");
        }
    }
    return migrateSchema(version);
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
    sqlite3_close_v2(db_);
    db_ = memory;
    sqlite3_create_function(db_, "tunexa_fold", 1, SQLITE_UTF8 | SQLITE_DETERMINISTIC, nullptr,
                            foldFunction, nullptr, nullptr);
    return true;
}

bool Hive::migrateSchema(int fromVersion) {
    std::string script = "BEGIN IMMEDIATE;";
    if (fromVersion == 0) {
        script += keysTable("keys");
    } else {
        // Version 1 keys carried their whole folded path; their own name is all that stays.
        script += keysTable("keys_v2") +
                  "INSERT INTO keys_v2(id, root, parent, fold, name) "
                  "SELECT id, root, IFNULL(parent, 0), tunexa_fold(name), name FROM keys;"
                  "DROP TABLE keys; ALTER TABLE keys_v2 RENAME TO keys;";
    }
    script += kOtherTables;
    script += "PRAGMA application_id=" + std::to_string(kApplicationId) +
              ";PRAGMA user_version=" + std::to_string(kSchemaVersion) + ";COMMIT;";
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

namespace {

// Finds the key whose folded components are bound as ?2, ?3, ... below the root key of root ?1;
// with `value`, that key's value folded as the next parameter.
std::string joinedPathSql(std::size_t depth, bool value) {
    const auto alias = [](std::size_t level) { return "k" + std::to_string(level); };
    std::string sql = "SELECT ";
    sql.append(value ? "v.type, v.data, v.name" : alias(depth) + ".id").append(" FROM keys k0");
    for (std::size_t level = 1; level <= depth; ++level) {
        const std::string k = alias(level);
        sql.append(" JOIN keys ").append(k).append(" ON ").append(k).append(".root=?1 AND ");
        sql.append(k).append(".parent=").append(alias(level - 1)).append(".id AND ");
        sql.append(k).append(".fold=?").append(std::to_string(level + 1));
    }
    if (value) {
        sql.append(" JOIN vals v ON v.key=").append(alias(depth)).append(".id AND v.fold=?");
        sql.append(std::to_string(depth + 2));
    }
    return sql.append(" WHERE k0.root=?1 AND k0.parent=0 AND k0.fold=x''");
}

}  // namespace

sqlite3_stmt* Hive::pathStatement(std::size_t depth, bool value) {
    if (db_ == nullptr) {
        return nullptr;
    }
    auto& slot = pathStatements_[2 * depth + (value ? 1 : 0)];
    if (slot == nullptr) {
        const std::string sql = joinedPathSql(depth, value);
        if (sqlite3_prepare_v3(db_, sql.c_str(), -1, SQLITE_PREPARE_PERSISTENT, &slot, nullptr) !=
            SQLITE_OK) {
            slot = nullptr;
        }
    }
    return slot;
}

// Binds root and the path's first components (and a value name) the way pathStatement()'s query
// for that depth wants.
void Hive::bindPath(Statement& stmt, RootKey root, std::span<const std::string_view> parts,
                    std::optional<std::string_view> valueName, std::vector<std::string>& keep) {
    stmt.bindInt(1, root);
    keep.clear();
    keep.reserve(parts.size() + 1);
    int index = 2;
    for (auto part : parts) {
        keep.push_back(ansi::fold(part));
        stmt.bindBlob(index++, std::string_view(keep.back()));
    }
    if (valueName) {
        keep.push_back(ansi::fold(*valueName));
        stmt.bindBlob(index, std::string_view(keep.back()));
    }
}

std::optional<std::int64_t> Hive::findKey(RootKey root, std::string_view key) {
    const auto parts = components(key);
    const auto joined = std::span(parts).first(std::min(parts.size(), kJoinedDepth));
    std::optional<std::int64_t> id;
    {
        Statement stmt(pathStatement(joined.size(), false));
        if (!stmt) {
            return std::nullopt;
        }
        std::vector<std::string> bound;
        bindPath(stmt, root, joined, std::nullopt, bound);
        if (stmt.step() == SQLITE_ROW) {
            id = stmt.columnInt(0);
        }
    }
    for (std::size_t level = joined.size(); id && level < parts.size(); ++level) {
        Statement child(statement(detail::kFindChild, kFindChildSql));
        if (!child) {
            return std::nullopt;
        }
        const std::string fold = ansi::fold(parts[level]);
        child.bindInt(1, root);
        child.bindInt(2, *id);
        child.bindBlob(3, std::string_view(fold));
        id = child.step() == SQLITE_ROW ? std::optional(child.columnInt(0)) : std::nullopt;
    }
    return id;
}

std::optional<std::int64_t> Hive::ensureKey(RootKey root, std::string_view key) {
    const auto parts = components(key);
    if (parts.size() > kMaxKeyDepth) {
        fail("write", "the key is " + std::to_string(parts.size()) +
                          " levels deep; the registry allows " + std::to_string(kMaxKeyDepth));
        return std::nullopt;
    }
    for (auto part : parts) {
        if (part.size() > kMaxKeyNameLength) {
            fail("write", "a key name is " + std::to_string(part.size()) +
                              " characters long; the registry allows " +
                              std::to_string(kMaxKeyNameLength));
            return std::nullopt;
        }
    }
    if (auto id = findKey(root, key)) {
        return id;
    }
    // Down from the root key, creating each missing component (and the root key itself).
    std::int64_t parent = 0;
    std::string spelled;
    auto step = [&](std::string_view name) -> bool {
        const std::string fold = ansi::fold(name);
        {
            Statement find(statement(detail::kFindChild, kFindChildSql));
            if (!find) {
                return false;
            }
            find.bindInt(1, root);
            find.bindInt(2, parent);
            find.bindBlob(3, std::string_view(fold));
            if (find.step() == SQLITE_ROW) {
                parent = find.columnInt(0);
                spelled = detail::joinedPath(spelled + "\\" + find.columnText(1));
                return true;
            }
        }
        Statement insert(
            statement(detail::kInsertKey,
                      "INSERT INTO keys(root, parent, fold, name) VALUES(?1, ?2, ?3, ?4)"));
        if (!insert) {
            return false;
        }
        insert.bindInt(1, root);
        insert.bindInt(2, parent);
        insert.bindBlob(3, std::string_view(fold));
        insert.bindBlob(4, name);
        if (insert.step() != SQLITE_DONE) {
            return false;
        }
        parent = sqlite3_last_insert_rowid(db_);
        spelled = detail::joinedPath(spelled + "\\" + std::string(name));
        if (!fold.empty()) {
            noteKeyCreated(root, spelled);
        }
        return true;
    };
    if (!step("")) {
        return std::nullopt;
    }
    for (auto part : parts) {
        if (!step(part)) {
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
        return fail(operation,
                    report_.detail.empty() ? "the settings store is read-only" : report_.detail);
    }
    if (batchDepth_ > 0) {
        if (batchFailed_) {
            return false;  // the batch will roll back anyway
        }
        const std::uint64_t failuresBefore = failureCount_;
        return work() || (failureCount_ != failuresBefore ? false : fail(operation));
    }
    if (sqlite3_exec(db_, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr) != SQLITE_OK) {
        return fail(operation);
    }
    const std::uint64_t failuresBefore = failureCount_;
    if (!work()) {
        if (failureCount_ == failuresBefore) {
            fail(operation);
        }
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
    auto value = getNamedValue(root, key, name);
    if (!value) {
        return std::nullopt;
    }
    return RawValue{value->type, std::move(value->data)};
}

std::optional<NamedValue> Hive::getNamedValue(RootKey root, std::string_view key,
                                              std::string_view name) {
    const auto parts = components(key);
    std::optional<std::int64_t> deepKey;
    if (parts.size() > kJoinedDepth) {
        deepKey = findKey(root, key);
        if (!deepKey) {
            return std::nullopt;
        }
    }
    Statement stmt(deepKey ? statement(detail::kValueOfKey,
                                       "SELECT type, data, name FROM vals WHERE key=?1 AND fold=?2")
                           : pathStatement(parts.size(), true));
    if (!stmt) {
        fail("read");
        return std::nullopt;
    }
    std::vector<std::string> bound;
    if (deepKey) {
        bound.push_back(ansi::fold(name));
        stmt.bindInt(1, *deepKey);
        stmt.bindBlob(2, std::string_view(bound.back()));
    } else {
        bindPath(stmt, root, parts, name, bound);
    }
    const int rc = stmt.step();
    if (rc == SQLITE_ROW) {
        return NamedValue{stmt.columnText(2), static_cast<std::uint32_t>(stmt.columnInt(0)),
                          stmt.columnBytes(1)};
    }
    if (rc != SQLITE_DONE) {
        fail("read");
    }
    return std::nullopt;
}

bool Hive::setValue(RootKey root, std::string_view key, std::string_view name, std::uint32_t type,
                    std::span<const std::uint8_t> data) {
    if (name.size() > kMaxValueNameLength) {
        return fail("write", "the value name is " + std::to_string(name.size()) +
                                 " characters long; the registry allows " +
                                 std::to_string(kMaxValueNameLength));
    }
    return writeTransaction("write", [&] {
        // Inside a change the value as it stands is known: writing it again changes nothing.
        const auto noted = noteValue(root, key, name);
        if (noted) {
            const auto& now = recording_->items[*noted].after;
            if (now && now->type == type && std::ranges::equal(now->data, data)) {
                return true;
            }
        }
        const auto id = ensureKey(root, key);
        if (!id) {
            return false;
        }
        // A new value goes after the key's others; an existing one keeps its place and spelling.
        Statement stmt(statement(
            detail::kUpsertValue,
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
        if (stmt.step() != SQLITE_DONE) {
            return false;
        }
        if (noted) {
            recording_->items[*noted].after = RawValue{type, Bytes(data.begin(), data.end())};
        }
        return true;
    });
}

bool Hive::deleteValue(RootKey root, std::string_view key, std::string_view name) {
    return writeTransaction("delete", [&] {
        const auto id = findKey(root, key);
        if (!id) {
            return true;  // nothing to delete; the key is not created
        }
        const auto noted = noteValue(root, key, name);
        Statement stmt(
            statement(detail::kDeleteValue, "DELETE FROM vals WHERE key=?1 AND fold=?2"));
        if (!stmt) {
            return false;
        }
        const std::string foldedName = ansi::fold(name);
        stmt.bindInt(1, *id);
        stmt.bindBlob(2, std::string_view(foldedName));
        if (stmt.step() != SQLITE_DONE) {
            return false;
        }
        if (noted) {
            recording_->items[*noted].after = std::nullopt;
        }
        return true;
    });
}

bool Hive::keyExists(RootKey root, std::string_view key) {
    return findKey(root, key).has_value() || components(key).empty();
}

bool Hive::createKey(RootKey root, std::string_view key) {
    return writeTransaction("create key", [&] { return ensureKey(root, key).has_value(); });
}

bool Hive::deleteKeyTree(RootKey root, std::string_view key) {
    return writeTransaction("delete key", [&] {
        const auto id = findKey(root, key);
        if (!id) {
            return true;
        }
        noteSubtreeDeleted(root, key);
        for (const auto& [slot, sql] : {std::pair{detail::kDeleteTreeValues, kDeleteTreeValuesSql},
                                        std::pair{detail::kDeleteTreeKeys, kDeleteTreeKeysSql}}) {
            Statement stmt(statement(slot, sql));
            if (!stmt) {
                return false;
            }
            stmt.bindInt(1, *id);
            stmt.bindInt(2, root);
            if (stmt.step() != SQLITE_DONE) {
                return false;
            }
        }
        return true;
    });
}

std::optional<std::string> Hive::storedPath(RootKey root, std::string_view key) {
    auto id = findKey(root, key);
    if (!id) {
        if (components(key).empty()) {
            return std::string();
        }
        return std::nullopt;
    }
    std::vector<std::string> names;
    while (true) {
        Statement stmt(statement(detail::kKeyName, "SELECT name, parent FROM keys WHERE id=?1"));
        if (!stmt) {
            return std::nullopt;
        }
        stmt.bindInt(1, *id);
        if (stmt.step() != SQLITE_ROW) {
            return std::nullopt;
        }
        const std::int64_t parent = stmt.columnInt(1);
        if (parent == 0) {
            break;  // the root key
        }
        names.push_back(stmt.columnText(0));
        id = parent;
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
    const auto id = findKey(root, key);
    if (!id) {
        return names;
    }
    Statement stmt(
        statement(detail::kSubkeys, "SELECT name FROM keys WHERE root=?1 AND parent=?2"));
    if (!stmt) {
        return names;
    }
    stmt.bindInt(1, root);
    stmt.bindInt(2, *id);
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
    const auto id = findKey(root, key);
    if (!id) {
        return result;
    }
    Statement stmt(
        statement(detail::kValues, "SELECT name, type, data FROM vals WHERE key=?1 ORDER BY seq"));
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
    ++batchDepth_;
    batchFailed_ = false;
    if (db_ == nullptr || !writable_) {
        batchFailed_ = true;
        return fail("begin", db_ == nullptr           ? "the settings store is not open"
                             : report_.detail.empty() ? "the settings store is read-only"
                                                      : report_.detail);
    }
    if (sqlite3_exec(db_, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr) != SQLITE_OK) {
        batchFailed_ = true;
        return fail("begin");
    }
    return true;
}

bool Hive::commitBatch() {
    if (batchDepth_ == 0) {
        return false;
    }
    if (--batchDepth_ > 0) {
        return !batchFailed_;
    }
    const bool began = db_ != nullptr && sqlite3_get_autocommit(db_) == 0;
    bool committed = began && !batchFailed_;
    if (committed && recording_ && !writeRecord()) {
        fail("record");
        committed = false;
    }
    if (committed && sqlite3_exec(db_, "COMMIT", nullptr, nullptr, nullptr) != SQLITE_OK) {
        fail("commit");
        committed = false;
    }
    finishBatch(committed);
    return committed;
}

void Hive::rollbackBatch() {
    if (batchDepth_ == 0) {
        return;
    }
    batchFailed_ = true;
    if (--batchDepth_ > 0) {
        return;
    }
    finishBatch(false);
}

void Hive::finishBatch(bool committed) {
    if (!committed) {
        if (db_ != nullptr && sqlite3_get_autocommit(db_) == 0) {
            sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
        }
        putFilesBack();
    }
    batchFailed_ = false;
    recording_.reset();
}

}  // namespace tunexa::store
