// Keys by path: finding one in one statement however deep it is, its stored spelling, and making
// the levels that are missing.
#include "Ansi.h"
#include "Hive.h"
#include "HiveInternal.h"
#include "HiveSql.h"
#include "KeyPath.h"

namespace tunexa::store {

using detail::Sql;
using detail::Statement;

std::string detail::walkPath(std::string_view key) {
    std::string path;
    path.reserve(key.size() + 1);
    for (const std::string_view part : components(key)) {
        path += ansi::fold(part);
        path += '\\';
    }
    return path;
}

std::optional<std::int64_t> Hive::findKey(RootKey root, std::string_view key) {
    const std::string path = detail::walkPath(key);
    Statement stmt = sql(Sql::FindKey);
    stmt.bindInt(1, root);
    stmt.bindBlob(2, path);
    const int rc = stmt.step();
    if (rc == SQLITE_ROW) {
        return stmt.columnInt(0);
    }
    finished(rc, "read");
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
        levels.emplace_back(stmt.columnInt(detail::column::kWalkId),
                            stmt.columnText(detail::column::kWalkName));
    }
    if (!finished(rc, "read")) {
        return std::nullopt;
    }
    return levels;
}

std::string Hive::spelling(RootKey root, std::string_view key) {
    const auto parts = components(key);
    const auto levels = walkKey(root, key);
    const std::size_t stored = levels && !levels->empty() ? levels->size() - 1 : 0;
    std::string path;
    for (std::size_t level = 0; level < parts.size(); ++level) {
        path = joinPath(
            path, level < stored ? std::string_view((*levels)[level + 1].second) : parts[level]);
    }
    return path;
}

std::optional<std::int64_t> Hive::ensureKey(RootKey root, std::string_view key) {
    if (const auto refusal = keyPathRefusal(key)) {
        fail("write", *refusal);
        return std::nullopt;
    }
    const auto parts = components(key);
    const auto levels = walkKey(root, key);
    if (!levels) {
        return std::nullopt;
    }
    if (levels->size() == parts.size() + 1) {
        return levels->back().first;
    }
    // Down from the deepest level that exists, making each missing one (the root key too).
    std::int64_t parent = levels->empty() ? 0 : levels->back().first;
    std::string spelled;
    for (std::size_t level = 1; level < levels->size(); ++level) {
        spelled = joinPath(spelled, (*levels)[level].second);
    }
    const auto insert = [&](std::string_view name) {
        const std::string fold = ansi::fold(name);
        Statement stmt = sql(Sql::InsertKey);
        stmt.bindInt(1, root);
        stmt.bindInt(2, parent);
        stmt.bindBlob(3, fold);
        stmt.bindBlob(4, name);
        if (!finished(stmt.step(), "write")) {
            return false;
        }
        parent = sqlite3_last_insert_rowid(db_);
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
