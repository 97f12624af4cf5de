#pragma once

// Windows-1252 text files with CR LF line ends, as the batch files of a Windows 9x machine need
// them. Texts are taken as Windows-1252 bytes and written unchanged.
//
// A whole-file write goes to a temporary file in the same folder, is synced and then renamed
// over the old file, so a reader sees the old file or the new one, never half of either; the
// new file keeps the old one's permissions. An append keeps every existing byte.

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "platform/files/Drives.h"
#include "platform/files/Result.h"

namespace tunexa::files {

// The lines, each followed by CR LF.
std::string joinLinesCrLf(const std::vector<std::string>& lines);

// Replaces (or creates) the host file with exactly `bytes`. A link in place of the file is
// kept: its target is replaced.
Status replaceFileAtomically(const std::filesystem::path& hostFile, std::string_view bytes);

// The file's bytes with `line` and CR LF added at its end: before its end-of-file mark (^Z)
// when it has one, which stays after the line with every byte that follows it, since COMMAND.COM
// reads a batch file no further. A line break comes first when the text before does not end
// with one (CR LF; LF alone after a final CR).
std::string withLineAppended(std::string_view existing, std::string_view line);

// The same on a host file, created when missing. A file without an end-of-file mark only grows;
// one with a mark is replaced whole, as replaceFileAtomically() does.
Status appendLineToFile(const std::filesystem::path& hostFile, std::string_view line);

// The same on Windows paths ("c:\tunexa.bat"), mapped through `drives` to a folder or a disk
// image (Drive.h). A missing drive or folder, a malformed path or a read-only file fails with a
// message and writes nothing.
Status writeTextFile(std::string_view windowsPath, const std::vector<std::string>& lines,
                     const Drives& drives = Drives());
Status appendTextLine(std::string_view windowsPath, std::string_view line,
                      const Drives& drives = Drives());

}  // namespace tunexa::files
