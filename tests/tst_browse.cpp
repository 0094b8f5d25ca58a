// Browsing a folder: the scan into the photo list and the page display. What arrives while a page
// is being built is tried in tst_storms.

#include "app/mdlselect.h"
#include "browser/frmselect.h"
#include "browser/pagemath.h"
#include "platform/drives.h"
#include "support/browsefixture.h"
#include "support/picturefiles.h"

#include <QFile>
#include <QScopeGuard>
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
    void keys_data();
    void keys();
    void driveTableReadOncePerBuild();

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

void TestBrowse::keys_data()
{
    QTest::addColumn<QList<int>>("keys"); // 0: a resize to 5 x 4 cells
    QTest::addColumn<int>("page");
    QTest::addColumn<int>("cell"); // the selected cell, on 40 photos in pages of 12
    using K = QList<int>;
    const int ctrl = Qt::ControlModifier;
    QTest::newRow("a new folder: its first photo") << K{} << 0 << 0;
    QTest::newRow("right twice, within the page") << K{Qt::Key_Right, Qt::Key_Right} << 0 << 2;
    QTest::newRow("right past the page's last cell") << K{Qt::Key_Down, Qt::Key_Down, Qt::Key_Right, Qt::Key_Right, Qt::Key_Right, Qt::Key_Right} << 1 << 0;
    QTest::newRow("left past the page's first cell") << K{Qt::Key_PageDown, Qt::Key_Left} << 0 << 11;
    QTest::newRow("down past the last row") << K{Qt::Key_Down, Qt::Key_Down, Qt::Key_Down} << 1 << 0;
    QTest::newRow("up from the first photo stays") << K{Qt::Key_Up, Qt::Key_Left} << 0 << 0;
    QTest::newRow("end, then right stays on the last photo") << K{Qt::Key_End, Qt::Key_Right} << 3 << 3;
    QTest::newRow("ctrl+end, then home") << K{ctrl | Qt::Key_End, Qt::Key_Home} << 0 << 0;
    QTest::newRow("page down keeps the place") << K{Qt::Key_Right, Qt::Key_Right, Qt::Key_PageDown} << 1 << 2;
    QTest::newRow("clamped to a short last page") << K{Qt::Key_Up, Qt::Key_Down, Qt::Key_Down, Qt::Key_Left, Qt::Key_End, Qt::Key_PageUp, Qt::Key_Right, Qt::Key_Down, Qt::Key_PageDown} << 3 << 3;
    QTest::newRow("a resize that rebuilds: the first photo") << K{Qt::Key_PageDown, Qt::Key_Right, 0} << 0 << 0;
}

// The keyboard in the grid: Page Up/Down, Home and End through the page scroll bar, and the arrow keys
// moving one framed cell, across page ends.
void TestBrowse::keys()
{
    QFETCH(QList<int>, keys);
    QFETCH(int, page);
    QFETCH(int, cell);
    FrmSelect* w = m_test->window;
    browse(w, m_test->drive.makeBmpFolder(QStringLiteral("keys"), 40));
    for (const int key : keys) {
        if (key == 0)
            setInnerSize(w, 9615, 6420);
        else
            QTest::keyClick(w, Qt::Key(key & ~Qt::KeyboardModifierMask), Qt::KeyboardModifiers(key & Qt::KeyboardModifierMask));
        settle();
    }
    QTRY_COMPARE(int(w->VScroll.Value()), page);
    QTRY_COMPARE(w->Caption(), pagemath::pageCaption(page, w->VScroll.Max()));
    QCOMPARE(w->SelectedCell(), cell);
    for (int i = 0; i < w->LoadedCount; ++i) // one frame, on the selected cell
        QCOMPARE(w->Img_Photo[i].Selected(), i == cell);
}

// On the system's own drive table (C: the home folder): a page change reads it once, not once a cell,
// and so do the pages made ahead and a rebuild.
void TestBrowse::driveTableReadOncePerBuild()
{
    const QByteArray home = qgetenv("HOME");
    const auto restore = qScopeGuard([&] { qputenv("HOME", home); });
    qputenv("HOME", QFile::encodeName(m_test->drive.root()));
    platform::resetDriveTable();
    FrmSelect* w = m_test->window;
    browse(w, m_test->drive.makeBmpFolder(QStringLiteral("reads"), 40, QSize(200, 120)));
    settle();
    const int before = platform::driveTableReads();
    w->VScroll.setValue(1);
    QCOMPARE(platform::driveTableReads() - before, 1);
    QTRY_VERIFY(w->pageBuild().aheadJobs() > 0);
    QCOMPARE(platform::driveTableReads() - before, 2);
    w->setWidth(w->Width() + 1860); // a fifth column
    QCOMPARE(platform::driveTableReads() - before, 3);
}

QTEST_MAIN(TestBrowse)
#include "tst_browse.moc"
