#include "platform/display/XRandrDisplayModes.h"

#include <X11/Xlib.h>
#include <X11/extensions/Xrandr.h>

#include <algorithm>
#include <span>

namespace tunexa::platform {

namespace {

// The fields a filled record carries, as the Windows driver fills them.
constexpr std::uint32_t kFilledFields =
    DM_BITSPERPEL | DM_PELSWIDTH | DM_PELSHEIGHT | DM_DISPLAYFREQUENCY;

// While it lives, X errors are remembered instead of going to Xlib's default handler, which
// would end the program. One user-interface thread makes every X call, so a flag will do.
class XErrorTrap {
  public:
    explicit XErrorTrap(Display* display)
        : display_(display), previous_(XSetErrorHandler(&XErrorTrap::record)) {
        seen_ = false;
    }
    ~XErrorTrap() { XSetErrorHandler(previous_); }
    XErrorTrap(const XErrorTrap&) = delete;
    XErrorTrap& operator=(const XErrorTrap&) = delete;

    // Waits for the server to have handled every request so far; true when one of them failed.
    bool failed() const {
        XSync(display_, False);
        return seen_;
    }

  private:
    static int record(Display*, XErrorEvent*) {
        seen_ = true;
        return 0;
    }

    static inline bool seen_ = false;
    Display* display_;
    XErrorHandler previous_;
};

// The server's screen configuration, freed when it goes.
class ScreenConfig {
  public:
    ScreenConfig(Display* display, Window root) : config_(XRRGetScreenInfo(display, root)) {}
    ~ScreenConfig() {
        if (config_ != nullptr) {
            XRRFreeScreenConfigInfo(config_);
        }
    }
    ScreenConfig(const ScreenConfig&) = delete;
    ScreenConfig& operator=(const ScreenConfig&) = delete;

    XRRScreenConfiguration* get() const { return config_; }

    std::span<XRRScreenSize> sizes() const {
        int count = 0;
        XRRScreenSize* sizes = XRRConfigSizes(config_, &count);
        return {sizes, sizes == nullptr ? 0 : static_cast<std::size_t>(count)};
    }
    std::span<short> rates(int sizeIndex) const {
        int count = 0;
        short* rates = XRRConfigRates(config_, sizeIndex, &count);
        return {rates, rates == nullptr ? 0 : static_cast<std::size_t>(count)};
    }

  private:
    XRRScreenConfiguration* config_;
};

}  // namespace

struct XRandrDisplayModes::Connection {
    Display* display = nullptr;
    Window root = 0;
    std::uint16_t bitsPerPel = 0;

