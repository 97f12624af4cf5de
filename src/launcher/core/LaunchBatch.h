#pragma once

// The batch file "c:\tx106hl.bat" that starts Half-Life's console client on a server.

#include <string>
#include <string_view>

#include "platform/files/Drives.h"
#include "platform/files/Result.h"
#include "store/Changes.h"

namespace tunexa::launcher {

inline constexpr std::string_view kLaunchBatchPath = "c:\\tx106hl.bat";

// The file's bytes for the program path P ("C:\Games\Half-Life\hl.exe") and the server address
// A (not checked for form; may be empty):
//   1. the drive: the first two characters of P, e.g. C:
//   2. cd\ (back to the root)
//   3. cd "<folder>": the folders between the root and the program, trailing "\" included
//   4. hl.exe -dev -console +connect <A>
//   5. exit
// each line ended by CR LF, then one more CR LF. Fails, with a message for the user, when P is
// not a drive path to a file named hl.exe, or when P's folder or A holds a character that
// would break the batch file (see platform/files/BatchText.h).
files::Result<std::string> launchBatchContent(std::string_view programPath,
                                              std::string_view address);

// Writes that content to "c:\tx106hl.bat", replacing the old file whole, and gives the file's
// bytes before and after for the change record. Nothing is written when the content is refused
// or the drive is missing.
files::Result<store::ChangeItem> writeLaunchBatch(std::string_view programPath,
                                                  std::string_view address,
                                                  const files::Drives& drives = files::Drives());

}  // namespace tunexa::launcher
