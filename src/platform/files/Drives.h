#pragma once

// Windows drive paths over host folders, the way Wine maps them: `<data root>/dosdevices/c:` is a
// link to `<data root>/drive_c` (both made on first use); any other letter exists only where the
// user made `dosdevices/<letter>:` (a link to a folder, a mounted disk image or `/`). A letter
// whose entry is, or links to, a regular file is an emulator's disk image (ImageDrive.h).
//
// Windows paths are Windows-1252 text ("C:\Sierra\Half-Life\hl.exe"); host names are UTF-8.
// Each component resolves without regard to case to an existing entry, as on a Windows 9x disk
// that holds `AUTOEXEC.BAT`; a component that does not exist yet keeps the spelling given.

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/files/Drive.h"
#include "platform/files/Result.h"

namespace tunexa::files {

// `${XDG_DATA_HOME:-$HOME/.local/share}/tunexa`, read from the environment at each call.
std::filesystem::path defaultDataRoot();

// A Windows path taken apart: the drive letter (upper case) and the names below the root, with
// "." dropped and ".." applied. Names keep their spelling.
struct WindowsPath {
    char letter = 'C';
    std::vector<std::string> names;
};

// "X:\" followed by names separated by "\" (or "/"). Refuses anything else with a message,
// e.g. "C:" alone, "C::\" and names holding one of < > : " | ? * or a control character.
Result<WindowsPath> parseWindowsPath(std::string_view windowsPath);

// A Windows path opened on its drive: the drive, and the names below its root.
struct DrivePath {
    std::shared_ptr<Drive> drive;
    DriveNames names;
};

class Drives {
  public:
    explicit Drives(std::filesystem::path dataRoot = defaultDataRoot());

    const std::filesystem::path& dataRoot() const { return dataRoot_; }
    std::filesystem::path dosdevices() const { return dataRoot_ / "dosdevices"; }

    // Makes `drive_c` and the link `dosdevices/c:` when they are missing; an existing
    // `dosdevices/c:` is the user's and stays as it is.
    Status ensureDriveC() const;

    // The host folder standing for the letter's root (`<data root>/dosdevices/x:`), or nothing
    // when the letter is not mapped. Drive C is made on first use.
    std::optional<std::filesystem::path> driveRoot(char letter) const;

    // The letter's drive: a host folder or a disk image. Fails for an unmapped letter, a missing
    // target, or an image that cannot be used (the message says why).
    Result<std::shared_ptr<Drive>> open(char letter) const;
    // The drive of a Windows path and the names below its root; fails as parseWindowsPath() and
    // open(letter) do.
    Result<DrivePath> open(std::string_view windowsPath) const;

    // Where the file at a Windows path lies, as the change record and profiles keep it
    // (FileLocation.h): its host path on a folder drive, the image form on a disk image.
    Result<std::string> location(std::string_view windowsPath) const;
    // The file's bytes at a Windows path; nothing when it does not exist.
    Result<FileContent> readFile(std::string_view windowsPath) const;

    // The host path of a Windows path on a folder drive. Fails for a malformed path, an unmapped
    // letter, a drive whose target is missing and a disk image (its files have no host path).
    Result<std::filesystem::path> toHost(std::string_view windowsPath) const;

    // The Windows form ("C:\A\hl.exe", letter in upper case) of a host path lying on a mapped
    // folder drive; the drive with the deepest root wins. Nothing when no drive holds it or a name
    // cannot be written in Windows-1252.
    std::optional<std::string> toWindows(const std::filesystem::path& hostPath) const;

  private:
    std::filesystem::path dataRoot_;
};

// Where the file at a Windows path lies on this user's drives (Drives().location()), or nothing
// when it cannot be placed (a malformed path, an unmapped letter, a drive that cannot be opened):
// how profiles place the files they cover, on a folder or in a disk image alike.
std::optional<std::string> locationOnDrives(std::string_view windowsPath);

// The name of an entry of `folder` that equals `ansiName` without regard to case (Windows-1252
// folding): the exact spelling when present, else the first match in case-insensitive order.
// Nothing when the folder holds no such entry or cannot be read.
std::optional<std::string> findEntryIgnoringCase(const std::filesystem::path& folder,
                                                 std::string_view ansiName);

// A host file name (UTF-8) in Windows-1252, or nothing when the code page cannot hold it or the
// name holds a "\" that would split it.
std::optional<std::string> hostNameToAnsi(std::string_view hostName);

}  // namespace tunexa::files
