// The thumbnail threads: each slot gets its own picture, made with the checks of any load; errors give
// empty slots; a batch that a newer one superseded gives nothing; only small pictures are decoded on
// the asking thread. (Page builds interrupted by events are the storm tests' part.)

#include "platform/errors.h"
#include "platform/pictures/thumbnailloader.h"
#include "support/browsefixture.h"
#include "support/picturefiles.h"

#include <QDateTime>
#include <QTemporaryDir>
#include <QTest>

using namespace platform;
using namespace testsupport;

namespace {
constexpr int BigW = 200, BigH = 150; // bitmaps well above ThumbnailLoader::LightFileBytes
const auto always = [] { return true; };
} // namespace

class TestThumbnails : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { ThumbnailLoader::setCache(ThumbnailCache(m_dir.filePath(QStringLiteral("cache")))); }
    void decodes_data();
    void decodes();
    void slotsGetTheirOwnPictures();

private:
    // One file for each slot of `slotList`, of `bytes(slot)`, and the jobs that make them 30 x 20.
    QList<ThumbnailJob> jobsFor(const QList<int>& slotList, const std::function<QByteArray(int)>& bytes)
    {
        QList<ThumbnailJob> jobs;
        for (int slot : slotList) {
            const QString path = m_dir.filePath(QStringLiteral("p%1").arg(slot));
            jobs.append({slot, path, writeFile(path, bytes(slot)) ? path : QString(), QSize(30, 20)});
        }
        return jobs;
    }
    QTemporaryDir m_dir;
};

void TestThumbnails::decodes_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("error");
    QTest::addColumn<bool>("onCaller"); // decoded on the asking thread rather than a worker
    QTest::addColumn<QByteArray>("rewrite"); // then written over the file within the same second
    const QImage small = quarteredImage(96, 64), large = quarteredImage(BigW, BigH);
    QTest::newRow("large bitmap, rewritten in the same second") << bmpBytes(large) << 0 << false << bmpBytes(large.mirrored(true, true));
    QTest::newRow("small JPEG") << jpegBytes(small, 95) << 0 << true << QByteArray();
    QTest::newRow("large bitmap stored top row first") << bmpOf(large, {.topDown = true}) << 0 << false << QByteArray();
    QTest::newRow("JPEG turned by EXIF, padded for a worker") << withExifOrientation(jpegBytes(small.transformed(QTransform().rotate(-90)), 95), 6) + QByteArray(70000, '\0') << 0 << false << QByteArray();
    // Small files of large pictures: the decode's size, not the file's, keeps them off the asking thread.
    QTest::newRow("small JPEG of a large picture") << jpegBytes(large.scaled(2000, 1500), 20) << 0 << false << QByteArray();
    QTest::newRow("small GIF with a large screen") << claiming(gifBytes(1, 1, Qt::white), 3000, 2000) << 0 << false << QByteArray();
    QTest::newRow("garbage") << QByteArray(100000, 'g') << int(ErrInvalidPicture) << false << QByteArray();
    QTest::newRow("cut short") << truncated(bmpBytes(large), 0.5) << int(ErrInvalidPicture) << true << QByteArray();
    QTest::newRow("absurd header") << claiming(bmpBytes(8, 8, Qt::gray), 100000, 100000) << int(ErrInvalidPicture) << true << QByteArray();
}

