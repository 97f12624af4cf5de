// QUERY: a key's values and subkeys, one value, or the whole tree below a key.
#include <array>
#include <cstdio>
#include <ostream>

#include "Command.h"
#include "CommandSupport.h"
#include "store/Ansi.h"
#include "store/Registry.h"

namespace tunexa::regtool {

namespace {

using namespace command;

constexpr std::uint32_t kRegQword = 11;

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

void printValue(Context& c, const store::NamedValue& value) {
    c.out << kIndent << displayName(value.name) << kIndent << typeName(value.type) << kIndent
          << formatQueryData(value.type, value.data) << '\n';
}

// The value's name as it was created, for a name given in any case.
std::string storedValueName(Context& c, store::HKEY root, const std::string& path,
                            const std::string& name) {
    for (const auto& candidate : c.hive.values(root, path)) {
        if (ansi::equalsIgnoringCase(candidate.name, name)) {
            return candidate.name;
        }
    }
    return name;
}

int query(Context& c, const Arguments& args) {
    int exitCode = 1;
    const auto target = valueTarget(c, args, exitCode);
    if (!target) {
        return exitCode;
    }
    const KeyName& key = target->key;
    const ValueChoice& choice = target->choice;
    const auto stored = c.hive.storedPath(key.root, key.path);
    if (!stored || !c.hive.keyExists(key.root, key.path)) {
        return notFound(c);
    }
    const KeyName start{key.root, *stored};
    auto fullName = [&](const std::string& path) {
        return ansi::toUtf8(KeyName{key.root, path}.fullName());
    };

    if (choice.given) {
        auto findIn = [&](const std::string& path) {
            return c.hive.getValue(key.root, path, choice.name);
        };
        if (!args.has("s")) {
            const auto value = findIn(start.path);
            if (!value && !choice.name.empty()) {
                return notFound(c);
            }
            c.out << '\n' << fullName(start.path) << '\n';
            if (value) {
                printValue(c, {storedValueName(c, key.root, start.path, choice.name), value->type,
                               value->data});
            } else {
                c.out << kIndent << kDefaultName << kIndent << "REG_SZ" << kIndent
                      << "(value not set)\n";
            }
            c.out << '\n';
            return 0;
        }
        std::size_t matches = 0;
        walk(c.hive, key.root, start.path, [&](const std::string& path) {
            const auto value = findIn(path);
            if (value) {
                ++matches;
                c.out << '\n' << fullName(path) << '\n';
                printValue(
                    c, {storedValueName(c, key.root, path, choice.name), value->type, value->data});
            }
        });
        c.out << "\nEnd of search: " << matches << " match(es) found.\n";
        return matches > 0 ? 0 : 1;
    }

    if (args.has("s")) {
        walk(c.hive, key.root, start.path, [&](const std::string& path) {
            c.out << '\n' << fullName(path) << '\n';
            for (const auto& value : c.hive.values(key.root, path)) {
                printValue(c, value);
            }
        });
        c.out << '\n';
        return 0;
    }

    c.out << '\n';
    const auto values = c.hive.values(key.root, start.path);
    if (!values.empty()) {
        c.out << fullName(start.path) << '\n';
        for (const auto& value : values) {
            printValue(c, value);
        }
        c.out << '\n';
    }
    for (const auto& child : c.hive.subkeys(key.root, start.path)) {
        c.out << fullName(joinPath(start.path, child)) << '\n';
    }
    return 0;
}

constexpr std::array<SwitchSpec, 3> kSwitches = {{{"v", true}, {"ve", false}, {"s", false}}};

}  // namespace

namespace command {

extern const OperationSpec kQueryOperation = {
    .name = "QUERY",
    .switches = kSwitches,
    .positionals = 1,
    .optionalPositionals = 0,
    .fileAt = std::nullopt,
    .usage =
        "tunexa-reg QUERY KEY [/v NAME | /ve] [/s]\n"
        "  KEY   ROOT\\Subkey, ROOT one of HKLM HKCU HKCR HKU HKCC (or the long names)\n"
        "  /v    the value NAME only      /ve   the default value only\n"
        "  /s    the key and every key below it\n",
    .run = query};

}  // namespace command

std::string typeName(std::uint32_t type) {
    if (type < kTypeNames.size()) {
        return std::string(kTypeNames[type]);
    }
    char text[16];
    std::snprintf(text, sizeof text, "0x%x", type);
    return text;
}

std::string formatQueryData(std::uint32_t type, const store::Bytes& data) {
    const std::string_view raw(reinterpret_cast<const char*>(data.data()), data.size());
    char number[24];
    switch (type) {
        case store::REG_SZ:
        case store::REG_EXPAND_SZ:
            return ansi::toUtf8(raw.substr(0, raw.find('\0')));
        case store::REG_MULTI_SZ: {
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
        case store::REG_DWORD:
        case store::REG_DWORD_BIG_ENDIAN:
            if (data.size() == 4) {
                std::uint32_t value = 0;
                for (std::size_t i = 0; i < 4; ++i) {
                    const std::size_t at = type == store::REG_DWORD ? 3 - i : i;
                    value = (value << 8) | data[at];
                }
                std::snprintf(number, sizeof number, "0x%x", value);
                return number;
            }
            break;
        case kRegQword:
            if (data.size() == 8) {
                unsigned long long value = 0;
                for (std::size_t i = 0; i < 8; ++i) {
                    value = (value << 8) | data[7 - i];
                }
                std::snprintf(number, sizeof number, "0x%llx", value);
                return number;
            }
            break;
        default:
            break;
    }
    std::string hex;
    for (auto byte : data) {
        std::snprintf(number, sizeof number, "%02X", byte);
        hex += number;
    }
    return hex;
}

}  // namespace tunexa::regtool
