// Browsing a folder: the scan into the photo list, the page display, and the events that a page
// build lets through while it yields.

#include "app/mdlselect.h"
#include "browser/frmselect.h"
#include "platform/drives.h"
#include "platform/errors.h"
#include "platform/runtime.h"
#include "support/browsefixture.h"
#include "support/picturefiles.h"

#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

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
    void scrollRangeFollowsCount_data();
    void scrollRangeFollowsCount();
    void secondScanFindsFewer();
    void emptyScanAfterFullOne();
    void vanishedFolderRaisesAndKeepsList();

    void pages_data();
    void pages();
    void unreadablePictureShowsEmptySlotWithName();
    void scrollChangeShowsPageOnlyWhenReady();
    void resizeKeepingPageSizeKeepsPage();
    void tooManyPagesAreClippedAndTold();

    void scrollChangeDuringPageBuild();
    void resizeDuringRebuild();
    void closeBoxDuringPageBuild();

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

void TestBrowse::scrollRangeFollowsCount_data()
{
    QTest::addColumn<int>("count");
    QTest::addColumn<int>("max");
    QTest::newRow("1") << 1 << 0;
    QTest::newRow("12") << 12 << 0;
    QTest::newRow("13") << 13 << 1;
    QTest::newRow("24") << 24 << 1;
    QTest::newRow("25") << 25 << 2;
}

void TestBrowse::scrollRangeFollowsCount()
{
    QFETCH(int, count);
    QFETCH(int, max);
    browse(m_window, m_drive->makeBmpFolder(QStringLiteral("n"), count));
    QCOMPARE(MdlSelect::PhotoCount, count);
    QCOMPARE(int(m_window->VScroll.Max()), max);
    QCOMPARE(m_window->VScroll.Enabled(), max >= 1);
    QCOMPARE(m_window->VScroll.Value(), std::int16_t(0));
    QCOMPARE(m_window->Caption(), QStringLiteral("Tarnavel（1 / %1）").arg(max + 1));
}

