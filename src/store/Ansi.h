#pragma once

// Text in the store is single-byte Windows-1252 ("ANSI"), as the drivers and regedit keep it.
// These helpers fold case the way the registry matches names, and convert at the edges.

#include <cstdint>
#include <string>
#include <string_view>

namespace tunexa::ansi {

// Lower-case form of one Windows-1252 byte: ASCII letters and the accented letters of the code
// page (À-Þ except ×, Š Œ Ž Ÿ); every other byte stays. Inline: every key lookup folds its path.
inline unsigned char foldByte(unsigned char c) {
    if ((c >= 'A' && c <= 'Z') || (c >= 0xC0 && c <= 0xDE && c != 0xD7)) {
        return static_cast<unsigned char>(c + 0x20);
    }
    if (c == 0x8A || c == 0x8C || c == 0x8E) {  // Š Œ Ž
        return static_cast<unsigned char>(c + 0x10);
    }
    return c == 0x9F ? 0xFF : c;  // Ÿ
}

// Lower-case form of a whole name, for case-insensitive matching.
std::string fold(std::string_view text);

bool equalsIgnoringCase(std::string_view a, std::string_view b);

// Case-insensitive ordering (regedit's order of subkeys); ties broken by the raw bytes so the
// order is total and stable.
bool lessIgnoringCase(std::string_view a, std::string_view b);

// Windows-1252 bytes to UTF-8. The five undefined bytes map to the C1 controls.
std::string toUtf8(std::string_view ansi);

// One Unicode code point to Windows-1252; false when the code page has no such character.
bool codePointToAnsi(char32_t codePoint, unsigned char& out);

// UTF-8 to Windows-1252; characters the code page lacks (and malformed bytes) become '?'.
// `lossless` is set to false when that happened.
std::string fromUtf8(std::string_view utf8, bool* lossless = nullptr);

// UTF-16 LE bytes (no BOM) to Windows-1252, with the same '?' rule.
std::string fromUtf16Le(std::string_view bytes, bool* lossless = nullptr);

// Windows-1252 to UTF-16 LE bytes.
std::string toUtf16Le(std::string_view ansi);

}  // namespace tunexa::ansi
