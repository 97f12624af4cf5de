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
