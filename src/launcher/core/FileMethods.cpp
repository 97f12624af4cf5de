#include "launcher/core/FileMethods.h"

#include <algorithm>
#include <utility>

#include "store/Ansi.h"

namespace tunexa::launcher {

namespace {

// A folder still to search: its number in the walk and how its path is written.
struct PendingFolder {
    files::FolderWalk::Folder folder;
    std::string windows;
};

bool byNameIgnoringCase(const files::FolderWalk::Entry* a, const files::FolderWalk::Entry* b) {
    return ansi::lessIgnoringCase(a->name, b->name);
}

}  // namespace

SearchOutcome SearchFileTree(std::string_view folder, std::string_view name,
                             std::vector<std::string>& found, const SearchProgress& progress,
                             const files::Drives& drives) {
    SearchOutcome outcome;
    const auto start = drives.open(folder);
    if (!start) {
        outcome.error = start.error();
        return outcome;
    }
    std::string windowsRoot(folder);
    if (windowsRoot.empty() || windowsRoot.back() != '\\') {
        windowsRoot += '\\';
    }

    const auto walk = start->drive->walk(start->names);
    std::vector<PendingFolder> pending{{0, std::move(windowsRoot)}};
    std::vector<files::FolderWalk::Entry> entries;
    std::vector<const files::FolderWalk::Entry*> matches;
    std::vector<const files::FolderWalk::Entry*> subfolders;

    while (!pending.empty()) {
        PendingFolder current = std::move(pending.back());
        pending.pop_back();
        if (!walk->list(current.folder, entries)) {
            continue;
        }
        matches.clear();
        subfolders.clear();
        for (const auto& entry : entries) {
            if (ansi::equalsIgnoringCase(entry.name, name)) {
                matches.push_back(&entry);
            }
            if (entry.isFolder) {
                subfolders.push_back(&entry);
            }
        }
        std::sort(matches.begin(), matches.end(), byNameIgnoringCase);
        for (const auto* match : matches) {
            found.push_back(current.windows + match->name);
        }
        // Pushed last to first, so the first subfolder is searched next.
        std::sort(subfolders.begin(), subfolders.end(), byNameIgnoringCase);
        for (auto sub = subfolders.rbegin(); sub != subfolders.rend(); ++sub) {
            pending.push_back({(*sub)->folder, current.windows + (*sub)->name + '\\'});
        }
        ++outcome.foldersSearched;
        if (progress && !progress(outcome.foldersSearched)) {
            outcome.cancelled = true;
            break;
        }
    }
    return outcome;
}

}  // namespace tunexa::launcher
