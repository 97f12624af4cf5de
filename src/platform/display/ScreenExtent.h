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

// Qt's primary screen. With high-DPI scaling on, Qt reports a logical size and dpi over a pixel
// ratio; the dpi is folded back with the ratio, and the size in device pixels is the X server's
// (the logical size rounds: 1024 pixels at 125 % are 819 logical). No screen: 0 x 0.
ScreenExtent primaryScreenExtent();

}  // namespace tunexa::platform
