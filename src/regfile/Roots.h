#pragma once

// The root keys by name: the long names regedit files use (the store's own, store/ValueText.h) and
// the short names reg.exe accepts.

#include <optional>
#include <string>
#include <string_view>

#include "store/Registry.h"

namespace tunexa::regfile {

// Windows 95/98 keep dynamic data (performance counters, Plug and Play state) under this root.
inline constexpr store::HKEY HKEY_DYN_DATA = 0x80000006;

// A root by its long name only (the form regedit files carry), without regard to case.
std::optional<store::HKEY> rootFromLongName(std::string_view name);

// A root by its long or short name, without regard to case.
std::optional<store::HKEY> rootFromAnyName(std::string_view name);

std::string_view longRootName(store::HKEY root);

// A key as the user names it: the root, then the path below it with empty components dropped.
struct KeyName {
    store::HKEY root = 0;
    std::string path;  // "" for the root itself

    // "HKEY_LOCAL_MACHINE\Software\Foo"
    std::string fullName() const;
};

enum class KeyNameError { None, Remote, UnknownRoot };

// Parses "HKLM\Software\Foo" (long or short root name, trailing and repeated backslashes
// ignored). Refuses remote names ("\\machine\...") and unknown roots.
std::optional<KeyName> parseKeyName(std::string_view text, KeyNameError* why = nullptr);

}  // namespace tunexa::regfile
