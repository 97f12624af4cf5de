#include "Command.h"

#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <istream>
#include <map>
#include <ostream>
#include <span>
#include <sstream>
#include <utility>

#include "Exporter.h"
#include "Importer.h"
#include "Roots.h"
#include "store/Ansi.h"
#include "store/Registry.h"

namespace tunexa::regtool {

namespace {

constexpr std::string_view kProgram = "tunexa-reg";
constexpr std::string_view kSuccess = "The operation completed successfully.";
constexpr std::string_view kNotFound =
    "ERROR: The system was unable to find the specified registry key or value.";
constexpr std::string_view kCanceled = "The operation was canceled by the user.";
constexpr std::string_view kDefaultName = "(Default)";
constexpr std::string_view kIndent = "    ";

enum class Operation { Query, Add, Delete, Export, Import };

struct SwitchSpec {
    std::string_view name;  // lower case, without the leading '/' or '-'
    bool takesValue;
};

constexpr std::array<SwitchSpec, 3> kQuerySwitches = {{{"v", true}, {"ve", false}, {"s", false}}};
constexpr std::array<SwitchSpec, 6> kAddSwitches = {
    {{"v", true}, {"ve", false}, {"t", true}, {"s", true}, {"d", true}, {"f", false}}};
constexpr std::array<SwitchSpec, 4> kDeleteSwitches = {
    {{"v", true}, {"ve", false}, {"va", false}, {"f", false}}};
constexpr std::array<SwitchSpec, 2> kExportSwitches = {{{"y", false}, {"5", false}}};

struct OperationSpec {
    Operation operation;
    std::string_view name;
    std::span<const SwitchSpec> switches;
    std::size_t positionals;  // KEY, or KEY FILE, or FILE
    bool endsWithFile;        // the last positional is a file name, which may start with '/'
    std::string_view usage;
};

const std::array<OperationSpec, 5> kOperations = {{
    {Operation::Query, "QUERY", kQuerySwitches, 1, false,
     "tunexa-reg QUERY KEY [/v NAME | /ve] [/s]\n"
     "  KEY   ROOT\\Subkey, ROOT one of HKLM HKCU HKCR HKU HKCC (or the long names)\n"
     "  /v    the value NAME only      /ve   the default value only\n"
     "  /s    the key and every key below it\n"},
    {Operation::Add, "ADD", kAddSwitches, 1, false,
     "tunexa-reg ADD KEY [/v NAME | /ve] [/t TYPE] [/s SEPARATOR] [/d DATA] [/f]\n"
     "  /t    REG_SZ (default), REG_EXPAND_SZ, REG_MULTI_SZ, REG_DWORD, REG_QWORD,\n"
     "        REG_DWORD_BIG_ENDIAN, REG_BINARY, REG_NONE\n"
     "  /s    the character that separates the strings of REG_MULTI_SZ data (default \\0)\n"
     "  /d    the data: text; a number for REG_DWORD/REG_QWORD (decimal or 0x hex);\n"
     "        hex digits for REG_BINARY and REG_NONE\n"
     "  /f    overwrite an existing value without asking\n"
     "  Without /v, /ve, /t and /d only the key is created.\n"},
    {Operation::Delete, "DELETE", kDeleteSwitches, 1, false,
     "tunexa-reg DELETE KEY [/v NAME | /ve | /va] [/f]\n"
     "  /v    the value NAME   /ve   the default value   /va   every value of the key\n"
     "  Without any of them the key and everything below it are deleted.\n"
     "  /f    delete without asking\n"},
    {Operation::Export, "EXPORT", kExportSwitches, 2, true,
     "tunexa-reg EXPORT KEY FILE [/y] [/5]\n"
     "  Writes KEY and everything below it as a REGEDIT4 file (Windows-1252, CR LF).\n"
     "  /y    overwrite FILE without asking\n"
     "  /5    write the \"Windows Registry Editor Version 5.00\" form (UTF-16) instead\n"},
    {Operation::Import,
     "IMPORT",
     {},
     1,
     true,
     "tunexa-reg IMPORT FILE\n"
     "  Reads a REGEDIT4 or Version 5.00 file into the store in one transaction.\n"},
}};

struct Context {
    store::Hive& hive;
    std::istream& in;
    std::ostream& out;
    std::ostream& err;
    const OperationSpec* spec = nullptr;
};

struct Arguments {
    std::vector<std::string> positionals;
    std::map<std::string, std::string, std::less<>> switches;  // name -> value ("" for flags)

