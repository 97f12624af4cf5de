// Start-up, the tray icon and the window state, on the real window with fake platform services.
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>

#include <functional>
#include <tuple>

#include "AppFixture.h"
#include "platform/host/Autostart.h"
#include "platform/host/HostFacts.h"

namespace tunexa::app::test {
namespace {

using platform::TrayClick;

class StartupTest : public AppFixture {};

// Not configured yet: the first-run window over a disabled minimised window, and no flag read
// (each card's flag says "1", yet both card tabs stay off as designed).
TEST_F(StartupTest, TheFirstRunAndStartMinimisedDecideTheWindowState) {
    const struct {
        bool configure;
        const char* startMinimised;  // null: absent
        bool notificationArea, visible, normal;
    } rows[] = {{false, "0", true, false, false},
                {true, nullptr, true, false, false},
                {true, "0", true, true, true},
                {true, "1", true, false, false},
                {true, "1", false, true, false}};  // no tray to hide in: on the task bar
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        const auto& row = rows[i];
        SCOPED_TRACE(i);
        freshStore("row" + std::to_string(i));
        configured(row.startMinimised);
        if (!row.configure) {
            store::RegDeleteValue(HKEY_LOCAL_MACHINE, kOwnKey, "Configure");
        }
        tray_.setHostAvailable(row.notificationArea);
        start();
        EXPECT_EQ(form().isVisible(), row.visible);
        EXPECT_EQ(normal(), row.normal);
        EXPECT_EQ(check("chkStartMin"),
                  row.configure && row.startMinimised && row.startMinimised[0] == '1');
        EXPECT_EQ(app_->firstRun() != nullptr && app_->firstRun()->isVisible(), !row.configure);
        EXPECT_EQ(form().isEnabled(), row.configure);
        EXPECT_EQ(tabOn(kTNTTab), row.configure);
        EXPECT_EQ(tabOn(k3DfxTab), row.configure);
        EXPECT_TRUE(tray_.isAdded());
    }
}

TEST_F(StartupTest, StartWithWindowsRewritesTheEntriesOfAMovedProgramAndTheBoxesStoreAtOnce) {
    const char* runKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
    configured();
    setFlag("Start with Windows", "1");
    store::RegSetString(HKEY_LOCAL_MACHINE, runKey, "Tunexa", "/old/place/tunexa");
    writeFile(host::autostartEntryPath(), "[Desktop Entry]\nExec=/old/place/tunexa\n");
    start();
    const std::string program = host::runningProgramPath().string();
    EXPECT_EQ(check("chkRunOnStart"), 1);
    EXPECT_EQ(text(runKey, "Tunexa"), program);
    EXPECT_NE(readFile(host::autostartEntryPath()).find(program), std::string::npos);

    control<QCheckBox>("chkRunOnStart")->click();
    EXPECT_EQ(text(runKey, "Tunexa") + flag("Start with Windows"), "(absent)0");
    EXPECT_FALSE(std::filesystem::exists(host::autostartEntryPath()));
    control<QCheckBox>("chkStartMin")->click();
    EXPECT_EQ(flag("Start Minimised"), "1");
    EXPECT_TRUE(form().isVisible());  // at the next start only
}

TEST_F(StartupTest, TheWindowShowsTheCaptionTheMachineAndTheMatroxSettings) {
    configured();
    setFlag("Matrox Enable", "1");
    store::RegSetString(HKEY_LOCAL_MACHINE, "Software\\Matrox\\PowerDesk\\Current Settings",
                        "Flip on VBlank", "1");
    start();
    const QString caption = QStringLiteral("Tunexa v1.0.7 for Win95/98 - Public Beta");
    EXPECT_EQ(tray_.tooltip(), caption);
    EXPECT_EQ(control<QLabel>("lblTXVersion")->text(), caption);
    EXPECT_EQ(check("chkG200V"), 1);
    EXPECT_TRUE(control("frameMatrox")->isEnabled());
    const auto facts = host::readHostFacts();
    EXPECT_EQ(form().lblAboutTX(2)->text().toStdString(),
              facts.cpuVendor + " " + facts.cpuIdentifier);
    EXPECT_EQ(form().lblAboutTX(4)->text().toStdString(),
              facts.systemName + " " + facts.systemVersion);
    EXPECT_EQ(modes_.enumerated().front(), 0);
    EXPECT_TRUE(control<QLabel>("lblCurrentRes")->text().contains(QStringLiteral(" x ")));
    EXPECT_EQ(form().ui.SSTab1->currentIndex(), 0);
    control("frameV2Glide")->show();
    form().ui.SSTab1->setCurrentIndex(k3DfxTab);  // a tab switch: Voodoo2 back on its D3D page
    EXPECT_TRUE(control("frameV2Glide")->isHidden());
}

TEST_F(StartupTest, ADamagedOrReadOnlyStoreIsToldAtStartUp) {
    writeFile(dir_ / "damaged.db", "certainly not a database");
    for (const auto& [file, mode, told] :
         {std::tuple{"damaged.db", store::OpenMode::ReadWrite, ".damaged-"},
          std::tuple{"registry.db", store::OpenMode::ReadOnly, "read-only"}}) {
        store::useHive(store::Hive::open(dir_ / file, mode));
        boxes_.answer(MessageAnswer::Ok);
        start();
        EXPECT_NE(boxes_.shown().back().prompt.indexOf(QLatin1String(told)), -1)
            << boxes_.shown().back().prompt.toStdString();
    }
    EXPECT_EQ(boxes_.shown().size(), 2u);
}

TEST_F(StartupTest, TheTrayRestoresTheWindowOrOpensTheMenuAndMinimisingHidesIt) {
    configured("1");
    start();
    tray_.click(TrayClick::Right);
    EXPECT_EQ(tray_.poppedUp(), form().popupMenu().menu());
    EXPECT_FALSE(form().isVisible());  // brought forward, still hidden
    const std::function<void()> restores[] = {[this] { tray_.click(TrayClick::Left); },
                                              [this] { tray_.click(TrayClick::Double); },
                                              [this] { menuItem("mPopRestore")->trigger(); }};
    for (const auto& restore : restores) {
        restore();
        EXPECT_TRUE(form().isVisible() && normal());
        form().setWindowState(Qt::WindowMinimized);
        QCoreApplication::processEvents();
        EXPECT_FALSE(form().isVisible());
    }
    tray_.setHostAvailable(false);  // nowhere to hide: minimised on the task bar
    restores[0]();
    form().setWindowState(Qt::WindowMinimized);
    QCoreApplication::processEvents();
    EXPECT_TRUE(form().isVisible());
}

TEST_F(StartupTest, ExitCloseAndAnAcceptedRebootRemoveTheIconAndEndTheProgram) {
    configured();
    const std::function<void()> ways[] = {[this] { menuItem("mPopExit")->trigger(); },
                                          [this] { form().close(); },
                                          [this] {
                                              boxes_.answer(MessageAnswer::Yes);
                                              control<QPushButton>("cmdReboot")->click();
                                          }};
    for (const auto& way : ways) {
        start();
        QSignalSpy ended(app_.get(), &Application::ended);
        way();
        EXPECT_EQ(ended.count(), 1);
        EXPECT_FALSE(tray_.isAdded() || form().isVisible());
    }
}

}  // namespace
}  // namespace tunexa::app::test
