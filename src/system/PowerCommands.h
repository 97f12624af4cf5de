#pragma once

// Reboot and Exit Windows, each from its button on the first tab and its item of the popup
// menu: confirm, ask the system, and when the system accepted, ask for the main window to be
// unloaded (quitRequested). A refusal is told to the user and the program keeps running.
// The window does not wait for the system's answer: while a request is pending the busy pointer
// shows, the window keeps working, and the four buttons and items are off so that no second
// request starts.

#include <QAbstractButton>
#include <QAction>
#include <QObject>
#include <QPointer>

#include <optional>
#include <vector>

#include "platform/BusyPointer.h"
#include "platform/MessageBoxService.h"
#include "platform/power/PowerService.h"
#include "ui/MenuItems.h"
#include "ui/WindowState.h"

namespace tunexa::system {

class PowerCommands : public QObject {
    Q_OBJECT

  public:
    // Connects the buttons and the menu items "mPopReboot" and "mPopExitWindows" (when present).
    PowerCommands(QAbstractButton& cmdReboot, QAbstractButton& cmdShutDown,
                  const ui::MenuItems& menu, platform::MessageBoxService& messages,
                  platform::PowerService& power, platform::BusyPointer& busyPointer);

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
    void answered(const platform::PowerAnswer& answer);
    void setCommandsEnabled(bool enabled);

    platform::MessageBoxService& messages_;
    platform::PowerService& power_;
    platform::BusyPointer& busyPointer_;
    std::vector<QPointer<QAbstractButton>> buttons_;
    std::vector<QPointer<QAction>> items_;
    // The handler whose request waits for the system's answer, and the busy pointer meanwhile.
    std::optional<Handler> pending_;
    std::optional<ui::BusyPointerScope> busy_;
};

}  // namespace tunexa::system
