#pragma once

// The FAT volume of a disk image as mtools reaches it (`-i IMAGE@@OFFSET`, no root, no mount):
// its commands run without a shell and in an environment of their own (no user mtoolsrc, a UTF-8
// locale for names, the geometry check off for images with an odd geometry). Names cross this
// edge as Windows-1252 and reach mtools as UTF-8.

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "platform/files/Drive.h"
#include "platform/files/Result.h"

namespace tunexa::files {

// The FAT attributes that Tunexa keeps on the files it rewrites.
struct FatAttributes {
    bool readOnly = false;
    bool hidden = false;
    bool system = false;
};

class MtoolsVolume {
  public:
    MtoolsVolume(std::filesystem::path image, std::uint64_t offset);

    const std::filesystem::path& image() const { return image_; }

    // `::/A/B` for the names. mtools matches patterns in the names it looks up ([ ] ? *), so
    // those characters are escaped, except in the last name of a path that a command creates
    // (`created`), which mtools takes as written.
    static std::string path(const DriveNames& names, bool created = false);

    // Runs an mtools command (`mdir`, `mcopy` ...) on this volume with `arguments`, `input` on
    // its standard input; its standard output, or a message with what it said.
    Result<std::string> run(std::string_view command, const std::vector<std::string>& arguments,
                            std::string_view input = {}) const;

    // The bare listing (`mdir -a -b`, with `wholeTree` `-/` too) of a folder, hidden and system
    // entries included.
    Result<std::string> bareListing(const DriveNames& folder, bool wholeTree) const;
    // The folder's entries, hidden and system ones included; nothing when the folder does not
    // exist.
    Result<std::optional<std::vector<DriveEntry>>> list(const DriveNames& folder) const;
    // The attributes of an existing file (`mattrib`).
    Result<FatAttributes> attributes(const DriveNames& file) const;
    // A file's bytes (`mtype`, which would run a folder's files together: the caller knows it is
    // a file); nothing when it does not exist.
    Result<FileContent> read(const DriveNames& file) const;
    // A file's size and time from its directory entry (`mdir`); nothing when it does not exist.
    Result<std::optional<FileFacts>> facts(const DriveNames& file) const;

  private:
    std::filesystem::path image_;
    std::uint64_t offset_;
};

// One line of a bare listing (`mdir -b`, e.g. "::/GAMES/Half-Life/" or "::/GAMES/HL.EXE"): the
// names after the first `skip` ones, the last taken apart, and whether it is a folder.
struct BareLine {
    std::string_view parent;  // "Half-Life" below "::/GAMES/" with skip 1, "" for the first level
    std::string_view name;    // UTF-8
    bool isFolder = false;
};
// False for a line that is no such entry.
bool parseBareLine(std::string_view line, std::size_t skip, BareLine& parsed);

// `visit(const BareLine&)` for each entry of a bare listing, in its order.
template <typename Visit>
void forEachBareLine(std::string_view listing, std::size_t skip, Visit&& visit) {
    BareLine line;
    while (!listing.empty()) {
        const std::size_t end = std::min(listing.find('\n'), listing.size());
        if (parseBareLine(listing.substr(0, end), skip, line)) {
            visit(line);
        }
        listing.remove_prefix(std::min(end + 1, listing.size()));
    }
}

}  // namespace tunexa::files
