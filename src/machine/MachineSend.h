#pragma once

// Sending Tunexa's settings to the Windows 95/98 machine on drive C:: every managed value whose
// hive value differs from the machine's SYSTEM.DAT goes into C:\TUNEXA\SEND.REG, and the boot
// batch file gets the block that has the machine's REGEDIT import it at its next start. Both files
// are one recorded change, which undo puts back byte for byte. A send that is refused, or whose
// write fails, leaves drive C: as it was (no new C:\TUNEXA either).

#include <string>
#include <string_view>
#include <vector>

#include "machine/MachineValues.h"
#include "platform/files/Drives.h"
#include "store/Hive.h"

namespace tunexa::machine {

inline constexpr std::string_view kNoWindowsFound =
    "No Windows 95/98 installation was found on drive C:. Drive C: must hold C:\\WINDOWS (or "
    "the folder C:\\MSDOS.SYS names) with its SYSTEM.DAT.";

struct SendReport {
    enum class Outcome { Staged, NothingDiffers, Refused };
    Outcome outcome = Outcome::Refused;
    std::string problem;            // why it was refused (UTF-8)
    std::string windowsPath;        // the machine's Windows folder (Windows-1252), once found
    std::string bootBatch;          // the boot batch file's Windows path (Windows-1252)
    std::vector<ValueOnBoth> sent;  // what SEND.REG holds
    bool blockAdded = false;        // the boot batch file did not run the import yet
    // Nothing differs, and a SEND.REG still waiting was taken back: it would have changed the
    // machine away from Tunexa's settings.
    bool withdrawn = false;
    std::string bansheeNote;
};

// `title` names the recorded change; empty: "Send settings to <Windows folder>".
SendReport sendToMachine(store::Hive& hive, const std::string& title = {},
                         const files::Drives& drives = files::Drives());

// What the send did, line by line (UTF-8).
std::vector<std::string> describeSend(const SendReport& report);

// "    HKEY_LOCAL_MACHINE\...    NAME": the start of a line about one value (UTF-8).
std::string valueLineStart(std::string_view key, std::string_view name);

}  // namespace tunexa::machine
