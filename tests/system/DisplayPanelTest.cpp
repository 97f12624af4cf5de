// The display-mode list, the switch and the current-size label, on the real main window with a
// fake of the platform's display modes.

#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QScreen>

#include <string>
#include <vector>

#include "FakeDisplayModes.h"
#include "ScriptedMessageBoxes.h"
#include "TempRoot.h"
#include "app/Form1.h"
#include "platform/display/DefaultDisplayMode.h"
#include "platform/display/XRandrDisplayModes.h"
#include "store/Registry.h"
#include "system/DisplayPanel.h"
#include "ui/ListBox.h"

namespace tunexa {
namespace {

using platform::DisplayMode;
using platform::MessageAnswer;
using platform::MessageButtons;
using Switch = test::FakeDisplayModes::Switch;

DisplayMode mode(std::uint32_t width, std::uint32_t height, std::uint16_t bits,
                 std::uint32_t hertz = 60) {
    DisplayMode m;
    m.dmPelsWidth = width;
    m.dmPelsHeight = height;
    m.dmBitsPerPel = bits;
    m.dmDisplayFrequency = hertz;
    m.dmFields = platform::DM_PELSWIDTH | platform::DM_PELSHEIGHT | platform::DM_BITSPERPEL |
                 platform::DM_DISPLAYFREQUENCY;
    return m;
}

// Mode i is 640 + i wide, so every entry tells which mode it shows.
std::vector<DisplayMode> numberedModes(int count) {
    std::vector<DisplayMode> modes;
    for (int i = 0; i < count; ++i) {
        modes.push_back(mode(640 + static_cast<std::uint32_t>(i), 480, 16));
    }
    return modes;
}

std::vector<std::string> entries(const QListWidget* list) {
    std::vector<std::string> texts;
    for (int i = 0; i < list->count(); ++i) {
        texts.push_back(list->item(i)->text().toStdString());
    }
    return texts;
}

std::optional<std::string> storedDefault(const char* name) {
    return store::RegGetString(store::HKEY_LOCAL_MACHINE, platform::kDisplaySettingsKey, name);
}

class DisplayPanelTest : public ::testing::Test {
  protected:
    void SetUp() override { store::useHiveFile(dir_ / "registry.db"); }

    system::DisplayPanel& makePanel(std::vector<DisplayMode> modes,
                                    platform::ScreenExtent extent = {1024, 768, 96, 96}) {
        modes_ = std::make_unique<test::FakeDisplayModes>(std::move(modes));
        panel_ = std::make_unique<system::DisplayPanel>(frame(), boxes_, *modes_,
                                                        [extent] { return extent; });
        return *panel_;
    }
    system::DisplayFrame& frame() { return *form_.findChild<system::DisplayFrame*>(); }
    QListWidget* list() { return frame().ui.lstMainRes; }

