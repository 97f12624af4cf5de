// ADD: creates a key, or sets one value with its type and data after asking before replacing.
#include <array>
#include <cstdint>

#include "Command.h"
#include "CommandSupport.h"
#include "store/Ansi.h"
#include "store/Registry.h"
#include "store/ValueText.h"

namespace tunexa::regtool {

namespace {

using namespace command;

// How ADD turns /d into data for each type it accepts.
enum class DataForm { Text, MultiText, Dword, DwordBigEndian, Qword, Hex };

struct AddType {
    std::string_view name;
    std::uint32_t code;
    DataForm form;
};

constexpr std::array<AddType, 9> kAddTypes = {{
    {"REG_SZ", store::REG_SZ, DataForm::Text},
    {"REG_EXPAND_SZ", store::REG_EXPAND_SZ, DataForm::Text},
    {"REG_MULTI_SZ", store::REG_MULTI_SZ, DataForm::MultiText},
    {"REG_DWORD", store::REG_DWORD, DataForm::Dword},
    {"REG_DWORD_LITTLE_ENDIAN", store::REG_DWORD, DataForm::Dword},
    {"REG_DWORD_BIG_ENDIAN", store::REG_DWORD_BIG_ENDIAN, DataForm::DwordBigEndian},
    {"REG_QWORD", store::REG_QWORD, DataForm::Qword},
    {"REG_BINARY", store::REG_BINARY, DataForm::Hex},
    {"REG_NONE", store::REG_NONE, DataForm::Hex},
}};

std::optional<std::uint64_t> parseUnsigned(std::string_view text, std::uint64_t max) {
    int base = 10;
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        base = 16;
        text.remove_prefix(2);
    }
    if (text.empty()) {
        return std::nullopt;
    }
    std::uint64_t value = 0;
    for (char ch : text) {
        int digit = -1;
        if (ch >= '0' && ch <= '9') {
            digit = ch - '0';
        } else if (base == 16 && ch >= 'a' && ch <= 'f') {
            digit = ch - 'a' + 10;
        } else if (base == 16 && ch >= 'A' && ch <= 'F') {
            digit = ch - 'A' + 10;
        }
        if (digit < 0) {
            return std::nullopt;
        }
        const auto d = static_cast<std::uint64_t>(digit);
        if (value > (max - d) / static_cast<std::uint64_t>(base)) {
            return std::nullopt;
        }
        value = value * static_cast<std::uint64_t>(base) + d;
    }
    return value;
}

void appendLittleEndian(store::Bytes& data, std::uint64_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) {
        data.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
    }
}

std::optional<store::Bytes> parseHexDigits(std::string_view text) {
    if (text.size() % 2 != 0) {
        return std::nullopt;
    }
    store::Bytes data;
    for (std::size_t i = 0; i < text.size(); i += 2) {
        const auto byte = parseUnsigned("0x" + std::string(text.substr(i, 2)), 0xFF);
        if (!byte) {
            return std::nullopt;
        }
        data.push_back(static_cast<std::uint8_t>(*byte));
    }
    return data;
}

