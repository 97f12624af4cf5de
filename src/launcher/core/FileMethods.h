#pragma once

// The drive search behind "Find Half-Life".

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/files/Drives.h"

namespace tunexa::launcher {

// Called after each folder is searched with the number searched so far; returning false stops
// the search, keeping what was found.
using SearchProgress = std::function<bool(std::size_t foldersSearched)>;

struct SearchOutcome {
    std::size_t foldersSearched = 0;
    bool cancelled = false;
    // Why nothing could be searched (malformed folder, unmapped drive); empty otherwise. The
    // window shows no message for it: an empty list says it.
    std::string error;
};

// Appends to `found` the Windows path of every entry named `name` (without regard to case) in
// the tree below the Windows folder `folder` ("C:\" or "C:\Games"), depth-first: a folder's
// matches (in case-insensitive alphabetical order) come before those of its subfolders, which
// are visited in the same order. Paths are `folder` as given, a "\" when it lacks one, then the
// names below it. Links to folders are followed, but each folder is searched once, so a link
// loop ends; names that Windows-1252 cannot hold are passed over. On a drive that is a disk image
// the whole tree is listed at once (Drive.h), with the same rules and order.
SearchOutcome SearchFileTree(std::string_view folder, std::string_view name,
                             std::vector<std::string>& found, const SearchProgress& progress = {},
                             const files::Drives& drives = files::Drives());

}  // namespace tunexa::launcher
