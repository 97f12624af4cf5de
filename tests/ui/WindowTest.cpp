// The window services on the program's own window: window state, tabs on and off, the tab-switch
// behaviour however the user switches, and what a screen reader announces for each frame.

#include <gtest/gtest.h>

#include <QAccessible>
#include <QAccessibleActionInterface>
#include <QGroupBox>
#include <QTabBar>
#include <QTest>

#include <functional>

#include "FakeBusyPointer.h"
#include "FakeDisplayModes.h"
#include "FakePower.h"
#include "ScriptedMessageBoxes.h"
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

TEST(WindowFramesTest, EveryFrameIsAnnouncedByItsOwnCaption) {
    app::Form1 form;
    for (QGroupBox* frame : form.findChildren<QGroupBox*>()) {
        EXPECT_EQ(
            QAccessible::queryAccessibleInterface(frame)->text(QAccessible::Name).toStdString(),
            frame->title().toStdString())
            << frame->objectName().toStdString();
    }
}

void clickTab(QTabWidget* tabs, int index) {
    QTest::mouseClick(tabs->tabBar(), Qt::LeftButton, {}, tabs->tabBar()->tabRect(index).center());
}

// Each from " 3Dfx" (2), with "   Riva TNT" (1) switched off.
struct TabSwitch {
    const char* way;
    std::function<void(QTabWidget*)> act;
    int tabAfter;
    int runs;
};

const TabSwitch kTabSwitches[] = {
    {"click on another tab", [](QTabWidget* t) { clickTab(t, 0); }, 0, 1},
    {"click on the current tab", [](QTabWidget* t) { clickTab(t, 2); }, 2, 1},
    {"click on the tab switched off", [](QTabWidget* t) { clickTab(t, 1); }, 2, 0},
    {"Ctrl+Tab", [](QTabWidget* t) { QTest::keyClick(t, Qt::Key_Tab, Qt::ControlModifier); }, 3, 1},
    {"Ctrl+Shift+Tab",
     [](QTabWidget* t) {
         QTest::keyClick(t, Qt::Key_Backtab, Qt::ControlModifier | Qt::ShiftModifier);
     },
     0, 1},
    {"Right on the tab bar", [](QTabWidget* t) { QTest::keyClick(t->tabBar(), Qt::Key_Right); }, 3,
     1},
    {"Left on the tab bar", [](QTabWidget* t) { QTest::keyClick(t->tabBar(), Qt::Key_Left); }, 0,
     1},
    {"accessibility press",
     [](QTabWidget* t) {
         QAccessible::queryAccessibleInterface(t->tabBar())
             ->child(3)
             ->actionInterface()
             ->doAction(QAccessibleActionInterface::pressAction());
     },
     3, 1},
    {"code", [](QTabWidget* t) { t->setCurrentIndex(0); }, 0, 1},
};

TEST(TabTest, EveryWaySwitchingTabsRunsTheTabClickOnceAndResetsTheVoodoo2Panel) {
    test::ScriptedMessageBoxes boxes;
    platform::QtTrayIcon tray;
    test::FakeBusyPointer pointer;
    test::FakeDisplayModes modes;
    test::FakePower power;
    app::Application program(app::PlatformServices{boxes, tray, pointer, modes, power});
    app::Form1& form = program.window();
    QTabWidget* tabs = form.ui.SSTab1;
    setTabOn(tabs, 1, false);
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    auto* direct3D = form.findChild<QWidget*>(QStringLiteral("frameV2D3D"));
    auto* glide = form.findChild<QWidget*>(QStringLiteral("frameV2Glide"));
    int runs = 0;
    onTabClick(tabs, &form, [&runs] { ++runs; });

    for (const TabSwitch& tabSwitch : kTabSwitches) {
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
    clickTab(tabs, 1);
    EXPECT_EQ(tabs->currentIndex(), 1);
}

}  // namespace
}  // namespace tunexa::ui
