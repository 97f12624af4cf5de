#pragma once

// Registry text for tests: lines joined as a file, bytes of a text, deep key paths, and a
// Windows 98 regedit export with every form of value line regedit writes.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "store/Changes.h"

namespace tunexa::test {

inline store::Bytes bytes(std::string_view text) {
    return store::Bytes(text.begin(), text.end());
}

inline std::string joined(const std::vector<std::string>& lines,
                          std::string_view lineBreak = "\r\n") {
    std::string text;
    for (const auto& line : lines) {
        text.append(line).append(lineBreak);
    }
    return text;
}

// "k\k\...": a path of `depth` keys.
inline std::string keyPath(std::size_t depth) {
    std::string path = "k";
    for (std::size_t i = 1; i < depth; ++i) {
        path += "\\k";
    }
    return path;
}

// A Windows 98 regedit export (CR LF, a blank line before each key, hex wrapped at regedit's
// width with a two-blank indent). Imported and exported again it is the same file.
inline const std::vector<std::string> kRegeditExport = {
    "REGEDIT4",
    "",
    "[HKEY_LOCAL_MACHINE\\Software\\3Dfx Interactive]",
    "\"SSTV2_SWAPINTERVAL\"=\"1\"",
    "\"Path\"=\"C:\\\\WINDOWS\\\\SYSTEM \\\"x\\\" \xE9\"",
    "@=\"default\"",
    "\"Count\"=dword:8000001e",
    "\"Blob\"=hex:01,02,03,04,05,06,07,08,09,0a,0b,0c,0d,0e,0f,10,11,12,13,14,15,16,\\",
    "  17,18,19",
    "\"Expand\"=hex(2):25,50,41,54,48,25,00",
    "\"Nul\"=hex(1):61,00,0d,0a",
    "\"Short\"=hex(4):01,02",
    "\"Odd\"=hex(1b):ab",
    "\"Esc\\\"q\\\\\"=\"\"",
    "\"M\"=hex(7):61,00,62,00,00",
    "\"Big\"=hex(5):00,00,01,00",
    "\"Q\"=hex(b):ff,00,00,00,00,00,00,80",
    "",
    "[HKEY_LOCAL_MACHINE\\Software\\3Dfx Interactive\\b]",
    "",
    "[HKEY_LOCAL_MACHINE\\Software\\3Dfx Interactive\\b\\Caf\xE9]",
    "@=hex(0):",
    "",
    "[HKEY_LOCAL_MACHINE\\Software\\3Dfx Interactive\\C]",
    "\"Caf\xE9\"=\"cr\xE8me\"",
    "",
};

}  // namespace tunexa::test
