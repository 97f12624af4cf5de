// The program on its real windows: start-up, the tray icon and its menu's ticks, the window state
// and the ways out; the tab switch however the user switches; undo, history and profiles.
#include <QListWidget>
#include <QSignalSpy>
#include <QTabBar>
#include <QTest>

#include <functional>
#include <tuple>

#include "AppFixture.h"
#include "ControlState.h"
#include "app/ChangeCommands.h"
#include "app/HistoryWindow.h"
#include "platform/host/Autostart.h"
#include "platform/host/HostFacts.h"

namespace tunexa::app::test {
namespace {

using platform::TrayClick;

using StartupTest = AppFixture;

// Not configured yet: the first-run window over a disabled minimised window, and no flag read
// (each card's flag says "1", yet both card tabs stay off as designed).
TEST_F(StartupTest, TheFirstRunAndStartMinimisedDecideTheWindowState) {
    // Whether configured, "Start Minimised" (null: absent), whether there is a tray to hide in,
    // and how the window shows.
    const std::tuple<bool, const char*, bool, std::string> rows[] = {
        {false, "0", true, "hidden minimised, first run, disabled, tabs on: 0"},
        {true, nullptr, true, "hidden minimised, tabs on: 2"},
        {true, "0", true, "shown normal, tabs on: 2"},
        {true, "1", true, "hidden minimised, ticked, tabs on: 2"},
        {true, "1", false, "shown minimised, ticked, tabs on: 2"}};  // on the task bar
    int row = 0;
    for (const auto& [configure, startMinimised, notificationArea, shown] : rows) {
        freshStore("row" + std::to_string(row++));
        configured(startMinimised);
        if (!configure) {
            store::RegDeleteValue(HKEY_LOCAL_MACHINE, kOwnKey, "Configure");
        }
        tray_.withHost = notificationArea;
        start();
        const bool firstRun = app_->firstRun() != nullptr && app_->firstRun()->isVisible();
        EXPECT_EQ(
            std::string(form().isVisible() ? "shown" : "hidden") +
                (ui::windowState(&form()) == ui::WindowState::Normal ? " normal" : " minimised") +
                (check("chkStartMin") ? ", ticked" : "") + (firstRun ? ", first run" : "") +
                (form().isEnabled() ? "" : ", disabled") +
                ", tabs on: " + std::to_string(tabOn(kTNTTab) + tabOn(k3DfxTab)) +
                (tray_.isAdded() ? "" : ", no tray icon"),
            shown);
    }
    EXPECT_EQ(tray_.tooltip, "Tunexa v1.0.7 for Win95/98 - Public Beta");
}

TEST_F(StartupTest, StartWithWindowsFollowsAMovedProgramAndItsBoxStoresAtOnce) {
    const char* runKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
    configured();
    setFlag("Start with Windows", "1");
    store::RegSetString(HKEY_LOCAL_MACHINE, runKey, "Tunexa", "/old/place/tunexa");
    putFile(host::autostartEntryPath(), "[Desktop Entry]\nExec=/old/place/tunexa\n");
    start();
    const std::string program = host::runningProgramPath().string();
    EXPECT_EQ(text(runKey, "Tunexa"), program);
    EXPECT_THAT(fileBytes(host::autostartEntryPath()), HasSubstr(program));
    click("chkRunOnStart");
    click("chkStartMin");
    EXPECT_EQ(text(runKey, "Tunexa") + flag("Start with Windows") + flag("Start Minimised") +
                  (std::filesystem::exists(host::autostartEntryPath()) ? " entry" : ""),
              "(absent)01");
}

// Told in plain words at start-up: a store damaged by another program since the last session,
// its time set back, is moved aside untouched before anything is written, and where it went; a
// read-only store, which file, and that nothing can be saved to it. A box the store does not take
// goes back and says why; Start with Windows is all or nothing: no autostart entry either.
TEST_F(StartupTest, AStoreThatIsDamagedOrReadOnlyIsToldAndBoxesItDoesNotTakeGoBack) {
    configured();
    store::useHive(nullptr);
    const std::string damaged = damageKeepingTime(dir_ / "registry.db");
    store::useHiveFile(dir_ / "registry.db");
    boxes_.answer(MessageAnswer::Ok);
    start();
    const auto moved = store::currentHive().report().movedAsideTo;
    ASSERT_EQ(boxes_.shown().size(), 1u);
    EXPECT_THAT(lastPrompt(), HasSubstr("). It was moved to " + moved.string()));
    EXPECT_EQ(fileBytes(moved), damaged);

    configured();
    // Opened for reading only: every write fails, as on a write-protected disk.
    store::useHive(store::Hive::open(dir_ / "registry.db", store::OpenMode::ReadOnly));
    boxes_.answer(MessageAnswer::Ok);
    start();
    ASSERT_EQ(boxes_.shown().size(), 2u);
    EXPECT_THAT(lastPrompt(), HasSubstr((dir_ / "registry.db").string() + " is read-only"));
    EXPECT_THAT(lastPrompt(), HasSubstr("no change can be saved"));
    for (const char* box : {"chkG200V", "chkStartMin", "chkRunOnStart"}) {
        boxes_.answer(MessageAnswer::Ok);
        click(box);
        EXPECT_EQ(QString::number(check(box)) + lastBox().title, "0Setting Not Saved") << box;
        EXPECT_THAT(lastPrompt(), HasSubstr("read-only")) << box;
    }
    EXPECT_FALSE(std::filesystem::exists(host::autostartEntryPath()));
    EXPECT_EQ(boxes_.pending(), 0u);
}

// The icon's left and double click and the menu's Restore show the window, its right click opens
// the menu; minimised, the window hides in the tray when there is one. Exit, closing the window
// and an accepted reboot remove the icon and end the program.
TEST_F(StartupTest, TheTrayRestoresOrOpensTheMenuAndEveryWayOutEndsTheProgram) {
    configured("1");
    start();
    tray_.click(TrayClick::Right);
    EXPECT_EQ(tray_.poppedUp, form().popupMenu().menu());
    EXPECT_FALSE(form().isVisible());  // brought forward, still hidden
    const std::pair<std::function<void()>, bool> restores[] = {
        {[this] { tray_.click(TrayClick::Left); }, true},
        {[this] { tray_.click(TrayClick::Double); }, true},
        {[this] { menuItem("mPopRestore")->trigger(); }, true},
        {[this] { tray_.click(TrayClick::Left); }, false}};  // no tray: minimised on the task bar
    for (const auto& [restore, notificationArea] : restores) {
        tray_.withHost = notificationArea;
        restore();
        EXPECT_TRUE(form().isVisible() && ui::windowState(&form()) == ui::WindowState::Normal);
        form().setWindowState(Qt::WindowMinimized);
        QCoreApplication::processEvents();
        EXPECT_EQ(form().isVisible(), !notificationArea);
    }
    const std::function<void()> ways[] = {[this] { menuItem("mPopExit")->trigger(); },
                                          [this] { form().close(); },
                                          [this] {
                                              boxes_.answer(MessageAnswer::Yes);
                                              click("cmdReboot");
                                          }};
    for (const auto& way : ways) {
        start();
        QSignalSpy ended(app_.get(), &Application::ended);
        way();
        EXPECT_EQ(ended.count(), 1);
        EXPECT_FALSE(tray_.isAdded() || form().isVisible());
    }
}

// A configured start fills the window from the store, the machine and the display, and the
// tray menu ticks the stored clocks, its Undo greyed until there is a change.
TEST_F(StartupTest, AConfiguredStartFillsTheWindowAndTheTrayMenusTicks) {
    configured();
    seedStore(
        {"TX:Matrox Enable=s1", "MX:Flip on VBlank=s1", "N:NVCLK=s105", "VD:SSTV2_GRXCLK=s95"});
    start();
    EXPECT_EQ(control<QLabel>("lblTXVersion")->text(), tray_.tooltip);
    const auto facts = host::readHostFacts();
    EXPECT_EQ(form().lblAboutTX(2)->text().toStdString() + "|" +
                  form().lblAboutTX(4)->text().toStdString(),
              facts.cpuVendor + " " + facts.cpuIdentifier + "|" + facts.systemName + " " +
                  facts.systemVersion);
    EXPECT_THAT(control<QLabel>("lblCurrentRes")->text().toStdString(), HasSubstr(" x "));
    // The Matrox box ticked, the first tab current, the clocks ticked, Undo greyed.
    EXPECT_EQ(std::to_string(check("chkG200V")) + std::to_string(form().ui.SSTab1->currentIndex()) +
                  " " + controlState(form(), "mPopRivaCoreSpeed") + " " +
                  controlState(form(), "mPopV2D3DCoreClock") +
                  (menuItem("mPopUndo")->isEnabled() ? "" : " undo off"),
              "10 15 5 undo off");
}

using TabAction = std::function<void(QTabWidget*)>;
TabAction clickTab(int tab) {
    return [tab](QTabWidget* tabs) {
        QTest::mouseClick(tabs->tabBar(), Qt::LeftButton, {},
                          tabs->tabBar()->tabRect(tab).center());
    };
}

// Each from " 3Dfx" (2), with "   Riva TNT" (1) switched off.
// The way, the tab current after it, and how often the tab click ran.
const std::tuple<const char*, TabAction, int, int> kTabSwitches[] = {
    {"click on another tab", clickTab(0), 0, 1},
    {"click on the current tab", clickTab(2), 2, 1},
    {"click on the tab switched off", clickTab(1), 2, 0},
    {"Ctrl+Tab", [](QTabWidget* t) { QTest::keyClick(t, Qt::Key_Tab, Qt::ControlModifier); }, 3, 1},
};

TEST_F(StartupTest, EveryWaySwitchingTabsRunsTheTabClickOnceAndResetsTheVoodoo2Panel) {
    configured();
    start();
    Form1& form = this->form();
    QTabWidget* tabs = form.ui.SSTab1;
    ui::setTabOn(tabs, 1, false);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    auto* direct3D = form.findChild<QWidget*>(QStringLiteral("frameV2D3D"));
    auto* glide = form.findChild<QWidget*>(QStringLiteral("frameV2Glide"));
    int runs = 0;
    ui::onTabClick(tabs, &form, [&runs] { ++runs; });
    for (const auto& [way, act, tabAfter, runsAfter] : kTabSwitches) {
        SCOPED_TRACE(way);
        tabs->setCurrentIndex(2);
        glide->show();
        direct3D->hide();
        runs = 0;
        act(tabs);
        EXPECT_EQ(tabs->currentIndex(), tabAfter);
        EXPECT_EQ(runs, runsAfter);
        EXPECT_EQ(direct3D->isHidden(), runsAfter == 0);
        EXPECT_EQ(glide->isHidden(), runsAfter != 0);
    }
    ui::setTabOn(tabs, 1, true);
    clickTab(1)(tabs);
    EXPECT_EQ(tabs->currentIndex(), 1);
}

// Undo, history and profiles in the window and the tray.
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
// value another program changed since is named and overwritten only when the user says so. The
// history shows each change's values and undoes every change after the one chosen.
TEST_F(ChangesTest, UndoRedoesUndoesToHereAndAsksBeforeOverwritingAnOutsideChange) {
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
    EXPECT_EQ(clock() + std::to_string(boxes_.pending()), "(absent)|0");

    trayClock(95);
    trayClock(96);
    click("cmdHistory");
    HistoryWindow* history = app_->changeCommands().historyWindow();
    ASSERT_NE(history, nullptr);
    QTreeWidget* changes = history->ui.lstChanges;
    EXPECT_EQ(
        QString::number(changes->topLevelItemCount()) + " " + changes->topLevelItem(0)->text(1),
        "6 Tray: Voodoo2 D3D core clock 96 MHz");
    const auto values =
        history->ui.lstChangeValues->findItems(QStringLiteral("SSTV2_GRXCLK"), Qt::MatchExactly, 1);
    ASSERT_EQ(values.size(), 1);  // the Glide clock stayed
    EXPECT_EQ(values[0]->text(2) + " > " + values[0]->text(3), "REG_SZ 95 > REG_SZ 96");

    changes->setCurrentItem(changes->topLevelItem(1));
    boxes_.answer(MessageAnswer::Ok);
    history->ui.cmdUndoToHere->click();
    EXPECT_EQ(clock(), "(absent)|");
    EXPECT_EQ(
        QString::number(changes->topLevelItemCount()) + " " + changes->topLevelItem(0)->text(1),
        "7 Undo 2 changes, back to before \"Tray: Voodoo2 D3D core clock 95 MHz\"");
}

// Undoing an option shows the card selection again: the Banshee's main frame, not an empty area.
TEST_F(ChangesTest, UndoingAnOptionLeavesTheBansheeOnItsMainFrame) {
    click("cmdShowBanD3D");
    click("chkStartMin");
    undo({MessageAnswer::Ok});
    EXPECT_EQ(flag("Start Minimised") + (control("frame3DfxBanshee")->isHidden() ? "" : " main") +
                  (control("frameBansheeD3D")->isHidden() ? "" : " D3D"),
              "0 main");
}

// A name with a backslash is refused; a saved profile is applied from the tray with one click,
// no question asked, and ticked there while the settings match it.
TEST_F(ChangesTest, ProfilesAreSavedAppliedFromTheTrayAndDeleted) {
    trayClock(95);
    questions_.answers = {"a\\b", "Quake"};
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
    EXPECT_EQ(clock() + (trayProfiles()[0]->isChecked() ? " ticked" : ""), "95|95 ticked");

    control<QListWidget>("lstProfiles")->setCurrentRow(0);
    boxes_.answer(MessageAnswer::Yes);
    click("cmdProfileDelete");
    EXPECT_EQ(store::profileNames(store::currentHive()).size() +
                  control<QListWidget>("lstProfiles")->count(),
              0);
}

}  // namespace
}  // namespace tunexa::app::test
