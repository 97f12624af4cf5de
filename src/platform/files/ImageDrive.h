#pragma once

// A drive whose root is the FAT volume of an emulator's disk image (ImageLayout.h), reached
// through mtools (Mtools.h) without root, a loop device or a mount.
//
// Writes are as safe as the image allows: the new content goes to a temporary name beside the
// file, is read back and compared, and only then replaces the old file, whose hidden and system
// attributes are set again; a failed or refused write leaves the old file whole, and a full
// volume is a failure that leaves nothing behind. Nothing is written while another program has
// the image open (an emulator running from it): the write is refused, naming that program.

#include <filesystem>
#include <memory>
#include <string_view>

#include "platform/files/Drive.h"
#include "platform/files/ImageLayout.h"
#include "platform/files/Mtools.h"

namespace tunexa::files {

class ImageDrive final : public Drive {
  public:
    // The drive over the image's FAT volume, or why the image cannot be used.
    static Result<std::shared_ptr<ImageDrive>> open(const std::filesystem::path& image);

    const std::filesystem::path& image() const { return volume_.image(); }
    const ImageLayout& layout() const { return layout_; }

    Result<ResolvedPath> resolve(const DriveNames& names) override;
    Result<std::string> location(const DriveNames& names) override;
    Result<FileContent> readFile(const DriveNames& names) override;
    Result<FileContent> readResolvedFile(const ResolvedPath& file) override;
    Result<std::optional<FileFacts>> fileFacts(const DriveNames& names) override;
    Status replaceFile(const DriveNames& names, std::string_view bytes) override;
    Status appendLine(const DriveNames& names, std::string_view line) override;
    Status removeFile(const DriveNames& names) override;
    Status makeFolder(const DriveNames& names) override;
    Status removeFolder(const DriveNames& names) override;
    std::unique_ptr<FolderWalk> walk(const DriveNames& start) override;
    std::string describe() const override;

  private:
    ImageDrive(std::filesystem::path image, ImageLayout layout);

    // The folder that holds the last name (listed when it exists) and the entry of that name.
    struct Placed {
        bool folderExists = false;
        std::vector<DriveEntry> folder;
        std::optional<DriveEntry> entry;
        DriveNames path;  // the names with the last one as the folder spells it
    };
    Result<Placed> place(const DriveNames& names);
    // The same for a write: refused while another program holds the image.
    Result<Placed> placeForWriting(const DriveNames& names);
    // An existing file's attributes; refused when it is read-only (`action`: "change" ...).
    Result<FatAttributes> writableAttributes(const DriveNames& names,
                                             std::string_view action) const;
    // An mtools command as one step of a write: "<what> failed: <why>" when it fails.
    Status step(const std::string& what, std::string_view command,
                const std::vector<std::string>& arguments) const;
    // "::/A/B in /x/win98.img" for messages.
    std::string where(const DriveNames& names) const;

    ImageLayout layout_;
    MtoolsVolume volume_;
};

}  // namespace tunexa::files
