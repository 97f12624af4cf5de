#include "platform/files/BatchText.h"

#include <array>
#include <cstdio>

namespace tunexa::files {

namespace {

struct RefusedCharacter {
    char character;
    const char* description;
};

// Named refusals; any other control character is described by its code.
constexpr std::array kRefused{
    RefusedCharacter{'\r', "a line break (carriage return)"},
    RefusedCharacter{'\n', "a line break (line feed)"},
    RefusedCharacter{'\0', "a NUL character"},
    RefusedCharacter{'\x1a', "an end-of-file mark (Ctrl-Z)"},
    RefusedCharacter{'&', "the command separator &"},
    RefusedCharacter{'|', "the pipe character |"},
    RefusedCharacter{'<', "the redirection character <"},
    RefusedCharacter{'>', "the redirection character >"},
    RefusedCharacter{'^', "the escape character ^"},
    RefusedCharacter{'%', "the variable character %"},
    RefusedCharacter{'"', "a double quote"},
};

bool isControl(char c) {
    const auto byte = static_cast<unsigned char>(c);
    return byte < 0x20 || byte == 0x7F;
}

}  // namespace

std::optional<char> unsafeBatchCharacter(std::string_view text) {
    for (const char c : text) {
        if (isControl(c)) {
            return c;
        }
        for (const auto& refused : kRefused) {
            if (refused.character == c) {
                return c;
            }
        }
    }
    return std::nullopt;
}

std::string describeBatchCharacter(char c) {
    for (const auto& refused : kRefused) {
        if (refused.character == c) {
            return refused.description;
        }
    }
    if (isControl(c)) {
        char code[8];
        std::snprintf(code, sizeof code, "0x%02X", static_cast<unsigned char>(c));
        return std::string("the control character ") + code;
    }
    return std::string("the character ") + c;
}

std::optional<std::string> batchTextProblem(std::string_view what, std::string_view text) {
    const auto refused = unsafeBatchCharacter(text);
    if (!refused) {
        return std::nullopt;
    }
    return std::string(what) + " cannot go into a batch file: it holds " +
           describeBatchCharacter(*refused) + ".";
}

}  // namespace tunexa::files
