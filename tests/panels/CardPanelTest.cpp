// What every card panel does, run on each card's data: load, Apply, Defaults, the slider labels,
// the questions answered No, a store that refuses, and the tray items.

#include <QCheckBox>
#include <QLabel>
#include <QSlider>

#include "PanelFixture.h"
#include "engine/DriverSettings.h"
#include "ui/CheckBox.h"

namespace tunexa::test {
namespace {

using enum platform::MessageAnswer;
using platform::MessageBox;

class CardPanel : public PanelFixture, public testing::WithParamInterface<const Card*> {
  protected:
    CardPanel() { start(*GetParam()); }

    MessageBox applied() const {
        const CardNames& names = card().names;
        return {QString::fromLatin1(names.appliedPrompt ? names.appliedPrompt : names.applied),
                QString::fromLatin1(names.applied), platform::MessageButtons::Ok};
    }
};

TEST_P(CardPanel, ApplyStoresEachControlUnderItsNameAndType) {
    answer({Yes, Ok});
    click(card().names.defaults);  // a stored value the panel does not know leaves these showing
    seedStore(card().seeded);
    load();
    expect(card().loaded);
    answer({Yes, Ok});
    click(card().names.apply);
    EXPECT_EQ(boxes.shown().at(2), question(card().names.asking));
    EXPECT_EQ(boxes.shown().at(3), applied());
    expectStore(card().seeded, card().appliedChanges);
}

TEST_P(CardPanel, DefaultsChangeOnlyTheControlsUntilApplied) {
    seedStore(card().seeded);
    load();
    const auto before = store();
    const auto record = engine::driverSettings();
    const auto marks = trayState();
    answer({Yes, Ok});
    click(card().names.defaults);
    EXPECT_EQ(boxes.shown(), std::vector<MessageBox>(
                                 {question("Restoring Defaults"), notice("Defaults Restored")}));
    EXPECT_EQ(store(), before);
    EXPECT_EQ(engine::driverSettings(), record);
    EXPECT_EQ(trayState(), marks);
    for (const SliderRow& row : card().sliders) {
        EXPECT_EQ(find<QLabel>(row.label)->text(),
                  sliderText(row, find<QSlider>(row.slider)->value()))
            << row.slider;
    }
    answer({Yes, Ok});
    click(card().names.apply);
    EXPECT_EQ(boxes.shown().back(), applied());
    expectStore(card().factory);
    expect(card().factoryShown);
}

TEST_P(CardPanel, SliderLabelsFollowThePosition) {
    for (const SliderRow& row : card().sliders) {
        auto* slider = find<QSlider>(row.slider);
        EXPECT_EQ(std::tuple(slider->minimum(), slider->maximum(), slider->singleStep(),
                             slider->pageStep()),
                  std::tuple(0, row.maximum, 1, 5))
            << row.slider;
        for (const int position : {row.maximum, 1, 0}) {
            slider->setValue(position);
            EXPECT_EQ(find<QLabel>(row.label)->text(), sliderText(row, position)) << row.slider;
        }
    }
}

// Each check box loads from its own value only: its two values tick and untick it, a value it
// does not know leaves it as it was.
TEST_P(CardPanel, EachCheckBoxLoadsFromItsOwnValue) {
    for (const QString row : card().checks) {
        for (const int value : {1, 0}) {
            SCOPED_TRACE(row.toStdString() + (value ? " ticks" : " unticks"));
            for (const QString other : card().checks) {
                ui::setCheckValue(find<QCheckBox>(other.section('|', 0, 0).toLatin1()), 1 - value);
                const QString type = other.section('|', 2, 2).left(1);
                seedStore({(other.section('|', 1, 1) + "=" + type +
                            (type == "s"   ? "x"
                             : type == "b" ? "07"
                                           : "7"))
                               .toStdString()});
            }
            seedStore({(row.section('|', 1, 1) + "=" + row.section('|', 3 - value, 3 - value))
                           .toStdString()});
            load();
            for (const QString other : card().checks) {
                EXPECT_EQ(ui::checkValue(find<QCheckBox>(other.section('|', 0, 0).toLatin1())),
                          other == row ? value : 1 - value)
                    << other.toStdString();
            }
        }
    }
}

TEST_P(CardPanel, AnEmptyStoreLeavesTheSlidersAndEmptiesTheLabels) {
    for (const SliderRow& row : card().sliders) {
        find<QSlider>(row.slider)->setValue(1);
    }
    load();
    for (const SliderRow& row : card().sliders) {
        EXPECT_EQ(find<QSlider>(row.slider)->value(), 1) << row.slider;
    }
    expect(card().empty);
}

// Answered No, or Yes on a store another program holds: nothing is stored, the record and the
// tray keep what the store holds, the panel what the user set.
TEST_P(CardPanel, NothingChangesOnNoOrOnAStoreThatRefuses) {
    seedStore(card().seeded);
    load();
    set(card().edits);
    const auto before = store();
    const auto record = engine::driverSettings();
    const auto marks = trayState();
    answer({No, Ok, No, Ok});
    click(card().names.defaults);
    click(card().names.apply);
    EXPECT_EQ(boxes.shown(), std::vector<MessageBox>(
                                 {question("Restoring Defaults"), notice("Defaults Not Restored"),
                                  question(card().names.asking), notice("Settings Not Applied")}));
    for (const TrayCase& item : card().tray) {
        answer({No});
        trigger(item.item);
        EXPECT_EQ(boxes.shown().back(), question("Are you sure?")) << item.item;
    }
    EXPECT_EQ(boxes.shown().size(), 4 + card().tray.size());
    expect(card().edits);

    const StoreLock lock;
    std::vector<const char*> refused = {card().names.apply};
    for (const TrayCase& item : card().tray) {
        refused.push_back(item.item);
    }
    for (const char* action : refused) {
        SCOPED_TRACE(action);
        answer({Yes, Ok});
        action == refused.front() ? click(action) : trigger(action);
        const MessageBox& told = boxes.shown().back();
        EXPECT_EQ(told.title, "Settings Not Applied");
        EXPECT_TRUE(told.prompt.startsWith("Settings Not Applied\r\n"))
            << told.prompt.toStdString();
        EXPECT_GT(told.prompt.size(), 24) << "says why";
        EXPECT_EQ(trayState(), marks);
    }
    expect(card().edits);
    EXPECT_EQ(store(), before);
    EXPECT_EQ(engine::driverSettings(), record);
}

TEST_P(CardPanel, TrayItemsStoreTheWholePanel) {
    seedStore(card().seeded);
    load();
    set(card().edits);
    for (const TrayCase& item : card().tray) {
        SCOPED_TRACE(item.item);
        const bool isDefault = std::string(item.item).find("Default") != std::string::npos;
        answer({Yes});
        if (isDefault) {
            answer({Ok});
        }
        trigger(item.item);
        EXPECT_EQ(boxes.shown().back(),
                  isDefault ? notice("Default set") : question("Are you sure?"));
        expect(item.after);
    }
}

using CardPages = CardPanel;

TEST_P(CardPages, OptionButtonsShowOnePageAtATime) {
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

INSTANTIATE_TEST_SUITE_P(Cards, CardPages, testing::Values(&voodoo2Card(), &bansheeCard()),
                         [](const auto& param) { return std::string(param.param->name); });

INSTANTIATE_TEST_SUITE_P(Cards, CardPanel,
                         testing::Values(&tntCard(), &voodoo2Card(), &bansheeCard(), &voodooCard()),
                         [](const auto& param) { return std::string(param.param->name); });

}  // namespace
}  // namespace tunexa::test
