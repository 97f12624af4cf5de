// Display modes: the list, the switch and the current-size label on the real main window with a
// fake of the platform's display modes; then on real X servers started for the test: Xorg with the
// dummy video driver, which has several sizes and really switches, and Xvfb at 120 dpi.

#include <gtest/gtest.h>

#include <QProcess>
#include <QStandardPaths>

#include <unistd.h>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <tuple>
#include <vector>

#include "FakePlatform.h"
#include "TempRoot.h"
#include "app/Form1.h"
#include "platform/display/XRandrDisplayModes.h"
#include "store/Registry.h"
#include "system/DefaultDisplayMode.h"
#include "system/DisplayPanel.h"
#include "ui/ListBox.h"

// Xlib's macros (Status, Bool, None) clash with Qt's headers: it comes last.
#include <X11/Xatom.h>
#include <X11/Xlib.h>

namespace tunexa {
namespace {

using platform::MessageButtons;

// The resolution stored as Windows keeps the display's default.
std::optional<std::string> storedResolution() {
    return store::RegGetString(store::HKEY_LOCAL_MACHINE, "Config\\0001\\Display\\Settings",
                               "Resolution");
}

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
        EXPECT_EQ(storedResolution(), stored);
        const platform::DisplayMode& slot = shown.displayModeList()[selected + 1];
        EXPECT_EQ(std::pair(slot.dmFields, slot.dmDisplayFrequency),
                  std::pair(0x001C0000u, selected == 1 ? 75u : 60u));
        EXPECT_EQ(ui::selectedIndex(list), selected);
        EXPECT_EQ(list->count() == 2 ? list->item(0)->text() + "," + list->item(1)->text() : "",
                  "640x480x16,800x600x16");
        EXPECT_EQ(frame->ui.lblCurrentRes->text(), QStringLiteral("1024 x 768"));
    }
}

// An X server on a display number it picks itself; DISPLAY points at it while it runs.
struct XServer {
    XServer(const QString& program, const QStringList& arguments) {
        process.start(program, arguments + QStringList{"-nolisten", "tcp", "-displayfd", "1"});
        QByteArray number;
        while (!number.contains('\n') && process.waitForReadyRead(20000)) {
            number += process.readAllStandardOutput();
        }
        display = number.contains('\n') ? ":" + number.trimmed().toStdString() : "";
        qputenv("DISPLAY", display.c_str());
    }
    ~XServer() {
        process.terminate();
        process.waitForFinished(20000);
        outer.isNull() ? qunsetenv("DISPLAY") : qputenv("DISPLAY", outer);
    }
    // The screen's size now, as a fresh client sees it.
    std::pair<int, int> currentSize() const {
        Display* x = XOpenDisplay(display.c_str());
        const std::pair size{DisplayWidth(x, 0), DisplayHeight(x, 0)};
        XCloseDisplay(x);
        return size;
    }

    QByteArray outer = qgetenv("DISPLAY");
    QProcess process;
    std::string display;  // empty when the server did not come up
};

platform::DisplayMode request(std::uint32_t width, std::uint32_t height, std::uint16_t bits) {
    return {width, height, bits,
            platform::DM_PELSWIDTH | platform::DM_PELSHEIGHT | platform::DM_BITSPERPEL};
}

