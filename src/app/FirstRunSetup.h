#pragma once

// The first-run window's OK: the card flags, the Voodoo Graphics defaults with the boot batch
// file's call of the Glide batch file, each chosen card's driver settings stored back, and the
// "Defaults" profile, all one change; the machine's own settings first, when the user leaves
// that offer ticked. Only a saved choice ends the program.

#include <QObject>
#include <QStringList>

#include <functional>

#include "app/FirstRun.h"
#include "platform/MessageBoxService.h"
#include "store/Changes.h"
#include "store/Hive.h"
#include "store/Profiles.h"

namespace tunexa::app {

struct Card;
class MachineSettings;

class FirstRunSetup : public QObject {
    Q_OBJECT

  public:
    struct Hooks {
        // What a profile covers, as the panels' record and the drives stand now.
        std::function<store::ManagedSet()> managedSet;
        // The choice was saved and told: the program ends.
        std::function<void()> done;
    };

    // Lives as long as `window`.
    FirstRunSetup(FirstRun& window, MachineSettings& machine, platform::MessageBoxService& messages,
                  store::Hive& hive, store::FileAccess& files, Hooks hooks);

    void cmdOKFirstRun_Click();

  private:
    bool chosen(const Card& card) const;
    // The Voodoo Graphics settings a first run starts from, where the machine gave none, and the
    // boot batch file's line that runs the Glide batch file.
    void seedVoodoo(bool machineRead, store::Change& change, QStringList& problems);

    FirstRun& window_;
    MachineSettings& machine_;
    platform::MessageBoxService& messages_;
    store::Hive& hive_;
    store::FileAccess& files_;
    Hooks hooks_;
};

}  // namespace tunexa::app
