#include "app/FirstRunSetup.h"

#include <QPushButton>

#include <array>
#include <string_view>
#include <utility>

#include "app/CardSelection.h"
#include "app/Cards.h"
#include "app/Controls.h"
#include "app/MachineSettings.h"
#include "app/ProgramKeys.h"
#include "engine/ManagedValues.h"
#include "platform/files/HostFiles.h"

namespace tunexa::app {

namespace {

using store::HKEY_LOCAL_MACHINE;

constexpr const char* kDefaultsProfile = "Defaults";

// The Voodoo Graphics settings a first run starts from, one for each of engine::kVoodooValues.
constexpr std::array<std::string_view, 4> kVoodooSeed = {"50", "1", "0", "0"};

}  // namespace

FirstRunSetup::FirstRunSetup(FirstRun& window, MachineSettings& machine,
                             platform::MessageBoxService& messages, store::Hive& hive,
                             store::FileAccess& files, Hooks hooks)
    : QObject(&window),
      window_(window),
      machine_(machine),
      messages_(messages),
      hive_(hive),
      files_(files),
      hooks_(std::move(hooks)) {
    connect(window.ui.cmdOKFirstRun, &QPushButton::clicked, this,
            &FirstRunSetup::cmdOKFirstRun_Click);
}

bool FirstRunSetup::chosen(const Card& card) const {
    return controlCheck(&window_, card.firstRunBox) == 1;
}

void FirstRunSetup::cmdOKFirstRun_Click() {
    QStringList problems;
    bool saved = false;
    {
        // Everything the first run writes is one change: saved whole, or nothing at all.
        store::Change change(hive_, "First run: cards chosen", &files_);
        // The machine's own settings first: the defaults below then keep what it holds.
        const bool machineRead = machine_.readForFirstRun(window_, problems);
        store::RegSetString(HKEY_LOCAL_MACHINE, kProgramKey, kStartMinimised, "0");
        for (const Card* card : {&kTNTCard, &kVoodooCard, &kVoodoo2Card, &kBansheeCard}) {
            writeProgramFlag(card->availableValue, controlCheck(&window_, card->firstRunBox));
        }
        store::RegSetString(HKEY_LOCAL_MACHINE, kProgramKey, kConfigure, "0");
        for (const Card* card : kSelectionOrder) {
            if (!chosen(*card)) {
                continue;
            }
            if (card == &kVoodooCard) {
                seedVoodoo(machineRead, change, problems);
                continue;
            }
            storeDriverSettingsBack(card->engineCard, problems);
        }
        // The defaults just written, kept as a profile: a safe setup is always one click away.
        store::saveProfile(hive_, &files_, kDefaultsProfile, hooks_.managedSet());
        saved = change.commit();
    }
    if (!saved) {
        // Nothing was saved: the window stays so the user can mend the cause and try again.
        messages_.show(
            QStringLiteral("The settings could not be saved: %1\r\nNothing was changed. Mend the "
                           "cause and press OK again, or close this window.")
                .arg(QString::fromStdString(hive_.lastFailureMessage())),
            QStringLiteral("Settings Not Saved"), platform::MessageButtons::Ok);
        return;
    }
    if (!problems.isEmpty()) {
        messages_.show(problems.join(QStringLiteral("\r\n")), platform::MessageButtons::Ok);
    }
    messages_.show(QStringLiteral("Please restart Tunexa.\r\nDefaults have been set."),
                   QStringLiteral("Restart Tunexa"), platform::MessageButtons::Ok);
    hooks_.done();
}

void FirstRunSetup::seedVoodoo(bool machineRead, store::Change& change, QStringList& problems) {
    for (std::size_t i = 0; i < kVoodooSeed.size(); ++i) {
        const std::string_view name = engine::kVoodooValues[i];
        if (!machineRead || !store::RegGetString(HKEY_LOCAL_MACHINE, engine::kVoodooKey, name)) {
            store::RegSetString(HKEY_LOCAL_MACHINE, engine::kVoodooKey, name, kVoodooSeed[i]);
        }
    }
    const std::string autoexec =
        engine::bootBatchPath(readText(engine::kSetupKey, engine::kBootDirValue));
    const auto appended = files::appendTextLineForChange(autoexec, engine::kGlideBatchPath);
    if (appended) {
        change.addFile(*appended);
        return;
    }
    problems << QStringLiteral("The line %1 was not added to %2: %3")
                    .arg(QString::fromLatin1(engine::kGlideBatchPath),
                         QString::fromStdString(autoexec),
                         QString::fromStdString(appended.error()));
}

}  // namespace tunexa::app
