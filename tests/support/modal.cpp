#include "support/modal.h"

#include <QApplication>
#include <QAbstractButton>
#include <QMessageBox>
#include <QPointer>
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
        if (modal && modal->isVisible() && match(modal)) {
            timer->stop();
            timer->deleteLater();
            act(modal);
            if (done)
                *done = true;
        } else if (*elapsed > timeoutMs) {
            timer->stop();
            timer->deleteLater();
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

void acceptNextMessageBox(MessageBoxSeen* seen, int timeoutMs)
{
    whenModal([](QWidget* w) { return qobject_cast<QMessageBox*>(w) != nullptr; },
              [seen](QWidget* w) {
                  auto* box = qobject_cast<QMessageBox*>(w);
                  if (seen) {
                      seen->text = box->text();
                      seen->title = box->windowTitle();
                      ++seen->count;
                  }
                  box->button(QMessageBox::Ok) ? box->button(QMessageBox::Ok)->click() : box->accept();
              },
              nullptr, timeoutMs);
}

} // namespace testsupport
