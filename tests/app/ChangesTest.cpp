// Undo, history and profiles in the window and the tray, and boxes the store does not take.
// Real windows, fake platform.
#include <QListWidget>
#include <QMenu>

#include "AppFixture.h"
#include "app/ChangeCommands.h"
#include "app/HistoryWindow.h"

namespace tunexa::app::test {
namespace {

class ChangesTest : public AppFixture {
  protected:
    void SetUp() override {
        AppFixture::SetUp();
        configured();
        start();
    }
    // The tray's Voodoo2 D3D clock item for `mhz`, answered Yes.
    void trayClock(int mhz) {
        boxes_.answer(MessageAnswer::Yes);
        form().popupMenu().group(QStringLiteral("mPopV2D3DCoreClock"))->at(mhz - 90)->trigger();
    }
    // The stored clock and the panel's label of it.
    std::string clock() {
        return text(kV2D3D, "SSTV2_GRXCLK") + "|" +
               control<QLabel>("lblV2D3DCoreVal")->text().toStdString();
    }
    // Undo from the window or the tray, the boxes answered in turn.
    void undo(std::vector<MessageAnswer> answers, bool fromTray = false) {
        for (const MessageAnswer answer : answers) {
            boxes_.answer(answer);
        }
        fromTray ? menuItem("mPopUndo")->trigger() : click("cmdUndo");
    }
    // The tray's Profiles branch as the menu opens.
    QList<QAction*> trayProfiles() {
        emit form().popupMenu().menu()->aboutToShow();
        return menuItem("mPopProfiles")->menu()->actions();
    }
};

// Undo puts back the before-image (here: no value at all), undoing the undo redoes, and a
// value another program changed since is named and overwritten only when the user says so.
TEST_F(ChangesTest, UndoRedoesAndAsksBeforeOverwritingAnOutsideChange) {
    trayClock(95);
    trayProfiles();
    EXPECT_EQ(menuItem("mPopUndo")->text(), "Undo Tray: Voodoo2 D3D core clock 95 MHz");
    undo({MessageAnswer::Ok});
    EXPECT_EQ(lastPrompt(), "Undone: Tray: Voodoo2 D3D core clock 95 MHz");
    EXPECT_EQ(clock(), "(absent)|");
    undo({MessageAnswer::Ok}, true);
    EXPECT_EQ(clock(), "95|95");

    store::RegSetString(HKEY_LOCAL_MACHINE, kV2D3D, "SSTV2_GRXCLK", "99");  // another program
    undo({MessageAnswer::No});
    EXPECT_THAT(lastPrompt(), HasSubstr("Voodoo2\\D3D\\SSTV2_GRXCLK: now REG_SZ 99, the change "
                                        "left REG_SZ 95"));
    EXPECT_EQ(text(kV2D3D, "SSTV2_GRXCLK"), "99");
    undo({MessageAnswer::Yes, MessageAnswer::Ok});
    EXPECT_EQ(clock(), "(absent)|");
    EXPECT_EQ(boxes_.pending(), 0u);
}

TEST_F(ChangesTest, HistoryShowsEachChangesValuesAndUndoesToHere) {
    trayClock(95);
    trayClock(96);
    click("cmdHistory");
    HistoryWindow* history = app_->changeCommands().historyWindow();
    ASSERT_NE(history, nullptr);
    QTreeWidget* changes = history->ui.lstChanges;
    ASSERT_EQ(changes->topLevelItemCount(), 2);
    EXPECT_EQ(changes->topLevelItem(0)->text(1), "Tray: Voodoo2 D3D core clock 96 MHz");
    const auto values =
        history->ui.lstChangeValues->findItems(QStringLiteral("SSTV2_GRXCLK"), Qt::MatchExactly, 1);
    ASSERT_EQ(values.size(), 1);  // the Glide clock stayed
    EXPECT_EQ(values[0]->text(2) + " > " + values[0]->text(3), "REG_SZ 95 > REG_SZ 96");

    changes->setCurrentItem(changes->topLevelItem(1));
    boxes_.answer(MessageAnswer::Ok);
    history->ui.cmdUndoToHere->click();
    EXPECT_EQ(clock(), "(absent)|");
    ASSERT_EQ(changes->topLevelItemCount(), 3);
    EXPECT_EQ(changes->topLevelItem(0)->text(1),
              "Undo 2 changes, back to before \"Tray: Voodoo2 D3D core clock 95 MHz\"");
}

// A name with a backslash is refused; a saved profile is applied from the tray with one click,
// no question asked, and ticked there while the settings match it.
TEST_F(ChangesTest, ProfilesAreSavedAppliedFromTheTrayAndDeleted) {
    trayClock(95);
    questions_.answer(QStringLiteral("a\\b")).answer(QStringLiteral("Quake"));
    boxes_.answer(MessageAnswer::Ok).answer(MessageAnswer::Ok);
    click("cmdProfileSave");
    EXPECT_THAT(lastPrompt(), HasSubstr("backslash"));
    click("cmdProfileSave");
    EXPECT_EQ(lastPrompt(), "Profile \"Quake\" saved.");
    EXPECT_EQ(store::profileNames(store::currentHive()), std::vector<std::string>{"Quake"});

    trayClock(100);
    ASSERT_EQ(trayProfiles().size(), 1);
    EXPECT_EQ(trayProfiles()[0]->text() + (trayProfiles()[0]->isChecked() ? " ticked" : ""),
              "Quake");
    trayProfiles()[0]->trigger();
    EXPECT_EQ(clock(), "95|95");
    EXPECT_TRUE(trayProfiles()[0]->isChecked());

    control<QListWidget>("lstProfiles")->setCurrentRow(0);
    boxes_.answer(MessageAnswer::Yes);
    click("cmdProfileDelete");
    EXPECT_TRUE(store::profileNames(store::currentHive()).empty());
    EXPECT_EQ(control<QListWidget>("lstProfiles")->count(), 0);
}

}  // namespace
}  // namespace tunexa::app::test
