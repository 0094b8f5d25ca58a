// Browsing a folder: the scan into the photo list and the page display. What arrives while a page
// is being built is tried in tst_storms.

#include "app/mdlselect.h"
#include "browser/frmselect.h"
#include "platform/drives.h"
#include "platform/runtime.h"
#include "support/browsefixture.h"
#include "support/picturefiles.h"

#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>

using namespace testsupport;

namespace {
QString pname(int n) { return QStringLiteral("p%1.bmp").arg(n, 3, 10, QChar('0')); }
} // namespace

class TestBrowse : public QObject {
    Q_OBJECT
private slots:
    void init()
    {
        m_recorder = std::make_unique<RuntimeRecorder>();
        m_drive = std::make_unique<BrowseFixture>();
        m_window = startGridWindow();
        QCOMPARE(m_window->PageSize, 12);
    }
    void cleanup()
    {
        closeMainWindow();
        m_drive.reset();
        m_recorder.reset();
    }

    void scanOrderAndFlags_data();
    void scanOrderAndFlags();
    void emptyScanAfterFullOne();

    void pages_data();
    void pages();
    void scrollChangeShowsPageOnlyWhenReady();
    void resizeKeepingPageSizeKeepsPage();
    void tooManyPagesAreClippedAndTold();

private:
    std::unique_ptr<RuntimeRecorder> m_recorder;
    std::unique_ptr<BrowseFixture> m_drive;
    FrmSelect* m_window = nullptr;
};

void TestBrowse::scanOrderAndFlags_data()
{
    QTest::addColumn<int>("bmp");
    QTest::addColumn<int>("jpg");
    QTest::addColumn<int>("gif");
    QTest::addColumn<QStringList>("names");
    const QStringList all{"a.bmp", "Z.BMP", "c.jpg", "D.JPG", "b.gif"};
    QTest::newRow("all types, bitmap then JPEG then GIF") << 1 << 1 << 1 << all;
    QTest::newRow("no JPEG") << 1 << 0 << 1 << QStringList{"a.bmp", "Z.BMP", "b.gif"};
    QTest::newRow("only GIF") << 0 << 0 << 1 << QStringList{"b.gif"};
    QTest::newRow("a flag other than 1 skips its type") << -1 << 1 << 2 << QStringList{"c.jpg", "D.JPG"};
    QTest::newRow("all clear") << 0 << 0 << 0 << QStringList{};
}

void TestBrowse::scanOrderAndFlags()
{
    QFETCH(int, bmp);
    QFETCH(int, jpg);
    QFETCH(int, gif);
    QFETCH(QStringList, names);
    const QString folder = m_drive->makeFolder(QStringLiteral("mixed"));
    m_drive->writeBytes(folder, "b.gif", gifBytes(8, 8, Qt::red));
    m_drive->writeBytes(folder, "a.bmp", bmpBytes(8, 8, Qt::green));
    m_drive->writeBytes(folder, "Z.BMP", bmpBytes(8, 8, Qt::green));
    m_drive->writeBytes(folder, "c.jpg", jpegBytes(8, 8, Qt::blue));
    m_drive->writeBytes(folder, "D.JPG", jpegBytes(8, 8, Qt::blue));
    m_drive->writeBytes(folder, "e.jpeg", jpegBytes(8, 8, Qt::blue));
    m_drive->writeBytes(folder, "notes.txt", "text");
    MdlSelect::UseBmp = bmp;
    MdlSelect::UseJpg = jpg;
    MdlSelect::UseGif = gif;
    MdlSelect::PhotoFolder = folder;
    m_window->ListPhotos();
    QCOMPARE(MdlSelect::PhotoCount, names.size());
    if (names.isEmpty()) {
        QCOMPARE(m_recorder->messages, QStringList{"Tarnavel|ﾌｧｲﾙがありませんでした。"});
    } else {
        QCOMPARE(m_window->PhotoNames, names);
        QVERIFY(m_recorder->messages.isEmpty());
    }
}

void TestBrowse::emptyScanAfterFullOne()
{
    browse(m_window, m_drive->makeBmpFolder(QStringLiteral("full"), 30));
    m_window->VScroll.setValue(2);
    browse(m_window, m_drive->makeFolder(QStringLiteral("empty")));
    QCOMPARE(m_recorder->messages.size(), 1);
    QCOMPARE(m_window->VScroll.Max(), std::int16_t(0));
    QCOMPARE(m_window->VScroll.Value(), std::int16_t(0));
    QVERIFY(!m_window->VScroll.Enabled());
    QCOMPARE(m_window->PhotoNames.size(), 30); // the earlier names stay, unused
    for (int i = 0; i < 12; ++i)
        QVERIFY(!m_window->Img_Photo[i].Visible() && !m_window->Img_Photo[i].hasPicture());
    QCOMPARE(m_window->Caption(), QStringLiteral("Tarnavel（1 / 1）"));
}

void TestBrowse::pages_data()
{
    QTest::addColumn<int>("count");
    QTest::addColumn<int>("page");
    QTest::addColumn<int>("filled");
    QTest::addColumn<int>("pages");
    QTest::newRow("one photo") << 1 << 0 << 1 << 1;
    QTest::newRow("only page of 12") << 12 << 0 << 12 << 1;
    QTest::newRow("13: the last page holds one") << 13 << 1 << 1 << 2;
    QTest::newRow("last of 24 is full") << 24 << 1 << 12 << 2;
    QTest::newRow("first of 25") << 25 << 0 << 12 << 3;
    QTest::newRow("middle of 25") << 25 << 1 << 12 << 3;
    QTest::newRow("last of 25") << 25 << 2 << 1 << 3;
}

