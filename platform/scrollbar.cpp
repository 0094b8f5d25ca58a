#include "platform/scrollbar.h"

#include "platform/errors.h"
#include "platform/runtime.h"

#include <QCoreApplication>
#include <QPointer>
#include <QScrollBar>

namespace platform {

ScrollBar::ScrollBar(QWidget* parent, const QString& name) : Control(new QScrollBar(Qt::Vertical, parent), name)
{
    QScrollBar* b = bar();
    b->setRange(0, 0);
    b->setSingleStep(1);
    b->setPageStep(1);
    b->setTracking(false); // a drag reports its change when it ends
    QObject::connect(b, &QScrollBar::valueChanged, b, [this](int) { changed(); });
}

QScrollBar* ScrollBar::bar() const { return static_cast<QScrollBar*>(widget()); }

std::int16_t ScrollBar::Min() const { return widget() ? std::int16_t(bar()->minimum()) : 0; }
std::int16_t ScrollBar::Max() const { return widget() ? std::int16_t(bar()->maximum()) : 0; }
std::int16_t ScrollBar::Value() const { return widget() ? std::int16_t(bar()->value()) : 0; }

void ScrollBar::setMin(std::int16_t min)
{
    if (widget())
        assign([this, min] { bar()->setMinimum(min); });
}

void ScrollBar::setMax(std::int16_t max)
{
    if (widget())
        assign([this, max] { bar()->setMaximum(max); });
}

void ScrollBar::setValue(std::int16_t value)
{
    if (!widget())
        return;
    if (value < bar()->minimum() || value > bar()->maximum())
        raise(ErrInvalidPropertyValue);
    assign([this, value] { bar()->setValue(value); });
}

void ScrollBar::assign(const std::function<void()>& change)
{
    const int before = bar()->value();
    ++m_assigning;
    change();
    --m_assigning;
    // The change event runs after the scroll bar's own signals have returned, never inside them.
    if (bar()->value() != before && m_change)
        m_change();
}

void ScrollBar::setSmallChange(std::int16_t step)
{
    if (widget())
        bar()->setSingleStep(step);
}

void ScrollBar::setLargeChange(std::int16_t step)
{
    if (widget())
        bar()->setPageStep(step);
}

void ScrollBar::setTabStop(bool tabStop)
{
    if (widget())
        bar()->setFocusPolicy(tabStop ? Qt::StrongFocus : Qt::NoFocus);
}

void ScrollBar::userStep(Step step)
{
    if (!widget())
        return;
    switch (step) {
    case Step::SmallUp: bar()->triggerAction(QAbstractSlider::SliderSingleStepSub); break;
    case Step::SmallDown: bar()->triggerAction(QAbstractSlider::SliderSingleStepAdd); break;
    case Step::LargeUp: bar()->triggerAction(QAbstractSlider::SliderPageStepSub); break;
    case Step::LargeDown: bar()->triggerAction(QAbstractSlider::SliderPageStepAdd); break;
    case Step::First: bar()->triggerAction(QAbstractSlider::SliderToMinimum); break;
    case Step::Last: bar()->triggerAction(QAbstractSlider::SliderToMaximum); break;
    }
}

namespace {
// Hands the wheel events of the widget it watches to a scroll bar.
class WheelForwarder : public QObject {
public:
    WheelForwarder(QObject* watched, QScrollBar* bar) : QObject(watched), m_bar(bar) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() != QEvent::Wheel || !m_bar || !m_bar->isEnabled())
            return QObject::eventFilter(watched, event);
        QCoreApplication::sendEvent(m_bar, event);
        return true;
    }

private:
    QPointer<QScrollBar> m_bar;
};
} // namespace

void ScrollBar::takeWheelFrom(const Control& control)
{
    if (widget() && control.widget())
        control.widget()->installEventFilter(new WheelForwarder(control.widget(), bar()));
}

void ScrollBar::setChangeHandler(std::function<void()> handler) { m_change = std::move(handler); }

void ScrollBar::changed()
{
    if (m_change && m_assigning == 0)
        postHandler(widget(), m_change); // the user's change
}

} // namespace platform
