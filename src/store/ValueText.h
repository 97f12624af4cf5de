#pragma once

// Values in words, the way reg.exe's QUERY shows them, for every place that shows a stored value
// to a person (the command line, the change history).

#include <cstdint>
#include <string>
#include <string_view>

#include "store/Changes.h"

namespace tunexa::store {

inline constexpr std::uint32_t REG_QWORD = 11;

// REG_SZ, REG_DWORD, ...; a type without a name as its number in hex ("0x1234").
std::string typeName(std::uint32_t type);

// The data as QUERY prints it (UTF-8): texts as text, double and quad words as 0x hex, multi
// strings joined by \0, anything else as hex digits.
std::string formatData(std::uint32_t type, const Bytes& data);

// "HKEY_LOCAL_MACHINE", ...; empty for a root that has no name.
std::string_view rootLongName(RootKey root);

}  // namespace tunexa::store
