#include "app/Form1.h"

#include <QCheckBox>
#include <QListWidget>

#include "ui/AnsiText.h"
#include "ui/CheckBox.h"
#include "ui/ListBox.h"

namespace tunexa::app {

namespace {}  // namespace

Form1::Form1(QWidget* parent) : QWidget(parent), popup_(this) {
    ui.setupUi(this);
}

QLabel* Form1::lblAboutTX(int index) const {
    if (index < 0 || index >= kAboutLabelCount) {
        return nullptr;
    }
    return control<QLabel>("lblAboutTX_" + std::to_string(index));
}

template <typename Widget>
Widget* Form1::control(std::string_view name) const {
    return findChild<Widget*>(QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size())));
}

std::string Form1::caption(std::string_view labelName) const {
    const auto* label = control<QLabel>(labelName);
    return label ? ui::toAnsi(label->text()) : std::string();
}

int Form1::checkValue(std::string_view checkBoxName) const {
    const auto* box = control<QCheckBox>(checkBoxName);
    return box ? ui::checkValue(box) : 0;
}

std::string Form1::selectedText(std::string_view listName) const {
    const auto* list = control<QListWidget>(listName);
    return list ? ui::toAnsi(ui::selectedText(list)) : std::string();
}

}  // namespace tunexa::app
