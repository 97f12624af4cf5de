#include "panels/common/SettingRows.h"

#include "ui/AnsiText.h"

namespace tunexa::panels::common {

QString SliderScales::text(Scale scale, int position) const {
    const std::string text =
        scale == Scale::Clock ? clock.text(position) : engine::gammaText(position);
    return QString::fromStdString(text);
}

std::optional<int> SliderScales::position(Scale scale, const std::string& text) const {
    if (scale == Scale::Clock) {
        return clock.position(text, trayItems);
    }
    return engine::gammaPosition(text);
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
    return ui::fromAnsi(value.asText());
}

std::optional<engine::WriteResult> collectAndWrite(const ui::PanelEnvironment& env,
                                                   std::string_view card, const QString& title,
                                                   const std::function<void()>& restoreMarks) {
    const engine::DriverSettings before = env.settings;
    engine::CollectDriverSettings(card, env.controls, env.settings);
    engine::WriteResult result =
        engine::WriteDriverSettings(card, env.settings, title.toStdString());
    if (!result.saved) {
        env.settings = before;
        restoreMarks();
        showNotApplied(env.messages, result.failure);
        return std::nullopt;
    }
    return result;
}

bool chooseClockItem(const ui::PanelEnvironment& env, const SliderScales& scales,
                     const char* groupName, QSlider* slider, QLabel* label, int index) {
    if (index < 0 || index >= scales.trayItems || !confirmQuickItem(env.messages)) {
        return false;
    }
    if (ui::IndexedActionGroup* tray = env.menu.group(QString::fromLatin1(groupName))) {
        tray->checkOnly(index);
    }
    slider->setValue(index);
    label->setText(scales.text(Scale::Clock, index));
    return true;
}

engine::WriteResult storeClockDefault(engine::DriverSettings& settings, std::string_view card,
                                      const SliderScales& scales, QSlider* slider, QLabel* label,
                                      const QString& title) {
    slider->setValue(0);
    label->setText(scales.text(Scale::Clock, 0));
    engine::ReadDriverSettings(card, settings);
    return engine::WriteDriverSettings(card, settings, title.toStdString());
}

QString trayClockTitle(const QString& clock, const QString& clockText) {
    const bool isDefault = clockText == QStringLiteral("Default");
    return QStringLiteral("Tray: %1 %2%3")
        .arg(clock, clockText, isDefault ? QString() : QStringLiteral(" MHz"));
}

QString trayVSyncTitle(const QString& what, int index) {
    return QStringLiteral("Tray: %1 VSync %2")
        .arg(what, index == kVSyncOnItem ? QStringLiteral("On") : QStringLiteral("Off"));
}

}  // namespace tunexa::panels::common
