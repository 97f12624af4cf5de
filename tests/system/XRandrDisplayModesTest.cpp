// Display modes and the screen's size on real X servers started for the test: Xorg with the dummy
// video driver, which has several sizes and really switches, and Xvfb at 120 dpi.

#include <gtest/gtest.h>

#include <QProcess>
#include <QStandardPaths>

#include <unistd.h>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <tuple>

#include "FakePlatform.h"
#include "TempRoot.h"
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

std::optional<std::string> storedResolution() {
    return store::RegGetString(store::HKEY_LOCAL_MACHINE, "Config\\0001\\Display\\Settings",
                               "Resolution");
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
// 1.25 is not 1022 again); the label is the device pixels x 96 / 120, with and without scaling.
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
    for (const auto& [scaling, expected] :
         {std::pair{"1", "817.6 x 612.8|1.25"}, std::pair{"0", "817.6 x 612.8|1"}}) {
        QProcess probe;
        probe.start(QStringLiteral(SCREEN_EXTENT_PROBE), {scaling, "-platform", "xcb"});
        ASSERT_TRUE(probe.waitForFinished(30000));
        EXPECT_EQ(probe.readAllStandardOutput().trimmed().toStdString(), expected) << scaling;
    }
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