    bool has(std::string_view name) const { return switches.find(name) != switches.end(); }
    const std::string& value(std::string_view name) const { return switches.find(name)->second; }
};

int refuse(Context& c, std::string_view detail) {
    c.err << "ERROR: Invalid syntax. " << detail << '\n'
          << "Type \"" << kProgram << ' ' << (c.spec ? c.spec->name : "") << (c.spec ? " " : "")
          << "/?\" for usage.\n";
    return 1;
}

int notFound(Context& c) {
    c.err << kNotFound << '\n';
    return 1;
}

int succeed(Context& c) {
    c.out << kSuccess << '\n';
    return 0;
}

int storeFailed(Context& c) {
    const auto& failure = c.hive.lastFailure();
    c.err << "ERROR: Error accessing the registry: "
          << (failure ? failure->message : std::string("the change was not saved")) << '\n';
    return 1;
}

std::string lowerAscii(std::string_view text) {
    std::string out(text);
    for (char& ch : out) {
        if (ch >= 'A' && ch <= 'Z') {
            ch = static_cast<char>(ch - 'A' + 'a');
        }
    }
    return out;
}

// Asks a Yes/No question the way reg.exe does; anything else asks again, no answer is No.
bool confirm(Context& c, const std::string& question) {
    while (true) {
        c.out << question << ' ' << std::flush;
        std::string answer;
        if (!std::getline(c.in, answer)) {
            c.out << '\n';
            return false;
        }
        while (!answer.empty() && (answer.back() == '\r' || answer.back() == ' ')) {
            answer.pop_back();
        }
        const std::string folded = lowerAscii(answer);
        if (folded == "y" || folded == "yes") {
            return true;
        }
        if (folded == "n" || folded == "no") {
            return false;
        }
    }
}

int canceled(Context& c) {
    c.out << kCanceled << '\n';
    return 0;
}

// Argument text to the store's code page; nothing when a character has no place in it.
std::optional<std::string> toStoreText(std::string_view utf8) {
    bool lossless = true;
    std::string text = ansi::fromUtf8(utf8, &lossless);
    if (!lossless) {
        return std::nullopt;
    }
    return text;
}

int refuseText(Context& c, std::string_view what) {
    c.err << "ERROR: " << what
          << " holds characters that the store's code page (Windows-1252) cannot keep.\n";
    return 1;
}

std::string displayName(std::string_view name) {
    return name.empty() ? std::string(kDefaultName) : ansi::toUtf8(name);
}

std::optional<Arguments> parseArguments(Context& c, const std::vector<std::string>& args,
                                        int& exitCode) {
    Arguments parsed;
    for (std::size_t i = 1; i < args.size(); ++i) {
        const std::string& arg = args[i];
        const bool looksLikeSwitch = arg.size() >= 2 && (arg[0] == '/' || arg[0] == '-');
        if (looksLikeSwitch) {
            const std::string name = lowerAscii(std::string_view(arg).substr(1));
            const SwitchSpec* spec = nullptr;
            for (const auto& candidate : c.spec->switches) {
                if (candidate.name == name) {
                    spec = &candidate;
                }
            }
            if (spec != nullptr) {
                if (parsed.has(name)) {
                    exitCode = refuse(c, arg + " is given more than once.");
                    return std::nullopt;
                }
                std::string value;
                if (spec->takesValue) {
                    if (i + 1 >= args.size()) {
                        exitCode = refuse(c, arg + " needs a value after it.");
                        return std::nullopt;
                    }
                    value = args[++i];
                }
                parsed.switches.emplace(name, std::move(value));
                continue;
            }
            const bool fileSlotOpen =
                c.spec->endsWithFile && parsed.positionals.size() + 1 == c.spec->positionals;
            if (!fileSlotOpen) {
                exitCode = refuse(c, "Unknown switch \"" + arg + "\".");
                return std::nullopt;
            }
        }
        if (parsed.positionals.size() >= c.spec->positionals) {
            exitCode = refuse(c, "Too many arguments: \"" + arg + "\".");
            return std::nullopt;
        }
        parsed.positionals.push_back(arg);
    }
    if (parsed.positionals.size() < c.spec->positionals) {
        const bool fileMissing =
            c.spec->endsWithFile && parsed.positionals.size() + 1 == c.spec->positionals;
        exitCode =
            refuse(c, fileMissing ? "The file name is missing." : "The key name is missing.");
        return std::nullopt;
    }
    return parsed;
}

std::optional<KeyName> keyArgument(Context& c, const std::string& text, int& exitCode) {
    const auto converted = toStoreText(text);
    if (!converted) {
        exitCode = refuseText(c, "The key name");
        return std::nullopt;
    }
    KeyNameError why = KeyNameError::None;
    auto key = parseKeyName(*converted, &why);
    if (!key) {
        c.err << (why == KeyNameError::Remote
                      ? "ERROR: Invalid key name. Remote machines are not supported: the store "
                        "is this computer's.\n"
                      : "ERROR: Invalid key name. A key starts with HKLM, HKCU, HKCR, HKU, HKCC "
                        "or their long names (HKEY_LOCAL_MACHINE, ...).\n");
        exitCode = 1;
    }
    return key;
}

// Which value /v or /ve names; "" is the default value. Nothing with neither switch.
struct ValueChoice {
    bool given = false;
    std::string name;
};

std::optional<ValueChoice> valueArgument(Context& c, const Arguments& args, int& exitCode) {
    ValueChoice choice;
    if (args.has("v")) {
        const auto name = toStoreText(args.value("v"));
        if (!name) {
            exitCode = refuseText(c, "The value name");
            return std::nullopt;
        }
        choice = {true, *name};
    } else if (args.has("ve")) {
        choice = {true, ""};
    }
    return choice;
}

// What query, add and delete work on: the key the first argument names and the value /v or /ve
// names. Nothing, with the exit code set, when /v and /ve come together (checked first) or either
// name is refused.
struct ValueTarget {
    KeyName key;
    ValueChoice choice;
};

std::optional<ValueTarget> valueTarget(Context& c, const Arguments& args, int& exitCode) {
    if (args.has("v") && args.has("ve")) {
        exitCode = refuse(c, "/v and /ve cannot be used together.");
        return std::nullopt;
    }
    auto key = keyArgument(c, args.positionals[0], exitCode);
    if (!key) {
        return std::nullopt;
    }
    auto choice = valueArgument(c, args, exitCode);
    if (!choice) {
        return std::nullopt;
    }
    return ValueTarget{std::move(*key), std::move(*choice)};
}

std::string keyDisplay(Context& c, const KeyName& key) {
    const auto stored = c.hive.storedPath(key.root, key.path);
    return ansi::toUtf8(KeyName{key.root, stored ? *stored : key.path}.fullName());
}

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

void walk(store::Hive& hive, store::HKEY root, const std::string& path,
          const std::function<void(const std::string&)>& visit) {
    visit(path);
    for (const auto& child : hive.subkeys(root, path)) {
        walk(hive, root, joinPath(path, child), visit);
    }
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

// How ADD turns /d into data for each type it accepts.
enum class DataForm { Text, MultiText, Dword, DwordBigEndian, Qword, Hex };

struct TypeSpec {
    std::string_view name;
    std::uint32_t code;
    DataForm form;
};

constexpr std::uint32_t kRegQword = 11;

constexpr std::array<TypeSpec, 9> kAddTypes = {{
    {"REG_SZ", store::REG_SZ, DataForm::Text},
    {"REG_EXPAND_SZ", store::REG_EXPAND_SZ, DataForm::Text},
    {"REG_MULTI_SZ", store::REG_MULTI_SZ, DataForm::MultiText},
    {"REG_DWORD", store::REG_DWORD, DataForm::Dword},
    {"REG_DWORD_LITTLE_ENDIAN", store::REG_DWORD, DataForm::Dword},
    {"REG_DWORD_BIG_ENDIAN", store::REG_DWORD_BIG_ENDIAN, DataForm::DwordBigEndian},
    {"REG_QWORD", kRegQword, DataForm::Qword},
    {"REG_BINARY", store::REG_BINARY, DataForm::Hex},
    {"REG_NONE", store::REG_NONE, DataForm::Hex},
}};

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
        return c.hive.createKey(key.root, key.path) ? succeed(c) : storeFailed(c);
    }

