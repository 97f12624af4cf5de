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

// Where a built file keeps the offset of the root key's first subkey, for tests that damage it:
// the key record follows the 32-byte file header, its entries its own 32-byte header, and the
// root's entry, which comes first, names its first subkey at byte 16.
inline constexpr std::size_t kCregRootFirstSubkey = 32 + 32 + 16;

// The file's bytes; `root` is the file's root key (SYSTEM.DAT calls it "$$$PROTO.HIV").
std::string buildCregFile(const CregKey& root);

// The file with the offset of the root key's first subkey replaced, as damage would.
std::string withFirstSubkeyAt(std::string file, std::uint32_t offset);

// A Windows 98 machine's SYSTEM.DAT. The Voodoo2's driver settings: its clock "98" (a text with
// its NUL), a double word, the default value, a name in Windows-1252 and a type no regedit file
// has. Another program's key, with a subkey whose name the store cannot hold. The PCI devices of
// a Voodoo2, a G200 (named in lower case), a sound card, and two that only look like cards (a
// longer device number, a longer vendor part).
extern const CregKey kSystemDat;

}  // namespace tunexa::test
