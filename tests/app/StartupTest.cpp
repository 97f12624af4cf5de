// Start-up, the tray icon and the window state, on the real window with fake platform services.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

#include <fstream>

#include "FakeBusyPointer.h"
#include "FakeDisplayModes.h"
#include "FakePower.h"
#include "FakeTrayIcon.h"
#include "ScriptedMessageBoxes.h"
#include "ScriptedTextQuestions.h"
#include "TempRoot.h"
#include "app/Application.h"
#include "app/ProgramKeys.h"
#include "engine/DriverSettings.h"
#include "platform/host/Autostart.h"
#include "platform/host/HostFacts.h"
#include "store/Registry.h"
#include "ui/CheckBox.h"
#include "ui/WindowState.h"

namespace tunexa::app {
namespace {

using platform::MessageAnswer;
using platform::TrayClick;
using store::HKEY_LOCAL_MACHINE;

class StartupTest : public testing::Test {
  protected:
    void SetUp() override {
        store::useHiveFile(dir_ / "registry.db");
        engine::driverSettings() = {};
    }
    void TearDown() override { store::useHive(nullptr); }

    static void setFlag(const char* name, const char* value) {
        store::RegSetString(HKEY_LOCAL_MACHINE, kProgramKey, name, value);
    }
    static void configured(const char* startMinimised = nullptr) {
        setFlag(kConfigure, "0");
        if (startMinimised != nullptr) {
            setFlag(kStartMinimised, startMinimised);
        }
    }

    Application& start() {
        app_ = std::make_unique<Application>(
            PlatformServices{boxes_, tray_, busy_, modes_, power_, questions_});
        app_->start();
        QCoreApplication::processEvents();
        return *app_;
    }

    template <typename Widget = QWidget>
    Widget* control(const char* name) {
        return app_->window().findChild<Widget*>(QString::fromLatin1(name));
    }
    QAction* menuItem(const char* name) {
        return app_->window().popupMenu().item(QString::fromLatin1(name));
    }
    bool tabOn(int index) { return ui::isTabOn(app_->window().ui.SSTab1, index); }
    Form1& form() { return app_->window(); }

