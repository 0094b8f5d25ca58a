// The form runtime's promises: twips, errors, window sizes and the nested resize, the scroll bar's
// change event, control arrays, message boxes, the mouse pointer, and the unload.

#include "platform/controlarray.h"
#include "platform/controls.h"
#include "platform/errors.h"
#include "platform/image.h"
#include "platform/runtime.h"
#include "platform/scrollbar.h"
#include "platform/twips.h"
#include "support/modal.h"
#include "support/testforms.h"

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QMenuBar>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>
#include <QWheelEvent>
#include <cmath>
#include <limits>

using namespace platform;
using testsupport::ResizeProbe;
using testsupport::RuntimeRecorder;

class TestRuntime : public QObject {
    Q_OBJECT
private slots:
    void twips_data();
    void twips();
    void errorTexts_data();
    void errorTexts();
    void guardedArithmetic_data();
    void guardedArithmetic();

    void outerAndInnerSizes();
    void moveUsesOuterPosition();
    void settingWidthRaisesNestedResize();
    void lateResizeForSameChangeRunsNothing();
    void userResizeRunsHandlerOnce();
    void minimisedWindowReportsState();

    void scrollBarChangeEvents_data();
    void scrollBarChangeEvents();
    void scrollBarUserChanges();

    void controlArrayLoadsHiddenCopies();
    void controlArrayBounds_data();
    void controlArrayBounds();
    void controlArrayClickCarriesIndex();

    void messageBoxIsModalWarning();
    void uncaughtErrorShowsMessageAndEnds_data();
    void uncaughtErrorShowsMessageAndEnds();
    void mousePointerStaysBalanced();
    void closeBoxUnloadsAndDiscards();
    void unloadWaitsForRunningHandler();
    void modalShowReturnsAfterUnload();
};

void TestRuntime::twips_data()
{
    QTest::addColumn<double>("dpi");
    QTest::addColumn<float>("twips");
    QTest::addColumn<int>("pixels");
    QTest::newRow("96 dpi, minimum width") << 96.0 << 6045.0f << 403;
    QTest::newRow("96 dpi, column edge") << 96.0 << 7755.0f << 517;
    QTest::newRow("96 dpi, half pixel rounds up") << 96.0 << 22.5f << 2;
    QTest::newRow("96 dpi, just under half") << 96.0 << 22.4f << 1;
    QTest::newRow("120 dpi") << 120.0 << 1800.0f << 150;
    QTest::newRow("144 dpi") << 144.0 << 1200.0f << 120;
    QTest::newRow("negative place") << 96.0 << -45.0f << -3;
}

void TestRuntime::twips()
{
    QFETCH(double, dpi);
    QFETCH(float, twips);
    QFETCH(int, pixels);
    const float perPixel = twipsPerPixel(dpi);
    QCOMPARE(perPixel, float(1440.0 / dpi));
    QCOMPARE(toPixels(twips, perPixel), pixels);
    QCOMPARE(toPixels(toTwips(pixels, perPixel), perPixel), pixels);
}

void TestRuntime::errorTexts_data()
{
    QTest::addColumn<int>("number");
    QTest::addColumn<QString>("text");
    QTest::newRow("6") << 6 << QStringLiteral("オーバーフローしました。");
    QTest::newRow("9") << 9 << QStringLiteral("インデックスが有効範囲にありません。");
    QTest::newRow("53") << 53 << QStringLiteral("ファイルが見つかりません。");
    QTest::newRow("68") << 68 << QStringLiteral("デバイスが準備されていません。");
    QTest::newRow("76") << 76 << QStringLiteral("パスが見つかりません。");
    QTest::newRow("481") << 481 << QStringLiteral("ピクチャが不正です。");
}

void TestRuntime::errorTexts()
{
    QFETCH(int, number);
    QFETCH(QString, text);
    QCOMPARE(errorText(number), text);
    try {
        raise(number);
        QFAIL("raise returned");
    } catch (const RuntimeError& e) {
        QCOMPARE(e.number(), number);
        QCOMPARE(e.description(), text);
    }
    QCOMPARE(fatalErrorText(number), QStringLiteral("実行時エラー '%1':\n\n%2").arg(number).arg(text));
}

