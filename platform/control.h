#pragma once
// The base of every control: a Qt widget with the form runtime's properties in twips.

#include <QPointer>
#include <QString>
#include <QWidget>
#include <cstdint>
#include <functional>

namespace platform {

class Control {
public:
    // Wraps `widget` (owned by its Qt parent) and gives it its design name as objectName.
    Control(QWidget* widget, const QString& name);
    virtual ~Control() = default;
    Control(const Control&) = delete;
    Control& operator=(const Control&) = delete;

    QWidget* widget() const { return m_widget; }
    QString Name() const;

    // Place and size in twips, relative to the container (the form's inner area or a frame).
    float Left() const;
    float Top() const;
    float Width() const;
    float Height() const;
    void setLeft(float twips);
    void setTop(float twips);
    void setWidth(float twips);
    void setHeight(float twips);
    void Move(float left, float top, float width, float height);

    // The control's own Visible setting (a control in a hidden frame keeps its setting).
    bool Visible() const;
    void setVisible(bool visible);
    bool Enabled() const;
    void setEnabled(bool enabled);
    // Repaints the control at once.
    void Refresh();

    // The element's index in its control array, -1 for a single control.
    std::int16_t Index() const;
    void setIndex(std::int16_t index);

protected:
    // Copies the settings every control has (size, place, enabled) from element 0 of an array.
    void copyCommonSettings(const Control& from);
    // Delivers an event of the user to `handler` through the runtime (see postHandler).
    void postEvent(const std::function<void()>& handler) const;

private:
    QPointer<QWidget> m_widget;
};

// A window's controls take focus in this order (tab index 0 first).
void setTabOrder(std::initializer_list<Control*> controls);

} // namespace platform
