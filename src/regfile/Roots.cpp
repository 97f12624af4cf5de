#include "Roots.h"

#include <array>

#include "store/Ansi.h"
#include "store/KeyPath.h"
#include "store/ValueText.h"

namespace tunexa::regfile {

namespace {

// The roots a file or the command line may name, with reg.exe's short names.
struct ShortName {
    store::HKEY root;
    std::string_view name;
};
constexpr std::array<ShortName, 6> kRoots = {{
    {store::HKEY_LOCAL_MACHINE, "HKLM"},
    {store::HKEY_CURRENT_USER, "HKCU"},
    {store::HKEY_CLASSES_ROOT, "HKCR"},
    {store::HKEY_USERS, "HKU"},
    {store::HKEY_CURRENT_CONFIG, "HKCC"},
    {HKEY_DYN_DATA, "HKDD"},
}};

std::optional<store::HKEY> rootNamed(std::string_view name, bool shortNameToo) {
    for (const auto& entry : kRoots) {
        if (ansi::equalsIgnoringCase(name, store::rootLongName(entry.root)) ||
            (shortNameToo && ansi::equalsIgnoringCase(name, entry.name))) {
            return entry.root;
        }
    }
    return std::nullopt;
}

}  // namespace

std::optional<store::HKEY> rootFromLongName(std::string_view name) {
    return rootNamed(name, false);
}

std::optional<store::HKEY> rootFromAnyName(std::string_view name) {
    return rootNamed(name, true);
}

std::string_view longRootName(store::HKEY root) {
    const std::string_view name = store::rootLongName(root);
    return name.empty() ? "HKEY_UNKNOWN" : name;
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

}  // namespace tunexa::regfile
