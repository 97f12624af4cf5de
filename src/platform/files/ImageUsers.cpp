#include "platform/files/ImageUsers.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <string_view>

namespace tunexa::files {

namespace {

std::optional<pid_t> processId(std::string_view name) {
    if (name.empty() || name.find_first_not_of("0123456789") != std::string_view::npos) {
        return std::nullopt;
    }
    return static_cast<pid_t>(std::strtol(std::string(name).c_str(), nullptr, 10));
}

std::string describeProcess(pid_t pid) {
    std::ifstream comm("/proc/" + std::to_string(pid) + "/comm");
    std::string name;
    std::getline(comm, name);
    return (name.empty() ? std::string("a program") : name) + " (process " + std::to_string(pid) +
           ")";
}

// Whether the process has a file open that is the given device and inode.
bool holds(pid_t pid, dev_t device, ino_t inode) {
    const std::string folder = "/proc/" + std::to_string(pid) + "/fd";
    DIR* dir = ::opendir(folder.c_str());
    if (dir == nullptr) {
        return false;
    }
    bool found = false;
    while (const dirent* entry = ::readdir(dir)) {
        struct stat target {};
        if (entry->d_name[0] != '.' && ::fstatat(::dirfd(dir), entry->d_name, &target, 0) == 0 &&
            target.st_dev == device && target.st_ino == inode) {
            found = true;
            break;
        }
    }
    ::closedir(dir);
    return found;
}

std::optional<std::string> processHolding(const struct stat& image) {
    DIR* proc = ::opendir("/proc");
    if (proc == nullptr) {
        return std::nullopt;
    }
    const pid_t self = ::getpid();
    std::optional<std::string> holder;
    while (const dirent* entry = ::readdir(proc)) {
        const auto pid = processId(entry->d_name);
        if (pid && *pid != self && holds(*pid, image.st_dev, image.st_ino)) {
            holder = describeProcess(*pid);
            break;
        }
    }
    ::closedir(proc);
    return holder;
}

// Locks of any kind on any byte of the image, held through another open file description.
std::optional<std::string> lockHolder(int fd) {
    struct flock probe {};
    probe.l_type = F_WRLCK;
    probe.l_whence = SEEK_SET;
    if (::fcntl(fd, F_OFD_GETLK, &probe) == 0 && probe.l_type != F_UNLCK) {
        // POSIX locks name their process; open-file-description locks have none (-1).
        return probe.l_pid > 0 ? describeProcess(probe.l_pid)
                               : std::string("a program that holds a lock on it");
    }
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        return std::string("a program that holds a lock on it");
    }
    ::flock(fd, LOCK_UN);
    return std::nullopt;
}

}  // namespace

std::optional<std::string> imageHolder(const std::filesystem::path& image) {
    const int fd = ::open(image.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        return std::nullopt;
    }
    struct stat info {};
    std::optional<std::string> holder;
    if (::fstat(fd, &info) == 0) {
        holder = processHolding(info);
    }
    if (!holder) {
        holder = lockHolder(fd);
    }
    ::close(fd);
    return holder;
}

}  // namespace tunexa::files
