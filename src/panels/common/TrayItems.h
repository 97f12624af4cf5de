#pragma once

// Wiring a panel's handlers to the popup menu's items by name; a name the menu lacks wires nothing.

#include <QAction>
#include <QObject>
#include <QString>

#include "ui/IndexedActionGroup.h"
#include "ui/MenuItems.h"

namespace tunexa::panels::common {

// The items of an indexed group; the handler alone sets the group's check marks.
template <typename Panel>
void onGroupItem(const ui::MenuItems& menu, const char* name, Panel* panel,
                 void (Panel::*handler)(int)) {
    if (ui::IndexedActionGroup* group = menu.group(QString::fromLatin1(name))) {
        group->onChosen(panel, [panel, handler](int index) { (panel->*handler)(index); });
    }
}

template <typename Panel>
void onItem(const ui::MenuItems& menu, const char* name, Panel* panel, void (Panel::*handler)()) {
    if (QAction* action = menu.item(QString::fromLatin1(name))) {
        QObject::connect(action, &QAction::triggered, panel,
                         [panel, handler] { (panel->*handler)(); });
    }
}

// The two items of a VSync group.
inline constexpr int kVSyncOffItem = 0;
inline constexpr int kVSyncOnItem = 1;

// Marks the VSync group's item for `value` (0 off, 1 on) and unmarks the other.
inline void markVSync(ui::IndexedActionGroup* group, int value) {
    if (group == nullptr) {
        return;
    }
    group->setChecked(kVSyncOnItem, value == kVSyncOnItem);
    group->setChecked(kVSyncOffItem, value == kVSyncOffItem);
}

}  // namespace tunexa::panels::common
