#pragma once

// The driver settings of the Windows 95/98 installation on drive C: (a mounted disk, a disk image,
// a copy): offered by the first run, which also ticks the cards the machine's PCI devices name,
// and read again at any time with "Read from drive C:" on Main Settings, as one change.

#include <QObject>
#include <QStringList>

#include <optional>

#include "app/FirstRun.h"
#include "app/Form1.h"
#include "machine/WindowsInstallation.h"
#include "platform/MessageBoxService.h"
#include "store/Hive.h"

namespace tunexa::app {

class ChangeCommands;

class MachineSettings : public QObject {
    Q_OBJECT

  public:
    MachineSettings(Form1& form, platform::MessageBoxService& messages, store::Hive& hive,
                    ChangeCommands& changes);

    // When drive C: holds Windows: the first run's offer to read its settings, and the cards its
    // PCI devices name ticked (the user still decides).
    void offer(FirstRun& window);
    // Inside the first run's change, when its offer is ticked: the machine's settings into the
    // hive. True when they were read; why not goes to `problems`.
    bool readForFirstRun(const FirstRun& window, QStringList& problems);

    void cmdReadDriveC_Click();

  private:
    platform::MessageBoxService& messages_;
    store::Hive& hive_;
    ChangeCommands& changes_;
    // The installation the first run offered.
    std::optional<machine::WindowsInstallation> offered_;
};

}  // namespace tunexa::app
