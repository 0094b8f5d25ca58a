// The thumbnail threads: each slot gets its own picture, errors give empty slots, a batch that a newer
// one superseded gives nothing, and the page display built on them survives page changes and the
// window closing in the middle of a build.

#include "app/mdlselect.h"
#include "browser/frmselect.h"
#include "platform/errors.h"
#include "platform/thumbnailloader.h"
#include "support/browsefixture.h"
#include "support/picturefiles.h"

#include <QScrollBar>
#include <QtEndian>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

using namespace platform;
using namespace testsupport;

namespace {

// Bitmaps of this size are well above ThumbnailLoader::LightFileBytes: workers decode them.
constexpr int BigW = 200;
constexpr int BigH = 150;

QString pname(int n) { return QStringLiteral("p%1.bmp").arg(n, 3, 10, QChar('0')); }

bool near(QColor seen, QColor want)
{
    return qAbs(seen.red() - want.red()) <= 8 && qAbs(seen.green() - want.green()) <= 8 &&
           qAbs(seen.blue() - want.blue()) <= 8;
}

QColor middle(const QImage& image) { return image.pixelColor(image.width() / 2, image.height() / 2); }

// `jpeg` with comment segments after its first segments, so that its file is at least `bytes` long.
QByteArray paddedJpeg(QByteArray jpeg, int bytes)
{
    const int app1Length = (uchar(jpeg[4]) << 8) | uchar(jpeg[5]);
    const int at = jpeg.startsWith("\xFF\xD8\xFF\xE1") ? 4 + app1Length : 2;
    while (jpeg.size() < bytes) {
        QByteArray comment("\xFF\xFE\xFF\xF0", 4);
        comment.append(0xFFF0 - 2, 'x');
        jpeg.insert(at, comment);
    }
    return jpeg;
}

// `bmp` (a bottom-up 24-bit bitmap) stored top row first, as its negative height says.
QByteArray topDown(QByteArray bmp)
{
    const auto le32 = [&](int at) { return qFromLittleEndian<qint32>(bmp.constData() + at); };
    const int offBits = le32(10), w = le32(18), h = le32(22);
    const int stride = (w * 3 + 3) & ~3;
    QByteArray flipped = bmp.left(offBits);
    for (int row = h - 1; row >= 0; --row)
        flipped += bmp.mid(offBits + row * stride, stride);
    qToLittleEndian<qint32>(-h, flipped.data() + 22);
    return flipped;
}

ThumbnailLoader::Counts delta(const ThumbnailLoader::Counts& before)
{
    const ThumbnailLoader::Counts now = ThumbnailLoader::counts();
    return {now.onWorkers - before.onWorkers, now.onCaller - before.onCaller, now.dropped - before.dropped,
            now.discarded - before.discarded};
}

} // namespace

class TestThumbnails : public QObject {
    Q_OBJECT
private slots:
    void cleanup() { stopWindow(); }

    void decodes_data();
    void decodes();
    void slotsGetTheirOwnPictures_data();
    void slotsGetTheirOwnPictures();
    void supersededBatchGivesNothing();
    void smallFileOfALargePictureGoesToAWorker();

    void pageOfLargePictures();
    void pageChangeInTheMiddleOfABuild();
    void closingTheWindowDuringABuild();

private:
    void startWindow();
    QString makeBigFolder(const QString& name, int count);
    void stopWindow();

    QTemporaryDir m_dir;
    std::unique_ptr<RuntimeRecorder> m_recorder;
    std::unique_ptr<BrowseFixture> m_drive;
    FrmSelect* m_window = nullptr;
};

void TestThumbnails::startWindow()
{
    m_recorder = std::make_unique<RuntimeRecorder>();
    m_drive = std::make_unique<BrowseFixture>();
    m_window = startGridWindow();
}

void TestThumbnails::stopWindow()
{
    if (m_window)
        closeMainWindow();
    m_window = nullptr;
    m_drive.reset();
    m_recorder.reset();
}

