#include "platform/files/FolderDrive.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <unordered_set>

#include "platform/files/Drives.h"
#include "platform/files/Folders.h"
#include "platform/files/TextFiles.h"
#include "store/Ansi.h"

namespace tunexa::files {

namespace fs = std::filesystem;

namespace {

std::string failureText(const std::string& step, const fs::path& path) {
    return step + " " + path.string() + " failed: " + std::strerror(errno);
}

// The folders below a host folder, each listed once even where links lead to it again.
class HostWalk final : public FolderWalk {
  public:
    explicit HostWalk(std::string start) { paths_.push_back(std::move(start)); }

    bool list(Folder folder, std::vector<Entry>& entries) override {
        entries.clear();
        if (folder >= paths_.size() || !readFolder(paths_[folder], listing_) ||
            !listed_.insert(identity(listing_)).second) {
            return false;
        }
        const std::string& path = paths_[folder];
        const std::string prefix = path.back() == '/' ? path : path + '/';
        for (FolderEntry& entry : listing_.entries) {
            auto name = hostNameToAnsi(entry.name);
            if (!name) {
                continue;
            }
            Entry& kept = entries.emplace_back(Entry{std::move(*name), entry.isFolder, 0});
            if (entry.isFolder) {
                kept.folder = paths_.size();
                paths_.push_back(prefix + entry.name);
            }
        }
        return true;
    }

  private:
    struct Identity {
        std::uint64_t device;
        std::uint64_t inode;
        bool operator==(const Identity&) const = default;
    };
    struct IdentityHash {
        std::size_t operator()(const Identity& id) const {
            return std::hash<std::uint64_t>()(id.inode * 0x9E3779B97F4A7C15ULL ^ id.device);
        }
    };
    static Identity identity(const FolderListing& listing) {
        return {listing.device, listing.inode};
    }

    std::vector<std::string> paths_;
    std::unordered_set<Identity, IdentityHash> listed_;
    FolderListing listing_;
};

// A failure when the host file exists and its permissions let no one write it.
Status refuseReadOnlyHostFile(const fs::path& file) {
    struct stat info {};
    if (::stat(file.c_str(), &info) == 0 && S_ISREG(info.st_mode) && (info.st_mode & 0222) == 0) {
        return Status::failure(file.string() +
                               " is read-only; Tunexa does not change read-only files");
    }
    return Status::success();
}

}  // namespace

Result<FileContent> readHostFile(const fs::path& file) {
    const int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        return errno == ENOENT ? Result<FileContent>::success(std::nullopt)
                               : Result<FileContent>::failure(std::strerror(errno));
    }
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        return Result<FileContent>::failure("it is not a file");
    }
    std::string bytes;
    char buffer[8192];
    for (;;) {
        const ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got < 0) {
            const int error = errno;
            ::close(fd);
            return Result<FileContent>::failure(std::strerror(error));
        }
        if (got == 0) {
            break;
        }
        bytes.append(buffer, static_cast<std::size_t>(got));
    }
    ::close(fd);
    return Result<FileContent>::success(std::move(bytes));
}

FolderDrive::FolderDrive(fs::path root) : root_(std::move(root)) {}

fs::path FolderDrive::hostPath(const DriveNames& names) const {
    fs::path host = root_;
    bool resolving = true;
    for (const std::string& name : names) {
        if (resolving) {
            if (auto entry = findEntryIgnoringCase(host, name)) {
                host /= *entry;
                continue;
            }
            resolving = false;
        }
        host /= ansi::toUtf8(name);
    }
    return host;
}

Result<ResolvedPath> FolderDrive::resolve(const DriveNames& names) {
    ResolvedPath resolved;
    fs::path host = root_;
    for (const std::string& name : names) {
        const auto entry = resolved.isFolder && resolved.existing == resolved.names.size()
                               ? findEntryIgnoringCase(host, name)
                               : std::nullopt;
        if (!entry) {
            resolved.names.push_back(name);
            continue;
        }
        host /= *entry;
        resolved.names.push_back(hostNameToAnsi(*entry).value_or(name));
        ++resolved.existing;
        std::error_code error;
        resolved.isFolder = fs::is_directory(host, error);
    }
    return Result<ResolvedPath>::success(std::move(resolved));
}

Result<std::string> FolderDrive::location(const DriveNames& names) {
    return Result<std::string>::success(hostPath(names).string());
}

Result<FileContent> FolderDrive::readFile(const DriveNames& names) {
    return readHostFile(hostPath(names));
}

Result<FileContent> FolderDrive::readResolvedFile(const ResolvedPath& file) {
    return readFile(file.names);
}

Result<std::optional<FileFacts>> FolderDrive::fileFacts(const DriveNames& names) {
    using Facts = Result<std::optional<FileFacts>>;
    const fs::path host = hostPath(names);
    struct stat info {};
    if (::stat(host.c_str(), &info) != 0) {
        return errno == ENOENT ? Facts::success(std::nullopt)
                               : Facts::failure(failureText("reading the facts of", host));
    }
    if (!S_ISREG(info.st_mode)) {
        return Facts::failure(host.string() + " is not a file");
    }
    return Facts::success(FileFacts{static_cast<std::uint64_t>(info.st_size),
                                    static_cast<std::int64_t>(info.st_mtime)});
}

Status FolderDrive::replaceFile(const DriveNames& names, std::string_view bytes) {
    const fs::path host = hostPath(names);
    if (Status refused = refuseReadOnlyHostFile(host); !refused) {
        return refused;
    }
    return replaceFileAtomically(host, bytes);
}

Status FolderDrive::appendLine(const DriveNames& names, std::string_view line) {
    const fs::path host = hostPath(names);
    if (Status refused = refuseReadOnlyHostFile(host); !refused) {
        return refused;
    }
    return appendLineToFile(host, line);
}

Status FolderDrive::removeFile(const DriveNames& names) {
    const fs::path host = hostPath(names);
    if (Status refused = refuseReadOnlyHostFile(host); !refused) {
        return refused;
    }
    if (::unlink(host.c_str()) != 0 && errno != ENOENT) {
        return Status::failure(failureText("removing", host));
    }
    return Status::success();
}

Status FolderDrive::makeFolder(const DriveNames& names) {
    const fs::path host = hostPath(names);
    std::error_code error;
    if (::mkdir(host.c_str(), 0777) != 0 && !(errno == EEXIST && fs::is_directory(host, error))) {
        return Status::failure(failureText("making the folder", host));
    }
    return Status::success();
}

Status FolderDrive::removeFolder(const DriveNames& names) {
    const fs::path host = hostPath(names);
    if (::rmdir(host.c_str()) != 0 && errno != ENOENT) {
        return Status::failure(failureText("removing the folder", host));
    }
    return Status::success();
}

std::string FolderDrive::describe() const {
    std::error_code error;
    return "the folder " + fs::weakly_canonical(root_, error).string();
}

std::unique_ptr<FolderWalk> FolderDrive::walk(const DriveNames& start) {
    return std::make_unique<HostWalk>(hostPath(start).string());
}

}  // namespace tunexa::files
