#include "Importer.h"

#include <optional>
#include <utility>

#include "Roots.h"
#include "store/Ansi.h"
#include "store/KeyPath.h"

namespace tunexa::regfile {

namespace {

struct Line {
    std::string text;  // Windows-1252
    std::size_t number = 0;
    bool lossy = false;  // characters of a UTF-16 file that the code page lacks became '?'
};

bool isBlank(char c) {
    return c == ' ' || c == '\t';
}

std::string_view trimLeft(std::string_view text) {
    while (!text.empty() && isBlank(text.front())) {
        text.remove_prefix(1);
    }
    return text;
}

std::string_view trimRight(std::string_view text) {
    while (!text.empty() && isBlank(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

// Nothing but blanks, or blanks and a ';' comment.
bool onlyCommentLeft(std::string_view rest) {
    rest = trimLeft(rest);
    return rest.empty() || rest.front() == ';';
}

bool startsWithIgnoringCase(std::string_view text, std::string_view prefix) {
    return text.size() >= prefix.size() &&
           ansi::equalsIgnoringCase(text.substr(0, prefix.size()), prefix);
}

int hexDigit(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

// 1 to maxDigits hex digits and nothing else.
std::optional<std::uint32_t> parseHex(std::string_view digits, std::size_t maxDigits) {
    if (digits.empty() || digits.size() > maxDigits) {
        return std::nullopt;
    }
    std::uint32_t value = 0;
    for (char c : digits) {
        const int digit = hexDigit(c);
        if (digit < 0) {
            return std::nullopt;
        }
        value = (value << 4) | static_cast<std::uint32_t>(digit);
    }
    return value;
}

// Line breaks are CR LF, LF or a lone CR.
std::vector<Line> splitAnsiLines(std::string_view text) {
    std::vector<Line> lines;
    std::size_t start = 0;
    std::size_t number = 1;
    for (std::size_t i = 0; i <= text.size(); ++i) {
        if (i == text.size() || text[i] == '\r' || text[i] == '\n') {
            lines.push_back({std::string(text.substr(start, i - start)), number++, false});
            if (i + 1 < text.size() && text[i] == '\r' && text[i + 1] == '\n') {
                ++i;
            }
            start = i + 1;
        }
    }
    return lines;
}

std::vector<Line> splitUtf16Lines(std::string_view bytes) {
    std::vector<Line> lines;
    std::size_t start = 0;
    std::size_t number = 1;
    auto unitAt = [&](std::size_t i) {
        return static_cast<unsigned>(static_cast<unsigned char>(bytes[i])) |
               (static_cast<unsigned>(static_cast<unsigned char>(bytes[i + 1])) << 8);
    };
    auto finish = [&](std::size_t end) {
        bool lossless = true;
        lines.push_back(
            {ansi::fromUtf16Le(bytes.substr(start, end - start), &lossless), number++, !lossless});
    };
    std::size_t i = 0;
    for (; i + 1 < bytes.size(); i += 2) {
        const unsigned unit = unitAt(i);
        if (unit == 0x0D || unit == 0x0A) {
            finish(i);
            if (unit == 0x0D && i + 3 < bytes.size() && unitAt(i + 2) == 0x0A) {
                i += 2;
            }
            start = i + 2;
        }
    }
    finish(i);
    if (i < bytes.size()) {
        lines.back().lossy = true;  // a lone byte after the last whole character
    }
    return lines;
}

// The text between quotes with the escapes \\ \" \r \n undone; `rest` is what follows the
// closing quote. Any other backslash pair is kept as written. Nothing when the quote is open.
std::optional<std::string> readQuoted(std::string_view text, std::string_view& rest) {
    std::string out;
    for (std::size_t i = 1; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '"') {
            rest = text.substr(i + 1);
            return out;
        }
        if (c == '\\' && i + 1 < text.size()) {
            const char next = text[++i];
            switch (next) {
                case '\\':
                case '"':
                    out += next;
                    break;
                case 'r':
                    out += '\r';
                    break;
                case 'n':
                    out += '\n';
                    break;
                default:
                    out += '\\';
                    out += next;
                    break;
            }
            continue;
        }
        out += c;
    }
    return std::nullopt;
}

store::Bytes toBytes(std::string_view text) {
    return store::Bytes(text.begin(), text.end());
}

bool holdsTextInUtf16(std::uint32_t type) {
    return type == store::REG_SZ || type == store::REG_EXPAND_SZ || type == store::REG_MULTI_SZ;
}

class Parser {
  public:
    Parser(std::vector<Line> lines, ParsedRegFile& out) : lines_(std::move(lines)), out_(out) {}

    void run() {
        for (index_ = 1; index_ < lines_.size(); ++index_) {
            const Line& line = lines_[index_];
            if (line.text.find('\0') != std::string::npos) {
                warn(line.number, "the line holds a NUL character");
                continue;
            }
            if (line.lossy) {
                warn(line.number, "characters with no Windows-1252 form were replaced by '?'");
            }
            const std::string_view body = trimLeft(line.text);
            if (body.empty() || body.front() == ';' || body.front() == '#') {
                continue;
            }
            if (body.front() == '[') {
                keyLine(line.number, body);
            } else if (body.front() == '"' || body.front() == '@') {
                valueLine(line.number, body);
            } else {
                warn(line.number, "not a key, a value or a comment");
            }
        }
    }

  private:
    struct CurrentKey {
        bool valid = false;
        bool overLimit = false;  // refused for the registry's limits; its values go with it
        store::HKEY root = 0;
        std::string path;
    };

    void warn(std::size_t line, std::string message) {
        out_.warnings.push_back({line, std::move(message)});
    }

    void keyLine(std::size_t number, std::string_view body) {
        current_ = {};
        const std::string_view inner = body.substr(1);
        // The closing bracket is the last one on the line that only blanks or a comment follow,
        // so a key name may itself hold ']'.
        std::size_t close = std::string_view::npos;
        for (std::size_t pos = inner.rfind(']'); pos != std::string_view::npos;
             pos = pos == 0 ? std::string_view::npos : inner.rfind(']', pos - 1)) {
            if (onlyCommentLeft(inner.substr(pos + 1))) {
                close = pos;
                break;
            }
        }
        if (close == std::string_view::npos) {
            warn(number, "the key line has no closing ']'");
            return;
        }
        std::string_view name = inner.substr(0, close);
        const bool deletion = !name.empty() && name.front() == '-';
        if (deletion) {
            name.remove_prefix(1);
        }
        const auto slash = name.find('\\');
        const std::string_view rootText = name.substr(0, slash);
        const auto root = rootFromLongName(rootText);
        if (!root) {
            warn(number, "unknown root key \"" + std::string(rootText) + "\"");
            return;
        }
        if (slash != std::string_view::npos) {
            // Checked before the path is built, so a key thousands of levels deep costs no more
            // than reading its line. One warning stands for the key line and its values.
            if (const auto refusal = store::keyPathRefusal(name.substr(slash + 1))) {
                warn(number, *refusal + "; the key and its values were skipped");
                current_.overLimit = true;
                return;
            }
        }
        const std::string path = slash == std::string_view::npos
                                     ? std::string()
                                     : store::tidyPath(name.substr(slash + 1));
        RegOperation op;
        op.root = *root;
        op.key = path;
        op.line = number;
        if (deletion) {
            if (path.empty()) {
                warn(number, "a root key cannot be deleted");
                return;
            }
            op.kind = RegOperation::Kind::DeleteKey;
            out_.operations.push_back(std::move(op));
            return;
        }
        op.kind = RegOperation::Kind::CreateKey;
        out_.operations.push_back(std::move(op));
        current_ = {.valid = true, .root = *root, .path = std::move(path)};
    }

    void valueLine(std::size_t number, std::string_view body) {
        std::string name;
        std::string_view rest;
        if (body.front() == '@') {
            rest = body.substr(1);
        } else {
            auto quoted = readQuoted(body, rest);
            if (!quoted) {
                warn(number, "the value name has no closing quote");
                return;
            }
            name = std::move(*quoted);
        }
        rest = trimLeft(rest);
        if (rest.empty() || rest.front() != '=') {
            warn(number, "'=' expected after the value name");
            return;
        }
        rest = trimLeft(rest.substr(1));

        RegOperation op;
        op.line = number;
        op.name = std::move(name);
        if (!readData(number, rest, op)) {
            return;
        }
        if (!current_.valid) {
            if (!current_.overLimit) {
                warn(number, "a value with no key above it (missing, skipped or deleted key line)");
            }
            return;
        }
        if (const auto refusal = store::valueNameRefusal(op.name)) {
            warn(number, *refusal);
            return;
        }
        op.root = current_.root;
        op.key = current_.path;
        out_.operations.push_back(std::move(op));
    }

    // The data after '='; false (with a warning) when it is malformed.
    bool readData(std::size_t number, std::string_view rest, RegOperation& op) {
        if (!rest.empty() && rest.front() == '-') {
            if (!onlyCommentLeft(rest.substr(1))) {
                warn(number, "unexpected text after '=-'");
                return false;
            }
            op.kind = RegOperation::Kind::DeleteValue;
            return true;
        }
        op.kind = RegOperation::Kind::SetValue;
        if (!rest.empty() && rest.front() == '"') {
            std::string_view after;
            auto text = readQuoted(rest, after);
            if (!text) {
                warn(number, "the string has no closing quote");
                return false;
            }
            if (!onlyCommentLeft(after)) {
                warn(number, "unexpected text after the closing quote");
                return false;
            }
            op.type = store::REG_SZ;
            op.data = toBytes(*text);
            return true;
        }
        if (startsWithIgnoringCase(rest, "dword:")) {
            std::string_view digits = rest.substr(6);
            std::size_t end = 0;
            while (end < digits.size() && !isBlank(digits[end]) && digits[end] != ';') {
                ++end;
            }
            const auto value = parseHex(digits.substr(0, end), 8);
            if (!value || !onlyCommentLeft(digits.substr(end))) {
                warn(number, "dword: needs 1 to 8 hex digits");
                return false;
            }
            op.type = store::REG_DWORD;
            op.data = {static_cast<std::uint8_t>(*value), static_cast<std::uint8_t>(*value >> 8),
                       static_cast<std::uint8_t>(*value >> 16),
                       static_cast<std::uint8_t>(*value >> 24)};
            return true;
        }
        if (startsWithIgnoringCase(rest, "hex")) {
            return readHex(number, rest.substr(3), op);
        }
        warn(number, "unrecognised value data");
        return false;
    }

    // After "hex": either ":" or "(N):", then comma-separated bytes, continued on the next
    // line after a trailing backslash.
    bool readHex(std::size_t number, std::string_view rest, RegOperation& op) {
        op.type = store::REG_BINARY;
        if (!rest.empty() && rest.front() == '(') {
            const auto close = rest.find(')');
            const auto type = close == std::string_view::npos
                                  ? std::nullopt
                                  : parseHex(rest.substr(1, close - 1), 8);
            if (!type) {
                warn(number, "hex(N) needs a type number of 1 to 8 hex digits");
                return false;
            }
            op.type = *type;
            rest = rest.substr(close + 1);
        }
        if (rest.empty() || rest.front() != ':') {
            warn(number, "':' expected after hex");
            return false;
        }
        rest.remove_prefix(1);

        std::string collected;
        while (true) {
            rest = trimRight(rest.substr(0, rest.find(';')));
            if (rest.empty() || rest.back() != '\\') {
                collected += rest;
                break;
            }
            collected += rest.substr(0, rest.size() - 1);
            // As regedit does, blank and comment lines are passed over on the way to the data's
            // next line; a file that ends first leaves the value unfinished, and it is skipped.
            std::size_t following = index_ + 1;
            while (following < lines_.size() && onlyCommentLeft(lines_[following].text)) {
                ++following;
            }
            if (following >= lines_.size()) {
                warn(number, "the hex data ends with '\\' but the file ends before it does");
                return false;
            }
            // A key or value line is never hex data: taking it as such would lose it and put
            // the values after it into the wrong key.
            const std::string_view next = trimLeft(lines_[following].text);
            if (next.front() == '[' || next.front() == '"' || next.front() == '@') {
                warn(number, "the hex data ends with '\\' but the next line is a key or a value");
                return false;
            }
            rest = next;
            index_ = following;
        }

        store::Bytes bytes;
        std::string_view list = collected;
        while (!list.empty()) {
            const auto comma = list.find(',');
            const auto token = trimRight(trimLeft(list.substr(0, comma)));
            const bool last = comma == std::string_view::npos;
            // A trailing comma (before the end of the data) is tolerated; an empty byte is not.
            if (token.empty() && last && !bytes.empty()) {
                break;
            }
            const auto value = parseHex(token, 2);
            if (!value) {
                warn(number, "hex data must be bytes of 1 or 2 hex digits separated by commas");
                return false;
            }
            bytes.push_back(static_cast<std::uint8_t>(*value));
            list = last ? std::string_view() : list.substr(comma + 1);
        }

        if (out_.format == RegFileFormat::Version5 && holdsTextInUtf16(op.type)) {
            bool lossless = bytes.size() % 2 == 0;
            bool converted = true;
            const std::string text = ansi::fromUtf16Le(
                std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()),
                &converted);
            if (!lossless || !converted) {
                warn(number, "text data with no Windows-1252 form was replaced by '?'");
            }
            op.data = toBytes(text);
        } else {
            op.data = std::move(bytes);
        }
        return true;
    }

    std::vector<Line> lines_;
    ParsedRegFile& out_;
    std::size_t index_ = 0;
    CurrentKey current_;
};

}  // namespace

ParsedRegFile parseRegFile(std::string_view fileBytes) {
    ParsedRegFile parsed;
    std::vector<Line> lines;
    if (fileBytes.size() >= 2 && static_cast<unsigned char>(fileBytes[0]) == 0xFF &&
        static_cast<unsigned char>(fileBytes[1]) == 0xFE) {
        lines = splitUtf16Lines(fileBytes.substr(2));
    } else {
        lines = splitAnsiLines(fileBytes);
    }
    if (lines.empty() || lines.front().lossy) {
        return parsed;
    }
    if (lines.front().text == kRegedit4Header) {
        parsed.format = RegFileFormat::Regedit4;
    } else if (lines.front().text == kVersion5Header) {
        parsed.format = RegFileFormat::Version5;
    } else {
        return parsed;
    }
    parsed.recognized = true;
    Parser(std::move(lines), parsed).run();
    return parsed;
}

ImportResult importRegFile(store::Hive& hive, std::string_view fileBytes) {
    ParsedRegFile parsed = parseRegFile(fileBytes);
    ImportResult result;
    result.recognized = parsed.recognized;
    result.warnings = std::move(parsed.warnings);
    result.saved = parsed.recognized && applyOperations(hive, parsed.operations).saved;
    return result;
}

}  // namespace tunexa::regfile
