#pragma once

// One card panel on the real main window, offscreen, over a fresh hive, with scripted message
// boxes. Each card is data (PanelFixture.cpp): its buttons and messages, the store it is seeded
// with and what the store holds after Apply or Defaults, and its tray items and what
// they do.
//
// Expectations are texts "<name>=<state>": a control's or tray group's state (ControlState.h) or,
// when the name holds a ':', a store entry (StoreEntries.h).

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAction>

#include <functional>

#include "ControlState.h"
#include "FakePlatform.h"
#include "StoreEntries.h"
#include "TempRoot.h"
#include "app/Form1.h"
#include "ui/PanelEnvironment.h"

namespace tunexa::test {

class PanelFixture;

// A tray item ("<group>_<index>" or a single item) answered Yes, and what follows.
struct TrayCase {
    const char* item;
    std::vector<const char*> after;
};

// A panel's two buttons, and the title of Apply's question and answer.
struct CardNames {
    const char* apply;
    const char* defaults;
    const char* asking;
    const char* applied;
    const char* appliedPrompt = nullptr;  // when it differs from the title
};

struct Card {
    const char* name;  // also the card text of the driver settings routines
    // Makes the panel's behaviour on the fixture's window; returns its load from the record.
    std::function<std::function<void()>(PanelFixture&)> start;
    CardNames names;
    std::vector<std::string> keys;
    StoreEntries seeded;          // every value off its factory setting, a few off the scales
    StoreEntries appliedChanges;  // to `seeded`, by Defaults, a load and Apply
    StoreEntries factory;         // after a load, Defaults and Apply
    std::vector<const char*> loaded, factoryShown, empty;  // after those loads and Apply
    std::vector<const char*> edits;                        // made on the panel and not applied
    std::vector<TrayCase> tray;  // in order, after Apply of `seeded` and the edits
    // "<box>|<key>:<value name>|<ticking data>|<unticking data>[|<unticked, written>]": a fifth
    // field, empty for a deleted value, when an unticked box does not write its unticking data.
    std::vector<const char*> checks;
    std::vector<const char*> pages = {};  // "<button>><the only option page it leaves showing>"

    // Names the card in failure output.
    friend void PrintTo(const Card* card, std::ostream* out) { *out << card->name; }
};

const Card& tntCard();
const Card& voodoo2Card();
const Card& bansheeCard();
const Card& voodooCard();

class PanelFixture : public testing::Test {
  public:
    PanelFixture();
    ~PanelFixture() override;

    void start(const Card& card) { load_ = (card_ = &card)->start(*this); }
    void load();  // the card's driver values into the record, then the panel
    const Card& card() const { return *card_; }

    void answer(std::initializer_list<platform::MessageAnswer> answers) {
        for (const auto next : answers) {
            boxes.answer(next);
        }
    }
    void click(const char* button) { find<QAbstractButton>(button)->click(); }
    void trigger(const char* item) { find<QAction>(item)->trigger(); }
    void set(const std::vector<const char*>& states) { setControls(form, states); }
    // Each "<name>=<state>" holds.
    void expect(const std::vector<const char*>& expected) const;
    std::vector<std::string> trayState() const { return trayStates(form); }
    StoreEntries store() const { return storeEntries(card_->keys); }
    // The card's keys hold `base` (entries under other keys left out) with `changes` made.
    void expectStore(const StoreEntries& base, const StoreEntries& changes = {}) const;

    template <typename Widget>
    Widget* find(const char* name) const {
        auto* widget = form.findChild<Widget*>(QString::fromLatin1(name));
        EXPECT_NE(widget, nullptr) << name;
        return widget;
    }

    TempDir dir;
    app::Form1 form;
    ScriptedMessageBoxes boxes;
    ui::PanelEnvironment env;

  private:
    const Card* card_ = nullptr;
    std::function<void()> load_;
};

}  // namespace tunexa::test
