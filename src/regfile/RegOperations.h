#pragma once

// What an import does to the store, whatever file it read: create or delete a key, set or delete
// a value. The regedit-file importer and the Windows 9x registry reader both turn their file into
// these operations, and both apply them the same way: in one batch, all or nothing.

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

#include "store/Hive.h"
#include "store/Registry.h"

namespace tunexa::regfile {

struct RegOperation {
    enum class Kind { CreateKey, DeleteKey, SetValue, DeleteValue };
    Kind kind = Kind::CreateKey;
    store::HKEY root = 0;
    std::string key;   // below the root, Windows-1252
    std::string name;  // the value's name ("" the default value)
    std::uint32_t type = 0;
    store::Bytes data;
    std::size_t line = 0;  // where a regedit file said it; 0 for a registry file
};

struct ApplyResult {
    bool saved = false;   // committed, or part of the caller's open batch
    std::string failure;  // the store's words when not
};

// Applies the operations in one batch on the hive; a failed one rolls back the whole batch.
// Inside a batch the caller opened, the operations join it (batches nest), so the caller's
// rollback undoes them too.
ApplyResult applyOperations(store::Hive& hive, std::span<const RegOperation> operations);

}  // namespace tunexa::regfile