void TestBrowse::pages()
{
    QFETCH(int, count);
    QFETCH(int, page);
    QFETCH(int, filled);
    QFETCH(int, pages);
    browse(m_window, m_drive->makeBmpFolder(QStringLiteral("pages"), count));
    QCOMPARE(MdlSelect::PhotoCount, count);
    QCOMPARE(int(m_window->VScroll.Max()), pages - 1);
    QCOMPARE(m_window->VScroll.Enabled(), pages > 1);
    QCOMPARE(m_window->Caption(), QStringLiteral("Tarnavel（1 / %1）").arg(pages));
    m_window->VScroll.setValue(std::int16_t(page)); // the change event shows the page
    QCOMPARE(m_window->Caption(), QStringLiteral("Tarnavel（%1 / %2）").arg(page + 1).arg(pages));
    for (int i = 0; i < 12; ++i) {
        if (i < filled) {
            QVERIFY2(slotShows(m_window, i, page * 12 + i, pname(page * 12 + i)), qPrintable(QString::number(i)));
        } else {
            QVERIFY(!m_window->Img_Photo[i].Visible());
            QVERIFY(!m_window->Img_Photo[i].hasPicture());
            QVERIFY(!m_window->Lbl_Photo[i].Visible());
            QCOMPARE(m_window->Lbl_Photo[i].Caption(), QString());
        }
    }
}

void TestBrowse::scrollChangeShowsPageOnlyWhenReady()
{
    browse(m_window, m_drive->makeBmpFolder(QStringLiteral("ready"), 30));
    m_window->PageReady = 0;
    m_window->VScroll.setValue(2);
    QCOMPARE(m_window->Caption(), QStringLiteral("Tarnavel（1 / 3）"));
    QVERIFY(slotShows(m_window, 0, 0, pname(0)));
    m_window->PageReady = -1;
    // The user's click on the arrow: one page on.
    auto* bar = static_cast<QScrollBar*>(m_window->VScroll.widget());
    bar->triggerAction(QAbstractSlider::SliderSingleStepSub);
    QTRY_COMPARE(m_window->Caption(), QStringLiteral("Tarnavel（2 / 3）"));
    QVERIFY(slotShows(m_window, 0, 12, pname(12)));
}

void TestBrowse::resizeKeepingPageSizeKeepsPage()
{
    browse(m_window, m_drive->makeBmpFolder(QStringLiteral("keep"), 60));
    m_window->VScroll.setValue(3);
    setInnerSize(m_window, 8200, 5200); // still 4 x 3
    QCOMPARE(m_window->VScroll.Value(), std::int16_t(3));
    QCOMPARE(m_window->Caption(), QStringLiteral("Tarnavel（4 / 5）"));
    QVERIFY(slotShows(m_window, 0, 36, pname(36)));
    setInnerSize(m_window, 9615, 6420); // 5 x 4: back to the first page
    QCOMPARE(m_window->VScroll.Value(), std::int16_t(0));
    QCOMPARE(m_window->VScroll.Max(), std::int16_t(2));
    QCOMPARE(m_window->Caption(), QStringLiteral("Tarnavel（1 / 3）"));
    QVERIFY(slotShows(m_window, 19, 19, pname(19)));
    QCOMPARE(m_window->Img_Photo[19].Left(), float(4 * 1860 + 60));
}

void TestBrowse::tooManyPagesAreClippedAndTold()
{
    // 32,768 pages of 6 and one photo more: made as empty files, which list but do not load.
    setInnerSize(m_window, 6045 - (m_window->Width() - m_window->ScaleWidth()), 3270);
    QCOMPARE(m_window->PageSize, 6);
    // Made in memory where the system has a memory file system: creating files on disk is slow here.
    QTemporaryDir huge(fastTempBase() + QStringLiteral("/tarnavel-huge-XXXXXX"));
    QVERIFY(huge.isValid());
    platform::setDriveTable({{QChar('C'), m_drive->root(), {}}, {QChar('D'), huge.path(), {}}});
    const int count = 32768 * 6 + 1;
    for (int n = 0; n < count; ++n)
        QFile(huge.filePath(QStringLiteral("%1.bmp").arg(n, 6, 10, QChar('0')))).open(QIODevice::WriteOnly);
    const QString folder = QStringLiteral("D:\\");
    browse(m_window, folder);
    QCOMPARE(MdlSelect::PhotoCount, count);
    QCOMPARE(m_window->VScroll.Max(), std::int16_t(32767));
    QCOMPARE(m_recorder->messages.size(), 1);
    QVERIFY(m_recorder->messages[0].contains(QString::number(32768 * 6 + 1)));
    m_window->VScroll.setValue(32767);
    QCOMPARE(m_window->Caption(), QStringLiteral("Tarnavel（32768 / 32768）"));
    QCOMPARE(m_window->Lbl_Photo[5].Caption(), QStringLiteral("%1.bmp").arg(32768 * 6 - 1, 6, 10, QChar('0')));
    QVERIFY(m_recorder->ends.isEmpty());
}

QTEST_MAIN(TestBrowse)
#include "tst_browse.moc"
