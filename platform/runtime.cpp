#include "platform/runtime.h"

#include "platform/errors.h"
#include "platform/form.h"
#include "platform/twips.h"

#include <QApplication>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QMessageBox>
#include <QPointer>
#include <QScreen>
#include <cstdio>
#include <cstdlib>
#include <new>

namespace platform {

namespace {
std::function<void(int)> g_endHook;
std::function<void(const QString&, int, const QString&)> g_msgBoxHook;
std::function<void()> g_noFormsLeftHook;
std::function<void()> g_yieldHook;
int g_mousePointer = vbDefault;

QSize screenPixels()
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen ? screen->geometry().size() : QSize(800, 600);
}

void fatal(int number, const QString& detail)
{
    QString text = fatalErrorText(number);
    if (!detail.isEmpty())
        text += QStringLiteral("\n\n") + detail;
    MsgBox(text, vbExclamation, QCoreApplication::applicationName());
    End(1);
}
} // namespace

namespace Screen {
float Width() { return toTwips(screenPixels().width()); }
float Height() { return toTwips(screenPixels().height()); }
int MousePointer() { return g_mousePointer; }

void setMousePointer(int pointer)
{
    const bool hourglass = pointer == vbHourglass;
    const bool had = g_mousePointer == vbHourglass;
    g_mousePointer = pointer;
    if (hourglass && !had)
        QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    else if (!hourglass && had)
        QGuiApplication::restoreOverrideCursor();
}
} // namespace Screen

void MsgBox(const QString& text, int style, const QString& title)
{
    if (g_msgBoxHook) {
        g_msgBoxHook(text, style, title);
        return;
    }
    QMessageBox box(style == vbExclamation ? QMessageBox::Warning : QMessageBox::NoIcon, title, text,
                    QMessageBox::Ok);
    box.setWindowModality(Qt::ApplicationModal);
    // The hourglass would hide that the box waits for the user.
    const bool hourglass = g_mousePointer == vbHourglass;
    if (hourglass)
        QGuiApplication::setOverrideCursor(Qt::ArrowCursor);
    box.exec();
    if (hourglass)
        QGuiApplication::restoreOverrideCursor();
}

void End(int status)
{
    if (g_endHook) {
        g_endHook(status);
        return;
    }
    std::fflush(nullptr);
    std::_Exit(status);
}

QString fatalErrorText(int number)
{
    return QStringLiteral("実行時エラー '%1':\n\n%2").arg(number).arg(errorText(number));
}

void runHandler(const std::function<void()>& handler)
{
    try {
        handler();
    } catch (const RuntimeError& e) {
        fatal(e.number(), e.detail());
    } catch (const std::bad_alloc&) {
        fatal(ErrOutOfMemory, {});
    }
}

void postHandler(QObject* context, std::function<void()> handler)
{
    QPointer<QObject> guard(context);
    QMetaObject::invokeMethod(
        context,
        [guard, handler = std::move(handler)] {
            if (!guard)
                return;
            auto* widget = qobject_cast<QWidget*>(guard.data());
            if (auto* form = widget ? qobject_cast<Form*>(widget->window()) : nullptr) {
                if (form->Loaded())
                    form->run(handler);
                return;
            }
            runHandler(handler);
        },
        Qt::QueuedConnection);
}

void setEndHook(std::function<void(int)> hook) { g_endHook = std::move(hook); }

void setMsgBoxHook(std::function<void(const QString&, int, const QString&)> hook)
{
    g_msgBoxHook = std::move(hook);
}

void setNoFormsLeftHook(std::function<void()> hook) { g_noFormsLeftHook = std::move(hook); }

void setYieldHook(std::function<void()> hook) { g_yieldHook = std::move(hook); }

void runYieldHook()
{
    if (g_yieldHook) {
        const auto hook = g_yieldHook; // the hook may replace itself
        hook();
    }
}

void noFormsLeft()
{
    if (g_noFormsLeftHook)
        g_noFormsLeftHook();
    else
        QCoreApplication::exit(0);
}

} // namespace platform

namespace Ra_Rav {
void YieldMessage()
{
    platform::runYieldHook();
    QCoreApplication::processEvents(QEventLoop::AllEvents);
}
} // namespace Ra_Rav
