#include "Ansi.h"

#include <array>

namespace tunexa::ansi {

namespace {

// Code points of bytes 0x80-0x9F. The five bytes Windows-1252 leaves undefined map to the C1
// controls of the same number, as Windows itself converts them, so every byte round-trips.
constexpr std::array<char32_t, 32> kHighControlBlock = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

char32_t codePointOf(unsigned char c) {
    if (c >= 0x80 && c <= 0x9F) {
        return kHighControlBlock[c - 0x80];
    }
    return c;
}

void appendUtf8(std::string& out, char32_t cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

void appendAnsi(std::string& out, char32_t cp, bool* lossless) {
    unsigned char byte = 0;
    if (codePointToAnsi(cp, byte)) {
        out += static_cast<char>(byte);
    } else {
        out += '?';
        if (lossless != nullptr) {
            *lossless = false;
        }
    }
}

}  // namespace

std::string fold(std::string_view text) {
    std::string out(text);
    for (char& c : out) {
        c = static_cast<char>(foldByte(static_cast<unsigned char>(c)));
    }
    return out;
}

bool equalsIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (foldByte(static_cast<unsigned char>(a[i])) !=
            foldByte(static_cast<unsigned char>(b[i]))) {
            return false;
        }
    }
    return true;
}

bool lessIgnoringCase(std::string_view a, std::string_view b) {
    const std::size_t n = a.size() < b.size() ? a.size() : b.size();
    for (std::size_t i = 0; i < n; ++i) {
        const auto fa = foldByte(static_cast<unsigned char>(a[i]));
        const auto fb = foldByte(static_cast<unsigned char>(b[i]));
        if (fa != fb) {
            return fa < fb;
        }
    }
    if (a.size() != b.size()) {
        return a.size() < b.size();
    }
    return a < b;
}

std::string toUtf8(std::string_view ansi) {
    std::string out;
    out.reserve(ansi.size());
    for (char c : ansi) {
        appendUtf8(out, codePointOf(static_cast<unsigned char>(c)));
    }
    return out;
}

bool codePointToAnsi(char32_t codePoint, unsigned char& out) {
    if (codePoint < 0x80 || (codePoint >= 0xA0 && codePoint <= 0xFF)) {
        out = static_cast<unsigned char>(codePoint);
        return true;
    }
    for (std::size_t i = 0; i < kHighControlBlock.size(); ++i) {
        if (kHighControlBlock[i] == codePoint) {
            out = static_cast<unsigned char>(0x80 + i);
            return true;
        }
    }
    return false;
}

std::string fromUtf8(std::string_view utf8, bool* lossless) {
    if (lossless != nullptr) {
        *lossless = true;
    }
    std::string out;
    out.reserve(utf8.size());
    std::size_t i = 0;
    while (i < utf8.size()) {
        const auto lead = static_cast<unsigned char>(utf8[i]);
        int extra = 0;
        char32_t cp = 0;
        if (lead < 0x80) {
            cp = lead;
        } else if ((lead & 0xE0) == 0xC0) {
            extra = 1;
            cp = lead & 0x1F;
        } else if ((lead & 0xF0) == 0xE0) {
            extra = 2;
            cp = lead & 0x0F;
        } else if ((lead & 0xF8) == 0xF0) {
            extra = 3;
            cp = lead & 0x07;
        } else {
            appendAnsi(out, 0xFFFD, lossless);
            ++i;
            continue;
        }
        if (i + static_cast<std::size_t>(extra) >= utf8.size() && extra > 0) {
            appendAnsi(out, 0xFFFD, lossless);
            break;
        }
        bool valid = true;
        for (int k = 1; k <= extra; ++k) {
            const auto next = static_cast<unsigned char>(utf8[i + static_cast<std::size_t>(k)]);
            if ((next & 0xC0) != 0x80) {
                valid = false;
                break;
            }
            cp = (cp << 6) | (next & 0x3F);
        }
        if (!valid) {
            appendAnsi(out, 0xFFFD, lossless);
            ++i;
            continue;
        }
        appendAnsi(out, cp, lossless);
        i += static_cast<std::size_t>(extra) + 1;
    }
    return out;
}

std::string fromUtf16Le(std::string_view bytes, bool* lossless) {
    if (lossless != nullptr) {
        *lossless = true;
    }
    std::string out;
    out.reserve(bytes.size() / 2);
    for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
        const char32_t unit =
            static_cast<unsigned char>(bytes[i]) |
            (static_cast<char32_t>(static_cast<unsigned char>(bytes[i + 1])) << 8);
        if (unit >= 0xD800 && unit <= 0xDFFF) {
            // A surrogate half: the pair names a character far outside the code page.
            if (unit <= 0xDBFF && i + 3 < bytes.size()) {
                i += 2;
            }
            appendAnsi(out, 0xFFFD, lossless);
            continue;
        }
        appendAnsi(out, unit, lossless);
    }
    return out;
}

std::string toUtf16Le(std::string_view ansi) {
    std::string out;
    out.reserve(ansi.size() * 2);
    for (char c : ansi) {
        const char32_t cp = codePointOf(static_cast<unsigned char>(c));
        out += static_cast<char>(cp & 0xFF);
        out += static_cast<char>((cp >> 8) & 0xFF);
    }
    return out;
}

}  // namespace tunexa::ansi
