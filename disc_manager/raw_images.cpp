#include "disc_manager/raw_images.h"

#include <QPainter>
#include <QPixmap>

namespace {

QPixmap Blank() {
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::transparent);
    return pixmap;
}

QIcon DiscImage() {
    QPixmap pixmap = Blank();
    QPainter p(&pixmap);
    p.setPen(Qt::black);
    p.setBrush(QColor(40, 40, 120));
    p.drawRect(1, 1, 13, 13);
    p.setBrush(QColor(200, 200, 200));
    p.drawRect(4, 1, 7, 4); // shutter
    p.setBrush(Qt::white);
    p.drawRect(3, 8, 9, 6); // label
    return QIcon(pixmap);
}

QIcon TrackImage() {
    QPixmap pixmap = Blank();
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(0, 100, 0), 2));
    p.drawEllipse(QRectF(2, 2, 12, 12));
    p.setPen(QPen(QColor(0, 100, 0), 1));
    p.drawEllipse(QRectF(6, 6, 4, 4));
    return QIcon(pixmap);
}

QIcon SectorImage() {
    QPixmap pixmap = Blank();
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::black);
    p.setBrush(QColor(200, 120, 0));
    p.drawPie(QRectF(1, 1, 14, 14), 45 * 16, 60 * 16);
    return QIcon(pixmap);
}

} // namespace

QList<QIcon> MakeRawImages() { return {DiscImage(), TrackImage(), SectorImage()}; }
