#include "HiveFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <ctime>
#include <system_error>

namespace tunexa::store::detail {

namespace {

bool canWrite(const std::filesystem::path& path, int& error) {
    if (::faccessat(AT_FDCWD, path.c_str(), W_OK, AT_EACCESS) == 0) {
        return true;
    }
    error = errno;
    return false;
}

// Nobody holds a lock on the file: no other process has the hive open.
bool unlocked(const std::filesystem::path& file) {
    const int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        return false;
    }
    struct flock probe {};
    probe.l_type = F_WRLCK;
    probe.l_whence = SEEK_SET;
    const bool free = ::fcntl(fd, F_GETLK, &probe) == 0 && probe.l_type == F_UNLCK;
    ::close(fd);
    return free;
}

void createPrivately(const std::filesystem::path& file) {
    const int fd = ::open(file.c_str(), O_CREAT | O_WRONLY | O_CLOEXEC, 0600);
    if (fd >= 0) {
        ::close(fd);
    }
}

std::string timeStamp() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    char buffer[32];
    std::strftime(buffer, sizeof buffer, "%Y%m%d-%H%M%S", &local);
    return buffer;
}

}  // namespace

bool makePrivateFile(const std::filesystem::path& file) {
    std::error_code ec;
    const bool existed = std::filesystem::exists(file, ec);
    if (!existed) {
        std::filesystem::create_directories(file.parent_path(), ec);
        ::chmod(file.parent_path().c_str(), 0700);
        createPrivately(file);
    }
    struct stat info {};
    if (::stat(file.c_str(), &info) == 0 && info.st_uid == ::geteuid() &&
        (info.st_mode & 077) != 0) {
        ::chmod(file.c_str(), info.st_mode & 0700);
    }
    return existed;
}

std::string writeProtection(const std::filesystem::path& file) {
    const std::filesystem::path folder = file.parent_path();
    int error = 0;
    if (!canWrite(folder, error)) {
        if (error == ENOENT) {
            return "its folder " + folder.string() + " does not exist and cannot be made";
        }
        return error == EROFS ? "its folder " + folder.string() + " is on a read-only file system"
                              : "its folder " + folder.string() + " is write-protected";
    }
    if (!canWrite(file, error)) {
        return error == EROFS ? "it is on a read-only file system" : "the file is write-protected";
    }
    return {};
}

void repairSideFiles(const std::filesystem::path& file) {
    for (const char* suffix : {"-shm", "-wal"}) {
        const std::filesystem::path side = file.string() + suffix;
        struct stat info {};
        int error = 0;
        if (::lstat(side.c_str(), &info) != 0 || canWrite(side, error)) {
            continue;
        }
        const bool madeWritable =
            info.st_uid == ::geteuid() && ::chmod(side.c_str(), 0600) == 0 && canWrite(side, error);
        if (!madeWritable && std::string(suffix) == "-shm" && unlocked(side)) {
            ::unlink(side.c_str());
        }
    }
}

std::string fileUri(const std::filesystem::path& file) {
    std::string uri = "file:";
    for (const unsigned char c : file.string()) {
        if (c == '%' || c == '?' || c == '#' || c < 0x21 || c >= 0x7F) {
            char escaped[4];
            std::snprintf(escaped, sizeof escaped, "%%%02X", c);
            uri += escaped;
        } else {
            uri += static_cast<char>(c);
        }
    }
    return uri;
}

std::optional<std::filesystem::path> moveAside(const std::filesystem::path& file,
                                               std::string& error) {
    const std::filesystem::path aside = file.string() + ".damaged-" + timeStamp();
    std::error_code ec;
    std::filesystem::rename(file, aside, ec);
    if (ec) {
        error = ec.message();
        return std::nullopt;
    }
    for (const char* suffix : {"-wal", "-shm", "-journal"}) {
        const std::filesystem::path side = file.string() + suffix;
        if (std::filesystem::exists(side, ec)) {
            std::filesystem::rename(side, aside.string() + suffix, ec);
        }
    }
    createPrivately(file);
    return aside;
}

}  // namespace tunexa::store::detail
