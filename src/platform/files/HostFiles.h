#pragma once

// The files a change records, read and written on this machine: the change record's FileAccess,
// and the batch-file writes described as change items. A recorded file is a host path or a file
// inside a disk image (FileLocation.h); both are read and put back byte for byte.

#include <string>
#include <string_view>
#include <vector>

#include "platform/files/Drives.h"
#include "platform/files/Result.h"
#include "store/Changes.h"

namespace tunexa::files {

class HostFiles final : public store::FileAccess {
  public:
    std::optional<store::Bytes> read(const std::string& location, std::string& why) override;
    // A whole file is replaced (atomically in a folder, safely in an image); an absent one is
    // removed.
    bool write(const std::string& location, const std::optional<store::Bytes>& content,
               std::string& why) override;
};

// The program's one instance.
HostFiles& hostFiles();

// A file a change wrote, as its change item: its location, the name shown for it, and its bytes
// before and after (nothing: absent).
store::ChangeItem fileChangeItem(const std::string& location, const std::string& shown,
                                 const std::optional<store::Bytes>& before,
                                 const std::optional<store::Bytes>& after);

// writeTextFile() and appendTextLine() of TextFiles.h, and a whole file replaced by `bytes`,
// with the file's bytes before and after the write as a change item, for the change that writes
// them. The drive may be a folder or a disk image.
Result<store::ChangeItem> replaceFileForChange(std::string_view windowsPath, std::string_view bytes,
                                               const Drives& drives = Drives());
Result<store::ChangeItem> writeTextFileForChange(std::string_view windowsPath,
                                                 const std::vector<std::string>& lines,
                                                 const Drives& drives = Drives());
Result<store::ChangeItem> appendTextLineForChange(std::string_view windowsPath,
                                                  std::string_view line,
                                                  const Drives& drives = Drives());
// The file removed (nothing to do when it is not there), as a change item.
Result<store::ChangeItem> removeFileForChange(std::string_view windowsPath,
                                              const Drives& drives = Drives());

}  // namespace tunexa::files
