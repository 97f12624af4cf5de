#include "panels/common/SettingRows.h"

#include "ui/AnsiText.h"

namespace tunexa::panels::common {

namespace {

QString trayVSyncTitle(const QString& what, int index) {
    return QStringLiteral("Tray: %1 VSync %2")
        .arg(what, index == kVSyncOnItem ? QStringLiteral("On") : QStringLiteral("Off"));
}

}  // namespace

std::optional<int> gammaPositionOf(const engine::SettingValue& stored) {
    return engine::gammaPosition(stored.asText());
}

std::optional<int> checkValueOf(const char* uncheckedText, const char* checkedText,
                                const std::string& text) {
    if (text == uncheckedText) {
        return 0;
    }
    if (text == checkedText) {
        return 1;
    }
    return std::nullopt;
}

QString toLabelText(const engine::SettingValue& value) {
    return toLabelText(value.asText());
}

QString toLabelText(const std::string& text) {
    return ui::fromAnsi(text);
}

std::optional<int> itemIndexOf(std::span<const ListItem> items, const engine::SettingValue& value) {
    for (std::size_t index = 0; index < items.size(); ++index) {
        if (value.equals(items[index].value).value_or(false)) {
            return static_cast<int>(index);
        }
    }
    return std::nullopt;
}

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
