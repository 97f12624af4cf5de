#include "panels/voodoo2/Voodoo2Frame.h"

namespace tunexa::panels {

Voodoo2Frame::Voodoo2Frame(QWidget* parent) : QWidget(parent) {
    ui.setupUi(this);
}

}  // namespace tunexa::panels
