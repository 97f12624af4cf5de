#include "CregFile.h"

namespace tunexa::test {

namespace {

constexpr std::uint32_t kNone = 0xFFFFFFFF;
constexpr std::uint32_t kEntrySize = 28;
constexpr std::uint32_t kRecordHeader = 32;

void put16(std::string& out, std::size_t value) {
    out += static_cast<char>(value & 0xFF);
    out += static_cast<char>((value >> 8) & 0xFF);
}

void put32(std::string& out, std::size_t value) {
    put16(out, value & 0xFFFF);
    put16(out, value >> 16);
}

void set32(std::string& out, std::size_t at, std::size_t value) {
    std::string bytes;
    put32(bytes, value);
    out.replace(at, 4, bytes);
}

// The hash the navigation entry keeps: the sum of the name's upper-cased ASCII characters.
std::uint32_t nameHash(const std::string& name) {
    std::uint32_t hash = 0;
    for (const char c : name) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x80) {
            hash += static_cast<std::uint32_t>(byte >= 'a' && byte <= 'z' ? byte - 32 : byte);
        }
    }
    return hash;
}

struct Flat {
    const CregKey* key;
    std::uint32_t parent;  // entry offsets, kNone for none
    std::uint32_t firstSubkey = kNone;
    std::uint32_t next = kNone;
};

void flatten(const CregKey& key, std::uint32_t parent, std::vector<Flat>& out) {
    const auto self = static_cast<std::uint32_t>(kRecordHeader + kEntrySize * out.size());
    out.push_back({&key, parent});
    const std::size_t index = out.size() - 1;
    std::size_t previous = 0;
    for (const auto& subkey : key.subkeys) {
        const auto childOffset =
            static_cast<std::uint32_t>(kRecordHeader + kEntrySize * out.size());
        (previous == 0 ? out[index].firstSubkey : out[previous].next) = childOffset;
        previous = out.size();
        flatten(subkey, self, out);
    }
}

}  // namespace

std::string buildCregFile(const CregKey& root) {
    std::vector<Flat> keys;
    flatten(root, kNone, keys);
    // libcreg takes the last 32 bytes of the record as beyond its entries: they stay free.
    const std::size_t recordSize = kRecordHeader + kEntrySize * keys.size() + 32;

    std::string record = "RGKN";
    put32(record, recordSize);
    put32(record, kRecordHeader);
    put32(record, recordSize);
    record.resize(kRecordHeader, '\0');
    std::string block;
    for (std::size_t i = 0; i < keys.size(); ++i) {
        const Flat& flat = keys[i];
        put32(record, 0);
        put32(record, nameHash(flat.key->name));
        put32(record, kNone);
        put32(record, flat.parent);
        put32(record, flat.firstSubkey);
        put32(record, flat.next);
        put16(record, i);  // the key's entry number in data block 0
        put16(record, 0);

        std::string entry;
        put32(entry, 0);  // its size, set below
        put32(entry, i);
        put32(entry, 0);  // its used size, set below
        put16(entry, flat.key->name.size());
        put16(entry, flat.key->values.size());
        put32(entry, 0);
        entry += flat.key->name;
        for (const auto& value : flat.key->values) {
            put32(entry, value.type);
            put32(entry, 0);
            put16(entry, value.name.size());
            put16(entry, value.data.size());
            entry += value.name + value.data;
        }
        set32(entry, 0, entry.size());
        set32(entry, 8, entry.size());
        block += entry;
    }
    record.resize(recordSize, '\0');
    std::string dataBlock = "RGDB";
    put32(dataBlock, kRecordHeader + block.size());
    put32(dataBlock, kRecordHeader + block.size());
    dataBlock.resize(kRecordHeader, '\0');
    dataBlock += block;

    std::string file = "CREG";
    put16(file, 0);  // format version 1.0
    put16(file, 1);
    put32(file, kRecordHeader + recordSize);  // the data block's offset
    put32(file, 0);
    put32(file, 1);  // one data block
    file.resize(kRecordHeader, '\0');
    return file + record + dataBlock;
}

}  // namespace tunexa::test
