#include "HiveFile.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <ctime>
#include <fstream>
#include <iterator>
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

std::filesystem::path checkedNote(const std::filesystem::path& file) {
    return file.string() + ".checked";
}

// What the note records of the file and of its log, as text.
std::string stateOf(const std::filesystem::path& file) {
    std::string state;
    for (const std::string& path : {file.string(), file.string() + "-wal"}) {
        struct stat info {};
        if (::stat(path.c_str(), &info) != 0) {
            state += "-\n";
            continue;
        }
        char line[160];
        std::snprintf(line, sizeof line, "%ju %ju %jd %jd.%09ld %jd.%09ld\n",
                      static_cast<std::uintmax_t>(info.st_dev),
                      static_cast<std::uintmax_t>(info.st_ino),
                      static_cast<std::intmax_t>(info.st_size),
                      static_cast<std::intmax_t>(info.st_mtim.tv_sec), info.st_mtim.tv_nsec,
                      static_cast<std::intmax_t>(info.st_ctim.tv_sec), info.st_ctim.tv_nsec);
        state += line;
    }
    return state;
}

std::string noteOf(const std::filesystem::path& file) {
    std::ifstream note(checkedNote(file), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(note), std::istreambuf_iterator<char>());
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

OpeningTurn::OpeningTurn(const std::filesystem::path& file)
    : folder_(::open(file.parent_path().c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC)) {
    if (folder_ >= 0) {
        while (::flock(folder_, LOCK_EX) != 0 && errno == EINTR) {
        }
    }
}

OpeningTurn::~OpeningTurn() {
    if (folder_ >= 0) {
        ::close(folder_);  // and with it the lock
    }
}

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
    forgetChecked(file);
    createPrivately(file);
    return aside;
}

bool stillAsChecked(const std::filesystem::path& file) {
    const std::string noted = noteOf(file);
    return !noted.empty() && noted == stateOf(file);
}

void noteChecked(const std::filesystem::path& file) {
    const std::string state = stateOf(file);
    if (state == noteOf(file)) {
        return;  // the session changed nothing
    }
    const std::filesystem::path note = checkedNote(file);
    const std::filesystem::path written = note.string() + ".new";
    const int fd = ::open(written.c_str(), O_CREAT | O_TRUNC | O_WRONLY | O_CLOEXEC, 0600);
    if (fd < 0) {
        return;
    }
    const bool complete =
        ::write(fd, state.data(), state.size()) == static_cast<ssize_t>(state.size());
    ::close(fd);
    if (!complete || ::rename(written.c_str(), note.c_str()) != 0) {
        ::unlink(written.c_str());
    }
}

void forgetChecked(const std::filesystem::path& file) {
    ::unlink(checkedNote(file).c_str());
}

}  // namespace tunexa::store::detail
