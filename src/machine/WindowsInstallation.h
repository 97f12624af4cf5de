#pragma once

// Finding a Windows 95/98 installation on drive C:, whose registry files Tunexa can read: the
// Windows folder that C:\MSDOS.SYS names ([Paths], WinDir=), else C:\WINDOWS. A folder counts
// only when it holds SYSTEM.DAT. Names resolve without regard to case, as everywhere on the
// drives, so C:\WINDOWS finds a folder spelled "windows" and SYSTEM.DAT one spelled "system.dat".

#include <filesystem>
#include <optional>
#include <string>

#include "platform/files/Drives.h"

namespace tunexa::machine {

struct WindowsInstallation {
    std::string windowsPath;           // "C:\WINDOWS", as MSDOS.SYS names it (Windows-1252)
    std::filesystem::path hostFolder;  // the folder on this machine
    std::filesystem::path systemDat;   // its SYSTEM.DAT (HKEY_LOCAL_MACHINE)
    std::optional<std::filesystem::path> userDat;  // its USER.DAT (HKEY_USERS), when there
};

std::optional<WindowsInstallation> findWindowsInstallation(
    const files::Drives& drives = files::Drives());

}  // namespace tunexa::machine
