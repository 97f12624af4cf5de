#pragma once

// Finding a Windows 95/98 installation on drive C:, whose registry files Tunexa can read: the
// Windows folder that C:\MSDOS.SYS names ([Paths], WinDir=), else C:\WINDOWS. A folder counts
// only when it holds SYSTEM.DAT. Drive C: may be a host folder or an emulator's disk image; its
// files are reached through the drive alone, and names resolve without regard to case, so
// C:\WINDOWS finds a folder spelled "windows" and SYSTEM.DAT one spelled "system.dat".

#include <memory>
#include <optional>
#include <string>

#include "machine/W9xRegistry.h"
#include "platform/files/Drives.h"

namespace tunexa::machine {

struct WindowsInstallation {
    std::string windowsPath;    // "C:\WINDOWS", as MSDOS.SYS names it (Windows-1252)
    std::string systemDatPath;  // "C:\WINDOWS\system.dat": the file's name as the drive spells it
    std::optional<std::string> userDatPath;  // its USER.DAT (HKEY_USERS), when there
    // The WinDir= line of C:\MSDOS.SYS's [Paths] section, as written there, when it has one; and
    // whether this is that folder rather than C:\WINDOWS, searched when it held no SYSTEM.DAT.
    std::optional<std::string> msdosSysWinDir;
    bool namedByMsdosSys = false;
    // Drive C: (a folder or a disk image), through which the files are read, and SYSTEM.DAT
    // (HKEY_LOCAL_MACHINE) as found on it.
    std::shared_ptr<files::Drive> drive;
    files::ResolvedPath systemDat;
};

std::optional<WindowsInstallation> findWindowsInstallation(
    const files::Drives& drives = files::Drives());

// The installation's SYSTEM.DAT (HKEY_LOCAL_MACHINE) read through libcreg, wherever drive C:
// keeps it: from a disk image with one mtools read into memory, no temporary file. A failure
// gives the reason alone, without the file's name.
W9xReadResult readSystemDat(const WindowsInstallation& windows, const W9xReadOptions& options);

using FileFacts = files::FileFacts;

// The size and time of the installation's SYSTEM.DAT (on a disk image, from its FAT directory
// entry, to the minute); nothing when it cannot be read.
std::optional<FileFacts> systemDatFacts(const WindowsInstallation& windows);

}  // namespace tunexa::machine