QString TestThumbnails::makeBigFolder(const QString& name, int count)
{
    const QString folder = m_drive->makeFolder(name);
    for (int n = 0; n < count; ++n)
        m_drive->writeBytes(folder, pname(n), bmpBytes(BigW, BigH, pictureColour(n)));
    return folder;
}

void TestThumbnails::decodes_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("error");
    QTest::addColumn<QColor>("topLeft");
    QTest::addColumn<QColor>("bottomRight");
    const QColor tl = QuarterColours[0], br = QuarterColours[3];
    const QImage upright = quarteredImage(96, 64);
    QTest::newRow("large bitmap") << bmpBytes(BigW, BigH, Qt::red) << 0 << QColor(Qt::red) << QColor(Qt::red);
    QTest::newRow("JPEG") << jpegBytes(upright, 95) << 0 << tl << br;
    QTest::newRow("bitmap stored top row first") << topDown(bmpBytes(upright)) << 0 << tl << br;
    QTest::newRow("large bitmap stored top row first") << topDown(bmpBytes(quarteredImage(300, 200))) << 0 << tl << br;
    QTest::newRow("GIF") << gifBytes(300, 300, Qt::blue) << 0 << QColor(Qt::blue) << QColor(Qt::blue);
    for (int orientation : {3, 6, 8}) {
        const QByteArray stored = jpegBytes(storedForOrientation(upright, orientation), 95);
        QTest::addRow("EXIF orientation %d, padded for a worker", orientation)
            << paddedJpeg(withExifOrientation(stored, orientation), 100000) << 0 << tl << br;
    }
    QTest::newRow("garbage") << QByteArray(100000, 'g') << int(ErrInvalidPicture) << QColor() << QColor();
    QTest::newRow("cut short") << truncated(bmpBytes(BigW, BigH, Qt::red), 0.5) << int(ErrInvalidPicture) << QColor()
                               << QColor();
    QTest::newRow("absurd header") << absurdBmpHeader(100000, 100000) << int(ErrInvalidPicture) << QColor() << QColor();
}

void TestThumbnails::decodes()
{
    QFETCH(QByteArray, bytes);
    QFETCH(int, error);
    QFETCH(QColor, topLeft);
    QFETCH(QColor, bottomRight);
    const QString path = m_dir.filePath(QStringLiteral("one"));
    QVERIFY(writeFile(path, bytes));
    const QSize target(48, 32);

    // On the calling thread, and through the loader (a worker for files above the light size).
    ThumbnailLoader loader;
    ThumbnailBatch batch = loader.start({{7, QStringLiteral("one"), path, target}});
    const std::optional<ThumbnailResult> pooled = batch.take(7, [] { return true; });
    QVERIFY(pooled.has_value());
    for (const ThumbnailResult& r : {decodeThumbnail(path, target), *pooled}) {
        QCOMPARE(r.error, error);
        if (error != 0) {
            QVERIFY(r.image.isNull());
            continue;
        }
        QCOMPARE(r.image.size(), target);
        QVERIFY2(near(r.image.pixelColor(4, 4), topLeft), qPrintable(r.image.pixelColor(4, 4).name()));
        QVERIFY(near(r.image.pixelColor(target.width() - 5, target.height() - 5), bottomRight));
    }
    QVERIFY(!batch.take(7, [] { return true; }).has_value()); // taken once
}

void TestThumbnails::slotsGetTheirOwnPictures_data()
{
    QTest::addColumn<int>("w");
    QTest::addColumn<int>("h");
    QTest::addColumn<bool>("onWorkers");
    QTest::newRow("large bitmaps, on the workers") << BigW << BigH << true;
    QTest::newRow("small bitmaps, on the caller") << 16 << 12 << false;
}

