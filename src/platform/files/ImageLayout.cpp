#include "platform/files/ImageLayout.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <optional>
#include <string_view>

namespace tunexa::files {

namespace {

using namespace std::string_view_literals;

constexpr std::uint64_t kSector = 512;
constexpr int kMaxLogicalDrives = 128;  // a longer chain of extended boot records is a loop

using Sector = std::array<std::uint8_t, kSector>;

// Containers that hold a disk in a format of their own: the first bytes that mark them.
struct ForeignFormat {
    std::uint64_t at;
    std::string_view magic;
    std::string_view name;
};
constexpr std::array kForeignFormats{
    ForeignFormat{0, "vhdxfile"sv, "VHDX"},
    ForeignFormat{0, "QFI\xfb\0\0\0\x01"sv, "qcow"},
    ForeignFormat{0, "QFI\xfb"sv, "qcow2"},
    ForeignFormat{0, "QED\0"sv, "QED"},
    ForeignFormat{0x40, "\x7f\x10\xda\xbe"sv, "VirtualBox VDI"},
    ForeignFormat{0, "KDMV"sv, "VMDK"},
    ForeignFormat{0, "COWD"sv, "VMDK"},
    ForeignFormat{0, "# Disk DescriptorFile"sv, "VMDK descriptor"},
    ForeignFormat{0, "WithoutFreeSpace"sv, "Parallels"},
    ForeignFormat{0, "WithouFreSpacExt"sv, "Parallels"},
    ForeignFormat{0, "Bochs Virtual HD Image"sv, "Bochs growing"},
};

// Partition types of FAT12/FAT16/FAT32 volumes that Windows 95/98 gives a drive letter.
bool isFatPartition(std::uint8_t type) {
    return type == 0x01 || type == 0x04 || type == 0x06 || type == 0x0B || type == 0x0C ||
           type == 0x0E;
}

bool isExtendedPartition(std::uint8_t type) {
    return type == 0x05 || type == 0x0F;
}

std::uint32_t le16(const Sector& s, std::size_t at) {
    return static_cast<std::uint32_t>(s[at] | (s[at + 1] << 8));
}

std::uint32_t le32(const Sector& s, std::size_t at) {
    return le16(s, at) | (le16(s, at + 2) << 16);
}

std::uint32_t be32(const std::uint8_t* p) {
    return (std::uint32_t{p[0]} << 24) | (std::uint32_t{p[1]} << 16) | (std::uint32_t{p[2]} << 8) |
           std::uint32_t{p[3]};
}

// The disk type of a VHD footer (big-endian, at byte 60): 2 fixed, 3 dynamic, 4 differencing.
constexpr std::uint32_t kFixedVhd = 2;
std::string_view vhdKind(const std::uint8_t* footer) {
    return be32(footer + 60) == 4 ? "differencing VHD" : "dynamic VHD";
}

bool hasBootSignature(const Sector& s) {
    return s[510] == 0x55 && s[511] == 0xAA;
}

struct PartitionEntry {
    std::uint8_t type;
    std::uint64_t start;  // sectors
    std::uint64_t count;
};

PartitionEntry entry(const Sector& s, int index) {
    const std::size_t at = 446 + static_cast<std::size_t>(index) * 16;
    return {s[at + 4], le32(s, at + 8), le32(s, at + 12)};
}

// A FAT boot sector's volume: its size in bytes and its FAT width; nothing for anything else.
struct FatVolume {
    std::uint64_t size;
    int bits;
};

std::optional<FatVolume> fatVolume(const Sector& s) {
    const std::uint32_t bytesPerSector = le16(s, 11);
    const std::uint32_t perCluster = s[13];
    const std::uint32_t reserved = le16(s, 14);
    const std::uint32_t fats = s[16];
    const std::uint32_t rootEntries = le16(s, 17);
    const std::uint32_t fatSectors = le16(s, 22) != 0 ? le16(s, 22) : le32(s, 36);
    const std::uint64_t sectors = le16(s, 19) != 0 ? le16(s, 19) : le32(s, 32);
    const bool jump = s[0] == 0xE9 || (s[0] == 0xEB && s[2] == 0x90);
    const bool sectorSize = bytesPerSector == 512 || bytesPerSector == 1024 ||
                            bytesPerSector == 2048 || bytesPerSector == 4096;
    const bool clusterSize = perCluster != 0 && (perCluster & (perCluster - 1)) == 0;
    if (!hasBootSignature(s) || !jump || !sectorSize || !clusterSize || reserved == 0 ||
        fats == 0 || fats > 4 || fatSectors == 0) {
        return std::nullopt;
    }
    const std::uint64_t rootSectors = (rootEntries * 32 + bytesPerSector - 1) / bytesPerSector;
    const std::uint64_t metadata = reserved + std::uint64_t{fats} * fatSectors + rootSectors;
    if (sectors <= metadata) {
        return std::nullopt;
    }
    const std::uint64_t clusters = (sectors - metadata) / perCluster;
    return FatVolume{sectors * bytesPerSector, clusters < 4085 ? 12 : clusters < 65525 ? 16 : 32};
}

class ImageFile {
  public:
    explicit ImageFile(const std::filesystem::path& path)
        : fd_(::open(path.c_str(), O_RDONLY | O_CLOEXEC)) {}
    ~ImageFile() {
        if (fd_ >= 0) {
            ::close(fd_);
        }
    }
    ImageFile(const ImageFile&) = delete;
    ImageFile& operator=(const ImageFile&) = delete;

