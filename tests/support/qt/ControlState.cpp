#include "ControlState.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLabel>
#include <QListWidget>
#include <QSlider>

#include "ui/CheckBox.h"
#include "ui/IndexedActionGroup.h"
#include "ui/ListBox.h"

namespace tunexa::test {

std::string controlState(const QObject& window, const std::string& name) {
    if (name.starts_with('!')) {
        const auto* widget = window.findChild<QWidget*>(QString::fromStdString(name.substr(1)));
        return widget == nullptr ? "missing" : widget->isEnabled() ? "enabled" : "disabled";
    }
    const QObject* object = window.findChild<QObject*>(QString::fromStdString(name));
    if (const auto* slider = qobject_cast<const QSlider*>(object)) {
        return std::to_string(slider->value());
    }
    if (const auto* box = qobject_cast<const QCheckBox*>(object)) {
        return std::to_string(ui::checkValue(box));
    }
    if (const auto* list = qobject_cast<const QListWidget*>(object)) {
        return ui::selectedText(list).toStdString();
    }
    if (const auto* label = qobject_cast<const QLabel*>(object)) {
        return label->text().toStdString();
    }
    if (const auto* group = qobject_cast<const ui::IndexedActionGroup*>(object)) {
        std::string checked;
        for (int i = 0; i < group->count(); ++i) {
            if (group->at(i)->isChecked()) {
                checked += (checked.empty() ? "" : ",") + std::to_string(i);
            }
        }
        return checked;
    }
    if (const auto* widget = qobject_cast<const QWidget*>(object)) {
        return widget->isEnabled() ? "enabled" : "disabled";
    }
    ADD_FAILURE() << "no control or tray group called " << name;
    return {};
}

void setControls(const QObject& window, const std::vector<const char*>& states) {
    for (const QString entry : states) {
        const QString value = entry.section('=', 1);
        QObject* control = window.findChild<QObject*>(entry.section('=', 0, 0));
        if (auto* slider = qobject_cast<QSlider*>(control)) {
            slider->setValue(value.toInt());
        } else if (auto* box = qobject_cast<QCheckBox*>(control)) {
            ui::setCheckValue(box, value.toInt());
        } else if (!entry.startsWith('!')) {
            auto* list = qobject_cast<QListWidget*>(control);
            EXPECT_TRUE(list != nullptr && ui::selectText(list, value)) << entry.toStdString();
        }
    }
}

std::vector<std::string> trayStates(const QObject& window) {
    std::vector<std::string> states;
    for (const auto* group : window.findChildren<ui::IndexedActionGroup*>()) {
        const std::string name = group->objectName().toStdString();
        states.push_back(name + "=" + controlState(window, name));
    }
    return states;
}

}  // namespace tunexa::test
