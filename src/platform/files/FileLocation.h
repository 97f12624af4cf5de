#pragma once

// Where a file that a change wrote lies, as the change record keeps it (UTF-8):
//   - a file in a host folder: its absolute host path,
//     "/home/me/.local/share/tunexa/dosdevices/c:/TUNEXA.BAT";
//   - a file in a disk image: "fat-image:" + the image's absolute path + "@@" + the byte offset
//     of its FAT volume + "::" + the path inside with "/" between names, as spelled there:
//     "fat-image:/home/me/win98.img@@32256::/TUNEXA/SEND.REG".
// The image form is never an absolute host path, and it reads back unambiguously: names on a
// FAT volume hold no ":", so the last "::" starts the path inside, and the "@@" before it ends
// the image's path.

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "platform/files/Drive.h"
#include "platform/files/Result.h"

namespace tunexa::files {

inline constexpr std::string_view kImageLocationPrefix = "fat-image:";

struct ImageLocation {
    std::filesystem::path image;
    std::uint64_t offset = 0;
    DriveNames names;  // Windows-1252
};

std::string imageLocation(const ImageLocation& location);
// Nothing when the text is not the image form (a host path is not).
std::optional<ImageLocation> parseImageLocation(std::string_view location);

// A file at a location of either form: its bytes (nothing when absent), or its state put in
// place (written whole, or removed when `content` is nothing). A file in an image is reached
// only when the image still holds a FAT volume at the recorded offset.
Result<FileContent> readLocation(const std::string& location);
Status writeLocation(const std::string& location, const FileContent& content);

}  // namespace tunexa::files
