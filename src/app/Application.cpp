#include "app/Application.h"

#include <QCheckBox>
#include <QEvent>
#include <QLabel>
#include <QTimer>

#include <algorithm>
#include <functional>
#include <optional>
#include <system_error>
#include <utility>

#include "app/CardSelection.h"
#include "app/Cards.h"
#include "app/ChangeCommands.h"
#include "app/Controls.h"
#include "app/FirstRunSetup.h"
#include "app/MachineSettings.h"
#include "app/ProgramIcon.h"
#include "app/ProgramKeys.h"
#include "engine/ManagedValues.h"
#include "engine/RegMethods.h"
#include "engine/StoreKeys.h"
#include "launcher/core/Favourites.h"
#include "launcher/gui/HalfLifePanel.h"
#include "panels/banshee/BansheePanel.h"
#include "panels/live/MatroxPanel.h"
#include "panels/live/UnrealPanel.h"
#include "panels/tnt/TntPanel.h"
#include "panels/voodoo/VoodooPanel.h"
#include "panels/voodoo2/Voodoo2Panel.h"
#include "platform/files/Drives.h"
#include "platform/files/HostFiles.h"
#include "platform/host/Autostart.h"
#include "platform/host/HostFacts.h"
#include "store/Ansi.h"
#include "store/Registry.h"
#include "system/DisplayPanel.h"
#include "system/PowerCommands.h"
#include "ui/AnsiText.h"
#include "ui/CheckBox.h"
#include "ui/WindowState.h"

