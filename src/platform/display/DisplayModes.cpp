#include "platform/display/DisplayModes.h"

namespace tunexa::platform {

int DisplayModes::ChangeDisplayMode(const DisplayMode& mode) {
    constexpr std::uint32_t required = DM_BITSPERPEL | DM_PELSWIDTH | DM_PELSHEIGHT;
    if ((mode.dmFields & required) != required) {
        return DISP_CHANGE_BADFLAGS;
    }
    return applyDisplayMode(mode.dmPelsWidth, mode.dmPelsHeight, mode.dmBitsPerPel);
}

}  // namespace tunexa::platform
