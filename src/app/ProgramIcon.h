#pragma once

#include <QIcon>
#include <QImage>

namespace tunexa::app {

// The program's icon (window and tray): a graphics chip, painted at the sizes trays ask for.
QIcon programIcon();

// The chip at one size, square, on a transparent background. Paints into an image, so it needs
// no platform plugin: the build's icon tool renders the installed PNGs with it.
QImage paintProgramIcon(int size);

}  // namespace tunexa::app
