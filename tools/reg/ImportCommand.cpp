// IMPORT: a regedit file into the store in one transaction, reporting each skipped line.
#include <fstream>
#include <ostream>
#include <sstream>

#include "CommandSupport.h"
#include "Importer.h"
#include "store/Ansi.h"

namespace tunexa::regtool {

namespace {

using namespace command;

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
