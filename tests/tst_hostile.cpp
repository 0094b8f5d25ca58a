// A hostile folder: broken, odd, huge and oddly named pictures are each shown, or refused with the
// empty picture under their name and a message in the viewer; never a crash, never another photo's
// picture.

#include "app/mdlselect.h"
#include "browser/frmselect.h"
#include "platform/twips.h"
#include "support/bmpvariants.h"
#include "support/browsefixture.h"
#include "support/modal.h"
#include "support/picturefiles.h"
#include "viewer/frmphoto.h"

#include <QBuffer>
#include <QFile>
#include <QImageWriter>
#include <QRandomGenerator>
#include <QTest>

using namespace testsupport;
using Maker = std::function<QByteArray()>;
Q_DECLARE_METATYPE(Maker)

namespace {
QByteArray fixture(const char* name)
{
    QFile f(QStringLiteral(TARNAVEL_FIXTURES_DIR "/") + name);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}
QByteArray garbage(int size)
{
    QByteArray b(size, 0);
    for (char& c : b)
        c = char(QRandomGenerator::global()->bounded(256));
    return b;
}
QByteArray pngBytes()
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImage(40, 30, QImage::Format_RGB32).save(&buffer, "PNG");
    return bytes;
}
QByteArray withFormat(QImage::Format format, const char* type)
{
    QImage image(40, 30, QImage::Format_RGB32);
    image.fill(Qt::blue);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.convertToFormat(format).save(&buffer, type);
    return bytes;
}
QByteArray bigJpeg(int w, int h)
{
    QImage image(w, h, QImage::Format_RGB32);
    image.fill(Qt::blue);
    return jpegBytes(image, 50);
}
} // namespace

class TestHostile : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void hostileFile_data();
    void hostileFile();
    void oddNamesAndLinks_data();
    void oddNamesAndLinks();

private:
    // Shows `name` in slot 1 of a page behind a good red picture in slot 0; returns the window.
    FrmSelect* showAfterNeighbour(const QString& name, const QByteArray& bytes);
    // Clicks slot 1: the viewer's inner size when it opened, or an empty size and the message.
    QSizeF clickSlot(FrmSelect* w, int slot);

    std::unique_ptr<RuntimeRecorder> m_recorder;
    std::unique_ptr<BrowseFixture> m_drive;
    int m_folders = 0;
};

void TestHostile::init()
{
    m_recorder = std::make_unique<RuntimeRecorder>();
    m_drive = std::make_unique<BrowseFixture>();
}

void TestHostile::cleanup()
{
    cancelModalWaits();
    if (FrmSelect::Existing())
        closeMainWindow();
    m_drive.reset();
    m_recorder.reset();
}

FrmSelect* TestHostile::showAfterNeighbour(const QString& name, const QByteArray& bytes)
{
    const QString folder = m_drive->makeFolder(QStringLiteral("f%1").arg(++m_folders));
    const QString ext = name.section('.', -1);
    const QString neighbour = QStringLiteral("!good.") + ext; // sorts before every name used here
    m_drive->writeBytes(folder, neighbour,
                        ext == "gif"   ? gifBytes(40, 30, Qt::red)
                        : ext == "jpg" ? jpegBytes(40, 30, Qt::red)
                                       : bmpBytes(40, 30, Qt::red));
    m_drive->writeBytes(folder, name, bytes);
    FrmSelect* w = FrmSelect::Existing() ? FrmSelect::Existing() : startMainWindow();
    browse(w, folder);
    return w;
}

QSizeF TestHostile::clickSlot(FrmSelect* w, int slot)
{
    QSizeF inner;
    bool opened = false;
    whenModal([](QWidget* m) { return m == FrmPhoto::Existing(); },
              [&](QWidget* m) {
                  inner = QSizeF(FrmPhoto::Existing()->ScaleWidth(), FrmPhoto::Existing()->ScaleHeight());
                  opened = true;
                  m->close();
              });
    w->Img_Photo_Click(std::int16_t(slot));
    cancelModalWaits();
    return opened ? inner : QSizeF();
}