void TestRuntime::guardedArithmetic_data()
{
    QTest::addColumn<std::function<long long()>>("op");
    QTest::addColumn<long long>("expected"); // -1000000 stands for error 6
    const long long overflow = -1000000;
    QTest::newRow("add") << std::function<long long()>([] { return add32(2147483646, 1); }) << 2147483647LL;
    QTest::newRow("add overflows") << std::function<long long()>([] { return add32(2147483647, 1); }) << overflow;
    QTest::newRow("sub overflows") << std::function<long long()>([] { return sub32(-2147483647 - 1, 1); }) << overflow;
    QTest::newRow("mul") << std::function<long long()>([] { return mul32(46340, 46340); }) << 2147395600LL;
    QTest::newRow("mul overflows") << std::function<long long()>([] { return mul32(46341, 46341); }) << overflow;
    QTest::newRow("trunc16 of -1/12") << std::function<long long()>([] { return truncTo16(-1.0 / 12); }) << 0LL;
    QTest::newRow("trunc16 of 23/12") << std::function<long long()>([] { return truncTo16(23.0 / 12); }) << 1LL;
    QTest::newRow("trunc16 at the top") << std::function<long long()>([] { return truncTo16(32767.99); }) << 32767LL;
    QTest::newRow("trunc16 past the top") << std::function<long long()>([] { return truncTo16(32768.0); }) << overflow;
    QTest::newRow("trunc16 NaN") << std::function<long long()>([] { return truncTo16(std::nan("")); }) << overflow;
    QTest::newRow("trunc32 of -2.5") << std::function<long long()>([] { return truncTo32(-2.5); }) << -2LL;
    QTest::newRow("narrow16 past the bottom") << std::function<long long()>([] { return narrowTo16(-32769); }) << overflow;
}

void TestRuntime::guardedArithmetic()
{
    QFETCH(std::function<long long()>, op);
    QFETCH(long long, expected);
    long long got = 0;
    try {
        got = op();
    } catch (const RuntimeError& e) {
        QCOMPARE(e.number(), 6);
        got = -1000000;
    }
    QCOMPARE(got, expected);
}

void TestRuntime::outerAndInnerSizes()
{
    RuntimeRecorder recorder;
    ResizeProbe form(3315, 2220, true);
    QCOMPARE(form.ScaleWidth(), 3315.0f);
    QCOMPARE(form.ScaleHeight(), 2220.0f);
    form.Show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    const float tpp = twipsPerPixel();
    const QMargins frame = form.frameMargins();
    const int menu = form.menuBar()->height();
    QVERIFY(menu > 0);
    QCOMPARE(form.ScaleWidth(), 3315.0f);
    QCOMPARE(form.ScaleHeight(), 2220.0f);
    QCOMPARE(form.Width(), form.ScaleWidth() + (frame.left() + frame.right()) * tpp);
    QCOMPARE(form.Height(), form.ScaleHeight() + (frame.top() + frame.bottom() + menu) * tpp);
    // The outer size set is the outer size read back.
    form.setWidth(6045);
    form.setHeight(4500);
    QCOMPARE(form.Width(), 6045.0f);
    QCOMPARE(form.Height(), 4500.0f);
    QCOMPARE(form.frameGeometry().width() * tpp, 6045.0f);
    form.Unload();
}

void TestRuntime::moveUsesOuterPosition()
{
    RuntimeRecorder recorder;
    ResizeProbe form;
    form.Move(1500, 900); // before the first show, as a load handler does
    QCOMPARE(form.Left(), 1500.0f);
    QCOMPARE(form.Top(), 900.0f);
    form.Show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    QTRY_COMPARE(form.frameGeometry().topLeft(), QPoint(100, 60));
    QCOMPARE(form.Left(), 1500.0f);
    form.Move(-45, 0);
    QCOMPARE(form.Left(), -45.0f);
    form.Unload();
}

