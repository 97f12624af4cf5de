// The hive's change record: what an open change touched, with its before-image, and the record
// written at the outermost commit, inside the change's own transaction.
#include <ctime>

#include "Ansi.h"
#include "Hive.h"
#include "HiveInternal.h"
#include "HiveSql.h"
#include "KeyPath.h"

namespace tunexa::store {

using detail::itemId;
using detail::kPresentKey;
using detail::Sql;
using detail::Statement;
namespace column = detail::column;

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
    const std::string id = std::to_string(root) + ':' + foldedPath(key);
    auto& known = recording_->spelledKeys;
    if (const auto found = known.find(id); found != known.end()) {
        return found->second;
    }
    return known[id] = spelling(root, key);
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
        ChangeItem{ItemKind::Key, root, tidyPath(key), {}, std::nullopt, kPresentKey});
}

void Hive::noteSubtreeDeleted(RootKey root, std::string_view key) {
    if (!recording_) {
        return;
    }
    const std::string path = spelling(root, key);
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
        noteSubtreeDeleted(root, joinPath(path, child));
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

    Statement change = sql(Sql::InsertChange);
    change.bindInt(1, static_cast<std::int64_t>(std::time(nullptr)));
    change.bindBlob(2, recording_->title);
    if (!finished(change.step(), "record")) {
        return false;
    }
    const std::int64_t changeId = sqlite3_last_insert_rowid(db_);
    std::int64_t seq = 0;
    for (const ChangeItem* item : changed) {
        Statement row = sql(Sql::InsertChangeItem);
        row.bindInt(1, changeId);
        row.bindInt(2, ++seq);
        row.bindInt(3, static_cast<int>(item->kind));
        row.bindInt(4, item->root);
        row.bindBlob(5, item->key);
        row.bindBlob(6, item->name);
        int column = 7;
        for (const auto* image : {&item->before, &item->after}) {
            if (*image) {
                row.bindInt(column, (*image)->type);
                row.bindBlob(column + 1, std::span<const std::uint8_t>((*image)->data));
            }
            column += 2;
        }
        if (!finished(row.step(), "record")) {
            return false;
        }
    }

    // Only the newest changes are kept. Change ids count up by one and are never reused (a change
    // rolled back takes its id back with it), so the oldest to keep is known without a scan.
    const std::int64_t keepFrom = changeId - static_cast<std::int64_t>(kKeptChanges) + 1;
    for (const Sql drop : {Sql::DropOldChangeItems, Sql::DropOldChanges}) {
        Statement stmt = sql(drop);
        stmt.bindInt(1, keepFrom);
        if (!finished(stmt.step(), "record")) {
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

ChangeInfo changeInfo(Statement& stmt) {
    ChangeInfo info{stmt.columnInt(column::kChangeId),
                    stmt.columnInt(column::kChangeTime),
                    stmt.columnText(column::kChangeTitle),
                    {}};
    if (stmt.columnText(column::kChangeTimeType) != "integer") {
        info.damage = "its time is not a number";
    }
    return info;
}

}  // namespace

std::vector<ChangeInfo> Hive::changes(std::size_t limit) {
    std::vector<ChangeInfo> list;
    Statement stmt = sql(Sql::ListChanges);
    stmt.bindInt(1, static_cast<std::int64_t>(limit));
    int rc = SQLITE_ROW;
    while ((rc = stmt.step()) == SQLITE_ROW) {
        list.push_back(changeInfo(stmt));
    }
    if (!finished(rc, "read")) {
        return {};
    }
    return list;
}

std::optional<ChangeRecord> Hive::changeRecord(std::int64_t id) {
    std::optional<ChangeRecord> record;
    {
        Statement stmt = sql(Sql::ChangeById);
        stmt.bindInt(1, id);
        const int rc = stmt.step();
        if (rc != SQLITE_ROW) {
            finished(rc, "read");
            return record;
        }
        record = ChangeRecord{changeInfo(stmt), {}};
    }
    Statement stmt = sql(Sql::ChangeItems);
    stmt.bindInt(1, id);
    std::string& damage = record->info.damage;
    int rc = SQLITE_ROW;
    while ((rc = stmt.step()) == SQLITE_ROW) {
        const std::string where = "item " + std::to_string(record->items.size() + 1);
        const std::int64_t kind = stmt.columnInt(column::kItemKind);
        ChangeItem item;
        item.kind = static_cast<ItemKind>(kind);
        item.root = static_cast<RootKey>(stmt.columnInt(column::kItemRoot));
        item.key = stmt.columnText(column::kItemKey);
        item.name = stmt.columnText(column::kItemName);
        if (kind < 0 || kind > 2) {
            damage = where + " is of an unknown kind (" + std::to_string(kind) + ")";
        } else if (item.kind != ItemKind::File && !knownRoot(stmt.columnInt(column::kItemRoot))) {
            damage = where + " names no root key";
        }
        for (const int typeColumn : {column::kItemBeforeType, column::kItemAfterType}) {
            if (stmt.isNull(typeColumn) != stmt.isNull(typeColumn + 1)) {
                damage = where + " has half an image";
            } else if (!stmt.isNull(typeColumn)) {
                const std::int64_t type = stmt.columnInt(typeColumn);
                if (type < 0 || type > 0xFFFFFFFFLL) {
                    damage = where + " has a type out of range";
                }
                (typeColumn == column::kItemBeforeType ? item.before : item.after) =
                    RawValue{static_cast<std::uint32_t>(type), stmt.columnBytes(typeColumn + 1)};
            }
        }
        record->items.push_back(std::move(item));
    }
    if (!finished(rc, "read")) {
        damage = "its items cannot be read";
    } else if (record->items.empty() && damage.empty()) {
        damage = "it holds no items";
    }
    return record;
}

}  // namespace tunexa::store