namespace tunexa::app {

namespace {

using store::HKEY_LOCAL_MACHINE;

}  // namespace

template <typename Frame>
Frame& frameOf(Form1& form) {
    return *form.findChild<Frame*>();
}

Application::Application(PlatformServices services, QObject* parent)
    : QObject(parent),
      services_(services),
      form_(std::make_unique<Form1>()),
      panelEnvironment_{services.messages, *form_, engine::driverSettings(), form_->popupMenu()},
      options_(services.messages) {
    Form1& form = *form_;
    auto& tntTab = frameOf<panels::TntTab>(form);
    tnt_ = new panels::TntPanel(tntTab, panelEnvironment_, &tntTab);
    voodoo_ = new panels::VoodooPanel(frameOf<panels::VoodooFrame>(form), panelEnvironment_);
    voodoo2_ = new panels::Voodoo2Panel(frameOf<panels::Voodoo2Frame>(form), panelEnvironment_);
    banshee_ = new panels::BansheePanel(frameOf<panels::BansheeFrame>(form), panelEnvironment_);
    matrox_ = new panels::MatroxPanel(frameOf<panels::MatroxFrame>(form), *form.ui.chkMatroxOnOff,
                                      services.messages);
    unreal_ = new panels::UnrealPanel(tntTab, services.messages);
    halfLife_ = new launcher::HalfLifePanel(frameOf<launcher::HalfLifeFrame>(form),
                                            panelEnvironment_, services.busyPointer);
    display_ = std::make_unique<system::DisplayPanel>(frameOf<system::DisplayFrame>(form),
                                                      services.messages, services.displayModes);
    powerCommands_ = std::make_unique<system::PowerCommands>(
        *form.ui.cmdReboot, *form.ui.cmdShutDown, form.popupMenu(), services.messages,
        services.power, services.busyPointer);
    changes_ = new ChangeCommands(
        form, services.messages, services.questions,
        ChangeCommands::Hooks{
            [this] { return managedSet(); },
            [this](const std::vector<store::ChangeItem>& items) { reloadAfterChange(items); }});
    cards_ = new CardSelection(form, services.messages, store::currentHive(),
                               CardSelection::Hooks{[this] { voodoo_->LoadVoodooPanel(); },
                                                    [this](const Card& card) {
                                                        if (&card == &kBansheeCard) {
                                                            banshee_->HideSubPages();
                                                        }
                                                    },
                                                    [this] { changes_->refresh(); }});
    machine_ = new MachineSettings(form, services.messages, services.paths, store::currentHive(),
                                   *changes_);
    // Only a reboot or shut-down the system accepted ends the program.
    connect(powerCommands_.get(), &system::PowerCommands::quitRequested, this,
            &Application::unload);

    form_->setWindowIcon(programIcon());
    form_->installEventFilter(this);

    connect(&services_.tray, &platform::TrayIcon::clicked, this, &Application::trayClicked);
    auto& menu = form_->popupMenu();
    connect(menu.item(QStringLiteral("mPopRestore")), &QAction::triggered, this,
            &Application::mPopRestore_Click);
    connect(menu.item(QStringLiteral("mPopExit")), &QAction::triggered, this,
            &Application::mPopExit_Click);
    ui::onTabClick(form_->ui.SSTab1, this, [this] { SSTab1_Click(); });
    ui::onCheckClick(control<QCheckBox>(form_.get(), "chkStartMin"), this,
                     [this] { chkStartMin_Click(); });
    ui::onCheckClick(control<QCheckBox>(form_.get(), "chkRunOnStart"), this,
                     [this] { chkRunOnStart_Click(); });
}

Application::~Application() {
    // The panels that are not owned by their frames go before the window does.
    powerCommands_.reset();
    display_.reset();
    if (!unloaded_) {
        services_.tray.remove();
    }
}

QString Application::programCaption() const {
    return form_->windowTitle();
}

void Application::start() {
    Form1& form = *form_;
    // What Windows itself keeps about the machine, refreshed before anything reads it.
    host::publishHostFacts(host::readHostFacts());
    tellAboutTheStore();

    services_.tray.add(programIcon(), programCaption());
    display_->FillDisplayModeList();
    // Minimised until the options say otherwise: without them the program sits in the tray.
    ui::setWindowState(&form, ui::WindowState::Minimised);
    engine::ReadDriverSettings(engine::kCardVoodoo2);
    engine::ReadDriverSettings(engine::kCardTNT);
    engine::ReadDriverSettings(engine::kCardBanshee);
    voodoo_->LoadVoodooPanel();
    voodoo2_->LoadVoodoo2Panel();
    banshee_->LoadBansheePanel();
    tnt_->FillTNTLists();
    tnt_->LoadTNTPanel();
    voodoo2_->SSTab1_Click();
    control<QLabel>(&form, "lblTXVersion")->setText(programCaption());
    // Not configured yet: the first-run window asks for the cards, and no flag of the program is
    // read, so the window keeps its design state behind it.
    const bool configured = programFlag(kConfigure) == "0";
    if (configured) {
        cards_->showStoredSelection();
        // A chosen TNT's lists show their stored item unselected: the tray stores only an item
        // the user clicks.
        if (programFlag(kTNTCard.availableValue) == "1") {
            tnt_->deselectListsAtTopIndex();
        }
    } else {
        showFirstRun();
        cards_->switchCardTabsOff();
    }
    // Setting the boxes runs their click behaviour on a change: the logon entry follows a moved
    // program.
    applyStartMinimised(configured ? programFlag(kStartMinimised) : std::string());
    const std::string startWithWindows = configured ? programFlag(kStartWithWindows) : "";
    if (startWithWindows == "0" || startWithWindows == "1") {
        setControlCheck(&form, "chkRunOnStart", startWithWindows == "1" ? 1 : 0);
    }
    matrox_->RestoreMatroxSettings();
    form.ui.SSTab1->setCurrentIndex(kMainSettingsTab);
    showSystemInformation();
    display_->SetCurrentResolution();
    halfLife_->LoadHLFavourites("Half Life");
    // Undo and profiles as the store holds them.
    changes_->refresh();

    if (ui::windowState(&form) == ui::WindowState::Normal) {
        ui::showWindow(&form);
        ui::bringToFront(&form);
    } else if (!services_.tray.hostAvailable()) {
        // No notification area: the minimised window stays reachable from the task bar.
        form.showMinimized();
    }
}

void Application::tellAboutTheStore() {
    const auto& report = store::currentHive().report();
    switch (report.outcome) {
        case store::OpenOutcome::ReplacedDamaged:
        case store::OpenOutcome::ReadOnly:
        case store::OpenOutcome::Unavailable:
            services_.messages.show(QString::fromStdString(report.detail),
                                    platform::MessageButtons::Ok);
            break;
        case store::OpenOutcome::Opened:
        case store::OpenOutcome::Created:
            break;
    }
}

void Application::showFirstRun() {
    form_->setEnabled(false);
    firstRun_ = new FirstRun();
    firstRun_->setAttribute(Qt::WA_DeleteOnClose);
    firstRun_->setWindowIcon(programIcon());
    firstRun_->installEventFilter(this);
    new FirstRunSetup(*firstRun_, *machine_, services_.messages, store::currentHive(),
                      files::hostFiles(),
                      FirstRunSetup::Hooks{[this] { return managedSet(); }, [this] { unload(); }});
    machine_->offer(*firstRun_);
    firstRun_->show();
}

void Application::applyStartMinimised(const std::string& flag) {
    if (flag == "0") {
        setControlCheck(form_.get(), "chkStartMin", 0);
        ui::setWindowState(form_.get(), ui::WindowState::Normal);
    } else if (flag == "1") {
        setControlCheck(form_.get(), "chkStartMin", 1);
        ui::setWindowState(form_.get(), ui::WindowState::Minimised);
    }
}

void Application::showSystemInformation() {
    using engine::kProcessorKey;
    using engine::kWindowsVersionKey;
    form_->lblAboutTX(2)->setText(ui::fromAnsi(readText(kProcessorKey, "VendorIdentifier") + " " +
                                               readText(kProcessorKey, "Identifier")));
    form_->lblAboutTX(4)->setText(ui::fromAnsi(readText(kWindowsVersionKey, "Version") + " " +
                                               readText(kWindowsVersionKey, "VersionNumber")));
}

void Application::trayClicked(platform::TrayClick click) {
    switch (click) {
        case platform::TrayClick::Left:
        case platform::TrayClick::Double:
            restore();
            break;
        case platform::TrayClick::Right:
            // Brought forward without being shown: a hidden window stays hidden.
            ui::bringToFront(form_.get());
            services_.tray.popUp(form_->popupMenu().menu());
            break;
    }
}

void Application::restore() {
    ui::setWindowState(form_.get(), ui::WindowState::Normal);
    ui::bringToFront(form_.get());
    ui::showWindow(form_.get());
}

void Application::mPopRestore_Click() {
    restore();
}

void Application::mPopExit_Click() {
    unload();
}

void Application::SSTab1_Click() {
    voodoo2_->SSTab1_Click();
}

void Application::unload() {
    if (unloaded_) {
        return;
    }
    unloaded_ = true;
    services_.tray.remove();
    if (firstRun_) {
        firstRun_->removeEventFilter(this);
        firstRun_->close();
    }
    form_->removeEventFilter(this);
    form_->hide();
    emit ended();
}

void Application::hideIfMinimised() {
    if (ui::windowState(form_.get()) == ui::WindowState::Minimised &&
        services_.tray.hostAvailable()) {
        ui::hideWindow(form_.get());
    }
}

bool Application::eventFilter(QObject* watched, QEvent* event) {
    if (watched == firstRun_.data() && event->type() == QEvent::Close) {
        // Closed without its OK, which unloads first: nothing is written and the program ends.
        unload();
    } else if (watched == form_.get()) {
        if (event->type() == QEvent::WindowStateChange) {
            // Hidden once the state change is complete; the tray icon is then the way back.
            QTimer::singleShot(0, this, &Application::hideIfMinimised);
        } else if (event->type() == QEvent::Close) {
            unload();
        }
    }
    return QObject::eventFilter(watched, event);
}

void Application::chkStartMin_Click() {
    auto* box = control<QCheckBox>(form_.get(), "chkStartMin");
    options_.store(
        panels::liveTitle(QStringLiteral("Options"), box), box,
        [box](store::Change&) {
            store::RegSetString(HKEY_LOCAL_MACHINE, kProgramKey, kStartMinimised,
                                std::to_string(ui::checkValue(box)));
        },
        [] { return panels::storedFlag(kProgramKey, kStartMinimised); });
}

void Application::chkRunOnStart_Click() {
    auto* box = control<QCheckBox>(form_.get(), "chkRunOnStart");
    const int value = ui::checkValue(box);
    const auto program = host::runningProgramPath();
    const std::string command = ansi::fromUtf8(program.string());
    // The store entry, the flag and the desktop's autostart entry go together or not at all. The
    // write is skipped only when all three already say the same (start-up's write-back).
    const auto stored = [&]() -> std::optional<int> {
        const auto flag = panels::storedFlag(kProgramKey, kStartWithWindows);
        const auto run = store::RegGetString(HKEY_LOCAL_MACHINE, engine::kRunKey, kRunValue);
        std::error_code ignored;
        const bool entry = std::filesystem::exists(host::autostartEntryPath(), ignored);
        const bool agrees = value == 1 ? run == command && entry : !run && !entry;
        return agrees || !flag || *flag != value ? flag : std::nullopt;
    };
    options_.store(
        panels::liveTitle(QStringLiteral("Options"), box), box,
        [&](store::Change& change) {
            if (value == 1) {
                store::RegSetString(HKEY_LOCAL_MACHINE, engine::kRunKey, kRunValue, command);
            } else {
                store::RegDeleteValue(HKEY_LOCAL_MACHINE, engine::kRunKey, kRunValue);
            }
            store::RegSetString(HKEY_LOCAL_MACHINE, kProgramKey, kStartWithWindows,
                                value == 1 ? "1" : "0");
            const auto entry =
                value == 1 ? host::enableAutostart(program) : host::disableAutostart();
            if (!entry.ok) {
                store::currentHive().reportFailure("autostart", entry.error);
                return;
            }
            change.addFile(entry.file);
        },
        stored);
}

store::ManagedSet Application::managedSet() const {
    return engine::managedSet(engine::driverSettings(), files::locationOnDrives);
}

void Application::reloadAfterChange(const std::vector<store::ChangeItem>& items) {
    // Whether the change touched the key, or with `below` anything under it too.
    const auto touches = [&items](std::string_view key, bool below = true) {
        const std::string folded = ansi::fold(key);
        return std::any_of(items.begin(), items.end(), [&](const store::ChangeItem& item) {
            const std::string touched = ansi::fold(item.key);
            return item.kind != store::ItemKind::File && item.root == HKEY_LOCAL_MACHINE &&
                   (touched == folded || (below && touched.starts_with(folded + "\\")));
        });
    };
    const auto reloadCard = [](std::string_view card, const std::function<void()>& load) {
        engine::ReadDriverSettings(card);
        load();
    };
    // Each panel with the keys it shows: a panel is loaded again when the change touched any.
    const std::pair<std::vector<std::string_view>, std::function<void()>> panels[] = {
        {{std::begin(engine::kTntPanelKeys), std::end(engine::kTntPanelKeys)},
         [&] { reloadCard(engine::kCardTNT, [this] { tnt_->LoadTNTPanel(); }); }},
        {{std::begin(engine::kVoodoo2PanelKeys), std::end(engine::kVoodoo2PanelKeys)},
         [&] { reloadCard(engine::kCardVoodoo2, [this] { voodoo2_->LoadVoodoo2Panel(); }); }},
        {{std::begin(engine::kBansheePanelKeys), std::end(engine::kBansheePanelKeys)},
         [&] { reloadCard(engine::kCardBanshee, [this] { banshee_->LoadBansheePanel(); }); }},
        {{engine::kVoodooKey}, [this] { voodoo_->LoadVoodooPanel(); }},
        {{engine::kMatroxKey}, [this] { matrox_->RestoreMatroxSettings(); }},
        {{engine::kUnrealKey}, [this] { unreal_->showStoredValues(); }},
        {{launcher::kHalfLifeKey}, [this] { halfLife_->LoadHLFavourites("Half Life"); }},
    };
    for (const auto& [keys, reload] : panels) {
        if (std::any_of(keys.begin(), keys.end(),
                        [&](std::string_view key) { return touches(key); })) {
            reload();
        }
    }
    // The program's own flags: the card selection, its tabs, and the two options.
    if (!touches(kProgramKey, false)) {
        return;
    }
    cards_->showStoredSelection();
    for (const auto& [boxName, flagName] : {std::pair{"chkStartMin", kStartMinimised},
                                            std::pair{"chkRunOnStart", kStartWithWindows}}) {
        if (const auto flag = panels::storedFlag(kProgramKey, flagName)) {
            options_.showQuietly(control<QCheckBox>(form_.get(), boxName), *flag);
        }
    }
    matrox_->RestoreMatroxSettings();
}

}  // namespace tunexa::app