void TestBrowse::secondScanFindsFewer()
{
    browse(m_window, m_drive->makeBmpFolder(QStringLiteral("big"), 30));
    browse(m_window, m_drive->makeBmpFolder(QStringLiteral("small"), 5));
    QCOMPARE(m_window->PhotoNames.size(), 5);
    QCOMPARE(MdlSelect::PhotoCount, 5);
    for (int i = 5; i < 12; ++i)
        QVERIFY(!m_window->Img_Photo[i].Visible());
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

void TestBrowse::vanishedFolderRaisesAndKeepsList()
{
    browse(m_window, m_drive->makeBmpFolder(QStringLiteral("kept"), 3));
    MdlSelect::PhotoFolder = QStringLiteral("C:\\gone");
    try {
        m_window->ListPhotos();
        QFAIL("no error for a folder that is gone");
    } catch (const platform::RuntimeError& e) {
        QCOMPARE(e.number(), 76);
    }
    QCOMPARE(MdlSelect::PhotoCount, 3);
    QCOMPARE(m_window->PhotoNames.size(), 3);
}

void TestBrowse::pages_data()
{
    QTest::addColumn<int>("count");
    QTest::addColumn<int>("page");
    QTest::addColumn<int>("filled");
    QTest::addColumn<QString>("caption");
    QTest::newRow("first of 25") << 25 << 0 << 12 << QStringLiteral("Tarnavel（1 / 3）");
    QTest::newRow("middle of 25") << 25 << 1 << 12 << QStringLiteral("Tarnavel（2 / 3）");
    QTest::newRow("last of 25") << 25 << 2 << 1 << QStringLiteral("Tarnavel（3 / 3）");
    QTest::newRow("last of 24 is full") << 24 << 1 << 12 << QStringLiteral("Tarnavel（2 / 2）");
    QTest::newRow("only page of 12") << 12 << 0 << 12 << QStringLiteral("Tarnavel（1 / 1）");
}

void TestBrowse::pages()
{
    QFETCH(int, count);
    QFETCH(int, page);
    QFETCH(int, filled);
    QFETCH(QString, caption);
    browse(m_window, m_drive->makeBmpFolder(QStringLiteral("pages"), count));
    m_window->VScroll.setValue(std::int16_t(page)); // the change event shows the page
    QCOMPARE(m_window->Caption(), caption);
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

void TestBrowse::unreadablePictureShowsEmptySlotWithName()
{
    const QString folder = m_drive->makeBmpFolder(QStringLiteral("broken"), 3);
    m_drive->writeBytes(folder, pname(1), QByteArray("BM not really a bitmap"));
    m_drive->writeBytes(folder, "p001b.bmp", truncated(bmpBytes(64, 64, Qt::red), 0.5));
    browse(m_window, folder);
    QCOMPARE(m_window->PhotoNames, (QStringList{pname(0), pname(1), "p001b.bmp", pname(2)}));
    QVERIFY(slotShows(m_window, 0, 0, pname(0)));
    for (int slot : {1, 2}) {
        QVERIFY(m_window->Img_Photo[slot].Visible());
        QVERIFY(!m_window->Img_Photo[slot].hasPicture()); // not the picture shown there before
        QCOMPARE(m_window->Lbl_Photo[slot].Caption(), m_window->PhotoNames[slot]);
        QVERIFY(m_window->Lbl_Photo[slot].Visible());
    }
    QVERIFY(slotShows(m_window, 3, 2, pname(2)));
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

void TestBrowse::scrollChangeDuringPageBuild()
{
    browse(m_window, m_drive->makeBmpFolder(QStringLiteral("nested"), 36));
    // The user moves the scroll bar while page 0 is being shown again.
    auto* bar = static_cast<QScrollBar*>(m_window->VScroll.widget());
    QTimer::singleShot(0, bar, [bar] { bar->triggerAction(QAbstractSlider::SliderSingleStepAdd); });
    m_window->ShowPage(0);
    QCOMPARE(m_window->VScroll.Value(), std::int16_t(1));
    // The outer display wrote its own page into the caption last, and filled the slots it had not
    // yet done when the nested one ran; the slots before show page 1.
    QCOMPARE(m_window->Caption(), QStringLiteral("Tarnavel（1 / 3）"));
    const int split = nestedPageSplit(m_window, 0, 1);
    QVERIFY2(split >= 1 && split <= 3, qPrintable(QString::number(split)));
}

void TestBrowse::resizeDuringRebuild()
{
    browse(m_window, m_drive->makeBmpFolder(QStringLiteral("resize"), 50));
    // A border drag to 5 x 4 arrives while the rebuild for 3 x 3 is under way.
    QTimer::singleShot(0, m_window, [w = m_window] {
        w->resize(9615 / 15, w->height() - w->client()->height() + 6420 / 15);
    });
    m_window->setWidth(m_window->Width() - 1000);
    QTRY_COMPARE(m_window->PageSize, 20);
    QTRY_COMPARE(m_window->PageReady, std::int16_t(-1));
    QCOMPARE(m_window->ShownPageSize, m_window->PageSize);
    QVERIFY(m_window->FraPhoto.Visible());
    QCOMPARE(platform::Screen::MousePointer(), platform::vbDefault);
    QCOMPARE(m_window->VScroll.Value(), std::int16_t(0));
    for (int i = 0; i < m_window->PageSize; ++i)
        QVERIFY2(slotShows(m_window, i, i, pname(i)), qPrintable(QString::number(i)));
    QCOMPARE(m_window->Img_Photo[19].Left(), float(4 * 1860 + 60));
    QCOMPARE(m_window->Img_Photo[19].Top(), float(3 * 1590 + 60));
    QVERIFY(m_recorder->ends.isEmpty());
}

void TestBrowse::closeBoxDuringPageBuild()
{
    browse(m_window, m_drive->makeBmpFolder(QStringLiteral("close"), 24));
    QPointer<FrmSelect> window = m_window;
    QTimer::singleShot(0, m_window, [window] { window->close(); });
    window->ShowPage(1); // returns once the window is gone
    QVERIFY(!window || !window->Loaded());
    QCOMPARE(m_recorder->noFormsLeft, 1);
    QVERIFY(m_recorder->ends.isEmpty());
    QTRY_VERIFY(window.isNull());
    m_window = nullptr;
}

QTEST_MAIN(TestBrowse)
#include "tst_browse.moc"
