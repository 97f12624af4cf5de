// The first-run window's OK and the main window's card selection.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QPushButton>
#include <QSignalSpy>

#include <fstream>
#include <iterator>

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
#include "platform/files/Drives.h"
#include "store/Registry.h"
#include "ui/CheckBox.h"
#include "ui/WindowState.h"

namespace tunexa::app {
namespace {

using platform::MessageAnswer;
using platform::MessageBox;
using platform::MessageButtons;
using store::HKEY_LOCAL_MACHINE;
using store::RegGetString;

std::string readFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::string flag(const char* name) {
    return RegGetString(HKEY_LOCAL_MACHINE, kProgramKey, name).value_or("(absent)");
}

class CardSelectionTest : public testing::Test {
  protected:
    void SetUp() override {
        // A data root of the test's own, so every test starts with an empty drive C.
        previousDataHome_ = std::getenv("XDG_DATA_HOME");
        setenv("XDG_DATA_HOME", (dir_ / "data").c_str(), 1);
        store::useHiveFile(dir_ / "registry.db");
        engine::driverSettings() = {};
        files::Drives drives;
        ASSERT_TRUE(drives.ensureDriveC().ok());
        driveC_ = *drives.driveRoot('C');
    }
    void TearDown() override {
        store::useHive(nullptr);
        setenv("XDG_DATA_HOME", previousDataHome_.c_str(), 1);
    }

    Application& start() {
        app_ = std::make_unique<Application>(
            PlatformServices{boxes_, tray_, busy_, modes_, power_, questions_});
        app_->start();
        QCoreApplication::processEvents();
        return *app_;
    }
    QCheckBox* firstRunBox(const char* name) {
        return app_->firstRun()->findChild<QCheckBox*>(QString::fromLatin1(name));
    }
    template <typename Widget = QWidget>
    Widget* control(const char* name) {
        return app_->window().findChild<Widget*>(QString::fromLatin1(name));
    }
    void firstRunWith(std::initializer_list<const char*> checked) {
        start();
        ASSERT_NE(app_->firstRun(), nullptr);
        for (const char* name : checked) {
            firstRunBox(name)->setChecked(true);
        }
        boxes_.answer(MessageAnswer::Ok);
        app_->firstRun()->ui.cmdOKFirstRun->click();
    }

