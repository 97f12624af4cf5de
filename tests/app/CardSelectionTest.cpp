// The first-run window's OK and the main window's card selection.
#include <QLabel>
#include <QPushButton>

#include "AppFixture.h"

namespace tunexa::app::test {
namespace {

using platform::MessageBox;
using platform::MessageButtons;

constexpr const char* kDisplay2 =
    "System\\CurrentControlSet\\Services\\Class\\Display\\0002\\DEFAULT";

class CardSelectionTest : public AppFixture {
  protected:
    void firstRunOk(const std::vector<const char*>& checked) {
        start();
        ASSERT_NE(app_->firstRun(), nullptr);
        for (const char* name : checked) {
            firstRunControl<QCheckBox>(name)->setChecked(true);
        }
        boxes_.answer(MessageAnswer::Ok);
        app_->firstRun()->ui.cmdOKFirstRun->click();
    }
};

TEST_F(CardSelectionTest, TheFirstRunStoresTheFlagsInOrderSeedsTheCardsAndEnds) {
    const std::string autoexec = "@echo off\r\nPATH C:\\DOS";  // no final line break
    writeFile(driveC_ / "AUTOEXEC.BAT", autoexec);
    const std::pair<std::vector<const char*>, const char*> rows[] = {
        {{"chkVoodoo"}, "0100"},  // the flags: TNT, Voodoo, Voodoo2, Banshee
        {{"chkRivaTNT", "chkVoodoo2", "chkBanshee"}, "1011"}};
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        const auto& [checked, flags] = rows[i];
        SCOPED_TRACE(flags);
        freshStore(flags);
        store::RegSetString(HKEY_LOCAL_MACHINE, kDisplay2, "minivdd", "3dfxvb.vxd");
        store::RegSetString(HKEY_LOCAL_MACHINE, kDisplay2, "grxclock", "105");
        firstRunOk(checked);
        std::vector<std::string> written{"Start Minimised=0"};
        for (int card = 0; card < 4; ++card) {
            written.push_back(std::string(kCards[card].flag) + "=" + flags[card]);
        }
        written.push_back("Configure=0");
        EXPECT_EQ(test::written(kOwnKey), written);
        const bool voodoo = flags[1] == '1', others = flags[0] == '1';
        const std::vector<std::string> seeds{"Voodoo GRXCLK=50", "Voodoo Vsync=1",
                                             "Voodoo FastMem=0", "Voodoo FastPCI=0"};
        EXPECT_EQ(test::written("Software\\Tunexa\\Tunexa\\3Dfx"),
                  voodoo ? seeds : std::vector<std::string>{});
        EXPECT_EQ(readFile(driveC_ / "AUTOEXEC.BAT"),
                  autoexec + "\r\nc:\\tunexa.bat\r\n");  // appended by the first row only
        // Each other card chosen is stored back normalised: absent texts become empty ones.
        const std::string absent = "(absent)";
        EXPECT_EQ(text("Software\\3Dfx Interactive\\Voodoo2\\D3D", "SSTV2_GRXCLK"),
                  others ? "" : absent);
        EXPECT_EQ(text("Software\\NVIDIA Corporation\\Riva TNT\\Direct3D", "NVCLK"),
                  others ? "" : absent);
        EXPECT_EQ(text("Software\\Diamond\\D3D", "Retail"), others ? "1" : absent);
        EXPECT_EQ(text(kDisplay2, "GraphicsClock"), others ? "105" : absent);
        ASSERT_EQ(boxes_.shown().size(), i + 1);
        EXPECT_EQ(boxes_.shown().back(),
                  (MessageBox{QStringLiteral("Please restart Tunexa.\r\nDefaults have been set."),
                              QStringLiteral("Restart Tunexa"), MessageButtons::Ok}));
        EXPECT_TRUE(app_->isUnloaded());
        EXPECT_FALSE(tray_.isAdded());
    }
}

TEST_F(CardSelectionTest, ABootBatchFileThatCannotBeWrittenIsTold) {
    std::filesystem::create_directories(driveC_ / "autoexec.bat");  // a folder in its place
    boxes_.answer(MessageAnswer::Ok);
    firstRunOk({"chkVoodoo"});
    ASSERT_EQ(boxes_.shown().size(), 2u);
    EXPECT_NE(boxes_.shown()[0].prompt.indexOf(QStringLiteral("c:\\tunexa.bat")), -1);
    EXPECT_EQ(boxes_.shown()[1].title, QStringLiteral("Restart Tunexa"));
}

TEST_F(CardSelectionTest, ClosingTheFirstRunWindowWritesNothingAndEnds) {
    start();
    firstRunControl<QCheckBox>("chkVoodoo")->setChecked(true);
    app_->firstRun()->close();
    EXPECT_TRUE(app_->isUnloaded());
    EXPECT_EQ(flag("Configure") + flag("Voodoo Available"), "(absent)(absent)");
    EXPECT_TRUE(boxes_.shown().empty());
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
                control<QPushButton>("cmdConfApply")->click();
                EXPECT_EQ(boxes_.shown().back(),
                          (MessageBox{QStringLiteral("Selection Changed"),
                                      QStringLiteral("Card Selection"), MessageButtons::Ok}));
                EXPECT_EQ(written(kOwnKey), flags);
                EXPECT_EQ(flag("Configure"), "0");
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
}

}  // namespace
}  // namespace tunexa::app::test
