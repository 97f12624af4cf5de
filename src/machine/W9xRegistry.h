#pragma once

// Windows 95/98 registry files (SYSTEM.DAT, USER.DAT: the "CREG" format), read through libcreg
// into the same operations the regedit-file importer applies. Every value keeps its type code
// and its bytes; key and value names are decoded from the file's code page into the store's
// Windows-1252. Nothing is read past damage: a file libcreg cannot read, whose key tree loops,
// or that holds no root key at all gives no operations, only the reason.

#include <cstddef>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "regfile/RegOperations.h"
#include "store/Registry.h"

namespace tunexa::machine {

// The first bytes of every such file.
inline constexpr std::string_view kW9xSignature = "CREG";

bool startsWithW9xSignature(std::string_view fileBytes);

// The root a file goes to unless the user chooses: USER.DAT (in any case) holds HKEY_USERS,
// any other name HKEY_LOCAL_MACHINE (the format itself does not say which it is).
store::HKEY defaultW9xRoot(const std::filesystem::path& file);

// The code page names are stored in when none is given.
inline constexpr int kDefaultW9xCodepage = 1252;

struct W9xReadOptions {
    store::HKEY root = store::HKEY_LOCAL_MACHINE;
    // Keys below the file's root to read, each with everything below it ("Software\3Dfx
    // Interactive", Windows-1252, any case); empty: the whole file.
    std::vector<std::string> subtrees;
    int codepage = kDefaultW9xCodepage;  // a Windows code page libcreg knows (1250-1258, 874, ...)
};

enum class W9xReadOutcome {
    Read,        // `operations` hold what the file holds (some names may have been skipped)
    CannotOpen,  // libcreg could not open the file, or the code page is not one it knows
    Damaged,     // libcreg found damage, or the key tree loops: nothing read
    NoRootKey,   // no key at all: the first data block or the key tree is damaged or cut off
};

struct W9xReadResult {
    W9xReadOutcome outcome = W9xReadOutcome::CannotOpen;
    std::string failure;  // the reason when not Read: libcreg's own words first
    std::vector<regfile::RegOperation> operations;
    // Names skipped or changed, each naming the key it concerns (Windows-1252).
    std::vector<std::string> warnings;
    std::vector<std::string> missingSubtrees;  // asked for but not in the file
    std::size_t keys = 0;                      // keys and values in `operations`
    std::size_t values = 0;

    bool read() const { return outcome == W9xReadOutcome::Read; }
};

W9xReadResult readW9xRegistry(const std::filesystem::path& file, const W9xReadOptions& options);
// The same from the file's bytes, held in memory (a file read out of a disk image).
W9xReadResult readW9xRegistryBytes(std::string_view bytes, const W9xReadOptions& options);

}  // namespace tunexa::machine
