#include "platform/QtBusyPointer.h"

#include <QCursor>
#include <QGuiApplication>

namespace tunexa::platform {

void QtBusyPointer::begin() {
    QGuiApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
}

void QtBusyPointer::end() {
    QGuiApplication::restoreOverrideCursor();
}

}  // namespace tunexa::platform
