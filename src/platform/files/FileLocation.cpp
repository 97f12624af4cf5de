#include "platform/files/FileLocation.h"

#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <cstring>

#include "platform/files/Drives.h"
#include "platform/files/FolderDrive.h"
#include "platform/files/ImageDrive.h"
#include "platform/files/TextFiles.h"
#include "store/Ansi.h"

namespace tunexa::files {

namespace {

// The image's drive, when it still has its FAT volume where the location says.
Result<std::shared_ptr<ImageDrive>> openAt(const ImageLocation& location) {
    auto drive = ImageDrive::open(location.image);
    if (drive && (*drive)->layout().offset != location.offset) {
        return Result<std::shared_ptr<ImageDrive>>::failure(
            "the disk image " + location.image.string() +
            " no longer holds its FAT volume at byte " + std::to_string(location.offset) +
            " (it now has " + (*drive)->layout().describe() + ")");
    }
    return drive;
}

}  // namespace

std::string imageLocation(const ImageLocation& location) {
    std::string text(kImageLocationPrefix);
    text += location.image.string();
    text += "@@" + std::to_string(location.offset) + "::";
    for (const std::string& name : location.names) {
        text += '/' + ansi::toUtf8(name);
    }
    return text;
}

std::optional<ImageLocation> parseImageLocation(std::string_view text) {
    if (!text.starts_with(kImageLocationPrefix)) {
        return std::nullopt;
    }
    text.remove_prefix(kImageLocationPrefix.size());
    const std::size_t inside = text.rfind("::");
    const std::size_t at = inside == std::string_view::npos ? inside : text.rfind("@@", inside);
    if (at == std::string_view::npos || !text.starts_with('/')) {
        return std::nullopt;
    }
    ImageLocation location;
    location.image = std::string(text.substr(0, at));
    const std::string_view offset = text.substr(at + 2, inside - at - 2);
    const auto [end, error] =
        std::from_chars(offset.data(), offset.data() + offset.size(), location.offset);
    if (offset.empty() || error != std::errc() || end != offset.data() + offset.size()) {
        return std::nullopt;
    }
    std::string_view rest = text.substr(inside + 2);
    while (!rest.empty()) {
        if (rest.front() != '/') {
            return std::nullopt;
        }
        rest.remove_prefix(1);
        const std::size_t next = std::min(rest.find('/'), rest.size());
        auto name = hostNameToAnsi(rest.substr(0, next));
        if (!name || name->empty()) {
            return std::nullopt;
        }
        location.names.push_back(std::move(*name));
        rest.remove_prefix(next);
    }
    return location.names.empty() ? std::nullopt : std::optional(std::move(location));
}

Result<FileContent> readLocation(const std::string& location) {
    const auto inImage = parseImageLocation(location);
    if (!inImage) {
        return readHostFile(location);
    }
    const auto drive = openAt(*inImage);
    if (!drive) {
        return Result<FileContent>::failure(drive.error());
    }
    return (*drive)->readFile(inImage->names);
}

Status writeLocation(const std::string& location, const FileContent& content) {
    const auto inImage = parseImageLocation(location);
    if (!inImage) {
        if (content) {
            return replaceFileAtomically(location, *content);
        }
        if (::unlink(location.c_str()) != 0 && errno != ENOENT) {
            return Status::failure("removing " + location + " failed: " + std::strerror(errno));
        }
        return Status::success();
    }
    const auto drive = openAt(*inImage);
    if (!drive) {
        return Status::failure(drive.error());
    }
    return content ? (*drive)->replaceFile(inImage->names, *content)
                   : (*drive)->removeFile(inImage->names);
}

}  // namespace tunexa::files
