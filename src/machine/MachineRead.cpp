#include "machine/MachineRead.h"

#include "machine/MachineSend.h"
#include "store/Ansi.h"
#include "store/Changes.h"

namespace tunexa::machine {

DriveCRead readDriveC(store::Hive& hive, const std::string& title, const files::Drives& drives) {
    DriveCRead read;
    read.windows = findWindowsInstallation(drives);
    if (!read.windows) {
        read.failure = kNoWindowsFound;
        return read;
    }
    const std::string shown = ansi::toUtf8(read.windows->windowsPath);
    {
        store::Change change(hive, title.empty() ? "Read settings from " + shown : title);
        read.report = importMachineSettings(hive, *read.windows);
        read.saved = read.report.saved && change.commit();
    }
    if (!read.saved) {
        read.failure =
            notReadMessage(*read.windows, read.report.failure.empty() ? hive.lastFailureMessage()
                                                                      : read.report.failure);
    }
    return read;
}

std::string notReadMessage(const WindowsInstallation& windows, const std::string& reason) {
    return "The settings of " + ansi::toUtf8(windows.windowsPath) + " were not read: " + reason;
}

std::vector<std::string> describeRead(const DriveCRead& read) {
    if (!read.saved) {
        return {read.failure};
    }
    std::vector<std::string> lines = {"Read " + std::to_string(read.report.values) + " values in " +
                                      std::to_string(read.report.keys) + " keys from " +
                                      ansi::toUtf8(read.windows->windowsPath) + "\\SYSTEM.DAT."};
    if (!read.report.cards.empty()) {
        std::string names;
        for (const PciCard card : read.report.cards) {
            names += (names.empty() ? "" : ", ") + std::string(pciCardName(card));
        }
        lines.push_back("Cards the machine holds: " + names + ".");
    }
    return lines;
}

}  // namespace tunexa::machine
