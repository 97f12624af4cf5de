#pragma once

// The Windows 95/98 installation on drive C: (a mounted disk, a disk image, a copy), in the
// "Drive C:" frame of Main Settings: what drive C: is and choosing it, "Read from drive C:",
// "Send to drive C:" and "Check drive C:"; and the first run's offer to read its settings, which
// also ticks the cards its PCI devices name. The work itself is the machine layer's.

#include <QObject>
#include <QPointer>
#include <QStringList>

#include <optional>

#include "app/FirstRun.h"
#include "app/Form1.h"
#include "machine/WindowsInstallation.h"
#include "platform/MessageBoxService.h"
#include "platform/PathChoices.h"
#include "store/Hive.h"

namespace tunexa::app {

class ChangeCommands;
class CheckWindow;

class MachineSettings : public QObject {
    Q_OBJECT

  public:
    MachineSettings(Form1& form, platform::MessageBoxService& messages,
                    platform::PathChoices& paths, store::Hive& hive, ChangeCommands& changes);

    // When drive C: holds Windows: the first run's offer to read its settings, and the cards its
    // PCI devices name ticked (the user still decides).
    void offer(FirstRun& window);
    // Inside the first run's change, when its offer is ticked: the machine's settings into the
    // hive. True when they were read; why not goes to `problems`.
    bool readForFirstRun(const FirstRun& window, QStringList& problems);

    void cmdReadDriveC_Click();
    void cmdSendDriveC_Click();
    void cmdCheckDriveC_Click();
    void cmdDriveCFolder_Click();
    void cmdDriveCImage_Click();

  private:
    // The "Drive C:" line from what drive C: is now.
    void showDriveC();
    void useAsDriveC(const std::optional<QString>& chosen);

    Form1& form_;
    platform::MessageBoxService& messages_;
    platform::PathChoices& paths_;
    store::Hive& hive_;
    ChangeCommands& changes_;
    // The installation the first run offered.
    std::optional<machine::WindowsInstallation> offered_;
    std::optional<machine::W9xReadResult> offeredRead_;
    QPointer<CheckWindow> check_;
};

}  // namespace tunexa::app
