// Shows the current-size label as the program fills it on the screen Qt runs on, and prints it
// with the screen's pixel ratio ("819.2 x 614.4|1.25"), for tests on X servers of their own.
#include <QApplication>
#include <QScreen>

#include <cstdio>

#include "platform/QtMessageBoxService.h"
#include "platform/display/XRandrDisplayModes.h"
#include "system/DisplayPanel.h"

// The first argument is QT_ENABLE_HIGHDPI_SCALING; -platform xcb picks the X server in DISPLAY.
int main(int argc, char** argv) {
    qputenv("QT_ENABLE_HIGHDPI_SCALING", argc > 1 ? argv[1] : "1");
    QApplication app(argc, argv);
    tunexa::system::DisplayFrame frame;
    tunexa::platform::QtMessageBoxService messages;
    tunexa::platform::NoDisplayModes modes;
    tunexa::system::DisplayPanel panel(frame, messages, modes);
    panel.SetCurrentResolution();
    std::printf("%s|%g\n", qPrintable(frame.ui.lblCurrentRes->text()),
                QGuiApplication::primaryScreen()->devicePixelRatio());
    return 0;
}
