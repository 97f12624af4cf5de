// The display-mode list, the switch and the current-size label, on the real main window with a
// fake of the platform's display modes.

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <tuple>
#include <vector>

#include "FakePlatform.h"
#include "TempRoot.h"
#include "app/Form1.h"
#include "store/Registry.h"
#include "system/DisplayPanel.h"
#include "ui/ListBox.h"

namespace tunexa {
namespace {

using platform::MessageButtons;

// Entry k switches to mode k + 1 (nothing selected: the first mode, not listed) by width, height
// and depth alone; each result of the platform gives its box, and the frame stays as it was.
TEST(DisplayPanelTest, SwitchesToTheSelectedModeAndTellsWhatThePlatformAnswered) {
    const platform::MessageBox restart{"You must reboot for the change to take effect.", "Tunexa",
                                       MessageButtons::OkCancel};
    const platform::MessageBox failed{"Error changing resolution!", "Tunexa", MessageButtons::Ok};
    // The entry selected, the platform's answer, a read-only store, the boxes shown, the switch
    // asked for and the resolution stored.
    const std::tuple<int, int, bool, std::vector<platform::MessageBox>, std::string,
                     std::optional<std::string>>
        cases[] = {
            {-1, platform::DISP_CHANGE_SUCCESSFUL, false, {}, "320x200x8", "320,200"},
            {1, platform::DISP_CHANGE_RESTART, false, {restart}, "800x600x16", "800,600"},
            {0, platform::DISP_CHANGE_BADMODE, false, {failed}, "640x480x16", std::nullopt},
            {1, platform::DISP_CHANGE_SUCCESSFUL, true, {failed}, "800x600x16", std::nullopt},
        };
    test::TempDir dir;
    app::Form1 form;
    system::DisplayFrame* frame = form.findChild<system::DisplayFrame*>();
    QListWidget* list = frame->ui.lstMainRes;
    for (const auto& [selected, result, readOnlyStore, shownBoxes, switched, stored] : cases) {
        SCOPED_TRACE(std::to_string(selected) + " answered " + std::to_string(result));
        const auto hive = dir / (std::to_string(selected) + "-" + std::to_string(result) + ".db");
        store::useHiveFile(hive);
        // As filled: the three fields and the rate; the first is not listed.
        test::FakeDisplayModes modes({{320, 200, 8, 0x005C0000, 60},
                                      {640, 480, 16, 0x005C0000, 60},
                                      {800, 600, 16, 0x005C0000, 75}});
        test::ScriptedMessageBoxes boxes;
        system::DisplayPanel shown(*frame, boxes, modes, [] {
            return platform::ScreenExtent{1024, 768, 96, 96};
        });
        shown.FillDisplayModeList();
        shown.SetCurrentResolution();
        ui::selectItem(list, selected);
        modes.answer = result;
        if (readOnlyStore) {
            store::useHive(store::Hive::open(hive, store::OpenMode::ReadOnly));
        }
        for (const auto& box : shownBoxes) {
            boxes.answer(box.buttons == MessageButtons::Ok ? platform::MessageAnswer::Ok
                                                           : platform::MessageAnswer::Cancel);
        }
        frame->ui.cmdSwitchDisplay->click();
        EXPECT_EQ(modes.switches, std::vector{switched});
        EXPECT_EQ(boxes.shown(), shownBoxes);
        EXPECT_EQ(store::RegGetString(store::HKEY_LOCAL_MACHINE, "Config\\0001\\Display\\Settings",
                                      "Resolution"),
                  stored);
        const platform::DisplayMode& slot = shown.displayModeList()[selected + 1];
        EXPECT_EQ(std::pair(slot.dmFields, slot.dmDisplayFrequency),
                  std::pair(0x001C0000u, selected == 1 ? 75u : 60u));
        EXPECT_EQ(ui::selectedIndex(list), selected);
        EXPECT_EQ(list->count() == 2 ? list->item(0)->text() + "," + list->item(1)->text() : "",
                  "640x480x16,800x600x16");
        EXPECT_EQ(frame->ui.lblCurrentRes->text(), QStringLiteral("1024 x 768"));
    }
}

}  // namespace
}  // namespace tunexa