    const TypeSpec* type = &kAddTypes[0];
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
    return c.hive.setValue(key.root, key.path, choice.name, type->code, data) ? succeed(c)
                                                                              : storeFailed(c);
}

int remove(Context& c, const Arguments& args) {
    int exitCode = 1;
    if ((args.has("v") ? 1 : 0) + (args.has("ve") ? 1 : 0) + (args.has("va") ? 1 : 0) > 1) {
        return refuse(c, "Use only one of /v, /ve and /va.");
    }
    const auto target = valueTarget(c, args, exitCode);
    if (!target) {
        return exitCode;
    }
    const KeyName& key = target->key;
    const ValueChoice& choice = target->choice;
    if (!c.hive.storedPath(key.root, key.path)) {
        return notFound(c);
    }
    const std::string shownKey = keyDisplay(c, key);
    const bool force = args.has("f");

    if (choice.given) {
        if (!c.hive.getValue(key.root, key.path, choice.name)) {
            return notFound(c);
        }
        if (!force &&
            !confirm(c, "Delete the registry value " + displayName(choice.name) + " (Yes/No)?")) {
            return canceled(c);
        }
        return c.hive.deleteValue(key.root, key.path, choice.name) ? succeed(c) : storeFailed(c);
    }
    if (args.has("va")) {
        if (!force &&
            !confirm(c, "Delete all values under the registry key " + shownKey + " (Yes/No)?")) {
            return canceled(c);
        }
        store::Batch batch(c.hive);
        for (const auto& value : c.hive.values(key.root, key.path)) {
            c.hive.deleteValue(key.root, key.path, value.name);
        }
        return batch.commit() ? succeed(c) : storeFailed(c);
    }
    if (key.path.empty()) {
        c.err << "ERROR: Invalid key name. A root key cannot be deleted.\n";
        return 1;
    }
    if (!force && !confirm(c, "Permanently delete the registry key " + shownKey + " (Yes/No)?")) {
        return canceled(c);
    }
    return c.hive.deleteKeyTree(key.root, key.path) ? succeed(c) : storeFailed(c);
}

// Writes the whole file beside its final name first, so an existing file is either kept or
// replaced, never left half written.
bool writeFileAtomically(const std::filesystem::path& file, const std::string& bytes,
                         std::string& why) {
    std::filesystem::path temporary = file;
    temporary += ".tunexa-reg-" + std::to_string(::getpid());
    {
        std::ofstream stream(temporary, std::ios::binary | std::ios::trunc);
        if (!stream) {
            why = std::strerror(errno);
            return false;
        }
        stream.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        stream.flush();
        if (!stream) {
            why = std::strerror(errno);
            std::error_code ignored;
            std::filesystem::remove(temporary, ignored);
            return false;
        }
    }
    std::error_code error;
    std::filesystem::rename(temporary, file, error);
    if (error) {
        why = error.message();
        std::filesystem::remove(temporary, error);
        return false;
    }
    return true;
}

int exportKey(Context& c, const Arguments& args) {
    int exitCode = 1;
    const auto key = keyArgument(c, args.positionals[0], exitCode);
    if (!key) {
        return exitCode;
    }
    const std::filesystem::path file = args.positionals[1];
    const auto format = args.has("5") ? RegFileFormat::Version5 : RegFileFormat::Regedit4;
    const auto bytes = exportRegFile(c.hive, *key, format);
    if (!bytes || !c.hive.keyExists(key->root, key->path)) {
        return notFound(c);
    }
    std::error_code ignored;
    if (std::filesystem::exists(file, ignored) && !args.has("y")) {
        if (!confirm(c, "File " + args.positionals[1] + " exists, overwrite(Yes/No)?")) {
            return canceled(c);
        }
    }
    std::string why;
    if (!writeFileAtomically(file, *bytes, why)) {
        c.err << "ERROR: Cannot write " << args.positionals[1] << ": " << why << '\n';
        return 1;
    }
    return succeed(c);
}

int importFile(Context& c, const Arguments& args) {
    const std::string& name = args.positionals[0];
    std::ifstream stream(name, std::ios::binary);
    std::ostringstream contents;
    if (!stream || !(contents << stream.rdbuf())) {
        c.err << "ERROR: Error opening the file " << name
              << ". There may be a disk or file system error.\n";
        return 1;
    }
    const auto result = importRegFile(c.hive, contents.str());
    if (!result.recognized) {
        c.err << "ERROR: " << name << " is not a registry script: its first line must be \""
              << kRegedit4Header << "\" or \"" << kVersion5Header << "\". Nothing was imported.\n";
        return 1;
    }
    for (const auto& warning : result.warnings) {
        // Messages quote the file's own text, which is in the store's code page.
        c.err << name << ':' << warning.line << ": " << ansi::toUtf8(warning.message) << '\n';
    }
    if (!result.saved) {
        c.err << "ERROR: Error accessing the registry: " << result.failure
              << ". Nothing was imported.\n";
        return 1;
    }
    if (!result.warnings.empty()) {
        c.err << "ERROR: Not all data was successfully written to the registry: the lines named "
                 "above were skipped or changed; the rest was imported.\n";
        return 1;
    }
    return succeed(c);
}

void printOverview(std::ostream& out) {
    out << "tunexa-reg OPERATION [arguments]\n"
           "  OPERATION is QUERY, ADD, DELETE, EXPORT or IMPORT; switches may start with / or -.\n"
           "  Return code: 0 done, 1 refused or failed.\n"
           "  Type \"tunexa-reg OPERATION /?\" for the arguments of one operation.\n";
}

}  // namespace

