// Pages made ahead: the neighbours of the page shown are made while the window is idle, used only
// while their files are unchanged, and given up as soon as the user acts. And the desktop's shared
// thumbnail cache as the page display uses it.

#include "app/mdlselect.h"
#include "browser/frmselect.h"
#include "platform/drives.h"
#include "platform/pictures/thumbnailcache.h"
#include "platform/pictures/thumbnailloader.h"
#include "support/browsefixture.h"
#include "support/modal.h"
#include "support/picturefiles.h"
#include "viewer/frmphoto.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace testsupport;

namespace {
// A bitmap large enough to be made on the thumbnail threads (small files are made on the spot).
QByteArray photo(int n, int width = 200) { return bmpBytes(width, 120, pictureColour(n)); }
qint64 workerThumbnails() { return platform::ThumbnailLoader::counts().onWorkers; }
} // namespace

class TestAhead : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { platform::ThumbnailLoader::setCache(platform::ThumbnailCache(QString())); }
    void init() { m_test = std::make_unique<MainWindowTest>(); }
    void cleanup() { m_test.reset(); }
    void pageChangeShowsCurrentFile_data();
    void pageChangeShowsCurrentFile();
    void userStopsWorkAhead_data();
    void userStopsWorkAhead();
    void sharedCacheReadAndWritten();

private:
    QString makeFolder(int count)
    {
        const QString folder = m_test->drive.makeFolder(QStringLiteral("f"));
        for (int n = 0; n < count; ++n)
            m_test->drive.writeBytes(folder, QStringLiteral("p%1.bmp").arg(n, 3, 10, QChar('0')), photo(n));
        return folder;
    }
    std::unique_ptr<MainWindowTest> m_test;
};

void TestAhead::pageChangeShowsCurrentFile_data()
{
    QTest::addColumn<QString>("change");
    QTest::addColumn<int>("decoded"); // thumbnails the page change had to make
    for (const char* change : {"none", "rewritten", "replaced", "deleted"})
        QTest::newRow(change) << QString(change) << int(QByteArray(change) == "rewritten" || QByteArray(change) == "replaced");
}

void TestAhead::pageChangeShowsCurrentFile()
{
    QFETCH(QString, change);
    QFETCH(int, decoded);
    FrmSelect* w = m_test->window;
    const qint64 start = workerThumbnails();
    const QString folder = makeFolder(24);
    browse(w, folder);
    QTRY_COMPARE(workerThumbnails() - start, 24); // the first page, then the second made ahead
    const QString file = platform::toSystemPath(folder) + QStringLiteral("/p012.bmp");
    if (change == "deleted") {
        QVERIFY(QFile::remove(file));
    } else if (change != "none") { // replaced by a larger file, or rewritten: the same size, a later time
        QFile f(file);
        QVERIFY(QFile::remove(file) && writeFile(file, photo(100, change == "replaced" ? 210 : 200)) && f.open(QIODevice::ReadWrite));
        QVERIFY(f.setFileTime(QDateTime::currentDateTime().addSecs(10), QFileDevice::FileModificationTime));
    }
    const qint64 before = workerThumbnails();
    w->VScroll.setValue(1);
    QCOMPARE(workerThumbnails() - before, decoded);
    QCOMPARE(w->Lbl_Photo[0].Caption(), QStringLiteral("p012.bmp"));
    if (change == "deleted")
        QVERIFY(w->Img_Photo[0].Visible() && !w->Img_Photo[0].hasPicture());
    else
        QVERIFY(slotShows(w, 0, change == "none" ? 12 : 100, QStringLiteral("p012.bmp")));
    for (int i = 1; i < 12; ++i)
        QVERIFY(slotShows(w, i, 12 + i));
}

void TestAhead::userStopsWorkAhead_data()
{
    QTest::addColumn<int>("photos");
    QTest::addColumn<int>("ahead"); // jobs made ahead once the window is idle
    QTest::addColumn<QString>("action");
    QTest::newRow("one page: nothing") << 12 << 0 << "";
    QTest::newRow("a second page of one") << 13 << 1 << "";
    for (const char* action : {"page change", "viewer", "resize"})
        QTest::newRow(action) << 60 << 12 << action;
}

void TestAhead::userStopsWorkAhead()
{
    QFETCH(int, photos);
    QFETCH(int, ahead);
    QFETCH(QString, action);
    FrmSelect* w = m_test->window;
    browse(w, makeFolder(photos));
    QCoreApplication::processEvents(); // the window is idle: the work ahead starts
    QCOMPARE(w->pageBuild().aheadJobs(), ahead);
    if (action == "page change") {
        w->VScroll.setValue(3);
    } else if (action == "viewer") {
        whenModal([](QWidget* m) { return m == FrmPhoto::Existing(); }, [](QWidget*) { FrmPhoto::Existing()->Unload(); });
        w->Img_Photo_Click(0);
    } else if (action == "resize") {
        setInnerSize(w, 9615, 6420);
    }
    if (action.isEmpty())
        return;
    QCOMPARE(w->pageBuild().aheadJobs(), 0); // given up at once; made again once the window is idle
    if (action != "viewer") // (after the viewer, the page ahead may have been finished before it)
        QTRY_VERIFY(w->pageBuild().aheadJobs() > 0);
}

void TestAhead::sharedCacheReadAndWritten()
{
    using platform::ThumbnailCache;
    QTemporaryDir cache;
    platform::ThumbnailLoader::setCache(ThumbnailCache(cache.path()));
    const QString folder = makeFolder(2);
    const QString file = platform::toSystemPath(folder) + QStringLiteral("/p000.bmp");
    const QString second = platform::toSystemPath(folder) + QStringLiteral("/p001.bmp");
    // A file manager's thumbnail of the first picture, as the desktop's standard has it, in a colour
    // of its own.
    QImage theirs(128, 77, QImage::Format_RGB32);
    theirs.fill(pictureColour(7));
    theirs.setText(QStringLiteral("Thumb::URI"), QString::fromLatin1(ThumbnailCache::uriOf(file)));
    theirs.setText(QStringLiteral("Thumb::MTime"), QString::number(platform::stampOf(file).mtime));
    QVERIFY(QDir(cache.path()).mkpath(QStringLiteral("normal")));
    QVERIFY(theirs.save(cache.path() + QStringLiteral("/normal/") + ThumbnailCache::fileNameOf(file)));
    browse(m_test->window, folder);
    platform::ThumbnailLoader::setCache(ThumbnailCache(QString()));
    QVERIFY(slotShows(m_test->window, 0, 7, QStringLiteral("p000.bmp")));
    QVERIFY(slotShows(m_test->window, 1, 1)); // made here, and left for the desktop
    QVERIFY(platform::ThumbnailLoader::waitForWrites(20000));
    const QImage ours(cache.path() + QStringLiteral("/normal/") + ThumbnailCache::fileNameOf(second));
    QCOMPARE(ours.text(QStringLiteral("Thumb::URI")).toLatin1(), ThumbnailCache::uriOf(second));
}

QTEST_MAIN(TestAhead)
#include "tst_ahead.moc"