    test::TempDir dir_;
    std::string previousDataHome_;
    std::filesystem::path driveC_;
    test::ScriptedMessageBoxes boxes_;
    test::FakeTrayIcon tray_;
    test::FakeBusyPointer busy_;
    test::FakeDisplayModes modes_;
    test::FakePower power_;
    test::ScriptedTextQuestions questions_;
    std::unique_ptr<Application> app_;
};

TEST_F(CardSelectionTest, FirstRunWithNothingCheckedStoresTheFlagsAndEnds) {
    start();
    QSignalSpy ended(app_.get(), &Application::ended);
    boxes_.answer(MessageAnswer::Ok);
    app_->firstRun()->ui.cmdOKFirstRun->click();

    for (const char* name : {kTNTAvailable, kVoodooAvailable, kVoodoo2Available, kBansheeAvailable,
                             kConfigure, kStartMinimised}) {
        EXPECT_EQ(flag(name), "0") << name;
    }
    ASSERT_EQ(boxes_.shown().size(), 1u);
    EXPECT_EQ(boxes_.shown()[0],
              (MessageBox{QStringLiteral("Please restart Tunexa.\r\nDefaults have been set."),
                          QStringLiteral("Restart Tunexa"), MessageButtons::Ok}));
    EXPECT_EQ(ended.count(), 1);
    EXPECT_FALSE(tray_.isAdded());
    EXPECT_FALSE(std::filesystem::exists(driveC_ / "autoexec.bat"));
    EXPECT_EQ(RegGetString(HKEY_LOCAL_MACHINE, "Software\\3Dfx Interactive\\Voodoo2\\D3D",
                           "SSTV2_GRXCLK"),
              std::nullopt);

    // The next start is a normal one, with both card tabs off.
    start();
    EXPECT_EQ(app_->firstRun(), nullptr);
    EXPECT_FALSE(ui::isTabOn(app_->window().ui.SSTab1, kRivaTNTTab));
    EXPECT_FALSE(ui::isTabOn(app_->window().ui.SSTab1, k3DfxTab));
    EXPECT_TRUE(app_->window().isVisible());
}

TEST_F(CardSelectionTest, FirstRunWithVoodooSeedsItsValuesAndHooksTheBootBatchFile) {
    { std::ofstream(driveC_ / "AUTOEXEC.BAT", std::ios::binary) << "@echo off\r\nPATH C:\\DOS"; }
    firstRunWith({"chkVoodoo"});
    const std::pair<const char*, const char*> seeded[] = {{"Voodoo GRXCLK", "50"},
                                                          {"Voodoo Vsync", "1"},
                                                          {"Voodoo FastMem", "0"},
                                                          {"Voodoo FastPCI", "0"}};
    for (const auto& [name, value] : seeded) {
        EXPECT_EQ(RegGetString(HKEY_LOCAL_MACHINE, "Software\\Tunexa\\Tunexa\\3Dfx", name), value);
    }
    EXPECT_EQ(flag(kVoodooAvailable), "1");
    EXPECT_EQ(flag(kVoodoo2Available), "0");
    // The existing file (upper-case name, no final line break) keeps every byte.
    EXPECT_EQ(readFile(driveC_ / "AUTOEXEC.BAT"),
              "@echo off\r\nPATH C:\\DOS\r\nc:\\tunexa.bat\r\n");
    EXPECT_EQ(boxes_.shown().size(), 1u);
}

TEST_F(CardSelectionTest, FirstRunWithEveryCardStoresEachDriverBackNormalised) {
    store::RegSetString(HKEY_LOCAL_MACHINE,
                        "System\\CurrentControlSet\\Services\\Class\\Display\\0002\\DEFAULT",
                        "minivdd", "3dfxvb.vxd");
    store::RegSetString(HKEY_LOCAL_MACHINE,
                        "System\\CurrentControlSet\\Services\\Class\\Display\\0002\\DEFAULT",
                        "grxclock", "105");
    firstRunWith({"chkRivaTNT", "chkVoodoo", "chkVoodoo2", "chkBanshee"});
    EXPECT_EQ(RegGetString(HKEY_LOCAL_MACHINE, "Software\\3Dfx Interactive\\Voodoo2\\D3D",
                           "SSTV2_GRXCLK"),
              "");
    EXPECT_EQ(RegGetString(HKEY_LOCAL_MACHINE, "Software\\NVIDIA Corporation\\Riva TNT\\Direct3D",
                           "NVCLK"),
              "");
    EXPECT_EQ(RegGetString(HKEY_LOCAL_MACHINE, "Software\\Diamond\\D3D", "Retail"), "1");
    EXPECT_EQ(RegGetString(HKEY_LOCAL_MACHINE,
                           "System\\CurrentControlSet\\Services\\Class\\Display\\0002\\DEFAULT",
                           "GraphicsClock"),
              "105");
    EXPECT_EQ(readFile(driveC_ / "autoexec.bat"), "c:\\tunexa.bat\r\n");
    for (const char* name :
         {kTNTAvailable, kVoodooAvailable, kVoodoo2Available, kBansheeAvailable}) {
        EXPECT_EQ(flag(name), "1") << name;
    }
}

TEST_F(CardSelectionTest, ABootBatchFileThatCannotBeWrittenIsReported) {
    std::filesystem::create_directories(driveC_ / "autoexec.bat");  // a folder in its place
    start();
    firstRunBox("chkVoodoo")->setChecked(true);
    boxes_.answer(MessageAnswer::Ok).answer(MessageAnswer::Ok);
    app_->firstRun()->ui.cmdOKFirstRun->click();
    ASSERT_EQ(boxes_.shown().size(), 2u);
    EXPECT_TRUE(boxes_.shown()[0].prompt.contains(QStringLiteral("c:\\tunexa.bat")));
    EXPECT_EQ(boxes_.shown()[1].title, QStringLiteral("Restart Tunexa"));
}

TEST_F(CardSelectionTest, ClosingTheFirstRunWindowWritesNothingAndEnds) {
    start();
    QSignalSpy ended(app_.get(), &Application::ended);
    firstRunBox("chkVoodoo")->setChecked(true);
    app_->firstRun()->close();
    EXPECT_EQ(ended.count(), 1);
    EXPECT_EQ(flag(kConfigure), "(absent)");
    EXPECT_EQ(flag(kVoodooAvailable), "(absent)");
    EXPECT_TRUE(boxes_.shown().empty());
}

TEST_F(CardSelectionTest, ApplyWithEveryCardOffSwitchesBothTabsOff) {
    store::RegSetString(HKEY_LOCAL_MACHINE, kProgramKey, kConfigure, "0");
    for (const char* name :
         {kTNTAvailable, kVoodooAvailable, kVoodoo2Available, kBansheeAvailable}) {
        store::RegSetString(HKEY_LOCAL_MACHINE, kProgramKey, name, "1");
    }
    start();
    for (const char* box : {"chkConfTNT", "chkConfV2", "chkConfVoodoo", "chkConfBanshee"}) {
        control<QCheckBox>(box)->setChecked(false);
    }
    boxes_.answer(MessageAnswer::Ok);
    control<QPushButton>("cmdConfApply")->click();
    EXPECT_EQ(boxes_.shown().back(),
              (MessageBox{QStringLiteral("Selection Changed"), QStringLiteral("Card Selection"),
                          MessageButtons::Ok}));
    EXPECT_FALSE(ui::isTabOn(app_->window().ui.SSTab1, kRivaTNTTab));
    EXPECT_FALSE(ui::isTabOn(app_->window().ui.SSTab1, k3DfxTab));
    for (const char* name :
         {kTNTAvailable, kVoodooAvailable, kVoodoo2Available, kBansheeAvailable}) {
        EXPECT_EQ(flag(name), "0") << name;
    }
    for (const char* branch : {"mPopRivaMain", "mPopV2Main", "mPopBansheeMain"}) {
        EXPECT_FALSE(app_->window().popupMenu().item(QString::fromLatin1(branch))->isEnabled());
    }
    EXPECT_FALSE(control("frameTNTOC")->isEnabled());
    EXPECT_FALSE(control("cmdTNTapply")->isEnabled());
    EXPECT_FALSE(control("frameBansheeD3D")->isEnabled());
}

TEST_F(CardSelectionTest, CheckingVoodoo2StoresItsDriverValuesAndOpensItsTab) {
    store::RegSetString(HKEY_LOCAL_MACHINE, kProgramKey, kConfigure, "0");
    for (const char* name :
         {kTNTAvailable, kVoodooAvailable, kVoodoo2Available, kBansheeAvailable}) {
        store::RegSetString(HKEY_LOCAL_MACHINE, kProgramKey, name, "0");
    }
    start();
    ASSERT_FALSE(ui::isTabOn(app_->window().ui.SSTab1, k3DfxTab));
    control<QCheckBox>("chkConfV2")->setChecked(true);
    boxes_.answer(MessageAnswer::Ok);
    control<QPushButton>("cmdConfApply")->click();
    EXPECT_TRUE(ui::isTabOn(app_->window().ui.SSTab1, k3DfxTab));
    EXPECT_FALSE(ui::isTabOn(app_->window().ui.SSTab1, kRivaTNTTab));
    EXPECT_TRUE(control("frame3DfxV2")->isEnabled());
    EXPECT_TRUE(app_->window().popupMenu().item(QStringLiteral("mPopV2Main"))->isEnabled());
    EXPECT_EQ(flag(kVoodoo2Available), "1");
    // Absent texts come back as empty texts: the whole Voodoo2 set exists now.
    EXPECT_EQ(RegGetString(HKEY_LOCAL_MACHINE, "Software\\3Dfx Interactive\\Voodoo2\\Glide",
                           "SSTV2_RGAMMA"),
              "");
    EXPECT_EQ(flag(kConfigure), "0");
}

}  // namespace
}  // namespace tunexa::app
