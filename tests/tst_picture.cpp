// Loading pictures: the three kinds, refusal of damaged and hostile files, EXIF orientation, sizes.

#include "platform/drives.h"
#include "platform/errors.h"
#include "platform/picture.h"
#include "platform/picturecheck.h"
#include "support/picturefiles.h"
#include "support/testforms.h"

#include <QBuffer>
#include <QDir>
#include <QImageReader>
#include <QTemporaryDir>
#include <QtTest>
#include <functional>

using namespace platform;
using namespace testsupport;

namespace {


bool near(QRgb pixel, QColor expected, int tolerance = 24)
{
    return qAbs(qRed(pixel) - expected.red()) <= tolerance && qAbs(qGreen(pixel) - expected.green()) <= tolerance
           && qAbs(qBlue(pixel) - expected.blue()) <= tolerance;
}

bool paintable(const QImage& image)
{
    return image.format() == QImage::Format_RGB32 || image.format() == QImage::Format_ARGB32_Premultiplied;
}

// True when the four quarters of `image` show QuarterColours in reading order.
bool showsQuarters(const QImage& image)
{
    const int w = image.width(), h = image.height();
    const QPoint centres[4] = {{w / 4, h / 4}, {3 * w / 4, h / 4}, {w / 4, 3 * h / 4}, {3 * w / 4, 3 * h / 4}};
    for (int i = 0; i < 4; ++i)
        if (!near(image.pixel(centres[i]), QuarterColours[i], 40))
            return false;
    return true;
}

} // namespace

class TestPicture : public QObject {
    Q_OBJECT

private slots:
    void loadsEachKind_data();
    void loadsEachKind();
    void refusesWhatIsNotAWholePicture_data();
    void refusesWhatIsNotAWholePicture();
    void fileErrors_data();
    void fileErrors();
    void exifOrientationComesUpright_data();
    void exifOrientationComesUpright();
    void fullLoadsAPictureAbove128MB();

    void wholeness_data();
    void wholeness();
    void everyCutIsNotWhole_data();
    void everyCutIsNotWhole();
    void headerSizeMatchesQt_data();
    void headerSizeMatchesQt();
    void gifFixtureDecodesExactly();

    void loadsThroughDrivePaths_data();
    void loadsThroughDrivePaths();
    void makeSamplesIfAsked();

private:
    QString put(const QString& name, const QByteArray& bytes);
    QTemporaryDir m_dir;
};

QString TestPicture::put(const QString& name, const QByteArray& bytes)
{
    const QString path = m_dir.filePath(name);
    if (!writeFile(path, bytes))
        qFatal("cannot write %s", qPrintable(path));
    return path;
}

void TestPicture::loadsEachKind_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QByteArray>("format");
    QTest::addColumn<QSize>("size");
    QTest::addColumn<QColor>("colour");

    const QColor teal(0, 128, 128);
    QTest::newRow("bitmap") << "a.bmp" << bmpBytes(40, 30, teal) << QByteArray("bmp") << QSize(40, 30) << teal;
    QTest::newRow("jpeg") << "a.jpg" << jpegBytes(40, 30, teal) << QByteArray("jpeg") << QSize(40, 30) << teal;
    QTest::newRow("progressive jpeg") << "p.jpg" << jpegBytes(41, 29, teal, 90, true) << QByteArray("jpeg")
                                      << QSize(41, 29) << teal;
    QTest::newRow("gif") << "a.gif" << gifBytes(40, 30, teal) << QByteArray("gif") << QSize(40, 30) << teal;
    QTest::newRow("animated gif: first frame") << "anim.gif" << gifBytes(40, 30, teal, 3) << QByteArray("gif")
                                               << QSize(40, 30) << teal;
    QTest::newRow("jpeg named .bmp") << "jpeg.bmp" << jpegBytes(40, 30, teal) << QByteArray("jpeg")
                                     << QSize(40, 30) << teal;
    QTest::newRow("gif without trailer") << "cut.gif" << gifBytes(40, 30, teal).chopped(1) << QByteArray("gif")
                                         << QSize(40, 30) << teal;
}

