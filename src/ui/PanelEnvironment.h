#pragma once

// What every card panel's behaviour works with besides its own widgets: the message boxes, the
// window's controls as the engine reads them, the shared driver settings record and the popup
// menu's items. The composition root (the application) fills it once.

#include "engine/ControlReader.h"
#include "engine/DriverSettings.h"
#include "platform/MessageBoxService.h"
#include "ui/MenuItems.h"

namespace tunexa::ui {

struct PanelEnvironment {
    platform::MessageBoxService& messages;
    const engine::ControlReader& controls;
    engine::DriverSettings& settings;
    const MenuItems& menu;
};

}  // namespace tunexa::ui
