// Browsing a folder: the scan into the photo list and the page display. What arrives while a page
// is being built is tried in tst_storms.

#include "app/mdlselect.h"
#include "browser/frmselect.h"
#include "support/browsefixture.h"
#include "support/picturefiles.h"

#include <QTest>

using namespace testsupport;

class TestBrowse : public QObject {
    Q_OBJECT
private slots:
    void init() { m_test = std::make_unique<MainWindowTest>(); }
    void cleanup() { m_test.reset(); }
    void scanOrderAndFlags_data();
    void scanOrderAndFlags();
    void pages_data();
    void pages();
    void resizeKeepingPageSizeKeepsPage();

private:
    std::unique_ptr<MainWindowTest> m_test;
};

void TestBrowse::scanOrderAndFlags_data()
{
    QTest::addColumn<int>("bmp");
    QTest::addColumn<int>("jpg");
    QTest::addColumn<int>("gif");
    QTest::addColumn<QStringList>("names");
    QTest::newRow("all types, bitmap then JPEG then GIF") << 1 << 1 << 1 << QStringList{"a.bmp", "Z.BMP", "c.jpg", "D.JPG", "b.gif"};
    QTest::newRow("a flag other than 1 skips its type") << -1 << 1 << 2 << QStringList{"c.jpg", "D.JPG"};
    QTest::newRow("all clear") << 0 << 0 << 0 << QStringList{};
}

void TestBrowse::scanOrderAndFlags()
{
    QFETCH(int, bmp);
    QFETCH(int, jpg);
    QFETCH(int, gif);
    QFETCH(QStringList, names);
    BrowseFixture& drive = m_test->drive;
    const QString folder = drive.makeFolder(QStringLiteral("mixed"));
    for (const char* name : {"b.gif", "a.bmp", "Z.BMP", "c.jpg", "D.JPG", "e.jpeg", "notes.txt"}) {
        const QString ext = QString(name).toLower().section('.', -1);
        drive.writeBytes(folder, name, ext == "gif" ? gifBytes(8, 8, Qt::red) : ext == "bmp" ? bmpBytes(8, 8, Qt::green)
                                                                                         : jpegBytes(8, 8, Qt::blue));
    }
    MdlSelect::UseBmp = bmp;
    MdlSelect::UseJpg = jpg;
    MdlSelect::UseGif = gif;
    MdlSelect::PhotoFolder = folder;
    m_test->window->ListPhotos();
    QCOMPARE(MdlSelect::PhotoCount, names.size());
    QCOMPARE(m_test->recorder.messages, names.isEmpty() ? QStringList{"Tarnavel|ﾌｧｲﾙがありませんでした。"} : QStringList{});
    if (!names.isEmpty())
        QCOMPARE(m_test->window->PhotoNames, names);
}

void TestBrowse::pages_data()
{
    QTest::addColumn<int>("count");
    QTest::addColumn<int>("page");
    QTest::addColumn<int>("filled");
    QTest::addColumn<int>("pages");
    QTest::newRow("an empty folder after a full one") << 0 << 0 << 0 << 1;
    QTest::newRow("one photo") << 1 << 0 << 1 << 1;
    QTest::newRow("13: the last page holds one") << 13 << 1 << 1 << 2;
    QTest::newRow("last of 24 is full") << 24 << 1 << 12 << 2;
    QTest::newRow("middle of 25") << 25 << 1 << 12 << 3;
    QTest::newRow("last of 25") << 25 << 2 << 1 << 3;
}

void TestBrowse::pages()
{
    QFETCH(int, count);
    QFETCH(int, page);
    QFETCH(int, filled);
    QFETCH(int, pages);
    FrmSelect* w = m_test->window;
    browse(w, m_test->drive.makeBmpFolder(QStringLiteral("full"), 30));
    w->VScroll.setValue(2);
    browse(w, m_test->drive.makeBmpFolder(QStringLiteral("pages"), count));
    QCOMPARE(m_test->recorder.messages.size(), count == 0 ? 1 : 0);
    QCOMPARE(MdlSelect::PhotoCount, count);
    QCOMPARE(int(w->VScroll.Max()), pages - 1);
    QCOMPARE(w->VScroll.Enabled(), pages > 1);
    QCOMPARE(w->Caption(), QStringLiteral("Tarnavel（1 / %1）").arg(pages));
    w->VScroll.setValue(std::int16_t(page)); // the change event shows the page
    QCOMPARE(w->Caption(), QStringLiteral("Tarnavel（%1 / %2）").arg(page + 1).arg(pages));
    for (int i = 0; i < 12; ++i) {
        if (i < filled) {
            QVERIFY2(slotShows(w, i, page * 12 + i), qPrintable(QString::number(i)));
        } else {
            QVERIFY(!w->Img_Photo[i].Visible() && !w->Img_Photo[i].hasPicture() && !w->Lbl_Photo[i].Visible());
            QCOMPARE(w->Lbl_Photo[i].Caption(), QString());
        }
    }
}

void TestBrowse::resizeKeepingPageSizeKeepsPage()
{
    FrmSelect* w = m_test->window;
    browse(w, m_test->drive.makeBmpFolder(QStringLiteral("keep"), 60));
    w->VScroll.setValue(3);
    setInnerSize(w, 8200, 5200); // still 4 x 3
    QCOMPARE(w->VScroll.Value(), std::int16_t(3));
    QCOMPARE(w->Caption(), QStringLiteral("Tarnavel（4 / 5）"));
    QVERIFY(slotShows(w, 0, 36));
}

QTEST_MAIN(TestBrowse)
#include "tst_browse.moc"
