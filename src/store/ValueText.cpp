#include "store/ValueText.h"

#include <array>
#include <cstdio>

#include "store/Ansi.h"
#include "store/Registry.h"

namespace tunexa::store {

namespace {

constexpr std::array<std::string_view, 12> kTypeNames = {"REG_NONE",
                                                         "REG_SZ",
                                                         "REG_EXPAND_SZ",
                                                         "REG_BINARY",
                                                         "REG_DWORD",
                                                         "REG_DWORD_BIG_ENDIAN",
                                                         "REG_LINK",
                                                         "REG_MULTI_SZ",
                                                         "REG_RESOURCE_LIST",
                                                         "REG_FULL_RESOURCE_DESCRIPTOR",
                                                         "REG_RESOURCE_REQUIREMENTS_LIST",
                                                         "REG_QWORD"};

struct RootEntry {
    RootKey root;
    std::string_view name;
};
constexpr std::array<RootEntry, 7> kRootNames = {{
    {HKEY_CLASSES_ROOT, "HKEY_CLASSES_ROOT"},
    {HKEY_CURRENT_USER, "HKEY_CURRENT_USER"},
    {HKEY_LOCAL_MACHINE, "HKEY_LOCAL_MACHINE"},
    {HKEY_USERS, "HKEY_USERS"},
    {HKEY_PERFORMANCE_DATA, "HKEY_PERFORMANCE_DATA"},
    {HKEY_CURRENT_CONFIG, "HKEY_CURRENT_CONFIG"},
    {0x80000006, "HKEY_DYN_DATA"},
}};

// The number in the data's first `size` bytes, least significant first unless `bigEndian`.
std::uint64_t number(const Bytes& data, std::size_t size, bool bigEndian) {
    std::uint64_t value = 0;
    for (std::size_t i = 0; i < size; ++i) {
        value = (value << 8) | data[bigEndian ? i : size - 1 - i];
    }
    return value;
}

}  // namespace

std::string typeName(std::uint32_t type) {
    if (type < kTypeNames.size()) {
        return std::string(kTypeNames[type]);
    }
    char text[16];
    std::snprintf(text, sizeof text, "0x%x", type);
    return text;
}

std::string formatData(std::uint32_t type, const Bytes& data) {
    const std::string_view raw(reinterpret_cast<const char*>(data.data()), data.size());
    char text[24];
    switch (type) {
        case REG_SZ:
        case REG_EXPAND_SZ:
            return ansi::toUtf8(raw.substr(0, raw.find('\0')));
        case REG_MULTI_SZ: {
            std::string joined;
            std::string_view rest = raw;
            while (!rest.empty() && rest.front() != '\0') {
                const auto end = rest.find('\0');
                if (!joined.empty()) {
                    joined += "\\0";
                }
                joined += ansi::toUtf8(rest.substr(0, end));
                rest = end == std::string_view::npos ? std::string_view() : rest.substr(end + 1);
            }
            return joined;
        }
        case REG_DWORD:
        case REG_DWORD_BIG_ENDIAN:
            if (data.size() == 4) {
                std::snprintf(
                    text, sizeof text, "0x%llx",
                    static_cast<unsigned long long>(number(data, 4, type == REG_DWORD_BIG_ENDIAN)));
                return text;
            }
            break;
        case REG_QWORD:
            if (data.size() == 8) {
                std::snprintf(text, sizeof text, "0x%llx",
                              static_cast<unsigned long long>(number(data, 8, false)));
                return text;
            }
            break;
        default:
            break;
    }
    std::string hex;
    for (auto byte : data) {
        std::snprintf(text, sizeof text, "%02X", byte);
        hex += text;
    }
    return hex;
}

std::string_view rootLongName(RootKey root) {
    for (const RootEntry& entry : kRootNames) {
        if (entry.root == root) {
            return entry.name;
        }
    }
    return {};
}

}  // namespace tunexa::store
