// The program on its real windows with fake platform services, a fresh hive and a data and
// config root of its own (drive C, the autostart entry): start-up, the tray icon with its menu,
// the window state and the ways out; the card choice, on the first run and in the window, which
// never calls a choice the store did not save a success; undo, history and profiles; the window
// as the engine's control reader; the program's font. Stored names are spelled out here rather
// than taken from the program, so a misspelt one shows.
#include <gmock/gmock.h>

#include <QCoreApplication>
#include <QFontDatabase>
#include <QListWidget>
#include <QMenu>
#include <QSignalSpy>

#include <filesystem>
#include <functional>

#include "CregFile.h"
#include "FakeBusyPointer.h"
#include "FakeDisplayModes.h"
#include "FakePower.h"
#include "FakeTrayIcon.h"
#include "ScriptedMessageBoxes.h"
#include "ScriptedTextQuestions.h"
#include "StoreEntries.h"
#include "TempRoot.h"
#include "app/AppFont.h"
#include "app/Application.h"
#include "app/ChangeCommands.h"
#include "app/HistoryWindow.h"
#include "engine/RegMethods.h"
#include "platform/files/Drives.h"
#include "platform/host/Autostart.h"
#include "platform/host/HostFacts.h"
#include "store/Registry.h"
#include "ui/CheckBox.h"
#include "ui/ListBox.h"
#include "ui/WindowState.h"

namespace tunexa::app::test {
namespace {

using namespace tunexa::test;
using platform::MessageAnswer;
using platform::MessageBox;
using platform::MessageButtons;
using platform::TrayClick;
using store::HKEY_LOCAL_MACHINE;
using testing::HasSubstr;

inline constexpr const char* kOwnKey = "Software\\Tunexa\\Tunexa";
inline constexpr const char* kV2D3D = "Software\\3Dfx Interactive\\Voodoo2\\D3D";
inline constexpr int kTNTTab = 1;
inline constexpr int k3DfxTab = 2;

// Each card's flag, its box on the first tab and what the flag switches on and off, in the order
// the first run writes the flags.
struct CardControls {
    const char* flag;
    const char* box;
    std::vector<const char*> switched;  // frames, buttons and the tray branch ("mPop...")
};
// clang-format off
inline const CardControls kCards[] = {
    {"TNT Available", "chkConfTNT", {"frameTNTOC", "frameTNTSettings", "frameTNTD3D", "frameTNTGL",
                                     "cmdTNTdefaults", "cmdTNTapply", "mPopRivaMain"}},
    {"Voodoo Available", "chkConfVoodoo", {"frame3DfxV"}},
    {"Voodoo2 Available", "chkConfV2", {"frame3DfxV2", "mPopV2Main"}},
    {"Banshee Available", "chkConfBanshee", {"frame3DfxBanshee", "mPopBansheeMain"}}};
// clang-format on

// A text value under HKEY_LOCAL_MACHINE, "(absent)" when there is none.
inline std::string text(const char* key, const std::string& name) {
    return store::RegGetString(HKEY_LOCAL_MACHINE, key, name).value_or("(absent)");
}

class AppFixture : public testing::Test {
  protected:
    void SetUp() override {
        for (const char* folder : {"data", "config"}) {  // the user folders, empty for each case
            std::filesystem::remove_all(isolatedRoot() / folder);
        }
        freshStore("registry");
        files::Drives drives;
        ASSERT_TRUE(drives.ensureDriveC().ok());
        driveC_ = *drives.driveRoot('C');
    }
    void TearDown() override {
        app_.reset();
        store::useHive(nullptr);
    }

