#include <QGuiApplication>
#include <QString>

#include "platform/display/XRandrDisplayModes.h"

namespace tunexa::platform {

std::unique_ptr<DisplayModes> systemDisplayModes() {
    if (QGuiApplication::platformName() == QLatin1String("xcb")) {
        auto xrandr = std::make_unique<XRandrDisplayModes>();
        if (xrandr->connected()) {
            return xrandr;
        }
    }
    return std::make_unique<NoDisplayModes>();
}

}  // namespace tunexa::platform
