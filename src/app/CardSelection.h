#pragma once

// The cards chosen on Main Settings ("Choose Available Cards"): each card's frames, buttons, tray
// branch and tab switched on or off as the store's flags say, and the Apply that stores a new
// choice. The window never shows a choice that the store did not save.

#include <QObject>
#include <QStringList>

#include <functional>
#include <string_view>

#include "app/Cards.h"
#include "app/Form1.h"
#include "platform/MessageBoxService.h"
#include "store/Hive.h"

namespace tunexa::app {

// A card's driver settings read and written back in normalised form (absent texts become empty
// ones); why they were not saved, when they were not, goes to `problems`.
void storeDriverSettingsBack(std::string_view card, QStringList& problems);

class CardSelection : public QObject {
    Q_OBJECT

  public:
    struct Hooks {
        // Brings the Voodoo Graphics panel in line with the store, once Apply has chosen it.
        std::function<void()> loadVoodooPanel;
        // The card's controls were switched on or off: its panel shows its main page, not one
        // of the option pages that cover it.
        std::function<void(const Card&)> showMainPage;
        // A choice was saved as a change.
        std::function<void()> saved;
    };

    CardSelection(Form1& form, platform::MessageBoxService& messages, store::Hive& hive,
                  Hooks hooks);

    // Each card whose flag is "0" or "1" ticked or not, with its controls, main page and tab to
    // match; then the tabs whose cards are all unticked switched off. A card with another flag
    // keeps what the window shows. The panels keep what they show.
    void showStoredSelection();
    void switchCardTabsOff();

    void cmdConfApply_Click();

  private:
    void switchCardControls(const Card& card, bool on);
    void showStoredCard(const Card& card, bool on);
    void showAppliedCard(const Card& card, bool on);
    void showTntDriver(bool on);
    bool ticked(const Card& card) const;

    Form1& form_;
    platform::MessageBoxService& messages_;
    store::Hive& hive_;
    Hooks hooks_;
};

}  // namespace tunexa::app
