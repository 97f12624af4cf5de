#include "Roots.h"

#include <array>

#include "store/Ansi.h"
#include "store/KeyPath.h"

namespace tunexa::regtool {

namespace {

constexpr std::array<RootName, 6> kRoots = {{
    {store::HKEY_LOCAL_MACHINE, "HKEY_LOCAL_MACHINE", "HKLM"},
    {store::HKEY_CURRENT_USER, "HKEY_CURRENT_USER", "HKCU"},
    {store::HKEY_CLASSES_ROOT, "HKEY_CLASSES_ROOT", "HKCR"},
    {store::HKEY_USERS, "HKEY_USERS", "HKU"},
    {store::HKEY_CURRENT_CONFIG, "HKEY_CURRENT_CONFIG", "HKCC"},
    {HKEY_DYN_DATA, "HKEY_DYN_DATA", "HKDD"},
}};

}  // namespace

std::optional<store::HKEY> rootFromLongName(std::string_view name) {
    for (const auto& entry : kRoots) {
        if (ansi::equalsIgnoringCase(name, entry.longName)) {
            return entry.root;
        }
    }
    return std::nullopt;
}

std::optional<store::HKEY> rootFromAnyName(std::string_view name) {
    for (const auto& entry : kRoots) {
        if (ansi::equalsIgnoringCase(name, entry.longName) ||
            ansi::equalsIgnoringCase(name, entry.shortName)) {
            return entry.root;
        }
    }
    return std::nullopt;
}

std::string_view longRootName(store::HKEY root) {
    for (const auto& entry : kRoots) {
        if (entry.root == root) {
            return entry.longName;
        }
    }
    return "HKEY_UNKNOWN";
}

std::string KeyName::fullName() const {
    std::string name(longRootName(root));
    if (!path.empty()) {
        name += '\\';
        name += path;
    }
    return name;
}

std::optional<KeyName> parseKeyName(std::string_view text, KeyNameError* why) {
    auto refuse = [&](KeyNameError error) -> std::optional<KeyName> {
        if (why != nullptr) {
            *why = error;
        }
        return std::nullopt;
    };
    if (text.starts_with("\\\\")) {
        return refuse(KeyNameError::Remote);
    }
    const auto slash = text.find('\\');
    const auto rootText = text.substr(0, slash);
    const auto root = rootFromAnyName(rootText);
    if (!root) {
        return refuse(KeyNameError::UnknownRoot);
    }
    KeyName key;
    key.root = *root;
    if (slash != std::string_view::npos) {
        key.path = store::tidyPath(text.substr(slash + 1));
    }
    if (why != nullptr) {
        *why = KeyNameError::None;
    }
    return key;
}

}  // namespace tunexa::regtool