void TestPicture::loadsEachKind()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, bytes);
    QFETCH(QByteArray, format);
    QFETCH(QSize, size);
    QFETCH(QColor, colour);

    const Picture picture = LoadPictureFile(put(name, bytes));
    QVERIFY(!picture.isEmpty());
    QCOMPARE(picture.format(), format);
    QCOMPARE(picture.size(), size);
    const QImage full = picture.full();
    QCOMPARE(full.size(), size);
    QVERIFY(paintable(full));
    QVERIFY(near(full.pixel(size.width() / 2, size.height() / 2), colour));
    // Any target, smaller or larger, in either direction, comes back exactly.
    for (const QSize target : {QSize(1, 1), QSize(33, 17), QSize(25, 150), QSize(401, 300)}) {
        const QImage scaled = picture.scaled(target);
        QCOMPARE(scaled.size(), target);
        QVERIFY(paintable(scaled));
        QVERIFY(near(scaled.pixel(target.width() / 2, target.height() / 2), colour));
    }
}

void TestPicture::refusesWhatIsNotAWholePicture_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("qtDecodesPart"); // Qt alone returns an image with no error: the case to catch

    const QImage busy = busyImage(160, 120);
    QByteArray png;
    QBuffer pngBuffer(&png);
    pngBuffer.open(QIODevice::WriteOnly);
    busy.save(&pngBuffer, "PNG");

    QTest::newRow("zero bytes") << "empty.jpg" << QByteArray() << false;
    QTest::newRow("garbage") << "text.bmp" << QByteArray("this is not a picture at all\n").repeated(20) << false;
    QTest::newRow("png named .jpg") << "png.jpg" << png << true;
    QTest::newRow("bitmap header only") << "h.bmp" << headerOnly(bmpBytes(busy)) << false;
    QTest::newRow("gif header only") << "h.gif" << headerOnly(gifBytes({busy})) << false;
    QTest::newRow("jpeg header only") << "h.jpg" << headerOnly(jpegBytes(busy)) << false;
    QTest::newRow("bitmap cut in its pixels") << "cut.bmp" << truncated(bmpBytes(busy), 0.5) << true;
    QTest::newRow("gif cut in its pixels") << "cut.gif" << truncated(gifBytes({busy}), 0.5) << true;
    QTest::newRow("jpeg cut in its pixels") << "cut.jpg" << truncated(jpegBytes(busy), 0.5) << true;
    const QByteArray progressive = jpegBytes(busy, 85, true);
    const qsizetype lastScan = progressive.lastIndexOf(QByteArrayView("\xFF\xDA", 2));
    QTest::newRow("progressive jpeg cut in its last scan")
        << "cutp.jpg" << progressive.left((lastScan + progressive.size()) / 2) << true;
    QTest::newRow("jpeg missing its end marker") << "end.jpg" << jpegBytes(busy).chopped(2) << true;
    QTest::newRow("thumbnail whole, picture cut")
        << "thumb.jpg" << truncated(withExifThumbnail(jpegBytes(busy), jpegBytes(16, 12, Qt::red)), 0.8) << true;
    QTest::newRow("absurd bitmap 70000 x 70000") << "huge.bmp" << absurdBmpHeader(70000, 70000) << false;
    QTest::newRow("absurd gif 65000 x 65000") << "huge.gif" << absurdGifHeader(65000, 65000) << false;
    QTest::newRow("absurd jpeg 65000 x 65000") << "huge.jpg" << absurdJpegHeader(65000, 65000) << false;
    QTest::newRow("gif just over the limit") << "over.gif" << absurdGifHeader(16385, 16384) << false;
    QTest::newRow("bitmap 0 pixels wide") << "zero.bmp" << absurdBmpHeader(0, 10) << false;
}

void TestPicture::refusesWhatIsNotAWholePicture()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, bytes);
    QFETCH(bool, qtDecodesPart);

    if (qtDecodesPart)
        QVERIFY2(!QImage::fromData(bytes).isNull(), "the fixture should fool Qt's reader");
    QCOMPARE(errorOf([&] { LoadPictureFile(put(name, bytes)); }), int(ErrInvalidPicture));
}

