#include "machine/WindowsInstallation.h"

#include <algorithm>
#include <string_view>

#include "store/Ansi.h"

namespace tunexa::machine {

namespace {

constexpr std::string_view kMsdosSys = "C:\\MSDOS.SYS";
constexpr std::string_view kDefaultWindows = "C:\\WINDOWS";
// MSDOS.SYS is a few hundred bytes of text; a larger file is not that text.
constexpr std::size_t kMsdosSysLimit = 64 * 1024;

std::string_view trimmed(std::string_view text) {
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos) {
        return {};
    }
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

// WinDir= of the [Paths] section, as Windows 95/98 write it; nothing when the file or the line
// is missing.
std::optional<std::string> windowsFolderFromMsdosSys(const files::Drives& drives) {
    const auto content = drives.readFile(kMsdosSys);
    if (!content || !content->has_value()) {
        return std::nullopt;
    }
    bool inPaths = false;
    std::string_view rest = std::string_view(**content).substr(0, kMsdosSysLimit);
    while (!rest.empty()) {
        const auto end = std::min(rest.find_first_of("\r\n"), rest.size());
        const std::string_view line = trimmed(rest.substr(0, end));
        rest.remove_prefix(std::min(end + 1, rest.size()));
        if (line.starts_with('[')) {
            inPaths = ansi::equalsIgnoringCase(line, "[Paths]");
            continue;
        }
        const auto equals = line.find('=');
        if (inPaths && equals != std::string_view::npos &&
            ansi::equalsIgnoringCase(trimmed(line.substr(0, equals)), "WinDir")) {
            const std::string_view folder = trimmed(line.substr(equals + 1));
            if (!folder.empty()) {
                return std::string(folder);
            }
        }
    }
    return std::nullopt;
}

// The file of that name in the folder, as the drive spells it; nothing when there is no such file.
std::optional<files::ResolvedPath> fileIn(files::Drive& drive, files::DriveNames folder,
                                          std::string_view name) {
    folder.emplace_back(name);
    auto resolved = drive.resolve(folder);
    return resolved && resolved->isFile() ? std::optional(std::move(*resolved)) : std::nullopt;
}

std::optional<WindowsInstallation> installationIn(const files::Drives& drives,
                                                  std::string_view windowsPath) {
    const auto parsed = files::parseWindowsPath(windowsPath);
    auto folder = drives.open(windowsPath);
    if (!parsed || !folder) {
        return std::nullopt;
    }
    auto systemDat = fileIn(*folder->drive, folder->names, "SYSTEM.DAT");
    if (!systemDat) {
        return std::nullopt;
    }
    WindowsInstallation found;
    found.windowsPath = std::string(1, parsed->letter) + ":";
    for (const auto& name : parsed->names) {
        found.windowsPath += "\\" + name;
    }
    found.systemDatPath = found.windowsPath + "\\" + systemDat->names.back();
    if (const auto userDat = fileIn(*folder->drive, folder->names, "USER.DAT")) {
        found.userDatPath = found.windowsPath + "\\" + userDat->names.back();
    }
    found.drive = std::move(folder->drive);
    found.systemDat = std::move(*systemDat);
    return found;
}

}  // namespace

std::optional<WindowsInstallation> findWindowsInstallation(const files::Drives& drives) {
    const auto named = windowsFolderFromMsdosSys(drives);
    if (named) {
        if (auto found = installationIn(drives, *named)) {
            found->msdosSysWinDir = named;
            found->namedByMsdosSys = true;
            return found;
        }
    }
    auto found = installationIn(drives, kDefaultWindows);
    if (found) {
        found->msdosSysWinDir = named;
    }
    return found;
}

W9xReadResult readSystemDat(const WindowsInstallation& windows, const W9xReadOptions& options) {
    const auto bytes = windows.drive
                           ? windows.drive->readResolvedFile(windows.systemDat)
                           : files::Result<files::FileContent>::failure("drive C: is not open");
    if (!bytes || !bytes->has_value()) {
        W9xReadResult result;
        // The reason alone: callers say which file could not be read.
        result.failure = bytes ? "it is no longer there" : bytes.error();
        return result;
    }
    return readW9xRegistryBytes(**bytes, options);
}

std::optional<FileFacts> systemDatFacts(const WindowsInstallation& windows) {
    if (!windows.drive) {
        return std::nullopt;
    }
    const auto facts = windows.drive->fileFacts(windows.systemDat.names);
    return facts ? *facts : std::nullopt;
}

}  // namespace tunexa::machine
