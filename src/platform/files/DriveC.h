#pragma once

// What drive C: is: a host folder or an emulator's disk image, chosen by pointing
// `dosdevices/c:` at it. The window and `tunexa-reg machine` show and set it through these.

#include <filesystem>
#include <string>

#include "platform/files/Drives.h"
#include "platform/files/Result.h"

namespace tunexa::files {

// "the folder /home/me/.local/share/tunexa/drive_c", "the disk image /home/me/win98.img
// (FAT32 partition 1 (type 0x0C) at byte 1048576 of a raw disk image)", or why drive C: cannot
// be used.
std::string describeDriveC(const Drives& drives = Drives());

// The folder or image file `dosdevices/c:` leads to, without opening it.
std::filesystem::path driveCTarget(const Drives& drives = Drives());

// Points drive C: at a folder or a disk image file (its absolute path). An image of a format
// Tunexa refuses, or anything else, is refused with the reason and nothing changes; so is an
// existing `dosdevices/c:` that is a folder of its own rather than a link.
Status useAsDriveC(const std::filesystem::path& folderOrImage, const Drives& drives = Drives());

}  // namespace tunexa::files
