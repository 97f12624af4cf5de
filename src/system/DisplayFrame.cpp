#include "system/DisplayFrame.h"

namespace tunexa::system {

DisplayFrame::DisplayFrame(QWidget* parent) : QWidget(parent) {
    ui.setupUi(this);
}

}  // namespace tunexa::system
