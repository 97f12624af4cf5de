#include "platform/display/ScreenExtent.h"

#include <QtGui/qguiapplication_platform.h>
#include <QGuiApplication>
#include <QScreen>
#include <QSize>

#include <optional>
#include <span>

// Xlib's macros (Status, Bool, None) clash with Qt's headers: it comes last.
#include <X11/Xlib.h>
#include <X11/extensions/Xrandr.h>

namespace tunexa::platform {

namespace {

// The size in device pixels of the RandR output that Qt shows as `screen` (Qt's xcb screens
// carry their output's name), or of the whole X screen when no output matches. Empty when Qt
// does not run on X11.
std::optional<QSize> x11PixelSize(const QScreen& screen) {
    const auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    Display* display = x11 == nullptr ? nullptr : x11->display();
    if (display == nullptr) {
        return std::nullopt;
    }
    QSize size(DisplayWidth(display, DefaultScreen(display)),
               DisplayHeight(display, DefaultScreen(display)));
    int major = 0;
    int minor = 0;
    if (XRRQueryVersion(display, &major, &minor) == False || major * 100 + minor < 103) {
        return size;
    }
    XRRScreenResources* resources =
        XRRGetScreenResourcesCurrent(display, DefaultRootWindow(display));
    if (resources == nullptr) {
        return size;
    }
    for (const RROutput output : std::span(resources->outputs, resources->noutput)) {
        XRROutputInfo* info = XRRGetOutputInfo(display, resources, output);
        if (info == nullptr) {
            continue;
        }
        if (info->crtc != 0 && QString::fromLatin1(info->name, info->nameLen) == screen.name()) {
            if (XRRCrtcInfo* crtc = XRRGetCrtcInfo(display, resources, info->crtc)) {
                size = QSize(static_cast<int>(crtc->width), static_cast<int>(crtc->height));
                XRRFreeCrtcInfo(crtc);
            }
        }
        XRRFreeOutputInfo(info);
    }
    XRRFreeScreenResources(resources);
    return size;
}

}  // namespace

ScreenExtent primaryScreenExtent() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (screen == nullptr) {
        return {};
    }
    // Qt's size is logical (device pixels over the pixel ratio, rounded) and so is its dpi. The
    // ratio turns the dpi back exactly but not the size: the device pixels come from the X server,
    // elsewhere as the whole number nearest to the logical size times the ratio.
    const double ratio = screen->devicePixelRatio();
    const QSize logical = screen->size();
    const QSize pixels = x11PixelSize(*screen).value_or(
        QSize(qRound(logical.width() * ratio), qRound(logical.height() * ratio)));
    return {static_cast<double>(pixels.width()), static_cast<double>(pixels.height()),
            screen->logicalDotsPerInchX() * ratio, screen->logicalDotsPerInchY() * ratio};
}

}  // namespace tunexa::platform
