#pragma once

// The program's own values in the store (all texts under HKEY_LOCAL_MACHINE; the keys are named
// in engine/StoreKeys.h).

#include <string>
#include <string_view>

#include "engine/StoreKeys.h"
#include "store/Registry.h"

namespace tunexa::app {

using engine::kProgramKey;
// The card flags ("TNT Available", ...) are in the card table, Cards.h.
inline constexpr const char* kConfigure = "Configure";
inline constexpr const char* kStartMinimised = "Start Minimised";
inline constexpr const char* kStartWithWindows = "Start with Windows";

// The program's entry in the logon "Run" list (engine::kRunKey).
inline constexpr const char* kRunValue = "Tunexa";

// A text value under HKEY_LOCAL_MACHINE; an absent one reads as the empty text, which equals
// neither "0" nor "1".
inline std::string readText(std::string_view key, std::string_view name) {
    return store::RegGetString(store::HKEY_LOCAL_MACHINE, key, name).value_or(std::string());
}

inline std::string programFlag(std::string_view name) {
    return readText(kProgramKey, name);
}

// A flag of the program as a check box holds it: "0" or "1".
inline void writeProgramFlag(std::string_view name, int value) {
    store::RegSetString(store::HKEY_LOCAL_MACHINE, kProgramKey, name, std::to_string(value));
}

// Tabs of SSTab1.
inline constexpr int kMainSettingsTab = 0;
inline constexpr int kRivaTNTTab = 1;
inline constexpr int k3DfxTab = 2;

}  // namespace tunexa::app
