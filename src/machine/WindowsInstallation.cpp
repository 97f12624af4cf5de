#include "machine/WindowsInstallation.h"

#include <sys/stat.h>

#include <algorithm>
#include <fstream>
#include <string_view>
#include <vector>

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
    const auto host = drives.toHost(kMsdosSys);
    if (!host) {
        return std::nullopt;
    }
    std::ifstream stream(*host, std::ios::binary);
    std::string text(kMsdosSysLimit, '\0');
    stream.read(text.data(), static_cast<std::streamsize>(text.size()));
    text.resize(static_cast<std::size_t>(stream.gcount()));
    bool inPaths = false;
    std::string_view rest = text;
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

std::optional<WindowsInstallation> installationIn(const files::Drives& drives,
                                                  std::string_view windowsPath) {
    const auto parsed = files::parseWindowsPath(windowsPath);
    const auto folder = drives.toHost(windowsPath);
    std::error_code error;
    if (!parsed || !folder || !std::filesystem::is_directory(*folder, error)) {
        return std::nullopt;
    }
    const auto systemDat = files::findEntryIgnoringCase(*folder, "SYSTEM.DAT");
    if (!systemDat || !std::filesystem::is_regular_file(*folder / *systemDat, error)) {
        return std::nullopt;
    }
    std::string normalized = std::string(1, parsed->letter) + ":";
    for (const auto& name : parsed->names) {
        normalized += "\\" + name;
    }
    WindowsInstallation found{normalized, *folder, *folder / *systemDat, std::nullopt};
    if (const auto userDat = files::findEntryIgnoringCase(*folder, "USER.DAT")) {
        found.userDat = *folder / *userDat;
    }
    return found;
}

}  // namespace

std::optional<std::string> msdosSysWindowsFolder(const files::Drives& drives) {
    return windowsFolderFromMsdosSys(drives);
}

std::optional<WindowsInstallation> findWindowsInstallation(const files::Drives& drives) {
    std::vector<std::string> candidates;
    if (auto named = windowsFolderFromMsdosSys(drives)) {
        candidates.push_back(std::move(*named));
    }
    candidates.emplace_back(kDefaultWindows);
    for (const auto& candidate : candidates) {
        if (auto found = installationIn(drives, candidate)) {
            return found;
        }
    }
    return std::nullopt;
}

W9xReadResult readSystemDat(const WindowsInstallation& windows, const W9xReadOptions& options) {
    return readW9xRegistry(windows.systemDat, options);
}

std::optional<FileFacts> systemDatFacts(const WindowsInstallation& windows) {
    struct stat info {};
    if (::stat(windows.systemDat.c_str(), &info) != 0) {
        return std::nullopt;
    }
    return FileFacts{static_cast<std::uint64_t>(info.st_size),
                     static_cast<std::int64_t>(info.st_mtime)};
}

}  // namespace tunexa::machine
