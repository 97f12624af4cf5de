// The card choice: the first-run window's OK, which seeds everything once and ends the program,
// also when it reads the machine's own registry; "Read from drive C:"; and the main window's
// card-selection Apply, which takes effect at once. Neither ever shows a choice the store did not
// save. Then the rest of the "Drive C:" frame of Main Settings: what drive C: is and choosing it,
// "Send to drive C:" (what it wrote, told) and "Check drive C:" (its window, or why the machine
// cannot be read).

#include <QLineEdit>
#include <QTreeWidget>

#include "AppFixture.h"
#include "CregFile.h"
#include "FatImage.h"
#include "app/CheckWindow.h"
#include "platform/files/DriveC.h"
#include "store/Profiles.h"

namespace tunexa::app::test {
namespace {

class CardSelectionTest : public AppFixture {
  protected:
    QCheckBox* firstRunBox(const char* name) {
        return app_->firstRun()->findChild<QCheckBox*>(QString::fromLatin1(name));
    }
    // The first-run window's OK with the boxes `checked` ticked, its last notice answered.
    void firstRunOk(const std::vector<const char*>& checked = {}) {
        ASSERT_NE(app_->firstRun(), nullptr);
        for (const char* name : checked) {
            firstRunBox(name)->setChecked(true);
        }
        boxes_.answer(MessageAnswer::Ok);
        app_->firstRun()->ui.cmdOKFirstRun->click();
    }
    // What the newest change wrote under `key`, in the order it first wrote each: "name=text".
    static std::vector<std::string> written(const char* key) {
        auto& hive = store::currentHive();
        const auto change = hive.changeRecord(hive.changes(1).at(0).id);
        std::vector<std::string> values;
        for (const auto& item : change->items) {
            if (item.key == key && !item.name.empty()) {
                values.push_back(item.name + "=" + text(key, item.name));
            }
        }
        return values;
    }
    // The ticked card boxes, the controls switched off (a tab switched off greys every frame
    // either way: what counts is the control's own state) and the card tabs on.
    std::string selectionShown() {
        std::string shown;
        for (const auto& card : kCards) {
            shown += check(card.box) == 1 ? std::string(card.box) + " " : "";
            for (const char* name : card.switched) {
                const bool on = std::string_view(name).starts_with("mPop")
                                    ? menuItem(name)->isEnabled()
                                    : !control(name)->testAttribute(Qt::WA_ForceDisabled);
                shown += on ? "" : "-" + std::string(name) + " ";
            }
        }
        return shown + (tabOn(kTNTTab) ? "TNT tab " : "") + (tabOn(k3DfxTab) ? "3Dfx tab" : "");
    }
    // What selectionShown() is when only card `on` of kCards is chosen (-1: none).
    static std::string onlyChosen(int on) {
        std::string shown;
        for (int card = 0; card < 4; ++card) {
            shown += card == on ? std::string(kCards[card].box) + " " : "";
            for (const char* name : kCards[card].switched) {
                shown += card == on ? "" : "-" + std::string(name) + " ";
            }
        }
        return shown + (on == 0 ? "TNT tab " : "") + (on > 0 ? "3Dfx tab" : "");
    }
};

TEST_F(CardSelectionTest, TheFirstRunStoresTheFlagsInOrderSeedsTheCardsAndEnds) {
    const std::string autoexec = "@echo off\r\nPATH C:\\DOS";  // no final line break
    putFile(driveC_ / "AUTOEXEC.BAT", autoexec);
    const std::pair<std::vector<const char*>, const char*> rows[] = {
        {{"chkVoodoo"}, "0100"},  // the flags: TNT, Voodoo, Voodoo2, Banshee
        {{"chkRivaTNT", "chkVoodoo2", "chkBanshee"}, "1011"}};
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        const auto& [checked, flags] = rows[i];
        SCOPED_TRACE(flags);
        freshStore(flags);
        seedStore({"C2D:minivdd=s3dfxvb.vxd", "C2D:grxclock=s105"});
        start();
        firstRunOk(checked);
        std::vector<std::string> flagsWritten{"Start Minimised=0"};
        for (int card = 0; card < 4; ++card) {
            flagsWritten.push_back(std::string(kCards[card].flag) + "=" + flags[card]);
        }
        flagsWritten.push_back("Configure=0");
        EXPECT_EQ(written(kOwnKey), flagsWritten);
        const std::vector<std::string> seeds{"Voodoo GRXCLK=50", "Voodoo Vsync=1",
                                             "Voodoo FastMem=0", "Voodoo FastPCI=0"};
        EXPECT_EQ(written("Software\\Tunexa\\Tunexa\\3Dfx"),
                  flags[1] == '1' ? seeds : std::vector<std::string>{});
        EXPECT_EQ(fileBytes(driveC_ / "AUTOEXEC.BAT"),
                  autoexec + "\r\nc:\\tunexa.bat\r\n");  // appended by the first row only
        // Each other card chosen is stored back normalised: absent texts become empty ones.
        for (const std::string entry :
             {"VD:SSTV2_GRXCLK=s", "N:NVCLK=s", "DI:Retail=s1", "C2D:GraphicsClock=s105"}) {
            const std::string name = entry.substr(0, entry.find('='));
            EXPECT_EQ(storeEntry(name), flags[0] == '1' ? entry : name + "=");
        }
        EXPECT_EQ(store::profileNames(store::currentHive()), std::vector<std::string>{"Defaults"});
        EXPECT_EQ(store::currentHive().changes().front().title, "First run: cards chosen");
        ASSERT_EQ(boxes_.shown().size(), i + 1);
        EXPECT_EQ(lastBox(),
                  (MessageBox{QStringLiteral("Please restart Tunexa.\r\nDefaults have been set."),
                              QStringLiteral("Restart Tunexa"), MessageButtons::Ok}));
        EXPECT_TRUE(app_->isUnloaded() && !tray_.isAdded());
    }
}

// Closed, it writes nothing. On a store that cannot save, OK says so, takes back the boot batch
// line and leaves both windows as they were; mended and pressed again, it saves, tells what it
// could not do besides (here: the boot batch file) and ends.
TEST_F(CardSelectionTest, TheFirstRunEndsOnlyWhenItsChoiceWasSaved) {
    start();
    app_->firstRun()->close();
    EXPECT_EQ(flag("Configure") + (app_->isUnloaded() ? " ended" : ""), "(absent) ended");
    EXPECT_TRUE(boxes_.shown().empty());

    start();
    {
        const StoreLock lock;
        firstRunOk({"chkVoodoo", "chkRivaTNT"});
    }
    EXPECT_EQ(lastBox().title, "Settings Not Saved");
    EXPECT_THAT(lastPrompt(), HasSubstr("database is locked"));
    ASSERT_NE(app_->firstRun(), nullptr);
    EXPECT_EQ(fileBytes(driveC_ / "autoexec.bat") + flag("Configure") +
                  (app_->isUnloaded() ? " ended" : ""),
              "(absent)");
    // As designed before any choice: no card ticked, the tray branches and the card tabs off.
    EXPECT_EQ(selectionShown(), "-mPopRivaMain -mPopV2Main -mPopBansheeMain ");

    std::filesystem::remove(driveC_ / "autoexec.bat");
    std::filesystem::create_directories(driveC_ / "autoexec.bat");  // a folder in its place
    boxes_.answer(MessageAnswer::Ok);
    firstRunOk();
    ASSERT_EQ(boxes_.shown().size(), 3u);
    EXPECT_THAT(boxes_.shown()[1].prompt.toStdString(), HasSubstr("c:\\tunexa.bat"));
    EXPECT_EQ(std::to_string(app_->isUnloaded()) + flag("Voodoo Available"), "11");
}

// The first run offers the machine's registry (here on drive C: as a disk image) and ticks its
// cards; the machine's values stay where the defaults would go. Later "Read from drive C:" (now a
// folder) reads it again as one change.
TEST_F(CardSelectionTest, TheMachinesRegistryOnDriveCIsReadAndItsValuesKept) {
    putFile(dir_ / "tree" / "WINDOWS" / "SYSTEM.DAT", buildCregFile(kSystemDat));
    makeFatImageOf(dir_ / "win98.img", {"FAT32 partition", 32, FatLayout::Partitioned, 1048576},
                   dir_ / "tree", 40 * 1024);
    ASSERT_TRUE(files::useAsDriveC(dir_ / "win98.img"));
    start();
    EXPECT_TRUE(app_->firstRun()->ui.chkReadMachine->isVisibleTo(app_->firstRun()));
    EXPECT_EQ(app_->firstRun()->ui.lblMachineFolder->text(), "C:\\WINDOWS");
    for (const auto& [box, ticked] :
         {std::pair{"chkReadMachine", 1}, {"chkVoodoo2", 1}, {"chkRivaTNT", 0}}) {
        EXPECT_EQ(ui::checkValue(firstRunBox(box)), ticked) << box;
    }
    firstRunOk();
    EXPECT_EQ(std::to_string(app_->isUnloaded()) + text(kV2D3D, "SSTV2_GRXCLK"), "198");

    store::RegSetString(HKEY_LOCAL_MACHINE, kV2D3D, "SSTV2_GRXCLK", "95");
    ASSERT_TRUE(files::useAsDriveC(files::Drives().dataRoot() / "drive_c"));
    start();
    putFile(driveC_ / "msdos.sys", "[Paths]\r\nWinDir=C:\\Win98\r\n");
    putFile(driveC_ / "win98" / "system.dat", buildCregFile(kSystemDat));
    boxes_.answer(MessageAnswer::Ok);
    click("cmdReadDriveC");
    EXPECT_THAT(lastPrompt(), HasSubstr("Cards the machine holds: Voodoo2, Matrox G200."));
    EXPECT_EQ(control<QLabel>("lblV2D3DCoreVal")->text(), "98");
    EXPECT_EQ(store::currentHive().changes().front().title, "Read settings from C:\\Win98");
}

// Every card off, then each one alone on: as start-up finds the flags, and as Apply stores them
// (from the opposite selection, so that every flag Apply writes changes). An Apply the store does
// not save leaves the window showing what the store holds.
TEST_F(CardSelectionTest, TheSelectionSwitchesFramesTabsAndTrayBranchesAtStartUpAndOnApply) {
    for (const bool apply : {false, true}) {
        for (int on = -1; on < 4; ++on) {
            SCOPED_TRACE(std::to_string(apply) + " " + std::to_string(on));
            freshStore(std::to_string(apply) + std::to_string(on));
            configured("0", apply && on < 0 ? "1" : "0");
            if (!apply && on >= 0) {
                setFlag(kCards[on].flag, "1");
            }
            start();
            if (apply) {
                std::vector<std::string> flags;  // what Apply writes, in its order
                for (const int card : {1, 2, 3, 0}) {
                    control<QCheckBox>(kCards[card].box)->setChecked(card == on);
                    if (on < 0 || card == on) {
                        flags.push_back(std::string(kCards[card].flag) + (on < 0 ? "=0" : "=1"));
                    }
                }
                control("frameBansheeD3D")->show();
                boxes_.answer(MessageAnswer::Ok);
                click("cmdConfApply");
                EXPECT_EQ(lastBox(),
                          (MessageBox{QStringLiteral("Selection Changed"),
                                      QStringLiteral("Card Selection"), MessageButtons::Ok}));
                EXPECT_EQ(written(kOwnKey), flags);
                EXPECT_TRUE(control("frameBansheeD3D")->isHidden());  // its frame shows again
            }
            EXPECT_EQ(control<QLabel>("lblTNTdriverVal")->text() == "No TNT Available", on != 0);
            EXPECT_EQ(selectionShown(), onlyChosen(on));
            // Voodoo2 chosen: its driver values stored back, absent texts as empty ones.
            EXPECT_EQ(text("Software\\3Dfx Interactive\\Voodoo2\\Glide", "SSTV2_RGAMMA"),
                      apply && on == 2 ? "" : "(absent)");
        }
    }
    for (const char* box : {"chkConfTNT", "chkConfV2", "chkConfBanshee"}) {
        click(box);  // the Riva TNT and the Voodoo2 instead of the Banshee
    }
    {
        const StoreLock lock;
        boxes_.answer(MessageAnswer::Ok);
        click("cmdConfApply");
    }
    EXPECT_EQ(lastBox().title, "Settings Not Applied");
    EXPECT_THAT(lastPrompt(), HasSubstr("The Voodoo2 settings were not saved"));
    EXPECT_EQ(selectionShown(), onlyChosen(3));
}

class DriveCTest : public AppFixture {
  protected:
    QString driveCShown() { return control<QLineEdit>("txtDriveC")->text(); }
    // The prompt of the one message box the button shows.
    std::string clickAnswered(const char* button) {
        boxes_.answer(MessageAnswer::Ok);
        click(button);
        return lastBox().title.toStdString() + ": " + lastPrompt();
    }
};

TEST_F(DriveCTest, SendCheckAndTheChoiceOfDriveCShowWhatTheyDid) {
    putFile(driveC_ / "WINDOWS" / "SYSTEM.DAT", buildCregFile(kSystemDat));
    putFile(driveC_ / "WINDOWS" / "REGEDIT.EXE", "MZ");
    configured();
    store::RegSetString(HKEY_LOCAL_MACHINE, kV2D3D, "SSTV2_RGAMMA", "1.20");
    start();
    // A folder in the home folder is shown from "~"; the tests' home holds the data root.
    EXPECT_EQ(driveCShown().toStdString(), "the folder ~/data/tunexa/drive_c");

    EXPECT_THAT(clickAnswered("cmdSendDriveC"),
                HasSubstr("Send to Drive C:: C:\\TUNEXA\\SEND.REG holds the 2 values that differ "
                          "from C:\\WINDOWS\\SYSTEM.DAT:\r\n"));
    EXPECT_EQ(menuItem("mPopUndo")->text(), "Undo Send settings to C:\\WINDOWS");
    click("cmdCheckDriveC");
    const auto* check = form().findChild<CheckWindow*>();
    ASSERT_TRUE(check != nullptr && check->isVisible());
    const QTreeWidgetItem* row = check->ui.lstCheckValues->topLevelItem(1);
    EXPECT_EQ(QStringList({row->text(0), row->text(1), row->text(2), row->text(3)}),
              QStringList({"HKEY_LOCAL_MACHINE\\" + QString::fromLatin1(kV2D3D), "SSTV2_RGAMMA",
                           "REG_SZ 1.20", "absent"}));
    EXPECT_THAT(check->ui.lblCheckSend->text().toStdString(),
                HasSubstr("A send waits for the next start of Windows"));

    // Another folder; a file that is no disk image refused, nothing changed; Cancel.
    std::filesystem::create_directories(dir_ / "machine");
    paths_.answers = {QString::fromStdString((dir_ / "machine").string()),
                      QString::fromStdString(putFile(dir_ / "notes.txt", "not a disk"))};
    click("cmdDriveCFolder");
    EXPECT_EQ(driveCShown().toStdString(), "the folder " + (dir_ / "machine").string());
    EXPECT_THAT(clickAnswered("cmdDriveCImage"), HasSubstr("Drive C:: Drive C: was not changed"));
    click("cmdDriveCImage");
    EXPECT_EQ(driveCShown().toStdString(), "the folder " + (dir_ / "machine").string());
    EXPECT_THAT(clickAnswered("cmdCheckDriveC"),
                HasSubstr("No Windows 95/98 installation was found on drive C:"));
}

}  // namespace
}  // namespace tunexa::app::test
