// IMPORT: a regedit file into the store in one transaction, reporting each skipped line.
#include <algorithm>
#include <array>
#include <charconv>
#include <cstdio>
#include <limits>
#include <memory>
#include <optional>
#include <ostream>

#include "CommandSupport.h"
#include "machine/W9xRegistry.h"
#include "regfile/Importer.h"
#include "store/Ansi.h"

namespace tunexa::regtool {

namespace {

using namespace command;
using namespace machine;
using namespace regfile;

// The file's first `limit` bytes (the whole of a shorter file, an empty one included); nothing
// when it cannot be opened or read.
std::optional<std::string> readFile(const std::string& name, std::size_t limit) {
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::fopen(name.c_str(), "rb"),
                                                         std::fclose);
    if (!file) {
        return std::nullopt;
    }
    std::string bytes;
    char buffer[65536];
    while (bytes.size() < limit) {
        const std::size_t got =
            std::fread(buffer, 1, std::min(sizeof buffer, limit - bytes.size()), file.get());
        if (got == 0) {
            break;
        }
        bytes.append(buffer, got);
    }
    if (std::ferror(file.get())) {
        return std::nullopt;
    }
    return bytes;
}

// The root /root names (HKLM or HKU, long or short); nothing for any other.
std::optional<store::HKEY> chosenRoot(const std::string& text) {
    const auto root = rootFromAnyName(text);
    if (root == store::HKEY_LOCAL_MACHINE || root == store::HKEY_USERS) {
        return root;
    }
    return std::nullopt;
}

std::optional<int> chosenCodepage(const std::string& text) {
    int codepage = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), codepage);
    if (error != std::errc() || end != text.data() + text.size() || codepage <= 0) {
        return std::nullopt;
    }
    return codepage;
}

// SYSTEM.DAT or USER.DAT: read whole (or the subtree KEY names) through libcreg, then applied
// in one transaction; a damaged file imports nothing.
int importW9xFile(Context& c, const Arguments& args) {
    const std::string& name = args.positionals[0];
    W9xReadOptions options;
    options.root = defaultW9xRoot(name);
    if (args.has("root")) {
        const auto root = chosenRoot(args.value("root"));
        if (!root) {
            return refuse(c, "/root takes HKLM or HKU.");
        }
        options.root = *root;
    }
    if (args.has("codepage")) {
        const auto codepage = chosenCodepage(args.value("codepage"));
        if (!codepage) {
            return refuse(c, "/codepage takes a Windows code page number, such as 1252.");
        }
        options.codepage = *codepage;
    }
    KeyName target{options.root, ""};
    if (args.positionals.size() > 1) {
        int exitCode = 1;
        const auto key = keyArgument(c, args.positionals[1], exitCode);
        if (!key) {
            return exitCode;
        }
        if (key->root != options.root) {
            c.err << "ERROR: " << args.positionals[1] << " is not under "
                  << longRootName(options.root) << ", where " << name
                  << " goes; /root:HKLM or /root:HKU chooses the root.\n";
            return 1;
        }
        target = *key;
        if (!key->path.empty()) {
            options.subtrees.push_back(key->path);
        }
    }

    const auto read = readW9xRegistry(name, options);
    switch (read.outcome) {
        case W9xReadOutcome::Read:
            break;
        case W9xReadOutcome::CannotOpen:
            c.err << "ERROR: " << name
                  << " cannot be read as a Windows 95/98 registry file: " << read.failure
                  << ". Nothing was imported.\n";
            return 1;
        case W9xReadOutcome::Damaged:
        case W9xReadOutcome::NoRootKey: {
            c.err << "ERROR: " << name << " is damaged, so nothing was imported:\n";
            std::string_view rest = read.failure;
            while (!rest.empty()) {
                const auto end = std::min(rest.find('\n'), rest.size());
                c.err << "  " << rest.substr(0, end) << '\n';
                rest.remove_prefix(std::min(end + 1, rest.size()));
            }
            return 1;
        }
    }
    if (!read.missingSubtrees.empty()) {
        c.err << "ERROR: " << name << " holds no key " << ansi::toUtf8(target.fullName())
              << ". Nothing was imported.\n";
        return 1;
    }
    beginChange(c);
    if (!applyOperations(c.hive, read.operations).saved) {
        return storeFailed(c);
    }
    for (const auto& warning : read.warnings) {
        c.err << name << ": " << ansi::toUtf8(warning) << '\n';
    }
    c.out << "Imported " << read.keys << (read.keys == 1 ? " key" : " keys") << " and "
          << read.values << (read.values == 1 ? " value" : " values") << " from " << name
          << " (a Windows 95/98 registry file) into " << keyDisplay(c, target) << ".\n";
    if (!read.warnings.empty()) {
        if (!saveChange(c)) {
            return 1;
        }
        c.err << "ERROR: Not all data was successfully written to the registry: the names "
                 "above were skipped or changed; the rest was imported.\n";
        return 1;
    }
    return succeed(c);
}

int cannotRead(Context& c, const std::string& name) {
    c.err << "ERROR: Error opening the file " << name
          << ". There may be a disk or file system error.\n";
    return 1;
}

int importFile(Context& c, const Arguments& args) {
    const std::string& name = args.positionals[0];
    // Only the signature decides the kind: libcreg reads a registry file itself.
    const auto signature = readFile(name, kW9xSignature.size());
    if (!signature) {
        return cannotRead(c, name);
    }
    if (startsWithW9xSignature(*signature)) {
        return importW9xFile(c, args);
    }
    if (args.positionals.size() > 1 || args.has("root") || args.has("codepage")) {
        return refuse(c,
                      "A KEY, /root and /codepage are for Windows 95/98 registry files "
                      "(SYSTEM.DAT, USER.DAT); " +
                          name + " is not one.");
    }
    const auto contents = readFile(name, std::numeric_limits<std::size_t>::max());
    if (!contents) {
        return cannotRead(c, name);
    }
    beginChange(c);
    const auto result = importRegFile(c.hive, *contents);
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
        return storeFailed(c);
    }
    if (!result.warnings.empty()) {
        if (!saveChange(c)) {
            return 1;
        }
        c.err << "ERROR: Not all data was successfully written to the registry: the lines named "
                 "above were skipped or changed; the rest was imported.\n";
        return 1;
    }
    return succeed(c);
}

constexpr std::array<Switch, 2> kSwitches = {{{"root", true, true}, {"codepage", true, true}}};

}  // namespace

namespace command {

extern const Operation kImportOperation = {
    .name = "IMPORT",
    .switches = kSwitches,
    .optionalPositionals = 1,
    .fileAt = 0,
    .usage =
        "tunexa-reg IMPORT FILE [KEY] [/root:HKLM | /root:HKU] [/codepage:N]\n"
        "  Reads a REGEDIT4 or Version 5.00 file into the store in one transaction.\n"
        "  A Windows 95/98 registry file (SYSTEM.DAT, USER.DAT) is read whole, or only KEY\n"
        "  and everything below it, into HKEY_USERS for USER.DAT and HKEY_LOCAL_MACHINE\n"
        "  for any other name:\n"
        "  /root      the root to read it into instead\n"
        "  /codepage  the code page of its names (default 1252, Windows Western)\n",
    .run = importFile,
    .records = true,
    .notDone = "Nothing was imported."};

}  // namespace command

}  // namespace tunexa::regtool
