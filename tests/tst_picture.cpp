// Loading pictures: how far a file holds its picture, every cut of a whole file refused, and the file
// errors of a load. (Each kind shown or refused in a window: the hostile folder's test.)

#include "platform/drives.h"
#include "platform/errors.h"
#include "platform/picture.h"
#include "platform/picturecheck.h"
#include "support/picturefiles.h"
#include "support/testforms.h"

#include <QDir>
#include <QTemporaryDir>
#include <QtTest>

using namespace platform;
using namespace testsupport;
Q_DECLARE_METATYPE(PictureEnd)

class TestPicture : public QObject {
    Q_OBJECT
private slots:
    void pictureEnds_data();
    void pictureEnds();
    void everyCutIsRefused_data();
    void everyCutIsRefused();
    void fileErrors_data();
    void fileErrors();
};

void TestPicture::pictureEnds_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<PictureEnd>("end");
    const QImage busy = busyImage(64, 48);
    const QByteArray withThumb = withExifThumbnail(jpegBytes(busy), jpegBytes(16, 12, Qt::red));
    QTest::newRow("jpeg with thumbnail") << withThumb << PictureEnd::Whole;
    QTest::newRow("jpeg cut inside its thumbnail") << withThumb.left(40) << PictureEnd::Cut;
    QTest::newRow("jpeg missing its end marker") << withThumb.chopped(2) << PictureEnd::Unterminated;
    QTest::newRow("progressive jpeg missing its end marker") << jpegBytes(busy, 85, true).chopped(2) << PictureEnd::Cut;
    QTest::newRow("jpeg ending in a bare scan marker") << QByteArray("\xFF\xD8\xFF\xDA", 4) << PictureEnd::Cut;
    QTest::newRow("jpeg end marker before the scan") << QByteArray("\xFF\xD8\xFF\xD9\xFF\xDA\x00\x08", 8) << PictureEnd::Cut;
    const QByteArray gif = gifBytes({busy});
    QTest::newRow("gif missing its last zero block") << gif.chopped(2) << PictureEnd::Whole;
    QTest::newRow("gif cut after a whole sub-block") << gif.left(13 + 8 + 10 + 768 + 1 + 3 * 256) << PictureEnd::Cut;
    QByteArray topDown = bmpBytes(busy.mirrored());
    qToLittleEndian<qint32>(-48, topDown.data() + 22);
    QTest::newRow("bitmap stored top-down") << topDown << PictureEnd::Whole;
    qToLittleEndian<quint32>(99, topDown.data() + 14);
    QTest::newRow("bitmap with an unknown header") << topDown << PictureEnd::Cut;
    QByteArray rle = bmpBytes(busy).left(54 + 10); // as an RLE8 bitmap of 10 bytes of data
    qToLittleEndian<quint64>(8 | 1 << 16 | quint64(10) << 48, rle.data() + 28);
    QTest::newRow("rle bitmap holding its data") << rle << PictureEnd::Whole;
    QTest::newRow("rle bitmap cut") << rle.chopped(1) << PictureEnd::Cut;
}

void TestPicture::pictureEnds()
{
    QFETCH(QByteArray, bytes);
    QFETCH(PictureEnd, end);
    QCOMPARE(pictureEnd(bytes), end);
}

void TestPicture::everyCutIsRefused_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("tolerated"); // bytes at the end that may be missing
    const QImage busy = busyImage(48, 40);
    QTest::newRow("bitmap") << bmpBytes(busy) << 0;
    QTest::newRow("OS/2 1.x bitmap") << bmpOf(busy, {.headerSize = 12, .bpp = 8, .paletteEntries = 200}) << 0;
    QTest::newRow("jpeg") << jpegBytes(busy) << 2;
    QTest::newRow("progressive jpeg") << jpegBytes(busy, 85, true) << 0;
    QTest::newRow("jpeg with thumbnail") << withExifThumbnail(jpegBytes(busy), jpegBytes(8, 8, Qt::red)) << 2;
    QTest::newRow("gif") << gifBytes({busy}) << 4;
}

// Every cut of a whole file, short of what it may miss at its end, is refused by the checks or by the
// decoder; none is read out of bounds.
void TestPicture::everyCutIsRefused()
{
    QFETCH(QByteArray, bytes);
    QFETCH(int, tolerated);
    QCOMPARE(pictureEnd(bytes), PictureEnd::Whole);
    for (qsizetype n = 0; n < bytes.size() - tolerated; ++n) {
        const QByteArray cut = bytes.left(n); // a copy: reads past its end are caught by sanitizers
        pictureHeaderSize(cut);
        const PictureEnd end = pictureEnd(cut);
        if (end == PictureEnd::Whole
            || (end == PictureEnd::Unterminated && errorOf([&] { Picture::fromBytes(cut, "c").scaled({8, 8}); }) != 481))
            QFAIL(qPrintable(QString("a cut to %1 of %2 bytes is shown").arg(n).arg(bytes.size())));
    }
}

void TestPicture::fileErrors_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<int>("error");
    QTest::newRow("file on the drive") << "C:\\pictures\\a.gif" << 0;
    QTest::newRow("missing file") << "C:\\pictures\\b.gif" << int(ErrFileNotFound);
    QTest::newRow("missing folder") << "C:\\elsewhere\\a.gif" << int(ErrPathNotFound);
    QTest::newRow("a file as the folder") << "C:\\pictures\\a.gif\\b.gif" << int(ErrPathNotFound);
    QTest::newRow("a folder as the file") << "C:\\pictures" << int(ErrFileAccess);
    QTest::newRow("unavailable drive") << "Q:\\a.gif" << int(ErrDeviceUnavailable);
}

void TestPicture::fileErrors()
{
    QFETCH(QString, path);
    QFETCH(int, error);
    QTemporaryDir dir;
    QVERIFY(QDir(dir.path()).mkpath("drive/pictures"));
    QVERIFY(writeFile(dir.filePath("drive/pictures/a.gif"), gifBytes(8, 8, Qt::blue)));
    setDriveTable({{QLatin1Char('C'), dir.filePath("drive"), QString()}, {QLatin1Char('Q'), dir.filePath("none"), QString()}});
    Picture picture;
    QCOMPARE(errorOf([&] { picture = LoadPicture(path); }), error);
    resetDriveTable();
    QCOMPARE(picture.size(), error ? QSize() : QSize(8, 8));
}

QTEST_GUILESS_MAIN(TestPicture)
#include "tst_picture.moc"
