#pragma once

// The tunexa-reg command line: reg.exe's QUERY, ADD, DELETE, EXPORT and IMPORT with its syntax,
// messages and exit codes (0 done, 1 refused or failed; MACHINE CHECK 2: unreadable), over one
// hive, with the change record, profiles and the machine on drive C: beside them.

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

}  // namespace tunexa::regtool
