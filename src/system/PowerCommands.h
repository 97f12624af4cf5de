#pragma once

// Reboot and Exit Windows, each from its button on the first tab and its item of the popup
// menu: confirm, ask the system, and when the system accepted, ask for the main window to be
// unloaded (quitRequested). A refusal is told to the user and the program keeps running.

#include <QAbstractButton>
#include <QObject>

#include "platform/MessageBoxService.h"
#include "platform/power/PowerService.h"
#include "ui/MenuItems.h"

namespace tunexa::system {

class PowerCommands : public QObject {
    Q_OBJECT

  public:
    // Connects the buttons and the menu items "mPopReboot" and "mPopExitWindows" (when present).
    PowerCommands(QAbstractButton& cmdReboot, QAbstractButton& cmdShutDown,
                  const ui::MenuItems& menu, platform::MessageBoxService& messages,
                  platform::PowerService& power);

    void cmdReboot_Click();
    void mPopReboot_Click();
    void cmdShutDown_Click();
    void mPopExitWindows_Click();

  signals:
    // The system accepted a reboot or shut-down: unload the main window.
    void quitRequested();

  private:
    enum class Handler { cmdReboot, mPopReboot, cmdShutDown, mPopExitWindows };
    void run(Handler handler);

    platform::MessageBoxService& messages_;
    platform::PowerService& power_;
};

}  // namespace tunexa::system
