// EXPORT: a key and everything below it as a regedit file, replacing a file only atomically.
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>

#include "CommandSupport.h"
#include "Exporter.h"

namespace tunexa::regtool {

namespace {

using namespace command;

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

constexpr std::array<SwitchSpec, 2> kSwitches = {{{"y", false}, {"5", false}}};

}  // namespace

namespace command {

extern const OperationSpec kExportOperation = {
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
