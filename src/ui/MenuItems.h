#pragma once

// The popup menu's items as the panels reach them: by name, without knowing who built the menu.

#include <QAction>
#include <QString>

#include "ui/IndexedActionGroup.h"

namespace tunexa::ui {

class MenuItems {
  public:
    virtual ~MenuItems() = default;
    // The item (or submenu item) of that name; null when there is none.
    virtual QAction* item(const QString& name) const = 0;
    // The indexed group of that name; null when there is none.
    virtual IndexedActionGroup* group(const QString& name) const = 0;
};

}  // namespace tunexa::ui