    bool open() const { return fd_ >= 0; }
    std::uint64_t size() const {
        struct stat info {};
        return ::fstat(fd_, &info) == 0 && S_ISREG(info.st_mode) ? std::uint64_t(info.st_size) : 0;
    }
    // Bytes past the end read as zeros.
    Sector sector(std::uint64_t at) const {
        Sector s{};
        if (::pread(fd_, s.data(), s.size(), static_cast<off_t>(at)) < 0) {
            s.fill(0);
        }
        return s;
    }

  private:
    int fd_;
};

std::string hex(std::uint8_t type) {
    char text[8];
    std::snprintf(text, sizeof text, "0x%02X", type);
    return text;
}

std::string conversion(const std::filesystem::path& image) {
    std::filesystem::path raw = image;
    raw.replace_extension(image.extension() == ".img" ? ".raw.img" : ".img");
    return "convert it to a raw image with: qemu-img convert -O raw \"" + image.string() + "\" \"" +
           raw.string() + "\"";
}

Result<ImageLayout> refuseFormat(const std::filesystem::path& image, std::string_view format) {
    return Result<ImageLayout>::failure(image.string() + " is a " + std::string(format) +
                                        " disk image, which Tunexa cannot write safely; " +
                                        conversion(image) + ".");
}

// The first FAT logical drive of the extended partition starting at sector `extended`.
std::optional<ImageLayout> logicalDrive(const ImageFile& file, std::uint64_t extended) {
    std::uint64_t record = extended;
    for (int number = 5; number < 5 + kMaxLogicalDrives; ++number) {
        const Sector ebr = file.sector(record * kSector);
        if (!hasBootSignature(ebr)) {
            return std::nullopt;
        }
        const PartitionEntry logical = entry(ebr, 0);
        if (isFatPartition(logical.type) && logical.start != 0) {
            ImageLayout found;
            found.volume = ImageLayout::Volume::Logical;
            found.partition = number;
            found.partitionType = logical.type;
            found.offset = (record + logical.start) * kSector;
            found.size = logical.count * kSector;
            return found;
        }
        const PartitionEntry next = entry(ebr, 1);
        if (!isExtendedPartition(next.type) || next.start == 0) {
            return std::nullopt;
        }
        record = extended + next.start;
    }
    return std::nullopt;
}

// The FAT partition the table names, or why there is none.
Result<ImageLayout> fromPartitionTable(const ImageFile& file, const Sector& mbr,
                                       const std::filesystem::path& image) {
    std::string types;
    for (int i = 0; i < 4; ++i) {
        const PartitionEntry primary = entry(mbr, i);
        if (isFatPartition(primary.type) && primary.start != 0) {
            ImageLayout found;
            found.volume = ImageLayout::Volume::Primary;
            found.partition = i + 1;
            found.partitionType = primary.type;
            found.offset = primary.start * kSector;
            found.size = primary.count * kSector;
            return Result<ImageLayout>::success(found);
        }
        if (primary.type != 0) {
            types += (types.empty() ? "" : ", ") + hex(primary.type);
        }
    }
    for (int i = 0; i < 4; ++i) {
        const PartitionEntry extended = entry(mbr, i);
        if (isExtendedPartition(extended.type) && extended.start != 0) {
            if (auto found = logicalDrive(file, extended.start)) {
                return Result<ImageLayout>::success(*found);
            }
        }
    }
    if (types == "0xEE") {
        return Result<ImageLayout>::failure(image.string() +
                                            " holds a GPT partition table, which Windows 95/98 "
                                            "cannot start from: there is no FAT partition.");
    }
    return Result<ImageLayout>::failure(
        image.string() + " holds a partition table without a FAT16 or FAT32 partition" +
        (types.empty() ? std::string(" (it is empty).") : " (partition types: " + types + ")."));
}

// "partition 1 (type 0x0C) at byte 1048576"
std::string place(const ImageLayout& layout) {
    const std::string type = " (type " + hex(layout.partitionType) + ")";
    const std::string number = std::to_string(layout.partition);
    switch (layout.volume) {
        case ImageLayout::Volume::Primary:
            return "partition " + number + type + " at byte " + std::to_string(layout.offset);
        case ImageLayout::Volume::Logical:
            return "logical drive " + number + type + " at byte " + std::to_string(layout.offset);
        case ImageLayout::Volume::Bare:
            break;
    }
    return "volume without a partition table";
}

}  // namespace

std::string ImageLayout::describe() const {
    return "FAT" + std::to_string(fatBits) + " " + place(*this) + " of a " +
           (container == Container::FixedVhd ? "fixed-size VHD" : "raw disk image");
}

Result<ImageLayout> readImageLayout(const std::filesystem::path& image) {
    const ImageFile file(image);
    if (!file.open()) {
        return Result<ImageLayout>::failure("Cannot open the disk image " + image.string() + ": " +
                                            std::strerror(errno));
    }
    std::uint64_t dataSize = file.size();
    if (dataSize < kSector) {
        return Result<ImageLayout>::failure(image.string() + " is not a disk image: " +
                                            (dataSize == 0 ? "it is empty or not a regular file."
                                                           : "it is smaller than one sector."));
    }
    const Sector first = file.sector(0);
    // A dynamic or differencing VHD starts with a copy of its footer.
    if (std::memcmp(first.data(), "conectix", 8) == 0) {
        return refuseFormat(image, vhdKind(first.data()));
    }
    for (const ForeignFormat& format : kForeignFormats) {
        if (std::memcmp(first.data() + format.at, format.magic.data(), format.magic.size()) == 0) {
            return refuseFormat(image, format.name);
        }
    }
    ImageLayout::Container container = ImageLayout::Container::Raw;
    const Sector footer = file.sector(dataSize - kSector);
    if (std::memcmp(footer.data(), "conectix", 8) == 0) {
        if (be32(footer.data() + 60) != kFixedVhd) {
            return refuseFormat(image, vhdKind(footer.data()));
        }
        container = ImageLayout::Container::FixedVhd;
        dataSize -= kSector;
    }

    Result<ImageLayout> found = Result<ImageLayout>::failure({});
    if (fatVolume(first)) {
        found = Result<ImageLayout>::success(ImageLayout{});
    } else if (hasBootSignature(first)) {
        found = fromPartitionTable(file, first, image);
    } else {
        return Result<ImageLayout>::failure(
            image.string() +
            " is not a FAT disk image: it holds neither a partition table nor a FAT volume. If it "
            "is a disk image of another format, " +
            conversion(image) + ".");
    }
    if (!found) {
        return found;
    }
    ImageLayout layout = found.value();
    layout.container = container;
    const auto volume = fatVolume(file.sector(layout.offset));
    const std::string where = " (" + place(layout) + ")";
    if (!volume) {
        return Result<ImageLayout>::failure(image.string() + ": the partition" + where +
                                            " holds no FAT file system.");
    }
    if (layout.volume == ImageLayout::Volume::Bare) {
        layout.size = volume->size;
    }
    layout.fatBits = volume->bits;
    if (volume->size > layout.size || layout.offset + volume->size > dataSize) {
        return Result<ImageLayout>::failure(
            image.string() + ": the FAT volume" + where + " is larger than " +
            (volume->size > layout.size ? "its partition" : "the image") +
            "; writing to it could damage what follows, so Tunexa leaves it alone.");
    }
    return Result<ImageLayout>::success(layout);
}

}  // namespace tunexa::files
