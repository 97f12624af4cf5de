#include "MachineRegistry.h"

#include <algorithm>
#include <iterator>
#include <string>

#include "engine/StoreKeys.h"
#include "store/Ansi.h"

namespace tunexa::machine {

using regfile::applyOperations;
using regfile::RegOperation;

namespace {

// The keys of the settings Tunexa manages, and the PCI device list.
std::vector<std::string> machineKeys() {
    std::vector<std::string> keys(std::begin(engine::kMachineSettingKeys),
                                  std::end(engine::kMachineSettingKeys));
    keys.emplace_back(engine::kEnumPciKey);
    return keys;
}

}  // namespace

W9xReadResult readMachineSettings(const WindowsInstallation& windows) {
    W9xReadOptions options;
    options.root = store::HKEY_LOCAL_MACHINE;
    options.subtrees = machineKeys();
    W9xReadResult result = readSystemDat(windows, options);
    const auto& missing = result.missingSubtrees;
    if (result.read() &&
        std::find(missing.begin(), missing.end(), engine::kEnumPciKey) == missing.end()) {
        RegOperation replace;
        replace.kind = RegOperation::Kind::DeleteKey;
        replace.root = store::HKEY_LOCAL_MACHINE;
        replace.key = engine::kEnumPciKey;
        result.operations.insert(result.operations.begin(), std::move(replace));
    }
    return result;
}

std::vector<PciCard> cardsRead(const W9xReadResult& read) {
    const std::string prefix = std::string(engine::kEnumPciKey) + "\\";
    std::vector<std::string> devices;
    for (const RegOperation& operation : read.operations) {
        if (operation.key.size() > prefix.size() &&
            ansi::equalsIgnoringCase(operation.key.substr(0, prefix.size()), prefix)) {
            const std::string device = operation.key.substr(prefix.size());
            devices.push_back(device.substr(0, device.find('\\')));
        }
    }
    return cardsOfPciKeys(devices);
}

MachineImportReport importMachineSettings(store::Hive& hive, const WindowsInstallation& windows) {
    return importMachineSettings(hive, readMachineSettings(windows));
}

MachineImportReport importMachineSettings(store::Hive& hive, const W9xReadResult& read) {
    MachineImportReport report;
    if (!read.read()) {
        report.failure = read.failure;
        return report;
    }
    for (const std::string& key : machineKeys()) {
        const auto& missing = read.missingSubtrees;
        if (std::find(missing.begin(), missing.end(), key) == missing.end()) {
            report.keysFound.emplace_back(key);
        }
    }
    const auto applied = applyOperations(hive, read.operations);
    report.saved = applied.saved;
    report.failure = applied.failure;
    if (report.saved) {
        report.keys = read.keys;
        report.values = read.values;
        report.cards = cardsInHive(hive);
    }
    return report;
}

}  // namespace tunexa::machine
