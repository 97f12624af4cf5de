#pragma once

// A drive whose root is a host folder (`dosdevices/c:` linking to `drive_c`, a mounted disk or a
// copy of one). Whole files are replaced atomically (TextFiles.h); a file whose permissions allow
// no one to write it is read-only, as a mounted FAT volume shows a file with that attribute.

#include <filesystem>

#include "platform/files/Drive.h"

namespace tunexa::files {

class FolderDrive final : public Drive {
  public:
    explicit FolderDrive(std::filesystem::path root);

    // The host path of the names, resolved as far as they exist.
    std::filesystem::path hostPath(const DriveNames& names) const;

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
    std::filesystem::path root_;
};

// A host file's bytes; nothing when it does not exist; a failure when it exists but cannot be
// read or is not a file.
Result<FileContent> readHostFile(const std::filesystem::path& file);

}  // namespace tunexa::files
