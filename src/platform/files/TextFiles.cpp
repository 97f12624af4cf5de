#include "platform/files/TextFiles.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstring>
#include <random>
#include <system_error>

#include "store/Ansi.h"

namespace tunexa::files {

namespace fs = std::filesystem;

namespace {

// Where DOS takes a text file to end.
constexpr char kEndOfFile = '\x1A';

// "writing /x/tunexa.bat failed: No space left on device"
std::string failureText(const std::string& step, const fs::path& path, int error) {
    return step + " " + path.string() + " failed: " + std::strerror(error);
}

// Writes all of `bytes`, going on after short writes and interruptions; false with errno set.
bool writeAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t written = ::write(fd, bytes.data(), bytes.size());
        if (written < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
    return true;
}

// The whole file from its start; false with errno set.
bool readAll(int fd, std::string& bytes) {
    char buffer[8192];
    for (;;) {
        const ssize_t got = ::pread(fd, buffer, sizeof buffer, static_cast<off_t>(bytes.size()));
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got <= 0) {
            return got == 0;
        }
        bytes.append(buffer, static_cast<std::size_t>(got));
    }
}

// A rename is durable only once the folder that holds the entry is synced too.
void syncFolder(const fs::path& folder) {
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

// A name for the temporary file that no other writer (thread or process) picks.
std::string temporaryName(const std::string& fileName) {
    static std::atomic<unsigned> counter{0};
    static const unsigned seed = std::random_device{}();
    return "." + fileName + ".tmp-" + std::to_string(::getpid()) + "-" + std::to_string(seed) +
           "-" + std::to_string(counter++);
}

// The file a write replaces: a link's target, so that the link the user made stays.
fs::path writeTarget(const fs::path& hostFile) {
    std::error_code error;
    if (fs::is_symlink(hostFile, error)) {
        const fs::path target = fs::weakly_canonical(hostFile, error);
        if (!error) {
            return target;
        }
    }
    return hostFile;
}

std::string quotedWindows(std::string_view windowsPath) {
    std::string text(1, '"');
    text += ansi::toUtf8(windowsPath);
    text += '"';
    return text;
}

}  // namespace

std::string joinLinesCrLf(const std::vector<std::string>& lines) {
    std::string text;
    for (const auto& line : lines) {
        text += line;
        text += "\r\n";
    }
    return text;
}

Status replaceFileAtomically(const fs::path& hostFile, std::string_view bytes) {
    const fs::path target = writeTarget(hostFile);
    const fs::path folder = target.parent_path().empty() ? fs::path(".") : target.parent_path();

    struct stat old {};
    const bool replacing = ::stat(target.c_str(), &old) == 0;
    if (replacing && !S_ISREG(old.st_mode)) {
        return Status::failure(target.string() + " is not a regular file");
    }

    fs::path temporary;
    int fd = -1;
    for (int attempt = 0; attempt < 16 && fd < 0; ++attempt) {
        temporary = folder / temporaryName(target.filename().string());
        fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0 && errno != EEXIST) {
            break;
        }
    }
    if (fd < 0) {
        return Status::failure(failureText("creating a file in", folder, errno));
    }

    const auto fail = [&](const std::string& what) {
        const int error = errno;
        if (fd >= 0) {
            ::close(fd);
        }
        ::unlink(temporary.c_str());
        return Status::failure(failureText(what, target, error));
    };
    if (replacing) {
        // Best effort: only the owner or root may hand the file on, and the mode is what counts.
        if (::fchown(fd, old.st_uid, old.st_gid) != 0) {
            errno = 0;
        }
        if (::fchmod(fd, old.st_mode & 07777) != 0) {
            return fail("keeping the permissions of");
        }
    }
    if (!writeAll(fd, bytes)) {
        return fail("writing");
    }
    if (::fsync(fd) != 0) {
        return fail("syncing");
    }
    const int closed = ::close(fd);
    fd = -1;
    if (closed != 0) {
        return fail("writing");
    }
    if (::rename(temporary.c_str(), target.c_str()) != 0) {
        return fail("replacing");
    }
    syncFolder(folder);
    return Status::success();
}

std::string withLineAppended(std::string_view existing, std::string_view line) {
    const std::size_t end = std::min(existing.find(kEndOfFile), existing.size());
    const std::string_view before = existing.substr(0, end);
    const std::string_view lineBreak = before.empty() || before.back() == '\n' ? ""
                                       : before.back() == '\r'                 ? "\n"
                                                                               : "\r\n";
    std::string text;
    text.reserve(existing.size() + lineBreak.size() + line.size() + 2);
    text.append(before).append(lineBreak).append(line).append("\r\n");
    return text.append(existing.substr(end));
}

Status appendLineToFile(const fs::path& hostFile, std::string_view line) {
    const int fd = ::open(hostFile.c_str(), O_RDWR | O_APPEND | O_CREAT | O_CLOEXEC, 0666);
    if (fd < 0) {
        return Status::failure(failureText("opening", hostFile, errno));
    }
    const auto fail = [&](const char* what) {
        const int error = errno;
        ::close(fd);
        return Status::failure(failureText(what, hostFile, error));
    };
    std::string existing;
    if (!readAll(fd, existing)) {
        return fail("reading");
    }
    const std::string appended = withLineAppended(existing, line);
    if (existing.find(kEndOfFile) != std::string::npos) {
        ::close(fd);
        return replaceFileAtomically(hostFile, appended);
    }
    if (!writeAll(fd, std::string_view(appended).substr(existing.size()))) {
        return fail("appending to");
    }
    if (::fsync(fd) != 0) {
        return fail("syncing");
    }
    if (::close(fd) != 0) {
        return Status::failure(failureText("appending to", hostFile, errno));
    }
    return Status::success();
}

Status writeTextFile(std::string_view windowsPath, const std::vector<std::string>& lines,
                     const Drives& drives) {
    const auto path = drives.open(windowsPath);
    const Status written = path ? path->drive->replaceFile(path->names, joinLinesCrLf(lines))
                                : Status::failure(path.error());
    if (!written) {
        return Status::failure("Cannot write " + quotedWindows(windowsPath) + ": " +
                               written.error());
    }
    return written;
}

Status appendTextLine(std::string_view windowsPath, std::string_view line, const Drives& drives) {
    const auto path = drives.open(windowsPath);
    const Status appended =
        path ? path->drive->appendLine(path->names, line) : Status::failure(path.error());
    if (!appended) {
        return Status::failure("Cannot append to " + quotedWindows(windowsPath) + ": " +
                               appended.error());
    }
    return appended;
}

}  // namespace tunexa::files
