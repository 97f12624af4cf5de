#pragma once

// Undo: putting back the before-image of every value, key and file that one or more recorded
// changes touched, exactly, as one new change (so undoing an undo redoes it). Values changed
// since by someone else are found first, so the caller can ask before overwriting them.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "store/Changes.h"

namespace tunexa::store {

// Something the undo would overwrite that is no longer as the change left it.
struct UndoDifference {
    ChangeItem item;  // `after` is what the record expects to find
    std::optional<RawValue> now;
};

struct UndoPlan {
    std::vector<ChangeInfo> changes;  // newest first
    std::string title;                // of the undo itself
    // What the undo does: each item from its state now (`before`) to its state before the
    // oldest undone change touched it (`after`).
    std::vector<ChangeItem> items;
    std::vector<UndoDifference> differences;
    // Why there is nothing to apply (no such change, a damaged record); empty when applicable.
    std::string problem;
};

// The newest `count` changes.
UndoPlan planUndoLast(Hive& hive, FileAccess* files, std::size_t count = 1);
// The change `id` and every later one.
UndoPlan planUndoTo(Hive& hive, FileAccess* files, std::int64_t id);

// Applies the plan as one change, differences overwritten. False, with nothing changed, when
// the plan has a problem or the store refused (the hive's lastFailure() says why).
bool applyUndo(Hive& hive, FileAccess* files, const UndoPlan& plan);

// "HKEY_LOCAL_MACHINE\Software\...\NVCLK" or "C:\tunexa.bat": what an item is, for people.
std::string describeItem(const ChangeItem& item);
// An image as `tunexa-reg query` shows a value: "REG_SZ 100", "REG_DWORD 0x1", "(absent)".
std::string describeImage(const ChangeItem& item, const std::optional<RawValue>& image);

}  // namespace tunexa::store
