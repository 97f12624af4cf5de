#include "panels/live/UnrealPanel.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>

#include "engine/ManagedValues.h"
#include "store/Registry.h"
#include "ui/CheckBox.h"

namespace tunexa::panels {

namespace {

using engine::kUnrealKey;

// Each value has the name of its box's caption.
struct UnrealSwitch {
    QCheckBox* Ui::TntTab::*box;
    std::string_view valueName;
};
constexpr std::array kUnrealSwitches{
    UnrealSwitch{&Ui::TntTab::chkUnrealTrueC, engine::kUnrealValues[0]},
    UnrealSwitch{&Ui::TntTab::chkUnrealDoTri, engine::kUnrealValues[1]},
    UnrealSwitch{&Ui::TntTab::chkUnrealTB, engine::kUnrealValues[2]},
    UnrealSwitch{&Ui::TntTab::chkUnrealDoFlip, engine::kUnrealValues[3]},
};

// A stored double word 0 or 1; nothing for anything else.
std::optional<int> storedSwitch(std::string_view name) {
    const auto value = store::currentHive().getValue(store::HKEY_LOCAL_MACHINE, kUnrealKey, name);
    if (!value || value->type != store::REG_DWORD) {
        return std::nullopt;
    }
    const std::int32_t number = store::RegGetDword(store::HKEY_LOCAL_MACHINE, kUnrealKey, name);
    return number == 0 || number == 1 ? std::optional(number) : std::nullopt;
}

}  // namespace

UnrealPanel::UnrealPanel(TntTab& widgets, platform::MessageBoxService& messages)
    : QObject(&widgets), widgets_(widgets), live_(messages) {
    auto& ui = widgets_.ui;
    ui::onCheckClick(ui.chkUnrealTrueC, this, [this] { chkUnrealTrueC_Click(); });
    ui::onCheckClick(ui.chkUnrealDoTri, this, [this] { chkUnrealDoTri_Click(); });
    ui::onCheckClick(ui.chkUnrealTB, this, [this] { chkUnrealTB_Click(); });
    ui::onCheckClick(ui.chkUnrealDoFlip, this, [this] { chkUnrealDoFlip_Click(); });
}

void UnrealPanel::writeSwitch(QCheckBox* Ui::TntTab::*box) {
    for (const UnrealSwitch& unrealSwitch : kUnrealSwitches) {
        QCheckBox* widget = widgets_.ui.*box;
        if (unrealSwitch.box != box) {
            continue;
        }
        live_.store(
            liveTitle(QStringLiteral("Unreal"), widget), widget,
            [&](store::Change&) {
                store::RegSetDword(store::HKEY_LOCAL_MACHINE, kUnrealKey, unrealSwitch.valueName,
                                   ui::checkValue(widget));
            },
            [&] { return storedSwitch(unrealSwitch.valueName); });
    }
}

void UnrealPanel::showStoredValues() {
    for (const UnrealSwitch& unrealSwitch : kUnrealSwitches) {
        if (const auto stored = storedSwitch(unrealSwitch.valueName)) {
            live_.showQuietly(widgets_.ui.*unrealSwitch.box, *stored);
        }
    }
}

void UnrealPanel::chkUnrealTrueC_Click() {
    writeSwitch(&Ui::TntTab::chkUnrealTrueC);
}

void UnrealPanel::chkUnrealDoTri_Click() {
    writeSwitch(&Ui::TntTab::chkUnrealDoTri);
}

void UnrealPanel::chkUnrealTB_Click() {
    writeSwitch(&Ui::TntTab::chkUnrealTB);
}

void UnrealPanel::chkUnrealDoFlip_Click() {
    writeSwitch(&Ui::TntTab::chkUnrealDoFlip);
}

}  // namespace tunexa::panels