void TestRuntime::settingWidthRaisesNestedResize()
{
    RuntimeRecorder recorder;
    ResizeProbe form;
    float widthAfterSet = 0;
    form.onResize = [&](ResizeProbe& f) {
        if (f.Width() < 6045) {
            f.setWidth(6045);
            widthAfterSet = f.ScaleWidth(); // the outer run continues with the new size
        }
        if (f.ScaleHeight() < 3270)
            f.setHeight(f.Height() + 3270 - f.ScaleHeight());
    };
    form.Show();
    // First resize (design size), nested one for the width, nested one inside it for the height.
    QCOMPARE(form.seen.size(), 3);
    QCOMPARE(form.seen[0].depth, 1);
    QCOMPARE(form.seen[1].depth, 2);
    QCOMPARE(form.seen[2].depth, 3);
    QCOMPARE(form.seen[0].scaleWidth, 3315.0f);
    QCOMPARE(form.seen[2].scaleHeight, 3270.0f);
    QCOMPARE(form.Width(), 6045.0f);
    QCOMPARE(widthAfterSet, form.ScaleWidth());
    QCOMPARE(form.ScaleHeight(), 3270.0f);
    form.Unload();
}

void TestRuntime::lateResizeForSameChangeRunsNothing()
{
    RuntimeRecorder recorder;
    ResizeProbe form;
    form.Show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    QTest::qWait(50);
    form.seen.clear();
    form.setWidth(7000);
    QCOMPARE(form.seen.size(), 1);
    // The window system's own resize events for that change arrive later: nothing runs again.
    QCoreApplication::sendPostedEvents();
    QTest::qWait(50);
    QCOMPARE(form.seen.size(), 1);
    // Setting the same width again is no change.
    form.setWidth(7000);
    QCOMPARE(form.seen.size(), 1);
    form.Unload();
}

void TestRuntime::userResizeRunsHandlerOnce()
{
    RuntimeRecorder recorder;
    ResizeProbe form;
    form.Show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    QTest::qWait(50);
    form.seen.clear();
    form.resize(form.width() + 40, form.height() + 30); // as a border drag does
    QTRY_COMPARE(form.seen.size(), 1);
    QCOMPARE(form.seen[0].depth, 1);
    QCOMPARE(form.seen[0].scaleWidth, form.ScaleWidth());
    QTest::qWait(50);
    QCOMPARE(form.seen.size(), 1);
    form.Unload();
}

void TestRuntime::minimisedWindowReportsState()
{
    RuntimeRecorder recorder;
    ResizeProbe form;
    form.Show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    form.seen.clear();
    form.setWindowStateNumber(1);
    QTRY_VERIFY(!form.seen.isEmpty());
    QCOMPARE(form.seen.last().windowState, 1);
    QCOMPARE(form.WindowState(), 1);
    form.setWindowStateNumber(0);
    QTRY_COMPARE(form.seen.last().windowState, 0);
    form.Unload();
}

void TestRuntime::scrollBarChangeEvents_data()
{
    QTest::addColumn<int>("max");
    QTest::addColumn<int>("value");
    QTest::addColumn<int>("newMax");
    QTest::addColumn<int>("newValue");
    QTest::addColumn<int>("events"); // change events raised by the second pair of assignments
    QTest::addColumn<int>("finalValue");
    QTest::newRow("value changes") << 5 << 0 << 5 << 3 << 1 << 3;
    QTest::newRow("same value: no event") << 5 << 3 << 5 << 3 << 0 << 3;
    QTest::newRow("max lowered below value moves it") << 5 << 4 << 2 << 2 << 1 << 2;
    QTest::newRow("max lowered to 0, value set 0") << 9 << 9 << 0 << 0 << 1 << 0;
    QTest::newRow("max raised: no event") << 2 << 2 << 32767 << 2 << 0 << 2;
    QTest::newRow("top of 16 bits") << 32767 << 0 << 32767 << 32767 << 1 << 32767;
}

void TestRuntime::scrollBarChangeEvents()
{
    QFETCH(int, max);
    QFETCH(int, value);
    QFETCH(int, newMax);
    QFETCH(int, newValue);
    QFETCH(int, events);
    QFETCH(int, finalValue);
    QWidget parent;
    ScrollBar bar(&parent, QStringLiteral("VScroll"));
    QList<int> seen;
    bar.setChangeHandler([&] { seen << bar.Value(); });
    bar.setMax(std::int16_t(max));
    bar.setValue(std::int16_t(value));
    seen.clear();
    bar.setMax(std::int16_t(newMax));
    bar.setValue(std::int16_t(newValue));
    QCOMPARE(seen.size(), events); // raised at once, inside the assignments
    QCOMPARE(int(bar.Value()), finalValue);
    if (events)
        QCOMPARE(seen.last(), finalValue);
    QCoreApplication::processEvents();
    QCOMPARE(seen.size(), events);
}

