// Undo, history and profiles in the window and the tray; boxes and the first run on a store that
// cannot save; reading the machine's own registry from drive C:. Real windows, fake platform.
#include <sqlite3.h>

#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QTreeWidget>

#include "AppFixture.h"
#include "CregFile.h"
#include "app/ChangeCommands.h"
#include "app/HistoryWindow.h"
#include "platform/host/Autostart.h"
#include "store/Profiles.h"

namespace tunexa::app::test {
namespace {

using tunexa::test::buildCregFile;
using tunexa::test::CregKey;

constexpr const char* kV2D3D = "Software\\3Dfx Interactive\\Voodoo2\\D3D";

class ChangesTest : public AppFixture {
  protected:
    // The tray's Voodoo2 D3D clock item for `mhz`, answered Yes.
    void trayClock(int mhz) {
        boxes_.answer(MessageAnswer::Yes);
        form().popupMenu().group(QStringLiteral("mPopV2D3DCoreClock"))->at(mhz - 90)->trigger();
    }
    static std::string clock() { return text(kV2D3D, "SSTV2_GRXCLK"); }
    QString clockLabel() { return control<QLabel>("lblV2D3DCoreVal")->text(); }
    QString lastPrompt() { return boxes_.shown().back().prompt; }
    // What the tray menu shows as it opens.
    void openTray() { emit form().popupMenu().menu()->aboutToShow(); }
    QAction* trayProfile(int index) {
        return menuItem("mPopProfiles")->menu()->actions().value(index);
    }
};

TEST_F(ChangesTest, UndoFromTheWindowAndTheTrayPutsTheValuesAndPanelBackAndRedoes) {
    configured();
    start();
    EXPECT_FALSE(menuItem("mPopUndo")->isEnabled());
    trayClock(95);
    openTray();
    EXPECT_EQ(menuItem("mPopUndo")->text(), "Undo Tray: Voodoo2 D3D core clock 95 MHz");
    ASSERT_TRUE(menuItem("mPopUndo")->isEnabled());

    boxes_.answer(MessageAnswer::Ok);
    control<QPushButton>("cmdUndo")->click();
    EXPECT_EQ(lastPrompt(), "Undone: Tray: Voodoo2 D3D core clock 95 MHz");
    EXPECT_EQ(clock(), "(absent)");  // absent before the first write, absent again
    EXPECT_EQ(clockLabel(), "");

    boxes_.answer(MessageAnswer::Ok);
    menuItem("mPopUndo")->trigger();  // undoing the undo redoes
    EXPECT_EQ(clock(), "95");
    EXPECT_EQ(clockLabel(), "95");
    EXPECT_EQ(boxes_.pending(), 0u);
}

TEST_F(ChangesTest, UndoNamesAnOutsideChangeAndOverwritesItOnlyWhenTold) {
    configured();
    start();
    trayClock(95);
    store::RegSetString(HKEY_LOCAL_MACHINE, kV2D3D, "SSTV2_GRXCLK", "99");  // another program
    boxes_.answer(MessageAnswer::No);
    control<QPushButton>("cmdUndo")->click();
    EXPECT_NE(lastPrompt().indexOf("Voodoo2\\D3D\\SSTV2_GRXCLK: now REG_SZ 99, the change left "
                                   "REG_SZ 95"),
              -1)
        << lastPrompt().toStdString();
    EXPECT_EQ(clock(), "99");
    boxes_.answer(MessageAnswer::Yes).answer(MessageAnswer::Ok);
    control<QPushButton>("cmdUndo")->click();
    EXPECT_EQ(clock(), "(absent)");
}

TEST_F(ChangesTest, HistoryShowsEachChangesValuesAndUndoesToHere) {
    configured();
    start();
    trayClock(95);
    trayClock(96);
    control<QPushButton>("cmdHistory")->click();
    HistoryWindow* history = app_->changeCommands().historyWindow();
    ASSERT_NE(history, nullptr);
    ASSERT_EQ(history->ui.lstChanges->topLevelItemCount(), 2);
    EXPECT_EQ(history->ui.lstChanges->topLevelItem(0)->text(1),
              "Tray: Voodoo2 D3D core clock 96 MHz");
    const auto values =
        history->ui.lstChangeValues->findItems(QStringLiteral("SSTV2_GRXCLK"), Qt::MatchExactly, 1);
    ASSERT_EQ(values.size(), 1);  // the Glide clock stayed
    EXPECT_EQ(values[0]->text(2), "REG_SZ 95");
    EXPECT_EQ(values[0]->text(3), "REG_SZ 96");

    history->ui.lstChanges->setCurrentItem(history->ui.lstChanges->topLevelItem(1));
    boxes_.answer(MessageAnswer::Ok);
    history->ui.cmdUndoToHere->click();
    EXPECT_EQ(clock(), "(absent)");
    EXPECT_EQ(history->ui.lstChanges->topLevelItemCount(), 3);
    EXPECT_EQ(history->ui.lstChanges->topLevelItem(0)->text(1),
              "Undo 2 changes, back to before \"Tray: Voodoo2 D3D core clock 95 MHz\"");
}

TEST_F(ChangesTest, ProfilesAreSavedAppliedFromTheTrayAndDeleted) {
    configured();
    start();
    trayClock(95);
    questions_.answer(QStringLiteral("a\\b")).answer(QStringLiteral("Quake"));
    boxes_.answer(MessageAnswer::Ok).answer(MessageAnswer::Ok);
    control<QPushButton>("cmdProfileSave")->click();
    EXPECT_NE(lastPrompt().indexOf("backslash"), -1);
    control<QPushButton>("cmdProfileSave")->click();
    EXPECT_EQ(lastPrompt(), "Profile \"Quake\" saved.");
    ASSERT_EQ(control<QListWidget>("lstProfiles")->count(), 1);

    trayClock(100);
    openTray();
    ASSERT_NE(trayProfile(0), nullptr);
    EXPECT_EQ(trayProfile(0)->text(), "Quake");
    EXPECT_FALSE(trayProfile(0)->isChecked());
    trayProfile(0)->trigger();  // one click, no question
    EXPECT_EQ(clock(), "95");
    EXPECT_EQ(clockLabel(), "95");
    openTray();
    EXPECT_TRUE(trayProfile(0)->isChecked());

    control<QListWidget>("lstProfiles")->setCurrentRow(0);
    boxes_.answer(MessageAnswer::Yes);
    control<QPushButton>("cmdProfileDelete")->click();
    EXPECT_TRUE(store::profileNames(store::currentHive()).empty());
    EXPECT_EQ(control<QListWidget>("lstProfiles")->count(), 0);
}

// A box whose value the store does not take goes back to what the store holds and says why,
// whether the store is read-only or held by another program (then it waits only briefly).
TEST_F(ChangesTest, BoxesTheStoreDoesNotTakeGoBackAndSayWhy) {
    configured();
    setFlag("Matrox Enable", "1");
    start();
    const auto file = dir_ / "registry.db";
    sqlite3* other = nullptr;
    ASSERT_EQ(sqlite3_open(file.c_str(), &other), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(other, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr), SQLITE_OK);
    boxes_.answer(MessageAnswer::Ok);
    control<QCheckBox>("chkUnrealTrueC")->click();
    EXPECT_EQ(check("chkUnrealTrueC"), 0);
    EXPECT_EQ(boxes_.shown().back().title, "Setting Not Saved");
    EXPECT_NE(lastPrompt().indexOf("locked"), -1) << lastPrompt().toStdString();
    sqlite3_exec(other, "ROLLBACK", nullptr, nullptr, nullptr);
    sqlite3_close(other);

    store::useHive(store::Hive::open(file, store::OpenMode::ReadOnly));
    for (const char* box : {"chkG200V", "chkStartMin", "chkRunOnStart"}) {
        SCOPED_TRACE(box);
        boxes_.answer(MessageAnswer::Ok);
        control<QCheckBox>(box)->click();
        EXPECT_EQ(check(box), 0);
        EXPECT_NE(lastPrompt().indexOf("read-only"), -1);
    }
    // Run with Windows is all or nothing: no autostart entry either.
    EXPECT_FALSE(std::filesystem::exists(host::autostartEntryPath()));
    EXPECT_EQ(boxes_.pending(), 0u);
}

TEST_F(ChangesTest, AFirstRunThatCannotSaveSaysWhyAndStaysOpen) {
    start();
    ASSERT_NE(app_->firstRun(), nullptr);
    store::useHive(store::Hive::open(dir_ / "registry.db", store::OpenMode::ReadOnly));
    firstRunControl<QCheckBox>("chkVoodoo")->setChecked(true);
    boxes_.answer(MessageAnswer::Ok);
    app_->firstRun()->ui.cmdOKFirstRun->click();
    EXPECT_EQ(boxes_.shown().back().title, "Settings Not Saved");
    EXPECT_NE(lastPrompt().indexOf("read-only"), -1);
    EXPECT_NE(app_->firstRun(), nullptr);
    EXPECT_FALSE(app_->isUnloaded());
    EXPECT_EQ(readFile(driveC_ / "autoexec.bat"), "");  // the line was taken back
    EXPECT_EQ(flag("Configure"), "(absent)");
}

// A Windows 98 machine on drive C: a Voodoo2 with its own clock, a G200 and a sound card.
const CregKey kMachine{
    "$$$PROTO.HIV",
    {},
    {{"Software",
      {},
      {{"3Dfx Interactive",
        {},
        {{"Voodoo2", {}, {{"D3D", {{"SSTV2_GRXCLK", 1, std::string("98\0", 3)}}, {}}}}}}}},
     {"Enum",
      {},
      {{"PCI",
        {},
        {{"VEN_121A&DEV_0002&SUBSYS_00000000&REV_02", {}, {}},
         {"VEN_102B&DEV_0521", {}, {}},
         {"VEN_1274&DEV_5000", {}, {}}}}}}}};

TEST_F(ChangesTest, TheFirstRunReadsTheMachinesRegistryAndKeepsItsSettings) {
    writeFile(driveC_ / "WINDOWS" / "SYSTEM.DAT", buildCregFile(kMachine));
    start();
    ASSERT_NE(app_->firstRun(), nullptr);
    EXPECT_TRUE(firstRunControl<QCheckBox>("chkReadMachine")->isVisibleTo(app_->firstRun()));
    EXPECT_EQ(ui::checkValue(firstRunControl<QCheckBox>("chkReadMachine")), 1);
    EXPECT_EQ(firstRunControl<QLabel>("lblMachineFolder")->text(), "C:\\WINDOWS");
    EXPECT_EQ(ui::checkValue(firstRunControl<QCheckBox>("chkVoodoo2")), 1);
    EXPECT_EQ(ui::checkValue(firstRunControl<QCheckBox>("chkRivaTNT")), 0);

    boxes_.answer(MessageAnswer::Ok);
    app_->firstRun()->ui.cmdOKFirstRun->click();
    EXPECT_TRUE(app_->isUnloaded());
    EXPECT_EQ(clock(), "98");
    EXPECT_TRUE(store::currentHive().keyExists(HKEY_LOCAL_MACHINE, "Enum\\PCI\\VEN_102B&DEV_0521"));
    EXPECT_EQ(store::profileNames(store::currentHive()), std::vector<std::string>{"Defaults"});
    EXPECT_EQ(store::currentHive().changes().front().title, "First run: cards chosen");
}

TEST_F(ChangesTest, ReadFromDriveCImportsTheMachineAsOneChangeAndReloadsThePanels) {
    configured();
    start();
    boxes_.answer(MessageAnswer::Ok);
    control<QPushButton>("cmdReadDriveC")->click();
    EXPECT_NE(lastPrompt().indexOf("No Windows 95/98 installation was found"), -1);

    writeFile(driveC_ / "msdos.sys", "[Paths]\r\nWinDir=C:\\Win98\r\n");
    writeFile(driveC_ / "win98" / "system.dat", buildCregFile(kMachine));
    boxes_.answer(MessageAnswer::Ok);
    control<QPushButton>("cmdReadDriveC")->click();
    EXPECT_NE(lastPrompt().indexOf("Cards the machine holds: Voodoo2, Matrox G200."), -1)
        << lastPrompt().toStdString();
    EXPECT_EQ(clockLabel(), "98");
    EXPECT_EQ(store::currentHive().changes().front().title, "Read settings from C:\\Win98");
}

}  // namespace
}  // namespace tunexa::app::test
