#include "support/testforms.h"

#include "platform/errors.h"
#include "platform/runtime.h"

#include <QMenuBar>

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

} // namespace testsupport