void TestRuntime::scrollBarUserChanges()
{
    RuntimeRecorder recorder;
    ResizeProbe form;
    ScrollBar bar(form.client(), QStringLiteral("VScroll"));
    bar.Move(2430, 0, 255, 1695);
    bar.setMax(10);
    QList<int> seen;
    bar.setChangeHandler([&] { seen << bar.Value(); });
    form.Show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    auto* qbar = static_cast<QScrollBar*>(bar.widget());
    // The down arrow moves one page.
    QTest::mouseClick(qbar, Qt::LeftButton, {}, QPoint(qbar->width() / 2, qbar->height() - 3));
    QTRY_COMPARE(seen, QList<int>{1});
    // A click in the track below the slider moves one page too.
    QTest::mouseClick(qbar, Qt::LeftButton, {}, QPoint(qbar->width() / 2, qbar->height() - qbar->width() - 4));
    QTRY_COMPARE(seen, (QList<int>{1, 2}));
    // One wheel notch: one page.
    QWheelEvent wheel(QPointF(5, 5), qbar->mapToGlobal(QPointF(5, 5)), QPoint(), QPoint(0, -120), Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(qbar, &wheel);
    QTRY_COMPARE(seen, (QList<int>{1, 2, 3}));
    form.Unload();
}

void TestRuntime::controlArrayLoadsHiddenCopies()
{
    QWidget frame;
    ControlArray<Label> labels(std::make_unique<Label>(&frame, QStringLiteral("Lbl_Photo")));
    labels[0].Move(60, 1320, 1800, 270);
    labels[0].setBackColor(Qt::white);
    labels[0].setAlignment(Qt::AlignCenter);
    labels[0].setCaption(QStringLiteral("a.bmp"));
    labels[0].setVisible(true);
    for (int i = 1; i < 4; ++i)
        labels.Load(i);
    QCOMPARE(labels.UBound(), 3);
    QCOMPARE(labels.Count(), 4);
    const Label& copy = labels[3];
    QCOMPARE(copy.Name(), QStringLiteral("Lbl_Photo"));
    QCOMPARE(copy.widget()->property("index").toInt(), 3);
    QCOMPARE(copy.Index(), std::int16_t(3));
    QCOMPARE(copy.Left(), 60.0f);
    QCOMPARE(copy.Top(), 1320.0f);
    QCOMPARE(copy.Width(), 1800.0f);
    QVERIFY(!copy.Visible());
    QCOMPARE(copy.widget()->palette().color(QPalette::Window), QColor(Qt::white));
    QCOMPARE(copy.widget()->parentWidget(), &frame);
    QCOMPARE(labels[0].widget()->property("index").toInt(), 0);
}

void TestRuntime::controlArrayBounds_data()
{
    QTest::addColumn<int>("index");
    QTest::addColumn<bool>("load");
    QTest::addColumn<int>("error");
    QTest::newRow("read past the end") << 5 << false << 9;
    QTest::newRow("read negative") << -1 << false << 9;
    QTest::newRow("load existing") << 1 << true << 360;
    QTest::newRow("load past 16 bits") << 32768 << true << 9;
    QTest::newRow("load negative") << -1 << true << 9;
}

void TestRuntime::controlArrayBounds()
{
    QFETCH(int, index);
    QFETCH(bool, load);
    QFETCH(int, error);
    QWidget frame;
    ControlArray<Image> images(std::make_unique<Image>(&frame, QStringLiteral("Img_Photo")));
    images.Load(1);
    try {
        if (load)
            images.Load(index);
        else
            images[index];
        QFAIL("no error raised");
    } catch (const RuntimeError& e) {
        QCOMPARE(e.number(), error);
    }
    QCOMPARE(images.Count(), 2);
}

void TestRuntime::controlArrayClickCarriesIndex()
{
    RuntimeRecorder recorder;
    ResizeProbe form;
    ControlArray<Image> images(std::make_unique<Image>(form.client(), QStringLiteral("Img_Photo")));
    images[0].Move(0, 0, 600, 600);
    QList<int> clicked;
    images.setClickHandler([&](std::int16_t i) { clicked << i; });
    images.Load(1);
    images.Load(2);
    images[2].setLeft(900);
    images[2].setVisible(true);
    images[0].setVisible(true);
    form.Show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    QTest::mouseClick(images[2].widget(), Qt::LeftButton);
    QTest::mouseClick(images[0].widget(), Qt::LeftButton);
    QTRY_COMPARE(clicked, (QList<int>{2, 0}));
    form.Unload();
}

void TestRuntime::messageBoxIsModalWarning()
{
    testsupport::MessageBoxSeen seen;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    bool modal = false;
    testsupport::whenModal([](QWidget* w) { return qobject_cast<QMessageBox*>(w); },
                           [&](QWidget* w) {
                               auto* box = static_cast<QMessageBox*>(w);
                               icon = box->icon();
                               modal = box->isModal();
                               seen.text = box->text();
                               seen.title = box->windowTitle();
                               QCOMPARE(box->buttons().size(), 1);
                               box->button(QMessageBox::Ok)->click();
                           });
    MsgBox(QStringLiteral("ﾌｧｲﾙがありませんでした。"), vbExclamation, QStringLiteral("Tarnavel"));
    QCOMPARE(seen.text, QStringLiteral("ﾌｧｲﾙがありませんでした。"));
    QCOMPARE(seen.title, QStringLiteral("Tarnavel"));
    QCOMPARE(icon, QMessageBox::Warning);
    QVERIFY(modal);
}

void TestRuntime::uncaughtErrorShowsMessageAndEnds_data()
{
    QTest::addColumn<int>("number");
    QTest::newRow("overflow") << 6;
    QTest::newRow("invalid picture") << 481;
}

void TestRuntime::uncaughtErrorShowsMessageAndEnds()
{
    QFETCH(int, number);
    RuntimeRecorder recorder;
    bool after = false;
    runHandler([&] {
        raise(number);
        after = true;
    });
    QVERIFY(!after);
    QCOMPARE(recorder.messages.size(), 1);
    QCOMPARE(recorder.messages[0], QCoreApplication::applicationName() + '|' + fatalErrorText(number));
    QCOMPARE(recorder.ends, QList<int>{1});
}

void TestRuntime::mousePointerStaysBalanced()
{
    Screen::setMousePointer(vbHourglass);
    Screen::setMousePointer(vbHourglass);
    QVERIFY(QGuiApplication::overrideCursor());
    QCOMPARE(QGuiApplication::overrideCursor()->shape(), Qt::WaitCursor);
    Screen::setMousePointer(vbDefault);
    QVERIFY(!QGuiApplication::overrideCursor());
    Screen::setMousePointer(vbDefault);
    QVERIFY(!QGuiApplication::overrideCursor());
    QCOMPARE(Screen::MousePointer(), vbDefault);
}

void TestRuntime::closeBoxUnloadsAndDiscards()
{
    RuntimeRecorder recorder;
    QPointer<ResizeProbe> form = new ResizeProbe;
    form->Show();
    QVERIFY(QTest::qWaitForWindowExposed(form));
    form->close(); // the close box
    QCOMPARE(form->unloads, 1);
    QVERIFY(!form->Loaded());
    QVERIFY(!form->isVisible());
    QCOMPARE(recorder.noFormsLeft, 1);
    QTRY_VERIFY(form.isNull());
}

void TestRuntime::unloadWaitsForRunningHandler()
{
    RuntimeRecorder recorder;
    QPointer<ResizeProbe> form = new ResizeProbe;
    form->Show();
    bool stillThere = false;
    form->run([&] {
        form->close();
        Ra_Rav::YieldMessage();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        stillThere = !form.isNull() && !form->Loaded();
    });
    QVERIFY(stillThere);
    QTRY_VERIFY(form.isNull());
}

void TestRuntime::modalShowReturnsAfterUnload()
{
    RuntimeRecorder recorder;
    QPointer<ResizeProbe> owner = new ResizeProbe;
    owner->Show();
    QPointer<ResizeProbe> dialog = new ResizeProbe(2430, 825, false);
    bool closed = false;
    testsupport::whenModal([&](QWidget* w) { return w == dialog.data(); }, [](QWidget* w) { w->close(); }, &closed);
    dialog->Show(1);
    QVERIFY(closed);
    QCOMPARE(dialog->unloads, 1);
    QCOMPARE(recorder.noFormsLeft, 0); // the owner is still loaded
    owner->Unload();
    QCOMPARE(recorder.noFormsLeft, 1);
}

QTEST_MAIN(TestRuntime)
#include "tst_runtime.moc"