std::optional<std::uint32_t> parseDwordArgument(std::string_view text) {
    const auto value = parseUnsigned(text, UINT32_MAX);
    if (!value) {
        return std::nullopt;
    }
    return static_cast<std::uint32_t>(*value);
}

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

int run(store::Hive& hive, const std::vector<std::string>& args, std::istream& in,
        std::ostream& out, std::ostream& err) {
    Context c{hive, in, out, err};
    if (args.empty()) {
        return refuse(c, "An operation is missing.");
    }
    if (args[0] == "/?" || args[0] == "-?") {
        printOverview(out);
        return 0;
    }
    for (const auto& spec : kOperations) {
        if (ansi::equalsIgnoringCase(args[0], spec.name)) {
            c.spec = &spec;
        }
    }
    if (c.spec == nullptr) {
        return refuse(c, "\"" + args[0] +
                             "\" is not an operation tunexa-reg knows: use QUERY, ADD, DELETE, "
                             "EXPORT or IMPORT.");
    }
    for (std::size_t i = 1; i < args.size(); ++i) {
        if (args[i] == "/?" || args[i] == "-?") {
            out << c.spec->usage;
            return 0;
        }
    }
    int exitCode = 1;
    const auto parsed = parseArguments(c, args, exitCode);
    if (!parsed) {
        return exitCode;
    }
    switch (c.spec->operation) {
        case Operation::Query:
            return query(c, *parsed);
        case Operation::Add:
            return add(c, *parsed);
        case Operation::Delete:
            return remove(c, *parsed);
        case Operation::Export:
            return exportKey(c, *parsed);
        case Operation::Import:
            return importFile(c, *parsed);
    }
    return 1;
}

}  // namespace tunexa::regtool
