// The window services on the program's own window: window state, tabs on and off, and the
// tab-switch behaviour however the user switches.

#include <gtest/gtest.h>

#include <QTabBar>
#include <QTest>

#include <functional>

#include "FakeBusyPointer.h"
#include "FakeDisplayModes.h"
#include "FakePower.h"
#include "ScriptedMessageBoxes.h"
#include "ScriptedTextQuestions.h"
#include "app/Application.h"
#include "platform/tray/QtTrayIcon.h"
#include "ui/WindowState.h"

namespace tunexa::ui {
namespace {

TEST(WindowStateTest, MinimisingAndHidingAreSeparateAndRestoringKeepsAMaximisedWindow) {
    QWidget window;
    showWindow(&window);
    setWindowState(&window, WindowState::Minimised);
    hideWindow(&window);
    EXPECT_EQ(windowState(&window), WindowState::Minimised);
    window.setWindowState(window.windowState() | Qt::WindowMaximized);
    setWindowState(&window, WindowState::Normal);
    EXPECT_EQ(window.windowState(), Qt::WindowMaximized);
    EXPECT_FALSE(window.isVisible());
}

using TabAction = std::function<void(QTabWidget*)>;
TabAction click(int tab) {
    return [tab](QTabWidget* tabs) {
        QTest::mouseClick(tabs->tabBar(), Qt::LeftButton, {},
                          tabs->tabBar()->tabRect(tab).center());
    };
}

// Each from " 3Dfx" (2), with "   Riva TNT" (1) switched off.
const struct {
    const char* way;
    TabAction act;
    int tabAfter;
    int runs;
} kTabSwitches[] = {
    {"click on another tab", click(0), 0, 1},
    {"click on the current tab", click(2), 2, 1},
    {"click on the tab switched off", click(1), 2, 0},
    {"Ctrl+Tab", [](QTabWidget* t) { QTest::keyClick(t, Qt::Key_Tab, Qt::ControlModifier); }, 3, 1},
};

TEST(TabTest, EveryWaySwitchingTabsRunsTheTabClickOnceAndResetsTheVoodoo2Panel) {
    test::ScriptedMessageBoxes boxes;
    platform::QtTrayIcon tray;
    test::FakeBusyPointer pointer;
    test::FakeDisplayModes modes;
    test::FakePower power;
    test::ScriptedTextQuestions questions;
    app::Application program(app::PlatformServices{boxes, tray, pointer, modes, power, questions});
    app::Form1& form = program.window();
    QTabWidget* tabs = form.ui.SSTab1;
    setTabOn(tabs, 1, false);
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    auto* direct3D = form.findChild<QWidget*>(QStringLiteral("frameV2D3D"));
    auto* glide = form.findChild<QWidget*>(QStringLiteral("frameV2Glide"));
    int runs = 0;
    onTabClick(tabs, &form, [&runs] { ++runs; });
    for (const auto& tabSwitch : kTabSwitches) {
        SCOPED_TRACE(tabSwitch.way);
        tabs->setCurrentIndex(2);
        glide->show();
        direct3D->hide();
        runs = 0;
        tabSwitch.act(tabs);
        EXPECT_EQ(tabs->currentIndex(), tabSwitch.tabAfter);
        EXPECT_EQ(runs, tabSwitch.runs);
        EXPECT_EQ(direct3D->isHidden(), tabSwitch.runs == 0);
        EXPECT_EQ(glide->isHidden(), tabSwitch.runs != 0);
    }
    setTabOn(tabs, 1, true);
    click(1)(tabs);
    EXPECT_EQ(tabs->currentIndex(), 1);
}

}  // namespace
}  // namespace tunexa::ui
