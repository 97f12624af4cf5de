// Display modes over XRandR on real X servers started for the test: Xvfb, which has one screen
// size, and Xorg with the dummy video driver, which has several and really switches.

#include <gtest/gtest.h>

#include <QFile>
#include <QProcess>
#include <QStandardPaths>

#include <unistd.h>
#include <algorithm>
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
#include "system/DisplayFrame.h"
#include "system/DisplayPanel.h"
#include "ui/ListBox.h"

// Xlib's macros (Status, Bool, None) clash with Qt's headers: it comes last.
#include <X11/Xlib.h>
#include <X11/extensions/Xrandr.h>

namespace tunexa {
namespace {

using platform::DisplayMode;

// An X server of this test, on a display number it picks itself (-displayfd); DISPLAY points at
// it while it runs.
class XServer {
  public:
    // Null when the server did not come up.
    static std::unique_ptr<XServer> start(const QString& program, QStringList arguments) {
        auto server = std::unique_ptr<XServer>(new XServer);
        arguments << QStringLiteral("-displayfd") << QStringLiteral("1");
        server->process_.start(program, arguments);
        QByteArray number;
        while (!number.contains('\n') && server->process_.waitForReadyRead(20000)) {
            number += server->process_.readAllStandardOutput();
        }
        if (!number.contains('\n')) {
            return nullptr;
        }
        server->display_ = ":" + number.trimmed().toStdString();
        if (const char* outer = std::getenv("DISPLAY")) {
            server->outerDisplay_ = outer;
        }
        setenv("DISPLAY", server->display_.c_str(), 1);
        return server;
    }
    ~XServer() {
        process_.terminate();
        process_.waitForFinished(20000);
        if (outerDisplay_) {
            setenv("DISPLAY", outerDisplay_->c_str(), 1);
        } else {
            unsetenv("DISPLAY");
        }
    }

    const std::string& display() const { return display_; }

    // The screen's size now, as XRandR reports it to a fresh client.
    std::pair<int, int> currentSize() const {
        Display* x = XOpenDisplay(display_.c_str());
        if (x == nullptr) {
            return {0, 0};
        }
        XRRScreenConfiguration* config = XRRGetScreenInfo(x, DefaultRootWindow(x));
        Rotation rotation = 0;
        const SizeID current = XRRConfigCurrentConfiguration(config, &rotation);
        int count = 0;
        const XRRScreenSize* sizes = XRRConfigSizes(config, &count);
        const std::pair<int, int> size{sizes[current].width, sizes[current].height};
        XRRFreeScreenConfigInfo(config);
        XCloseDisplay(x);
        return size;
    }

  private:
    XServer() = default;
    QProcess process_;
    std::string display_;
    std::optional<std::string> outerDisplay_;
};

std::vector<DisplayMode> allModes(platform::DisplayModes& modes) {
    std::vector<DisplayMode> all;
    DisplayMode mode;
    for (int i = 0; modes.EnumerateDisplayMode(i, mode); ++i) {
        all.push_back(mode);
    }
    return all;
}

DisplayMode request(std::uint32_t width, std::uint32_t height, std::uint16_t bits) {
    DisplayMode mode;
    mode.dmPelsWidth = width;
    mode.dmPelsHeight = height;
    mode.dmBitsPerPel = bits;
    mode.dmFields = platform::DM_PELSWIDTH | platform::DM_PELSHEIGHT | platform::DM_BITSPERPEL;
    return mode;
}

std::optional<std::string> storedDefault(const char* name) {
    return store::RegGetString(store::HKEY_LOCAL_MACHINE, platform::kDisplaySettingsKey, name);
}

class XvfbDisplayModes : public ::testing::Test {
  protected:
    void SetUp() override {
        const QString xvfb = QStandardPaths::findExecutable(QStringLiteral("Xvfb"));
        if (xvfb.isEmpty()) {
            GTEST_SKIP() << "Xvfb is not installed";
        }
        store::useHiveFile(dir_ / "registry.db");
        server_ = XServer::start(
            xvfb, {QStringLiteral("-screen"), QStringLiteral("0"), QStringLiteral("1024x768x24"),
                   QStringLiteral("-nolisten"), QStringLiteral("tcp")});
        ASSERT_NE(server_, nullptr) << "Xvfb did not start";
    }

