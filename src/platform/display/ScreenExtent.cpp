#include "platform/display/ScreenExtent.h"

#include <QGuiApplication>
#include <QScreen>

namespace tunexa::platform {

ScreenExtent primaryScreenExtent() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (screen == nullptr) {
        return {};
    }
    const double ratio = screen->devicePixelRatio();
    return {screen->size().width() * ratio, screen->size().height() * ratio,
            screen->logicalDotsPerInchX() * ratio, screen->logicalDotsPerInchY() * ratio};
}

}  // namespace tunexa::platform
