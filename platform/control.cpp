#include "platform/control.h"

#include "platform/runtime.h"
#include "platform/twips.h"

#include <QVariant>

namespace platform {

Control::Control(QWidget* widget, const QString& name) : m_widget(widget)
{
    widget->setObjectName(name);
}

QString Control::Name() const { return m_widget ? m_widget->objectName() : QString(); }

float Control::Left() const { return m_widget ? toTwips(m_widget->x()) : 0.0f; }
float Control::Top() const { return m_widget ? toTwips(m_widget->y()) : 0.0f; }
float Control::Width() const { return m_widget ? toTwips(m_widget->width()) : 0.0f; }
float Control::Height() const { return m_widget ? toTwips(m_widget->height()) : 0.0f; }

void Control::setLeft(float twips)
{
    if (m_widget)
        m_widget->move(toPixels(twips), m_widget->y());
}

void Control::setTop(float twips)
{
    if (m_widget)
        m_widget->move(m_widget->x(), toPixels(twips));
}

void Control::setWidth(float twips)
{
    if (m_widget)
        m_widget->resize(std::max(0, toPixels(twips)), m_widget->height());
}

void Control::setHeight(float twips)
{
    if (m_widget)
        m_widget->resize(m_widget->width(), std::max(0, toPixels(twips)));
}

void Control::Move(float left, float top, float width, float height)
{
    if (m_widget)
        m_widget->setGeometry(toPixels(left), toPixels(top), std::max(0, toPixels(width)),
                              std::max(0, toPixels(height)));
}

bool Control::Visible() const { return m_widget && !m_widget->isHidden(); }

void Control::setVisible(bool visible)
{
    if (m_widget)
        m_widget->setVisible(visible);
}

bool Control::Enabled() const { return m_widget && m_widget->isEnabled(); }

void Control::setEnabled(bool enabled)
{
    if (m_widget)
        m_widget->setEnabled(enabled);
}

void Control::Refresh()
{
    if (m_widget && m_widget->isVisible())
        m_widget->repaint();
}

std::int16_t Control::Index() const
{
    if (!m_widget)
        return -1;
    const QVariant v = m_widget->property("index");
    return v.isValid() ? static_cast<std::int16_t>(v.toInt()) : std::int16_t(-1);
}

void Control::setIndex(std::int16_t index)
{
    if (m_widget)
        m_widget->setProperty("index", int(index));
}

void Control::copyCommonSettings(const Control& from)
{
    if (!m_widget || !from.m_widget)
        return;
    m_widget->setGeometry(from.m_widget->geometry());
    m_widget->setEnabled(from.m_widget->isEnabled());
    m_widget->setFont(from.m_widget->font());
    m_widget->setFocusPolicy(from.m_widget->focusPolicy());
}

void Control::postEvent(const std::function<void()>& handler) const
{
    if (m_widget && handler)
        postHandler(m_widget, handler);
}

void setTabOrder(std::initializer_list<Control*> controls)
{
    QWidget* previous = nullptr;
    for (Control* c : controls) {
        if (previous && c->widget())
            QWidget::setTabOrder(previous, c->widget());
        previous = c->widget();
    }
}

} // namespace platform
