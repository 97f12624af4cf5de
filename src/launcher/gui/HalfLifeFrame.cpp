#include "launcher/gui/HalfLifeFrame.h"

namespace tunexa::launcher {

HalfLifeFrame::HalfLifeFrame(QWidget* parent) : QWidget(parent) {
    ui.setupUi(this);
}

}  // namespace tunexa::launcher
