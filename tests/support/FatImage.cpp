#include "FatImage.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <fstream>

namespace tunexa::test {

constexpr std::uint64_t kSector = 512;

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
    for (std::size_t got = 0;
         pipe != nullptr && (got = std::fread(buffer.data(), 1, buffer.size(), pipe)) > 0;) {
        output.append(buffer.data(), got);
    }
    const int status = pipe != nullptr ? ::pclose(pipe) : -1;
    EXPECT_EQ(status, 0) << command << "\n" << output;
    return output;
}

std::string mtoolsImage(const std::filesystem::path& image, std::uint64_t offset) {
    return "-i " + quote(image.string() + "@@" + std::to_string(offset));
}

void makeFatImage(const std::filesystem::path& file, const FatImageShape& shape,
                  std::uint64_t kib) {
    const std::string image = quote(file.string());
    const std::uint64_t start = shape.offset / kSector;
    const std::uint64_t sectors = kib * 1024 / kSector;
    const auto partition = [&](std::uint64_t from, std::uint64_t size, const char* type) {
        return "start=" + std::to_string(from) + ", size=" + std::to_string(size) +
               ", type=" + type;
    };
    shell("truncate -s " + std::to_string(shape.offset + kib * 1024) + " " + image);
    // One primary partition, or an extended one from sector 2048 holding one logical drive.
    const std::string table =
        shape.layout == FatLayout::Logical
            ? partition(2048, start - 2048 + sectors, "f") + "\n" + partition(start, sectors, "e")
            : partition(start, sectors, shape.fatBits == 32 ? "c" : "6") + ", bootable";
    if (shape.layout != FatLayout::Bare) {
        shell("printf " + quote(table + "\n") + " | sfdisk -q " + image);
    }
    shell("mkfs.fat -F " + std::to_string(shape.fatBits) +
          (shape.fatBits == 32   ? " -s 1"
           : shape.fatBits == 16 ? " -s 2"
                                 : "") +
          " --offset " + std::to_string(start) + " " + image + " " + std::to_string(kib) +
          " >/dev/null");
    if (shape.layout == FatLayout::FixedVhd) {
        std::string footer(512, '\0');
        footer.replace(0, 8, "conectix");
        footer[63] = 2;  // disk type, big-endian: fixed
        std::ofstream(file, std::ios::binary | std::ios::app) << footer;
    }
}

void makeFatImageOf(const std::filesystem::path& file, const FatImageShape& shape,
                    const std::filesystem::path& tree, std::uint64_t kib) {
    makeFatImage(file, shape, kib);
    if (!std::filesystem::is_empty(tree)) {
        shell("mcopy -s -m " + mtoolsImage(file, shape.offset) + " " + quote(tree.string()) +
              "/* ::/");
    }
}

}  // namespace tunexa::test
