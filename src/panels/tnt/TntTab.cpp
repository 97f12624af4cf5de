#include "panels/tnt/TntTab.h"

namespace tunexa::panels {

TntTab::TntTab(QWidget* parent) : QWidget(parent) {
    ui.setupUi(this);
}

}  // namespace tunexa::panels
