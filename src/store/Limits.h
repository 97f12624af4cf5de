#pragma once

// What the Windows registry itself refuses, refused here too, so that no input (a crafted import
// file, a script) can make the hive grow faster than the data it holds.

#include <cstddef>

namespace tunexa::store {

// Keys below a root, counting the key itself: HKLM\A\B is two deep.
inline constexpr std::size_t kMaxKeyDepth = 512;
// Characters of one key name (one component of a path).
inline constexpr std::size_t kMaxKeyNameLength = 255;
// Characters of a value name.
inline constexpr std::size_t kMaxValueNameLength = 16383;

}  // namespace tunexa::store
