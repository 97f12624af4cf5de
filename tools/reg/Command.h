#pragma once

// The tunexa-reg command line: reg.exe's QUERY, ADD, DELETE, EXPORT and IMPORT with its syntax,
// messages and exit codes (0 done, 1 refused or failed), over one hive.

#include <cstdint>
#include <iosfwd>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "store/Hive.h"

namespace tunexa::regtool {

// Runs one command. `args` excludes the program name and is UTF-8, as are the streams; the
// store's text is converted at this edge. Questions are read as lines from `in`; no answer
// (end of input) counts as No.
int run(store::Hive& hive, const std::vector<std::string>& args, std::istream& in,
        std::ostream& out, std::ostream& err);

// The number /d gives for REG_DWORD: decimal or 0x hex, 0 to 4294967295; nothing otherwise.
std::optional<std::uint32_t> parseDwordArgument(std::string_view text);

}  // namespace tunexa::regtool
