#pragma once

// Display modes of the primary screen: enumeration by index until the first false, and a change
// request that switches to a mode's width, height and depth (system/DefaultDisplayMode.h keeps
// the mode switched to as the default).

#include <cstdint>

namespace tunexa::platform {

// The flags of `dmFields` that say which fields a change request asks for.
inline constexpr std::uint32_t DM_BITSPERPEL = 0x00040000;
inline constexpr std::uint32_t DM_PELSWIDTH = 0x00080000;
inline constexpr std::uint32_t DM_PELSHEIGHT = 0x00100000;
inline constexpr std::uint32_t DM_DISPLAYFREQUENCY = 0x00400000;

// Results of ChangeDisplayMode: 0 done, 1 after a restart, anything else failed.
inline constexpr int DISP_CHANGE_SUCCESSFUL = 0;
inline constexpr int DISP_CHANGE_RESTART = 1;
inline constexpr int DISP_CHANGE_FAILED = -1;
inline constexpr int DISP_CHANGE_BADMODE = -2;
inline constexpr int DISP_CHANGE_NOTUPDATED = -3;
inline constexpr int DISP_CHANGE_BADFLAGS = -4;

// One mode record as the platform fills it. A change request reads only the fields named in
// `dmFields`; everything else goes back as it was filled.
struct DisplayMode {
    std::uint32_t dmPelsWidth = 0;
    std::uint32_t dmPelsHeight = 0;
    // Only the low 16 bits are read or written.
    std::uint16_t dmBitsPerPel = 0;
    std::uint32_t dmFields = 0;
    // Hertz; 0 when the platform does not know it.
    std::uint32_t dmDisplayFrequency = 0;
};

class DisplayModes {
  public:
    virtual ~DisplayModes() = default;

    // Fills `mode` with mode `index` of the primary screen; false past the last mode. Index 0
    // reads the platform's list afresh.
    virtual bool EnumerateDisplayMode(int index, DisplayMode& mode) = 0;

    // Switches the screen to the width, height and depth of `mode` (all three flags must be set
    // in dmFields, else DISP_CHANGE_BADFLAGS).
    int ChangeDisplayMode(const DisplayMode& mode);

  protected:
    // The platform's switch: DISP_CHANGE_SUCCESSFUL, DISP_CHANGE_RESTART or a failure code.
    virtual int applyDisplayMode(std::uint32_t width, std::uint32_t height,
                                 std::uint16_t bitsPerPel) = 0;
};

}  // namespace tunexa::platform