    test::TempDir dir_;
    app::Form1 form_;
    test::ScriptedMessageBoxes boxes_;
    std::unique_ptr<test::FakeDisplayModes> modes_;
    std::unique_ptr<system::DisplayPanel> panel_;
};

struct Growth {
    int modes;
    int entries;
    int slotCount;
};

class DisplayModeListGrowth : public DisplayPanelTest,
                              public ::testing::WithParamInterface<Growth> {};

TEST_P(DisplayModeListGrowth, ListsEveryModeButTheFirstAndGrowsByEight) {
    const Growth growth = GetParam();
    auto& panel = makePanel(numberedModes(growth.modes));
    panel.FillDisplayModeList();

    EXPECT_EQ(list()->count(), growth.entries);
    EXPECT_EQ(panel.displayModeList().slotCount(), growth.slotCount);
    for (int k = 0; k < list()->count(); ++k) {
        EXPECT_EQ(list()->item(k)->text(), QStringLiteral("%1x480x16").arg(640 + k + 1));
    }
    if (growth.modes > 0) {
        EXPECT_EQ(panel.displayModeList()[0].dmPelsWidth, 640u);
    }
    // Indices 0, 1, 2, ... until the first false, without gaps.
    std::vector<int> asked;
    for (int i = 0; i <= std::max(growth.modes, 1); ++i) {
        asked.push_back(i);
    }
    EXPECT_EQ(modes_->enumerated(), asked);
}

INSTANTIATE_TEST_SUITE_P(Counts, DisplayModeListGrowth,
                         ::testing::Values(Growth{0, 0, 9}, Growth{1, 0, 9}, Growth{8, 7, 9},
                                           Growth{9, 8, 17}, Growth{12, 11, 17}, Growth{16, 15, 17},
                                           Growth{17, 16, 25}));

TEST_F(DisplayPanelTest, TwelveModesGiveElevenEntriesAndSlotsUpToSixteen) {
    auto& panel = makePanel({mode(640, 480, 8), mode(640, 480, 16), mode(800, 600, 16),
                             mode(1024, 768, 16), mode(1280, 1024, 16), mode(640, 480, 24),
                             mode(800, 600, 24), mode(1024, 768, 24), mode(640, 480, 32),
                             mode(800, 600, 32), mode(1024, 768, 32), mode(1600, 1200, 32)});
    panel.FillDisplayModeList();

    EXPECT_EQ(entries(list()),
              (std::vector<std::string>{"640x480x16", "800x600x16", "1024x768x16", "1280x1024x16",
                                        "640x480x24", "800x600x24", "1024x768x24", "640x480x32",
                                        "800x600x32", "1024x768x32", "1600x1200x32"}));
    EXPECT_EQ(panel.displayModeList().slotCount(), 17);
    EXPECT_EQ(panel.displayModeList()[11].dmPelsWidth, 1600u);
}

TEST_F(DisplayPanelTest, FillingAgainStartsAFreshList) {
    auto& panel = makePanel(numberedModes(4));
    panel.FillDisplayModeList();
    panel.FillDisplayModeList();
    EXPECT_EQ(list()->count(), 3);
}

TEST_F(DisplayPanelTest, IdenticalLookingEntriesEachSwitchByWidthHeightAndDepth) {
    auto& panel = makePanel(
        {mode(640, 480, 16), mode(800, 600, 16, 60), mode(800, 600, 16, 75), mode(1024, 768, 16)});
    panel.FillDisplayModeList();
    ASSERT_EQ(entries(list()),
              (std::vector<std::string>{"800x600x16", "800x600x16", "1024x768x16"}));

    for (int k : {0, 1}) {
        ui::selectItem(list(), k);
        panel.cmdSwitchDisplay_Click();
    }
    EXPECT_EQ(modes_->switches(), (std::vector<Switch>{{800, 600, 16}, {800, 600, 16}}));
    // Only width, height and depth are asked for; the rest of the record stays as filled.
    for (int slot : {1, 2}) {
        EXPECT_EQ(panel.displayModeList()[slot].dmFields, 0x001C0000u);
    }
    EXPECT_EQ(panel.displayModeList()[1].dmDisplayFrequency, 60u);
    EXPECT_EQ(panel.displayModeList()[2].dmDisplayFrequency, 75u);
    EXPECT_EQ(panel.displayModeList()[3].dmFields, mode(1, 1, 1).dmFields);
    EXPECT_TRUE(boxes_.shown().empty());
}

TEST_F(DisplayPanelTest, NothingSelectedSwitchesToTheFirstModeWhichIsNotListed) {
    auto& panel = makePanel({mode(320, 200, 8), mode(640, 480, 16), mode(800, 600, 16)});
    panel.FillDisplayModeList();
    ASSERT_EQ(ui::selectedIndex(list()), -1);

    frame().ui.cmdSwitchDisplay->click();

    EXPECT_EQ(modes_->switches(), (std::vector<Switch>{{320, 200, 8}}));
}

TEST_F(DisplayPanelTest, ASuccessfulSwitchShowsNothingAndChangesNothingOnTheFrame) {
    auto& panel = makePanel({mode(640, 480, 16), mode(640, 480, 16), mode(800, 600, 16)});
    panel.FillDisplayModeList();
    panel.SetCurrentResolution();
    ui::selectItem(list(), 1);

    frame().ui.cmdSwitchDisplay->click();

    EXPECT_EQ(modes_->switches(), (std::vector<Switch>{{800, 600, 16}}));
    EXPECT_TRUE(boxes_.shown().empty());
    EXPECT_EQ(entries(list()), (std::vector<std::string>{"640x480x16", "800x600x16"}));
    EXPECT_EQ(ui::selectedIndex(list()), 1);
    EXPECT_EQ(frame().ui.lblCurrentRes->text(), QStringLiteral("1024 x 768"));
    // Kept as the default mode, where Windows keeps it.
    EXPECT_EQ(storedDefault("Resolution"), "800,600");
    EXPECT_EQ(storedDefault("BitsPerPixel"), "16");
}

class RestartAnswer : public DisplayPanelTest,
                      public ::testing::WithParamInterface<MessageAnswer> {};

TEST_P(RestartAnswer, AsksForARebootWithOkAndCancelAndDoesNothingElse) {
    auto& panel = makePanel({mode(640, 480, 16), mode(800, 600, 16), mode(1024, 768, 32)});
    panel.FillDisplayModeList();
    ui::selectItem(list(), 0);
    modes_->answer(platform::DISP_CHANGE_RESTART);
    boxes_.answer(GetParam());

    frame().ui.cmdSwitchDisplay->click();

    EXPECT_EQ(boxes_.shown(),
              (std::vector<platform::MessageBox>{{"You must reboot for the change to take effect.",
                                                  "Tunexa", MessageButtons::OkCancel}}));
    EXPECT_EQ(modes_->switches().size(), 1u);
    EXPECT_EQ(ui::selectedIndex(list()), 0);
    EXPECT_EQ(list()->count(), 2);
    EXPECT_EQ(storedDefault("Resolution"), "800,600");
}

INSTANTIATE_TEST_SUITE_P(EitherButton, RestartAnswer,
                         ::testing::Values(MessageAnswer::Ok, MessageAnswer::Cancel));

class FailureAnswer : public DisplayPanelTest, public ::testing::WithParamInterface<int> {};

TEST_P(FailureAnswer, SaysTheChangeFailedAndKeepsNoDefault) {
    auto& panel = makePanel({mode(640, 480, 16), mode(800, 600, 16)});
    panel.FillDisplayModeList();
    ui::selectItem(list(), 0);
    modes_->answer(GetParam());
    boxes_.answer(MessageAnswer::Ok);

    frame().ui.cmdSwitchDisplay->click();

    EXPECT_EQ(boxes_.shown(), (std::vector<platform::MessageBox>{
                                  {"Error changing resolution!", "Tunexa", MessageButtons::Ok}}));
    EXPECT_FALSE(storedDefault("Resolution").has_value());
    EXPECT_FALSE(storedDefault("BitsPerPixel").has_value());
}

INSTANTIATE_TEST_SUITE_P(Codes, FailureAnswer,
                         ::testing::Values(platform::DISP_CHANGE_FAILED,
                                           platform::DISP_CHANGE_BADMODE, -5, 2));

TEST_F(DisplayPanelTest, ADefaultTheStoreRefusesIsReportedAsAFailedChange) {
    auto& panel = makePanel({mode(640, 480, 16), mode(800, 600, 16)});
    panel.FillDisplayModeList();
    ui::selectItem(list(), 0);
    store::useHive(store::Hive::open(dir_ / "registry.db", store::OpenMode::ReadOnly));
    boxes_.answer(MessageAnswer::Ok);

    frame().ui.cmdSwitchDisplay->click();

    EXPECT_EQ(modes_->switches(), (std::vector<Switch>{{800, 600, 16}}));
    EXPECT_EQ(boxes_.shown(), (std::vector<platform::MessageBox>{
                                  {"Error changing resolution!", "Tunexa", MessageButtons::Ok}}));
    EXPECT_FALSE(storedDefault("Resolution").has_value());
}

TEST_F(DisplayPanelTest, ARecordWithoutTheThreeFieldsIsRefusedAsBadFlags) {
    test::FakeDisplayModes modes;
    DisplayMode request = mode(800, 600, 16);
    request.dmFields = platform::DM_PELSWIDTH | platform::DM_PELSHEIGHT;
    EXPECT_EQ(modes.ChangeDisplayMode(request), platform::DISP_CHANGE_BADFLAGS);
    EXPECT_TRUE(modes.switches().empty());
}

TEST_F(DisplayPanelTest, NoModesLeaveTheListEmptyAndASwitchFails) {
    platform::NoDisplayModes none;
    system::DisplayPanel panel(frame(), boxes_, none, [] { return platform::ScreenExtent{}; });
    panel.FillDisplayModeList();
    EXPECT_EQ(list()->count(), 0);

    boxes_.answer(MessageAnswer::Ok);
    panel.cmdSwitchDisplay_Click();
    ASSERT_EQ(boxes_.shown().size(), 1u);
    EXPECT_EQ(boxes_.shown()[0].prompt, QStringLiteral("Error changing resolution!"));
}

TEST(SystemDisplayModes, OffscreenHasNoModes) {
    ASSERT_EQ(QGuiApplication::platformName(), QStringLiteral("offscreen"));
    const auto modes = platform::systemDisplayModes();
    DisplayMode filled;
    EXPECT_FALSE(modes->EnumerateDisplayMode(0, filled));
}

struct Extent {
    platform::ScreenExtent extent;
    const char* label;
};

class CurrentResolution : public DisplayPanelTest, public ::testing::WithParamInterface<Extent> {};

TEST_P(CurrentResolution, IsThePixelSizeAtNinetySixDotsPerInch) {
    auto& panel = makePanel({}, GetParam().extent);
    panel.SetCurrentResolution();
    EXPECT_EQ(frame().ui.lblCurrentRes->text(), QString::fromLatin1(GetParam().label));
}

INSTANTIATE_TEST_SUITE_P(Screens, CurrentResolution,
                         ::testing::Values(Extent{{1024, 768, 96, 96}, "1024 x 768"},
                                           Extent{{1024, 768, 120, 120}, "819.2 x 614.4"},
                                           Extent{{800, 600, 120, 120}, "640 x 480"},
                                           Extent{{1280, 1024, 144, 144}, "853.3333 x 682.6667"},
                                           Extent{{1920, 1080, 192, 192}, "960 x 540"},
                                           Extent{{0, 0, 96, 96}, "0 x 0"}));

TEST_F(DisplayPanelTest, TheDefaultExtentComesFromThePrimaryScreen) {
    const QScreen* screen = QGuiApplication::primaryScreen();
    ASSERT_NE(screen, nullptr);
    test::FakeDisplayModes modes;
    system::DisplayPanel panel(frame(), boxes_, modes);
    panel.SetCurrentResolution();
    // Whatever the pixel ratio, the label is the logical size at the screen's logical dpi.
    const auto expected = [](int size, double dpi) {
        return QString::number(static_cast<double>(static_cast<float>(size * 96.0 / dpi)), 'g', 7);
    };
    EXPECT_EQ(frame().ui.lblCurrentRes->text(),
              expected(screen->size().width(), screen->logicalDotsPerInchX()) +
                  QStringLiteral(" x ") +
                  expected(screen->size().height(), screen->logicalDotsPerInchY()));
}

}  // namespace
}  // namespace tunexa
