#include "store/Undo.h"

#include <algorithm>
#include <map>

#include "store/Ansi.h"
#include "store/Hive.h"
#include "store/HiveInternal.h"
#include "store/Registry.h"
#include "store/ValueText.h"

namespace tunexa::store {

namespace {

using detail::kPresentKey;

std::size_t depth(const std::string& path) {
    return static_cast<std::size_t>(std::count(path.begin(), path.end(), '\\'));
}

// The item's state in the store or on disk now; a file that cannot be read counts as unknown,
// which differs from every image.
std::optional<RawValue> stateNow(Hive& hive, FileAccess* files, const ChangeItem& item,
                                 bool& unknown) {
    unknown = false;
    switch (item.kind) {
        case ItemKind::Value:
            return hive.getValue(item.root, item.key, item.name);
        case ItemKind::Key:
            return hive.keyExists(item.root, item.key) ? std::optional(kPresentKey) : std::nullopt;
        case ItemKind::File: {
            std::string why;
            if (files == nullptr) {
                unknown = true;
                return std::nullopt;
            }
            const auto bytes = files->read(item.key, why);
            unknown = !bytes && !why.empty();
            if (!bytes) {
                return std::nullopt;
            }
            return RawValue{0, *bytes};
        }
    }
    return std::nullopt;
}

// Nothing to apply, and why.
UndoPlan problem(std::string why) {
    UndoPlan refused;
    refused.problem = std::move(why);
    return refused;
}

// A record that cannot be read is not "no change".
UndoPlan unreadable(const FailureWatch& watch) {
    return problem("The change record cannot be read (" + watch.reason() +
                   "); nothing was undone.");
}

UndoPlan plan(Hive& hive, FileAccess* files, const std::vector<ChangeInfo>& changes) {
    UndoPlan result;
    if (changes.empty()) {
        result.problem = "There is no change to undo.";
        return result;
    }
    // Newest first: the newest change's after-image is what should be there now, the oldest
    // change's before-image is what the undo puts back.
    std::map<std::string, std::size_t> index;
    std::vector<ChangeItem> expected;
    for (const ChangeInfo& info : changes) {
        const auto record = hive.changeRecord(info.id);
        if (!record || !record->info.damage.empty()) {
            result.problem = "The record of the change \"" + info.title + "\" is damaged (" +
                             (record ? record->info.damage : "it cannot be read") +
                             "); nothing was undone.";
            return result;
        }
        result.changes.push_back(record->info);
        for (const ChangeItem& item : record->items) {
            const std::string id = detail::itemId(item.kind, item.root, item.key, item.name);
            if (const auto known = index.find(id); known != index.end()) {
                expected[known->second].before = item.before;
            } else {
                index.emplace(id, expected.size());
                expected.push_back(item);
            }
        }
    }
    for (const ChangeItem& item : expected) {
        bool unknown = false;
        const auto now = stateNow(hive, files, item, unknown);
        if (!unknown && now == item.before) {
            continue;  // already as the undo would leave it
        }
        if (unknown || now != item.after) {
            result.differences.push_back(UndoDifference{item, now});
        }
        result.items.push_back(
            ChangeItem{item.kind, item.root, item.key, item.name, now, item.before});
    }
    const std::string& newest = changes.front().title;
    result.title = changes.size() == 1
                       ? undoTitle(newest)
                       : "Undo " + std::to_string(changes.size()) + " changes, back to before \"" +
                             changes.back().title + "\"";
    return result;
}

}  // namespace

UndoPlan planUndoLast(Hive& hive, FileAccess* files, std::size_t count) {
    const FailureWatch watch(hive);
    const auto changes = hive.changes(count);
    return watch.failed() ? unreadable(watch) : plan(hive, files, changes);
}

UndoPlan planUndoTo(Hive& hive, FileAccess* files, std::int64_t id) {
    const FailureWatch watch(hive);
    const auto newest = hive.changes(kKeptChanges);
    if (watch.failed()) {
        return unreadable(watch);
    }
    std::vector<ChangeInfo> changes;
    for (const ChangeInfo& info : newest) {
        if (info.id < id) {
            break;
        }
        changes.push_back(info);
    }
    if (changes.empty() || changes.back().id != id) {
        return problem("That change is no longer in the record.");
    }
    return plan(hive, files, changes);
}

bool applyUndo(Hive& hive, FileAccess* files, const UndoPlan& undo) {
    if (!undo.problem.empty()) {
        return false;
    }
    Change change(hive, undo.title, files);
    // Files first, each recorded as soon as it is written so a failure puts it back.
    for (const ChangeItem& item : undo.items) {
        if (item.kind != ItemKind::File) {
            continue;
        }
        std::string why;
        std::optional<Bytes> content;
        if (item.after) {
            content = item.after->data;
        }
        if (files == nullptr || !files->write(item.key, content, why)) {
            // Not committed: the change rolls back and puts back the files written so far.
            return hive.reportFailure("undo", item.name + " cannot be written: " + why);
        }
        change.addFile(item);
    }
    // Keys that must exist, parents first; then the values; then keys that must go, children
    // first, and only when nothing else has come to live in them since.
    std::vector<const ChangeItem*> keys;
    for (const ChangeItem& item : undo.items) {
        if (item.kind == ItemKind::Key) {
            keys.push_back(&item);
        }
    }
    std::sort(keys.begin(), keys.end(), [](const ChangeItem* a, const ChangeItem* b) {
        return depth(a->key) < depth(b->key);
    });
    for (const ChangeItem* key : keys) {
        if (key->after) {
            hive.createKey(key->root, key->key);
        }
    }
    for (const ChangeItem& item : undo.items) {
        if (item.kind != ItemKind::Value) {
            continue;
        }
        if (item.after) {
            hive.setValue(item.root, item.key, item.name, item.after->type, item.after->data);
        } else {
            hive.deleteValue(item.root, item.key, item.name);
        }
    }
    for (auto key = keys.rbegin(); key != keys.rend(); ++key) {
        const ChangeItem& item = **key;
        if (!item.after && hive.values(item.root, item.key).empty() &&
            hive.subkeys(item.root, item.key).empty()) {
            hive.deleteKeyTree(item.root, item.key);
        }
    }
    return change.commit();
}

std::string describeItem(const ChangeItem& item) {
    if (item.kind == ItemKind::File) {
        return item.name;
    }
    std::string text(rootLongName(item.root));
    if (!item.key.empty()) {
        text += '\\' + ansi::toUtf8(item.key);
    }
    if (item.kind == ItemKind::Value) {
        text += '\\';
        text += item.name.empty() ? "(Default)" : ansi::toUtf8(item.name);
    }
    return text;
}

std::string describeImage(const ChangeItem& item, const std::optional<RawValue>& image) {
    if (!image) {
        return "(absent)";
    }
    switch (item.kind) {
        case ItemKind::Value:
            return typeName(image->type) + " " + formatData(image->type, image->data);
        case ItemKind::Key:
            return "(key)";
        case ItemKind::File:
            return std::to_string(image->data.size()) + " bytes";
    }
    return {};
}

}  // namespace tunexa::store
