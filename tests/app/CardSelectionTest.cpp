// The card choice: the first-run window's OK, which seeds everything once and ends the program,
// also when it reads the machine's own registry; and the main window's card-selection Apply,
// which takes effect at once. Neither calls a choice the store did not save a success.
#include "AppFixture.h"
#include "CregFile.h"

namespace tunexa::app::test {
namespace {

using platform::MessageBox;
using platform::MessageButtons;

constexpr const char* kDisplay2 =
    "System\\CurrentControlSet\\Services\\Class\\Display\\0002\\DEFAULT";

class CardSelectionTest : public AppFixture {
  protected:
    // Whether a control or tray item was switched off itself: on a tab switched off, every frame
    // is greyed either way.
    bool enabled(const char* name) {
        return std::string_view(name).starts_with("mPop")
                   ? menuItem(name)->isEnabled()
                   : !control(name)->testAttribute(Qt::WA_ForceDisabled);
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
        store::RegSetString(HKEY_LOCAL_MACHINE, kDisplay2, "minivdd", "3dfxvb.vxd");
        store::RegSetString(HKEY_LOCAL_MACHINE, kDisplay2, "grxclock", "105");
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
        for (const auto& [key, name, value] :
             {std::tuple{kV2D3D, "SSTV2_GRXCLK", ""},
              {"Software\\NVIDIA Corporation\\Riva TNT\\Direct3D", "NVCLK", ""},
              {"Software\\Diamond\\D3D", "Retail", "1"},
              {kDisplay2, "GraphicsClock", "105"}}) {
            EXPECT_EQ(text(key, name), flags[0] == '1' ? value : "(absent)") << name;
        }
        EXPECT_EQ(store::profileNames(store::currentHive()), std::vector<std::string>{"Defaults"});
        EXPECT_EQ(store::currentHive().changes().front().title, "First run: cards chosen");
        ASSERT_EQ(boxes_.shown().size(), i + 1);
        EXPECT_EQ(lastBox(),
                  (MessageBox{QStringLiteral("Please restart Tunexa.\r\nDefaults have been set."),
                              QStringLiteral("Restart Tunexa"), MessageButtons::Ok}));
        EXPECT_TRUE(app_->isUnloaded());
        EXPECT_FALSE(tray_.isAdded());
    }
}

// Closed, it writes nothing. On a store that cannot save, OK says so, takes back the boot batch
// line and leaves the window open; mended and pressed again, it saves, tells what it could not
// do besides (here: the boot batch file) and ends.
TEST_F(CardSelectionTest, TheFirstRunEndsOnlyWhenItsChoiceWasSaved) {
    start();
    app_->firstRun()->close();
    EXPECT_TRUE(app_->isUnloaded());
    EXPECT_EQ(flag("Configure"), "(absent)");
    EXPECT_TRUE(boxes_.shown().empty());

    start();
    readOnlyStore();
    firstRunOk({"chkVoodoo"});
    EXPECT_EQ(lastBox().title, "Settings Not Saved");
    EXPECT_THAT(lastPrompt(), HasSubstr("read-only"));
    ASSERT_NE(app_->firstRun(), nullptr);
    EXPECT_FALSE(app_->isUnloaded());
    EXPECT_EQ(fileBytes(driveC_ / "autoexec.bat"), "");
    EXPECT_EQ(flag("Configure"), "(absent)");

    store::useHiveFile(dir_ / "registry.db");
    std::filesystem::remove(driveC_ / "autoexec.bat");
    std::filesystem::create_directories(driveC_ / "autoexec.bat");  // a folder in its place
    boxes_.answer(MessageAnswer::Ok);
    firstRunOk();
    ASSERT_EQ(boxes_.shown().size(), 3u);
    EXPECT_THAT(boxes_.shown()[1].prompt.toStdString(), HasSubstr("c:\\tunexa.bat"));
    EXPECT_TRUE(app_->isUnloaded());
    EXPECT_EQ(flag("Voodoo Available"), "1");
}

// A Windows 98 machine on drive C: a Voodoo2 with its own clock, and a G200.
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
        {{"VEN_121A&DEV_0002&SUBSYS_00000000&REV_02", {}, {}}, {"VEN_102B&DEV_0521", {}, {}}}}}}}};

// The first run offers the machine's registry and ticks its cards; the machine's values stay
// where the defaults would go. Later "Read from drive C:" reads it again as one change.
TEST_F(CardSelectionTest, TheMachinesRegistryOnDriveCIsReadAndItsValuesKept) {
    putFile(driveC_ / "WINDOWS" / "SYSTEM.DAT", test::buildCregFile(kMachine));
    start();
    EXPECT_TRUE(app_->firstRun()->ui.chkReadMachine->isVisibleTo(app_->firstRun()));
    EXPECT_EQ(app_->firstRun()->ui.lblMachineFolder->text(), "C:\\WINDOWS");
    for (const auto& [box, ticked] :
         {std::pair{"chkReadMachine", 1}, {"chkVoodoo2", 1}, {"chkRivaTNT", 0}}) {
        EXPECT_EQ(ui::checkValue(firstRunBox(box)), ticked) << box;
    }
    firstRunOk();
    EXPECT_TRUE(app_->isUnloaded());
    EXPECT_EQ(text(kV2D3D, "SSTV2_GRXCLK"), "98");

    store::RegSetString(HKEY_LOCAL_MACHINE, kV2D3D, "SSTV2_GRXCLK", "95");
    start();
    std::filesystem::remove_all(driveC_ / "WINDOWS");
    putFile(driveC_ / "msdos.sys", "[Paths]\r\nWinDir=C:\\Win98\r\n");
    putFile(driveC_ / "win98" / "system.dat", test::buildCregFile(kMachine));
    boxes_.answer(MessageAnswer::Ok);
    click("cmdReadDriveC");
    EXPECT_THAT(lastPrompt(), HasSubstr("Cards the machine holds: Voodoo2, Matrox G200."));
    EXPECT_EQ(control<QLabel>("lblV2D3DCoreVal")->text(), "98");
    EXPECT_EQ(store::currentHive().changes().front().title, "Read settings from C:\\Win98");
}

// Every card off, then each one alone on: as start-up finds the flags, and as Apply stores them
// (from the opposite selection, so that every flag Apply writes changes).
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
            } else {
                EXPECT_EQ(control<QLabel>("lblTNTdriverVal")->text() == "No TNT Available",
                          on != 0);
            }
            for (int card = 0; card < 4; ++card) {
                EXPECT_EQ(check(kCards[card].box), card == on ? 1 : 0) << kCards[card].box;
                for (const char* name : kCards[card].switched) {
                    EXPECT_EQ(enabled(name), card == on) << name;
                }
            }
            EXPECT_EQ(tabOn(kTNTTab), on == 0);
            EXPECT_EQ(tabOn(k3DfxTab), on > 0);
            // Voodoo2 chosen: its driver values stored back, absent texts as empty ones.
            EXPECT_EQ(text("Software\\3Dfx Interactive\\Voodoo2\\Glide", "SSTV2_RGAMMA"),
                      apply && on == 2 ? "" : "(absent)");
        }
    }
    readOnlyStore();
    click("chkConfV2");
    boxes_.answer(MessageAnswer::Ok);
    click("cmdConfApply");
    EXPECT_EQ(lastBox().title, "Settings Not Applied");
    EXPECT_THAT(lastPrompt(), HasSubstr("read-only"));
}

}  // namespace
}  // namespace tunexa::app::test
