#pragma once
// The simple controls of the forms: label, frame, picture box, check box, command button and menu.

#include "platform/control.h"
#include "platform/pictures/picture.h"

#include <QImage>
#include <QSizeF>

class QAction;
class QLabel;
class QMenu;
class QMenuBar;

namespace platform {

class Label : public Control {
public:
    Label(QWidget* parent, const QString& name);
    // A new element of a control array: element 0's settings and caption, hidden.
    Label(QWidget* parent, const Label& element0, std::int16_t index);

    QString Caption() const;
    void setCaption(const QString& caption);
    void setBackColor(const QColor& color);
    void setBorder(bool fixedSingle);
    void setAlignment(Qt::Alignment alignment);
    void setFont(const QFont& font);

private:
    QLabel* label() const;
};

// A frame: a container whose children are placed relative to it and shown only with it.
class Frame : public Control {
public:
    Frame(QWidget* parent, const QString& name);
    QWidget* container() const { return widget(); }
};

// A picture box; with auto-size on it takes the size of the picture put into it. A picture shows one
// of its pixels per device pixel, so on a scaled screen its size in logical pixels is its pixel size
// divided by the screen's ratio, rounded up. A box smaller than its picture shows scroll bars, and the
// user moves the picture with them, by dragging it, and with the arrow keys, Page Up/Down, Home (top
// left) and End (bottom right); Left and Right, when the picture fits across, are left to the window.
// Fitted, the box shows the whole picture instead, scaled down smoothly to fit it, in device pixels.
class PictureBox : public Control {
public:
    PictureBox(QWidget* parent, const QString& name);
    // Decodes the picture at its own size (auto-size) or at the box's size and shows it. Raises the
    // picture's decode error and leaves the box as it was.
    void setPicture(const Picture& picture);
    bool AutoSize = true;
    void setFitted(bool fitted);
    bool Fitted() const;
    // The picture at its own size, and that size in twips.
    const QImage& pictureImage() const;
    QSizeF PictureSize() const;
    // The thickness of the box's scroll bars, in twips.
    float ScrollBarSize() const;
};

class CheckBox : public Control {
public:
    CheckBox(QWidget* parent, const QString& name, const QString& caption);
    // 0 clear, 1 ticked.
    std::int16_t Value() const;
    void setValue(std::int16_t value);
};

class CommandButton : public Control {
public:
    CommandButton(QWidget* parent, const QString& name, const QString& caption);
    QString Caption() const;
    void setClickHandler(std::function<void()> handler);
};

// A menu title in a form's menu bar, or an item or separator under a title.
class MenuItem {
public:
    // A title in the menu bar.
    MenuItem(QMenuBar* bar, const QString& name, const QString& caption);
    // An item (or, with caption "-", a separator) at the end of `title`'s menu.
    MenuItem(MenuItem& title, const QString& name, const QString& caption);

    QString Name() const;
    QString Caption() const;
    bool Enabled() const;
    void setEnabled(bool enabled);
    bool Visible() const;
    QAction* action() const { return m_action; }
    QMenu* menu() const { return m_menu; }
    void setClickHandler(std::function<void()> handler);

private:
    QAction* m_action = nullptr;
    QMenu* m_menu = nullptr;
    QPointer<QWidget> m_owner;
};

} // namespace platform
