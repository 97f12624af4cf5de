#pragma once

// Finding a Windows 95/98 installation on drive C:, whose registry files Tunexa can read: the
// Windows folder that C:\MSDOS.SYS names ([Paths], WinDir=), else C:\WINDOWS. A folder counts
// only when it holds SYSTEM.DAT. Names resolve without regard to case, as everywhere on the
// drives, so C:\WINDOWS finds a folder spelled "windows" and SYSTEM.DAT one spelled "system.dat".

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

#include "machine/W9xRegistry.h"
#include "platform/files/Drives.h"

namespace tunexa::machine {

// The WinDir= line of C:\MSDOS.SYS's [Paths] section, as written there; nothing without one.
std::optional<std::string> msdosSysWindowsFolder(const files::Drives& drives = files::Drives());

struct WindowsInstallation {
    std::string windowsPath;           // "C:\WINDOWS", as MSDOS.SYS names it (Windows-1252)
    std::filesystem::path hostFolder;  // the folder on this machine
    std::filesystem::path systemDat;   // its SYSTEM.DAT (HKEY_LOCAL_MACHINE)
    std::optional<std::filesystem::path> userDat;  // its USER.DAT (HKEY_USERS), when there
};

std::optional<WindowsInstallation> findWindowsInstallation(
    const files::Drives& drives = files::Drives());

// The installation's SYSTEM.DAT (HKEY_LOCAL_MACHINE) read through libcreg, wherever drive C:
// keeps it.
W9xReadResult readSystemDat(const WindowsInstallation& windows, const W9xReadOptions& options);

struct FileFacts {
    std::uint64_t size = 0;
    std::int64_t modified = 0;  // seconds since 1970, UTC
};

// The size and time of the installation's SYSTEM.DAT; nothing when it cannot be read.
std::optional<FileFacts> systemDatFacts(const WindowsInstallation& windows);

}  // namespace tunexa::machine
