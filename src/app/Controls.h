#pragma once

// Reaching the window's controls by their names, as the start-up and card-selection steps
// address them.

#include <QCheckBox>
#include <QString>
#include <QWidget>

#include "ui/CheckBox.h"

namespace tunexa::app {

template <typename Widget = QWidget>
Widget* control(const QWidget* window, const char* name) {
    return window->findChild<Widget*>(QString::fromLatin1(name));
}

inline void setControlEnabled(const QWidget* window, const char* name, bool enabled) {
    if (auto* widget = control(window, name)) {
        widget->setEnabled(enabled);
    }
}

inline void setControlVisible(const QWidget* window, const char* name, bool visible) {
    if (auto* widget = control(window, name)) {
        widget->setVisible(visible);
    }
}

// Sets a check box from code: its click behaviour runs when the value changes.
inline void setControlCheck(const QWidget* window, const char* name, int value) {
    ui::setCheckValue(control<QCheckBox>(window, name), value);
}

inline int controlCheck(const QWidget* window, const char* name) {
    return ui::checkValue(control<QCheckBox>(window, name));
}

}  // namespace tunexa::app
