#include "Autostart.h"

#include <cstdlib>
#include <optional>
#include <system_error>

#include "platform/files/HostFiles.h"

namespace tunexa::host {

std::filesystem::path autostartEntryPath() {
    const char* config = std::getenv("XDG_CONFIG_HOME");
    std::filesystem::path base;
    if (config != nullptr && config[0] == '/') {
        base = config;
    } else {
        const char* home = std::getenv("HOME");
        base = std::filesystem::path(home != nullptr ? home : ".") / ".config";
    }
    return base / "autostart" / "tunexa.desktop";
}

std::string desktopExecValue(const std::filesystem::path& program) {
    // Exec quoting: inside double quotes, " ` $ and \ take a backslash; the desktop entry's own
    // string escaping then doubles every backslash. '%' starts a field code and is doubled.
    const std::string raw = program.string();
    bool needsQuotes = false;
    for (char c : raw) {
        if (std::string_view(" \t\n\"'\\><~|&;$*?#()`").find(c) != std::string_view::npos) {
            needsQuotes = true;
        }
    }
    std::string value;
    if (needsQuotes) {
        value += '"';
    }
    for (char c : raw) {
        if (needsQuotes && (c == '"' || c == '`' || c == '$' || c == '\\')) {
            value += "\\\\";  // one quoting backslash, itself escaped for the entry format
        }
        if (c == '\\') {
            value += "\\\\";
        } else if (c == '%') {
            value += "%%";
        } else {
            value += c;
        }
    }
    if (needsQuotes) {
        value += '"';
    }
    return value;
}

namespace {

AutostartResult failure(std::string why) {
    AutostartResult result;
    result.ok = false;
    result.error = std::move(why);
    return result;
}

// Puts the entry in the given state (written whole, or removed) and says what it held before.
AutostartResult putEntry(const std::optional<std::string>& content) {
    const auto entry = autostartEntryPath();
    std::error_code ec;
    if (content) {
        std::filesystem::create_directories(entry.parent_path(), ec);
        if (ec) {
            return failure("Cannot create " + entry.parent_path().string() + ": " + ec.message());
        }
    }
    std::string why;
    const auto before = files::hostFiles().read(entry.string(), why);
    if (!why.empty()) {
        return failure("Cannot read " + entry.string() + ": " + why);
    }
    std::optional<store::Bytes> after;
    if (content) {
        after = store::Bytes(content->begin(), content->end());
    }
    if (!files::hostFiles().write(entry.string(), after, why)) {
        return failure("Cannot " + std::string(content ? "write " : "remove ") + entry.string() +
                       ": " + why);
    }
    return {true, {}, files::fileChangeItem(entry.string(), entry.string(), before, after)};
}

}  // namespace

AutostartResult enableAutostart(const std::filesystem::path& program) {
    return putEntry(
        "[Desktop Entry]\n"
        "Type=Application\n"
        "Name=Tunexa\n"
        "Comment=Tune and overclock legacy 3D graphics cards\n"
        "Exec=" +
        desktopExecValue(program) +
        "\n"
        "Icon=tunexa\n"
        "Terminal=false\n"
        "X-GNOME-Autostart-enabled=true\n");
}

AutostartResult disableAutostart() {
    return putEntry(std::nullopt);
}

}  // namespace tunexa::host
