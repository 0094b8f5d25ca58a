// The arithmetic of pages and of the grid, with cases at their edges.

#include "browser/pagemath.h"
#include "platform/errors.h"

#include <QTest>

using namespace pagemath;

class TestPageMath : public QObject {
    Q_OBJECT
private slots:
    void range_data();
    void range();
    void lastPageFill_data();
    void lastPageFill();
    void caption_data();
    void caption();
    void grid_data();
    void grid();
    void cells_data();
    void cells();
};

void TestPageMath::range_data()
{
    QTest::addColumn<int>("count");
    QTest::addColumn<int>("pageSize");
    QTest::addColumn<int>("lastPage");
    QTest::addColumn<bool>("clipped");
    QTest::newRow("empty list: one page") << 0 << 12 << 0 << false;
    QTest::newRow("one photo") << 1 << 12 << 0 << false;
    QTest::newRow("exactly one page") << 12 << 12 << 0 << false;
    QTest::newRow("one more") << 13 << 12 << 1 << false;
    QTest::newRow("two full pages") << 24 << 12 << 1 << false;
    QTest::newRow("25") << 25 << 12 << 2 << false;
    QTest::newRow("smallest page, last 16-bit page") << 32768 * 6 << 6 << 32767 << false;
    QTest::newRow("smallest page, one photo too many") << 32768 * 6 + 1 << 6 << 32767 << true;
    QTest::newRow("200,000 photos at the smallest page") << 200000 << 6 << 32767 << true;
    QTest::newRow("largest count") << 2147483647 << 1 << 32767 << true;
}

void TestPageMath::range()
{
    QFETCH(int, count);
    QFETCH(int, pageSize);
    QFETCH(int, lastPage);
    QFETCH(bool, clipped);
    const PageRange r = pageRange(count, pageSize);
    QCOMPARE(int(r.lastPage), lastPage);
    QCOMPARE(r.clipped, clipped);
    if (clipped) {
        QCOMPARE(r.firstUnreachable, std::int64_t(32768) * pageSize + 1);
        QVERIFY(r.firstUnreachable <= count);
    }
}

void TestPageMath::lastPageFill_data()
{
    QTest::addColumn<int>("page");
    QTest::addColumn<int>("count");
    QTest::addColumn<int>("pageSize");
    QTest::addColumn<int>("filled");
    QTest::newRow("first of three") << 0 << 25 << 12 << 12;
    QTest::newRow("last of three") << 2 << 25 << 12 << 1;
    QTest::newRow("last page full") << 1 << 24 << 12 << 12;
    QTest::newRow("only page full") << 0 << 12 << 12 << 12;
    QTest::newRow("empty list") << 0 << 0 << 12 << 0;
    QTest::newRow("last page of a clipped list is full") << 32767 << 200000 << 6 << 6;
}

void TestPageMath::lastPageFill()
{
    QFETCH(int, page);
    QFETCH(int, count);
    QFETCH(int, pageSize);
    QFETCH(int, filled);
    const int last = pageRange(count, pageSize).lastPage;
    QCOMPARE(filledSlots(page, last, count, pageSize), filled);
    // For a list that fits, the last page holds the remainder, or a whole page when there is none.
    if (!pageRange(count, pageSize).clipped && page == last) {
        int expected = count % pageSize;
        if (expected == 0 && count > 0)
            expected = pageSize;
        QCOMPARE(filledSlots(page, last, count, pageSize), expected);
    }
}

void TestPageMath::caption_data()
{
    QTest::addColumn<int>("page");
    QTest::addColumn<int>("lastPage");
    QTest::addColumn<QString>("caption");
    QTest::newRow("first of three") << 0 << 2 << QStringLiteral("Tarnavel（1 / 3）");
    QTest::newRow("only page") << 0 << 0 << QStringLiteral("Tarnavel（1 / 1）");
    QTest::newRow("largest") << 32767 << 32767 << QStringLiteral("Tarnavel（32768 / 32768）");
}

void TestPageMath::caption()
{
    QFETCH(int, page);
    QFETCH(int, lastPage);
    QFETCH(QString, caption);
    QCOMPARE(pageCaption(page, lastPage), caption);
    QCOMPARE(caption.at(8), QChar(0xFF08));
    QCOMPARE(caption.back(), QChar(0xFF09));
}

void TestPageMath::grid_data()
{
    QTest::addColumn<float>("scaleWidth");
    QTest::addColumn<float>("scaleHeight");
    QTest::addColumn<int>("columns");
    QTest::addColumn<int>("rows");
    QTest::newRow("4 columns at 7755, 3 rows at 4830") << 7755.0f << 4830.0f << 4 << 3;
    QTest::newRow("3 columns at 7754, 2 rows at 4829") << 7754.0f << 4829.0f << 3 << 2;
    QTest::newRow("smallest window, 150 twips of border") << 6045.0f - 150 << 3270.0f << 3 << 2;
    QTest::newRow("smallest window, 165 twips of border") << 6045.0f - 165 << 3270.0f << 2 << 2;
    QTest::newRow("design size") << 3315.0f << 2220.0f << 1 << 1;
    QTest::newRow("nothing fits") << 100.0f << 50.0f << 0 << 0;
    QTest::newRow("20 cells") << 9615.0f << 6420.0f << 5 << 4;
}

void TestPageMath::grid()
{
    QFETCH(float, scaleWidth);
    QFETCH(float, scaleHeight);
    QFETCH(int, columns);
    QFETCH(int, rows);
    QCOMPARE(gridColumns(scaleWidth), columns);
    QCOMPARE(gridRows(scaleHeight), rows);
    if (columns > 0) // the last column's right edge stays inside the frame
        QVERIFY(cellPlace(columns - 1, columns).left + 1800 <= scaleWidth - 315);
}

void TestPageMath::cells_data()
{
    QTest::addColumn<int>("index");
    QTest::addColumn<int>("columns");
    QTest::addColumn<int>("left");
    QTest::addColumn<int>("top");
    QTest::newRow("first") << 0 << 4 << 60 << 60;
    QTest::newRow("end of first row") << 3 << 4 << 5640 << 60;
    QTest::newRow("start of second row") << 4 << 4 << 60 << 1650;
    QTest::newRow("third row, second column") << 9 << 4 << 1920 << 3240;
    QTest::newRow("one column") << 2 << 1 << 60 << 3240;
}

void TestPageMath::cells()
{
    QFETCH(int, index);
    QFETCH(int, columns);
    QFETCH(int, left);
    QFETCH(int, top);
    const CellPlace place = cellPlace(index, columns);
    QCOMPARE(place.left, left);
    QCOMPARE(place.top, top);
}

QTEST_APPLESS_MAIN(TestPageMath)
#include "tst_pagemath.moc"
