#pragma once

// One folder's entries as the operating system lists them, for walks over whole drives. Links
// are told apart but their targets decide whether an entry is a folder, as Windows would see a
// mounted folder; the folder's own identity lets a walk notice a folder it has already seen.

#include <cstdint>
#include <string>
#include <vector>

namespace tunexa::files {

struct FolderEntry {
    std::string name;       // host spelling (UTF-8), never "." or ".."
    bool isFolder = false;  // a folder, or a link to one
    bool isLink = false;
};

struct FolderListing {
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    std::vector<FolderEntry> entries;  // in the order the operating system returns them
};

// Reads the folder at `hostPath` (links followed) into `listing`, reusing its storage. False
// when the folder cannot be opened; `listing` is then empty.
bool readFolder(const std::string& hostPath, FolderListing& listing);

}  // namespace tunexa::files
