#pragma once

// Disk images as emulators keep them, built for tests with dosfstools (mkfs.fat) and sfdisk, and
// looked into with mtools: a FAT16 or FAT32 volume behind a partition table, bare, in a fixed VHD
// or in a logical drive of an extended partition.

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

namespace tunexa::test {

enum class FatLayout { Partitioned, Bare, FixedVhd, Logical };

struct FatImageShape {
    const char* name;
    int fatBits;  // 12, 16 or 32
    FatLayout layout;
    std::uint64_t offset;  // where the volume starts, in bytes
};

// An empty image of that shape at `file`, with `kib` KiB of volume.
void makeFatImage(const std::filesystem::path& file, const FatImageShape& shape,
                  std::uint64_t kib = 40 * 1024);

// The same image holding a copy of the files and folders in `tree`, their names and times kept.
void makeFatImageOf(const std::filesystem::path& file, const FatImageShape& shape,
                    const std::filesystem::path& tree, std::uint64_t kib = 8 * 1024);

// Runs a shell command with /sbin on the path and mtools' geometry check off; its output, and
// a test failure when it fails.
std::string shell(const std::string& command);
std::string quote(const std::string& text);

// "-i 'IMAGE@@OFFSET'" for mtools commands.
std::string mtoolsImage(const std::filesystem::path& image, std::uint64_t offset);

}  // namespace tunexa::test
