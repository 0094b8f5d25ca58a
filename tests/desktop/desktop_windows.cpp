// Windows under a real window manager: the frame counted in outer sizes (also before the first show),
// the main window centred by its outer size, and border drags that resize a window many times.

#include "app/application.h"
#include "app/mdlselect.h"
#include "browser/frmselect.h"
#include "platform/runtime.h"
#include "platform/twips.h"
#include "support/testforms.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QMenuBar>
#include <QPointer>
#include <QProcess>
#include <QRegularExpression>
#include <QTest>
#include <cmath>
#include <optional>

using platform::Form;
using testsupport::ResizeProbe;

namespace {

// Standard output of a small X tool, or nothing when it did not finish in time.
QString runTool(const QString& program, const QStringList& arguments)
{
    QProcess tool;
    tool.start(program, arguments);
    if (!tool.waitForFinished(5000)) {
        tool.kill();
        tool.waitForFinished(2000);
        return {};
    }
    return QString::fromLocal8Bit(tool.readAllStandardOutput());
}

// The window's _NET_FRAME_EXTENTS as the X server has it; nothing while the property is not set.
std::optional<QMargins> frameExtents(WId window)
{
    const QString out = runTool(QStringLiteral("xprop"),
                                {QStringLiteral("-id"), QString::number(window), QStringLiteral("_NET_FRAME_EXTENTS")});
    static const QRegularExpression values(QStringLiteral("=\\s*(\\d+),\\s*(\\d+),\\s*(\\d+),\\s*(\\d+)"));
    const QRegularExpressionMatch m = values.match(out);
    if (!m.hasMatch())
        return std::nullopt;
    // The property's order is left, right, top, bottom.
    return QMargins(m.captured(1).toInt(), m.captured(3).toInt(), m.captured(2).toInt(), m.captured(4).toInt());
}

// Waits, bounded, until the window manager has put its frame around the shown window.
std::optional<QMargins> waitForExtents(QWidget* window)
{
    const QDeadlineTimer deadline(10000);
    while (!deadline.hasExpired()) {
        if (const auto extents = frameExtents(window->winId()))
            return extents;
        QTest::qWait(20);
    }
    return std::nullopt;
}

// The screen position of the window's inner (client) area as the X server has it.
std::optional<QPoint> serverClientPos(WId window)
{
    const QString out = runTool(QStringLiteral("xwininfo"), {QStringLiteral("-id"), QString::number(window)});
    static const QRegularExpression x(QStringLiteral("Absolute upper-left X:\\s*(-?\\d+)"));
    static const QRegularExpression y(QStringLiteral("Absolute upper-left Y:\\s*(-?\\d+)"));
    const QRegularExpressionMatch mx = x.match(out);
    const QRegularExpressionMatch my = y.match(out);
    if (!mx.hasMatch() || !my.hasMatch())
        return std::nullopt;
    return QPoint(mx.captured(1).toInt(), my.captured(1).toInt());
}

// Waits, bounded, until the window's size has stopped changing for a while.
bool waitForSteadySize(QWidget* window)
{
    const QDeadlineTimer deadline(10000);
    QSize seen = window->size();
    while (!deadline.hasExpired()) {
        QTest::qWait(250);
        if (window->size() == seen)
            return true;
        seen = window->size();
    }
    return false;
}

int menuBarPixels(const Form& form)
{
    const auto* bar = form.findChild<QMenuBar*>(QString(), Qt::FindDirectChildrenOnly);
    return bar ? bar->height() : 0;
}

float px(int pixels) { return float(pixels) * platform::twipsPerPixel(); }

// A form that centres itself by its outer size in its load handler, as the program's windows do.
class CentringProbe : public ResizeProbe {
public:
    float widthAtLoad = -1;
    float heightAtLoad = -1;

protected:
    void Form_Load() override
    {
        ResizeProbe::Form_Load();
        widthAtLoad = Width();
        heightAtLoad = Height();
        Move((platform::Screen::Width() - Width()) / 2, (platform::Screen::Height() - Height()) / 2);
    }
};

} // namespace

class TestDesktopWindows : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanup();
    void cleanupTestCase();

    // Runs first: the main window is the first window of the program, so no frame has been seen yet.
    void mainWindowCentredByOuterSize();
    void frameCountsInOuterSize_data();
    void frameCountsInOuterSize();
    void frameKnownBeforeFirstShow();
    void borderDragStorm_data();
    void borderDragStorm();

private:
    // Outer minus inner sizes of a shown window against the frame the server reports and its menu bar.
    void checkOuterAgainstFrame(Form* form, const QMargins& extents);
    ResizeProbe* makeProbe(bool withMenu);

    testsupport::RuntimeRecorder m_recorder;
    QList<QPointer<Form>> m_made;
    std::optional<QMargins> m_mainExtents;
};