// On the calling thread, and through the loader: the same picture, or the same error.
void TestThumbnails::decodes()
{
    QFETCH(QByteArray, bytes);
    QFETCH(int, error);
    QFETCH(bool, onCaller);
    const QList<ThumbnailJob> jobs = jobsFor({7}, [&](int) { return bytes; });
    const qint64 before = ThumbnailLoader::counts().onCaller;
    ThumbnailLoader loader;
    ThumbnailBatch batch = loader.start(jobs);
    const std::optional<ThumbnailResult> pooled = batch.take(7, always);
    QVERIFY(pooled.has_value());
    QCOMPARE(ThumbnailLoader::counts().onCaller - before, onCaller ? 1 : 0);
    for (const ThumbnailResult& r : {decodeThumbnail(jobs[0].systemPath, jobs[0].target), *pooled}) {
        QCOMPARE(r.error, error);
        QCOMPARE(r.image.size(), error ? QSize(0, 0) : QSize(30, 20));
        QVERIFY(error || bytes.size() < 1000 || showsQuarters(r.image)); // the absurd GIF has no quarters
    }
    // Its cache entry written, the file rewritten to the same size within the same second: the cache
    // cannot tell, the threads can.
    QFETCH(QByteArray, rewrite);
    const QString path = jobs[0].systemPath;
    const FileStamp was = stampOf(path);
    QFile file(path);
    if (rewrite.isEmpty())
        return;
    QVERIFY(ThumbnailLoader::waitForWrites(20000) && !ThumbnailCache(m_dir.filePath("cache")).find(path, was, 128).isNull());
    QVERIFY(writeFile(path, rewrite) && file.open(QIODevice::ReadWrite));
    QVERIFY(file.setFileTime(QDateTime::fromMSecsSinceEpoch(was.mtime * 1000 + (was.mtimeNs / 1000000 + 500) % 1000), QFileDevice::FileModificationTime));
    QVERIFY(showsQuarters(loader.start(jobs).take(7, always)->image, {QuarterColours[3], QuarterColours[2], QuarterColours[1], QuarterColours[0]}));
}

// A batch superseded by one of the same pictures in other slots gives nothing; the new one gives each
// slot its own picture, in any order of slots, and its errors.
void TestThumbnails::slotsGetTheirOwnPictures()
{
    QList<ThumbnailJob> jobs = jobsFor({5, 0, 11, 3, 8, 1, 10, 2, 7, 4, 9, 6}, // even: on the workers, odd: on the caller
                                       [](int n) { return bmpBytes(n % 2 ? 16 : BigW, n % 2 ? 12 : BigH, pictureColour(n)); });
    const auto done = [] { return ThumbnailLoader::counts().onWorkers + ThumbnailLoader::counts().onCaller + ThumbnailLoader::counts().dropped; };
    const qint64 before = done();
    ThumbnailLoader loader;
    ThumbnailLoader::resetPeak();
    ThumbnailBatch old = loader.start(jobs);
    for (int n = 0; n < 20; ++n) // superseded as fast as they come: what runs never outnumbers the threads
        loader.start(jobs);
    for (ThumbnailJob& job : jobs)
        job.slot = 11 - job.slot; // the same pictures in the other slots
    jobs.append({12, QStringLiteral("gone"), m_dir.filePath(QStringLiteral("gone.bmp")), QSize(30, 20)});
    jobs.append({13, QStringLiteral("X:\\no drive"), QString(), QSize(30, 20), ErrDeviceUnavailable});
    ThumbnailBatch batch = loader.start(jobs);
    for (const ThumbnailJob& job : jobs.first(12)) {
        QVERIFY(!old.take(job.slot, always).has_value());
        const std::optional<ThumbnailResult> r = batch.take(job.slot, always);
        QVERIFY(r.has_value() && r->error == 0);
        QVERIFY2(near(r->image.pixelColor(15, 10), pictureColour(11 - job.slot), 8), qPrintable(QString::number(job.slot)));
    }
    QCOMPARE(batch.take(12, always)->error, int(ErrFileNotFound));
    QCOMPARE(batch.take(13, always)->error, int(ErrDeviceUnavailable));
    // Every job of the old batches was either never started or made and thrown away; none is lost.
    QTRY_COMPARE(done() - before, qint64(21 * 6 + 13)); // light jobs not taken never run
    QVERIFY(ThumbnailLoader::counts().peakRunning <= ThumbnailLoader::threadCount());
}

QTEST_MAIN(TestThumbnails)
#include "tst_thumbnails.moc"
