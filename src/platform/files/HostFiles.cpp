#include "platform/files/HostFiles.h"

#include "platform/files/FileLocation.h"
#include "platform/files/TextFiles.h"
#include "store/Ansi.h"

namespace tunexa::files {

namespace {

std::optional<store::Bytes> toBytes(const FileContent& content) {
    return content ? std::optional(store::Bytes(content->begin(), content->end())) : std::nullopt;
}

// The write `write(drive, names, before, after)` makes to the file at the Windows path, as a change
// item: the file's bytes before it, and the bytes it leaves, which it sets in `after` (nothing:
// no file). A failure is told as "Cannot <doing> "<path>": why".
template <typename Write>
Result<store::ChangeItem> writeForChange(std::string_view windowsPath, const Drives& drives,
                                         std::string_view doing, Write&& write) {
    using Item = Result<store::ChangeItem>;
    const std::string shown = ansi::toUtf8(windowsPath);
    const std::string cannot = "Cannot " + std::string(doing) + " \"" + shown + "\": ";
    const auto path = drives.open(windowsPath);
    if (!path) {
        return Item::failure(cannot + path.error());
    }
    Drive& drive = *path->drive;
    const auto before = drive.readFile(path->names);
    if (!before) {
        return Item::failure("Cannot read \"" + shown + "\": " + before.error());
    }
    FileContent after;
    if (const Status written = write(drive, path->names, *before, after); !written) {
        return Item::failure(cannot + written.error());
    }
    const auto location = drive.location(path->names);
    if (!location) {
        return Item::failure("\"" + shown +
                             "\" was written but cannot be found again: " + location.error());
    }
    return Item::success(fileChangeItem(*location, shown, toBytes(*before), toBytes(after)));
}

}  // namespace

store::ChangeItem fileChangeItem(const std::string& location, const std::string& shown,
                                 const std::optional<store::Bytes>& before,
                                 const std::optional<store::Bytes>& after) {
    const auto image = [](const std::optional<store::Bytes>& bytes) {
        return bytes ? std::optional(store::RawValue{0, *bytes}) : std::nullopt;
    };
    return store::ChangeItem{store::ItemKind::File, 0,           location, shown,
                             image(before),         image(after)};
}

std::optional<store::Bytes> HostFiles::read(const std::string& location, std::string& why) {
    why.clear();
    const auto content = readLocation(location);
    if (!content) {
        why = content.error();
        return std::nullopt;
    }
    return toBytes(*content);
}

bool HostFiles::write(const std::string& location, const std::optional<store::Bytes>& content,
                      std::string& why) {
    const Status written =
        writeLocation(location, content ? FileContent(std::string(content->begin(), content->end()))
                                        : FileContent());
    why = written.error();
    return written.ok();
}

HostFiles& hostFiles() {
    static HostFiles files;
    return files;
}

Result<store::ChangeItem> replaceFileForChange(std::string_view windowsPath, std::string_view bytes,
                                               const Drives& drives) {
    return writeForChange(
        windowsPath, drives, "write",
        [&](Drive& drive, const DriveNames& names, const FileContent&, FileContent& after) {
            after = std::string(bytes);
            return drive.replaceFile(names, bytes);
        });
}

Result<store::ChangeItem> writeTextFileForChange(std::string_view windowsPath,
                                                 const std::vector<std::string>& lines,
                                                 const Drives& drives) {
    return replaceFileForChange(windowsPath, joinLinesCrLf(lines), drives);
}

Result<store::ChangeItem> appendTextLineForChange(std::string_view windowsPath,
                                                  std::string_view line, const Drives& drives) {
    return writeForChange(
        windowsPath, drives, "append to",
        [&](Drive& drive, const DriveNames& names, const FileContent& before, FileContent& after) {
            after = withLineAppended(before.value_or(std::string()), line);
            return drive.appendLine(names, line);
        });
}

Result<store::ChangeItem> removeFileForChange(std::string_view windowsPath, const Drives& drives) {
    return writeForChange(windowsPath, drives, "remove",
                          [](Drive& drive, const DriveNames& names, const FileContent&,
                             FileContent&) { return drive.removeFile(names); });
}

}  // namespace tunexa::files
