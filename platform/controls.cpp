#include "platform/controls.h"

#include "platform/runtime.h"
#include "platform/twips.h"

#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QStyle>
#include <QtMath>

namespace platform {

// ----- Label -----

Label::Label(QWidget* parent, const QString& name) : Control(new QLabel(parent), name)
{
    label()->setTextFormat(Qt::PlainText);
}

Label::Label(QWidget* parent, const Label& element0, std::int16_t index)
    : Control(new QLabel(parent), element0.Name())
{
    copyCommonSettings(element0);
    QLabel* l = label();
    const QLabel* from = element0.label();
    l->setTextFormat(Qt::PlainText);
    l->setText(from->text());
    l->setAlignment(from->alignment());
    l->setFrameStyle(from->frameStyle());
    l->setLineWidth(from->lineWidth());
    l->setAutoFillBackground(from->autoFillBackground());
    l->setPalette(from->palette());
    setIndex(index);
    l->hide();
}

QLabel* Label::label() const { return static_cast<QLabel*>(widget()); }

QString Label::Caption() const { return widget() ? label()->text() : QString(); }

void Label::setCaption(const QString& caption)
{
    if (widget())
        label()->setText(caption);
}

void Label::setBackColor(const QColor& color)
{
    if (!widget())
        return;
    QPalette p = label()->palette();
    p.setColor(QPalette::Window, color);
    label()->setPalette(p);
    label()->setAutoFillBackground(true);
}

void Label::setBorder(bool fixedSingle)
{
    if (!widget())
        return;
    label()->setFrameStyle(fixedSingle ? (QFrame::Box | QFrame::Plain) : QFrame::NoFrame);
    label()->setLineWidth(1);
}

void Label::setAlignment(Qt::Alignment alignment)
{
    if (widget())
        label()->setAlignment(alignment);
}

void Label::setFont(const QFont& font)
{
    if (widget())
        label()->setFont(font);
}

// ----- Frame -----

Frame::Frame(QWidget* parent, const QString& name) : Control(new QFrame(parent), name)
{
    static_cast<QFrame*>(widget())->setFrameStyle(QFrame::NoFrame);
}

// ----- PictureBox -----

namespace {
// The picture of a picture box, one picture pixel per device pixel, at the top left; or, fitted, the
// whole picture scaled down smoothly to the surface's size in device pixels, in its middle.
class PictureSurface : public QWidget {
public:
    using QWidget::QWidget;
    QImage image; // at its own size, carrying the screen's device pixel ratio
    bool fitted = false;

protected:
    void paintEvent(QPaintEvent*) override
    {
        if (image.isNull())
            return;
        QPainter painter(this);
        if (!fitted)
            return painter.drawImage(QPointF(0, 0), image);
        const qreal ratio = image.devicePixelRatio();
        const QSize room(qFloor(width() * ratio), qFloor(height() * ratio));
        if (m_fitted.isNull() || m_fittedFor != room || m_fittedFrom != image.cacheKey()) {
            m_fitted = image.width() <= room.width() && image.height() <= room.height()
                           ? image
                           : image.scaled(room, Qt::KeepAspectRatio, Qt::SmoothTransformation);
            m_fitted.setDevicePixelRatio(ratio);
            m_fittedFor = room;
            m_fittedFrom = image.cacheKey();
        }
        const QSizeF shown = QSizeF(m_fitted.size()) / ratio;
        painter.drawImage(QPointF((width() - shown.width()) / 2, (height() - shown.height()) / 2), m_fitted);
    }

private:
    QImage m_fitted;
    QSize m_fittedFor;
    qint64 m_fittedFrom = 0;
};

// The widget behind a picture box: a frameless view of its picture, scrolled when the box is smaller.
class PictureBoxWidget : public QScrollArea {
public:
    explicit PictureBoxWidget(QWidget* parent) : QScrollArea(parent), surface(new PictureSurface)
    {
        setFrameStyle(QFrame::NoFrame);
        setFocusPolicy(Qt::StrongFocus);
        setWidget(surface);
        surface->resize(0, 0);
    }
    PictureSurface* surface;

protected:
    void keyPressEvent(QKeyEvent* event) override
    {
        // Across a picture that fits, Left and Right have nothing to scroll: they are the window's.
        if ((event->key() == Qt::Key_Left || event->key() == Qt::Key_Right) && horizontalScrollBar()->maximum() == 0)
            return event->ignore();
        const bool home = event->key() == Qt::Key_Home;
        if (!home && event->key() != Qt::Key_End)
            return QScrollArea::keyPressEvent(event);
        for (QScrollBar* bar : {horizontalScrollBar(), verticalScrollBar()})
            bar->setValue(home ? bar->minimum() : bar->maximum());
    }
    void mousePressEvent(QMouseEvent* event) override
    {
        if (event->button() != Qt::LeftButton)
            return QScrollArea::mousePressEvent(event);
        m_dragFrom = event->globalPosition().toPoint();
        m_dragging = true;
        viewport()->setCursor(Qt::ClosedHandCursor);
    }
    void mouseMoveEvent(QMouseEvent* event) override
    {
        if (!m_dragging)
            return QScrollArea::mouseMoveEvent(event);
        const QPoint to = event->globalPosition().toPoint();
        const QPoint moved = to - m_dragFrom;
        m_dragFrom = to;
        horizontalScrollBar()->setValue(horizontalScrollBar()->value() - moved.x());
        verticalScrollBar()->setValue(verticalScrollBar()->value() - moved.y());
    }
    void mouseReleaseEvent(QMouseEvent* event) override
    {
        if (!m_dragging || event->button() != Qt::LeftButton)
            return QScrollArea::mouseReleaseEvent(event);
        m_dragging = false;
        viewport()->unsetCursor();
    }

private:
    QPoint m_dragFrom;
    bool m_dragging = false;
};
} // namespace

PictureBox::PictureBox(QWidget* parent, const QString& name) : Control(new PictureBoxWidget(parent), name) {}

void PictureBox::setPicture(const Picture& picture)
{
    auto* w = static_cast<PictureBoxWidget*>(widget());
    if (!w)
        return;
    const qreal ratio = w->devicePixelRatioF();
    QImage image;
    if (!picture.isEmpty()) {
        const QSize box(qCeil(w->width() * ratio), qCeil(w->height() * ratio));
        image = AutoSize ? picture.full() : picture.scaled(box);
    }
    image.setDevicePixelRatio(ratio);
    const QSize logical(qCeil(image.width() / ratio), qCeil(image.height() / ratio));
    w->surface->image = image;
    if (!w->surface->fitted)
        w->surface->resize(logical);
    if (AutoSize && !image.isNull())
        w->resize(logical);
    w->surface->update();
}

void PictureBox::setFitted(bool fitted)
{
    auto* w = static_cast<PictureBoxWidget*>(widget());
    if (!w || w->surface->fitted == fitted)
        return;
    w->surface->fitted = fitted;
    const Qt::ScrollBarPolicy bars = fitted ? Qt::ScrollBarAlwaysOff : Qt::ScrollBarAsNeeded;
    w->setHorizontalScrollBarPolicy(bars);
    w->setVerticalScrollBarPolicy(bars);
    w->setWidgetResizable(fitted);
    if (!fitted) {
        const QImage& image = w->surface->image;
        const qreal ratio = image.isNull() ? 1.0 : image.devicePixelRatio();
        w->surface->resize(qCeil(image.width() / ratio), qCeil(image.height() / ratio));
    }
    w->surface->update();
}

bool PictureBox::Fitted() const
{
    return widget() && static_cast<PictureBoxWidget*>(widget())->surface->fitted;
}

const QImage& PictureBox::pictureImage() const
{
    static const QImage none;
    return widget() ? static_cast<PictureBoxWidget*>(widget())->surface->image : none;
}

QSizeF PictureBox::PictureSize() const
{
    const QImage& image = pictureImage();
    if (image.isNull())
        return {};
    const qreal ratio = image.devicePixelRatio();
    return {toTwips(qCeil(image.width() / ratio)), toTwips(qCeil(image.height() / ratio))};
}

float PictureBox::ScrollBarSize() const
{
    const QWidget* w = widget();
    return w ? toTwips(w->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, w)) : 0.0f;
}