void TestPicture::fileErrors_data()
{
    QTest::addColumn<QString>("relativePath");
    QTest::addColumn<int>("error");

    QTest::newRow("missing file") << "missing.jpg" << int(ErrFileNotFound);
    QTest::newRow("missing folder") << "nowhere/missing.jpg" << int(ErrPathNotFound);
    QTest::newRow("a file as the folder") << "plain.bmp/inner.bmp" << int(ErrPathNotFound);
    QTest::newRow("a folder as the file") << "folder.jpg" << int(ErrFileAccess);
}

void TestPicture::fileErrors()
{
    QFETCH(QString, relativePath);
    QFETCH(int, error);

    put("plain.bmp", bmpBytes(4, 4, Qt::white));
    QVERIFY(QDir(m_dir.path()).mkpath("folder.jpg"));
    QCOMPARE(errorOf([&] { LoadPictureFile(m_dir.filePath(relativePath)); }), error);
}

void TestPicture::exifOrientationComesUpright_data()
{
    QTest::addColumn<int>("orientation");
    QTest::newRow("1 as stored") << 1;
    QTest::newRow("3 turned half round") << 3;
    QTest::newRow("6 turned clockwise") << 6;
    QTest::newRow("8 turned counter-clockwise") << 8;
}

void TestPicture::exifOrientationComesUpright()
{
    QFETCH(int, orientation);

    const QImage upright = quarteredImage(64, 32);
    const QImage stored = storedForOrientation(upright, orientation);
    const QByteArray bytes = withExifOrientation(jpegBytes(stored, 95), orientation);
    const Picture picture = LoadPictureFile(put(QString("exif%1.jpg").arg(orientation), bytes));

    QCOMPARE(picture.size(), QSize(64, 32));
    const QImage full = picture.full();
    QCOMPARE(full.size(), QSize(64, 32));
    QVERIFY(showsQuarters(full));
    for (const QSize target : {QSize(32, 16), QSize(48, 80), QSize(64, 32)}) {
        const QImage scaled = picture.scaled(target);
        QCOMPARE(scaled.size(), target);
        QVERIFY(showsQuarters(scaled));
    }
}

void TestPicture::fullLoadsAPictureAbove128MB()
{
    const QSize size(7000, 6500); // 45.5 million pixels: 182 MB at 4 bytes a pixel
    QByteArray bytes;
    {
        QImage image(size, QImage::Format_RGB32);
        image.fill(QColor(200, 100, 50));
        bytes = jpegBytes(image, 75);
    }
    const Picture picture = LoadPictureFile(put("large.jpg", bytes));
    QCOMPARE(picture.size(), size);
    const QImage full = picture.full();
    QCOMPARE(full.size(), size);
    QVERIFY(near(full.pixel(6999, 6499), QColor(200, 100, 50)));
}