int add(Context& c, const Arguments& args) {
    int exitCode = 1;
    const auto target = valueTarget(c, args, exitCode);
    if (!target) {
        return exitCode;
    }
    const KeyName& key = target->key;
    const ValueChoice& choice = target->choice;
    if (!choice.given && !args.has("t") && !args.has("d") && !args.has("s")) {
        beginChange(c);
        return c.hive.createKey(key.root, key.path) ? succeed(c) : storeFailed(c);
    }

    const AddType* type = &kAddTypes[0];
    if (args.has("t")) {
        type = nullptr;
        for (const auto& candidate : kAddTypes) {
            if (ansi::equalsIgnoringCase(candidate.name, args.value("t"))) {
                type = &candidate;
            }
        }
        if (type == nullptr) {
            return refuse(c, "Unknown type \"" + args.value("t") +
                                 "\"; use REG_SZ, REG_EXPAND_SZ, REG_MULTI_SZ, REG_DWORD, "
                                 "REG_QWORD, REG_DWORD_BIG_ENDIAN, REG_BINARY or REG_NONE.");
        }
    }
    if (args.has("s") && type->form != DataForm::MultiText) {
        return refuse(c, "/s is only for REG_MULTI_SZ data.");
    }
    const bool dataGiven = args.has("d");
    const std::string argument = dataGiven ? args.value("d") : std::string();

    store::Bytes data;
    switch (type->form) {
        case DataForm::Text: {
            const auto text = toStoreText(argument);
            if (!text) {
                return refuseText(c, "The data");
            }
            data.assign(text->begin(), text->end());
            break;
        }
        case DataForm::MultiText: {
            const auto text = toStoreText(argument);
            const auto separator =
                args.has("s") ? toStoreText(args.value("s")) : std::optional<std::string>("\\0");
            if (!text || !separator) {
                return refuseText(c, "The data");
            }
            if (args.has("s") && separator->size() != 1) {
                return refuse(c, "/s needs exactly one character.");
            }
            std::string_view rest = *text;
            while (!rest.empty()) {
                const auto at = rest.find(*separator);
                const auto item = rest.substr(0, at);
                if (item.empty()) {
                    return refuse(c,
                                  "REG_MULTI_SZ data cannot hold an empty string (it would end "
                                  "the list).");
                }
                data.insert(data.end(), item.begin(), item.end());
                data.push_back(0);
                rest = at == std::string_view::npos ? std::string_view()
                                                    : rest.substr(at + separator->size());
            }
            data.push_back(0);
            break;
        }
        case DataForm::Dword:
        case DataForm::DwordBigEndian:
        case DataForm::Qword: {
            const bool wide = type->form == DataForm::Qword;
            const auto number =
                dataGiven ? parseUnsigned(argument, wide ? UINT64_MAX : UINT32_MAX) : 0;
            if (!number) {
                return refuse(c, wide ? "Specify a valid numeric value for /d: 0 to "
                                        "18446744073709551615, decimal or 0x hexadecimal."
                                      : "Specify a valid numeric value for /d: 0 to 4294967295, "
                                        "decimal or 0x hexadecimal.");
            }
            if (type->form == DataForm::DwordBigEndian) {
                for (int shift = 24; shift >= 0; shift -= 8) {
                    data.push_back(static_cast<std::uint8_t>(*number >> shift));
                }
            } else {
                appendLittleEndian(data, *number, wide ? 8 : 4);
            }
            break;
        }
        case DataForm::Hex: {
            const auto bytes = parseHexDigits(argument);
            if (!bytes) {
                return refuse(c, "/d for " + std::string(type->name) +
                                     " must be hex digits, two for each byte.");
            }
            data = *bytes;
            break;
        }
    }

    if (c.hive.getValue(key.root, key.path, choice.name) && !args.has("f")) {
        if (!confirm(c, "Value " + displayName(choice.name) + " exists, overwrite(Yes/No)?")) {
            return canceled(c);
        }
    }
    beginChange(c);
    return c.hive.setValue(key.root, key.path, choice.name, type->code, data) ? succeed(c)
                                                                              : storeFailed(c);
}

constexpr std::array<Switch, 6> kSwitches = {
    {{"v", true}, {"ve", false}, {"t", true}, {"s", true}, {"d", true}, {"f", false}}};

}  // namespace

namespace command {

extern const Operation kAddOperation = {
    .name = "ADD",
    .switches = kSwitches,
    .usage =
        "tunexa-reg ADD KEY [/v NAME | /ve] [/t TYPE] [/s SEPARATOR] [/d DATA] [/f]\n"
        "  /t    REG_SZ (default), REG_EXPAND_SZ, REG_MULTI_SZ, REG_DWORD, REG_QWORD,\n"
        "        REG_DWORD_BIG_ENDIAN, REG_BINARY, REG_NONE\n"
        "  /s    the character that separates the strings of REG_MULTI_SZ data (default \\0)\n"
        "  /d    the data: text; a number for REG_DWORD/REG_QWORD (decimal or 0x hex);\n"
        "        hex digits for REG_BINARY and REG_NONE\n"
        "  /f    overwrite an existing value without asking\n"
        "  Without /v, /ve, /t and /d only the key is created.\n",
    .run = add,
    .records = true};

}  // namespace command

}  // namespace tunexa::regtool
