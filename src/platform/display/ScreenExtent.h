#pragma once

// The primary screen's size in device pixels and its logical dots per inch, as the classic
// screen object gives them (96 dpi at 100 %, 120 dpi at 125 %).

namespace tunexa::platform {

struct ScreenExtent {
    double widthPixels = 0;
    double heightPixels = 0;
    double dotsPerInchX = 96;
    double dotsPerInchY = 96;
};

// From Qt's primary screen. With high-DPI scaling on, Qt reports a pixel ratio over 96 logical
// dpi; both are folded back so that the result does not depend on that setting. No screen: 0 x 0.
ScreenExtent primaryScreenExtent();

}  // namespace tunexa::platform
