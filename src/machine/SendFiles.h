#pragma once

// The files a send stages on drive C: for the machine to import at its next start, before
// Windows starts: C:\TUNEXA\SEND.REG, a REGEDIT4 file real-mode REGEDIT merges into SYSTEM.DAT,
// and a block at the end of the boot batch file that runs REGEDIT on it once and renames it to
// SENT.REG. Tunexa never writes SYSTEM.DAT itself: Windows 9x replaces a registry it finds
// damaged with a backup, so only the machine's own REGEDIT writes it.

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "machine/MachineValues.h"
#include "platform/files/Drives.h"

namespace tunexa::machine {

// 8.3 names in upper case, as real-mode DOS writes them.
inline constexpr std::string_view kSendFolder = "C:\\TUNEXA";
inline constexpr std::string_view kSendFile = "C:\\TUNEXA\\SEND.REG";
inline constexpr std::string_view kSentFile = "C:\\TUNEXA\\SENT.REG";

// SEND.REG: REGEDIT4 in Windows-1252 with CR LF, one key after the other, each value with its
// type and bytes, or `"name"=-` where the hive has none. Short lines, so the real-mode REGEDIT
// reads it in conventional memory.
std::string sendFileText(std::span<const ValueOnBoth> values);

// The lines the boot batch file imports SEND.REG with, for the Windows folder ("C:\WINDOWS").
std::vector<std::string> bootBlockLines(std::string_view windowsPath);

struct BootBatchFile {
    enum class Block { Added, AlreadyThere, Foreign };
    Block block = Block::Added;
    std::string bytes;  // the file with the block, when Added
};

// The boot batch file's bytes with the block added once at the end, every existing byte kept: a
// line break first when the last line has none, and before an end-of-file mark (^Z), which stays
// last since COMMAND.COM reads nothing after it. Foreign: the file holds Tunexa's first line with
// other lines after it (another Windows folder's block), which would run first.
BootBatchFile withBootBlock(std::string_view existing, std::string_view windowsPath);

// Why a Windows folder (as C:\MSDOS.SYS names it) cannot go into the boot batch file, "it holds
// a blank": anything but a drive and plain 8.3 names of letters, digits and _-~!#$@(){}' ;
// nothing when it can.
std::optional<std::string> dosPathProblem(std::string_view windowsPath);

// Whether a send waits on drive C: (SEND.REG there) or ran (SENT.REG there).
struct SendState {
    bool waiting = false;
    bool run = false;
    std::string problem;  // why drive C: could not be looked at; empty when it could
};
SendState sendState(const files::Drives& drives);

// The path as drive C: (or its drive) has it: how much of it exists, spelled as there.
files::Result<files::ResolvedPath> resolveWindowsPath(const files::Drives& drives,
                                                      std::string_view windowsPath);

// The machine's REGEDIT.EXE, which imports SEND.REG, is in its Windows folder.
bool regeditThere(std::string_view windowsPath, const files::Drives& drives);

}  // namespace tunexa::machine
