// Display modes and the screen's size on real X servers started for the test: Xvfb, which has one
// screen size, and Xorg with the dummy video driver, which has several and really switches.

#include <gtest/gtest.h>

#include <QFile>
#include <QProcess>
#include <QStandardPaths>

#include <unistd.h>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "ScriptedMessageBoxes.h"
#include "TempRoot.h"
#include "platform/display/DefaultDisplayMode.h"
#include "platform/display/XRandrDisplayModes.h"
#include "store/Registry.h"
#include "system/DisplayPanel.h"
#include "ui/ListBox.h"

// Xlib's macros (Status, Bool, None) clash with Qt's headers: it comes last.
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/extensions/Xrandr.h>

namespace tunexa {
namespace {

using platform::DisplayMode;

// An X server on a display number it picks itself; DISPLAY points at it while it runs.
class XServer {
  public:
    // Null when the server did not come up.
    static std::unique_ptr<XServer> start(const QString& program, QStringList arguments) {
        auto server = std::unique_ptr<XServer>(new XServer);
        server->process_.start(program, arguments << QStringLiteral("-displayfd") << "1");
        QByteArray number;
        while (!number.contains('\n') && server->process_.waitForReadyRead(20000)) {
            number += server->process_.readAllStandardOutput();
        }
        if (!number.contains('\n')) {
            return nullptr;
        }
        server->display_ = ":" + number.trimmed().toStdString();
        setenv("DISPLAY", server->display_.c_str(), 1);
        return server;
    }
    ~XServer() {
        process_.terminate();
        process_.waitForFinished(20000);
        unsetenv("DISPLAY");
    }

    const std::string& display() const { return display_; }

    // The screen's size now, as a fresh client sees it.
    std::pair<int, int> currentSize() const {
        Display* x = XOpenDisplay(display_.c_str());
        const std::pair size{DisplayWidth(x, 0), DisplayHeight(x, 0)};
        XCloseDisplay(x);
        return size;
    }

  private:
    XServer() = default;
    QProcess process_;
    std::string display_;
};

DisplayMode request(std::uint32_t width, std::uint32_t height, std::uint16_t bits) {
    DisplayMode mode;
    mode.dmPelsWidth = width;
    mode.dmPelsHeight = height;
    mode.dmBitsPerPel = bits;
    mode.dmFields = platform::DM_PELSWIDTH | platform::DM_PELSHEIGHT | platform::DM_BITSPERPEL;
    return mode;
}

std::optional<std::string> storedResolution() {
    return store::RegGetString(store::HKEY_LOCAL_MACHINE, platform::kDisplaySettingsKey,
                               "Resolution");
}

QStringList listedModes(platform::DisplayModes& modes) {
    system::DisplayFrame frame;
    test::ScriptedMessageBoxes boxes;
    system::DisplayPanel panel(frame, boxes, modes);
    panel.FillDisplayModeList();
    QStringList entries;
    for (int i = 0; i < frame.ui.lstMainRes->count(); ++i) {
        entries << frame.ui.lstMainRes->item(i)->text();
    }
    return entries;
}

class XvfbTest : public ::testing::Test {
  protected:
    void SetUp() override {
        const QString xvfb = QStandardPaths::findExecutable(QStringLiteral("Xvfb"));
        if (xvfb.isEmpty()) {
            GTEST_SKIP() << "Xvfb is not installed";
        }
        store::useHiveFile(dir_ / "registry.db");
        server_ = XServer::start(xvfb, {"-screen", "0", "1024x768x24", "-nolisten", "tcp"});
        ASSERT_NE(server_, nullptr) << "Xvfb did not start";
    }

