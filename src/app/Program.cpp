#include "app/Program.h"

#include <QApplication>
#include <QTimer>

#include "app/AppFont.h"
#include "app/Application.h"
#include "platform/QtBusyPointer.h"
#include "platform/QtMessageBoxService.h"
#include "platform/QtPathChoices.h"
#include "platform/QtTextQuestions.h"
#include "platform/display/XRandrDisplayModes.h"
#include "platform/power/LogindPower.h"
#include "platform/tray/QtTrayIcon.h"

namespace tunexa::app {

int runProgram(int argc, char** argv, const std::function<void()>& whenIdle) {
    QApplication qtApp(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tunexa"));
    // The window may sit hidden in the tray: only the program's own unload ends it.
    QApplication::setQuitOnLastWindowClosed(false);
    applyProgramFont();

    platform::QtMessageBoxService messages;
    platform::QtTextQuestions questions;
    platform::QtPathChoices paths;
    platform::QtTrayIcon tray;
    platform::QtBusyPointer busyPointer;
    const auto displayModes = platform::systemDisplayModes();
    platform::LogindPower power;
    Application application(
        PlatformServices{messages, tray, busyPointer, *displayModes, power, questions, paths});
    QObject::connect(&application, &Application::ended, &qtApp, &QApplication::quit,
                     Qt::QueuedConnection);
    application.start();
    if (whenIdle) {
        QTimer::singleShot(0, &qtApp, whenIdle);
    }
    return QApplication::exec();
}

}  // namespace tunexa::app
