// The same-forms baseline: the main window with every panel's frames and the popup menu, built as
// the program builds them and shown in the program's font, and nothing else: no store, no panel
// behaviour, no tray icon. The program against it is the cost of the program's own code.
#include <QApplication>
#include <QTimer>

#include "app/AppFont.h"
#include "app/Form1.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    tunexa::app::applyProgramFont();
    tunexa::app::Form1 form;
    form.show();
    QTimer::singleShot(0, &app, [] { QCoreApplication::exit(0); });
    return QApplication::exec();
}
