#include "platform/form.h"

#include "platform/framemetrics.h"
#include "platform/runtime.h"
#include "platform/twips.h"

#include <QCloseEvent>
#include <QEventLoop>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMenuBar>
#include <QPointer>
#include <QScreen>
#include <QTimer>
#include <QWindow>

namespace platform {

namespace {
QList<Form*>& registry()
{
    static QList<Form*> forms;
    return forms;
}
// The form runtime's code of a key, 0 for a key that has none.
int keyCodeOf(int qtKey)
{
    if ((qtKey >= Qt::Key_A && qtKey <= Qt::Key_Z) || (qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9))
        return qtKey; // the same numbers
    switch (qtKey) {
    case Qt::Key_Backspace: return vbKeyBack;
    case Qt::Key_Return:
    case Qt::Key_Enter: return vbKeyReturn;
    case Qt::Key_Escape: return vbKeyEscape;
    case Qt::Key_Space: return vbKeySpace;
    case Qt::Key_PageUp: return vbKeyPageUp;
    case Qt::Key_PageDown: return vbKeyPageDown;
    case Qt::Key_End: return vbKeyEnd;
    case Qt::Key_Home: return vbKeyHome;
    case Qt::Key_Left: return vbKeyLeft;
    case Qt::Key_Up: return vbKeyUp;
    case Qt::Key_Right: return vbKeyRight;
    case Qt::Key_Down: return vbKeyDown;
    default: return 0;
    }
}
} // namespace

ScreenArea WorkArea()
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    const QRect r = screen ? screen->availableGeometry() : QRect();
    return {toTwips(r.left()), toTwips(r.top()), toTwips(r.width()), toTwips(r.height())};
}

Form::Form(const QString& name, float clientWidth, float clientHeight)
    : QWidget(nullptr), m_client(new QWidget(this))
{
    setObjectName(name);
    setAttribute(Qt::WA_DeleteOnClose, false);
    m_client->setObjectName(name + QStringLiteral("_client"));
    resize(std::max(1, toPixels(clientWidth)), std::max(1, toPixels(clientHeight)));
    m_designClient = size();
    layoutClient();
}

Form::~Form()
{
    registry().removeAll(this);
}

QString Form::Caption() const { return windowTitle(); }
void Form::setCaption(const QString& caption) { setWindowTitle(caption); }

QMargins Form::frameMargins() const
{
    return windowFrame(const_cast<Form*>(this));
}

float Form::Left() const
{
    if (!isVisible() && m_hasPendingPos)
        return toTwips(m_pendingPos.x());
    return toTwips(geometry().x() - frameMargins().left());
}

float Form::Top() const
{
    if (!isVisible() && m_hasPendingPos)
        return toTwips(m_pendingPos.y());
    return toTwips(geometry().y() - frameMargins().top());
}

float Form::Width() const
{
    const QMargins m = frameMargins();
    return toTwips(width() + m.left() + m.right());
}

float Form::Height() const
{
    const QMargins m = frameMargins();
    return toTwips(height() + m.top() + m.bottom());
}

void Form::setLeft(float twips) { Move(twips, Top()); }
void Form::setTop(float twips) { Move(Left(), twips); }

void Form::Move(float left, float top)
{
    const QPoint p(toPixels(left), toPixels(top));
    m_pendingPos = p;
    m_hasPendingPos = true;
    move(p); // a top-level's position is its frame's top-left
    if (isVisible())
        keepPlacement();
}

void Form::keepPlacement()
{
    // The window manager frames a new window a little after it is mapped, and a move or resize made
    // before that may land the inner area, not the frame, where the frame was asked to be. Until the
    // frame has been seen where it was asked, a few times running, the window is moved there again.
    // Checked every 20 ms while the program runs on, for at most 3 s.
    if (QGuiApplication::platformName() != QLatin1String("xcb"))
        return; // elsewhere the toolkit's placement is final
    if (m_placementCheck)
        m_placementCheck->deleteLater();
    auto* check = new QTimer(this);
    m_placementCheck = check;
    connect(check, &QTimer::timeout, this,
            [this, check, ticks = 0, steady = 0, request = m_pendingPos, missed = std::optional<QPoint>()]() mutable {
        if (!m_loaded || !isVisible() || WindowState() != 0 || ++ticks > 150 || steady >= 5) {
            check->deleteLater();
            return;
        }
        const std::optional<QPoint> at = placedFrameTopLeft(this);
        if (!at)
            return;
        if (*at == m_pendingPos) {
            ++steady;
            return;
        }
        steady = 0;
        if (missed == at && ticks % 10 != 0)
            return; // the last correction has not landed yet
        // The window system put the frame off by a fixed amount (it took the asked place for the inner
        // area's, or the toolkit did): the native window is asked for a place off by as much the other
        // way. The widget's own move would do nothing while it believes it stands where it was asked.
        missed = at;
        request += m_pendingPos - *at;
        if (QWindow* native = windowHandle())
            native->setFramePosition(request);
    });
    check->start(20);
}

void Form::setWidth(float twips)
{
    const QMargins m = frameMargins();
    setOuterSize(toPixels(twips) - m.left() - m.right(), height());
}

