#pragma once

// The program's own keys and values in the store (all texts under HKEY_LOCAL_MACHINE).

#include <string>
#include <string_view>

#include "engine/StoreKeys.h"
#include "store/Registry.h"

namespace tunexa::app {

using engine::kProgramKey;
inline constexpr const char* kConfigure = "Configure";
inline constexpr const char* kTNTAvailable = "TNT Available";
inline constexpr const char* kVoodooAvailable = "Voodoo Available";
inline constexpr const char* kVoodoo2Available = "Voodoo2 Available";
inline constexpr const char* kBansheeAvailable = "Banshee Available";
inline constexpr const char* kStartMinimised = "Start Minimised";
inline constexpr const char* kStartWithWindows = "Start with Windows";

inline constexpr const char* kRunKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
inline constexpr const char* kRunValue = "Tunexa";

inline constexpr const char* kProcessorKey = "Hardware\\Description\\System\\CentralProcessor\\0";
inline constexpr const char* kWindowsKey = "Software\\Microsoft\\Windows\\CurrentVersion";

// A text value under HKEY_LOCAL_MACHINE; an absent one reads as the empty text, which equals
// neither "0" nor "1".
inline std::string readText(std::string_view key, std::string_view name) {
    return store::RegGetString(store::HKEY_LOCAL_MACHINE, key, name).value_or(std::string());
}

inline std::string programFlag(std::string_view name) {
    return readText(kProgramKey, name);
}

// Tabs of SSTab1.
inline constexpr int kMainSettingsTab = 0;
inline constexpr int kRivaTNTTab = 1;
inline constexpr int k3DfxTab = 2;

}  // namespace tunexa::app
