#include "platform/image.h"

#include "platform/runtime.h"

#include <QMouseEvent>
#include <QPainter>
#include <QtMath>

namespace platform {

ImageWidget::ImageWidget(QWidget* parent) : QFrame(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent, false);
}

void ImageWidget::setImage(const QImage& image)
{
    m_image = image;
    if (!m_image.isNull())
        m_image.setDevicePixelRatio(devicePixelRatioF());
    update();
}

void ImageWidget::setSelected(bool selected)
{
    if (selected == m_selected)
        return;
    m_selected = selected;
    update();
}

void ImageWidget::paintEvent(QPaintEvent* event)
{
    QFrame::paintEvent(event);
    QPainter painter(this);
    const QRect target = contentsRect();
    if (!m_image.isNull()) {
        if (stretch)
            painter.drawImage(QRectF(target), m_image);
        else
            painter.drawImage(QPointF(target.topLeft()), m_image);
    }
    if (m_selected) {
        // Three logical pixels of the highlight colour with a white pixel inside them: the frame reads on
        // dark and light pictures, and keeps its width in logical pixels on a scaled screen.
        const QColor highlight = palette().color(QPalette::Active, QPalette::Highlight);
        painter.setPen(QPen(highlight, 3, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(QRectF(target).adjusted(1.5, 1.5, -1.5, -1.5));
        painter.setPen(QPen(Qt::white, 1, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
        painter.drawRect(QRectF(target).adjusted(3.5, 3.5, -3.5, -3.5));
    }
}

void ImageWidget::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton)
        m_pressed = true;
    QFrame::mousePressEvent(event);
}

void ImageWidget::mouseReleaseEvent(QMouseEvent* event)
{
    const bool click = m_pressed && event->button() == Qt::LeftButton && rect().contains(event->position().toPoint());
    m_pressed = false;
    QFrame::mouseReleaseEvent(event);
    if (click)
        emit clicked();
}

Image::Image(QWidget* parent, const QString& name) : Control(new ImageWidget(parent), name)
{
    setBorder(false);
}

Image::Image(QWidget* parent, const Image& element0, std::int16_t index)
    : Control(new ImageWidget(parent), element0.Name())
{
    copyCommonSettings(element0);
    ImageWidget* w = imageWidget();
    const ImageWidget* from = element0.imageWidget();
    w->setFrameStyle(from->frameStyle());
    w->setLineWidth(from->lineWidth());
    w->stretch = from->stretch;
    w->setImage(from->image());
    w->setCursor(from->cursor());
    setIndex(index);
    w->hide();
}

ImageWidget* Image::imageWidget() const { return static_cast<ImageWidget*>(widget()); }

QSize Image::pictureSize() const
{
    if (!widget())
        return {};
    const QSize logical = imageWidget()->contentsRect().size();
    const qreal ratio = imageWidget()->devicePixelRatioF();
    return {qRound(logical.width() * ratio), qRound(logical.height() * ratio)};
}

void Image::setPicture(const Picture& picture)
{
    if (!widget())
        return;
    if (picture.isEmpty()) {
        imageWidget()->setImage(QImage());
        return;
    }
    const QSize size = pictureSize();
    imageWidget()->setImage(size.isEmpty() ? QImage() : picture.scaled(size));
}

void Image::setPictureImage(const QImage& image)
{
    if (widget())
        imageWidget()->setImage(image);
}

bool Image::hasPicture() const { return widget() && !imageWidget()->image().isNull(); }

const QImage& Image::pictureImage() const
{
    static const QImage none;
    return widget() ? imageWidget()->image() : none;
}

void Image::setBorder(bool fixedSingle)
{
    if (!widget())
        return;
    imageWidget()->setFrameStyle(fixedSingle ? (QFrame::Box | QFrame::Plain) : QFrame::NoFrame);
    imageWidget()->setLineWidth(1);
}

void Image::setSelected(bool selected)
{
    if (widget())
        imageWidget()->setSelected(selected);
}

bool Image::Selected() const { return widget() && imageWidget()->selected(); }

void Image::setClickHandler(std::function<void()> handler)
{
    if (!widget())
        return;
    ImageWidget* w = imageWidget();
    QObject::connect(w, &ImageWidget::clicked, w, [w, handler = std::move(handler)] { postHandler(w, handler); });
}

} // namespace platform
