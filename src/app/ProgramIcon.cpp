#include "app/ProgramIcon.h"

#include <QIconEngine>
#include <QPainter>
#include <QPixmap>

#include <algorithm>

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

namespace {

constexpr int kSizes[] = {16, 22, 24, 32, 48, 64, 128};

// Paints the chip when a size is asked for, and only that size: a start-up that shows no icon
// (no notification area, no window manager asking) paints none.
class ProgramIconEngine final : public QIconEngine {
  public:
    void paint(QPainter* painter, const QRect& rect, QIcon::Mode, QIcon::State) override {
        painter->drawImage(rect, paintProgramIcon(std::min(rect.width(), rect.height())));
    }
    QPixmap pixmap(const QSize& size, QIcon::Mode, QIcon::State) override {
        return QPixmap::fromImage(paintProgramIcon(std::min(size.width(), size.height())));
    }
    QList<QSize> availableSizes(QIcon::Mode, QIcon::State) override {
        QList<QSize> sizes;
        for (const int size : kSizes) {
            sizes.append(QSize(size, size));
        }
        return sizes;
    }
    QIconEngine* clone() const override { return new ProgramIconEngine; }
};

}  // namespace

QIcon programIcon() {
    return QIcon(new ProgramIconEngine);
}

}  // namespace tunexa::app
