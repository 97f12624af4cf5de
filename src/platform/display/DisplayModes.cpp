#include "platform/display/DisplayModes.h"

#include "platform/display/DefaultDisplayMode.h"

namespace tunexa::platform {

int DisplayModes::ChangeDisplayMode(const DisplayMode& mode) {
    constexpr std::uint32_t required = DM_BITSPERPEL | DM_PELSWIDTH | DM_PELSHEIGHT;
    if ((mode.dmFields & required) != required) {
        return DISP_CHANGE_BADFLAGS;
    }
    const int result = applyDisplayMode(mode.dmPelsWidth, mode.dmPelsHeight, mode.dmBitsPerPel);
    if (result != DISP_CHANGE_SUCCESSFUL && result != DISP_CHANGE_RESTART) {
        return result;
    }
    if (!recordDefaultDisplayMode({mode.dmPelsWidth, mode.dmPelsHeight, mode.dmBitsPerPel})) {
        return DISP_CHANGE_NOTUPDATED;
    }
    return result;
}

}  // namespace tunexa::platform
