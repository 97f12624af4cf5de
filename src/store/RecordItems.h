#pragma once

// The items of one recorded change, packed in one blob: the change is one row of the hive, so
// recording it adds as little as it can to what the change itself writes. Not for use outside
// src/store.
//
// Each item: a byte with its kind (bits 0-3), "same root and key as the item before" (0x10),
// "has a before-image" (0x20) and "has an after-image" (0x40); unless the same: the root (4 bytes,
// least significant first) and the key; the name; then each image it has: its type, its bytes.
// Numbers and lengths are unsigned LEB128 varints; texts and bytes are a length and the bytes.

#include <span>
#include <string>
#include <vector>

#include "store/Changes.h"

namespace tunexa::store::detail {

Bytes packItems(std::span<const ChangeItem* const> items);

// The items a blob holds. When it is not one packItems() made (a hand-edited store), `damage`
// says where, in words, and the items are not to be trusted.
std::vector<ChangeItem> unpackItems(std::span<const std::uint8_t> blob, std::string& damage);

}  // namespace tunexa::store::detail
