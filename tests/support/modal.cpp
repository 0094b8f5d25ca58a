#include "support/modal.h"

#include <QApplication>
#include <QTest>
#include <QTimer>

namespace testsupport {

void whenModal(std::function<bool(QWidget*)> match, std::function<void(QWidget*)> act, bool* done,
               int timeoutMs)
{
    auto* timer = new QTimer(qApp);
    timer->setObjectName(QStringLiteral("whenModal"));
    auto elapsed = std::make_shared<int>(0);
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, timer, [=] {
        *elapsed += 10;
        QWidget* modal = QApplication::activeModalWidget();
        const bool found = modal && modal->isVisible() && match(modal);
        if (found || *elapsed > timeoutMs) {
            timer->stop();
            timer->deleteLater();
        }
        if (found) {
            act(modal);
            if (done)
                *done = true;
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
