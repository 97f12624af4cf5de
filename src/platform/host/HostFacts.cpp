#include "HostFacts.h"

#include <sys/utsname.h>

#include <fstream>
#include <map>
#include <system_error>
#include <vector>

#include "engine/StoreKeys.h"
#include "store/Ansi.h"
#include "store/Registry.h"

namespace tunexa::host {

namespace {

std::string trim(std::string text) {
    const auto first = text.find_first_not_of(" \t\r\n");
    if (first == std::string::npos) {
        return {};
    }
    const auto last = text.find_last_not_of(" \t\r\n");
    return text.substr(first, last - first + 1);
}

// "key : value" (cpuinfo) or KEY=value / KEY="value" (os-release), first processor only.
std::map<std::string, std::string> readPairs(const std::filesystem::path& file, char separator) {
    std::map<std::string, std::string> pairs;
    std::ifstream in(file);
    std::string line;
    while (std::getline(in, line)) {
        if (separator == ':' && trim(line).empty() && !pairs.empty()) {
            break;  // the end of the first processor's block
        }
        const auto at = line.find(separator);
        if (at == std::string::npos) {
            continue;
        }
        std::string value = trim(line.substr(at + 1));
        if (value.size() >= 2 && value.front() == '"' && value.back() == '"') {
            value = value.substr(1, value.size() - 2);
        }
        pairs.emplace(trim(line.substr(0, at)), value);
    }
    return pairs;
}

std::string kernelRelease() {
    utsname names{};
    return uname(&names) == 0 ? names.release : "";
}

}  // namespace

HostFacts readHostFacts(const std::filesystem::path& cpuinfo,
                        const std::filesystem::path& osRelease) {
    HostFacts facts;
    const auto cpu = readPairs(cpuinfo, ':');
    auto field = [&cpu](const char* name) {
        const auto it = cpu.find(name);
        return it == cpu.end() ? std::string() : it->second;
    };
    facts.cpuVendor = field("vendor_id");
    if (!field("cpu family").empty()) {
        facts.cpuIdentifier = "x86 Family " + field("cpu family") + " Model " + field("model") +
                              " Stepping " + field("stepping");
    }

    const auto os = readPairs(osRelease, '=');
    const auto name = os.find("NAME");
    const auto version = os.find("VERSION_ID");
    facts.systemName = name != os.end() ? name->second : "Linux";
    const std::string kernel = kernelRelease();
    if (version != os.end()) {
        facts.systemVersion = version->second;
        if (!kernel.empty()) {
            facts.systemVersion += " (Linux " + kernel + ")";
        }
    } else {
        facts.systemVersion = kernel;
    }
    return facts;
}

void publishHostFacts(const HostFacts& facts) {
    using namespace store;
    using engine::kProcessorKey;
    using engine::kWindowsVersionKey;
    struct Published {
        std::string_view key;
        const char* name;
        std::string text;
    };
    const Published published[] = {
        {kProcessorKey, "VendorIdentifier", ansi::fromUtf8(facts.cpuVendor)},
        {kProcessorKey, "Identifier", ansi::fromUtf8(facts.cpuIdentifier)},
        {kWindowsVersionKey, "Version", ansi::fromUtf8(facts.systemName)},
        {kWindowsVersionKey, "VersionNumber", ansi::fromUtf8(facts.systemVersion)},
    };
    // Written only where something changed: most starts then cost no write (and no sync).
    std::vector<const Published*> stale;
    for (const auto& value : published) {
        if (RegGetString(HKEY_LOCAL_MACHINE, value.key, value.name) != value.text) {
            stale.push_back(&value);
        }
    }
    const bool bootDirMissing =
        !RegGetString(HKEY_LOCAL_MACHINE, engine::kSetupKey, engine::kBootDirValue);
    if (stale.empty() && !bootDirMissing) {
        return;
    }
    Batch batch;
    for (const Published* value : stale) {
        RegSetString(HKEY_LOCAL_MACHINE, value->key, value->name, value->text);
    }
    if (bootDirMissing) {
        RegSetString(HKEY_LOCAL_MACHINE, engine::kSetupKey, engine::kBootDirValue,
                     engine::kDefaultBootDir);
    }
    batch.commit();
}

std::filesystem::path runningProgramPath() {
    std::error_code ec;
    auto path = std::filesystem::read_symlink("/proc/self/exe", ec);
    return ec ? std::filesystem::path() : path;
}

}  // namespace tunexa::host
