#include "platform/files/Folders.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tunexa::files {

bool readFolder(const std::string& hostPath, FolderListing& listing) {
    listing.entries.clear();
    const int fd = ::open(hostPath.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) {
        return false;
    }
    struct stat info {};
    if (::fstat(fd, &info) != 0) {
        ::close(fd);
        return false;
    }
    listing.device = static_cast<std::uint64_t>(info.st_dev);
    listing.inode = static_cast<std::uint64_t>(info.st_ino);
    DIR* dir = ::fdopendir(fd);
    if (dir == nullptr) {
        ::close(fd);
        return false;
    }
    while (const dirent* entry = ::readdir(dir)) {
        const char* name = entry->d_name;
        if (name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0'))) {
            continue;
        }
        FolderEntry& item = listing.entries.emplace_back();
        item.name = name;
        switch (entry->d_type) {
            case DT_DIR:
                item.isFolder = true;
                break;
            case DT_LNK:
            case DT_UNKNOWN: {
                item.isLink = entry->d_type == DT_LNK;
                struct stat target {};
                item.isFolder = ::fstatat(fd, name, &target, 0) == 0 && S_ISDIR(target.st_mode);
                if (entry->d_type == DT_UNKNOWN) {
                    struct stat self {};
                    item.isLink = ::fstatat(fd, name, &self, AT_SYMLINK_NOFOLLOW) == 0 &&
                                  S_ISLNK(self.st_mode);
                }
                break;
            }
            default:
                break;
        }
    }
    ::closedir(dir);
    return true;
}

}  // namespace tunexa::files