    test::TempDir dir_;
    std::unique_ptr<XServer> server_;
};

TEST_F(XvfbDisplayModes, ListsTheServersOneSizeAtItsPixelDepth) {
    platform::XRandrDisplayModes modes;
    ASSERT_TRUE(modes.connected());
    const auto all = allModes(modes);
    // The current mode first, then the server's one size once per refresh rate.
    ASSERT_GE(all.size(), 2u);
    for (const DisplayMode& mode : all) {
        EXPECT_EQ(system::DisplayPanel::modeEntryText(mode), QStringLiteral("1024x768x32"));
    }
    DisplayMode past;
    EXPECT_FALSE(modes.EnumerateDisplayMode(static_cast<int>(all.size()), past));
}

TEST_F(XvfbDisplayModes, TheFrameListsTheServersSize) {
    platform::XRandrDisplayModes modes;
    system::DisplayFrame frame;
    test::ScriptedMessageBoxes boxes;
    system::DisplayPanel panel(frame, boxes, modes);
    panel.FillDisplayModeList();
    ASSERT_GE(frame.ui.lstMainRes->count(), 1);
    for (int i = 0; i < frame.ui.lstMainRes->count(); ++i) {
        EXPECT_EQ(frame.ui.lstMainRes->item(i)->text(), QStringLiteral("1024x768x32"));
    }
}

TEST_F(XvfbDisplayModes, TheListedModeSwitchesAndIsKeptAsTheDefault) {
    platform::XRandrDisplayModes modes;
    EXPECT_EQ(modes.ChangeDisplayMode(request(1024, 768, 32)), platform::DISP_CHANGE_SUCCESSFUL);
    EXPECT_EQ(storedDefault("Resolution"), "1024,768");
    EXPECT_EQ(storedDefault("BitsPerPixel"), "32");
}

struct Refused {
    const char* name;
    DisplayMode mode;
    const char* why;
};

class XvfbRefusals : public XvfbDisplayModes, public ::testing::WithParamInterface<Refused> {};

TEST_P(XvfbRefusals, AreBadModesAndKeepNoDefault) {
    platform::XRandrDisplayModes modes;
    EXPECT_EQ(modes.ChangeDisplayMode(GetParam().mode), platform::DISP_CHANGE_BADMODE)
        << GetParam().why;
    EXPECT_FALSE(storedDefault("Resolution").has_value());
    EXPECT_EQ(server_->currentSize(), (std::pair{1024, 768}));
}

INSTANTIATE_TEST_SUITE_P(Requests, XvfbRefusals,
                         ::testing::Values(Refused{"OtherDepth", request(1024, 768, 16),
                                                   "the depth of a running screen is fixed"},
                                           Refused{"OtherSize", request(640, 480, 32),
                                                   "a size the server does not offer"}),
                         [](const auto& test) { return std::string(test.param.name); });

TEST(NoXServer, GivesNoModesAndEveryChangeFails) {
    const char* saved = std::getenv("DISPLAY");
    const std::string restore = saved == nullptr ? "" : saved;
    setenv("DISPLAY", ":32767", 1);
    platform::XRandrDisplayModes modes;
    EXPECT_FALSE(modes.connected());
    EXPECT_TRUE(allModes(modes).empty());
    EXPECT_EQ(modes.ChangeDisplayMode(request(640, 480, 32)), platform::DISP_CHANGE_FAILED);
    if (saved == nullptr) {
        unsetenv("DISPLAY");
    } else {
        setenv("DISPLAY", restore.c_str(), 1);
    }
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

class DummyXorgDisplayModes : public ::testing::Test {
  protected:
    void SetUp() override {
        const QString xorg = QStandardPaths::findExecutable(QStringLiteral("Xorg"));
        if (xorg.isEmpty() ||
            !std::filesystem::exists("/usr/lib/xorg/modules/drivers/dummy_drv.so")) {
            GTEST_SKIP() << "Xorg with the dummy video driver is not installed";
        }
        if (geteuid() != 0) {
            GTEST_SKIP() << "Xorg with a configuration file of its own needs root";
        }
        store::useHiveFile(dir_ / "registry.db");
        QFile config(QString::fromStdString((dir_ / "dummy.conf").string()));
        ASSERT_TRUE(config.open(QIODevice::WriteOnly));
        config.write(kDummyConfig);
        config.close();
        server_ = XServer::start(
            xorg, {QStringLiteral("-noreset"), QStringLiteral("-nolisten"), QStringLiteral("tcp"),
                   QStringLiteral("-config"), config.fileName(), QStringLiteral("-logfile"),
                   QString::fromStdString((dir_ / "xorg.log").string())});
        ASSERT_NE(server_, nullptr) << "Xorg did not start; see its log";
    }

    test::TempDir dir_;
    std::unique_ptr<XServer> server_;
};

TEST_F(DummyXorgDisplayModes, TheFrameListsTheServersModesAndASwitchChangesTheScreen) {
    platform::XRandrDisplayModes modes;
    ASSERT_TRUE(modes.connected());
    system::DisplayFrame frame;
    // No answers scripted: a successful switch shows no box.
    test::ScriptedMessageBoxes boxes;
    system::DisplayPanel panel(frame, boxes, modes);
    panel.FillDisplayModeList();

    QStringList entries;
    for (int i = 0; i < frame.ui.lstMainRes->count(); ++i) {
        entries << frame.ui.lstMainRes->item(i)->text();
    }
    for (const char* size : {"800x600x32", "640x480x32"}) {
        EXPECT_TRUE(entries.contains(QString::fromLatin1(size))) << entries.join(' ').toStdString();
    }

    for (const auto& [entry, size] : {std::pair{"800x600x32", std::pair{800, 600}},
                                      std::pair{"640x480x32", std::pair{640, 480}},
                                      std::pair{"1024x768x32", std::pair{1024, 768}}}) {
        ASSERT_TRUE(ui::selectText(frame.ui.lstMainRes, QString::fromLatin1(entry)));
        frame.ui.cmdSwitchDisplay->click();
        EXPECT_EQ(server_->currentSize(), size) << entry;
        EXPECT_EQ(storedDefault("Resolution"),
                  std::to_string(size.first) + "," + std::to_string(size.second));
    }
}

}  // namespace
}  // namespace tunexa
