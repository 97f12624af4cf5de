// EXPORT: a key and everything below it as a regedit file, replacing a file only atomically.
#include <array>
#include <filesystem>

#include "CommandSupport.h"
#include "platform/files/TextFiles.h"
#include "regfile/Exporter.h"
#include "store/Registry.h"

namespace tunexa::regtool {

namespace {

using namespace command;
using namespace regfile;

int exportKey(Context& c, const Arguments& args) {
    int exitCode = 1;
    const auto key = keyArgument(c, args.positionals[0], exitCode);
    if (!key) {
        return exitCode;
    }
    const std::filesystem::path file = args.positionals[1];
    const auto format = args.has("5") ? RegFileFormat::Version5 : RegFileFormat::Regedit4;
    const store::FailureWatch watch(c.hive);
    const auto bytes = exportRegFile(c.hive, *key, format);
    if (watch.failed()) {
        return storeFailed(c);  // part of the tree could not be read
    }
    if (!bytes) {
        return notFound(c);
    }
    std::error_code ignored;
    if (std::filesystem::exists(file, ignored) && !args.has("y")) {
        if (!confirm(c, "File " + args.positionals[1] + " exists, overwrite(Yes/No)?")) {
            return canceled(c);
        }
    }
    if (const auto written = files::replaceFileAtomically(file, *bytes); !written) {
        c.err << "ERROR: Cannot write " << args.positionals[1] << ": " << written.error() << '\n';
        return 1;
    }
    return succeed(c);
}

constexpr std::array<Switch, 2> kSwitches = {{{"y", false}, {"5", false}}};

}  // namespace

namespace command {

extern const Operation kExportOperation = {
    .name = "EXPORT",
    .switches = kSwitches,
    .positionals = 2,
    .fileAt = 1,
    .usage =
        "tunexa-reg EXPORT KEY FILE [/y] [/5]\n"
        "  Writes KEY and everything below it as a REGEDIT4 file (Windows-1252, CR LF).\n"
        "  /y    overwrite FILE without asking\n"
        "  /5    write the \"Windows Registry Editor Version 5.00\" form (UTF-16) instead\n",
    .run = exportKey};

}  // namespace command

}  // namespace tunexa::regtool