void Form::setHeight(float twips)
{
    const QMargins m = frameMargins();
    setOuterSize(width(), toPixels(twips) - m.top() - m.bottom());
}

void Form::setOuterSize(int widthPx, int heightPx)
{
    const QSize target(std::max(1, widthPx), std::max(menuBarHeight() + 1, heightPx));
    if (target == size())
        return;
    resize(target);
    layoutClient();
    if (m_loaded && m_shown && currentResizeState() != m_lastRaised)
        raiseResize();
}

float Form::ScaleWidth() const { return toTwips(m_client->width()); }
float Form::ScaleHeight() const { return toTwips(m_client->height()); }

int Form::WindowState() const
{
    const Qt::WindowStates s = windowState();
    if (s & Qt::WindowMinimized)
        return 1;
    if (s & (Qt::WindowMaximized | Qt::WindowFullScreen))
        return 2;
    return 0;
}

void Form::setWindowStateNumber(int state)
{
    switch (state) {
    case 1: QWidget::setWindowState(Qt::WindowMinimized); break;
    case 2: QWidget::setWindowState(Qt::WindowMaximized); break;
    default: QWidget::setWindowState(Qt::WindowNoState); break;
    }
}

QMenuBar* Form::menuBar()
{
    if (!m_menuBar) {
        m_menuBar = new QMenuBar(this);
        m_menuBar->setNativeMenuBar(false);
        // The inner area keeps its design size below the menu bar.
        resize(m_designClient.width(), m_designClient.height() + menuBarHeight());
        layoutClient();
    }
    return m_menuBar;
}

int Form::menuBarHeight() const
{
    if (!m_menuBar)
        return 0;
    const int h = m_menuBar->heightForWidth(std::max(1, width()));
    return h > 0 ? h : m_menuBar->sizeHint().height();
}

void Form::layoutClient()
{
    const int mh = menuBarHeight();
    if (m_menuBar)
        m_menuBar->setGeometry(0, 0, width(), mh);
    m_client->setGeometry(0, mh, width(), std::max(0, height() - mh));
}

void Form::Refresh()
{
    if (isVisible())
        repaint();
}

void Form::run(const std::function<void()>& handler)
{
    ++m_running;
    runHandler(handler);
    --m_running;
    if (!m_loaded && m_running == 0 && m_everLoaded)
        deleteLater();
}

void Form::Show(int mode)
{
    if (!m_loaded) {
        m_loaded = m_everLoaded = true;
        registry().append(this);
        if (!m_shown) {
            // The inner area keeps its design size below the menu bar as the design finished it.
            if (m_menuBar)
                m_menuBar->ensurePolished();
            resize(m_designClient.width(), m_designClient.height() + menuBarHeight());
        }
        layoutClient();
        run([this] { Form_Load(); });
        if (!m_loaded)
            return;
    }
    if (mode == 1)
        setWindowModality(Qt::ApplicationModal);
    const bool first = !m_shown;
    m_shown = true;
    show();
    layoutClient();
    if (first && m_hasPendingPos)
        keepPlacement();
    if (first)
        raiseResize();
    if (mode == 1 && m_loaded) {
        QEventLoop loop;
        connect(this, &Form::unloaded, &loop, &QEventLoop::quit);
        loop.exec();
    }
}

void Form::Unload()
{
    if (!m_loaded)
        return;
    std::int16_t cancel = 0;
    run([this, &cancel] { Form_Unload(cancel); });
    if (cancel != 0 || !m_loaded)
        return;
    m_loaded = false;
    registry().removeAll(this);
    hide();
    emit unloaded();
    if (m_running == 0)
        deleteLater();
    if (registry().isEmpty())
        noFormsLeft();
}

Form::ResizeState Form::currentResizeState() const
{
    return {m_client->size(), WindowState()};
}

void Form::raiseResize()
{
    m_lastRaised = currentResizeState();
    run([this] { Form_Resize(); });
}

void Form::scheduleResize()
{
    if (m_resizePending || !m_loaded || !m_shown)
        return;
    m_resizePending = true;
    QPointer<Form> self(this);
    // Runs after the window system's resize handling has returned, so that the handler may yield.
    QMetaObject::invokeMethod(
        this,
        [self] {
            if (!self)
                return;
            self->m_resizePending = false;
            if (self->m_loaded && self->currentResizeState() != self->m_lastRaised)
                self->raiseResize();
        },
        Qt::QueuedConnection);
}

void Form::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    layoutClient();
    scheduleResize();
}

void Form::changeEvent(QEvent* event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::WindowStateChange)
        scheduleResize();
}

void Form::keyPressEvent(QKeyEvent* event)
{
    const int code = keyCodeOf(event->key());
    if (!m_loaded || code == 0)
        return QWidget::keyPressEvent(event);
    const Qt::KeyboardModifiers m = event->modifiers();
    const int shift = (m & Qt::ShiftModifier ? vbShiftMask : 0) | (m & Qt::ControlModifier ? vbCtrlMask : 0) |
                      (m & Qt::AltModifier ? vbAltMask : 0);
    postHandler(this, [this, code, shift] { Form_KeyDown(code, shift); });
}

void Form::closeEvent(QCloseEvent* event)
{
    event->ignore();
    if (m_loaded)
        run([this] { Unload(); });
}

} // namespace platform
