#include "panels/voodoo/VoodooFrame.h"

namespace tunexa::panels {

VoodooFrame::VoodooFrame(QWidget* parent) : QWidget(parent) {
    ui.setupUi(this);
}

}  // namespace tunexa::panels
