#pragma once

// Display modes of an X11 screen over XRandR, at the screen's own pixel depth: index 0 is the
// screen's current mode, then one mode per screen size and refresh rate in the server's order.
// The list on the display frame leaves index 0 out, so with the current mode there every mode
// the server offers is still listed (the server's first size is usually the one in use).
// An X screen's depth is fixed while the server runs: a request for another depth is a bad mode.

#include <memory>
#include <vector>

#include "platform/display/DisplayModes.h"

namespace tunexa::platform {

class XRandrDisplayModes final : public DisplayModes {
  public:
    // Opens its own connection to the X server named by DISPLAY; without one, or without the
    // RandR extension, there are no modes and every change fails.
    XRandrDisplayModes();
    ~XRandrDisplayModes() override;

    XRandrDisplayModes(const XRandrDisplayModes&) = delete;
    XRandrDisplayModes& operator=(const XRandrDisplayModes&) = delete;

    bool connected() const;

    bool EnumerateDisplayMode(int index, DisplayMode& mode) override;

  protected:
    int applyDisplayMode(std::uint32_t width, std::uint32_t height,
                         std::uint16_t bitsPerPel) override;

  private:
    struct Connection;
    std::unique_ptr<Connection> x_;
    std::vector<DisplayMode> modes_;
};

// Where no display modes can be had (Wayland without XWayland, offscreen): no modes, and a
// change fails.
class NoDisplayModes final : public DisplayModes {
  public:
    bool EnumerateDisplayMode(int, DisplayMode&) override { return false; }

  protected:
    int applyDisplayMode(std::uint32_t, std::uint32_t, std::uint16_t) override {
        return DISP_CHANGE_FAILED;
    }
};

// XRandR when the application runs on X11 (Qt's xcb platform) and the server has RandR;
// NoDisplayModes otherwise.
std::unique_ptr<DisplayModes> systemDisplayModes();

}  // namespace tunexa::platform
