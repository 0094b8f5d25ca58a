#include "support/testforms.h"

#include "platform/errors.h"
#include "platform/runtime.h"

#include <QElapsedTimer>
#include <QPointer>
#include <QTimer>

namespace testsupport {

int runTestClass(QObject&& test, const QStringList& arguments)
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
    for (int pass = 0; pass < 2; ++pass) // what the first pass delivers may post more
        QCoreApplication::processEvents(), QCoreApplication::sendPostedEvents();
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

void whenModal(std::function<bool(QWidget*)> match, std::function<void(QWidget*)> act, bool* done, int timeoutMs)
{
    auto* timer = new QTimer(qApp);
    timer->setObjectName(QStringLiteral("whenModal"));
    auto clock = std::make_shared<QElapsedTimer>();
    auto acted = std::make_shared<QPointer<QWidget>>(); // the window acted on, while it is open
    auto once = std::make_shared<bool>(false);
    clock->start();
    QObject::connect(timer, &QTimer::timeout, timer, [=] {
        QWidget* modal = QApplication::activeModalWidget();
        if (!*once && modal && modal->isVisible() && match(modal) && (modal->isActiveWindow() || clock->hasExpired(timeoutMs / 2))) {
            timer->setObjectName(QString()); // (acting: no longer a wait to cancel)
            *once = true, *acted = modal;
            act(modal);
            if (done)
                *done = true;
            if (*acted && QTest::currentTestFailed())
                (*acted)->close(); // an assertion failed in the act: the window is closed at once
            clock->restart();
            return;
        }
        // The act's clicks and keys arrive through the event queue: its window closes in the time
        // allowed, or is closed then, as is an unexpected modal window when no expected one came.
        QWidget* open = !*once ? (modal && modal->isVisible() ? modal : nullptr) : *acted && (*acted)->isVisible() ? acted->data() : nullptr;
        if (!clock->hasExpired(timeoutMs) && (!*once || open))
            return;
        timer->deleteLater();
        if (open) {
            const QString what = *once ? QStringLiteral("the test left a modal window open: ") : QStringLiteral("an unexpected modal window was still open: ");
            open->close();
            QTest::qFail(qPrintable(what + open->metaObject()->className() + ' ' + open->windowTitle()), __FILE__, __LINE__);
        }
    });
    timer->start(10);
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