void TestDesktopWindows::initTestCase()
{
    QCOMPARE(QGuiApplication::platformName(), QStringLiteral("xcb"));
    QVERIFY2(runTool(QStringLiteral("xprop"), {QStringLiteral("-root"), QStringLiteral("_NET_SUPPORTING_WM_CHECK")})
                 .contains(QStringLiteral("window id")),
             "no window manager is running on this display");
    app::prepareApplication(*qApp);
}

void TestDesktopWindows::cleanup()
{
    for (const QPointer<Form>& form : std::as_const(m_made)) {
        if (!form)
            continue;
        if (form->Loaded())
            form->Unload();
        else
            delete form.data();
    }
    m_made.clear();
}

void TestDesktopWindows::cleanupTestCase()
{
    if (FrmSelect* main = FrmSelect::Existing())
        main->Unload();
    QTRY_VERIFY_WITH_TIMEOUT(FrmSelect::Existing() == nullptr, 2000);
    QVERIFY2(m_recorder.messages.isEmpty(), qPrintable(m_recorder.messages.join(QLatin1Char('\n'))));
}

ResizeProbe* TestDesktopWindows::makeProbe(bool withMenu)
{
    auto* probe = new ResizeProbe(3315, 2220, withMenu);
    m_made << probe;
    return probe;
}

void TestDesktopWindows::checkOuterAgainstFrame(Form* form, const QMargins& extents)
{
    const int menu = menuBarPixels(*form);
    QTRY_COMPARE_WITH_TIMEOUT(form->Width() - form->ScaleWidth(), px(extents.left() + extents.right()), 5000);
    QTRY_COMPARE_WITH_TIMEOUT(form->Height() - form->ScaleHeight(), px(extents.top() + extents.bottom() + menu), 5000);
    QCOMPARE(form->ScaleWidth(), px(form->client()->width()));
    QCOMPARE(form->ScaleHeight(), px(form->client()->height()));

    // The outer top-left is the frame's, where the server has put it.
    QTRY_VERIFY_WITH_TIMEOUT(serverClientPos(form->winId()).has_value(), 5000);
    QTRY_COMPARE_WITH_TIMEOUT(form->Left(), px(serverClientPos(form->winId()).value_or(QPoint()).x() - extents.left()),
                              5000);
    QTRY_COMPARE_WITH_TIMEOUT(form->Top(), px(serverClientPos(form->winId()).value_or(QPoint()).y() - extents.top()),
                              5000);
}

void TestDesktopWindows::mainWindowCentredByOuterSize()
{
    MdlSelect::Main();
    FrmSelect* main = FrmSelect::Existing();
    QVERIFY(main);
    QVERIFY(main->Loaded());
    QVERIFY(QTest::qWaitForWindowExposed(main));

    m_mainExtents = waitForExtents(main);
    QVERIFY2(m_mainExtents, "the window manager never set _NET_FRAME_EXTENTS on the main window");
    QVERIFY2(!m_mainExtents->isNull(), "the window manager gave the main window no frame");
    checkOuterAgainstFrame(main, *m_mainExtents);
    if (QTest::currentTestFailed())
        return;

    // Centred in its load handler by the outer size it had then: the design inner size, the frame and
    // the menu bar. Its resize handler may have grown it since; its top-left stays.
    const QMargins& f = *m_mainExtents;
    const float tpp = platform::twipsPerPixel();
    const float outerWidth = 3315 + px(f.left() + f.right());
    const float outerHeight = 2220 + px(f.top() + f.bottom() + menuBarPixels(*main));
    const float left = (platform::Screen::Width() - outerWidth) / 2;
    const float top = (platform::Screen::Height() - outerHeight) / 2;
    QVERIFY2(std::abs(main->Left() - left) <= tpp,
             qPrintable(QStringLiteral("Left %1, centred %2").arg(main->Left()).arg(left)));
    QVERIFY2(std::abs(main->Top() - top) <= tpp, qPrintable(QStringLiteral("Top %1, centred %2").arg(main->Top()).arg(top)));
}

void TestDesktopWindows::frameCountsInOuterSize_data()
{
    QTest::addColumn<bool>("withMenu");
    QTest::newRow("with menu bar") << true;
    QTest::newRow("without menu bar") << false;
}

void TestDesktopWindows::frameCountsInOuterSize()
{
    QFETCH(bool, withMenu);
    ResizeProbe* probe = makeProbe(withMenu);
    probe->Show();
    QVERIFY(QTest::qWaitForWindowExposed(probe));
    const std::optional<QMargins> extents = waitForExtents(probe);
    QVERIFY2(extents, "the window manager never set _NET_FRAME_EXTENTS");
    QVERIFY(!extents->isNull());
    checkOuterAgainstFrame(probe, *extents);
    if (QTest::currentTestFailed())
        return;
    QCOMPARE(menuBarPixels(*probe) > 0, withMenu);
    // The first resize event saw the design inner size.
    QVERIFY(!probe->seen.isEmpty());
    QCOMPARE(probe->seen.first().scaleWidth, 3315.0f);
    QCOMPARE(probe->seen.first().scaleHeight, 2220.0f);
}

