// The hive's change record: what an open change touched, with its before-image, and the record
// written at the outermost commit, inside the change's own transaction.
#include <sqlite3.h>

#include <ctime>

#include "Ansi.h"
#include "Hive.h"
#include "HiveInternal.h"

namespace tunexa::store {

using detail::itemId;
using detail::kPresentKey;
using detail::Statement;

namespace {

bool knownRoot(std::int64_t root) {
    return root >= 0x80000000LL && root <= 0x80000006LL;
}

}  // namespace

std::string detail::itemId(ItemKind kind, RootKey root, std::string_view key,
                           std::string_view name) {
    std::string id = std::to_string(static_cast<int>(kind)) + ':' + std::to_string(root) + ':';
    id += kind == ItemKind::File ? std::string(key) : foldedPath(key);
    id += '\0';
    id += ansi::fold(name);
    return id;
}

bool Hive::beginChange(std::string title, FileAccess* files) {
    const bool began = beginBatch();
    if (!recording_ && title.empty()) {
        return began;  // nothing to record it under: a plain batch
    }
    if (!recording_) {
        recording_ = Recording{};
    }
    if (recording_->title.empty()) {
        recording_->title = std::move(title);
    }
    if (recording_->files == nullptr) {
        recording_->files = files;
    }
    return began;
}

void Hive::recordFile(ChangeItem file) {
    if (!recording_) {
        return;
    }
    file.kind = ItemKind::File;
    const std::string id = itemId(ItemKind::File, 0, file.key, {});
    if (const auto known = recording_->index.find(id); known != recording_->index.end()) {
        recording_->items[known->second].after = std::move(file.after);
        return;
    }
    recording_->index.emplace(id, recording_->items.size());
    recording_->items.push_back(std::move(file));
}

std::optional<std::size_t> Hive::noteValue(RootKey root, std::string_view key,
                                           std::string_view name) {
    if (!recording_) {
        return std::nullopt;
    }
    const std::string id = itemId(ItemKind::Value, root, key, name);
    if (const auto known = recording_->index.find(id); known != recording_->index.end()) {
        return known->second;
    }
    ChangeItem item{ItemKind::Value,   root,         spelledPath(root, key),
                    std::string(name), std::nullopt, std::nullopt};
    if (auto value = getNamedValue(root, key, name)) {
        item.name = std::move(value->name);
        item.before = RawValue{value->type, std::move(value->data)};
    }
    item.after = item.before;
    recording_->index.emplace(id, recording_->items.size());
    recording_->items.push_back(std::move(item));
    return recording_->items.size() - 1;
}

std::string Hive::spelledPath(RootKey root, std::string_view key) {
    const std::string id = std::to_string(root) + ':' + detail::foldedPath(key);
    auto& known = recording_->spelledKeys;
    if (const auto found = known.find(id); found != known.end()) {
        return found->second;
    }
    return known[id] = storedPath(root, key).value_or(detail::joinedPath(key));
}

void Hive::noteKeyCreated(RootKey root, std::string_view key) {
    if (!recording_) {
        return;
    }
    const std::string id = itemId(ItemKind::Key, root, key, {});
    if (const auto known = recording_->index.find(id); known != recording_->index.end()) {
        recording_->items[known->second].after = kPresentKey;  // deleted earlier in the change
        return;
    }
    recording_->index.emplace(id, recording_->items.size());
    recording_->items.push_back(
        ChangeItem{ItemKind::Key, root, detail::joinedPath(key), {}, std::nullopt, kPresentKey});
}

void Hive::noteSubtreeDeleted(RootKey root, std::string_view key) {
    if (!recording_) {
        return;
    }
    const std::string path = storedPath(root, key).value_or(detail::joinedPath(key));
    const auto gone = [this](ChangeItem item) {
        const std::string id = itemId(item.kind, item.root, item.key, item.name);
        if (const auto known = recording_->index.find(id); known != recording_->index.end()) {
            recording_->items[known->second].after = std::nullopt;
            return;
        }
        item.after = std::nullopt;
        recording_->index.emplace(id, recording_->items.size());
        recording_->items.push_back(std::move(item));
    };
    if (!path.empty()) {
        gone(ChangeItem{ItemKind::Key, root, path, {}, kPresentKey, std::nullopt});
    }
    for (NamedValue& value : values(root, path)) {
        gone(ChangeItem{ItemKind::Value, root, path, value.name,
                        RawValue{value.type, std::move(value.data)}, std::nullopt});
    }
    for (const std::string& child : subkeys(root, path)) {
        noteSubtreeDeleted(root, path.empty() ? child : path + "\\" + child);
    }
}

bool Hive::writeRecord() {
    // Every write kept its item's after-image up to date: nothing needs reading again.
    std::vector<const ChangeItem*> changed;
    for (const ChangeItem& item : recording_->items) {
        if (item.before != item.after) {
            changed.push_back(&item);
        }
    }
    if (changed.empty()) {
        return true;  // an action that altered nothing leaves no record
    }

    Statement change(
        statement(detail::kInsertChange, "INSERT INTO changes(time, title) VALUES(?1, ?2)"));
    if (!change) {
        return false;
    }
    change.bindInt(1, static_cast<std::int64_t>(std::time(nullptr)));
    change.bindBlob(2, std::string_view(recording_->title));
    if (change.step() != SQLITE_DONE) {
        return false;
    }
    const std::int64_t changeId = sqlite3_last_insert_rowid(db_);
    std::int64_t seq = 0;
    for (const ChangeItem* item : changed) {
        Statement row(statement(detail::kInsertChangeItem,
                                "INSERT INTO change_items(change, seq, kind, root, key, name, "
                                "before_type, before_data, after_type, after_data) "
                                "VALUES(?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9, ?10)"));
        if (!row) {
            return false;
        }
        row.bindInt(1, changeId);
        row.bindInt(2, ++seq);
        row.bindInt(3, static_cast<int>(item->kind));
        row.bindInt(4, item->root);
        row.bindBlob(5, std::string_view(item->key));
        row.bindBlob(6, std::string_view(item->name));
        int column = 7;
        for (const auto* image : {&item->before, &item->after}) {
            if (*image) {
                row.bindInt(column, (*image)->type);
                row.bindBlob(column + 1, std::span<const std::uint8_t>((*image)->data));
            }
            column += 2;
        }
        if (row.step() != SQLITE_DONE) {
            return false;
        }
    }

    // Only the newest changes are kept. Change ids count up by one and are never reused (a change
    // rolled back takes its id back with it), so the oldest to keep is known without a scan.
    const std::int64_t keepFrom = changeId - static_cast<std::int64_t>(kKeptChanges) + 1;
    for (const auto& [id, sql] :
         {std::pair{detail::kDropOldChangeItems, "DELETE FROM change_items WHERE change < ?1"},
          std::pair{detail::kDropOldChanges, "DELETE FROM changes WHERE id < ?1"}}) {
        Statement drop(statement(id, sql));
        if (!drop) {
            return false;
        }
        drop.bindInt(1, keepFrom);
        if (drop.step() != SQLITE_DONE) {
            return false;
        }
    }
    return true;
}

void Hive::putFilesBack() {
    if (!recording_ || recording_->files == nullptr) {
        return;
    }
    for (auto item = recording_->items.rbegin(); item != recording_->items.rend(); ++item) {
        if (item->kind != ItemKind::File) {
            continue;
        }
        std::optional<Bytes> content;
        if (item->before) {
            content = item->before->data;
        }
        std::string why;
        if (!recording_->files->write(item->key, content, why) && lastFailure_) {
            lastFailure_->message +=
                "; and " + item->name + " could not be put back as it was: " + why;
        }
    }
}

namespace {

// A statement prepared for one call, finalized when it goes away.
class OneShot {
  public:
    OneShot(sqlite3* db, const char* sql) {
        if (db != nullptr && sqlite3_prepare_v2(db, sql, -1, &stmt_, nullptr) != SQLITE_OK) {
            sqlite3_finalize(stmt_);
            stmt_ = nullptr;
        }
    }
    ~OneShot() { sqlite3_finalize(stmt_); }
    OneShot(const OneShot&) = delete;
    OneShot& operator=(const OneShot&) = delete;
    sqlite3_stmt* get() const { return stmt_; }

