#include "support/testforms.h"

#include "platform/errors.h"
#include "platform/runtime.h"

#include <QCoreApplication>
#include <QMenuBar>

namespace testsupport {

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

ResizeProbe::ResizeProbe(float clientWidth, float clientHeight, bool withMenu)
    : Form(QStringLiteral("ResizeProbe"), clientWidth, clientHeight)
{
    if (withMenu)
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

} // namespace testsupport
