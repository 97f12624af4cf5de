// tunexa-icon SIZE FILE: writes the program's icon, painted at SIZE x SIZE pixels, as a PNG. The
// build renders the installed hicolor icons with it, so they match the window and tray icon.

#include <QImage>
#include <QString>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "app/ProgramIcon.h"

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: tunexa-icon SIZE FILE\n");
        return 2;
    }
    char* end = nullptr;
    const long size = std::strtol(argv[1], &end, 10);
    if (end == argv[1] || *end != '\0' || size < 1 || size > 4096) {
        std::fprintf(stderr, "tunexa-icon: size must be 1 to 4096 pixels, not \"%s\"\n", argv[1]);
        return 2;
    }
    const QImage image = tunexa::app::paintProgramIcon(static_cast<int>(size));
    if (!image.save(QString::fromLocal8Bit(argv[2]), "PNG")) {
        std::fprintf(stderr, "tunexa-icon: cannot write %s\n", argv[2]);
        return 1;
    }
    return 0;
}
