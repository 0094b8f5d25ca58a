#pragma once
// A window of the form runtime: outer and inner sizes in twips, a menu bar above the inner area, the
// load, resize and unload events, modal and modeless showing, and the unload that discards it.

#include <QMargins>
#include <QPointer>
#include <QSize>
#include <QWidget>
#include <cstdint>
#include <functional>

class QMenuBar;
class QTimer;

namespace platform {

// The key codes of a form's key event, as the form runtime numbers them, and the bits of its shift state.
enum KeyCode : int {
    vbKeyBack = 8,
    vbKeyReturn = 13,
    vbKeyEscape = 27,
    vbKeySpace = 32,
    vbKeyPageUp = 33,
    vbKeyPageDown = 34,
    vbKeyEnd = 35,
    vbKeyHome = 36,
    vbKeyLeft = 37,
    vbKeyUp = 38,
    vbKeyRight = 39,
    vbKeyDown = 40,
    vbKeyF = 70,
};
constexpr int vbShiftMask = 1;
constexpr int vbCtrlMask = 2;
constexpr int vbAltMask = 4;

class Form : public QWidget {
    Q_OBJECT
public:
    // `name` is the window's design name; `clientWidth` and `clientHeight` its inner size in twips.
    Form(const QString& name, float clientWidth, float clientHeight);
    ~Form() override;

    QString Caption() const;
    void setCaption(const QString& caption);

    // Outer place and size, the window manager's frame included.
    float Left() const;
    float Top() const;
    float Width() const;
    float Height() const;
    void setLeft(float twips);
    void setTop(float twips);
    // Setting the outer width or height raises the resize event at once, nested, when the inner size
    // changes; the run that set it then continues with the new size.
    void setWidth(float twips);
    void setHeight(float twips);
    // Places the frame's top-left. Where the window manager frames a window only after it is shown,
    // the window is put there again, for a short while, until its frame is seen where it was asked.
    void Move(float left, float top);

    // The inner area below the menu bar.
    float ScaleWidth() const;
    float ScaleHeight() const;

    // The window state as a number: 0 normal, 1 minimised, 2 maximised. Named apart from
    // QWidget::setWindowState, which stays usable on a form.
    int WindowState() const;
    void setWindowStateNumber(int state);

    // Shows the window, loading it first (load event, then the first resize event) when it is not
    // loaded. Mode 1 shows it modally with no owner and returns when it has been unloaded.
    void Show(int mode = 0);
    // Raises the unload event and, unless it cancels, hides the window and discards it as soon as
    // none of its handlers is running.
    void Unload();
    // True from the load until the unload.
    bool Loaded() const { return m_loaded; }

    // The inner area, parent of the window's controls.
    QWidget* client() const { return m_client; }
    QMenuBar* menuBar();
    void Refresh();

    // Runs one of this window's event handlers; the window is not discarded while any runs.
    void run(const std::function<void()>& handler);

    // Frame widths around the inner area as the window system has them (or will have them).
    QMargins frameMargins() const;

signals:
    void unloaded();

protected:
    virtual void Form_Load() {}
    virtual void Form_Resize() {}
    virtual void Form_Unload(std::int16_t& Cancel) { (void)Cancel; }
    // A key pressed in the window that none of its controls took (a letter's code is its capital,
    // others are the KeyCode values): raised after the window system's own handling, as every event of
    // the user is, once for each press and each repeat of a held key.
    virtual void Form_KeyDown(int KeyCode, int Shift) { (void)KeyCode, (void)Shift; }

    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    struct ResizeState {
        QSize client;
        int state = -1;
        bool operator==(const ResizeState&) const = default;
    };
    ResizeState currentResizeState() const;
    void raiseResize();
    void scheduleResize();
    void layoutClient();
    int menuBarHeight() const;
    void setOuterSize(int widthPx, int heightPx);
    void keepPlacement();

    QWidget* m_client = nullptr;
    QMenuBar* m_menuBar = nullptr;
    bool m_loaded = false;
    bool m_everLoaded = false;
    bool m_shown = false;
    bool m_resizePending = false;
    QSize m_designClient;
    bool m_hasPendingPos = false;
    QPoint m_pendingPos; // outer top-left last asked for
    QPointer<QTimer> m_placementCheck;
    ResizeState m_lastRaised;
    int m_running = 0;
};

// The part of the screen that windows may take: the screen less the desktop's panels, in twips.
struct ScreenArea {
    float left = 0;
    float top = 0;
    float width = 0;
    float height = 0;
};
ScreenArea WorkArea();

} // namespace platform