    ~Connection() {
        if (display != nullptr) {
            XCloseDisplay(display);
        }
    }
};

namespace {

// Bits per pixel of the screen's pixmaps at its root depth: 32 for the usual depth 24.
std::uint16_t screenBitsPerPel(Display* display, int screen) {
    const int depth = DefaultDepth(display, screen);
    int bits = depth;
    int count = 0;
    if (XPixmapFormatValues* formats = XListPixmapFormats(display, &count)) {
        for (const XPixmapFormatValues& format :
             std::span(formats, static_cast<std::size_t>(count))) {
            if (format.depth == depth) {
                bits = format.bits_per_pixel;
            }
        }
        XFree(formats);
    }
    return static_cast<std::uint16_t>(bits);
}

}  // namespace

XRandrDisplayModes::XRandrDisplayModes() {
    Display* display = XOpenDisplay(nullptr);
    if (display == nullptr) {
        return;
    }
    auto connection = std::make_unique<Connection>();
    connection->display = display;
    int eventBase = 0;
    int errorBase = 0;
    if (XRRQueryExtension(display, &eventBase, &errorBase) == False) {
        return;
    }
    const int screen = DefaultScreen(display);
    connection->root = RootWindow(display, screen);
    connection->bitsPerPel = screenBitsPerPel(display, screen);
    x_ = std::move(connection);
}

XRandrDisplayModes::~XRandrDisplayModes() = default;

bool XRandrDisplayModes::connected() const {
    return x_ != nullptr;
}

bool XRandrDisplayModes::EnumerateDisplayMode(int index, DisplayMode& mode) {
    if (x_ == nullptr || index < 0) {
        return false;
    }
    if (index == 0 || modes_.empty()) {
        modes_.clear();
        const XErrorTrap trap(x_->display);
        const ScreenConfig config(x_->display, x_->root);
        if (config.get() == nullptr || trap.failed()) {
            return false;
        }
        const auto sizes = config.sizes();
        const auto sizedMode = [&](std::size_t i, short rate) {
            DisplayMode sized;
            sized.dmPelsWidth = static_cast<std::uint32_t>(sizes[i].width);
            sized.dmPelsHeight = static_cast<std::uint32_t>(sizes[i].height);
            sized.dmBitsPerPel = x_->bitsPerPel;
            sized.dmDisplayFrequency = static_cast<std::uint32_t>(std::max<short>(rate, 0));
            sized.dmFields = kFilledFields;
            return sized;
        };
        Rotation rotation = 0;
        const SizeID current = XRRConfigCurrentConfiguration(config.get(), &rotation);
        if (current < sizes.size()) {
            modes_.push_back(sizedMode(current, XRRConfigCurrentRate(config.get())));
        }
        for (std::size_t i = 0; i < sizes.size(); ++i) {
            const auto rates = config.rates(static_cast<int>(i));
            if (rates.empty()) {
                modes_.push_back(sizedMode(i, 0));
            }
            for (const short rate : rates) {
                modes_.push_back(sizedMode(i, rate));
            }
        }
    }
    if (static_cast<std::size_t>(index) >= modes_.size()) {
        return false;
    }
    mode = modes_[static_cast<std::size_t>(index)];
    return true;
}

int XRandrDisplayModes::applyDisplayMode(std::uint32_t width, std::uint32_t height,
                                         std::uint16_t bitsPerPel) {
    if (x_ == nullptr) {
        return DISP_CHANGE_FAILED;
    }
    if (bitsPerPel != x_->bitsPerPel) {
        return DISP_CHANGE_BADMODE;
    }
    const XErrorTrap trap(x_->display);
    const ScreenConfig config(x_->display, x_->root);
    if (config.get() == nullptr) {
        return DISP_CHANGE_FAILED;
    }
    const auto sizes = config.sizes();
    const auto found = std::find_if(sizes.begin(), sizes.end(), [&](const XRRScreenSize& size) {
        return static_cast<std::uint32_t>(size.width) == width &&
               static_cast<std::uint32_t>(size.height) == height;
    });
    if (found == sizes.end()) {
        return DISP_CHANGE_BADMODE;
    }
    const int sizeIndex = static_cast<int>(found - sizes.begin());
    Rotation rotation = 0;
    XRRConfigCurrentConfiguration(config.get(), &rotation);

    // The refresh rate is not requested: keep the current one where the new size offers it,
    // otherwise take the size's highest, and name it, since the server's own pick may differ.
    const short currentRate = XRRConfigCurrentRate(config.get());
    const auto rates = config.rates(sizeIndex);
    Status status = 0;
    if (rates.empty()) {
        status = XRRSetScreenConfig(x_->display, config.get(), x_->root, sizeIndex, rotation,
                                    CurrentTime);
    } else {
        const bool keepsRate = std::find(rates.begin(), rates.end(), currentRate) != rates.end();
        const short rate = keepsRate ? currentRate : *std::max_element(rates.begin(), rates.end());
        status = XRRSetScreenConfigAndRate(x_->display, config.get(), x_->root, sizeIndex, rotation,
                                           rate, CurrentTime);
    }
    const bool failed = trap.failed() || status != RRSetConfigSuccess;
    return failed ? DISP_CHANGE_FAILED : DISP_CHANGE_SUCCESSFUL;
}

}  // namespace tunexa::platform
