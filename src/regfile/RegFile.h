#pragma once

// What regedit files share between the importer and the exporter: the two headers and formats.

#include <string_view>

namespace tunexa::regfile {

enum class RegFileFormat {
    Regedit4,  // "REGEDIT4": Windows-1252 text, string data in the code page
    Version5,  // "Windows Registry Editor Version 5.00": UTF-16 LE text, string data UTF-16 LE
};

inline constexpr std::string_view kRegedit4Header = "REGEDIT4";
inline constexpr std::string_view kVersion5Header = "Windows Registry Editor Version 5.00";

}  // namespace tunexa::regfile