void TestThumbnails::slotsGetTheirOwnPictures()
{
    QFETCH(int, w);
    QFETCH(int, h);
    QFETCH(bool, onWorkers);
    QList<ThumbnailJob> jobs;
    for (int slot : {5, 0, 11, 3, 8, 1, 10, 2, 7, 4, 9, 6}) { // any order of slots
        const QString path = m_dir.filePath(QStringLiteral("own%1.bmp").arg(slot));
        QVERIFY(writeFile(path, bmpBytes(w, h, pictureColour(slot))));
        jobs.append({slot, path, path, QSize(30, 20)});
    }
    jobs.append({12, QStringLiteral("gone"), m_dir.filePath(QStringLiteral("gone.bmp")), QSize(30, 20)});
    jobs.append({13, QStringLiteral("X:\\no drive"), QString(), QSize(30, 20), ErrDeviceUnavailable});
    const ThumbnailLoader::Counts before = ThumbnailLoader::counts();
    ThumbnailLoader loader;
    ThumbnailBatch batch = loader.start(jobs);
    for (int slot = 0; slot < 12; ++slot) {
        QVERIFY(batch.holds(slot, m_dir.filePath(QStringLiteral("own%1.bmp").arg(slot)), QSize(30, 20)));
        const std::optional<ThumbnailResult> r = batch.take(slot, [] { return true; });
        QVERIFY(r.has_value());
        QCOMPARE(r->error, 0);
        QVERIFY2(near(middle(r->image), pictureColour(slot)), qPrintable(QString::number(slot)));
    }
    QCOMPARE(batch.take(12, [] { return true; })->error, int(ErrFileNotFound));
    QCOMPARE(batch.take(13, [] { return true; })->error, int(ErrDeviceUnavailable));
    const ThumbnailLoader::Counts d = delta(before);
    QCOMPARE(d.onWorkers, onWorkers ? 12 : 0);
    QCOMPARE(d.onCaller, onWorkers ? 1 : 13); // the missing file is looked at by the caller
}

void TestThumbnails::supersededBatchGivesNothing()
{
    const int count = 24;
    QList<ThumbnailJob> jobs;
    for (int n = 0; n < count; ++n) {
        const QString path = m_dir.filePath(QStringLiteral("old%1.bmp").arg(n));
        QVERIFY(writeFile(path, bmpBytes(BigW, BigH, pictureColour(n))));
        jobs.append({n, path, path, QSize(30, 20)});
    }
    const ThumbnailLoader::Counts before = ThumbnailLoader::counts();
    ThumbnailLoader loader;
    ThumbnailBatch old = loader.start(jobs);
    std::reverse(jobs.begin(), jobs.end());
    for (ThumbnailJob& job : jobs)
        job.slot = count - 1 - job.slot; // the same pictures in the other slots
    ThumbnailBatch current = loader.start(jobs);
    QVERIFY(old.superseded());
    QVERIFY(!current.superseded());
    for (int slot = 0; slot < count; ++slot) {
        QVERIFY(!old.take(slot, [] { return true; }).has_value());
        const std::optional<ThumbnailResult> r = current.take(slot, [] { return true; });
        QVERIFY(r.has_value());
        QVERIFY2(near(middle(r->image), pictureColour(count - 1 - slot)), qPrintable(QString::number(slot)));
    }
    // Every job of the old batch was either never started or made and thrown away; none is lost.
    QTRY_COMPARE(delta(before).onWorkers + delta(before).dropped, qint64(2 * count));
    QVERIFY(delta(before).dropped >= 1);
    current.drop();
    QVERIFY(current.superseded());
}

void TestThumbnails::smallFileOfALargePictureGoesToAWorker()
{
    const QByteArray gif = gifBytes(1400, 1000, Qt::green);
    QVERIFY(gif.size() <= ThumbnailLoader::LightFileBytes);
    const QString path = m_dir.filePath(QStringLiteral("wide.gif"));
    QVERIFY(writeFile(path, gif));
    const ThumbnailLoader::Counts before = ThumbnailLoader::counts();
    ThumbnailLoader loader;
    ThumbnailBatch batch = loader.start({{0, path, path, QSize(28, 20)}});
    const std::optional<ThumbnailResult> r = batch.take(0, [] { return true; });
    QVERIFY(r.has_value());
    QVERIFY(near(middle(r->image), Qt::green));
    QCOMPARE(delta(before).onWorkers, 1);
    QCOMPARE(delta(before).onCaller, 0);
}

