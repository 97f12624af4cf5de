#pragma once

// One drive's files, whatever holds them: a host folder (FolderDrive.h) or the FAT volume of an
// emulator's disk image (ImageDrive.h). Everything above works through this interface and never
// learns which it is.
//
// A path on a drive is the list of names below its root, in Windows-1252. Each name matches an
// existing entry without regard to case (the exact spelling first, then the first in
// case-insensitive order); a name that does not exist yet is created as given on a folder and in
// upper case (an 8.3 name where it fits) in an image. Messages are UTF-8, ready to show.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/files/Result.h"

namespace tunexa::files {

using DriveNames = std::vector<std::string>;

// A file's bytes, or nothing when there is no such file.
using FileContent = std::optional<std::string>;

// A path as the drive has it: the existing spelling of each name as far as the path exists, the
// rest as given.
struct ResolvedPath {
    DriveNames names;
    std::size_t existing = 0;  // how many names lead to something that exists
    bool isFolder = true;      // what the last existing name is (the root: a folder)

    bool exists() const { return existing == names.size(); }
    bool isFile() const { return exists() && !isFolder; }
};

// A file's size and the time it was last written. A host file's time is to the second; a file in
// a disk image has the time of its FAT directory entry, to the minute as mtools shows it, read as
// local time as Windows writes it (FAT keeps no time zone).
struct FileFacts {
    std::uint64_t size = 0;
    std::int64_t modified = 0;  // seconds since 1970, UTC
};

struct DriveEntry {
    std::string name;  // Windows-1252, as the drive spells it
    bool isFolder = false;
};

// A walk over a drive's folders for searches over a whole drive: folder after folder, as the
// search asks for them. Folder 0 is where the walk starts; a listing hands out the numbers of
// its subfolders.
class FolderWalk {
  public:
    using Folder = std::size_t;
    struct Entry {
        std::string name;  // Windows-1252; names the code page cannot hold are passed over
        bool isFolder = false;
        Folder folder = 0;  // for a folder: its number, to list it later
    };

    virtual ~FolderWalk() = default;
    // The folder's entries in the order the drive keeps them. False when it cannot be read, or
    // when it was listed already under another name (a link loop on a host folder).
    virtual bool list(Folder folder, std::vector<Entry>& entries) = 0;
};

class Drive {
  public:
    virtual ~Drive() = default;

    virtual Result<ResolvedPath> resolve(const DriveNames& names) = 0;
    // Where the file lies, for the change record: a host path for a folder, the image form of
    // FileLocation.h for an image.
    virtual Result<std::string> location(const DriveNames& names) = 0;

    virtual Result<FileContent> readFile(const DriveNames& names) = 0;
    // The bytes of a file that resolve() found (`file.isFile()`), its names not looked up again:
    // one mtools command on an image. Nothing when it has gone since.
    virtual Result<FileContent> readResolvedFile(const ResolvedPath& file) = 0;
    // The file's size and time; nothing when there is no such file; a failure for a folder.
    virtual Result<std::optional<FileFacts>> fileFacts(const DriveNames& names) = 0;
    // Replaces or creates the file with exactly `bytes`, whole or not at all. The folder must
    // exist. A read-only file is refused; a rewritten file keeps its attributes.
    virtual Status replaceFile(const DriveNames& names, std::string_view bytes) = 0;
    // Adds `line` and CR LF at the end, creating the file when missing; every existing byte
    // stays, and a line break comes first when the file does not end with one. An end-of-file
    // mark stays after the line (withLineAppended() of TextFiles.h).
    virtual Status appendLine(const DriveNames& names, std::string_view line) = 0;
    // Removing what is not there succeeds. A folder is removed only when it is empty.
    virtual Status removeFile(const DriveNames& names) = 0;
    virtual Status makeFolder(const DriveNames& names) = 0;
    virtual Status removeFolder(const DriveNames& names) = 0;

    // A walk starting at the folder (one that cannot be read yields nothing).
    virtual std::unique_ptr<FolderWalk> walk(const DriveNames& start) = 0;
    // What the drive is, for the user: "the folder /home/me/drive_c", "the disk image ...".
    virtual std::string describe() const = 0;
};

}  // namespace tunexa::files
