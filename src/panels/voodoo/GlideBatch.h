#pragma once

// The Glide batch file "c:\tunexa.bat": the Voodoo Graphics options as the environment
// variables the Glide driver reads, set by a batch file that autoexec.bat runs at boot.

#include <string>
#include <string_view>
#include <vector>

#include "engine/ManagedValues.h"
#include "platform/files/Drives.h"
#include "platform/files/Result.h"
#include "store/Changes.h"

namespace tunexa::panels {

using engine::kGlideBatchPath;

// The panel's four settings as they go into the file. Texts are Windows-1252.
struct GlideSettings {
    std::string coreClock;  // MHz as decimal text, e.g. "50"; may be empty
    int fastMem = 0;        // 0 or 1
    int fastPci = 0;        // 0 or 1
    int vsync = 0;          // 0 or 1
};

// The six lines, in order:
//   REM -- Written by <writer> --
//   SET SST_GRXCLK=<core clock>
//   SET SST_FASTMEM=<fast mem>
//   SET SST_FASTPCIRD=<fast pci>
//   SET SST_SWAP_EN_WAIT_ON_VSYNC=<vsync>
//   SET FX_GLIDE_SWAPINTERVAL=0
// Refused, with a message for the user, when the writer or the clock holds a character that
// would break the batch file (see platform/files/BatchText.h).
files::Result<std::vector<std::string>> glideBatchLines(std::string_view writer,
                                                        const GlideSettings& settings);

// Replaces "c:\tunexa.bat" whole with those lines, each ended by CR LF, and gives the file's
// bytes before and after for the change record. Nothing is written when the lines are refused
// or the drive or file cannot be written.
files::Result<store::ChangeItem> writeGlideBatch(std::string_view writer,
                                                 const GlideSettings& settings,
                                                 const files::Drives& drives = files::Drives());

}  // namespace tunexa::panels
