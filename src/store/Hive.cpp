// The hive's operations on values and keys, and the one way they run statements and remember
// failures.
#include "Hive.h"

#include <algorithm>
#include <utility>

#include "Ansi.h"
#include "HiveFile.h"
#include "HiveSql.h"
#include "KeyPath.h"

namespace tunexa::store {

using detail::Sql;
using detail::Statement;
namespace column = detail::column;

Hive::Hive() : statements_(std::make_unique<detail::StatementCache>()) {}

Hive::~Hive() {
    const bool sound = db_ != nullptr && writable_ && sound_ && !damageMet_;
    closeDatabase();
    if (sound) {
        detail::noteChecked(report_.path);
    }
}

void Hive::setBusyTimeout(int milliseconds) {
    busyTimeoutMs_ = milliseconds;
    if (db_ != nullptr) {
        sqlite3_busy_timeout(db_, milliseconds);
    }
}

Statement Hive::sql(Sql id) {
    return statements_->get(id);
}

bool Hive::run(Sql id) {
    return sql(id).run() == SQLITE_DONE;
}

std::optional<std::int64_t> Hive::number(Sql id) {
    Statement stmt = sql(id);
    if (stmt.step() != SQLITE_ROW) {
        return std::nullopt;
    }
    return stmt.columnInt(0);
}

bool Hive::fail(std::string_view operation) {
    if (db_ == nullptr) {
        return fail(operation, "the settings store is not open");
    }
    if (detail::isDamageCode(sqlite3_errcode(db_))) {
        // Found while working: nothing more is written to it, and the next session checks it.
        damageMet_ = true;
        detail::forgetChecked(report_.path);
    }
    return fail(operation, sqlite3_errmsg(db_));
}

bool Hive::mayWrite(std::string_view operation) {
    if (db_ == nullptr) {
        return fail(operation, "the settings store is not open");
    }
    if (!writable_) {
        return fail(operation,
                    report_.detail.empty() ? "the settings store is read-only" : report_.detail);
    }
    return !damageMet_ ||
           fail(operation, "The settings store " + report_.path.string() +
                               " is damaged; no change is saved to it. When Tunexa starts again, "
                               "it is moved aside and an empty store is started.");
}

bool Hive::fail(std::string_view operation, std::string message) {
    ++failureCount_;
    lastFailure_ = StoreFailure{std::string(operation), std::move(message)};
    if (batchDepth_ > 0) {
        batchFailed_ = true;
    }
    return false;
}

bool Hive::finished(int rc, std::string_view operation) {
    return rc == SQLITE_DONE || fail(operation);
}

std::optional<RawValue> Hive::getValue(RootKey root, std::string_view key, std::string_view name) {
    auto value = lookupValue(root, key, name, false);
    if (!value) {
        return std::nullopt;
    }
    return RawValue{value->type, std::move(value->data)};
}

bool Hive::setValue(RootKey root, std::string_view key, std::string_view name, std::uint32_t type,
                    std::span<const std::uint8_t> data) {
    if (const auto refusal = valueNameRefusal(name)) {
        return fail("write", *refusal);
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
        const std::string fold = ansi::fold(name);
        Statement stmt = sql(Sql::UpsertValue);
        stmt.bindInt(1, *id);
        stmt.bindBlob(2, fold);
        stmt.bindBlob(3, name);
        stmt.bindInt(4, type);
        stmt.bindBlob(5, data);
        if (!finished(stmt.step(), "write")) {
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
        const std::string fold = ansi::fold(name);
        Statement stmt = sql(Sql::DeleteValue);
        stmt.bindInt(1, *id);
        stmt.bindBlob(2, fold);
        if (!finished(stmt.step(), "delete")) {
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
        for (const Sql deletion : {Sql::DeleteTreeValues, Sql::DeleteTreeKeys}) {
            Statement stmt = sql(deletion);
            stmt.bindInt(1, *id);
            stmt.bindInt(2, root);
            if (!finished(stmt.step(), "delete key")) {
                return false;
            }
        }
        forgetKeys();  // the ids of the keys below may be given to new keys
        return true;
    });
}

std::optional<std::string> Hive::storedPath(RootKey root, std::string_view key) {
    const auto parts = components(key);
    if (parts.empty()) {
        return std::string();
    }
    const auto levels = walkKey(root, key);
    if (!levels || levels->size() != parts.size() + 1) {
        return std::nullopt;
    }
    std::string path;
    for (auto level = levels->begin() + 1; level != levels->end(); ++level) {
        path = joinPath(path, level->second);
    }
    return path;
}

std::vector<std::string> Hive::subkeys(RootKey root, std::string_view key) {
    std::vector<std::string> names;
    const auto id = findKey(root, key);
    if (!id) {
        return names;
    }
    Statement stmt = sql(Sql::Subkeys);
    stmt.bindInt(1, root);
    stmt.bindInt(2, *id);
    int rc = SQLITE_ROW;
    while ((rc = stmt.step()) == SQLITE_ROW) {
        names.push_back(stmt.columnText(0));
    }
    if (!finished(rc, "read")) {
        return {};
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
    Statement stmt = sql(Sql::Values);
    stmt.bindInt(1, *id);
    int rc = SQLITE_ROW;
    while ((rc = stmt.step()) == SQLITE_ROW) {
        result.push_back(NamedValue{stmt.columnText(column::kValueName),
                                    static_cast<std::uint32_t>(stmt.columnInt(column::kValueType)),
                                    stmt.columnBytes(column::kValueData)});
    }
    if (!finished(rc, "read")) {
        return {};
    }
    return result;
}

}  // namespace tunexa::store
