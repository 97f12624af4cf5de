#include "panels/common/TrayChoices.h"

namespace tunexa::panels::common {

namespace {

QString trayVSyncTitle(const QString& what, int index) {
    return QStringLiteral("Tray: %1 VSync %2")
        .arg(what, index == kVSyncOnItem ? QStringLiteral("On") : QStringLiteral("Off"));
}

}  // namespace

QString trayClockTitle(const char* clock, const QString& speed) {
    return QStringLiteral("Tray: %1 %2 MHz").arg(QString::fromLatin1(clock), speed);
}

QString trayClockDefaultTitle(const char* clock) {
    return QStringLiteral("Tray: %1 Default").arg(QString::fromLatin1(clock));
}

std::optional<QString> chooseVSyncItem(const ui::PanelEnvironment& env, const char* groupName,
                                       const QString& what, QCheckBox* box, int index) {
    if ((index != kVSyncOffItem && index != kVSyncOnItem) || !confirmQuickItem(env.messages)) {
        return std::nullopt;
    }
    markVSync(env.menu.group(QString::fromLatin1(groupName)), index);
    ui::setCheckValue(box, index);
    return trayVSyncTitle(what, index);
}

}  // namespace tunexa::panels::common
