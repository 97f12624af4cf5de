#pragma once

// Asking the operating system to restart or to shut down the machine: not forced, no privilege
// asked for. The system may refuse; the answer says so and why.

#include <QString>

namespace tunexa::platform {

// The two requests, by their Windows flag values.
enum class ExitWindowsFlags : unsigned { EWX_SHUTDOWN = 1, EWX_REBOOT = 2 };

struct PowerAnswer {
    bool accepted = false;
    // Why the system refused, for the user; empty when accepted.
    QString reason;
};

class PowerService {
  public:
    virtual ~PowerService() = default;
    virtual PowerAnswer ExitWindowsEx(ExitWindowsFlags flags) = 0;
};

}  // namespace tunexa::platform