void TestThumbnails::pageOfLargePictures()
{
    startWindow();
    const QString folder = makeBigFolder(QStringLiteral("big"), 14);
    m_drive->writeBytes(folder, "p003a.bmp", QByteArray("BM") + QByteArray(100000, 'x'));
    m_drive->writeBytes(folder, "p003b.bmp", truncated(bmpBytes(BigW, BigH, Qt::red), 0.6));
    const ThumbnailLoader::Counts before = ThumbnailLoader::counts();
    browse(m_window, folder);
    QCOMPARE(m_window->PhotoNames.mid(3, 3), (QStringList{pname(3), "p003a.bmp", "p003b.bmp"}));
    for (int slot = 0; slot < 12; ++slot) {
        const int n = slot < 4 ? slot : slot - 2;
        if (slot == 4 || slot == 5) {
            QVERIFY(m_window->Img_Photo[slot].Visible());
            QVERIFY(!m_window->Img_Photo[slot].hasPicture());
            QCOMPARE(m_window->Lbl_Photo[slot].Caption(), m_window->PhotoNames[slot]);
        } else {
            QVERIFY2(slotShows(m_window, slot, n, pname(n)), qPrintable(QString::number(slot)));
            // The slot keeps a copy at its own size only.
            QCOMPARE(m_window->Img_Photo[slot].pictureImage().size(), m_window->Img_Photo[slot].pictureSize());
        }
    }
    QCOMPARE(delta(before).onWorkers, 11); // all but the file cut short, small enough for the caller
    QCOMPARE(delta(before).onCaller, 1);
}

void TestThumbnails::pageChangeInTheMiddleOfABuild()
{
    startWindow();
    browse(m_window, makeBigFolder(QStringLiteral("nested"), 36));
    // While page 0 is shown again, the user moves the scroll bar once slot 3 shows its picture.
    auto* bar = static_cast<QScrollBar*>(m_window->VScroll.widget());
    m_window->Img_Photo[3].setPictureImage(QImage());
    QTimer poll;
    poll.setInterval(0);
    bool moved = false;
    connect(&poll, &QTimer::timeout, this, [&] {
        if (!moved && m_window->Img_Photo[3].hasPicture()) {
            moved = true;
            bar->triggerAction(QAbstractSlider::SliderSingleStepAdd);
        }
    });
    poll.start();
    m_window->ShowPage(0);
    poll.stop();
    QVERIFY(moved);
    QCOMPARE(m_window->VScroll.Value(), std::int16_t(1));
    // The outer display wrote its page into the caption last, and filled the slots it had not yet
    // done when the nested one ran; the slots before show page 1, each under its own name.
    QCOMPARE(m_window->Caption(), QStringLiteral("Tarnavel（1 / 3）"));
    const int split = nestedPageSplit(m_window, 0, 1);
    QVERIFY2(split >= 4 && split <= 6, qPrintable(QString::number(split)));
}

void TestThumbnails::closingTheWindowDuringABuild()
{
    startWindow();
    browse(m_window, makeBigFolder(QStringLiteral("close"), 24));
    const ThumbnailLoader::Counts before = ThumbnailLoader::counts();
    QPointer<FrmSelect> window = m_window;
    window->Img_Photo[1].setPictureImage(QImage());
    QTimer poll;
    poll.setInterval(0);
    connect(&poll, &QTimer::timeout, this, [&] {
        if (window && window->Loaded() && window->Img_Photo[1].hasPicture())
            window->close();
    });
    poll.start();
    window->ShowPage(1); // returns once the window is gone
    poll.stop();
    QVERIFY(!window || !window->Loaded());
    QCOMPARE(m_recorder->noFormsLeft, 1);
    QVERIFY(m_recorder->ends.isEmpty());
    QTRY_VERIFY(window.isNull());
    // The page's twelve decodes were each made or dropped, on the workers; none ran on the caller.
    QTRY_COMPARE(delta(before).onWorkers + delta(before).dropped, qint64(12));
    QCOMPARE(delta(before).onCaller, 0);
    m_window = nullptr;
}

QTEST_MAIN(TestThumbnails)
#include "tst_thumbnails.moc"
