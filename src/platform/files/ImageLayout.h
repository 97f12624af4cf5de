#pragma once

// Where the FAT volume of an emulator's disk image lies. Understood: a raw image (`.img`,
// `.ima`, `.hdd`) or a fixed-size VHD (the raw sectors followed by a 512-byte footer that begins
// "conectix"), holding either an MBR partition table or a bare FAT volume. From a partition
// table the first FAT partition is taken (types 0x01, 0x04, 0x06, 0x0B, 0x0C, 0x0E, in table
// order); when there is none, the first FAT logical drive of an extended partition (0x05, 0x0F).
// Other containers (dynamic or differencing VHD, VHDX, qcow, qcow2, QED, VDI, VMDK, Parallels,
// Bochs) are refused with a message that names the format and the conversion to a raw image.

#include <cstdint>
#include <filesystem>
#include <string>

#include "platform/files/Result.h"

namespace tunexa::files {

struct ImageLayout {
    enum class Container { Raw, FixedVhd };
    enum class Volume { Primary, Logical, Bare };

    Container container = Container::Raw;
    Volume volume = Volume::Bare;
    int partition = 0;               // 1 to 4 for a primary partition, 5 on for logical drives
    std::uint8_t partitionType = 0;  // 0 for a bare volume
    std::uint64_t offset = 0;        // of the volume's boot sector, in bytes from the start
    std::uint64_t size = 0;          // of the volume, in bytes
    int fatBits = 0;                 // 12, 16 or 32

    // "FAT32 partition 1 (type 0x0C) at byte 1048576 of a raw disk image"
    std::string describe() const;
};

// The layout of the image file, or why it cannot be used.
Result<ImageLayout> readImageLayout(const std::filesystem::path& image);

}  // namespace tunexa::files
