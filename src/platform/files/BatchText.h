#pragma once

// Whether a text may stand inside one line of a batch file without changing what the line does.
//
// Refused: every control character (CR and LF would end the line, NUL and Ctrl-Z end the file
// for COMMAND.COM, the rest have no place in a name or address) and DEL; the command separators
// and redirections & | < >; the escape ^; % (variable expansion, also %0-%9 arguments); and the
// double quote, which would end a quoted folder name early. Every other printable character,
// Windows-1252 letters included, is accepted.

#include <optional>
#include <string>
#include <string_view>

namespace tunexa::files {

// The first character that may not go into a batch line, or nothing when the text is safe.
std::optional<char> unsafeBatchCharacter(std::string_view text);

// How a refused character is named to the user: "a line break", "the character &" ...
std::string describeBatchCharacter(char c);

// "<what> cannot go into a batch file: it holds <character>." when the text is unsafe.
std::optional<std::string> batchTextProblem(std::string_view what, std::string_view text);

}  // namespace tunexa::files
