#include "app/ProgramIcon.h"

#include <QPainter>
#include <QPixmap>

namespace tunexa::app {

QImage paintProgramIcon(int size) {
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    const qreal unit = size / 16.0;
    // Pins on all four sides, then the package and its die.
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(0xB0, 0xB4, 0xBA));
    for (int i = 0; i < 4; ++i) {
        const qreal offset = (3.5 + 3.0 * i) * unit;
        painter.drawRect(QRectF(offset, 0.5 * unit, unit, 2 * unit));
        painter.drawRect(QRectF(offset, 13.5 * unit, unit, 2 * unit));
        painter.drawRect(QRectF(0.5 * unit, offset, 2 * unit, unit));
        painter.drawRect(QRectF(13.5 * unit, offset, 2 * unit, unit));
    }
    painter.setBrush(QColor(0x1F, 0x4E, 0x2C));
    painter.drawRoundedRect(QRectF(2 * unit, 2 * unit, 12 * unit, 12 * unit), unit, unit);
    painter.setBrush(QColor(0xE8, 0x6A, 0x1A));
    painter.drawRoundedRect(QRectF(5 * unit, 5 * unit, 6 * unit, 6 * unit), unit / 2, unit / 2);
    painter.end();
    return image;
}

QIcon programIcon() {
    QIcon icon;
    for (int size : {16, 22, 24, 32, 48, 64, 128}) {
        icon.addPixmap(QPixmap::fromImage(paintProgramIcon(size)));
    }
    return icon;
}

}  // namespace tunexa::app
