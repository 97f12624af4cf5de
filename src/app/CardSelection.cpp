#include "app/CardSelection.h"

#include <QLabel>
#include <QPushButton>

#include <utility>

#include "app/Controls.h"
#include "app/ProgramKeys.h"
#include "engine/DisplayClass.h"
#include "engine/RegMethods.h"
#include "store/Changes.h"
#include "ui/AnsiText.h"
#include "ui/WindowState.h"

namespace tunexa::app {

void storeDriverSettingsBack(std::string_view card, QStringList& problems) {
    if (card == engine::kCardBanshee) {
        // The display class may have changed since the panel found it (a machine read, a
        // tunexa-reg import): the clocks go where the store's class is now.
        engine::FindBansheeClassKey();
    }
    engine::ReadDriverSettings(card);
    const auto result = engine::WriteDriverSettings(card);
    if (!result.saved) {
        problems << QStringLiteral("The %1 settings were not saved: %2")
                        .arg(QString::fromLatin1(card.data(), static_cast<qsizetype>(card.size())),
                             QString::fromStdString(result.failure));
    }
}

CardSelection::CardSelection(Form1& form, platform::MessageBoxService& messages, store::Hive& hive,
                             Hooks hooks)
    : QObject(&form), form_(form), messages_(messages), hive_(hive), hooks_(std::move(hooks)) {
    connect(control<QPushButton>(&form, "cmdConfApply"), &QPushButton::clicked, this,
            &CardSelection::cmdConfApply_Click);
}

bool CardSelection::ticked(const Card& card) const {
    return controlCheck(&form_, card.selectionBox) == 1;
}

void CardSelection::switchCardControls(const Card& card, bool on) {
    for (const auto& names : {card.frames, card.buttons}) {
        for (const char* name : names) {
            setControlEnabled(&form_, name, on);
        }
    }
    if (card.trayBranch != nullptr) {
        form_.popupMenu().setEnabled(QString::fromLatin1(card.trayBranch), on);
    }
    hooks_.showMainPage(card);
}

void CardSelection::switchCardTabsOff() {
    const auto unticked = [this](const Card& card) {
        return controlCheck(&form_, card.selectionBox) == 0;
    };
    if (unticked(kVoodooCard) && unticked(kVoodoo2Card) && unticked(kBansheeCard)) {
        ui::setTabOn(form_.ui.SSTab1, k3DfxTab, false);
    }
    if (unticked(kTNTCard)) {
        ui::setTabOn(form_.ui.SSTab1, kRivaTNTTab, false);
    }
}

void CardSelection::showStoredSelection() {
    for (const Card* card : kSelectionOrder) {
        const std::string flag = programFlag(card->availableValue);
        if (flag == "0" || flag == "1") {
            showStoredCard(*card, flag == "1");
        }
    }
    switchCardTabsOff();
}

void CardSelection::showStoredCard(const Card& card, bool on) {
    setControlCheck(&form_, card.selectionBox, on ? 1 : 0);
    switchCardControls(card, on);
    if (on) {
        ui::setTabOn(form_.ui.SSTab1, card.tab, true);
    } else if (&card == &kTNTCard) {
        showTntDriver(false);
    }
}

void CardSelection::cmdConfApply_Click() {
    QStringList problems;
    bool saved = false;
    {
        // One change: the flags and every chosen card's values are saved together or not at all.
        store::Change change(hive_, "Card selection: Apply");
        for (const Card* card : kSelectionOrder) {
            writeProgramFlag(card->availableValue, controlCheck(&form_, card->selectionBox));
        }
        for (const Card* card : kSelectionOrder) {
            if (ticked(*card) && !card->engineCard.empty()) {
                storeDriverSettingsBack(card->engineCard, problems);
            }
        }
        saved = change.commit();
    }
    if (!saved) {
        // The window goes back to the choice the store holds, which is what the next start shows.
        showStoredSelection();
        if (problems.isEmpty()) {
            problems << QStringLiteral("The card selection was not saved: %1")
                            .arg(QString::fromStdString(hive_.lastFailureMessage()));
        }
        messages_.show(problems.join(QStringLiteral("\r\n")),
                       QStringLiteral("Settings Not Applied"), platform::MessageButtons::Ok);
        return;
    }
    for (const Card* card : kSelectionOrder) {
        showAppliedCard(*card, ticked(*card));
    }
    switchCardTabsOff();
    hooks_.saved();
    messages_.show(QStringLiteral("Selection Changed"), QStringLiteral("Card Selection"),
                   platform::MessageButtons::Ok);
}

void CardSelection::showAppliedCard(const Card& card, bool on) {
    switchCardControls(card, on);
    if (on) {
        ui::setTabOn(form_.ui.SSTab1, card.tab, true);
        if (&card == &kVoodooCard) {
            hooks_.loadVoodooPanel();
        }
    } else if (&card == &kTNTCard) {
        setControlVisible(&form_, "frameV2Glide", false);
    }
    // The driver label says whether the TNT is there, as start-up leaves it, rather than what it
    // said before the choice changed.
    if (&card == &kTNTCard) {
        showTntDriver(on);
    }
}

void CardSelection::showTntDriver(bool on) {
    control<QLabel>(&form_, "lblTNTdriverVal")
        ->setText(on ? ui::fromAnsi(engine::driverSettings().TNT.DriverDesc.asText())
                     : QStringLiteral("No TNT Available"));
}

}  // namespace tunexa::app
