#include "platform/framemetrics.h"

#include <QEventLoop>
#include <QGuiApplication>
#include <QTimer>
#include <QWidget>
#include <QWindow>
#include <cstring>

#if defined(TARNAVEL_HAVE_XCB) && QT_CONFIG(xcb)
#include <xcb/xcb.h>
#define TARNAVEL_USE_XCB 1
#endif

namespace platform {

namespace {
QMargins g_lastFrame;
bool g_haveFrame = false;

void remember(const QMargins& m)
{
    g_lastFrame = m;
    g_haveFrame = true;
}

#ifdef TARNAVEL_USE_XCB
// The X server counts in device pixels; a scaled screen's windows are placed in logical ones.
QMargins inLogicalPixels(const QMargins& m, qreal ratio)
{
    return QMargins(qRound(m.left() / ratio), qRound(m.top() / ratio), qRound(m.right() / ratio), qRound(m.bottom() / ratio));
}

xcb_connection_t* x11Connection()
{
    if (QGuiApplication::platformName() != QLatin1String("xcb"))
        return nullptr;
    auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    return x11 ? x11->connection() : nullptr;
}

xcb_atom_t atom(xcb_connection_t* c, const char* name)
{
    xcb_intern_atom_reply_t* reply =
        xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, std::uint16_t(std::strlen(name)), name), nullptr);
    const xcb_atom_t a = reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
    std::free(reply);
    return a;
}

// _NET_FRAME_EXTENTS of a window: left, right, top, bottom. False when the property is not set.
bool readExtents(xcb_connection_t* c, xcb_window_t window, QMargins* out)
{
    static const xcb_atom_t extents = atom(c, "_NET_FRAME_EXTENTS");
    if (extents == XCB_ATOM_NONE)
        return false;
    xcb_get_property_reply_t* reply = xcb_get_property_reply(
        c, xcb_get_property(c, 0, window, extents, XCB_ATOM_CARDINAL, 0, 4), nullptr);
    bool ok = false;
    if (reply && reply->format == 32 && xcb_get_property_value_length(reply) >= 16) {
        const auto* v = static_cast<const std::uint32_t*>(xcb_get_property_value(reply));
        *out = QMargins(int(v[0]), int(v[2]), int(v[1]), int(v[3]));
        ok = true;
    }
    std::free(reply);
    return ok;
}

// True when a window manager runs on the screen (it names its check window on the root window).
bool windowManagerRuns(xcb_connection_t* c, xcb_window_t root)
{
    const xcb_atom_t check = atom(c, "_NET_SUPPORTING_WM_CHECK");
    if (check == XCB_ATOM_NONE)
        return false;
    xcb_get_property_reply_t* reply =
        xcb_get_property_reply(c, xcb_get_property(c, 0, root, check, XCB_ATOM_WINDOW, 0, 1), nullptr);
    const bool runs = reply && xcb_get_property_value_length(reply) >= 4;
    std::free(reply);
    return runs;
}

// Asks the window manager to announce the frame of a window that is not mapped yet, and waits for the
// answer a bounded time (long enough for a loaded machine). Asked only when a window manager runs.
bool requestExtents(xcb_connection_t* c, xcb_window_t window, QMargins* out)
{
    const xcb_atom_t request = atom(c, "_NET_REQUEST_FRAME_EXTENTS");
    const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(c)).data;
    if (request == XCB_ATOM_NONE || !screen || !windowManagerRuns(c, screen->root))
        return false;
    xcb_client_message_event_t event;
    std::memset(&event, 0, sizeof event);
    event.response_type = XCB_CLIENT_MESSAGE;
    event.format = 32;
    event.window = window;
    event.type = request;
    xcb_send_event(c, 0, screen->root,
                   XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                   reinterpret_cast<const char*>(&event));
    xcb_flush(c);
    if (readExtents(c, window, out))
        return true;
    // The answer is awaited in an event loop that keeps timers, repaints and the other windows' events
    // running; the user's input waits until it is over. Looked for every few milliseconds, at most 2 s.
    QEventLoop loop;
    QTimer poll;
    bool answered = false;
    QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
        answered = readExtents(c, window, out);
        if (answered)
            loop.quit();
    });
    QTimer::singleShot(2000, &loop, &QEventLoop::quit);
    poll.start(5);
    loop.exec(QEventLoop::ExcludeUserInputEvents);
    return answered;
}
#endif
} // namespace

namespace {
// The frame of a window that was never shown, asked of a helper window once: creating the form's own
// native window before it is shown would make the window system place its inner area, not its frame.
QMargins probeFrame()
{
    static bool asked = false;
    static QMargins frame;
    if (asked)
        return frame;
    asked = true;
    QWindow probe;
    probe.setFlags(Qt::Window);
    probe.create();
#ifdef TARNAVEL_USE_XCB
    if (xcb_connection_t* c = x11Connection()) {
        if (requestExtents(c, xcb_window_t(probe.winId()), &frame))
            remember(frame = inLogicalPixels(frame, probe.devicePixelRatio()));
        return frame;
    }
#endif
    frame = probe.frameMargins();
    if (!frame.isNull())
        remember(frame);
    return frame;
}
} // namespace

std::optional<QPoint> placedFrameTopLeft(QWidget* window)
{
    QWindow* handle = window->windowHandle();
    if (!window->isVisible() || !handle || !handle->handle())
        return std::nullopt;
#ifdef TARNAVEL_USE_XCB
    if (xcb_connection_t* c = x11Connection()) {
        QMargins m;
        const xcb_window_t id = xcb_window_t(window->winId());
        const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(c)).data;
        if (!screen || !readExtents(c, id, &m))
            return std::nullopt; // not framed yet
        xcb_translate_coordinates_reply_t* at =
            xcb_translate_coordinates_reply(c, xcb_translate_coordinates(c, id, screen->root, 0, 0), nullptr);
        if (!at)
            return std::nullopt;
        const QPoint client(at->dst_x, at->dst_y);
        std::free(at);
        const qreal ratio = handle->devicePixelRatio();
        return QPoint(qRound((client.x() - m.left()) / ratio), qRound((client.y() - m.top()) / ratio));
    }
#endif
    return std::nullopt;
}

QMargins windowFrame(QWidget* window)
{
    QWindow* handle = window->windowHandle();
    if (window->isVisible() && handle && handle->handle()) {
#ifdef TARNAVEL_USE_XCB
        if (xcb_connection_t* c = x11Connection()) {
            QMargins m;
            if (readExtents(c, xcb_window_t(window->winId()), &m)) {
                remember(m = inLogicalPixels(m, handle->devicePixelRatio()));
                return m;
            }
        }
#endif
        if (!handle->frameMargins().isNull()) {
            remember(handle->frameMargins());
            return g_lastFrame;
        }
    }
    return g_haveFrame ? g_lastFrame : probeFrame();
}

} // namespace platform