  private:
    sqlite3_stmt* stmt_ = nullptr;
};

constexpr const char* kChangeColumns = "SELECT id, time, title, typeof(time) FROM changes ";

ChangeInfo changeInfo(Statement& stmt) {
    ChangeInfo info{stmt.columnInt(0), stmt.columnInt(1), stmt.columnText(2), {}};
    if (stmt.columnText(3) != "integer") {
        info.damage = "its time is not a number";
    }
    return info;
}

}  // namespace

std::vector<ChangeInfo> Hive::changes(std::size_t limit) {
    std::vector<ChangeInfo> list;
    const OneShot query(db_, (std::string(kChangeColumns) + "ORDER BY id DESC LIMIT ?1").c_str());
    Statement stmt(query.get());
    if (!stmt) {
        return list;
    }
    stmt.bindInt(1, static_cast<std::int64_t>(limit));
    while (stmt.step() == SQLITE_ROW) {
        list.push_back(changeInfo(stmt));
    }
    return list;
}

std::optional<ChangeRecord> Hive::changeRecord(std::int64_t id) {
    std::optional<ChangeRecord> record;
    {
        const OneShot query(db_, (std::string(kChangeColumns) + "WHERE id=?1").c_str());
        Statement stmt(query.get());
        if (!stmt) {
            return record;
        }
        stmt.bindInt(1, id);
        if (stmt.step() != SQLITE_ROW) {
            return record;
        }
        record = ChangeRecord{changeInfo(stmt), {}};
    }
    const OneShot query(db_,
                        "SELECT kind, root, key, name, before_type, before_data, after_type, "
                        "after_data FROM change_items WHERE change=?1 ORDER BY seq");
    Statement stmt(query.get());
    std::string& damage = record->info.damage;
    if (!stmt) {
        damage = "its items cannot be read";
        return record;
    }
    stmt.bindInt(1, id);
    while (stmt.step() == SQLITE_ROW) {
        const std::string where = "item " + std::to_string(record->items.size() + 1);
        const std::int64_t kind = stmt.columnInt(0);
        ChangeItem item;
        item.kind = static_cast<ItemKind>(kind);
        item.root = static_cast<RootKey>(stmt.columnInt(1));
        item.key = stmt.columnText(2);
        item.name = stmt.columnText(3);
        if (kind < 0 || kind > 2) {
            damage = where + " is of an unknown kind (" + std::to_string(kind) + ")";
        } else if (item.kind != ItemKind::File && !knownRoot(stmt.columnInt(1))) {
            damage = where + " names no root key";
        }
        for (const int column : {4, 6}) {
            if (stmt.isNull(column) != stmt.isNull(column + 1)) {
                damage = where + " has half an image";
            } else if (!stmt.isNull(column)) {
                const std::int64_t type = stmt.columnInt(column);
                if (type < 0 || type > 0xFFFFFFFFLL) {
                    damage = where + " has a type out of range";
                }
                (column == 4 ? item.before : item.after) =
                    RawValue{static_cast<std::uint32_t>(type), stmt.columnBytes(column + 1)};
            }
        }
        record->items.push_back(std::move(item));
    }
    if (record->items.empty() && damage.empty()) {
        damage = "it holds no items";
    }
    return record;
}

}  // namespace tunexa::store