void TestHostile::hostileFile_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<Maker>("bytes");
    QTest::addColumn<QSize>("shownSize"); // empty: refused
    const QSize refused;
    for (const char* ext : {"bmp", "jpg", "gif"}) {
        const QString e = QString::fromLatin1(ext);
        const Maker good = e == "bmp" ? Maker([] { return bmpBytes(64, 48, Qt::blue); })
                         : e == "jpg" ? Maker([] { return jpegBytes(64, 48, Qt::blue); })
                                      : Maker([] { return gifBytes(64, 48, Qt::blue); });
        QTest::addRow("%s zero bytes", ext) << "zero." + e << Maker([] { return QByteArray(); }) << refused;
        QTest::addRow("%s header only", ext) << "header." + e << Maker([good] { return headerOnly(good()); }) << refused;
        QTest::addRow("%s cut in its pixel data", ext) << "cut." + e << Maker([good] { return truncated(good(), 0.6); }) << refused;
        QTest::addRow("%s garbage", ext) << "garbage." + e << Maker([] { return garbage(5000); }) << refused;
        QTest::addRow("%s holding a PNG", ext) << "png." + e << Maker(pngBytes) << refused;
        QTest::addRow("%s claiming 70000 x 70000", ext) << "absurd." + e
            << (e == "bmp" ? Maker([] { return absurdBmpHeader(70000, 70000); })
                : e == "jpg" ? Maker([] { return absurdJpegHeader(65000, 65000); })
                             : Maker([] { return absurdGifHeader(65000, 65000); }))
            << refused;
    }
    QTest::newRow("JPEG named .bmp") << "jpeg.bmp" << Maker([] { return jpegBytes(64, 48, Qt::blue); }) << QSize(64, 48);
    QTest::newRow("GIF named .jpg") << "gif.jpg" << Maker([] { return gifBytes(64, 48, Qt::blue); }) << QSize(64, 48);
    QTest::newRow("progressive JPEG") << "progressive.jpg" << Maker([] { return jpegBytes(64, 48, Qt::blue, 85, true); }) << QSize(64, 48);
    QTest::newRow("CMYK JPEG") << "cmyk.jpg" << Maker([] { return fixture("jpeg-cmyk-adobe.jpg"); }) << QSize(40, 30);
    QTest::newRow("grayscale JPEG") << "gray.jpg" << Maker([] { return withFormat(QImage::Format_Grayscale8, "JPEG"); }) << QSize(40, 30);
    QTest::newRow("animated GIF") << "animated.gif" << Maker([] { return gifBytes(64, 48, Qt::blue, 3); }) << QSize(64, 48);
    QTest::newRow("1-bit BMP") << "bits1.bmp" << Maker([] { return withFormat(QImage::Format_Mono, "BMP"); }) << QSize(40, 30);
    QTest::newRow("4-bit BMP") << "bits4.bmp" << Maker([] { return fixture("bmp4-palette-imagemagick.bmp"); }) << QSize(40, 30);
    QTest::newRow("8-bit BMP") << "bits8.bmp" << Maker([] { return withFormat(QImage::Format_Indexed8, "BMP"); }) << QSize(40, 30);
    QTest::newRow("16-bit BMP") << "bits16.bmp" << Maker([] { return fixture("bmp16-rgb565-bitfields.bmp"); }) << QSize(40, 30);
    QTest::newRow("24-bit BMP") << "bits24.bmp" << Maker([] { return withFormat(QImage::Format_RGB888, "BMP"); }) << QSize(40, 30);
    QTest::newRow("32-bit BMP") << "bits32.bmp" << Maker([] { return withFormat(QImage::Format_ARGB32, "BMP"); }) << QSize(40, 30);
    QTest::newRow("RLE8 BMP") << "rle8.bmp" << Maker([] { return fixture("bmp8-rle-imagemagick.bmp"); }) << QSize(40, 30);
    QTest::newRow("RLE4 BMP") << "rle4.bmp" << Maker([] { return bmpRle4(40, 30); }) << QSize(40, 30);
    QTest::newRow("top-down BMP") << "topdown.bmp" << Maker([] { return bmpTopDown(40, 30); }) << QSize(40, 30);
    QTest::newRow("48 MP JPEG") << "mp48.jpg" << Maker([] { return bigJpeg(8000, 6000); }) << QSize(8000, 6000);
    QTest::newRow("100 MP JPEG") << "mp100.jpg" << Maker([] { return bigJpeg(10000, 10000); }) << QSize(10000, 10000);
}

