// The arithmetic of pages and of the grid, with cases at their edges.

#include "browser/pagemath.h"

#include <QTest>

using namespace pagemath;
Q_DECLARE_METATYPE(Move)

class TestPageMath : public QObject {
    Q_OBJECT
private slots:
    void pages_data()
    {
        QTest::addColumn<int>("count");
        QTest::addColumn<int>("pageSize");
        QTest::addColumn<int>("lastPage");
        QTest::addColumn<int>("lastFill"); // slots the last page fills
        QTest::addColumn<qint64>("firstUnreachable"); // 0 when every photo has a page
        QTest::newRow("empty list: one empty page") << 0 << 12 << 0 << 0 << 0LL;
        QTest::newRow("exactly one page") << 12 << 12 << 0 << 12 << 0LL;
        QTest::newRow("one more") << 13 << 12 << 1 << 1 << 0LL;
        QTest::newRow("smallest page, last 16-bit page") << 32768 * 6 << 6 << 32767 << 6 << 0LL;
        QTest::newRow("smallest page, one photo too many") << 32768 * 6 + 1 << 6 << 32767 << 6 << 196609LL;
        QTest::newRow("largest count") << 2147483647 << 1 << 32767 << 1 << 32769LL;
    }
    void pages()
    {
        QFETCH(int, count);
        QFETCH(int, pageSize);
        QFETCH(int, lastPage);
        QFETCH(int, lastFill);
        QFETCH(qint64, firstUnreachable);
        const PageRange r = pageRange(count, pageSize);
        QCOMPARE(int(r.lastPage), lastPage);
        QCOMPARE(r.clipped, firstUnreachable != 0);
        QCOMPARE(r.clipped ? r.firstUnreachable : 0, firstUnreachable);
        QCOMPARE(filledSlots(lastPage, lastPage, count, pageSize), lastFill);
        QCOMPARE(filledSlots(0, 1, count, pageSize), pageSize); // a page before the last is full
        QCOMPARE(pageCaption(lastPage, lastPage), QStringLiteral("Tarnavel（%1 / %1）").arg(lastPage + 1));
    }

    void grid_data()
    {
        QTest::addColumn<float>("scaleWidth");
        QTest::addColumn<float>("scaleHeight");
        QTest::addColumn<int>("columns");
        QTest::addColumn<int>("rows");
        QTest::addColumn<QPoint>("lastCell"); // the last cell's thumbnail, left and top
        QTest::newRow("4 x 3 at 7755 x 4830") << 7755.0f << 4830.0f << 4 << 3 << QPoint(5640, 3240);
        QTest::newRow("3 x 2 at 7754 x 4829") << 7754.0f << 4829.0f << 3 << 2 << QPoint(3780, 1650);
        QTest::newRow("smallest window, 165 twips of border") << 6045.0f - 165 << 3270.0f << 2 << 2 << QPoint(1920, 1650);
        QTest::newRow("design size") << 3315.0f << 2220.0f << 1 << 1 << QPoint(60, 60);
        QTest::newRow("nothing fits") << 100.0f << 50.0f << 0 << 0 << QPoint();
    }
    void grid()
    {
        QFETCH(float, scaleWidth);
        QFETCH(float, scaleHeight);
        QFETCH(int, columns);
        QFETCH(int, rows);
        QFETCH(QPoint, lastCell);
        QCOMPARE(gridColumns(scaleWidth), columns);
        QCOMPARE(gridRows(scaleHeight), rows);
        if (columns > 0) {
            const CellPlace place = cellPlace(columns * rows - 1, columns);
            QCOMPARE(QPoint(place.left, place.top), lastCell);
            QVERIFY(place.left + 1800 <= scaleWidth - 315); // inside the frame
        }
    }

    void selection_data()
    {
        QTest::addColumn<int>("from");
        QTest::addColumn<Move>("move");
        QTest::addColumn<int>("to"); // in 14 photos, rows of 4
        QTest::newRow("right") << 5 << Move::Right << 6;
        QTest::newRow("left from the first photo stays") << 0 << Move::Left << 0;
        QTest::newRow("right from the last photo stays") << 13 << Move::Right << 13;
        QTest::newRow("up from the first row stays") << 3 << Move::Up << 3;
        QTest::newRow("down a row") << 6 << Move::Down << 10;
        QTest::newRow("down to a short last row: its last photo") << 11 << Move::Down << 13;
        QTest::newRow("down from the last row stays") << 12 << Move::Down << 12;
    }
    void selection()
    {
        QFETCH(int, from);
        QFETCH(Move, move);
        QFETCH(int, to);
        QCOMPARE(movedSelection(from, move, 14, 4), to);
    }
};

QTEST_APPLESS_MAIN(TestPageMath)
#include "tst_pagemath.moc"
