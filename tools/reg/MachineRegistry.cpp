#include "MachineRegistry.h"

#include <algorithm>
#include <array>
#include <string>

#include "store/Ansi.h"

namespace tunexa::regtool {

namespace {

// The card keys Tunexa manages, Matrox and Unreal, the display class (the Banshee's clocks) and
// the PCI device list.
constexpr std::array<std::string_view, 7> kMachineKeys = {
    "Software\\NVIDIA Corporation\\Riva TNT",
    "Software\\3Dfx Interactive",
    "Software\\Diamond\\D3D",
    "Software\\Matrox\\PowerDesk",
    "Software\\Microsoft\\UnrealD3D",
    "System\\CurrentControlSet\\Services\\Class\\Display",
    kEnumPci,
};

}  // namespace

W9xReadResult readMachineSettings(const files::WindowsInstallation& windows) {
    W9xReadOptions options;
    options.root = store::HKEY_LOCAL_MACHINE;
    options.subtrees.assign(kMachineKeys.begin(), kMachineKeys.end());
    W9xReadResult result = readW9xRegistry(windows.systemDat, options);
    const auto& missing = result.missingSubtrees;
    if (result.read() && std::find(missing.begin(), missing.end(), kEnumPci) == missing.end()) {
        RegOperation replace;
        replace.kind = RegOperation::Kind::DeleteKey;
        replace.root = store::HKEY_LOCAL_MACHINE;
        replace.key = kEnumPci;
        result.operations.insert(result.operations.begin(), std::move(replace));
    }
    return result;
}

std::vector<PciCard> cardsRead(const W9xReadResult& read) {
    const std::string prefix = std::string(kEnumPci) + "\\";
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

MachineImportReport importMachineSettings(store::Hive& hive,
                                          const files::WindowsInstallation& windows) {
    MachineImportReport report;
    const W9xReadResult read = readMachineSettings(windows);
    if (!read.read()) {
        report.failure = read.failure;
        return report;
    }
    for (const auto key : kMachineKeys) {
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

}  // namespace tunexa::regtool
