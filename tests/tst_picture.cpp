// Loading pictures: how far a file holds its picture, every cut of a whole file refused, and the file
// errors of a load. (Each kind shown or refused in a window: the hostile folder's test.)

#include "platform/errors.h"
#include "platform/pictures/picture.h"
#include "platform/pictures/picturecheck.h"
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
    void fileErrors_data();
    void fileErrors();
};

void TestPicture::pictureEnds_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<PictureEnd>("end");
    QTest::addColumn<int>("tolerated"); // when not -1: every cut shorter by more bytes than this is refused
    const QImage busy = busyImage(48, 40);
    const QByteArray withThumb = withExifThumbnail(jpegBytes(busy), jpegBytes(16, 12, Qt::red)), gif = gifBytes({busy});
    QTest::newRow("bitmap") << bmpBytes(busy) << PictureEnd::Whole << 0;
    QTest::newRow("bitmap stored top-down") << bmpOf(busy, {.topDown = true}) << PictureEnd::Whole << 0;
    QTest::newRow("OS/2 1.x bitmap") << bmpOf(busy, {.headerSize = 12, .bpp = 8, .paletteEntries = 200}) << PictureEnd::Whole << 0;
    QTest::newRow("jpeg") << jpegBytes(busy) << PictureEnd::Whole << 2;
    QTest::newRow("progressive jpeg") << jpegBytes(busy, 85, true) << PictureEnd::Whole << 0;
    QTest::newRow("jpeg with thumbnail") << withThumb << PictureEnd::Whole << 2;
    QTest::newRow("gif") << gif << PictureEnd::Whole << 4;
    QTest::newRow("jpeg missing its end marker") << withThumb.chopped(2) << PictureEnd::Unterminated << -1;
    QTest::newRow("progressive jpeg missing its end marker") << jpegBytes(busy, 85, true).chopped(2) << PictureEnd::Cut << -1;
    QTest::newRow("gif missing its last zero block") << gif.chopped(2) << PictureEnd::Whole << -1;
    QTest::newRow("gif cut after a whole sub-block") << gif.left(13 + 8 + 10 + 768 + 1 + 3 * 256) << PictureEnd::Cut << -1;
    QByteArray odd = bmpBytes(busy).left(54 + 10); // an RLE8 bitmap of 10 bytes of data
    qToLittleEndian<quint64>(8 | 1 << 16 | quint64(10) << 48, odd.data() + 28);
    QTest::newRow("rle bitmap holding its data") << odd << PictureEnd::Whole << -1;
    QTest::newRow("rle bitmap cut") << odd.chopped(1) << PictureEnd::Cut << -1;
    odd[14] = 99;
    QTest::newRow("bitmap with an unknown header") << odd << PictureEnd::Cut << -1;
}

// Every cut that the checks do not refuse (a JPEG that stops inside its scan) the decoder refuses;
// none is read out of bounds.
void TestPicture::pictureEnds()
{
    QFETCH(QByteArray, bytes);
    QFETCH(PictureEnd, end);
    QFETCH(int, tolerated);
    QCOMPARE(pictureEnd(bytes), end);
    for (qsizetype n = 0; tolerated >= 0 && n < bytes.size() - tolerated; ++n) {
        const QByteArray cut = bytes.left(n); // a copy: reads past its end are caught by sanitizers
        const PictureEnd cutEnd = (pictureHeaderSize(cut), pictureEnd(cut));
        if (cutEnd == PictureEnd::Whole
            || (cutEnd == PictureEnd::Unterminated && errorOf([&] { Picture::fromBytes(cut, "c").scaled({8, 8}); }) != 481))
            QFAIL(qPrintable(QString("a cut to %1 of %2 bytes is shown").arg(n).arg(bytes.size())));
    }
}

void TestPicture::fileErrors_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<int>("error");
    QTest::newRow("missing file") << "b.gif" << int(ErrFileNotFound);
    QTest::newRow("missing folder") << "none/a.gif" << int(ErrPathNotFound);
    QTest::newRow("a file as the folder") << "a.gif/b.gif" << int(ErrPathNotFound);
    QTest::newRow("a folder as the file") << "folder.gif" << int(ErrFileAccess);
}

void TestPicture::fileErrors()
{
    QFETCH(QString, path);
    QFETCH(int, error);
    QTemporaryDir dir;
    QVERIFY(QDir(dir.path()).mkpath("folder.gif") && writeFile(dir.filePath("a.gif"), gifBytes(8, 8, Qt::blue)));
    QCOMPARE(errorOf([&] { LoadPictureFile(dir.filePath(path)); }), error);
}

QTEST_GUILESS_MAIN(TestPicture)
#include "tst_picture.moc"
