#pragma once

// Asking the operating system to restart or to shut down the machine: not forced, no privilege
// asked for. The request does not wait for the system: its answer comes as answered(), which
// says whether the system accepted and, when it refused, why.

#include <QObject>
#include <QString>

namespace tunexa::platform {

// The two requests, by their Windows flag values.
enum class ExitWindowsFlags : unsigned { EWX_SHUTDOWN = 1, EWX_REBOOT = 2 };

struct PowerAnswer {
    bool accepted = false;
    // Why the system refused, for the user; empty when accepted.
    QString reason;
};

class PowerService : public QObject {
    Q_OBJECT

  public:
    using QObject::QObject;

    // Sends the request and returns without waiting for the system's answer. answered() follows
    // once per request; the system's own answer comes later from the event loop, but an
    // implementation that knows at once may answer before this returns.
    virtual void ExitWindowsEx(ExitWindowsFlags flags) = 0;

  signals:
    void answered(tunexa::platform::PowerAnswer answer);
};

}  // namespace tunexa::platform
