#pragma once

// The registry's own limits on key depth and name lengths (store/Limits.h), checked where names
// come in from outside: the command line, regedit files and Windows 9x registry files.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace tunexa::regtool {

// Why a key `depth` levels below its root whose longest name has `longestName` characters breaks
// a limit, as a lower-case clause, or nothing when it fits.
std::optional<std::string> keyRefusal(std::size_t depth, std::size_t longestName);

// Why a key path below a root ("Software\Foo", empty components ignored) breaks a limit, as a
// lower-case clause ("the key is 600 levels deep, more than the 512 the registry allows"), or
// nothing when it fits. Linear in the path's length.
std::optional<std::string> keyPathRefusal(std::string_view path);

// The same for a value name.
std::optional<std::string> valueNameRefusal(std::string_view name);

}  // namespace tunexa::regtool
