#pragma once

// The default display mode, kept where Windows 9x keeps it:
// HKEY_LOCAL_MACHINE "Config\0001\Display\Settings", "Resolution" = "800,600" and
// "BitsPerPixel" = "16" (both texts).

#include <cstdint>

namespace tunexa::platform {

inline constexpr const char* kDisplaySettingsKey = "Config\\0001\\Display\\Settings";

struct DefaultDisplayMode {
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    std::uint16_t bitsPerPel = 0;
};

// Writes both values in one transaction; false when the store did not take them.
bool recordDefaultDisplayMode(const DefaultDisplayMode& mode);

}  // namespace tunexa::platform
