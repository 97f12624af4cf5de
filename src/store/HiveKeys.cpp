// Keys by path and the values in them: a key is found in one statement however deep it is, and
// remembered while nobody changes the file, so that reading a value is one indexed lookup.
#include "Ansi.h"
#include "Hive.h"
#include "HiveInternal.h"
#include "HiveSql.h"
#include "KeyPath.h"

namespace tunexa::store {

using detail::Sql;
using detail::Statement;
namespace column = detail::column;

namespace {

// Enough for every key a session of the program touches; an export of a whole large hive starts
// over when it is full.
constexpr std::size_t kRememberedKeys = 20000;
constexpr std::size_t kRootBytes = sizeof(RootKey);

// Runs on every read: one pass, no allocation once `out` has grown.
void appendWalkPath(std::string& out, std::string_view key) {
    const std::size_t start = out.size();
    out.resize(start + key.size() + 1);
    char* next = out.data() + start;
    bool inPart = false;
    for (const char c : key) {
        if (c != '\\') {
            *next++ = static_cast<char>(ansi::foldByte(static_cast<unsigned char>(c)));
            inPart = true;
        } else if (inPart) {
            *next++ = '\\';
            inPart = false;
        }
    }
    if (inPart) {
        *next++ = '\\';
    }
    out.resize(static_cast<std::size_t>(next - out.data()));
}

void assignFolded(std::string& out, std::string_view name) {
    out.resize(name.size());
    for (std::size_t i = 0; i < name.size(); ++i) {
        out[i] = static_cast<char>(ansi::foldByte(static_cast<unsigned char>(name[i])));
    }
}

std::string_view walkPathOf(const std::string& cacheName) {
    return std::string_view(cacheName).substr(kRootBytes);
}

}  // namespace

std::string detail::walkPath(std::string_view key) {
    std::string path;
    path.reserve(key.size() + 1);
    appendWalkPath(path, key);
    return path;
}

unsigned Hive::dataVersion() {
    unsigned version = 0;
    sqlite3_file_control(db_, "main", SQLITE_FCNTL_DATA_VERSION, &version);
    return version;
}

void Hive::forgetKeys() {
    keyCache_.ids.clear();
    keyCache_.spellings.clear();
}

const std::string& Hive::cacheName(RootKey root, std::string_view key) {
    keyName_.assign(reinterpret_cast<const char*>(&root), kRootBytes);
    appendWalkPath(keyName_, key);
    return keyName_;
}

// Read inside the statement that found the key (or just after it, in its snapshot): the version
// says which state of the file the id belongs to.
void Hive::rememberKey(const std::string& name, std::int64_t id) {
    const unsigned version = dataVersion();
    if (version != keyCache_.version || keyCache_.ids.size() >= kRememberedKeys) {
        forgetKeys();
        keyCache_.version = version;
    }
    keyCache_.ids.insert_or_assign(name, id);
}

std::optional<std::int64_t> Hive::findKey(RootKey root, std::string_view key) {
    const std::string& name = cacheName(root, key);
    if (const auto known = keyCache_.ids.find(name); known != keyCache_.ids.end()) {
        // Inside a transaction the file does not change under it; outside, a lookup of the id
        // reads the file's state now, and so says whether what was remembered still holds.
        if (sqlite3_get_autocommit(db_) != 0) {
            Statement probe = sql(Sql::KeyById);
            probe.bindInt(1, known->second);
            probe.step();
        }
        if (dataVersion() == keyCache_.version) {
            return known->second != 0 ? std::optional(known->second) : std::nullopt;
        }
    }
    Statement stmt = sql(Sql::FindKey);
    stmt.bindInt(1, root);
    stmt.bindBlob(2, walkPathOf(name));
    const int rc = stmt.step();
    if (rc == SQLITE_ROW) {
        const std::int64_t id = stmt.columnInt(0);
        rememberKey(name, id);
        return id;
    }
    if (finished(rc, "read")) {
        rememberKey(name, 0);
    }
    return std::nullopt;
}

std::optional<NamedValue> Hive::lookupValue(RootKey root, std::string_view key,
                                            std::string_view name, bool withName) {
    const std::string& keyName = cacheName(root, key);
    assignFolded(nameFold_, name);
    const auto valueOf = [withName](Statement& stmt) {
        return NamedValue{withName ? stmt.columnText(column::kValueName) : std::string(),
                          static_cast<std::uint32_t>(stmt.columnInt(column::kValueType)),
                          stmt.columnBytes(column::kValueData)};
    };
    if (const auto known = keyCache_.ids.find(keyName); known != keyCache_.ids.end()) {
        Statement stmt = sql(Sql::ValueOfKey);
        stmt.bindInt(1, known->second);
        stmt.bindBlob(2, nameFold_);
        const int rc = stmt.step();
        // The id belongs to the state of the file this lookup read: the answer holds.
        if (dataVersion() == keyCache_.version) {
            if (rc == SQLITE_ROW) {
                return valueOf(stmt);
            }
            finished(rc, "read");
            return std::nullopt;
        }
    }
    Statement stmt = sql(Sql::ValueByPath);
    stmt.bindInt(1, root);
    stmt.bindBlob(2, walkPathOf(keyName));
    stmt.bindBlob(3, nameFold_);
    const int rc = stmt.step();
    if (rc == SQLITE_ROW) {
        rememberKey(keyName, stmt.columnInt(column::kValueKey));
        if (stmt.isNull(column::kValueType)) {
            return std::nullopt;
        }
        return valueOf(stmt);
    }
    if (finished(rc, "read")) {
        rememberKey(keyName, 0);
    }
    return std::nullopt;
}

std::optional<std::vector<std::pair<std::int64_t, std::string>>> Hive::walkKey(
    RootKey root, std::string_view key) {
    const std::string path = detail::walkPath(key);
    Statement stmt = sql(Sql::WalkKey);
    stmt.bindInt(1, root);
    stmt.bindBlob(2, path);
    std::vector<std::pair<std::int64_t, std::string>> levels;
    int rc = SQLITE_ROW;
    while ((rc = stmt.step()) == SQLITE_ROW) {
        levels.emplace_back(stmt.columnInt(column::kWalkId), stmt.columnText(column::kWalkName));
    }
    if (!finished(rc, "read")) {
        return std::nullopt;
    }
    return levels;
}

std::string Hive::spelling(RootKey root, std::string_view key) {
    const std::string name = cacheName(root, key);
    const bool inTransaction = sqlite3_get_autocommit(db_) == 0;
    if (inTransaction && dataVersion() == keyCache_.version) {
        if (const auto known = keyCache_.spellings.find(name); known != keyCache_.spellings.end()) {
            return known->second;
        }
    }
    const auto parts = components(key);
    const auto levels = walkKey(root, key);
    const std::size_t stored = levels && !levels->empty() ? levels->size() - 1 : 0;
    std::string path;
    for (std::size_t level = 0; level < parts.size(); ++level) {
        path = joinPath(
            path, level < stored ? std::string_view((*levels)[level + 1].second) : parts[level]);
    }
    if (inTransaction && levels && stored == parts.size() && !levels->empty()) {
        rememberKey(name, levels->back().first);
        keyCache_.spellings.insert_or_assign(name, path);
    }
    return path;
}

std::optional<std::int64_t> Hive::ensureKey(RootKey root, std::string_view key) {
    if (const auto refusal = keyPathRefusal(key)) {
        fail("write", *refusal);
        return std::nullopt;
    }
    if (const auto id = findKey(root, key)) {
        return id;
    }
    const auto parts = components(key);
    const auto levels = walkKey(root, key);
    if (!levels) {
        return std::nullopt;
    }
    // Down from the deepest level that exists, making each missing one (the root key too), each
    // remembered under its own path.
    std::int64_t parent = levels->empty() ? 0 : levels->back().first;
    std::string spelled;
    for (std::size_t level = 1; level < levels->size(); ++level) {
        spelled = joinPath(spelled, (*levels)[level].second);
    }
    std::string name = cacheName(root, "");
    for (std::size_t level = 0; level + 1 < levels->size(); ++level) {
        appendWalkPath(name, parts[level]);
    }
    const auto insert = [&](std::string_view part) {
        const std::string fold = ansi::fold(part);
        Statement stmt = sql(Sql::InsertKey);
        stmt.bindInt(1, root);
        stmt.bindInt(2, parent);
        stmt.bindBlob(3, fold);
        stmt.bindBlob(4, part);
        if (!finished(stmt.step(), "write")) {
            return false;
        }
        parent = sqlite3_last_insert_rowid(db_);
        appendWalkPath(name, part);
        rememberKey(name, parent);
        return true;
    };
    if (levels->empty() && !insert("")) {
        return std::nullopt;
    }
    for (std::size_t level = levels->empty() ? 0 : levels->size() - 1; level < parts.size();
         ++level) {
        if (!insert(parts[level])) {
            return std::nullopt;
        }
        spelled = joinPath(spelled, parts[level]);
        noteKeyCreated(root, spelled);
    }
    return parent;
}

}  // namespace tunexa::store
