#include <QApplication>

#include "app/AppFont.h"
#include "app/Form1.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tunexa"));
    tunexa::app::applyProgramFont();

    tunexa::app::Form1 window;
    window.show();
    return QApplication::exec();
}
