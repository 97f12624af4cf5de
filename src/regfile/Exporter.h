#pragma once

// Writes a key and everything below it as a regedit file, laid out the way Windows 95/98 regedit
// writes REGEDIT4 (or Windows 2000/XP regedit writes Version 5.00), so regedit imports it to the
// same values.

#include <optional>
#include <string>

#include "RegFile.h"
#include "Roots.h"
#include "store/Hive.h"

namespace tunexa::regfile {

// The file's bytes; nothing when the key does not exist.
std::optional<std::string> exportRegFile(store::Hive& hive, const KeyName& key,
                                         RegFileFormat format = RegFileFormat::Regedit4);

}  // namespace tunexa::regfile