// ----- CheckBox -----

CheckBox::CheckBox(QWidget* parent, const QString& name, const QString& caption)
    : Control(new QCheckBox(caption, parent), name)
{
}

std::int16_t CheckBox::Value() const
{
    return widget() && static_cast<QCheckBox*>(widget())->isChecked() ? 1 : 0;
}

void CheckBox::setValue(std::int16_t value)
{
    if (widget())
        static_cast<QCheckBox*>(widget())->setChecked(value == 1);
}

// ----- CommandButton -----

CommandButton::CommandButton(QWidget* parent, const QString& name, const QString& caption)
    : Control(new QPushButton(caption, parent), name)
{
    auto* b = static_cast<QPushButton*>(widget());
    b->setAutoDefault(false);
    b->setDefault(false);
}

QString CommandButton::Caption() const
{
    return widget() ? static_cast<QPushButton*>(widget())->text() : QString();
}

void CommandButton::setClickHandler(std::function<void()> handler)
{
    auto* b = static_cast<QPushButton*>(widget());
    QObject::connect(b, &QPushButton::clicked, b, [b, handler = std::move(handler)] { postHandler(b, handler); });
}

// ----- MenuItem -----

MenuItem::MenuItem(QMenuBar* bar, const QString& name, const QString& caption)
{
    m_owner = bar->window();
    m_menu = bar->addMenu(caption);
    m_menu->setObjectName(name);
    m_action = m_menu->menuAction();
    m_action->setObjectName(name);
}

MenuItem::MenuItem(MenuItem& title, const QString& name, const QString& caption)
{
    m_owner = title.m_owner;
    m_action = caption == QLatin1String("-") ? title.m_menu->addSeparator() : title.m_menu->addAction(caption);
    m_action->setObjectName(name);
}

QString MenuItem::Name() const { return m_action->objectName(); }
QString MenuItem::Caption() const { return m_action->isSeparator() ? QStringLiteral("-") : m_action->text(); }
bool MenuItem::Enabled() const { return m_action->isEnabled(); }
void MenuItem::setEnabled(bool enabled) { m_action->setEnabled(enabled); }
bool MenuItem::Visible() const { return m_action->isVisible(); }

void MenuItem::setClickHandler(std::function<void()> handler)
{
    // Delivered to the window whose menu bar holds the item, after the menu has closed.
    QObject* target = m_owner ? static_cast<QObject*>(m_owner.data()) : m_action;
    QObject::connect(m_action, &QAction::triggered, m_action,
                     [target, handler = std::move(handler)] { postHandler(target, handler); });
}

} // namespace platform
