#include "panels/banshee/BansheeFrame.h"

namespace tunexa::panels {

BansheeFrame::BansheeFrame(QWidget* parent) : QWidget(parent) {
    ui.setupUi(this);
}

}  // namespace tunexa::panels
