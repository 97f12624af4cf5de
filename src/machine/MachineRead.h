#pragma once

// "Read from drive C:": the driver settings of the Windows 95/98 installation on drive C: read
// into the hive as one recorded change, for the window and for tunexa-reg alike.

#include <optional>
#include <string>
#include <vector>

#include "machine/MachineRegistry.h"
#include "platform/files/Drives.h"
#include "store/Hive.h"

namespace tunexa::machine {

struct DriveCRead {
    std::optional<WindowsInstallation> windows;  // nothing: no installation on drive C:
    MachineImportReport report;
    bool saved = false;   // read, and the change saved
    std::string failure;  // why not (UTF-8)
};

// `title` names the change; empty: "Read settings from <Windows folder>".
DriveCRead readDriveC(store::Hive& hive, const std::string& title = {},
                      const files::Drives& drives = files::Drives());

// "The settings of C:\WINDOWS were not read: <reason>" (UTF-8).
std::string notReadMessage(const WindowsInstallation& windows, const std::string& reason);

// What was read, line by line (UTF-8): "Read 12 values in 7 keys from C:\WINDOWS\SYSTEM.DAT."
// and the cards the machine holds; or why nothing was.
std::vector<std::string> describeRead(const DriveCRead& read);

}  // namespace tunexa::machine
