#pragma once

// Starting the program at login the freedesktop way: an autostart desktop entry in
// $XDG_CONFIG_HOME/autostart, present only while the option is on.

#include <filesystem>
#include <string>

#include "store/Changes.h"

namespace tunexa::host {

struct AutostartResult {
    bool ok = true;
    std::string error;  // what went wrong, in words, when not ok
    // The entry before and after, for the change record.
    store::ChangeItem file;
};

// `${XDG_CONFIG_HOME:-$HOME/.config}/autostart/tunexa.desktop`.
std::filesystem::path autostartEntryPath();

// The Exec line's value for a program path, quoted as the desktop entry format requires.
std::string desktopExecValue(const std::filesystem::path& program);

// Writes the entry (replaced whole, never half written) so `program` starts at login.
AutostartResult enableAutostart(const std::filesystem::path& program);

// Removes the entry; a missing entry is fine.
AutostartResult disableAutostart();

}  // namespace tunexa::host
