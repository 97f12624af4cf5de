#pragma once

// Reboot and shut-down through systemd-logind on the system bus: org.freedesktop.login1.Manager
// Reboot / PowerOff with interactive = false, so logind neither asks for a password nor
// overrides inhibitors. A shut-down powers the machine off, as desktops do today. The call is
// asynchronous: logind may take its time (up to D-Bus's 25-second limit) without holding up the
// window.

#include <QDBusConnection>

#include <optional>

#include "platform/power/PowerService.h"

namespace tunexa::platform {

class LogindPower final : public PowerService {
  public:
    // The system bus (DBUS_SYSTEM_BUS_ADDRESS is honoured), reached only when a reboot or
    // shut-down is asked for: a start-up does not wait for a bus it may never use.
    explicit LogindPower(QObject* parent = nullptr);
    explicit LogindPower(QDBusConnection bus, QObject* parent = nullptr);

    void ExitWindowsEx(ExitWindowsFlags flags) override;

  private:
    std::optional<QDBusConnection> bus_;
};

}  // namespace tunexa::platform
