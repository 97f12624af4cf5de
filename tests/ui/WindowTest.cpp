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

TEST(WindowFramesTest, EveryFrameIsAnnouncedByItsOwnCaption) {
    app::Form1 form;
    for (QGroupBox* frame : form.findChildren<QGroupBox*>()) {
        EXPECT_EQ(
            QAccessible::queryAccessibleInterface(frame)->text(QAccessible::Name).toStdString(),
            frame->title().toStdString())
            << frame->objectName().toStdString();
    }
}

using TabAction = std::function<void(QTabWidget*)>;
TabAction click(int tab) {
    return [tab](QTabWidget* tabs) {
        QTest::mouseClick(tabs->tabBar(), Qt::LeftButton, {},
                          tabs->tabBar()->tabRect(tab).center());
    };
}
TabAction key(Qt::Key key, Qt::KeyboardModifiers modifiers = {}, bool onTabBar = false) {
    return [=](QTabWidget* tabs) {
        QTest::keyClick(onTabBar ? static_cast<QWidget*>(tabs->tabBar()) : tabs, key, modifiers);
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
    {"Ctrl+Tab", key(Qt::Key_Tab, Qt::ControlModifier), 3, 1},
    {"Ctrl+Shift+Tab", key(Qt::Key_Backtab, Qt::ControlModifier | Qt::ShiftModifier), 0, 1},
    {"Right on the tab bar", key(Qt::Key_Right, {}, true), 3, 1},
    {"Left on the tab bar", key(Qt::Key_Left, {}, true), 0, 1},
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
    test::ScriptedTextQuestions questions;
    app::Application program(
        app::PlatformServices{boxes, tray, pointer, modes, power, questions});
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
