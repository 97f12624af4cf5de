#include "platform/files/DriveC.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/files/ImageDrive.h"

namespace tunexa::files {

namespace fs = std::filesystem;

std::string describeDriveC(const Drives& drives) {
    const auto drive = drives.open('C');
    return drive ? (*drive)->describe() : drive.error();
}

fs::path driveCTarget(const Drives& drives) {
    const auto root = drives.driveRoot('C');
    std::error_code error;
    return root ? fs::weakly_canonical(*root, error) : drives.dosdevices() / "c:";
}

Status useAsDriveC(const fs::path& folderOrImage, const Drives& drives) {
    std::error_code error;
    const fs::path target = fs::canonical(folderOrImage, error);
    if (error) {
        return Status::failure("Drive C: was not changed: " + folderOrImage.string() + ": " +
                               error.message());
    }
    if (fs::is_regular_file(target, error)) {
        if (auto image = ImageDrive::open(target); !image) {
            return Status::failure("Drive C: was not changed: " + image.error());
        }
    } else if (!fs::is_directory(target, error)) {
        return Status::failure("Drive C: was not changed: " + target.string() +
                               " is neither a folder nor a disk image file");
    }
    fs::create_directories(drives.dosdevices(), error);
    const fs::path link = drives.dosdevices() / "c:";
    struct stat existing {};
    if (::lstat(link.c_str(), &existing) == 0 && !S_ISLNK(existing.st_mode)) {
        return Status::failure("Drive C: was not changed: " + link.string() +
                               " is a folder of its own, not a link; move it away first");
    }
    // A new link under a name of its own, renamed over the old one: drive C: is never missing.
    const fs::path next = drives.dosdevices() / (".c:." + std::to_string(::getpid()));
    ::unlink(next.c_str());
    if (::symlink(target.c_str(), next.c_str()) != 0 || ::rename(next.c_str(), link.c_str()) != 0) {
        const int why = errno;
        ::unlink(next.c_str());
        return Status::failure("Drive C: was not changed: " + link.string() + ": " +
                               std::strerror(why));
    }
    return Status::success();
}

}  // namespace tunexa::files
