#include "app/Application.h"

#include <QCheckBox>
#include <QEvent>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QTimer>

#include "app/ProgramIcon.h"
#include "app/ProgramKeys.h"
#include "engine/RegMethods.h"
#include "platform/host/Autostart.h"
#include "platform/host/HostFacts.h"
#include "store/Ansi.h"
#include "store/Registry.h"
#include "ui/CheckBox.h"
#include "ui/WindowState.h"

namespace tunexa::app {

namespace {

using store::HKEY_LOCAL_MACHINE;

std::string readText(const char* key, const char* name) {
    return store::RegGetString(HKEY_LOCAL_MACHINE, key, name).value_or(std::string());
}

std::string programFlag(const char* name) {
    return readText(kProgramKey, name);
}

QString fromAnsi(const std::string& text) {
    return QString::fromStdString(ansi::toUtf8(text));
}

template <typename Widget = QWidget>
Widget* control(QWidget* window, const char* name) {
    return window->findChild<Widget*>(QString::fromLatin1(name));
}

void setEnabled(QWidget* window, const char* name, bool enabled) {
    if (auto* widget = control(window, name)) {
        widget->setEnabled(enabled);
    }
}

void setVisible(QWidget* window, const char* name, bool visible) {
    if (auto* widget = control(window, name)) {
        widget->setVisible(visible);
    }
}

void setCheck(QWidget* window, const char* name, int value) {
    ui::setCheckValue(control<QCheckBox>(window, name), value);
}

// One card's availability flag as start-up applies it: the card-selection box it sets, what a
// "0" disables, the tray branch it switches, and the frames hidden either way.
struct CardFlag {
    const char* storeValue;
    const char* selectionBox;
    std::initializer_list<const char*> disabledWhenOff;
    const char* trayBranch;  // null for the Voodoo Graphics, which has none
    std::initializer_list<const char*> hiddenEitherWay;
    const char* noCardLabel = nullptr;  // a label that says so when the card is off
    const char* noCardText = nullptr;
};

// In the order start-up reads them.
const CardFlag kCardFlags[] = {
    {kVoodooAvailable, "chkConfVoodoo", {"frame3DfxV"}, nullptr, {}},
    {kVoodoo2Available, "chkConfV2", {"frame3DfxV2"}, "mPopV2Main", {}},
    {kBansheeAvailable,
     "chkConfBanshee",
     {"frame3DfxBanshee"},
     "mPopBansheeMain",
     {"frameBansheeD3D", "frameBansheeGlide"}},
    {kTNTAvailable,
     "chkConfTNT",
     {"frameTNTOC", "frameTNTSettings", "frameTNTD3D", "frameTNTGL", "cmdTNTdefaults",
      "cmdTNTapply"},
     "mPopRivaMain",
     {},
     "lblTNTdriverVal",
     "No TNT Available"},
};

}  // namespace

Application::Application(PlatformServices services, QObject* parent)
    : QObject(parent), services_(services), form_(std::make_unique<Form1>()) {
    form_->setWindowIcon(programIcon());
    form_->installEventFilter(this);

    connect(&services_.tray, &platform::TrayIcon::clicked, this, &Application::trayClicked);
    auto& menu = form_->popupMenu();
    connect(menu.item(QStringLiteral("mPopRestore")), &QAction::triggered, this,
            &Application::mPopRestore_Click);
    connect(menu.item(QStringLiteral("mPopExit")), &QAction::triggered, this,
            &Application::mPopExit_Click);
    connect(form_->ui.SSTab1, &QTabWidget::tabBarClicked, this, &Application::SSTab1_Click);
    ui::onCheckClick(control<QCheckBox>(form_.get(), "chkStartMin"), this,
                     [this] { chkStartMin_Click(); });
    ui::onCheckClick(control<QCheckBox>(form_.get(), "chkRunOnStart"), this,
                     [this] { chkRunOnStart_Click(); });
}

Application::~Application() {
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

    // 1. The tray icon, its tooltip the window caption.
    services_.tray.add(programIcon(), programCaption());
    // 3. The window starts minimised.
    ui::setWindowState(&form, ui::WindowState::Minimised);
    // 4. The driver settings of the three tunable cards.
    engine::ReadDriverSettings(engine::kCardVoodoo2);
    engine::ReadDriverSettings(engine::kCardTNT);
    engine::ReadDriverSettings(engine::kCardBanshee);
    // 6. The Voodoo2 panel opens on its Direct3D page.
    setVisible(&form, "frameV2Glide", false);
    // 7.
    control<QLabel>(&form, "lblTXVersion")->setText(programCaption());
    // 8. Not configured yet: the first-run window, with the main window inactive behind it.
    if (programFlag(kConfigure) != "0") {
        showFirstRun();
    }
    // 9.-14. Card availability, then the tabs.
    applyAvailabilityFlags();
    // 15.-16. Program options; setting the boxes runs their click behaviour on a change.
    const bool configured = programFlag(kConfigure) == "0";
    applyStartMinimised(configured ? programFlag(kStartMinimised) : std::string());
    const std::string startWithWindows = configured ? programFlag(kStartWithWindows) : "";
    if (startWithWindows == "0" || startWithWindows == "1") {
        setCheck(&form, "chkRunOnStart", startWithWindows == "1" ? 1 : 0);
    }
    // 18.
    form.ui.SSTab1->setCurrentIndex(kMainSettingsTab);
    // 19.
    showSystemInformation();

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
    firstRun_->show();
}

void Application::applyAvailabilityFlags() {
    QWidget* form = form_.get();
    const bool configured = programFlag(kConfigure) == "0";
    for (const CardFlag& card : kCardFlags) {
        const std::string flag = configured ? programFlag(card.storeValue) : std::string();
        if (flag != "0" && flag != "1") {
            continue;  // neither: the design state stays
        }
        const bool on = flag == "1";
        setCheck(form, card.selectionBox, on ? 1 : 0);
        if (!on) {
            for (const char* name : card.disabledWhenOff) {
                setEnabled(form, name, false);
            }
        }
        for (const char* name : card.hiddenEitherWay) {
            setVisible(form, name, false);
        }
        if (card.trayBranch != nullptr) {
            form_->popupMenu().setEnabled(QString::fromLatin1(card.trayBranch), on);
        }
        if (!on && card.noCardLabel != nullptr) {
            control<QLabel>(form, card.noCardLabel)->setText(QString::fromLatin1(card.noCardText));
        }
    }

    // 14. A tab whose cards are all unavailable is switched off.
    auto unchecked = [form](const char* name) {
        return ui::checkValue(control<QCheckBox>(form, name)) == 0;
    };
    if (unchecked("chkConfVoodoo") && unchecked("chkConfV2") && unchecked("chkConfBanshee")) {
        ui::setTabOn(form_->ui.SSTab1, k3DfxTab, false);
    }
    if (unchecked("chkConfTNT")) {
        ui::setTabOn(form_->ui.SSTab1, kRivaTNTTab, false);
    }
}

void Application::applyStartMinimised(const std::string& flag) {
    if (flag == "0") {
        setCheck(form_.get(), "chkStartMin", 0);
        ui::setWindowState(form_.get(), ui::WindowState::Normal);
    } else if (flag == "1") {
        setCheck(form_.get(), "chkStartMin", 1);
        ui::setWindowState(form_.get(), ui::WindowState::Minimised);
    }
}

void Application::showSystemInformation() {
    form_->lblAboutTX(2)->setText(fromAnsi(readText(kProcessorKey, "VendorIdentifier") + " " +
                                           readText(kProcessorKey, "Identifier")));
    form_->lblAboutTX(4)->setText(
        fromAnsi(readText(kWindowsKey, "Version") + " " + readText(kWindowsKey, "VersionNumber")));
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
    setVisible(form_.get(), "frameV2Glide", false);
    setVisible(form_.get(), "frameV2D3D", true);
}

void Application::unload() {
    if (unloaded_) {
        return;
    }
    unloaded_ = true;
    services_.tray.remove();
    if (firstRun_) {
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
    if (watched == form_.get()) {
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
    const int value = ui::checkValue(control<QCheckBox>(form_.get(), "chkStartMin"));
    store::RegSetString(HKEY_LOCAL_MACHINE, kProgramKey, kStartMinimised, std::to_string(value));
}

void Application::chkRunOnStart_Click() {
    const int value = ui::checkValue(control<QCheckBox>(form_.get(), "chkRunOnStart"));
    if (value == 1) {
        const auto program = host::runningProgramPath();
        store::RegSetString(HKEY_LOCAL_MACHINE, kRunKey, kRunValue,
                            ansi::fromUtf8(program.string()));
        store::RegSetString(HKEY_LOCAL_MACHINE, kProgramKey, kStartWithWindows, "1");
        const auto result = host::enableAutostart(program);
        if (!result.ok) {
            services_.messages.show(QString::fromStdString(result.error),
                                    platform::MessageButtons::Ok);
        }
    } else {
        store::RegDeleteValue(HKEY_LOCAL_MACHINE, kRunKey, kRunValue);
        store::RegSetString(HKEY_LOCAL_MACHINE, kProgramKey, kStartWithWindows, "0");
        const auto result = host::disableAutostart();
        if (!result.ok) {
            services_.messages.show(QString::fromStdString(result.error),
                                    platform::MessageButtons::Ok);
        }
    }
}

}  // namespace tunexa::app
