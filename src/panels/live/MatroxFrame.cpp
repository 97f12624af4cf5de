#include "panels/live/MatroxFrame.h"

namespace tunexa::panels {

MatroxFrame::MatroxFrame(QWidget* parent) : QWidget(parent) {
    ui.setupUi(this);
}

}  // namespace tunexa::panels
