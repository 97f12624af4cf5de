#include "app/AppFont.h"

#include <QApplication>
#include <QFile>
#include <QFont>
#include <QFontDatabase>

namespace tunexa::app {

QString programFontFamily(const QString& tahomaFile) {
    const QString tahoma = QStringLiteral("Tahoma");
    if (QFontDatabase::families().contains(tahoma, Qt::CaseInsensitive)) {
        return tahoma;
    }
    if (QFile::exists(tahomaFile)) {
        const int id = QFontDatabase::addApplicationFont(tahomaFile);
        if (id >= 0 && !QFontDatabase::applicationFontFamilies(id).isEmpty()) {
            return QFontDatabase::applicationFontFamilies(id).first();
        }
    }
    return QStringLiteral("DejaVu Sans");
}

void applyProgramFont() {
    QFont font = QApplication::font();
    font.setFamily(programFontFamily());
    QApplication::setFont(font);
}

}  // namespace tunexa::app
