#pragma once

// Key paths below a root ("Software\NVIDIA Corporation\Riva TNT") and the registry's own limits
// on them. Empty components are ignored everywhere, so "\Software\\Foo\" is "Software\Foo" and
// "" is the root key itself. What the Windows registry refuses is refused here too, in the same
// words wherever a name comes in, so that no input (a crafted import file, a script) can make
// the hive grow faster than the data it holds.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tunexa::store {

// Keys below a root, counting the key itself: HKLM\A\B is two deep.
inline constexpr std::size_t kMaxKeyDepth = 512;
// Characters of one key name (one component of a path).
inline constexpr std::size_t kMaxKeyNameLength = 255;
// Characters of a value name.
inline constexpr std::size_t kMaxValueNameLength = 16383;

// The non-empty components of a path, in order.
std::vector<std::string_view> components(std::string_view path);

// The non-empty components joined by single backslashes, spelled as given.
std::string tidyPath(std::string_view path);

// A subkey's path: `parent` (tidy) and `child` joined by one backslash.
std::string joinPath(std::string_view parent, std::string_view child);

// Why a key `depth` levels below its root whose longest name has `longestName` characters breaks
// a limit, as a lower-case clause ("the key is 600 levels deep, more than the 512 the registry
// allows"), or nothing when it fits.
std::optional<std::string> keyRefusal(std::size_t depth, std::size_t longestName);

// The same for a whole path; linear in its length, however deep it goes.
std::optional<std::string> keyPathRefusal(std::string_view path);

// The same for a value name.
std::optional<std::string> valueNameRefusal(std::string_view name);

}  // namespace tunexa::store
