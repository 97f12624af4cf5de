// IMPORT: a regedit file into the store in one transaction, reporting each skipped line.
#include <cstdio>
#include <memory>
#include <optional>
#include <ostream>

#include "CommandSupport.h"
#include "Importer.h"
#include "store/Ansi.h"

namespace tunexa::regtool {

namespace {

using namespace command;

// The file's bytes, an empty file included; nothing when it cannot be opened or read.
std::optional<std::string> readWholeFile(const std::string& name) {
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::fopen(name.c_str(), "rb"),
                                                         std::fclose);
    if (!file) {
        return std::nullopt;
    }
    std::string bytes;
    char buffer[65536];
    while (const std::size_t got = std::fread(buffer, 1, sizeof buffer, file.get())) {
        bytes.append(buffer, got);
    }
    if (std::ferror(file.get())) {
        return std::nullopt;
    }
    return bytes;
}

int importFile(Context& c, const Arguments& args) {
    const std::string& name = args.positionals[0];
    const auto contents = readWholeFile(name);
    if (!contents) {
        c.err << "ERROR: Error opening the file " << name
              << ". There may be a disk or file system error.\n";
        return 1;
    }
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

}  // namespace

namespace command {

extern const OperationSpec kImportOperation = {
    .name = "IMPORT",
    .switches = {},
    .positionals = 1,
    .fileAt = 0,
    .usage =
        "tunexa-reg IMPORT FILE\n"
        "  Reads a REGEDIT4 or Version 5.00 file into the store in one transaction.\n",
    .run = importFile};

}  // namespace command

}  // namespace tunexa::regtool
