#pragma once
// The image control: shows a picture stretched to its own size inside a fixed single border, and
// keeps only a copy of the picture at that size, in the screen's device pixels.

#include "platform/control.h"
#include "platform/pictures/picture.h"

#include <QFrame>
#include <QImage>

namespace platform {

// The widget behind an image control: paints its picture stretched and reports clicks.
class ImageWidget : public QFrame {
    Q_OBJECT
public:
    explicit ImageWidget(QWidget* parent);
    void setImage(const QImage& image);
    const QImage& image() const { return m_image; }
    void setSelected(bool selected);
    bool selected() const { return m_selected; }
    bool stretch = true;

signals:
    void clicked();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    QImage m_image;
    bool m_pressed = false;
    bool m_selected = false;
};

class Image : public Control {
public:
    Image(QWidget* parent, const QString& name);
    // A new element of a control array: element 0's settings and picture, hidden.
    Image(QWidget* parent, const Image& element0, std::int16_t index);

    // Decodes the picture at the control's inner size and shows it; the empty picture clears it.
    // Raises the picture's decode error (481) and leaves the control as it was.
    void setPicture(const Picture& picture);
    // Shows an already decoded picture (stretched when its size differs from pictureSize()).
    void setPictureImage(const QImage& image);
    bool hasPicture() const;
    // The size at which this control keeps its picture: its inner size in device pixels, so that on a
    // scaled screen the picture shows one of its pixels per pixel of the screen. The picture kept
    // carries the screen's device pixel ratio.
    QSize pictureSize() const;
    const QImage& pictureImage() const;

    void setBorder(bool fixedSingle);
    // The keyboard's selection: a frame drawn over the picture's edge, in two colours, so that it shows
    // on light and dark pictures alike.
    void setSelected(bool selected);
    bool Selected() const;
    void setClickHandler(std::function<void()> handler);

private:
    ImageWidget* imageWidget() const;
};

} // namespace platform