// The modes come from the server, the current one first; a switch really changes the screen and
// is kept as the default; another depth or a size the server lacks is a bad mode.
TEST(XRandrTest, DummyXorgListsItsModesAndSwitchesTheScreen) {
    const QString xorg = QStandardPaths::findExecutable(QStringLiteral("Xorg"));
    if (xorg.isEmpty() || !std::filesystem::exists("/usr/lib/xorg/modules/drivers/dummy_drv.so")) {
        GTEST_SKIP() << "Xorg with the dummy video driver is not installed";
    }
    if (geteuid() != 0) {
        GTEST_SKIP() << "Xorg with a configuration file of its own needs root";
    }
    test::TempDir dir;
    store::useHiveFile(dir / "registry.db");
    const XServer server(xorg, {"-noreset", "-config", DUMMY_XORG_CONF, "-logfile",
                                QString::fromStdString((dir / "xorg.log").string())});
    ASSERT_FALSE(server.display.empty()) << "Xorg did not start; see its log";

    platform::XRandrDisplayModes modes;
    system::DisplayFrame frame;
    test::ScriptedMessageBoxes boxes;  // none scripted: a successful switch shows no box
    system::DisplayPanel panel(frame, boxes, modes);
    panel.FillDisplayModeList();
    for (const auto& [entry, size] : {std::pair{"640x480x32", std::pair{640, 480}},
                                      std::pair{"1024x768x32", std::pair{1024, 768}}}) {
        ASSERT_TRUE(ui::selectText(frame.ui.lstMainRes, QString::fromLatin1(entry))) << entry;
        frame.ui.cmdSwitchDisplay->click();
        EXPECT_EQ(server.currentSize(), size);
        EXPECT_EQ(storedResolution(),
                  std::to_string(size.first) + "," + std::to_string(size.second));
    }

    const std::tuple<platform::DisplayMode, int, std::pair<int, int>> switches[] = {
        {request(800, 600, 32), platform::DISP_CHANGE_SUCCESSFUL, {800, 600}},
        {request(1024, 768, 16), platform::DISP_CHANGE_BADMODE, {800, 600}},
        {request(1600, 1200, 32), platform::DISP_CHANGE_BADMODE, {800, 600}},
        {request(1024, 768, 32), platform::DISP_CHANGE_SUCCESSFUL, {1024, 768}},
    };
    for (const auto& [mode, result, size] : switches) {
        EXPECT_EQ(system::changeDisplayModeAsDefault(modes, mode), result) << mode.dmPelsWidth;
        EXPECT_EQ(server.currentSize(), size) << mode.dmPelsWidth;
    }
    EXPECT_EQ(storedResolution(), "1024,768");
}

// At 120 dpi (Xft.dpi) Qt scales by 1.25 and rounds the logical size (1022 -> 818, which times
// 1.25 is not 1022 again); the label is the device pixels x 96 / 120.
TEST(XRandrTest, TheCurrentSizeAt120DpiIsTheDevicePixelsScaledTo96Dpi) {
    const QString xvfb = QStandardPaths::findExecutable(QStringLiteral("Xvfb"));
    ASSERT_FALSE(xvfb.isEmpty()) << "Xvfb is not installed";
    const XServer server(xvfb, {"-screen", "0", "1022x766x24"});
    ASSERT_FALSE(server.display.empty()) << "Xvfb did not start";
    // Set as xrdb does; the connection stays open, or the server would reset and drop it.
    const std::unique_ptr<Display, int (*)(Display*)> x(XOpenDisplay(server.display.c_str()),
                                                        XCloseDisplay);
    const std::string resources = "Xft.dpi:\t120\n";
    XChangeProperty(x.get(), DefaultRootWindow(x.get()), XA_RESOURCE_MANAGER, XA_STRING, 8,
                    PropModeReplace, reinterpret_cast<const unsigned char*>(resources.data()),
                    static_cast<int>(resources.size()));
    XFlush(x.get());
    QProcess probe;
    probe.start(QStringLiteral(SCREEN_EXTENT_PROBE), {"1", "-platform", "xcb"});
    ASSERT_TRUE(probe.waitForFinished(30000));
    EXPECT_EQ(probe.readAllStandardOutput().trimmed().toStdString(), "817.6 x 612.8|1.25");
}

TEST(XRandrTest, WithoutAnXServerThereAreNoModesAndEveryChangeFails) {
    qputenv("DISPLAY", ":32767");
    platform::XRandrDisplayModes modes;
    platform::DisplayMode mode;
    EXPECT_FALSE(modes.EnumerateDisplayMode(0, mode));
    EXPECT_EQ(modes.ChangeDisplayMode(request(640, 480, 32)), platform::DISP_CHANGE_FAILED);
    qunsetenv("DISPLAY");
}

}  // namespace
}  // namespace tunexa
