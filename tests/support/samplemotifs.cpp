#include "support/samplemotifs.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPolygonF>

namespace testsupport {

QImage landscape(int w, int h, QColor sky, QColor sun)
{
    QImage image(w, h, QImage::Format_RGB32);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient air(0, 0, 0, h);
    air.setColorAt(0, sky.darker(160));
    air.setColorAt(0.6, sky.lighter(130));
    p.fillRect(image.rect(), air);
    p.setPen(Qt::NoPen);
    p.setBrush(sun);
    p.drawEllipse(QPointF(w * 0.7, h * 0.3), h * 0.12, h * 0.12);
    p.setBrush(QColor(70, 90, 80));
    p.drawPolygon(QPolygonF({QPointF(0, h * 0.65), QPointF(w * 0.25, h * 0.3), QPointF(w * 0.45, h * 0.55),
                             QPointF(w * 0.7, h * 0.35), QPointF(w, h * 0.6), QPointF(w, h * 0.7),
                             QPointF(0, h * 0.7)}));
    p.setBrush(QColor(40, 90, 150));
    p.drawRect(QRectF(0, h * 0.7, w, h * 0.3));
    return image;
}

QImage rings(int w, int h)
{
    QImage image(w, h, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    for (int i = 8; i > 0; --i) {
        p.setBrush(QColor::fromHsv(i * 40 % 360, 200, 230));
        p.drawEllipse(QPointF(w / 2.0, h / 2.0), i * w / 18.0, i * h / 18.0);
    }
    return image;
}

QImage tiles(int w, int h, int side)
{
    QImage image(w, h, QImage::Format_RGB32);
    QPainter p(&image);
    for (int y = 0; y < h; y += side)
        for (int x = 0; x < w; x += side)
            p.fillRect(x, y, side, side, QColor::fromHsv((x + y) * 360 / (w + h), ((x / side + y / side) % 2) ? 90 : 220, 230));
    p.setPen(QPen(Qt::black, 3));
    p.drawLine(0, 0, w, h);
    return image;
}

QImage stripes(int w, int h)
{
    QImage image(w, h, QImage::Format_RGB32);
    QPainter p(&image);
    const int n = 7;
    for (int i = 0; i < n; ++i)
        p.fillRect(i * w / n, 0, w / n + 1, h, QColor::fromHsv(i * 360 / n, 255, 255));
    return image;
}

QImage ballFrame(int w, int h, int frame, int frames)
{
    QImage image(w, h, QImage::Format_RGB32);
    image.fill(QColor(230, 240, 255));
    QPainter p(&image);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(60, 160, 60));
    p.drawRect(0, h - h / 8, w, h / 8);
    const double t = double(frame) / frames;
    const double x = w * (0.1 + 0.8 * t), y = (h - h / 8) - h * 0.7 * 4 * t * (1 - t) - h / 10.0;
    p.setBrush(Qt::red);
    p.drawEllipse(QPointF(x, y), h / 10.0, h / 10.0);
    return image;
}

} // namespace testsupport
