#include "Exporter.h"

#include <cstdio>
#include <string_view>

#include "store/Ansi.h"
#include "store/KeyPath.h"
#include "store/Registry.h"

namespace tunexa::regfile {

namespace {

constexpr std::string_view kLineBreak = "\r\n";
// regedit breaks a hex line once it reaches this many characters (the indent included), so a
// continuation line holds 25 bytes and every line stays within 80 columns.
constexpr std::size_t kHexLineLength = 77;
constexpr std::string_view kHexIndent = "  ";

std::string escapeName(std::string_view name) {
    std::string out;
    for (char c : name) {
        switch (c) {
            case '\\':
                out += "\\\\";
                break;
            case '"':
                out += "\\\"";
                break;
            case '\r':
                out += "\\r";
                break;
            case '\n':
                out += "\\n";
                break;
            default:
                out += c;
        }
    }
    return out;
}

// A "string" carries text without NULs or line breaks; anything else goes out as hex(1).
bool fitsInQuotes(const store::Bytes& data) {
    for (auto byte : data) {
        if (byte == '\0' || byte == '\r' || byte == '\n') {
            return false;
        }
    }
    return true;
}

void appendHexList(std::string& line, std::string_view bytes) {
    std::size_t length = line.size();
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        char digits[3];
        std::snprintf(digits, sizeof digits, "%02x", static_cast<unsigned char>(bytes[i]));
        line += digits;
        if (i + 1 == bytes.size()) {
            break;
        }
        line += ',';
        length += 3;
        if (length >= kHexLineLength) {
            line += '\\';
            line += kLineBreak;
            line += kHexIndent;
            length = kHexIndent.size();
        }
    }
}

std::string nameField(std::string_view name) {
    return name.empty() ? "@=" : "\"" + escapeName(name) + "\"=";
}

void writeKeyTree(RegFileWriter& writer, store::Hive& hive, store::HKEY root,
                  const std::string& path) {
    writer.key(KeyName{root, path});
    for (const auto& value : hive.values(root, path)) {
        writer.value(value.name, value.type, value.data);
    }
    for (const auto& child : hive.subkeys(root, path)) {
        writeKeyTree(writer, hive, root, store::joinPath(path, child));
    }
}

}  // namespace

RegFileWriter::RegFileWriter(RegFileFormat format)
    : format_(format),
      text_(format == RegFileFormat::Version5 ? kVersion5Header : kRegedit4Header) {
    text_ += kLineBreak;
}

void RegFileWriter::key(const KeyName& key) {
    text_ += kLineBreak;
    text_ += '[';
    text_ += key.fullName();
    text_ += ']';
    text_ += kLineBreak;
}

void RegFileWriter::value(std::string_view name, std::uint32_t type, const store::Bytes& data) {
    std::string line = nameField(name);
    const std::string_view raw(reinterpret_cast<const char*>(data.data()), data.size());
    if (type == store::REG_SZ && fitsInQuotes(data)) {
        line += '"';
        line += escapeName(raw);
        line += '"';
    } else if (type == store::REG_DWORD && data.size() == 4) {
        const std::uint32_t number = data[0] | (data[1] << 8) | (data[2] << 16) |
                                     (static_cast<std::uint32_t>(data[3]) << 24);
        char digits[16];
        std::snprintf(digits, sizeof digits, "dword:%08x", number);
        line += digits;
    } else if (type == store::REG_BINARY) {
        line += "hex:";
        appendHexList(line, raw);
    } else {
        char prefix[24];
        std::snprintf(prefix, sizeof prefix, "hex(%x):", type);
        line += prefix;
        const bool utf16 =
            format_ == RegFileFormat::Version5 &&
            (type == store::REG_SZ || type == store::REG_EXPAND_SZ || type == store::REG_MULTI_SZ);
        appendHexList(line, utf16 ? ansi::toUtf16Le(raw) : std::string(raw));
    }
    text_ += line;
    text_ += kLineBreak;
}

void RegFileWriter::deletion(std::string_view name) {
    text_ += nameField(name);
    text_ += '-';
    text_ += kLineBreak;
}

std::string RegFileWriter::finish() {
    text_ += kLineBreak;
    if (format_ == RegFileFormat::Version5) {
        return "\xFF\xFE" + ansi::toUtf16Le(text_);
    }
    return text_;
}

std::optional<std::string> exportRegFile(store::Hive& hive, const KeyName& key,
                                         RegFileFormat format) {
    const auto stored = hive.storedPath(key.root, key.path);
    if (!stored) {
        return std::nullopt;
    }
    RegFileWriter writer(format);
    writeKeyTree(writer, hive, key.root, *stored);
    return writer.finish();
}

}  // namespace tunexa::regfile