void TestDesktopWindows::frameKnownBeforeFirstShow()
{
    // A window that has never been shown already counts the frame it will get.
    auto* probe = new CentringProbe;
    m_made << probe;
    const float before = probe->Width();
    const float innerBefore = px(probe->width());

    probe->Show();
    QVERIFY(QTest::qWaitForWindowExposed(probe));
    const std::optional<QMargins> extents = waitForExtents(probe);
    QVERIFY2(extents, "the window manager never set _NET_FRAME_EXTENTS");
    QCOMPARE(before - innerBefore, px(extents->left() + extents->right()));
    QCOMPARE(probe->widthAtLoad, 3315 + px(extents->left() + extents->right()));
    QCOMPARE(probe->heightAtLoad, 2220 + px(extents->top() + extents->bottom() + menuBarPixels(*probe)));
    checkOuterAgainstFrame(probe, *extents);
    if (QTest::currentTestFailed())
        return;

    // Centred by the outer size it had in its load handler.
    const float tpp = platform::twipsPerPixel();
    const float left = (platform::Screen::Width() - probe->widthAtLoad) / 2;
    const float top = (platform::Screen::Height() - probe->heightAtLoad) / 2;
    QVERIFY2(std::abs(probe->Left() - left) <= tpp,
             qPrintable(QStringLiteral("Left %1, centred %2").arg(probe->Left()).arg(left)));
    QVERIFY2(std::abs(probe->Top() - top) <= tpp,
             qPrintable(QStringLiteral("Top %1, centred %2").arg(probe->Top()).arg(top)));
}

void TestDesktopWindows::borderDragStorm_data()
{
    QTest::addColumn<bool>("mainWindow");
    QTest::addColumn<bool>("yieldInResize");
    QTest::newRow("main window") << true << false;
    QTest::newRow("form yielding in its resize handler") << false << true;
    QTest::newRow("form resized quietly") << false << false;
}

void TestDesktopWindows::borderDragStorm()
{
    QFETCH(bool, mainWindow);
    QFETCH(bool, yieldInResize);

    ResizeProbe* probe = nullptr;
    Form* form = nullptr;
    if (mainWindow) {
        if (!FrmSelect::Existing())
            MdlSelect::Main();
        form = FrmSelect::Existing();
    } else {
        probe = makeProbe(true);
        if (yieldInResize)
            probe->onResize = [](ResizeProbe&) {
                for (int i = 0; i < 5; ++i)
                    Ra_Rav::YieldMessage();
            };
        form = probe;
        form->Show();
    }
    QVERIFY(form);
    QVERIFY(QTest::qWaitForWindowExposed(form));
    QPointer<Form> guard(form);
    const int endsBefore = m_recorder.ends.size();

    // What the window system does during a border drag: a burst of resizes of the top-level.
    QSize last;
    for (int i = 0; i < 200; ++i) {
        last = QSize(180 + (i * 97) % 700, 140 + (i * 61) % 520);
        form->resize(last);
        QTest::qWait(5);
        QVERIFY2(guard, qPrintable(QStringLiteral("the window was destroyed after resize %1").arg(i + 1)));
    }

    // The window may keep itself from getting too small, so the drag's last size holds only for a form
    // whose handler leaves its size alone.
    QVERIFY2(waitForSteadySize(form), "the window kept changing its size after the drag");
    if (probe)
        QCOMPARE(form->size(), last);
    QVERIFY(form->Loaded());
    QCOMPARE(m_recorder.ends.size(), endsBefore);
    const int menu = menuBarPixels(*form);
    QTRY_COMPARE_WITH_TIMEOUT(form->client()->size(), QSize(form->width(), form->height() - menu), 5000);
    QCOMPARE(form->ScaleWidth(), px(form->client()->width()));
    QCOMPARE(form->ScaleHeight(), px(form->client()->height()));
    if (m_mainExtents)
        QCOMPARE(form->Width() - form->ScaleWidth(), px(m_mainExtents->left() + m_mainExtents->right()));
    if (probe) {
        // The last resize event ran with the size the drag ended at.
        QTRY_VERIFY_WITH_TIMEOUT(!probe->seen.isEmpty() && probe->seen.last().scaleWidth == form->ScaleWidth() &&
                                     probe->seen.last().scaleHeight == form->ScaleHeight(),
                                 5000);
    }
}

QTEST_MAIN(TestDesktopWindows)
#include "desktop_windows.moc"
