// The form runtime's promises: twips and guarded arithmetic, the nested resize, the scroll bar's change
// event, control arrays, message boxes and uncaught errors.

#include "platform/controlarray.h"
#include "platform/errors.h"
#include "platform/image.h"
#include "platform/runtime.h"
#include "platform/scrollbar.h"
#include "platform/twips.h"
#include "support/modal.h"
#include "support/testforms.h"

#include <QAbstractButton>
#include <QMessageBox>
#include <QTest>
#include <cmath>

using namespace platform;
using namespace testsupport;
using Op = std::function<long long()>;

class TestRuntime : public QObject {
    Q_OBJECT
private slots:
    // Twips to pixels, and the guarded integer arithmetic that raises error 6.
    void arithmetic_data()
    {
        QTest::addColumn<Op>("op");
        QTest::addColumn<long long>("expected"); // -1 stands for error 6
        QTest::newRow("half a pixel rounds away from zero") << Op([] { return toPixels(22.5f, twipsPerPixel(96.0)); }) << 2LL;
        QTest::newRow("a negative place") << Op([] { return toPixels(-45.0f, twipsPerPixel(96.0)); }) << -3LL;
        QTest::newRow("144 dpi, pixels to twips and back") << Op([] { return toPixels(toTwips(120, twipsPerPixel(144.0)), 10.0f); }) << 120LL;
        QTest::newRow("add overflows") << Op([] { return add32(2147483647, 1); }) << -1LL;
        QTest::newRow("mul overflows") << Op([] { return mul32(46341, 46341); }) << -1LL;
        QTest::newRow("trunc toward zero") << Op([] { return truncTo32(23.0 / 12) + truncTo32(-1.0 / 12); }) << 1LL;
        QTest::newRow("trunc NaN") << Op([] { return truncTo32(std::nan("")); }) << -1LL;
        QTest::newRow("narrow16 past the bottom") << Op([] { return narrowTo16(-32769); }) << -1LL;
    }
    void arithmetic()
    {
        QFETCH(Op, op);
        QFETCH(long long, expected);
        long long got = 0;
        const int error = errorOf([&] { got = op(); });
        QCOMPARE(error ? -1LL : got, expected);
        QCOMPARE(error, expected == -1 ? int(ErrOverflow) : 0);
    }

    void resizeNestsAndRunsOncePerChange()
    {
        RuntimeRecorder recorder;
        ResizeProbe form;
        form.onResize = [](ResizeProbe& f) {
            if (f.Width() < 6045)
                f.setWidth(6045); // runs the handler nested, with the new size at once
            if (f.ScaleHeight() < 3270)
                f.setHeight(f.Height() + 3270 - f.ScaleHeight());
        };
        form.Show();
        // The design size's resize, a nested one for the width, and one nested in it for the height.
        QCOMPARE(form.seen.size(), 3);
        QCOMPARE(form.seen[2].depth, 3);
        QCOMPARE(form.seen[0].scaleWidth, 3315.0f);
        QCOMPARE(form.ScaleHeight(), 3270.0f);
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        settle(); // the window system's own events for those changes run nothing again
        QCOMPARE(form.seen.size(), 3);
        form.setWidth(form.Width()); // nor does the same width again
        form.resize(form.width() + 40, form.height() + 30); // a border drag: once, not nested
        QTRY_COMPARE(form.seen.size(), 4);
        settle();
        QCOMPARE(form.seen.size(), 4);
        QCOMPARE(form.seen[3].depth, 1);
        QCOMPARE(form.seen[3].scaleWidth, form.ScaleWidth());
        form.setWindowStateNumber(1);
        QTRY_COMPARE(form.seen.last().windowState, 1);
        form.Unload();
    }

    void scrollBarChangeEvents_data()
    {
        QTest::addColumn<QList<int>>("set"); // Max and Value, then Max and Value again
        QTest::addColumn<QList<int>>("seen"); // the values the change events of the second pair saw
        QTest::newRow("value changes") << QList<int>{5, 0, 5, 3} << QList<int>{3};
        QTest::newRow("same value: no event") << QList<int>{5, 3, 5, 3} << QList<int>{};
        QTest::newRow("max lowered below value moves it") << QList<int>{5, 4, 2, 2} << QList<int>{2};
        QTest::newRow("max raised: no event") << QList<int>{2, 2, 32767, 2} << QList<int>{};
        QTest::newRow("top of 16 bits") << QList<int>{32767, 0, 32767, 32767} << QList<int>{32767};
    }
    void scrollBarChangeEvents()
    {
        QFETCH(QList<int>, set);
        QFETCH(QList<int>, seen);
        QWidget parent;
        ScrollBar bar(&parent, QStringLiteral("VScroll"));
        QList<int> got;
        bar.setChangeHandler([&] { got << bar.Value(); });
        for (int i = 0; i < 4; i += 2) {
            got.clear();
            bar.setMax(std::int16_t(set[i]));
            bar.setValue(std::int16_t(set[i + 1]));
        }
        QCOMPARE(got, seen); // raised at once, inside the assignments
        QCOMPARE(errorOf([&] { bar.setValue(std::int16_t(set[2] + 1)); }), int(ErrInvalidPropertyValue));
    }

    void controlArrays()
    {
        QWidget frame;
        ControlArray<Image> images(std::make_unique<Image>(&frame, QStringLiteral("Img_Photo")));
        images[0].Move(60, 60, 600, 600);
        images[0].setVisible(true);
        for (int i = 1; i < 4; ++i)
            images.Load(i);
        const Image& copy = images[3]; // a hidden copy of element 0 that knows its index
        QCOMPARE(copy.Index(), std::int16_t(3));
        QCOMPARE(QRectF(copy.Left(), copy.Top(), copy.Width(), copy.Height()), QRectF(60, 60, 600, 600));
        QVERIFY(!copy.Visible());
        QCOMPARE(copy.widget()->parentWidget(), &frame);
        for (const auto& [index, error] : {std::pair{4, 9}, {-1, 9}})
            QCOMPARE(errorOf([&, index = index] { images[index]; }), error);
        for (const auto& [index, error] : {std::pair{1, 360}, {32768, 9}, {-1, 9}})
            QCOMPARE(errorOf([&, index = index] { images.Load(index); }), error);
        QCOMPARE(images.Count(), 4);
    }

    void messagesAndUncaughtErrors()
    {
        QString seen;
        whenModal([](QWidget* w) { return qobject_cast<QMessageBox*>(w); },
                  [&](QWidget* w) {
                      auto* box = static_cast<QMessageBox*>(w);
                      seen = QStringLiteral("%1|%2|%3|%4").arg(box->windowTitle(), box->text()).arg(box->icon()).arg(box->buttons().size());
                      box->button(QMessageBox::Ok)->click();
                  });
        MsgBox(QStringLiteral("ﾌｧｲﾙがありませんでした。"), vbExclamation, QStringLiteral("Tarnavel"));
        QCOMPARE(seen, QStringLiteral("Tarnavel|ﾌｧｲﾙがありませんでした。|%1|1").arg(QMessageBox::Warning));
        // An error no handler caught: the runtime's message, and the end, before the handler goes on.
        RuntimeRecorder recorder;
        runHandler([] {
            platform::raise(ErrInvalidPicture); // not the C library's raise()
            QFAIL("went on after the error");
        });
        QCOMPARE(recorder.messages, QStringList{QCoreApplication::applicationName() + "|実行時エラー '481':\n\nピクチャが不正です。"});
        QCOMPARE(recorder.ends, QList<int>{1});
    }
};

QTEST_MAIN(TestRuntime)
#include "tst_runtime.moc"
