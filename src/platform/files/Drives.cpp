#include "platform/files/Drives.h"

#include <dirent.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <system_error>

#include "platform/files/FolderDrive.h"
#include "platform/files/ImageDrive.h"
#include "store/Ansi.h"

namespace tunexa::files {

namespace fs = std::filesystem;

namespace {

// Characters a Windows file name cannot hold (besides the separators and control characters).
constexpr std::string_view kForbiddenInNames = "<>:\"|?*";

bool isAsciiLetter(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

char upper(char c) {
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

char lower(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool entryExists(const fs::path& path) {
    struct stat info {};
    return ::lstat(path.c_str(), &info) == 0;
}

std::string quoted(std::string_view ansiPath) {
    std::string text(1, '"');
    text += ansi::toUtf8(ansiPath);
    text += '"';
    return text;
}

}  // namespace

fs::path defaultDataRoot() {
    if (const char* data = std::getenv("XDG_DATA_HOME"); data != nullptr && *data == '/') {
        return fs::path(data) / "tunexa";
    }
    const char* home = std::getenv("HOME");
    if (home == nullptr || *home == '\0') {
        const passwd* user = ::getpwuid(::getuid());
        home = user != nullptr ? user->pw_dir : "/";
    }
    return fs::path(home) / ".local" / "share" / "tunexa";
}

Result<WindowsPath> parseWindowsPath(std::string_view text) {
    const bool separatorAt2 = text.size() >= 3 && (text[2] == '\\' || text[2] == '/');
    if (!(text.size() >= 3 && isAsciiLetter(text[0]) && text[1] == ':' && separatorAt2)) {
        return Result<WindowsPath>::failure(quoted(text) +
                                            " is not a Windows path: it must start with a drive "
                                            "letter, a colon and a backslash, like C:\\");
    }
    WindowsPath parsed;
    parsed.letter = upper(text[0]);
    std::size_t start = 3;
    while (start <= text.size()) {
        std::size_t end = text.find_first_of("\\/", start);
        if (end == std::string_view::npos) {
            end = text.size();
        }
        const std::string_view name = text.substr(start, end - start);
        start = end + 1;
        if (name.empty() || name == ".") {
            continue;
        }
        if (name == "..") {
            if (!parsed.names.empty()) {
                parsed.names.pop_back();
            }
            continue;
        }
        for (const char c : name) {
            if (static_cast<unsigned char>(c) < 0x20 ||
                kForbiddenInNames.find(c) != std::string_view::npos) {
                return Result<WindowsPath>::failure(
                    quoted(text) + " is not a valid Windows path: the name " + quoted(name) +
                    (static_cast<unsigned char>(c) < 0x20
                         ? std::string(" holds a control character")
                         : " holds the character " + std::string(1, c)));
            }
        }
        parsed.names.emplace_back(name);
    }
    return Result<WindowsPath>::success(std::move(parsed));
}

std::optional<std::string> hostNameToAnsi(std::string_view hostName) {
    bool ascii = true;
    for (const char c : hostName) {
        if (static_cast<unsigned char>(c) >= 0x80) {
            ascii = false;
        } else if (c == '\\') {
            return std::nullopt;
        }
    }
    if (ascii) {
        return std::string(hostName);
    }
    bool lossless = true;
    std::string converted = ansi::fromUtf8(hostName, &lossless);
    if (!lossless) {
        return std::nullopt;
    }
    return converted;
}

std::optional<std::string> findEntryIgnoringCase(const fs::path& folder,
                                                 std::string_view ansiName) {
    const std::string exact = ansi::toUtf8(ansiName);
    if (entryExists(folder / exact)) {
        return exact;
    }
    DIR* dir = ::opendir(folder.c_str());
    if (dir == nullptr) {
        return std::nullopt;
    }
    std::optional<std::string> best;
    std::string bestAnsi;
    while (const dirent* entry = ::readdir(dir)) {
        const std::string_view name = entry->d_name;
        if (name == "." || name == "..") {
            continue;
        }
        const auto converted = hostNameToAnsi(name);
        if (!converted || !ansi::equalsIgnoringCase(*converted, ansiName)) {
            continue;
        }
        if (!best || ansi::lessIgnoringCase(*converted, bestAnsi)) {
            best = std::string(name);
            bestAnsi = *converted;
        }
    }
    ::closedir(dir);
    return best;
}

Drives::Drives(fs::path dataRoot) : dataRoot_(std::move(dataRoot)) {}

Status Drives::ensureDriveC() const {
    std::error_code error;
    fs::create_directories(dataRoot_ / "drive_c", error);
    if (!error) {
        fs::create_directories(dosdevices(), error);
    }
    if (error) {
        return Status::failure("Cannot make drive C: under " + dataRoot_.string() + ": " +
                               error.message());
    }
    const fs::path link = dosdevices() / "c:";
    if (!entryExists(link) && ::symlink("../drive_c", link.c_str()) != 0 && errno != EEXIST) {
        return Status::failure("Cannot make drive C: (" + link.string() +
                               "): " + std::strerror(errno));
    }
    return Status::success();
}

std::optional<fs::path> Drives::driveRoot(char letter) const {
    if (!isAsciiLetter(letter)) {
        return std::nullopt;
    }
    if (lower(letter) == 'c') {
        ensureDriveC();
    }
    for (const char spelling : {lower(letter), upper(letter)}) {
        fs::path root = dosdevices() / (std::string(1, spelling) + ":");
        if (entryExists(root)) {
            return root;
        }
    }
    return std::nullopt;
}

Result<std::shared_ptr<Drive>> Drives::open(char letter) const {
    using Opened = Result<std::shared_ptr<Drive>>;
    letter = upper(letter);
    const auto root = driveRoot(letter);
    if (!root) {
        return Opened::failure(std::string("Drive ") + letter + ": is not mapped: there is no " +
                               (dosdevices() / (std::string(1, lower(letter)) + ":")).string());
    }
    std::error_code error;
    const fs::file_status target = fs::status(*root, error);
    if (fs::is_directory(target)) {
        return Opened::success(std::make_shared<FolderDrive>(*root));
    }
    if (!fs::is_regular_file(target)) {
        return Opened::failure(std::string("Drive ") + letter + ": (" + root->string() +
                               ") is not available");
    }
    auto image = ImageDrive::open(*root);
    if (!image) {
        return Opened::failure(std::string("Drive ") + letter + ": is a disk image that cannot " +
                               "be used: " + image.error());
    }
    return Opened::success(std::move(*image));
}

Result<DrivePath> Drives::open(std::string_view windowsPath) const {
    auto parsed = parseWindowsPath(windowsPath);
    if (!parsed) {
        return Result<DrivePath>::failure(parsed.error());
    }
    auto drive = open(parsed->letter);
    if (!drive) {
        return Result<DrivePath>::failure(drive.error());
    }
    return Result<DrivePath>::success(DrivePath{std::move(*drive), std::move(parsed->names)});
}

Result<std::string> Drives::location(std::string_view windowsPath) const {
    const auto path = open(windowsPath);
    return path ? path->drive->location(path->names) : Result<std::string>::failure(path.error());
}

Result<FileContent> Drives::readFile(std::string_view windowsPath) const {
    const auto path = open(windowsPath);
    return path ? path->drive->readFile(path->names) : Result<FileContent>::failure(path.error());
}

std::optional<std::string> locationOnDrives(std::string_view windowsPath) {
    auto location = Drives().location(windowsPath);
    return location ? std::optional(std::move(*location)) : std::nullopt;
}

Result<fs::path> Drives::toHost(std::string_view windowsPath) const {
    auto path = open(windowsPath);
    if (!path) {
        return Result<fs::path>::failure(path.error());
    }
    const auto* folder = dynamic_cast<const FolderDrive*>(path->drive.get());
    if (folder == nullptr) {
        return Result<fs::path>::failure(quoted(windowsPath) +
                                         " lies in a disk image: it has no path on this machine");
    }
    return Result<fs::path>::success(folder->hostPath(path->names));
}

std::optional<std::string> Drives::toWindows(const fs::path& hostPath) const {
    std::error_code error;
    const fs::path target = fs::weakly_canonical(fs::absolute(hostPath, error), error);
    if (error) {
        return std::nullopt;
    }
    std::optional<std::string> best;
    std::size_t bestDepth = 0;
    for (char letter = 'a'; letter <= 'z'; ++letter) {
        const auto root = driveRoot(letter);
        if (!root || !fs::is_directory(*root, error)) {
            continue;  // unmapped, or a disk image: no host path lies inside it
        }
        const fs::path rootTarget = fs::weakly_canonical(*root, error);
        if (error) {
            continue;
        }
        const std::size_t depth =
            static_cast<std::size_t>(std::distance(rootTarget.begin(), rootTarget.end()));
        const auto [rootEnd, targetAt] =
            std::mismatch(rootTarget.begin(), rootTarget.end(), target.begin(), target.end());
        if (rootEnd != rootTarget.end() || (best && depth <= bestDepth)) {
            continue;
        }
        std::string windows = std::string(1, upper(letter)) + ":\\";
        bool expressible = true;
        bool first = true;
        for (auto name = targetAt; name != target.end(); ++name) {
            if (name->empty()) {
                continue;
            }
            const auto converted = hostNameToAnsi(name->string());
            if (!converted) {
                expressible = false;
                break;
            }
            windows += (first ? "" : "\\") + *converted;
            first = false;
        }
        if (expressible) {
            best = std::move(windows);
            bestDepth = depth;
        }
    }
    return best;
}

}  // namespace tunexa::files
