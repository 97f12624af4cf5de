// What every card panel does, run on each card's data: load, Apply and the tray items (which read
// every slider's label back), an empty store, the check boxes, the questions answered No, a store
// that refuses, Defaults and the option pages.

#include <QCheckBox>
#include <QSlider>

#include "PanelFixture.h"
#include "engine/DriverSettings.h"
#include "ui/CheckBox.h"

namespace tunexa::test {
namespace {

using enum platform::MessageAnswer;
using platform::MessageBox;

MessageBox notice(const char* text) {
    return {text, text, platform::MessageButtons::Ok};
}

MessageBox question(const char* title) {
    return {"Are you sure?", title, platform::MessageButtons::YesNo};
}

class CardPanel : public PanelFixture, public testing::WithParamInterface<const Card*> {
  protected:
    CardPanel() { start(*GetParam()); }

    MessageBox applied() const {
        const CardNames& names = card().names;
        return {QString::fromLatin1(names.appliedPrompt ? names.appliedPrompt : names.applied),
                QString::fromLatin1(names.applied), platform::MessageButtons::Ok};
    }
};

// Then each tray item in turn stores the whole panel, the edits made on it included.
TEST_P(CardPanel, ApplyAndTheTrayItemsStoreEachControlUnderItsNameAndType) {
    answer({Yes, Ok, Yes, Ok});
    click(card().names.defaults);  // a stored value the panel does not know leaves these showing
    seedStore(card().seeded);
    load();
    expect(card().loaded);
    click(card().names.apply);
    EXPECT_EQ(boxes.shown().at(2), question(card().names.asking));
    EXPECT_EQ(boxes.shown().at(3), applied());
    expectStore(card().seeded, card().appliedChanges);
    set(card().edits);
    for (const TrayCase& item : card().tray) {
        SCOPED_TRACE(item.item);
        const bool isDefault = QByteArray(item.item).contains("Default");
        isDefault ? answer({Yes, Ok}) : answer({Yes});
        trigger(item.item);
        EXPECT_EQ(boxes.shown().back(),
                  isDefault ? notice("Default set") : question("Are you sure?"));
        expect(item.after);
    }
}

// An empty store leaves the sliders where they were and empties the labels.
TEST_P(CardPanel, AnEmptyStoreLeavesTheSlidersAndEmptiesTheLabels) {
    for (QSlider* slider : form.findChildren<QSlider*>()) {
        slider->setValue(1);
    }
    load();
    for (const QSlider* slider : form.findChildren<QSlider*>()) {
        EXPECT_EQ(slider->value(), 1) << slider->objectName().toStdString();
    }
    expect(card().empty);
}

// Each check box loads from its own value only: its two values tick and untick it, a value it
// does not know (every other box's here) leaves it as it was. Apply then writes each box's own
// value only, so every pair of boxes is seen once in opposite states.
TEST_P(CardPanel, EachCheckBoxLoadsFromAndAppliesToItsOwnValue) {
    seedStore(card().seeded);
    for (const QString row : card().checks) {
        for (const int value : {1, 0}) {
            SCOPED_TRACE(row.toStdString() + (value ? " ticks" : " unticks"));
            for (const QString other : card().checks) {
                ui::setCheckValue(find<QCheckBox>(other.section('|', 0, 0).toLatin1()), 1 - value);
                const QString type = other.section('|', 2, 2).left(1);
                seedStore({(other.section('|', 1, 1) + "=" + type + (type == "b" ? "07" : "7"))
                               .toStdString()});
            }
            seedStore({(row.section('|', 1, 1) + "=" + row.section('|', 3 - value, 3 - value))
                           .toStdString()});
            load();
            answer({Yes, Ok});
            click(card().names.apply);
            for (const QString other : card().checks) {
                const int ticked = other == row ? value : 1 - value;
                EXPECT_EQ(ui::checkValue(find<QCheckBox>(other.section('|', 0, 0).toLatin1())),
                          ticked)
                    << other.toStdString();
                const int written = ticked ? 2 : other.count('|') == 4 ? 4 : 3;
                EXPECT_EQ(storeEntry(other.section('|', 1, 1).toStdString()),
                          (other.section('|', 1, 1) + "=" + other.section('|', written, written))
                              .toStdString());
            }
        }
    }
}

// Answered No, or Yes on a store another program holds: nothing is stored, the record and the
// tray keep what the store holds, the panel what the user set. Defaults answered Yes then changes
// only the controls until applied.
TEST_P(CardPanel, NothingChangesOnNoOrOnAStoreThatRefusesAndDefaultsOnlyOnTheControls) {
    seedStore(card().seeded);
    load();
    set(card().edits);
    const auto unchanged = [this, before = store(), record = engine::driverSettings(),
                            marks = trayState()] {
        EXPECT_EQ(store(), before);
        EXPECT_EQ(engine::driverSettings(), record);
        EXPECT_EQ(trayState(), marks);
    };
    answer({No, Ok, No, Ok});
    click(card().names.defaults);
    click(card().names.apply);
    EXPECT_EQ(boxes.shown(), std::vector<MessageBox>(
                                 {question("Restoring Defaults"), notice("Defaults Not Restored"),
                                  question(card().names.asking), notice("Settings Not Applied")}));
    for (const TrayCase& item : card().tray) {
        answer({No});
        trigger(item.item);
    }
    EXPECT_EQ(boxes.shown().size(), 4 + card().tray.size());
    {
        const StoreLock lock;
        for (std::size_t i = 0; i <= card().tray.size(); ++i) {  // Apply, then each tray item
            answer({Yes, Ok});
            i == 0 ? click(card().names.apply) : trigger(card().tray[i - 1].item);
            const MessageBox& told = boxes.shown().back();
            EXPECT_EQ(told.title, "Settings Not Applied");
            EXPECT_TRUE(told.prompt.startsWith("Settings Not Applied\r\n") &&
                        told.prompt.size() > 24)
                << told.prompt.toStdString();
            unchanged();
        }
    }
    expect(card().edits);
    unchanged();
    load();  // Defaults from what the store holds
    answer({Yes, Ok, Yes, Ok});
    click(card().names.defaults);
    EXPECT_EQ(std::vector(boxes.shown().end() - 2, boxes.shown().end()),
              std::vector({question("Restoring Defaults"), notice("Defaults Restored")}));
    unchanged();
    click(card().names.apply);
    EXPECT_EQ(boxes.shown().back(), applied());
    expectStore(card().factory);
    expect(card().factoryShown);
}

TEST_P(CardPanel, OptionButtonsShowOnePageAtATime) {
    form.show();
    form.ui.SSTab1->setCurrentIndex(2);
    for (const QString step : card().pages) {
        click(step.section('>', 0, 0).toLatin1());
        for (const QString other : card().pages) {
            const QString page = other.section('>', 1);
            EXPECT_EQ(find<QWidget>(page.toLatin1())->isVisible(), page == step.section('>', 1))
                << step.toStdString();
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Cards, CardPanel,
                         testing::Values(&tntCard(), &voodoo2Card(), &bansheeCard(), &voodooCard()),
                         [](const auto& param) { return std::string(param.param->name); });

}  // namespace
}  // namespace tunexa::test
