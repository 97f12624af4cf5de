#include <gtest/gtest.h>

#include <QCursor>
#include <QGuiApplication>
#include <QWidget>

#include "FakeBusyPointer.h"
#include "platform/QtBusyPointer.h"
#include "ui/WindowState.h"

namespace tunexa::ui {
namespace {

TEST(WindowStateTest, MinimiseAndRestoreKeepVisibilitySeparate) {
    QWidget window;
    showWindow(&window);
    setWindowState(&window, WindowState::Minimised);
    EXPECT_EQ(windowState(&window), WindowState::Minimised);
    hideWindow(&window);
    EXPECT_FALSE(window.isVisible());
    EXPECT_EQ(windowState(&window), WindowState::Minimised);

    setWindowState(&window, WindowState::Normal);
    showWindow(&window);
    bringToFront(&window);
    EXPECT_EQ(windowState(&window), WindowState::Normal);
    EXPECT_TRUE(window.isVisible());
}

TEST(WindowStateTest, RestoringKeepsAMaximisedWindowMaximised) {
    QWidget window;
    window.setWindowState(Qt::WindowMaximized | Qt::WindowMinimized);
    setWindowState(&window, WindowState::Normal);
    EXPECT_EQ(window.windowState(), Qt::WindowMaximized);
}

TEST(BusyPointerTest, ScopeShowsThePointerUntilItEnds) {
    test::FakeBusyPointer pointer;
    {
        BusyPointerScope outer(pointer);
        EXPECT_EQ(pointer.depth(), 1);
        {
            BusyPointerScope inner(pointer);
            EXPECT_EQ(pointer.depth(), 2);
        }
        EXPECT_EQ(pointer.depth(), 1);
    }
    EXPECT_EQ(pointer.depth(), 0);
    EXPECT_EQ(pointer.timesShown(), 2);
}

TEST(BusyPointerTest, QtPointerIsTheWaitCursorOverTheApplication) {
    platform::QtBusyPointer pointer;
    ASSERT_EQ(QGuiApplication::overrideCursor(), nullptr);
    {
        BusyPointerScope scope(pointer);
        ASSERT_NE(QGuiApplication::overrideCursor(), nullptr);
        EXPECT_EQ(QGuiApplication::overrideCursor()->shape(), Qt::WaitCursor);
    }
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
}

}  // namespace
}  // namespace tunexa::ui
