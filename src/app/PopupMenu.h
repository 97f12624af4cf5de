#pragma once

// The popup menu mPopupSys ("Tunexa"): the tray's quick menu, built from one table. Every item is
// a QAction named as in the system (mPopRivaMain, mPopReboot, ...; a submenu's item is its menu
// action); the items of an indexed group are named "<group>_<index>" and report through one
// IndexedActionGroup signal that carries the index.

#include <QAction>
#include <QHash>
#include <QMenu>
#include <QString>

#include "ui/IndexedActionGroup.h"
#include "ui/MenuItems.h"

namespace tunexa::app {

class PopupMenu : public ui::MenuItems {
  public:
    // The menu is created as a child of `owner` (the main window).
    explicit PopupMenu(QWidget* owner);

    QMenu* menu() const { return menu_; }
    // The item (or submenu item, or separator) of that name; null when there is none.
    QAction* item(const QString& name) const override;
    // The indexed group of that name; null when there is none.
    ui::IndexedActionGroup* group(const QString& name) const override;

    // Enables or disables an item; for a submenu item the whole branch.
    void setEnabled(const QString& name, bool enabled);

  private:
    QMenu* menu_;
    QHash<QString, QAction*> items_;
    QHash<QString, ui::IndexedActionGroup*> groups_;
};

}  // namespace tunexa::app
