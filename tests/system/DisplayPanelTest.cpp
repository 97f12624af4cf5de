// The display-mode list, the switch and the current-size label, on the real main window with a
// fake of the platform's display modes.

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "FakeDisplayModes.h"
#include "ScriptedMessageBoxes.h"
#include "TempRoot.h"
#include "app/Form1.h"
#include "platform/display/DefaultDisplayMode.h"
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
    return {width, height, bits, 0x005C0000, hertz};  // as filled: the three fields and the rate
}

QStringList entries(const QListWidget* list) {
    QStringList texts;
    for (int i = 0; i < list->count(); ++i) {
        texts << list->item(i)->text();
    }
    return texts;
}

class DisplayPanelTest : public ::testing::Test {
  protected:
    system::DisplayPanel& panel(std::vector<DisplayMode> modes,
                                platform::ScreenExtent extent = {1024, 768, 96, 96}) {
        modes_ = std::make_unique<test::FakeDisplayModes>(std::move(modes));
        panel_ = std::make_unique<system::DisplayPanel>(*frame_, boxes_, *modes_,
                                                        [extent] { return extent; });
        panel_->FillDisplayModeList();
        panel_->SetCurrentResolution();
        return *panel_;
    }

    test::TempDir dir_;
    app::Form1 form_;
    system::DisplayFrame* frame_ = form_.findChild<system::DisplayFrame*>();
    QListWidget* list_ = frame_->ui.lstMainRes;
    test::ScriptedMessageBoxes boxes_;
    std::unique_ptr<test::FakeDisplayModes> modes_;
    std::unique_ptr<system::DisplayPanel> panel_;
};

TEST_F(DisplayPanelTest, ListsEveryModeButTheFirstInASlotListGrowingByEight) {
    for (const auto& [count, slotCount] : {std::pair{0, 9}, {8, 9}, {9, 17}, {17, 25}}) {
        std::vector<DisplayMode> modes;
        QStringList expected;
        std::vector<int> asked{0, 1};  // until the first false, without gaps
        for (int i = 0; i < count; ++i) {
            modes.push_back(mode(640 + static_cast<std::uint32_t>(i), 480, 16));
            if (i > 0) {
                expected << QStringLiteral("%1x480x16").arg(640 + i);
            }
            asked.push_back(i + 2);
        }
        const auto& list = panel(modes).displayModeList();
        EXPECT_EQ(entries(list_), expected) << count;
        EXPECT_EQ(list.slotCount(), slotCount) << count;
        asked.resize(static_cast<std::size_t>(std::max(count, 1)) + 1);
        EXPECT_EQ(modes_->enumerated(), asked) << count;
    }
}

// Entry k switches to slot k + 1 (nothing selected: slot 0, a mode not listed) by width, height
// and depth alone; each result of the platform gives its box, and the frame stays as it was.
TEST_F(DisplayPanelTest, SwitchesToTheSelectedModeAndTellsWhatThePlatformAnswered) {
    const platform::MessageBox restart{"You must reboot for the change to take effect.", "Tunexa",
                                       MessageButtons::OkCancel};
    const platform::MessageBox failed{"Error changing resolution!", "Tunexa", MessageButtons::Ok};
    const struct {
        int selected;
        int result;
        bool readOnlyStore;
        std::vector<platform::MessageBox> boxes;
        Switch switched;
        std::optional<std::string> stored;
    } cases[] = {
        {1, platform::DISP_CHANGE_SUCCESSFUL, false, {}, {800, 600, 16}, "800,600"},
        {-1, platform::DISP_CHANGE_SUCCESSFUL, false, {}, {320, 200, 8}, "320,200"},
        {1, platform::DISP_CHANGE_RESTART, false, {restart}, {800, 600, 16}, "800,600"},
        {0, platform::DISP_CHANGE_BADMODE, false, {failed}, {640, 480, 16}, std::nullopt},
        {0, 2, false, {failed}, {640, 480, 16}, std::nullopt},
        {1, platform::DISP_CHANGE_SUCCESSFUL, true, {failed}, {800, 600, 16}, std::nullopt},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.selected) + " answered " + std::to_string(c.result));
        store::useHiveFile(dir_ / (std::to_string(&c - cases) + ".db"));
        auto& shown = panel({mode(320, 200, 8), mode(640, 480, 16), mode(800, 600, 16, 75)});
        ui::selectItem(list_, c.selected);
        modes_->answer(c.result);
        if (c.readOnlyStore) {
            store::useHive(store::Hive::open(dir_ / (std::to_string(&c - cases) + ".db"),
                                             store::OpenMode::ReadOnly));
        }
        boxes_ = test::ScriptedMessageBoxes();
        for (const auto& box : c.boxes) {
            boxes_.answer(box.buttons == MessageButtons::Ok ? MessageAnswer::Ok
                                                            : MessageAnswer::Cancel);
        }

        frame_->ui.cmdSwitchDisplay->click();

        EXPECT_EQ(modes_->switches(), std::vector{c.switched});
        EXPECT_EQ(boxes_.shown(), c.boxes);
        EXPECT_EQ(store::RegGetString(store::HKEY_LOCAL_MACHINE, platform::kDisplaySettingsKey,
                                      "Resolution"),
                  c.stored);
        const DisplayMode& slot = shown.displayModeList()[c.selected + 1];
        EXPECT_EQ(slot.dmFields, 0x001C0000u);
        EXPECT_EQ(slot.dmDisplayFrequency, c.selected == 1 ? 75u : 60u);
        EXPECT_EQ(entries(list_), (QStringList{"640x480x16", "800x600x16"}));
        EXPECT_EQ(ui::selectedIndex(list_), c.selected);
        EXPECT_EQ(frame_->ui.lblCurrentRes->text(), QStringLiteral("1024 x 768"));
    }
}

// Pixels x 96 / dpi, in single precision without trailing zeros.
TEST_F(DisplayPanelTest, TheCurrentSizeIsThePixelSizeAtNinetySixDotsPerInch) {
    for (const auto& [extent, label] :
         {std::pair<platform::ScreenExtent, const char*>{{1024, 768, 96, 96}, "1024 x 768"},
          {{1024, 768, 120, 120}, "819.2 x 614.4"},
          {{800, 600, 120, 120}, "640 x 480"},
          {{1280, 1024, 144, 144}, "853.3333 x 682.6667"},
          {{0, 0, 96, 96}, "0 x 0"}}) {
        panel({}, extent);
        EXPECT_EQ(frame_->ui.lblCurrentRes->text().toStdString(), label);
    }
}

}  // namespace
}  // namespace tunexa
