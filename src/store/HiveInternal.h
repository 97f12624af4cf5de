#pragma once

// What the hive's source files and undo share. Not for use outside src/store.

#include <string>
#include <string_view>

#include "store/Changes.h"

namespace tunexa::store::detail {

// A key path as the key walk (HiveSql.cpp) binds it: each component folded to lower case and
// followed by a backslash; empty for the root key.
std::string walkPath(std::string_view key);

// What identifies an item within one change: its kind, root, key path as the walk binds it (a
// file's path as it is) and folded name.
std::string itemId(ItemKind kind, RootKey root, std::string_view key, std::string_view name);

// A key's image while it exists: keys carry no data of their own.
inline const RawValue kPresentKey{0, {}};

}  // namespace tunexa::store::detail