void TestPicture::wholeness_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("whole");

    const QImage busy = busyImage(64, 48);
    const QByteArray jpeg = jpegBytes(busy);
    const QByteArray withThumb = withExifThumbnail(jpeg, jpegBytes(16, 12, Qt::red));
    QTest::newRow("jpeg") << jpeg << true;
    QTest::newRow("jpeg without end marker") << jpeg.chopped(2) << false;
    QTest::newRow("jpeg with thumbnail") << withThumb << true;
    QTest::newRow("jpeg cut after its thumbnail") << truncated(withThumb, 0.9) << false;
    QTest::newRow("jpeg cut inside its thumbnail") << withThumb.left(40) << false;
    QTest::newRow("jpeg ending in a bare scan marker") << QByteArray("\xFF\xD8\xFF\xDA", 4) << false;
    QTest::newRow("jpeg end marker before the scan") << QByteArray("\xFF\xD8\xFF\xD9\xFF\xDA\x00\x08", 8) << false;
    QTest::newRow("jpeg start only") << QByteArray("\xFF\xD8\xFF", 3) << false;

    const QByteArray gif = gifBytes({busy});
    QTest::newRow("gif") << gif << true;
    QTest::newRow("gif without trailer") << gif.chopped(1) << true;
    QTest::newRow("gif missing its last sub-block end") << gif.chopped(2) << false;
    QTest::newRow("animation cut in its second frame") << truncated(gifBytes(64, 48, Qt::red, 2), 0.9) << true;
    QTest::newRow("gif trailer before any image") << QByteArray("GIF89a\1\0\1\0\0\0\0\x3B", 14) << false;
    QTest::newRow("gif colour table past the end") << QByteArray("GIF89a\1\0\1\0\x87\0\0\0\0\0", 16) << false;
    QTest::newRow("gif extension past the end") << QByteArray("GIF89a\1\0\1\0\0\0\0\x21\xF9\x04\0", 17) << false;
    QTest::newRow("gif descriptor cut") << QByteArray("GIF89a\1\0\1\0\0\0\0\x2C\0\0\0\0\1\0", 20) << false;

    const QByteArray bmp = bmpBytes(busy);
    QTest::newRow("bitmap") << bmp << true;
    QTest::newRow("bitmap one byte short") << bmp.chopped(1) << false;
    QByteArray topDown = bmpBytes(busy.mirrored());
    qToLittleEndian<qint32>(-48, topDown.data() + 22);
    QTest::newRow("bitmap stored top-down") << topDown << true;
    QByteArray unknownHeader = bmp;
    qToLittleEndian<quint32>(99, unknownHeader.data() + 14);
    QTest::newRow("bitmap with an unknown header") << unknownHeader << false;
    QByteArray rle = bmp.left(54 + 10);
    qToLittleEndian<quint16>(8, rle.data() + 28); // 8 bits a pixel
    qToLittleEndian<quint32>(1, rle.data() + 30); // RLE8
    qToLittleEndian<quint32>(10, rle.data() + 34);
    QTest::newRow("rle bitmap holding its data") << rle << true;
    QTest::newRow("rle bitmap cut") << rle.chopped(1) << false;
    qToLittleEndian<quint32>(0, rle.data() + 34);
    QTest::newRow("rle bitmap of unstated size") << rle.left(55) << true;
    QTest::newRow("rle bitmap with no data") << rle.left(54) << false;
    // A 2 x 2 bitmap with the old 12-byte header: 24 bits, rows of 8 bytes.
    QByteArray core("BM\x2A\0\0\0\0\0\0\0\x1A\0\0\0\x0C\0\0\0\x02\0\x02\0\x01\0\x18\0", 26);
    QTest::newRow("old-style bitmap") << core + QByteArray(16, '\x7F') << true;
    QTest::newRow("old-style bitmap cut") << core + QByteArray(15, '\x7F') << false;

    QTest::newRow("empty") << QByteArray() << false;
    QTest::newRow("png") << QByteArray("\x89PNG\r\n\x1A\n", 8) << false;
}

void TestPicture::wholeness()
{
    QFETCH(QByteArray, bytes);
    QFETCH(bool, whole);
    QCOMPARE(pictureIsWhole(bytes), whole);
}

void TestPicture::everyCutIsNotWhole_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("tolerated"); // bytes at the end that may be missing

    const QImage busy = busyImage(48, 40);
    QTest::newRow("bitmap") << bmpBytes(busy) << 0;
    QTest::newRow("jpeg") << jpegBytes(busy) << 0;
    QTest::newRow("progressive jpeg") << jpegBytes(busy, 85, true) << 0;
    QTest::newRow("jpeg with thumbnail") << withExifThumbnail(jpegBytes(busy), jpegBytes(8, 8, Qt::red)) << 0;
    QTest::newRow("gif") << gifBytes({busy}) << 1;
}

// Every cut of a whole file, short of its tolerated ending, is found out; none is read out of bounds.
void TestPicture::everyCutIsNotWhole()
{
    QFETCH(QByteArray, bytes);
    QFETCH(int, tolerated);

    QVERIFY(pictureIsWhole(bytes));
    for (qsizetype n = 0; n < bytes.size() - tolerated; ++n) {
        const QByteArray cut = bytes.left(n); // a copy: reads past its end are caught by sanitizers
        if (pictureIsWhole(cut))
            QFAIL(qPrintable(QString("a cut to %1 of %2 bytes counts as whole").arg(n).arg(bytes.size())));
        pictureHeaderSize(cut);
    }
}

