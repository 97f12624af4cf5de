#include "ui/WindowState.h"

namespace tunexa::ui {

WindowState windowState(const QWidget* window) {
    return window->isMinimized() ? WindowState::Minimised : WindowState::Normal;
}

void setWindowState(QWidget* window, WindowState state) {
    const auto current = window->windowState();
    window->setWindowState(state == WindowState::Minimised ? current | Qt::WindowMinimized
                                                           : current & ~Qt::WindowMinimized);
}

void showWindow(QWidget* window) {
    window->show();
}

void hideWindow(QWidget* window) {
    window->hide();
}

void bringToFront(QWidget* window) {
    window->raise();
    window->activateWindow();
}

void setTabOn(QTabWidget* tabs, int index, bool on) {
    tabs->setTabEnabled(index, on);
}

bool isTabOn(const QTabWidget* tabs, int index) {
    return tabs->isTabEnabled(index);
}

}  // namespace tunexa::ui
