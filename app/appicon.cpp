#include "app/appicon.h"

#include <QPainter>
#include <QPainterPath>

namespace app {

namespace {
// The sixteen colours of the classic desktop palette.
QList<QRgb> sixteenColours()
{
    return {qRgb(0, 0, 0),       qRgb(128, 0, 0),   qRgb(0, 128, 0),   qRgb(128, 128, 0),
            qRgb(0, 0, 128),     qRgb(128, 0, 128), qRgb(0, 128, 128), qRgb(192, 192, 192),
            qRgb(128, 128, 128), qRgb(255, 0, 0),   qRgb(0, 255, 0),   qRgb(255, 255, 0),
            qRgb(0, 0, 255),     qRgb(255, 0, 255), qRgb(0, 255, 255), qRgb(255, 255, 255)};
}
} // namespace

QImage appIconImage(int size)
{
    // A mounted photo: white mount, sky, sun and two hills.
    QImage image(size, size, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter p(&image);
    const qreal s = size / 32.0;
    p.scale(s, s);
    p.setPen(QPen(QColor(0, 0, 0), 1.0));
    p.setBrush(QColor(255, 255, 255));
    p.drawRect(QRectF(1.5, 4.5, 29, 23));
    const QRectF photo(4, 7, 24, 18);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0, 255, 255));
    p.drawRect(photo);
    p.setBrush(QColor(255, 255, 0));
    p.drawEllipse(QPointF(22, 11.5), 3, 3);
    QPainterPath hills;
    hills.moveTo(4, 25);
    hills.lineTo(4, 20);
    hills.lineTo(11, 13);
    hills.lineTo(17, 19);
    hills.lineTo(20, 16);
    hills.lineTo(28, 23);
    hills.lineTo(28, 25);
    hills.closeSubpath();
    p.setBrush(QColor(0, 128, 0));
    p.drawPath(hills);
    p.end();

    // Down to the sixteen colours, keeping the transparent outside.
    QImage indexed = image.convertToFormat(QImage::Format_Indexed8, sixteenColours() << qRgba(0, 0, 0, 0),
                                           Qt::ThresholdDither | Qt::AvoidDither);
    return indexed.convertToFormat(QImage::Format_ARGB32);
}

QIcon appIcon()
{
    QIcon icon;
    icon.addPixmap(QPixmap::fromImage(appIconImage(32)));
    icon.addPixmap(QPixmap::fromImage(appIconImage(16)));
    return icon;
}

} // namespace app