void TestPicture::headerSizeMatchesQt_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QSize>("size");
    QTest::addColumn<bool>("qtAgrees");

    QTest::newRow("bitmap") << bmpBytes(37, 23, Qt::red) << QSize(37, 23) << true;
    QTest::newRow("jpeg") << jpegBytes(37, 23, Qt::red) << QSize(37, 23) << true;
    QTest::newRow("jpeg with thumbnail") << withExifThumbnail(jpegBytes(37, 23, Qt::red), jpegBytes(8, 6, Qt::red))
                                         << QSize(37, 23) << true;
    QTest::newRow("gif") << gifBytes(37, 23, Qt::red) << QSize(37, 23) << true;
    // Qt reports no size for this bitmap, and the 1 x 1 image instead of the screen for this GIF.
    QTest::newRow("absurd bitmap") << absurdBmpHeader(70000, 70000) << QSize(70000, 70000) << false;
    QTest::newRow("absurd gif") << absurdGifHeader(65000, 65000) << QSize(65000, 65000) << false;
    QTest::newRow("absurd jpeg") << absurdJpegHeader(65000, 65000) << QSize(65000, 65000) << true;
}

// Our own reading of the header agrees with Qt's on ordinary files, and reads what hostile headers
// claim where Qt's reader gives up or reports something else.
void TestPicture::headerSizeMatchesQt()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QSize, size);
    QFETCH(bool, qtAgrees);

    const ClaimedSize claimed = pictureHeaderSize(bytes);
    QCOMPARE(QSize(int(claimed.width), int(claimed.height)), size);
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    const QSize qtSize = QImageReader(&buffer).size();
    if (qtAgrees)
        QCOMPARE(qtSize, size);
}

void TestPicture::gifFixtureDecodesExactly()
{
    // Enough colours and pixels for the encoder to fill and clear its code table several times.
    const QImage source = busyImage(300, 200).convertToFormat(QImage::Format_Indexed8);
    const QImage decoded = QImage::fromData(gifBytes({source}));
    QCOMPARE(decoded.convertToFormat(QImage::Format_RGB32), source.convertToFormat(QImage::Format_RGB32));
}

void TestPicture::loadsThroughDrivePaths_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<int>("error");

    QTest::newRow("file on the drive") << "C:\\pictures\\a.gif" << 0;
    QTest::newRow("missing file") << "C:\\pictures\\b.gif" << int(ErrFileNotFound);
    QTest::newRow("missing folder") << "C:\\elsewhere\\a.gif" << int(ErrPathNotFound);
    QTest::newRow("unavailable drive") << "Q:\\a.gif" << int(ErrDeviceUnavailable);
}

void TestPicture::loadsThroughDrivePaths()
{
    QFETCH(QString, path);
    QFETCH(int, error);

    QVERIFY(QDir(m_dir.path()).mkpath("drive/pictures"));
    put("drive/pictures/a.gif", gifBytes(8, 8, Qt::blue));
    setDriveTable({{QLatin1Char('C'), m_dir.filePath("drive"), QString()},
                   {QLatin1Char('Q'), m_dir.filePath("no such drive"), QString()}});
    Picture picture;
    QCOMPARE(errorOf([&] { picture = LoadPicture(path); }), error);
    resetDriveTable();
    if (error == 0)
        QCOMPARE(picture.size(), QSize(8, 8));
}

void TestPicture::makeSamplesIfAsked()
{
    const QString folder = qEnvironmentVariable("TARNAVEL_WRITE_SAMPLES");
    if (folder.isEmpty())
        QSKIP("set TARNAVEL_WRITE_SAMPLES to a folder to write the sample pictures there");
    QVERIFY(writeSamples(folder));
    const QStringList names = QDir(folder).entryList({"*.bmp", "*.jpg", "*.gif"}, QDir::Files);
    QVERIFY(names.size() >= 9);
    for (const QString& name : names) {
        const Picture picture = LoadPictureFile(QDir(folder).filePath(name));
        QVERIFY2(!picture.full().isNull(), qPrintable(name));
    }
}

QTEST_GUILESS_MAIN(TestPicture)
#include "tst_picture.moc"
