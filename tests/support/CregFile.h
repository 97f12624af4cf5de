#pragma once

// Windows 95/98 registry files ("CREG": SYSTEM.DAT, USER.DAT) for tests, laid out after libyal's
// public description of the format: a 32-byte header, the key navigation record ("RGKN") with one
// 28-byte entry per key, and one data block ("RGDB") holding each key's name and values.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace tunexa::test {

struct CregValue {
    std::string name;  // in the file's code page; "" for the default value
    std::uint32_t type = 0;
    std::string data;
};

struct CregKey {
    std::string name;
    std::vector<CregValue> values;
    std::vector<CregKey> subkeys;
};

// Where the parts of a built file start, for tests that damage them.
inline constexpr std::size_t kCregKeyRecord = 32;  // "RGKN"
// An entry's field holding its first subkey, relative to the record: the root's entry comes first.
inline constexpr std::size_t kCregRootFirstSubkey = kCregKeyRecord + 32 + 16;
// The data block's offset is stored in the header at this place.
inline constexpr std::size_t kCregDataBlockField = 8;

// The file's bytes; `root` is the file's root key (SYSTEM.DAT calls it "$$$PROTO.HIV").
std::string buildCregFile(const CregKey& root);

}  // namespace tunexa::test