    test::TempDir dir_;
    std::unique_ptr<XServer> server_;
};

TEST_F(XvfbTest, ListsTheOneSizeAtItsPixelDepthAndSwitchesOnlyToIt) {
    platform::XRandrDisplayModes modes;
    ASSERT_TRUE(modes.connected());
    const QStringList entries = listedModes(modes);
    ASSERT_FALSE(entries.isEmpty());
    EXPECT_EQ(entries.filter(QStringLiteral("1024x768x32")), entries);

    const struct {
        DisplayMode mode;
        int result;
        std::optional<std::string> stored;
    } switches[] = {
        {request(1024, 768, 16), platform::DISP_CHANGE_BADMODE, std::nullopt},
        {request(640, 480, 32), platform::DISP_CHANGE_BADMODE, std::nullopt},
        {request(1024, 768, 32), platform::DISP_CHANGE_SUCCESSFUL, "1024,768"},
    };
    for (const auto& s : switches) {
        EXPECT_EQ(modes.ChangeDisplayMode(s.mode), s.result) << s.mode.dmPelsWidth;
        EXPECT_EQ(storedResolution(), s.stored);
        EXPECT_EQ(server_->currentSize(), (std::pair{1024, 768}));
    }
}

// At 120 dpi (Xft.dpi) Qt scales by 1.25 and rounds the logical size (1024 -> 819); the label is
// the device pixels x 96 / 120, with and without Qt's scaling.
TEST_F(XvfbTest, TheCurrentSizeAt120DpiIsTheDevicePixelsScaledTo96Dpi) {
    // Set as xrdb does; the connection stays open, or the server would reset and drop it.
    const std::unique_ptr<Display, int (*)(Display*)> x(XOpenDisplay(server_->display().c_str()),
                                                        XCloseDisplay);
    const std::string resources = "Xft.dpi:\t120\n";
    XChangeProperty(x.get(), DefaultRootWindow(x.get()), XA_RESOURCE_MANAGER, XA_STRING, 8,
                    PropModeReplace, reinterpret_cast<const unsigned char*>(resources.data()),
                    static_cast<int>(resources.size()));
    XFlush(x.get());
    for (const auto& [scaling, expected] :
         {std::pair{"1", "819.2 x 614.4|1.25"}, std::pair{"0", "819.2 x 614.4|1"}}) {
        QProcess probe;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
        environment.insert(QStringLiteral("QT_ENABLE_HIGHDPI_SCALING"), scaling);
        probe.setProcessEnvironment(environment);
        probe.start(QStringLiteral(SCREEN_EXTENT_PROBE), {});
        ASSERT_TRUE(probe.waitForFinished(30000));
        EXPECT_EQ(probe.readAllStandardOutput().trimmed().toStdString(), expected) << scaling;
    }
}

TEST(NoXServerTest, GivesNoModesAndEveryChangeFails) {
    setenv("DISPLAY", ":32767", 1);
    platform::XRandrDisplayModes modes;
    EXPECT_TRUE(listedModes(modes).isEmpty());
    EXPECT_EQ(modes.ChangeDisplayMode(request(640, 480, 32)), platform::DISP_CHANGE_FAILED);
    unsetenv("DISPLAY");
}

// Xorg with the dummy driver: three sizes at depth 24, switchable. Needs the server, the driver
// and the right to run it (root).
constexpr const char* kDummyConfig = R"(Section "Device"
    Identifier "dummy"
    Driver "dummy"
    VideoRam 256000
EndSection
Section "Monitor"
    Identifier "monitor"
    HorizSync 5.0-1000.0
    VertRefresh 5.0-200.0
    Modeline "1024x768" 63.50 1024 1072 1176 1328 768 771 775 798 -hsync +vsync
    Modeline "800x600" 38.25 800 832 912 1024 600 603 607 624 -hsync +vsync
    Modeline "640x480" 23.75 640 664 720 800 480 483 487 500 -hsync +vsync
EndSection
Section "Screen"
    Identifier "screen"
    Device "dummy"
    Monitor "monitor"
    DefaultDepth 24
    SubSection "Display"
        Depth 24
        Modes "1024x768" "800x600" "640x480"
        Virtual 1024 768
    EndSubSection
EndSection
)";

TEST(DummyXorgTest, TheFrameListsTheServersModesAndASwitchChangesTheScreen) {
    const QString xorg = QStandardPaths::findExecutable(QStringLiteral("Xorg"));
    if (xorg.isEmpty() || !std::filesystem::exists("/usr/lib/xorg/modules/drivers/dummy_drv.so")) {
        GTEST_SKIP() << "Xorg with the dummy video driver is not installed";
    }
    if (geteuid() != 0) {
        GTEST_SKIP() << "Xorg with a configuration file of its own needs root";
    }
    test::TempDir dir;
    store::useHiveFile(dir / "registry.db");
    QFile config(QString::fromStdString((dir / "dummy.conf").string()));
    ASSERT_TRUE(config.open(QIODevice::WriteOnly));
    config.write(kDummyConfig);
    config.close();
    const auto server =
        XServer::start(xorg, {"-noreset", "-nolisten", "tcp", "-config", config.fileName(),
                              "-logfile", QString::fromStdString((dir / "xorg.log").string())});
    ASSERT_NE(server, nullptr) << "Xorg did not start; see its log";

    platform::XRandrDisplayModes modes;
    system::DisplayFrame frame;
    test::ScriptedMessageBoxes boxes;  // none scripted: a successful switch shows no box
    system::DisplayPanel panel(frame, boxes, modes);
    panel.FillDisplayModeList();
    for (const auto& [entry, size] : {std::pair{"800x600x32", std::pair{800, 600}},
                                      std::pair{"640x480x32", std::pair{640, 480}},
                                      std::pair{"1024x768x32", std::pair{1024, 768}}}) {
        ASSERT_TRUE(ui::selectText(frame.ui.lstMainRes, QString::fromLatin1(entry))) << entry;
        frame.ui.cmdSwitchDisplay->click();
        EXPECT_EQ(server->currentSize(), size) << entry;
        EXPECT_EQ(storedResolution(),
                  std::to_string(size.first) + "," + std::to_string(size.second));
    }
}

}  // namespace
}  // namespace tunexa
