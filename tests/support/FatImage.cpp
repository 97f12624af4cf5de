#include "FatImage.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <fstream>

namespace tunexa::test {

namespace {

constexpr std::uint64_t kSector = 512;

void putBytes(const std::filesystem::path& file, std::uint64_t at, std::string_view bytes) {
    std::fstream out(file, std::ios::binary | std::ios::in | std::ios::out);
    out.seekp(static_cast<std::streamoff>(at));
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::string le32(std::uint64_t value) {
    std::string bytes(4, '\0');
    for (int i = 0; i < 4; ++i) {
        bytes[static_cast<std::size_t>(i)] = static_cast<char>((value >> (8 * i)) & 0xFF);
    }
    return bytes;
}

// One partition entry of a table in sector `table`, and the table's signature.
void putPartition(const std::filesystem::path& file, std::uint64_t table, int index,
                  std::uint8_t type, std::uint64_t start, std::uint64_t count) {
    std::string entry(8, '\0');
    entry[4] = static_cast<char>(type);
    putBytes(file, table * kSector + 446 + static_cast<std::uint64_t>(index) * 16,
             entry + le32(start) + le32(count));
    putBytes(file, table * kSector + 510, "\x55\xAA");
}

}  // namespace

std::string quote(const std::string& text) {
    std::string quoted = "'";
    for (const char c : text) {
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    }
    return quoted + "'";
}

std::string shell(const std::string& command) {
    const std::string full = "PATH=/sbin:/usr/sbin:$PATH MTOOLS_SKIP_CHECK=1 LC_ALL=C.UTF-8 " +
                             std::string("sh -c ") + quote(command) + " 2>&1";
    std::string output;
    FILE* pipe = ::popen(full.c_str(), "r");
    std::array<char, 4096> buffer{};
    while (pipe != nullptr) {
        const std::size_t got = std::fread(buffer.data(), 1, buffer.size(), pipe);
        if (got == 0) {
            break;
        }
        output.append(buffer.data(), got);
    }
    const int status = pipe != nullptr ? ::pclose(pipe) : -1;
    EXPECT_EQ(status, 0) << command << "\n" << output;
    return output;
}

std::string mtoolsImage(const std::filesystem::path& image, std::uint64_t offset) {
    return "-i " + quote(image.string() + "@@" + std::to_string(offset));
}

void makeFatImage(const std::filesystem::path& file, const FatImageSpec& spec, std::uint64_t kib) {
    const std::string image = quote(file.string());
    const std::string format = "mkfs.fat -F " + std::to_string(spec.fatBits) +
                               (spec.fatBits == 32   ? " -s 1"
                                : spec.fatBits == 16 ? " -s 2"
                                                     : "") +
                               " --offset " + std::to_string(spec.offset / kSector) + " " + image +
                               " " + std::to_string(kib) + " >/dev/null";
    const std::uint64_t sectors = kib * 1024 / kSector;
    const std::uint64_t partitionStart = 2048;
    shell("truncate -s " + std::to_string(spec.offset + kib * 1024) + " " + image);
    switch (spec.layout) {
        case FatLayout::Partitioned:
        case FatLayout::FixedVhd:
            shell("echo 'start=" + std::to_string(spec.offset / kSector) + ", size=" +
                  std::to_string(sectors) + ", type=" + (spec.fatBits == 32 ? "c" : "6") +
                  ", bootable' | sfdisk -q " + image);
            break;
        case FatLayout::Logical:
            putPartition(file, 0, 0, 0x0F, partitionStart,
                         spec.offset / kSector - partitionStart + sectors);
            putPartition(file, partitionStart, 0, 0x0E, spec.offset / kSector - partitionStart,
                         sectors);
            break;
        case FatLayout::Bare:
            break;
    }
    shell(format);
    if (spec.layout == FatLayout::FixedVhd) {
        std::string footer(512, '\0');
        footer.replace(0, 8, "conectix");
        footer[63] = 2;  // disk type, big-endian: fixed
        std::ofstream(file, std::ios::binary | std::ios::app) << footer;
    }
}

void makeFatImageOf(const std::filesystem::path& file, const FatImageSpec& spec,
                    const std::filesystem::path& tree, std::uint64_t kib) {
    makeFatImage(file, spec, kib);
    if (!std::filesystem::is_empty(tree)) {
        shell("mcopy -s -m " + mtoolsImage(file, spec.offset) + " " + quote(tree.string()) +
              "/* ::/");
    }
}

}  // namespace tunexa::test
