#pragma once

// The default display mode, kept where Windows 9x keeps it:
// HKEY_LOCAL_MACHINE "Config\0001\Display\Settings", "Resolution" = "800,600" and
// "BitsPerPixel" = "16" (both texts).

#include "platform/display/DisplayModes.h"

namespace tunexa::system {

// Switches the screen to the width, height and depth of `mode` and, once the platform took it,
// records it as the default mode: both values in one recorded change. The platform's answer, or
// DISP_CHANGE_NOTUPDATED when the store did not take the default.
int changeDisplayModeAsDefault(platform::DisplayModes& modes, const platform::DisplayMode& mode);

}  // namespace tunexa::system
