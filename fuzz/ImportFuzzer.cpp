// Feeds arbitrary bytes to the regedit-file importer on a hive in a private temporary folder.
// Beyond "no crash, leak or undefined behaviour" it checks one property on everything that
// landed: its export imports again without a warning and exports to the same bytes.
// Bytes that start with "CREG" go to the Windows 95/98 registry reader instead (through a file,
// as libcreg reads files), whose operations must keep within the registry's limits.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <set>
#include <string>
#include <string_view>
#include <system_error>

#include "machine/W9xRegistry.h"
#include "regfile/Exporter.h"
#include "regfile/Importer.h"
#include "store/KeyPath.h"
#include "store/Registry.h"

// libcreg leaks a 24-byte data-block entry when it gives up on some damaged files (a bare C
// program that frees everything shows it too); every leak of ours is still reported.
extern "C" const char* __lsan_default_suppressions() {
    return "leak:libcreg_data_block_entry_initialize\n";
}

namespace {

using namespace tunexa;

std::filesystem::path& dataFolder() {
    static std::filesystem::path folder;
    return folder;
}

void removeDataFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(dataFolder(), ignored);
}

[[noreturn]] void propertyFailed(const char* what) {
    std::fprintf(stderr, "fuzz_import: %s\n", what);
    std::abort();
}

std::string exportAll(store::Hive& hive, const std::set<store::HKEY>& roots) {
    std::string all;
    for (const auto root : roots) {
        all += *regfile::exportRegFile(hive, {root, ""});
    }
    return all;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    std::string pattern = (std::filesystem::temp_directory_path() / "tunexa-fuzz-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) {
        std::perror("mkdtemp");
        std::abort();
    }
    dataFolder() = pattern;
    std::atexit(removeDataFolder);
    setenv("XDG_DATA_HOME", pattern.c_str(), 1);
    if (store::currentHive().report().outcome != store::OpenOutcome::Created) {
        propertyFailed("the temporary hive could not be created");
    }
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    auto& hive = store::currentHive();
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);

    if (machine::startsWithW9xSignature(bytes)) {
        const auto file = dataFolder() / "input.dat";
        std::ofstream(file, std::ios::binary | std::ios::trunc) << bytes;
        const auto read = machine::readW9xRegistry(file, {});
        for (const auto& op : read.operations) {
            if (store::keyPathRefusal(op.key) || store::valueNameRefusal(op.name)) {
                propertyFailed("a registry file gave a name beyond the registry's limits");
            }
        }
        hive.beginBatch();
        regfile::applyOperations(hive, read.operations);
        hive.rollbackBatch();
        return 0;
    }

    // Everything happens inside one outer batch that is rolled back, so each input starts from
    // an empty hive and nothing is ever synced to disk.
    hive.beginBatch();
    const auto result = regfile::importRegFile(hive, bytes);
    if (result.saved) {
        std::set<store::HKEY> roots;
        for (const auto& op : regfile::parseRegFile(bytes).operations) {
            roots.insert(op.root);
        }
        const std::string first = exportAll(hive, roots);
        for (const auto root : roots) {
            const auto file = *regfile::exportRegFile(hive, {root, ""});
            const auto parsed = regfile::parseRegFile(file);
            if (!parsed.recognized || !parsed.warnings.empty()) {
                propertyFailed("an exported file does not import cleanly");
            }
            hive.deleteKeyTree(root, "");
            if (!regfile::importRegFile(hive, file).saved) {
                propertyFailed("an exported file could not be imported");
            }
        }
        if (exportAll(hive, roots) != first) {
            propertyFailed("export, import and export again changed the file");
        }
    }
    hive.rollbackBatch();
    return 0;
}
