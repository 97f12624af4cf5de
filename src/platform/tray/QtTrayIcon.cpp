#include "platform/tray/QtTrayIcon.h"

#include <QCursor>

namespace tunexa::platform {

QtTrayIcon::QtTrayIcon(QObject* parent) : TrayIcon(parent) {
    // Queued: the popup menu runs its own loop, and an Exit chosen in it removes the icon, which
    // must not happen inside the icon's own mouse handling.
    connect(&icon_, &QSystemTrayIcon::activated, this, &QtTrayIcon::onActivated,
            Qt::QueuedConnection);
}

void QtTrayIcon::add(const QIcon& icon, const QString& tooltip) {
    icon_.setIcon(icon);
    icon_.setToolTip(tooltip);
    icon_.show();
}

void QtTrayIcon::remove() {
    icon_.hide();
}

bool QtTrayIcon::isAdded() const {
    return icon_.isVisible();
}

bool QtTrayIcon::hostAvailable() const {
    return QSystemTrayIcon::isSystemTrayAvailable();
}

void QtTrayIcon::popUp(QMenu* menu) {
    menu->exec(QCursor::pos());
}

void QtTrayIcon::onActivated(QSystemTrayIcon::ActivationReason reason) {
    // The tray reports its own click kinds, not raw mouse messages; they map one to one onto
    // the left click, double click and right click the window acts on.
    switch (reason) {
        case QSystemTrayIcon::Trigger:
            emit clicked(TrayClick::Left);
            break;
        case QSystemTrayIcon::DoubleClick:
            emit clicked(TrayClick::Double);
            break;
        case QSystemTrayIcon::Context:
            emit clicked(TrayClick::Right);
            break;
        default:
            break;
    }
}

}  // namespace tunexa::platform
