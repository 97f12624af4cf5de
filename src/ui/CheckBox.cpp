#include "ui/CheckBox.h"

namespace tunexa::ui {

int checkValue(const QCheckBox* box) {
    return box->isChecked() ? 1 : 0;
}

bool setCheckValue(QCheckBox* box, int value) {
    if (value != 0 && value != 1) {
        return false;
    }
    box->setChecked(value == 1);
    return true;
}

}  // namespace tunexa::ui
