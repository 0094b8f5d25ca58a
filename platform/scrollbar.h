#pragma once
// The vertical scroll bar: 16-bit Min, Max and Value, and a change event for every change of Value,
// whether the user or the program made it.

#include "platform/control.h"

class QScrollBar;

namespace platform {

class ScrollBar : public Control {
public:
    ScrollBar(QWidget* parent, const QString& name);

    std::int16_t Min() const;
    std::int16_t Max() const;
    std::int16_t Value() const;
    void setMin(std::int16_t min);
    // Lowering Max below Value moves Value to Max, with its change event.
    void setMax(std::int16_t max);
    // Raises the change event at once when Value changes; a value outside Min..Max raises error 380.
    void setValue(std::int16_t value);
    void setSmallChange(std::int16_t step);
    void setLargeChange(std::int16_t step);
    // Whether the bar takes part in the tab order.
    void setTabStop(bool tabStop);

    // Moves the bar as the user does with its arrows (a small change), its track (a large change) and
    // its ends; its change event follows as for the user's own changes. At the end a step goes
    // towards, nothing happens.
    enum class Step { SmallUp, SmallDown, LargeUp, LargeDown, First, Last };
    void userStep(Step step);
    // The mouse wheel over `control` (and the controls inside it) turns the bar as over the bar itself.
    void takeWheelFrom(const Control& control);

    // The change event. Changes made by the program run it at once, before the assignment returns;
    // the user's (arrows, track, wheel, keys, the end of a drag) run it after the scroll bar's own
    // event handling has returned. Either way it never runs inside a signal of the scroll bar.
    void setChangeHandler(std::function<void()> handler);

private:
    QScrollBar* bar() const;
    void changed();
    // Makes a change of the program's and raises the change event once if Value moved.
    void assign(const std::function<void()>& change);

    std::function<void()> m_change;
    int m_assigning = 0;
};

} // namespace platform
