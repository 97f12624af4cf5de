#include "CregFile.h"

#include <functional>

namespace tunexa::test {

using namespace std::string_literals;

// clang-format off
const CregKey kSystemDat{"$$$PROTO.HIV", {}, {
    {"Software", {}, {
        {"3Dfx Interactive", {}, {{"Voodoo2", {}, {{"D3D", {
            {"SSTV2_GRXCLK", 1, "98\0"s}, {"Count", 4, "\x1e\0\0\x80"s}, {"", 1, "def"},
            {"Caf\xE9", 3, "\0\x01\xFF"s}, {"Odd", 0x1234, "\xAB"}}, {}}}}}},
        {"Other", {{"Keep", 1, "x"}}, {{"a\\b", {}, {}}}}}},
    {"Enum", {}, {{"PCI", {}, {
        {"VEN_121A&DEV_0002&SUBSYS_00000000&REV_02", {}, {}}, {"ven_102b&dev_0521&REV_01", {}, {}},
        {"VEN_1274&DEV_5000", {}, {}}, {"VEN_10DE&DEV_00200", {}, {}},
        {"XVEN_121A&DEV_0002", {}, {}}}}}}}};
// clang-format on

std::string withFirstSubkeyAt(std::string file, std::uint32_t offset) {
    for (std::size_t i = 0; i < 4; ++i) {
        file[kCregRootFirstSubkey + i] = static_cast<char>(offset >> (8 * i));
    }
    return file;
}

namespace {

constexpr std::size_t kNone = 0xFFFFFFFF;
constexpr std::size_t kHeader = 32;  // of the file, of the key record and of the data block
constexpr std::size_t kEntrySize = 28;

// Little-endian fields of 2 or 4 bytes.
std::string le(std::size_t value, std::size_t size = 4) {
    std::string bytes;
    for (std::size_t i = 0; i < size; ++i) {
        bytes += static_cast<char>((value >> (8 * i)) & 0xFF);
    }
    return bytes;
}

std::string header(std::string signature, std::size_t size, std::size_t third) {
    signature += le(size) + le(third) + le(size);
    return signature.append(kHeader - signature.size(), '\0');
}

}  // namespace

std::string buildCregFile(const CregKey& root) {
    // Entries in depth-first order: the parent, first subkey and next sibling of each, by offset
    // from the record's start.
    std::vector<const CregKey*> keys;
    std::vector<std::size_t> parent, firstSubkey, next;
    const auto offsetOf = [](std::size_t index) { return kHeader + kEntrySize * index; };
    const std::function<void(const CregKey&, std::size_t)> add = [&](const CregKey& key,
                                                                     std::size_t up) {
        const std::size_t self = keys.size();
        keys.push_back(&key);
        parent.push_back(up);
        firstSubkey.push_back(kNone);
        next.push_back(kNone);
        std::size_t previous = kNone;
        for (const auto& subkey : key.subkeys) {
            (previous == kNone ? firstSubkey[self] : next[previous]) = offsetOf(keys.size());
            previous = keys.size();
            add(subkey, offsetOf(self));
        }
    };
    add(root, kNone);

    // Data blocks of about 8 KiB, as Windows keeps them (readers search a block for a key's
    // entry, so one huge block would make a large file slow to read).
    constexpr std::size_t kBlockBytes = 8192;
    std::string entries;
    std::vector<std::string> blocks(1);
    for (std::size_t i = 0; i < keys.size(); ++i) {
        std::string entry = le(i) + std::string(4, '\0') + le(keys[i]->name.size(), 2) +
                            le(keys[i]->values.size(), 2) + le(0) + keys[i]->name;
        for (const auto& value : keys[i]->values) {
            entry += le(value.type) + le(0) + le(value.name.size(), 2) + le(value.data.size(), 2) +
                     value.name + value.data;
        }
        // Its size, and the size in use, count the size field too.
        entry = le(entry.size() + 4) + entry;
        entry.replace(8, 4, le(entry.size()));
        if (!blocks.back().empty() && blocks.back().size() + entry.size() > kBlockBytes) {
            blocks.emplace_back();
        }
        blocks.back() += entry;
        // The name hash (left 0: readers do not check it), the key's entry number and its block.
        entries += le(0) + le(0) + le(kNone) + le(parent[i]) + le(firstSubkey[i]) + le(next[i]) +
                   le(i, 2) + le(blocks.size() - 1, 2);
    }
    // libcreg takes the last 32 bytes of the key record as free space beyond its entries.
    const std::size_t recordSize = kHeader + entries.size() + 32;
    const std::string record =
        header("RGKN", recordSize, kHeader) + entries + std::string(32, '\0');
    // Format version 1.0, the data blocks' offset and their number; each block names its number.
    std::string file =
        "CREG" + le(0, 2) + le(1, 2) + le(kHeader + recordSize) + le(0) + le(blocks.size());
    file.append(kHeader - file.size(), '\0');
    file += record;
    for (std::size_t number = 0; number < blocks.size(); ++number) {
        const std::size_t size = kHeader + blocks[number].size();
        file += header("RGDB", size, size).replace(14, 2, le(number, 2)) + blocks[number];
    }
    return file;
}

}  // namespace tunexa::test
