#pragma once

// Window, tab and busy-pointer services on Qt widgets.

#include <QTabWidget>
#include <QWidget>

#include "platform/BusyPointer.h"

namespace tunexa::ui {

enum class WindowState { Normal, Minimised };

WindowState windowState(const QWidget* window);
// Normal restores a minimised window (a maximised one stays maximised); Minimised minimises it.
// Visibility is separate: see showWindow / hideWindow.
void setWindowState(QWidget* window, WindowState state);
void showWindow(QWidget* window);
void hideWindow(QWidget* window);
// Raises the window and asks the window system to give it the focus.
void bringToFront(QWidget* window);

// Switching a tab off greys its caption and makes it unselectable (QTabWidget::setTabEnabled);
// the tab keeps its place so the indexes of the others do not move. Switching off the current
// tab leaves Qt to pick the next enabled one.
void setTabOn(QTabWidget* tabs, int index, bool on);
bool isTabOn(const QTabWidget* tabs, int index);

// Connects `handler` (no arguments) as the tab control's click: it runs once for every change of
// the current tab, however it comes (mouse, Ctrl+Tab, arrow keys on the tab bar, accessibility,
// code), and once for a click on the tab that is already current, which changes nothing.
// `context` ends the connection when destroyed.
template <typename Handler>
void onTabClick(QTabWidget* tabs, const QObject* context, Handler handler) {
    QObject::connect(tabs, &QTabWidget::currentChanged, context, [handler](int) { handler(); });
    // A press reports its tab before the tab bar switches to it, so only a press on the current
    // tab is told apart here; a press on another tab comes as the change.
    QObject::connect(tabs, &QTabWidget::tabBarClicked, context, [tabs, handler](int index) {
        if (index >= 0 && index == tabs->currentIndex()) {
            handler();
        }
    });
}

// Shows the busy pointer for the lifetime of the scope.
class BusyPointerScope {
  public:
    explicit BusyPointerScope(platform::BusyPointer& pointer) : pointer_(pointer) {
        pointer_.begin();
    }
    ~BusyPointerScope() { pointer_.end(); }
    BusyPointerScope(const BusyPointerScope&) = delete;
    BusyPointerScope& operator=(const BusyPointerScope&) = delete;

  private:
    platform::BusyPointer& pointer_;
};

}  // namespace tunexa::ui
