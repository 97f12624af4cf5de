#include "Autostart.h"

#include <cstdlib>
#include <fstream>
#include <system_error>

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

AutostartResult enableAutostart(const std::filesystem::path& program) {
    const auto entry = autostartEntryPath();
    std::error_code ec;
    std::filesystem::create_directories(entry.parent_path(), ec);
    if (ec) {
        return {false, "Cannot create " + entry.parent_path().string() + ": " + ec.message()};
    }
    const auto temporary = entry.string() + ".tmp";
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        out << "[Desktop Entry]\n"
               "Type=Application\n"
               "Name=Tunexa\n"
               "Comment=Tune and overclock legacy 3D graphics cards\n"
               "Exec="
            << desktopExecValue(program)
            << "\n"
               "Icon=tunexa\n"
               "Terminal=false\n"
               "X-GNOME-Autostart-enabled=true\n";
        out.flush();
        if (!out) {
            std::filesystem::remove(temporary, ec);
            return {false, "Cannot write " + temporary};
        }
    }
    std::filesystem::rename(temporary, entry, ec);
    if (ec) {
        std::error_code ignored;
        std::filesystem::remove(temporary, ignored);
        return {false, "Cannot write " + entry.string() + ": " + ec.message()};
    }
    return {};
}

AutostartResult disableAutostart() {
    const auto entry = autostartEntryPath();
    std::error_code ec;
    std::filesystem::remove(entry, ec);
    if (ec) {
        return {false, "Cannot remove " + entry.string() + ": " + ec.message()};
    }
    return {};
}

}  // namespace tunexa::host