    // A hive of its own, for each row of a table-driven case.
    void freshStore(const std::string& name) {
        app_.reset();
        store::useHiveFile(dir_ / (name + ".db"));
        engine::driverSettings() = {};
    }
    // The same hive opened for reading only: every write fails, as on a write-protected disk.
    void readOnlyStore() {
        store::useHive(store::Hive::open(dir_ / "registry.db", store::OpenMode::ReadOnly));
    }
    static void setFlag(const char* name, const char* value) {
        store::RegSetString(HKEY_LOCAL_MACHINE, kOwnKey, name, value);
    }
    static std::string flag(const char* name) { return text(kOwnKey, name); }
    // A configured machine, each card's flag `cards` ("Start Minimised" absent for null).
    static void configured(const char* startMinimised = "0", const char* cards = "1") {
        setFlag("Configure", "0");
        if (startMinimised != nullptr) {
            setFlag("Start Minimised", startMinimised);
        }
        for (const auto& card : kCards) {
            setFlag(card.flag, cards);
        }
    }

    void start() {
        app_ = std::make_unique<Application>(
            PlatformServices{boxes_, tray_, busy_, modes_, power_, questions_});
        app_->start();
        QCoreApplication::processEvents();
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

    template <typename Widget = QWidget>
    Widget* control(const char* name) {
        return app_->window().findChild<Widget*>(QString::fromLatin1(name));
    }
    QCheckBox* firstRunBox(const char* name) {
        return app_->firstRun()->findChild<QCheckBox*>(QString::fromLatin1(name));
    }
    int check(const char* name) { return ui::checkValue(control<QCheckBox>(name)); }
    void click(const char* name) { control<QAbstractButton>(name)->click(); }
    QAction* menuItem(const char* name) {
        return app_->window().popupMenu().item(QString::fromLatin1(name));
    }
    Form1& form() { return app_->window(); }
    bool tabOn(int index) { return ui::isTabOn(form().ui.SSTab1, index); }
    bool normal() { return ui::windowState(&form()) == ui::WindowState::Normal; }
    const platform::MessageBox& lastBox() { return boxes_.shown().back(); }
    std::string lastPrompt() { return lastBox().prompt.toStdString(); }
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

    test::TempDir dir_;
    std::filesystem::path driveC_;
    test::ScriptedMessageBoxes boxes_;
    test::FakeTrayIcon tray_;
    test::FakeBusyPointer busy_;
    test::FakeDisplayModes modes_;
    test::FakePower power_;
    test::ScriptedTextQuestions questions_;
    std::unique_ptr<Application> app_;
};

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
        EXPECT_EQ(tabOn(kTNTTab) + tabOn(k3DfxTab), row.configure ? 2 : 0);
        EXPECT_TRUE(tray_.isAdded());
        EXPECT_EQ(tray_.tooltip(), "Tunexa v1.0.7 for Win95/98 - Public Beta");
    }
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
    EXPECT_EQ(text(runKey, "Tunexa") + flag("Start with Windows"), "(absent)0");
    EXPECT_FALSE(std::filesystem::exists(host::autostartEntryPath()));
    click("chkStartMin");
    EXPECT_EQ(flag("Start Minimised"), "1");
}

// Told in plain words: which file, and that nothing can be saved to it. A box the store does not
// take goes back and says why; Start with Windows is all or nothing: no autostart entry either.
TEST_F(StartupTest, AReadOnlyStoreIsToldAtStartUpAndBoxesItDoesNotTakeGoBack) {
    configured();
    readOnlyStore();
    boxes_.answer(MessageAnswer::Ok);
    start();
    ASSERT_EQ(boxes_.shown().size(), 1u);
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

// A hive damaged by another program since the last session, its time set back, is moved aside
// untouched before anything is written, and the user is told where it went.
TEST_F(StartupTest, ADamagedStoreIsMovedAsideUntouchedAndTold) {
    configured();
    store::useHive(nullptr);
    const std::string damaged = damageKeepingTime(dir_ / "registry.db");
    store::useHiveFile(dir_ / "registry.db");
    boxes_.answer(MessageAnswer::Ok);
    start();
    const auto& report = store::currentHive().report();
    ASSERT_FALSE(boxes_.shown().empty());
    EXPECT_THAT(boxes_.shown().front().prompt.toStdString(),
                HasSubstr("). It was moved to " + report.movedAsideTo.string()));
    EXPECT_EQ(fileBytes(report.movedAsideTo), damaged);
}

// The icon's left and double click and the menu's Restore show the window, its right click opens
// the menu; minimised, the window hides in the tray when there is one. Exit, closing the window
// and an accepted reboot remove the icon and end the program.
TEST_F(StartupTest, TheTrayRestoresOrOpensTheMenuAndEveryWayOutEndsTheProgram) {
    configured("1");
    start();
    tray_.click(TrayClick::Right);
    EXPECT_EQ(tray_.poppedUp(), form().popupMenu().menu());
    EXPECT_FALSE(form().isVisible());  // brought forward, still hidden
    const std::pair<std::function<void()>, bool> restores[] = {
        {[this] { tray_.click(TrayClick::Left); }, true},
        {[this] { tray_.click(TrayClick::Double); }, true},
        {[this] { menuItem("mPopRestore")->trigger(); }, true},
        {[this] { tray_.click(TrayClick::Left); }, false}};  // no tray: minimised on the task bar
    for (const auto& [restore, notificationArea] : restores) {
        tray_.setHostAvailable(notificationArea);
        restore();
        EXPECT_TRUE(form().isVisible() && normal());
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

// One line per menu, a submenu's after its parent's: its title, then its items; "-" for a
// separator, "(off)" after a greyed item. An indexed group of items is "first..last", followed
// by its ticked items in brackets.
constexpr const char* kTrayMenus =
    R"(Tunexa: Riva TNT, Voodoo2, Banshee, Profiles, -, Undo (off), -, Reboot, Exit Windows, -, Restore, Exit
Riva TNT: Memory Clock, Core Clock, VSync On/Off
Memory Clock: Default, 110 Mhz..130 Mhz
Core Clock: Default, 90 Mhz..120 Mhz [105 Mhz]
VSync On/Off: Off..On [On]
Voodoo2: D3D, Glide
D3D: D3D Core Clock, VSync On/Off
D3D Core Clock: Default, 90 Mhz..100 Mhz [95 Mhz]
VSync On/Off: Off..On [Off]
Glide: Glide Core Clock, VSync On/Off
Glide Core Clock: Default, 90 Mhz..100 Mhz
VSync On/Off: Off..On [Off]
Banshee: Memory Clock, Core Clock
Memory Clock: Default, 100 Mhz..110 Mhz
Core Clock: Default, 100 Mhz..110 Mhz
Profiles: (no profiles) (off))";

void describe(const PopupMenu& popup, const QMenu* menu, QStringList& lines) {
    QStringList items;
    for (const QAction* action : menu->actions()) {
        const ui::IndexedActionGroup* group = popup.group(action->objectName().section('_', 0, 0));
        if (group == nullptr) {
            items << (action->isSeparator() ? QStringLiteral("-") : action->text()) +
                         (action->isEnabled() ? "" : " (off)");
        } else if (action == group->actions().first()) {
            items << action->text() + ".." + group->actions().last()->text();
            for (const QAction* item : group->actions()) {
                items.last() += item->isChecked() ? " [" + item->text() + "]" : QString();
            }
        }
    }
    lines << menu->title() + ": " + items.join(", ");
    for (const QAction* action : menu->actions()) {
        if (action->menu() != nullptr) {
            describe(popup, action->menu(), lines);
        }
    }
}

// A configured start fills the window from the store, the machine and the display, and the
// tray menu ticks the stored clocks.
TEST_F(StartupTest, AConfiguredStartFillsTheWindowAndTheTrayMenu) {
    configured();
    seedStore(
        {"TX:Matrox Enable=s1", "MX:Flip on VBlank=s1", "N:NVCLK=s105", "VD:SSTV2_GRXCLK=s95"});
    start();
    EXPECT_EQ(control<QLabel>("lblTXVersion")->text(), tray_.tooltip());
    EXPECT_EQ(check("chkG200V"), 1);
    const auto facts = host::readHostFacts();
    EXPECT_EQ(form().lblAboutTX(2)->text().toStdString() + "|" +
                  form().lblAboutTX(4)->text().toStdString(),
              facts.cpuVendor + " " + facts.cpuIdentifier + "|" + facts.systemName + " " +
                  facts.systemVersion);
    EXPECT_THAT(control<QLabel>("lblCurrentRes")->text().toStdString(), HasSubstr(" x "));
    EXPECT_EQ(form().ui.SSTab1->currentIndex(), 0);
    control("frameV2Glide")->show();
    form().ui.SSTab1->setCurrentIndex(k3DfxTab);  // a tab switch: Voodoo2 back on its D3D page
    EXPECT_TRUE(control("frameV2Glide")->isHidden());
    emit form().popupMenu().menu()->aboutToShow();
    QStringList lines;
    describe(form().popupMenu(), form().popupMenu().menu(), lines);
    EXPECT_EQ(lines.join('\n').toStdString(), kTrayMenus);
}

// The real window as the engine's control reader. Which control each value comes from is the
// engine's own tests' business; here: captions come as Windows-1252, a one-row list gives its
// selection (not the item in view), and a name of another kind of control reads as nothing.
TEST(CollectFromForm1Test, TheWindowGivesCaptionsChecksAndSelectionsAsTheEngineReadsThem) {
    using engine::SettingValue;
    Form1 form;
    form.findChild<QLabel*>(QStringLiteral("lblV2GRGVal"))->setText(QStringLiteral("1–3"));
    auto* mipmaps = form.findChild<QListWidget*>(QStringLiteral("lstTNTD3Dmip"));
    mipmaps->addItems({QStringLiteral("in view, not selected"), QStringLiteral("12")});
    ui::selectText(mipmaps, QStringLiteral("12"));
    ui::setCheckValue(form.findChild<QCheckBox*>(QStringLiteral("chkTNTFogTable")), 1);
    engine::DriverSettings settings;
    engine::CollectDriverSettings(engine::kCardVoodoo2, form, settings);
    engine::CollectDriverSettings(engine::kCardTNT, form, settings);
    EXPECT_EQ(settings.V2Glide.SSTV2_RGAMMA, SettingValue("1\2263"));  // \226: the en dash
    EXPECT_EQ(settings.TNT.MIPMAPLEVELS, SettingValue("12"));
    EXPECT_EQ(settings.TNT.FOGTABLEENABLE, SettingValue(1));
    const engine::ControlReader& reader = form;
    EXPECT_EQ(reader.caption("chkTNTDX6") + reader.selectedText("lblTNTCoreVal"), "");
    EXPECT_EQ(reader.checkValue("lblNoSuchBox"), 0);
}

// Tahoma when installed, else a Tahoma face file, else DejaVu Sans.
TEST(AppFontTest, WithoutTahomaAFaceFileOrDejaVuSans) {
    if (QFontDatabase::families().contains(QStringLiteral("Tahoma"), Qt::CaseInsensitive)) {
        GTEST_SKIP() << "Tahoma is installed on this machine";
    }
    EXPECT_EQ(programFontFamily(QStringLiteral("/nonexistent/tahoma.ttf")), "DejaVu Sans");
    // Any face stands in for the Tahoma file: what counts is that it is loaded and its family used.
    EXPECT_EQ(
        programFontFamily(QStringLiteral("/usr/share/fonts/truetype/dejavu/DejaVuSansMono.ttf")),
        "DejaVu Sans Mono");
}

// The card choice: the first-run window's OK, which seeds everything once and ends the program,
// also when it reads the machine's own registry; and the main window's card-selection Apply,
// which takes effect at once.

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
        EXPECT_TRUE(app_->isUnloaded() && !tray_.isAdded());
    }
}

// Closed, it writes nothing. On a store that cannot save, OK says so, takes back the boot batch
// line and leaves the window open; mended and pressed again, it saves, tells what it could not
// do besides (here: the boot batch file) and ends.
TEST_F(CardSelectionTest, TheFirstRunEndsOnlyWhenItsChoiceWasSaved) {
    start();
    app_->firstRun()->close();
    EXPECT_EQ(flag("Configure") + (app_->isUnloaded() ? " ended" : ""), "(absent) ended");
    EXPECT_TRUE(boxes_.shown().empty());

    start();
    readOnlyStore();
    firstRunOk({"chkVoodoo"});
    EXPECT_EQ(lastBox().title, "Settings Not Saved");
    EXPECT_THAT(lastPrompt(), HasSubstr("read-only"));
    ASSERT_NE(app_->firstRun(), nullptr);
    EXPECT_EQ(fileBytes(driveC_ / "autoexec.bat") + flag("Configure") +
                  (app_->isUnloaded() ? " ended" : ""),
              "(absent)");

    store::useHiveFile(dir_ / "registry.db");
    std::filesystem::remove(driveC_ / "autoexec.bat");
    std::filesystem::create_directories(driveC_ / "autoexec.bat");  // a folder in its place
    boxes_.answer(MessageAnswer::Ok);
    firstRunOk();
    ASSERT_EQ(boxes_.shown().size(), 3u);
    EXPECT_THAT(boxes_.shown()[1].prompt.toStdString(), HasSubstr("c:\\tunexa.bat"));
    EXPECT_EQ(std::to_string(app_->isUnloaded()) + flag("Voodoo Available"), "11");
}

// A Windows 98 machine on drive C: a Voodoo2 with its own clock, and a G200.
// clang-format off
const CregKey kMachine{"$$$PROTO.HIV", {}, {
    {"Software", {}, {{"3Dfx Interactive", {}, {{"Voodoo2", {}, {
        {"D3D", {{"SSTV2_GRXCLK", 1, std::string("98\0", 3)}}, {}}}}}}}},
    {"Enum", {}, {{"PCI", {}, {
        {"VEN_121A&DEV_0002&SUBSYS_00000000&REV_02", {}, {}}, {"VEN_102B&DEV_0521", {}, {}}}}}}}};
// clang-format on

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
    EXPECT_EQ(std::to_string(app_->isUnloaded()) + text(kV2D3D, "SSTV2_GRXCLK"), "198");

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
            EXPECT_EQ(std::pair(tabOn(kTNTTab), tabOn(k3DfxTab)), std::pair(on == 0, on > 0));
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
    ASSERT_EQ(changes->topLevelItemCount(), 6);
    EXPECT_EQ(changes->topLevelItem(0)->text(1), "Tray: Voodoo2 D3D core clock 96 MHz");
    const auto values =
        history->ui.lstChangeValues->findItems(QStringLiteral("SSTV2_GRXCLK"), Qt::MatchExactly, 1);
    ASSERT_EQ(values.size(), 1);  // the Glide clock stayed
    EXPECT_EQ(values[0]->text(2) + " > " + values[0]->text(3), "REG_SZ 95 > REG_SZ 96");

    changes->setCurrentItem(changes->topLevelItem(1));
    boxes_.answer(MessageAnswer::Ok);
    history->ui.cmdUndoToHere->click();
    EXPECT_EQ(clock(), "(absent)|");
    ASSERT_EQ(changes->topLevelItemCount(), 7);
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
    EXPECT_EQ(clock() + (trayProfiles()[0]->isChecked() ? " ticked" : ""), "95|95 ticked");

    control<QListWidget>("lstProfiles")->setCurrentRow(0);
    boxes_.answer(MessageAnswer::Yes);
    click("cmdProfileDelete");
    EXPECT_TRUE(store::profileNames(store::currentHive()).empty());
    EXPECT_EQ(control<QListWidget>("lstProfiles")->count(), 0);
}

}  // namespace
}  // namespace tunexa::app::test
