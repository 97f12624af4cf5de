#pragma once

// The composition root: the main window, the first-run window, the tray icon and the panels'
// behaviour, wired to the platform services it is handed. start() is the main window's load
// routine; everything else is an event handler on the one user-interface thread.

#include <QObject>
#include <QPointer>

#include <memory>
#include <string>
#include <vector>

#include "app/FirstRun.h"
#include "app/Form1.h"
#include "engine/DriverSettings.h"
#include "panels/live/LiveWrite.h"
#include "platform/BusyPointer.h"
#include "platform/MessageBoxService.h"
#include "platform/PathChoices.h"
#include "platform/TextQuestions.h"
#include "platform/display/DisplayModes.h"
#include "platform/power/PowerService.h"
#include "platform/tray/TrayIcon.h"
#include "store/Profiles.h"
#include "ui/PanelEnvironment.h"

namespace tunexa::panels {
class TntPanel;
class VoodooPanel;
class Voodoo2Panel;
class BansheePanel;
class MatroxPanel;
class UnrealPanel;
}  // namespace tunexa::panels

namespace tunexa::launcher {
class HalfLifePanel;
}

namespace tunexa::system {
class DisplayPanel;
class PowerCommands;
}  // namespace tunexa::system

namespace tunexa::app {

class CardSelection;
class ChangeCommands;
class MachineSettings;

// What the program needs from the operating system; main() hands in the real ones, tests fakes.
struct PlatformServices {
    platform::MessageBoxService& messages;
    platform::TrayIcon& tray;
    platform::BusyPointer& busyPointer;
    platform::DisplayModes& displayModes;
    platform::PowerService& power;
    platform::TextQuestions& questions;
    platform::PathChoices& paths;
};

class Application : public QObject {
    Q_OBJECT

  public:
    explicit Application(PlatformServices services, QObject* parent = nullptr);
    ~Application() override;

    // The main window's load routine: every start-up step in its fixed order.
    void start();

    Form1& window() { return *form_; }
    // The first-run window while it is open; null otherwise.
    FirstRun* firstRun() const { return firstRun_.data(); }
    bool isUnloaded() const { return unloaded_; }
    ChangeCommands& changeCommands() { return *changes_; }

    // Window and tray events.
    void trayClicked(platform::TrayClick click);
    void mPopRestore_Click();
    void mPopExit_Click();
    void SSTab1_Click();
    // Unloads the main window: the tray icon goes, nothing is saved, the program ends.
    void unload();

    // Program options.
    void chkStartMin_Click();
    void chkRunOnStart_Click();

  signals:
    // The last window is gone: the program should end.
    void ended();

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void tellAboutTheStore();
    void showFirstRun();
    void applyStartMinimised(const std::string& flag);
    // After an undo or a profile: the panels that show any of the items, from the store again.
    void reloadAfterChange(const std::vector<store::ChangeItem>& items);
    store::ManagedSet managedSet() const;
    void showSystemInformation();
    void restore();
    void hideIfMinimised();
    QString programCaption() const;

    PlatformServices services_;
    std::unique_ptr<Form1> form_;
    ui::PanelEnvironment panelEnvironment_;
    // The panels' behaviour, each owned by the frame it works on.
    panels::TntPanel* tnt_;
    panels::VoodooPanel* voodoo_;
    panels::Voodoo2Panel* voodoo2_;
    panels::BansheePanel* banshee_;
    panels::MatroxPanel* matrox_;
    panels::UnrealPanel* unreal_;
    launcher::HalfLifePanel* halfLife_;
    std::unique_ptr<system::DisplayPanel> display_;
    std::unique_ptr<system::PowerCommands> powerCommands_;
    ChangeCommands* changes_;
    CardSelection* cards_;
    MachineSettings* machine_;
    // The two program options are stored the moment they are clicked, like the live boxes.
    panels::LiveWrite options_;
    QPointer<FirstRun> firstRun_;
    bool unloaded_ = false;
};

}  // namespace tunexa::app
