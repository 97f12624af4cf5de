#include "app/FirstRun.h"

namespace tunexa::app {

FirstRun::FirstRun(QWidget* parent) : QWidget(parent) {
    ui.setupUi(this);
}

}  // namespace tunexa::app
