#pragma once

// What the tray's clock and VSync items of a card do before the panel stores itself: the question,
// the marks and the controls moved to the chosen item, and the title of the change; and the clock
// Default items, which store the card's current values back unchanged.

#include <QCheckBox>
#include <QString>

#include <optional>
#include <string_view>

#include "engine/DriverSettings.h"
#include "engine/RegMethods.h"
#include "panels/common/PanelMessages.h"
#include "panels/common/SettingRows.h"
#include "ui/IndexedActionGroup.h"
#include "ui/PanelEnvironment.h"

namespace tunexa::panels::common {

// The titles of the changes the tray's items make: "Tray: Voodoo2 D3D core clock 95 MHz",
// "Tray: Banshee memory clock Default"; a VSync item's is "Tray: Riva TNT VSync On".
QString trayClockTitle(const char* clock, const QString& speed);
QString trayClockDefaultTitle(const char* clock);

// A tray clock item: after the user agrees, marks that item alone and moves the slider and its
// label to it. Nothing, with nothing changed, for an index past the tray's items or a No;
// otherwise the title of the change to store.
template <typename Ui>
std::optional<QString> chooseClockItem(const ui::PanelEnvironment& env, Ui& ui,
                                       const SliderRow<Ui>& row, int index) {
    if (index < 0 || index >= row.scale.loaded || !confirmQuickItem(env.messages)) {
        return std::nullopt;
    }
    if (ui::IndexedActionGroup* tray = env.menu.group(QString::fromLatin1(row.trayGroup))) {
        tray->checkOnly(index);
    }
    (ui.*row.slider)->setValue(index);
    (ui.*row.label)->setText(toLabelText(row.scale.text(index)));
    return trayClockTitle(row.trayName, (ui.*row.label)->text());
}

// A tray VSync item: after the user agrees, marks that item alone and sets the box to it (Off
// unticks, On ticks). Nothing, with nothing changed, for another index or a No; otherwise the
// title of the change to store.
std::optional<QString> chooseVSyncItem(const ui::PanelEnvironment& env, const char* groupName,
                                       const QString& what, QCheckBox* box, int index);

// A tray clock's Default item: after the user agrees, `setDefault()` (a panel's Set...Default) and
// its outcome told.
template <typename SetDefault>
void chooseClockDefault(platform::MessageBoxService& messages, SetDefault setDefault) {
    if (confirmQuickItem(messages)) {
        showDefaultSet(messages, setDefault());
    }
}

// The clock's first position into the slider and its label, then the card's current values stored
// back unchanged, as the recorded change "Tray: <clock> Default".
template <typename Ui>
engine::WriteResult storeClockDefault(engine::DriverSettings& settings, std::string_view card,
                                      Ui& ui, const SliderRow<Ui>& row) {
    (ui.*row.slider)->setValue(0);
    (ui.*row.label)->setText(toLabelText(row.scale.text(0)));
    engine::ReadDriverSettings(card, settings);
    return engine::WriteDriverSettings(card, settings,
                                       trayClockDefaultTitle(row.trayName).toStdString());
}

}  // namespace tunexa::panels::common