void TestHostile::hostileFile()
{
    QFETCH(QString, name);
    QFETCH(Maker, bytes);
    QFETCH(QSize, shownSize);
    const QByteArray content = bytes();
    if (name.startsWith("bits") || name.startsWith("rle"))
        QVERIFY(bmpBitsPerPixel(content) > 0); // the fixture is the kind of bitmap it is named after
    FrmSelect* w = showAfterNeighbour(name, content);
    QCOMPARE(w->PhotoNames.mid(0, 2), (QStringList{"!good." + name.section('.', -1), name}));
    QVERIFY(w->Img_Photo[0].hasPicture());
    QVERIFY(w->Lbl_Photo[1].Visible());
    QVERIFY(w->Img_Photo[1].Visible());
    QCOMPARE(w->Lbl_Photo[1].Caption(), name);
    const QImage& thumb = w->Img_Photo[1].pictureImage();
    if (shownSize.isEmpty()) {
        QVERIFY2(thumb.isNull(), "a refused picture shows the empty picture");
    } else {
        QVERIFY(!thumb.isNull());
        const QColor c = thumb.pixelColor(thumb.width() / 2, thumb.height() / 2);
        QVERIFY2(!(c.red() > 200 && c.green() < 60 && c.blue() < 60), "the neighbour's picture in the slot");
    }
    // The viewer opens at the picture's own size, or says why it cannot.
    const QSizeF inner = clickSlot(w, 1);
    const float tpp = platform::twipsPerPixel();
    if (shownSize.isEmpty()) {
        QVERIFY(inner.isEmpty());
        QCOMPARE(m_recorder->messages.size(), 1);
        QVERIFY(m_recorder->messages[0].startsWith("Tarnavel|"));
        QVERIFY(m_recorder->messages[0].contains(name));
    } else {
        QCOMPARE(inner, QSizeF(shownSize.width() * tpp, shownSize.height() * tpp));
        QVERIFY(m_recorder->messages.isEmpty());
    }
    QVERIFY(m_recorder->ends.isEmpty());
    QVERIFY(w->Loaded());
    QCOMPARE(w->Caption(), QStringLiteral("Tarnavel（1 / 1）"));
}

void TestHostile::oddNamesAndLinks_data()
{
    QTest::addColumn<QString>("name");
    QTest::newRow("Japanese") << QStringLiteral("写真　一月.jpg");
    QTest::newRow("spaces") << QStringLiteral("a b  c.jpg");
    QTest::newRow("hash") << QStringLiteral("#1.jpg");
    QTest::newRow("percent") << QStringLiteral("100%.jpg");
    QTest::newRow("bracket") << QStringLiteral("[x].jpg");
    QTest::newRow("ampersand") << QStringLiteral("a&b.jpg");
    QTest::newRow("255 bytes") << QString(251, 'n') + ".jpg";
    QTest::newRow("link to a picture") << QStringLiteral("link.jpg");
}

void TestHostile::oddNamesAndLinks()
{
    QFETCH(QString, name);
    const QByteArray picture = jpegBytes(64, 48, Qt::blue);
    FrmSelect* w = nullptr;
    if (name == "link.jpg") {
        w = showAfterNeighbour(QStringLiteral("target.jpg"), picture);
        const QString folder = m_drive->root() + QStringLiteral("/f%1/").arg(m_folders);
        QVERIFY(QFile::link(folder + "target.jpg", folder + "link.jpg"));
        QVERIFY(QFile::link(folder + "nowhere.jpg", folder + "dangling.jpg"));
        browse(w, MdlSelect::PhotoFolder);
        QCOMPARE(w->PhotoNames, (QStringList{"!good.jpg", "link.jpg", "target.jpg"})); // no dangling link
    } else {
        w = showAfterNeighbour(name, picture);
    }
    QCOMPARE(w->Lbl_Photo[1].Caption(), name);
    QVERIFY(w->Img_Photo[1].hasPicture());
    const float tpp = platform::twipsPerPixel();
    QCOMPARE(clickSlot(w, 1), QSizeF(64 * tpp, 48 * tpp));
    QVERIFY(m_recorder->messages.isEmpty());
}

QTEST_MAIN(TestHostile)
#include "tst_hostile.moc"
