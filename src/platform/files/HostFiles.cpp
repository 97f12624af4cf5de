#include "platform/files/HostFiles.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstdint>
#include <cstring>

#include "platform/files/TextFiles.h"
#include "store/Ansi.h"

namespace tunexa::files {

namespace {

// The write `write` makes to the Windows path's host file (given to it), with the file's bytes
// before and after.
template <typename Write>
Result<store::ChangeItem> writeForChange(std::string_view windowsPath, const Drives& drives,
                                         Write&& write) {
    const auto host = drives.toHost(windowsPath);
    const std::string shown = ansi::toUtf8(windowsPath);
    if (!host) {
        return Result<store::ChangeItem>::failure("Cannot write \"" + shown +
                                                  "\": " + host.error());
    }
    std::string why;
    const auto before = hostFiles().read(host->string(), why);
    if (!why.empty()) {
        return Result<store::ChangeItem>::failure("Cannot read \"" + shown + "\": " + why);
    }
    if (const Status written = write(*host); !written) {
        return Result<store::ChangeItem>::failure(written.error());
    }
    const auto after = hostFiles().read(host->string(), why);
    return Result<store::ChangeItem>::success(fileChangeItem(host->string(), shown, before, after));
}

}  // namespace

store::ChangeItem fileChangeItem(const std::string& hostPath, const std::string& shown,
                                 const std::optional<store::Bytes>& before,
                                 const std::optional<store::Bytes>& after) {
    const auto image = [](const std::optional<store::Bytes>& bytes) {
        return bytes ? std::optional(store::RawValue{0, *bytes}) : std::nullopt;
    };
    return store::ChangeItem{store::ItemKind::File, 0,           hostPath, shown,
                             image(before),         image(after)};
}

std::optional<store::Bytes> HostFiles::read(const std::string& hostPath, std::string& why) {
    why.clear();
    const int fd = ::open(hostPath.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        if (errno != ENOENT) {
            why = std::strerror(errno);
        }
        return std::nullopt;
    }
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        why = "it is not a file";
        ::close(fd);
        return std::nullopt;
    }
    store::Bytes bytes;
    std::array<std::uint8_t, 8192> buffer{};
    for (;;) {
        const ssize_t got = ::read(fd, buffer.data(), buffer.size());
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got < 0) {
            why = std::strerror(errno);
            ::close(fd);
            return std::nullopt;
        }
        if (got == 0) {
            break;
        }
        bytes.insert(bytes.end(), buffer.begin(), buffer.begin() + got);
    }
    ::close(fd);
    return bytes;
}

bool HostFiles::write(const std::string& hostPath, const std::optional<store::Bytes>& content,
                      std::string& why) {
    if (content) {
        const std::string_view bytes(reinterpret_cast<const char*>(content->data()),
                                     content->size());
        const Status written = replaceFileAtomically(hostPath, bytes);
        why = written.error();
        return written.ok();
    }
    if (::unlink(hostPath.c_str()) != 0 && errno != ENOENT) {
        why = "removing " + hostPath + " failed: " + std::strerror(errno);
        return false;
    }
    return true;
}

HostFiles& hostFiles() {
    static HostFiles files;
    return files;
}

Result<store::ChangeItem> replaceFileForChange(std::string_view windowsPath, std::string_view bytes,
                                               const Drives& drives) {
    return writeForChange(windowsPath, drives, [&](const std::filesystem::path& host) -> Status {
        const Status written = replaceFileAtomically(host, bytes);
        if (!written) {
            return Status::failure("Cannot write \"" + ansi::toUtf8(windowsPath) +
                                   "\": " + written.error());
        }
        return written;
    });
}

Result<store::ChangeItem> writeTextFileForChange(std::string_view windowsPath,
                                                 const std::vector<std::string>& lines,
                                                 const Drives& drives) {
    return replaceFileForChange(windowsPath, joinLinesCrLf(lines), drives);
}

Result<store::ChangeItem> appendTextLineForChange(std::string_view windowsPath,
                                                  std::string_view line, const Drives& drives) {
    return writeForChange(windowsPath, drives, [&](const std::filesystem::path&) {
        return appendTextLine(windowsPath, line, drives);
    });
}

}  // namespace tunexa::files