    test::TempDir dir_;
    test::ScriptedMessageBoxes boxes_;
    test::FakeTrayIcon tray_;
    test::FakeBusyPointer busy_;
    test::FakeDisplayModes modes_;
    test::FakePower power_;
    test::ScriptedTextQuestions questions_;
    std::unique_ptr<Application> app_;
};

TEST_F(StartupTest, FirstStartShowsTheFirstRunWindowOverAnInactiveMinimisedWindow) {
    start();
    ASSERT_NE(app_->firstRun(), nullptr);
    EXPECT_TRUE(app_->firstRun()->isVisible());
    EXPECT_FALSE(form().isEnabled());
    EXPECT_EQ(ui::windowState(&form()), ui::WindowState::Minimised);
    EXPECT_FALSE(form().isVisible());
    EXPECT_TRUE(tray_.isAdded());
    // No flag was read: the card boxes keep their design state (unchecked), so both card tabs
    // are off.
    EXPECT_FALSE(tabOn(kRivaTNTTab));
    EXPECT_FALSE(tabOn(k3DfxTab));
}

TEST_F(StartupTest, TrayTooltipAndVersionLabelAreTheWindowCaption) {
    configured("0");
    start();
    EXPECT_EQ(tray_.tooltip(), QStringLiteral("Tunexa v1.0.7 for Win95/98 - Public Beta"));
    EXPECT_EQ(control<QLabel>("lblTXVersion")->text(), form().windowTitle());
    EXPECT_FALSE(tray_.icon().isNull());
    EXPECT_EQ(form().ui.SSTab1->currentIndex(), kMainSettingsTab);
    EXPECT_FALSE(control("frameV2Glide")->isVisible());
}

TEST_F(StartupTest, StartMinimisedDecidesTheWindowState) {
    const struct {
        const char* flag;  // null: value absent
        bool visible;
        int box;
    } cases[] = {{nullptr, false, 0}, {"0", true, 0}, {"1", false, 1}, {"yes", false, 0}};
    for (const auto& c : cases) {
        store::useHiveFile(dir_ / (std::string("hive-") + (c.flag ? c.flag : "absent") + ".db"));
        configured(c.flag);
        start();
        EXPECT_EQ(form().isVisible(), c.visible) << (c.flag ? c.flag : "absent");
        EXPECT_EQ(ui::windowState(&form()) == ui::WindowState::Normal, c.visible);
        EXPECT_EQ(ui::checkValue(control<QCheckBox>("chkStartMin")), c.box);
        EXPECT_EQ(app_->firstRun(), nullptr);
    }
}

TEST_F(StartupTest, WithoutANotificationAreaAMinimisedWindowStaysOnTheTaskBar) {
    configured("1");
    tray_.setHostAvailable(false);
    start();
    EXPECT_TRUE(form().isVisible());
    EXPECT_EQ(ui::windowState(&form()), ui::WindowState::Minimised);
}

TEST_F(StartupTest, AllCardsUnavailableSwitchesTabsAndTrayBranchesOff) {
    configured("0");
    for (const char* flag :
         {kVoodooAvailable, kVoodoo2Available, kBansheeAvailable, kTNTAvailable}) {
        setFlag(flag, "0");
    }
    start();
    EXPECT_FALSE(tabOn(kRivaTNTTab));
    EXPECT_FALSE(tabOn(k3DfxTab));
    EXPECT_EQ(control<QLabel>("lblTNTdriverVal")->text(), QStringLiteral("No TNT Available"));
    for (const char* branch : {"mPopRivaMain", "mPopV2Main", "mPopBansheeMain"}) {
        EXPECT_FALSE(menuItem(branch)->isEnabled()) << branch;
    }
    for (const char* frame :
         {"frame3DfxV", "frame3DfxV2", "frame3DfxBanshee", "frameTNTOC", "frameTNTSettings",
          "frameTNTD3D", "frameTNTGL", "cmdTNTdefaults", "cmdTNTapply"}) {
        EXPECT_FALSE(control(frame)->isEnabled()) << frame;
    }
    for (const char* box : {"chkConfVoodoo", "chkConfV2", "chkConfBanshee", "chkConfTNT"}) {
        EXPECT_EQ(ui::checkValue(control<QCheckBox>(box)), 0) << box;
    }
}

TEST_F(StartupTest, EachAvailableCardKeepsItsTabAndTrayBranch) {
    const struct {
        const char* flag;
        const char* box;
        const char* branch;  // may be null
        int tab;
    } cards[] = {{kVoodooAvailable, "chkConfVoodoo", nullptr, k3DfxTab},
                 {kVoodoo2Available, "chkConfV2", "mPopV2Main", k3DfxTab},
                 {kBansheeAvailable, "chkConfBanshee", "mPopBansheeMain", k3DfxTab},
                 {kTNTAvailable, "chkConfTNT", "mPopRivaMain", kRivaTNTTab}};
    for (const auto& card : cards) {
        store::useHiveFile(dir_ / (std::string(card.box) + ".db"));
        configured("0");
        for (const auto& other : cards) {
            setFlag(other.flag, other.flag == card.flag ? "1" : "0");
        }
        start();
        EXPECT_EQ(ui::checkValue(control<QCheckBox>(card.box)), 1) << card.box;
        if (card.branch != nullptr) {
            EXPECT_TRUE(menuItem(card.branch)->isEnabled()) << card.branch;
        }
        EXPECT_TRUE(tabOn(card.tab)) << card.box;
        EXPECT_EQ(tabOn(kRivaTNTTab), card.tab == kRivaTNTTab) << card.box;
        EXPECT_EQ(tabOn(k3DfxTab), card.tab == k3DfxTab) << card.box;
    }
}

TEST_F(StartupTest, BansheeFlagHidesItsOptionPagesEitherWay) {
    configured("0");
    setFlag(kBansheeAvailable, "1");
    start();
    EXPECT_FALSE(control("frameBansheeD3D")->isVisible());
    EXPECT_FALSE(control("frameBansheeGlide")->isVisible());
    EXPECT_TRUE(control("frame3DfxBanshee")->isEnabled());
}

TEST_F(StartupTest, DisplayModesAreListedAndTheResolutionShown) {
    configured("0");
    start();
    // Mode 0 is fetched and never listed; the fake has none, so the list stays empty.
    EXPECT_EQ(modes_.enumerated().front(), 0);
    EXPECT_EQ(control<QListWidget>("lstMainRes")->count(), 0);
    EXPECT_TRUE(control<QLabel>("lblCurrentRes")->text().contains(QStringLiteral(" x ")));
}

TEST_F(StartupTest, AnAcceptedRebootEndsTheProgramARefusedOneDoesNot) {
    configured("0");
    start();
    QSignalSpy ended(app_.get(), &Application::ended);
    power_.refuse(QStringLiteral("not allowed"));
    boxes_.answer(MessageAnswer::Yes).answer(MessageAnswer::Ok);
    control<QPushButton>("cmdReboot")->click();
    EXPECT_EQ(ended.count(), 0);
    EXPECT_TRUE(tray_.isAdded());
    power_.accept();
    boxes_.answer(MessageAnswer::Yes);
    control<QPushButton>("cmdReboot")->click();
    EXPECT_EQ(ended.count(), 1);
    EXPECT_FALSE(tray_.isAdded());
}

TEST_F(StartupTest, SystemInformationComesFromTheMachine) {
    configured("0");
    start();
    const auto facts = host::readHostFacts();
    EXPECT_EQ(form().lblAboutTX(2)->text().toStdString(),
              facts.cpuVendor + " " + facts.cpuIdentifier);
    EXPECT_EQ(form().lblAboutTX(4)->text().toStdString(),
              facts.systemName + " " + facts.systemVersion);
    EXPECT_EQ(store::RegGetString(HKEY_LOCAL_MACHINE,
                                  "Software\\Microsoft\\Windows\\CurrentVersion\\Setup", "BootDir"),
              "C:\\");
}

TEST_F(StartupTest, ADamagedStoreIsReplacedAndTheUserToldWhere) {
    store::useHive(nullptr);
    const auto file = dir_ / "damaged.db";
    std::ofstream(file) << "certainly not a database";
    store::useHiveFile(file);
    boxes_.answer(MessageAnswer::Ok);
    start();
    ASSERT_EQ(boxes_.shown().size(), 1u);
    EXPECT_TRUE(boxes_.shown()[0].prompt.contains(QStringLiteral(".damaged-")));
    EXPECT_EQ(boxes_.shown()[0].title, QStringLiteral("Tunexa"));
}

class TrayTest : public StartupTest {};

TEST_F(TrayTest, LeftOrDoubleClickRestoresTheWindow) {
    for (TrayClick click : {TrayClick::Left, TrayClick::Double}) {
        configured("1");
        start();
        ASSERT_FALSE(form().isVisible());
        tray_.click(click);
        QCoreApplication::processEvents();
        EXPECT_TRUE(form().isVisible());
        EXPECT_EQ(ui::windowState(&form()), ui::WindowState::Normal);
        // Again while normal and visible: it only comes to the front.
        tray_.click(click);
        EXPECT_TRUE(form().isVisible());
    }
}

TEST_F(TrayTest, RightClickOpensTheMenuAndLeavesAHiddenWindowHidden) {
    configured("1");
    start();
    tray_.click(TrayClick::Right);
    QCoreApplication::processEvents();
    EXPECT_EQ(tray_.popUps(), 1);
    EXPECT_EQ(tray_.lastMenu(), form().popupMenu().menu());
    EXPECT_FALSE(form().isVisible());
}

TEST_F(TrayTest, MinimisingHidesAndRestoreBringsItBack) {
    configured("0");
    start();
    ASSERT_TRUE(form().isVisible());
    form().setWindowState(Qt::WindowMinimized);
    QCoreApplication::processEvents();
    EXPECT_FALSE(form().isVisible());
    menuItem("mPopRestore")->trigger();
    EXPECT_TRUE(form().isVisible());
    EXPECT_EQ(ui::windowState(&form()), ui::WindowState::Normal);
}

TEST_F(TrayTest, MinimisingWithoutANotificationAreaKeepsTheWindowReachable) {
    configured("0");
    tray_.setHostAvailable(false);
    start();
    form().setWindowState(Qt::WindowMinimized);
    QCoreApplication::processEvents();
    EXPECT_TRUE(form().isVisible());
    // A tray that appears later is used from then on.
    tray_.setHostAvailable(true);
    form().setWindowState(Qt::WindowNoState);
    form().setWindowState(Qt::WindowMinimized);
    QCoreApplication::processEvents();
    EXPECT_FALSE(form().isVisible());
}

TEST_F(TrayTest, ExitAndCloseRemoveTheIconAndEndTheProgram) {
    for (bool viaMenu : {true, false}) {
        configured("0");
        start();
        QSignalSpy ended(app_.get(), &Application::ended);
        if (viaMenu) {
            menuItem("mPopExit")->trigger();
        } else {
            form().close();
        }
        EXPECT_EQ(ended.count(), 1);
        EXPECT_FALSE(tray_.isAdded());
        EXPECT_TRUE(app_->isUnloaded());
        EXPECT_FALSE(form().isVisible());
    }
}

TEST_F(TrayTest, AnyTabClickReturnsTheVoodoo2PanelToItsDirect3DPage) {
    configured("0");
    start();
    control("frameV2D3D")->hide();
    control("frameV2Glide")->show();
    auto* tabs = form().ui.SSTab1;
    const QPoint onFirstTab = tabs->tabBar()->tabRect(kMainSettingsTab).center();
    QSignalSpy clicks(tabs, &QTabWidget::tabBarClicked);
    QTest::mouseClick(tabs->tabBar(), Qt::LeftButton, {}, onFirstTab);
    ASSERT_EQ(clicks.count(), 1) << onFirstTab.x() << "," << onFirstTab.y();
    EXPECT_TRUE(control("frameV2Glide")->isHidden());
    EXPECT_FALSE(control("frameV2D3D")->isHidden());
}

class OptionsTest : public StartupTest {};

TEST_F(OptionsTest, StartMinimisedIsStoredOnClick) {
    configured("0");
    start();
    control<QCheckBox>("chkStartMin")->click();
    EXPECT_EQ(store::RegGetString(HKEY_LOCAL_MACHINE, kProgramKey, kStartMinimised), "1");
    EXPECT_TRUE(form().isVisible());  // takes effect at the next start only
    control<QCheckBox>("chkStartMin")->click();
    EXPECT_EQ(store::RegGetString(HKEY_LOCAL_MACHINE, kProgramKey, kStartMinimised), "0");
}

TEST_F(OptionsTest, RunWithWindowsWritesTheRunEntryAndTheAutostartFile) {
    configured("0");
    start();
    control<QCheckBox>("chkRunOnStart")->click();
    const auto program = host::runningProgramPath().string();
    EXPECT_EQ(store::RegGetString(HKEY_LOCAL_MACHINE, kRunKey, kRunValue), program);
    EXPECT_EQ(store::RegGetString(HKEY_LOCAL_MACHINE, kProgramKey, kStartWithWindows), "1");
    ASSERT_TRUE(std::filesystem::exists(host::autostartEntryPath()));

    control<QCheckBox>("chkRunOnStart")->click();
    EXPECT_EQ(store::RegGetString(HKEY_LOCAL_MACHINE, kRunKey, kRunValue), std::nullopt);
    EXPECT_EQ(store::RegGetString(HKEY_LOCAL_MACHINE, kProgramKey, kStartWithWindows), "0");
    EXPECT_FALSE(std::filesystem::exists(host::autostartEntryPath()));
}

TEST_F(OptionsTest, StartUpRewritesTheRunEntryOfAMovedProgram) {
    configured("0");
    setFlag(kStartWithWindows, "1");
    store::RegSetString(HKEY_LOCAL_MACHINE, kRunKey, kRunValue, "/old/place/tunexa");
    start();
    EXPECT_EQ(ui::checkValue(control<QCheckBox>("chkRunOnStart")), 1);
    EXPECT_EQ(store::RegGetString(HKEY_LOCAL_MACHINE, kRunKey, kRunValue),
              host::runningProgramPath().string());
    host::disableAutostart();
}

TEST_F(OptionsTest, StartWithWindowsOffLeavesEverythingAlone) {
    configured("0");
    setFlag(kStartWithWindows, "0");
    start();
    EXPECT_EQ(ui::checkValue(control<QCheckBox>("chkRunOnStart")), 0);
    EXPECT_EQ(store::RegGetString(HKEY_LOCAL_MACHINE, kRunKey, kRunValue), std::nullopt);
    EXPECT_FALSE(std::filesystem::exists(host::autostartEntryPath()));
}

}  // namespace
}  // namespace tunexa::app
