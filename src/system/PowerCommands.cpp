#include "system/PowerCommands.h"

namespace tunexa::system {

namespace {

using platform::ExitWindowsFlags;

struct Confirmation {
    const char* title;
    const char* prompt;
    ExitWindowsFlags flags;
    // First line of the notice when the system refuses; the reason follows on the next line.
    const char* refused;
};

constexpr const char* kRebootPrompt = "Do you want to reboot?";
constexpr const char* kExitPrompt = "Do you want to exit Windows?";
constexpr const char* kRebootRefused = "The system did not accept the reboot.";
constexpr const char* kExitRefused = "The system did not accept the shut-down.";

// By handler, in the order of PowerCommands::Handler.
constexpr Confirmation kConfirmations[] = {
    {"Reboot Windows", kRebootPrompt, ExitWindowsFlags::EWX_REBOOT, kRebootRefused},
    {"Reboot Windows?", kRebootPrompt, ExitWindowsFlags::EWX_REBOOT, kRebootRefused},
    {"Exit Windows?", kExitPrompt, ExitWindowsFlags::EWX_SHUTDOWN, kExitRefused},
    {"Exit Windows?", kExitPrompt, ExitWindowsFlags::EWX_SHUTDOWN, kExitRefused},
};

}  // namespace

PowerCommands::PowerCommands(QAbstractButton& cmdReboot, QAbstractButton& cmdShutDown,
                             const ui::MenuItems& menu, platform::MessageBoxService& messages,
                             platform::PowerService& power, platform::BusyPointer& busyPointer)
    : messages_(messages),
      power_(power),
      busyPointer_(busyPointer),
      buttons_{&cmdReboot, &cmdShutDown} {
    connect(&cmdReboot, &QAbstractButton::clicked, this, &PowerCommands::cmdReboot_Click);
    connect(&cmdShutDown, &QAbstractButton::clicked, this, &PowerCommands::cmdShutDown_Click);
    if (QAction* item = menu.item(QStringLiteral("mPopReboot"))) {
        connect(item, &QAction::triggered, this, &PowerCommands::mPopReboot_Click);
        items_.emplace_back(item);
    }
    if (QAction* item = menu.item(QStringLiteral("mPopExitWindows"))) {
        connect(item, &QAction::triggered, this, &PowerCommands::mPopExitWindows_Click);
        items_.emplace_back(item);
    }
    connect(&power_, &platform::PowerService::answered, this, &PowerCommands::answered);
}

void PowerCommands::cmdReboot_Click() {
    run(Handler::cmdReboot);
}

void PowerCommands::mPopReboot_Click() {
    run(Handler::mPopReboot);
}

void PowerCommands::cmdShutDown_Click() {
    run(Handler::cmdShutDown);
}

void PowerCommands::mPopExitWindows_Click() {
    run(Handler::mPopExitWindows);
}

void PowerCommands::run(Handler handler) {
    if (pending_) {
        return;
    }
    const Confirmation& box = kConfirmations[static_cast<int>(handler)];
    if (messages_.show(QString::fromLatin1(box.prompt), QString::fromLatin1(box.title),
                       platform::MessageButtons::YesNo) != platform::MessageAnswer::Yes) {
        return;
    }
    // Everything is in place before the request goes: the answer may come at any time after.
    pending_ = handler;
    setCommandsEnabled(false);
    busy_.emplace(busyPointer_);
    power_.ExitWindowsEx(box.flags);
}

void PowerCommands::answered(const platform::PowerAnswer& answer) {
    if (!pending_) {
        return;
    }
    const Confirmation& box = kConfirmations[static_cast<int>(*pending_)];
    pending_.reset();
    busy_.reset();
    setCommandsEnabled(true);
    if (answer.accepted) {
        emit quitRequested();
        return;
    }
    messages_.show(QString::fromLatin1(box.refused) + QStringLiteral("\r\n") + answer.reason);
}

void PowerCommands::setCommandsEnabled(bool enabled) {
    for (const auto& button : buttons_) {
        if (button) {
            button->setEnabled(enabled);
        }
    }
    for (const auto& item : items_) {
        if (item) {
            item->setEnabled(enabled);
        }
    }
}

}  // namespace tunexa::system
