#include "launcher/core/FileMethods.h"

#include <algorithm>
#include <cstdint>
#include <optional>
#include <unordered_set>
#include <utility>

#include "platform/files/Folders.h"
#include "store/Ansi.h"

namespace tunexa::launcher {

namespace {

struct FolderIdentity {
    std::uint64_t device;
    std::uint64_t inode;
    bool operator==(const FolderIdentity&) const = default;
};

struct FolderIdentityHash {
    std::size_t operator()(const FolderIdentity& id) const {
        return std::hash<std::uint64_t>()(id.inode * 0x9E3779B97F4A7C15ULL ^ id.device);
    }
};

// A folder still to search: where it lies on the host and how its path is written.
struct PendingFolder {
    std::string host;
    std::string windows;
};

// An entry kept from a listing: its Windows-1252 name and its host spelling.
struct NamedEntry {
    std::string ansi;
    std::string host;
};

bool byNameIgnoringCase(const NamedEntry& a, const NamedEntry& b) {
    return ansi::lessIgnoringCase(a.ansi, b.ansi);
}

}  // namespace

SearchOutcome SearchFileTree(std::string_view folder, std::string_view name,
                             std::vector<std::string>& found, const SearchProgress& progress,
                             const files::Drives& drives) {
    SearchOutcome outcome;
    auto root = drives.toHost(folder);
    if (!root) {
        outcome.error = root.error();
        return outcome;
    }
    std::string windowsRoot(folder);
    if (windowsRoot.empty() || windowsRoot.back() != '\\') {
        windowsRoot += '\\';
    }

    std::vector<PendingFolder> pending{{root->string(), std::move(windowsRoot)}};
    std::unordered_set<FolderIdentity, FolderIdentityHash> searched;
    files::FolderListing listing;
    std::vector<NamedEntry> matches;
    std::vector<NamedEntry> subfolders;

    while (!pending.empty()) {
        PendingFolder current = std::move(pending.back());
        pending.pop_back();
        if (!files::readFolder(current.host, listing) ||
            !searched.insert({listing.device, listing.inode}).second) {
            continue;
        }
        matches.clear();
        subfolders.clear();
        for (auto& entry : listing.entries) {
            auto ansiName = files::hostNameToAnsi(entry.name);
            if (!ansiName) {
                continue;
            }
            if (ansi::equalsIgnoringCase(*ansiName, name)) {
                matches.push_back({*ansiName, entry.name});
            }
            if (entry.isFolder) {
                subfolders.push_back({std::move(*ansiName), std::move(entry.name)});
            }
        }
        std::sort(matches.begin(), matches.end(), byNameIgnoringCase);
        for (const auto& match : matches) {
            found.push_back(current.windows + match.ansi);
        }
        // Pushed last to first, so the first subfolder is searched next.
        std::sort(subfolders.begin(), subfolders.end(), byNameIgnoringCase);
        const std::string hostPrefix =
            current.host.back() == '/' ? current.host : current.host + '/';
        for (auto sub = subfolders.rbegin(); sub != subfolders.rend(); ++sub) {
            pending.push_back({hostPrefix + sub->host, current.windows + sub->ansi + '\\'});
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
