#pragma once

// Reads regedit files (REGEDIT4 and Version 5.00) into the store as regedit does: a malformed
// line is skipped with a warning naming its line, the rest goes on, and the whole import is one
// transaction.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "RegFile.h"
#include "RegOperations.h"
#include "store/Hive.h"
#include "store/Registry.h"

namespace tunexa::regfile {

// One line the import skipped or changed; line 0 stands for the whole file.
struct ImportWarning {
    std::size_t line = 0;
    std::string message;
};

struct ParsedRegFile {
    bool recognized = false;  // the first line is one of the two headers
    RegFileFormat format = RegFileFormat::Regedit4;
    std::vector<RegOperation> operations;
    std::vector<ImportWarning> warnings;
};

// Decodes the file (UTF-16 LE with BOM, or Windows-1252) and turns each line into operations.
// Never throws on any input.
ParsedRegFile parseRegFile(std::string_view fileBytes);

struct ImportResult {
    bool recognized = false;
    bool saved = false;  // the transaction was committed; else the hive's lastFailure() says why
    std::vector<ImportWarning> warnings;
};

// Parses the file and applies everything in one batch on the hive. A file whose header is
// neither form changes nothing.
ImportResult importRegFile(store::Hive& hive, std::string_view fileBytes);

}  // namespace tunexa::regfile
