#include "support/testforms.h"

#include "platform/errors.h"
#include "platform/runtime.h"

#include <QElapsedTimer>
#include <QMenuBar>
#include <QPointer>
#include <QTimer>

namespace testsupport {

int runTestClass(QObject& test, const QStringList& arguments)
{
    QStringList kept{arguments.value(0)};
    int names = 0, ours = 0;
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        const QString& a = arguments.at(i);
        if (a.startsWith('-') || arguments.at(i - 1) == QLatin1String("-o")) {
            kept << a; // an option, or an option's value: for every class
        } else if (++names, test.metaObject()->indexOfMethod(qPrintable(a.section(':', 0, 0) + "()")) >= 0) {
            kept << a;
            ++ours;
        }
    }
    return names > 0 && ours == 0 ? 0 : QTest::qExec(&test, kept);
}

int errorOf(const std::function<void()>& action)
{
    try {
        action();
    } catch (const platform::RuntimeError& e) {
        return e.number();
    }
    return 0;
}

void settle()
{
    for (int pass = 0; pass < 2; ++pass) { // what the first pass delivers may post more
        QCoreApplication::processEvents();
        QCoreApplication::sendPostedEvents();
    }
}

RuntimeRecorder::RuntimeRecorder()
{
    platform::setEndHook([this](int status) { ends << status; });
    platform::setMsgBoxHook([this](const QString& text, int, const QString& title) { messages << title + '|' + text; });
    platform::setNoFormsLeftHook([this] { ++noFormsLeft; });
}

RuntimeRecorder::~RuntimeRecorder()
{
    platform::setEndHook({});
    platform::setMsgBoxHook({});
    platform::setNoFormsLeftHook({});
}

ResizeProbe::ResizeProbe(float clientWidth, float clientHeight) : Form(QStringLiteral("ResizeProbe"), clientWidth, clientHeight)
{
    menuBar()->addMenu(QStringLiteral("ﾌｧｲﾙ(&F)"))->addAction(QStringLiteral("終了(&X)"));
}

void ResizeProbe::Form_Resize()
{
    ++m_depth;
    seen << Seen{ScaleWidth(), ScaleHeight(), WindowState(), m_depth};
    if (onResize)
        onResize(*this);
    --m_depth;
}


namespace {
// Closes `window` once the act on it is over: at once when an assertion failed in the act, else when the
// act has not had it closed within `graceMs` (its clicks and keys are delivered through the event queue).
void closeAfterAct(const QPointer<QWidget>& window, int graceMs)
{
    const auto open = [window] { return window && window->isVisible() && QApplication::activeModalWidget() == window; };
    if (!open())
        return;
    if (QTest::currentTestFailed()) {
        window->close();
        return;
    }
    auto clock = std::make_shared<QElapsedTimer>();
    clock->start();
    auto* check = new QTimer(qApp);
    QObject::connect(check, &QTimer::timeout, check, [=] {
        if (open() && !clock->hasExpired(graceMs))
            return;
        check->deleteLater();
        if (open()) {
            window->close();
            QTest::qFail("the test left a modal window open", __FILE__, __LINE__);
        }
    });
    check->start(10);
}
} // namespace

void whenModal(std::function<bool(QWidget*)> match, std::function<void(QWidget*)> act, bool* done, int timeoutMs)
{
    auto* timer = new QTimer(qApp);
    timer->setObjectName(QStringLiteral("whenModal"));
    timer->setInterval(10);
    auto clock = std::make_shared<QElapsedTimer>();
    clock->start();
    QObject::connect(timer, &QTimer::timeout, timer, [=] {
        QWidget* modal = QApplication::activeModalWidget();
        const bool ready = modal && modal->isVisible() && match(modal) &&
                           (modal->isActiveWindow() || clock->hasExpired(timeoutMs / 2)); // a window system that never activates
        if (ready) {
            timer->stop();
            timer->deleteLater();
            const QPointer<QWidget> window(modal);
            act(modal);
            if (done)
                *done = true;
            closeAfterAct(window, timeoutMs);
        } else if (clock->hasExpired(timeoutMs)) {
            timer->stop();
            timer->deleteLater();
            if (modal && modal->isVisible()) {
                const QString stuck = QString::fromLatin1(modal->metaObject()->className()) + ' ' + modal->windowTitle();
                modal->close();
                QTest::qFail(qPrintable(QStringLiteral("an unexpected modal window was still open: ") + stuck), __FILE__, __LINE__);
            }
        }
    });
    timer->start();
}

void cancelModalWaits()
{
    for (QTimer* timer : qApp->findChildren<QTimer*>(QStringLiteral("whenModal"), Qt::FindDirectChildrenOnly)) {
        timer->stop();
        timer->deleteLater();
    }
}

void clickThroughWindow(QWidget* widget, QPoint at)
{
    QWidget* top = widget->window();
    QTest::mouseClick(top->windowHandle(), Qt::LeftButton, {}, widget->mapTo(top, at.isNull() ? widget->rect().center() : at));
}

} // namespace testsupport
