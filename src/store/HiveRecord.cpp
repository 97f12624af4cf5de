// The hive's change record: what an open change touched, with its before-image, and the record
// written at the outermost commit, inside the change's own transaction.
#include <algorithm>
#include <ctime>

#include "Ansi.h"
#include "Hive.h"
#include "HiveInternal.h"
#include "HiveSql.h"
#include "KeyPath.h"
#include "RecordItems.h"

namespace tunexa::store {

using detail::itemId;
using detail::kPresentKey;
using detail::Sql;
using detail::Statement;
namespace column = detail::column;

namespace {

// How many changes beyond the newest kept the record may hold before the oldest are dropped.
constexpr std::int64_t kDropEvery = 64;

}  // namespace

std::string detail::itemId(ItemKind kind, RootKey root, std::string_view key,
                           std::string_view name) {
    std::string id(1, static_cast<char>(kind));
    id.append(reinterpret_cast<const char*>(&root), sizeof root);
    id += kind == ItemKind::File ? std::string(key) : walkPath(key);
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
    ChangeItem item{ItemKind::Value,   root,         spelling(root, key),
                    std::string(name), std::nullopt, std::nullopt};
    if (auto value = lookupValue(root, key, name, true)) {
        item.name = std::move(value->name);
        item.before = RawValue{value->type, std::move(value->data)};
    }
    item.after = item.before;
    recording_->index.emplace(id, recording_->items.size());
    recording_->items.push_back(std::move(item));
    return recording_->items.size() - 1;
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

    const Bytes items = detail::packItems(changed);
    Statement change = sql(Sql::InsertChange);
    change.bindInt(1, static_cast<std::int64_t>(std::time(nullptr)));
    change.bindBlob(2, recording_->title);
    change.bindBlob(3, items);
    if (!finished(change.step(), "record")) {
        return false;
    }
    // Only the newest changes are kept. Change ids count up by one and are never reused (a change
    // rolled back takes its id back with it), so the oldest to keep is known without a scan. The
    // older ones are dropped a batch at a time, which touches their pages once for many changes;
    // until then they are out of sight.
    const std::int64_t changeId = sqlite3_last_insert_rowid(db_);
    if (changeId % kDropEvery != 0) {
        return true;
    }
    Statement drop = sql(Sql::DropOldChanges);
    drop.bindInt(1, changeId - static_cast<std::int64_t>(kKeptChanges) + 1);
    return finished(drop.step(), "record");
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
    stmt.bindInt(1, static_cast<std::int64_t>(std::min(limit, kKeptChanges)));
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
    Statement stmt = sql(Sql::ChangeById);
    stmt.bindInt(1, id);
    stmt.bindInt(2, static_cast<std::int64_t>(kKeptChanges));
    const int rc = stmt.step();
    if (rc != SQLITE_ROW) {
        finished(rc, "read");
        return std::nullopt;
    }
    ChangeRecord record{changeInfo(stmt), {}};
    std::string damage;
    const Bytes items = stmt.columnBytes(column::kChangeItems);
    record.items = detail::unpackItems(items, damage);
    if (record.info.damage.empty()) {
        record.info.damage = std::move(damage);
    }
    return record;
}

}  // namespace tunexa::store
