// The card choice: the first-run window's OK, which seeds everything once and ends the program,
// and the main window's card-selection Apply, which takes effect at once.
#include <QPushButton>

#include <array>

#include "app/Application.h"
#include "app/Cards.h"
#include "app/ChangeCommands.h"
#include "app/Controls.h"
#include "app/ProgramKeys.h"
#include "engine/DisplayClass.h"
#include "engine/ManagedValues.h"
#include "engine/RegMethods.h"
#include "panels/voodoo/VoodooPanel.h"
#include "platform/files/HostFiles.h"
#include "store/Profiles.h"
#include "store/Registry.h"
#include "ui/WindowState.h"

namespace tunexa::app {

namespace {

using store::HKEY_LOCAL_MACHINE;

constexpr const char* kSetupKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Setup";
constexpr const char* kDefaultsProfile = "Defaults";

// The Voodoo Graphics settings a first run starts from, one for each of engine::kVoodooValues.
constexpr std::array<std::string_view, 4> kVoodooSeed = {"50", "1", "0", "0"};

void writeFlag(const char* name, int value) {
    store::RegSetString(HKEY_LOCAL_MACHINE, kProgramKey, name, std::to_string(value));
}

}  // namespace

void Application::storeDriverSettingsBack(std::string_view card, QStringList& problems) {
    engine::ReadDriverSettings(card);
    const auto result = engine::WriteDriverSettings(card);
    if (!result.saved) {
        problems << QStringLiteral("The %1 settings were not saved: %2")
                        .arg(QString::fromLatin1(card.data(), static_cast<qsizetype>(card.size())),
                             QString::fromStdString(result.failure));
    }
}

void Application::cmdOKFirstRun_Click() {
    if (!firstRun_) {
        return;
    }
    const QWidget* firstRun = firstRun_.data();
    QWidget* form = form_.get();
    QStringList problems;
    bool saved = false;
    {
        // Everything the first run writes is one change: saved whole, or nothing at all.
        store::Change change(store::currentHive(), "First run: cards chosen", &files::hostFiles());
        // The machine's own settings first: the defaults below then keep what it holds.
        const bool machineRead = readMachineInFirstRun(problems);
        store::RegSetString(HKEY_LOCAL_MACHINE, kProgramKey, kStartMinimised, "0");
        for (const Card* card : {&kTNTCard, &kVoodooCard, &kVoodoo2Card, &kBansheeCard}) {
            writeFlag(card->availableValue, controlCheck(firstRun, card->firstRunBox));
        }
        store::RegSetString(HKEY_LOCAL_MACHINE, kProgramKey, kConfigure, "0");

        for (const Card* card : {&kVoodooCard, &kVoodoo2Card, &kBansheeCard, &kTNTCard}) {
            if (controlCheck(firstRun, card->firstRunBox) != 1) {
                for (const char* frame : card->frames) {
                    setControlEnabled(form, frame, false);
                }
                continue;
            }
            setControlCheck(form, card->selectionBox, 1);
            if (card == &kVoodooCard) {
                for (std::size_t i = 0; i < kVoodooSeed.size(); ++i) {
                    const std::string_view name = engine::kVoodooValues[i];
                    if (!machineRead ||
                        !store::RegGetString(HKEY_LOCAL_MACHINE, engine::kVoodooKey, name)) {
                        store::RegSetString(HKEY_LOCAL_MACHINE, engine::kVoodooKey, name,
                                            kVoodooSeed[i]);
                    }
                }
                // The boot batch file runs the Glide batch file; "BootDir" ends with a backslash.
                const std::string autoexec = readText(kSetupKey, "BootDir") + "autoexec.bat";
                const auto appended =
                    files::appendTextLineForChange(autoexec, engine::kGlideBatchPath);
                if (appended) {
                    change.addFile(*appended);
                } else {
                    problems << QStringLiteral("The line %1 was not added to %2: %3")
                                    .arg(QString::fromLatin1(engine::kGlideBatchPath),
                                         QString::fromStdString(autoexec),
                                         QString::fromStdString(appended.error()));
                }
                continue;
            }
            if (card == &kBansheeCard) {
                engine::FindBansheeClassKey();
            }
            storeDriverSettingsBack(card->engineCard, problems);
        }
        // The defaults just written, kept as a profile: a safe setup is always one click away.
        store::saveProfile(store::currentHive(), &files::hostFiles(), kDefaultsProfile,
                           managedSet());
        saved = change.commit();
    }
    if (!saved) {
        // Nothing was saved: the window stays so the user can mend the cause and try again.
        const auto& failure = store::currentHive().lastFailure();
        services_.messages.show(
            QStringLiteral("The settings could not be saved: %1\r\nNothing was changed. Mend the "
                           "cause and press OK again, or close this window.")
                .arg(QString::fromStdString(failure ? failure->message : std::string())),
            QStringLiteral("Settings Not Saved"), platform::MessageButtons::Ok);
        return;
    }
    if (!problems.isEmpty()) {
        services_.messages.show(problems.join(QStringLiteral("\r\n")),
                                platform::MessageButtons::Ok);
    }
    services_.messages.show(QStringLiteral("Please restart Tunexa.\r\nDefaults have been set."),
                            QStringLiteral("Restart Tunexa"), platform::MessageButtons::Ok);
    firstRunDone_ = true;
    unload();
}

void Application::firstRunClosed() {
    // Closed without its OK: nothing is written and the program ends.
    if (!firstRunDone_) {
        unload();
    }
}

void Application::cmdConfApply_Click() {
    QWidget* form = form_.get();
    const Card* const order[] = {&kVoodooCard, &kVoodoo2Card, &kBansheeCard, &kTNTCard};
    store::Change change(store::currentHive(), "Card selection: Apply");
    for (const Card* card : order) {
        writeFlag(card->availableValue, controlCheck(form, card->selectionBox));
    }
    QStringList problems;
    for (const Card* card : order) {
        const bool on = controlCheck(form, card->selectionBox) == 1;
        switchCardControls(*card, on);
        for (const char* page : card->pages) {
            if (!on) {
                setControlEnabled(form, page, false);
            }
            setControlVisible(form, page, false);
        }
        if (card == &kTNTCard && !on) {
            setControlVisible(form, "frameV2Glide", false);
        }
        if (on && !card->engineCard.empty()) {
            storeDriverSettingsBack(card->engineCard, problems);
        }
        if (on && card == &kVoodooCard) {
            voodoo_->LoadVoodooPanel();
        }
        if (on) {
            ui::setTabOn(form_->ui.SSTab1, card->tab, true);
        }
    }
    switchCardTabsOff();
    // One change: the flags and every card's values are saved together or not at all.
    if (!change.commit()) {
        if (problems.isEmpty()) {
            const auto& failure = store::currentHive().lastFailure();
            problems << QStringLiteral("The card selection was not saved: %1")
                            .arg(
                                QString::fromStdString(failure ? failure->message : std::string()));
        }
        services_.messages.show(problems.join(QStringLiteral("\r\n")),
                                QStringLiteral("Settings Not Applied"),
                                platform::MessageButtons::Ok);
        return;
    }
    changes_->refresh();
    services_.messages.show(QStringLiteral("Selection Changed"), QStringLiteral("Card Selection"),
                            platform::MessageButtons::Ok);
}

}  // namespace tunexa::app
