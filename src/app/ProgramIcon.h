#pragma once

#include <QIcon>

namespace tunexa::app {

// The program's icon (window and tray): a graphics chip, painted at the sizes trays ask for.
QIcon programIcon();

}  // namespace tunexa::app
