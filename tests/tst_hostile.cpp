// A hostile folder: broken, odd, huge and oddly named pictures are each shown, with their own
// colours, or refused with the empty picture under their name and a message in the viewer; never a
// crash, never another photo's picture.

#include "browser/frmselect.h"
#include "platform/pictures/picture.h"
#include "support/browsefixture.h"
#include "support/modal.h"
#include "support/picturefiles.h"
#include "viewer/frmphoto.h"

#include <QBuffer>
#include <QFile>
#include <QTest>

using namespace testsupport;
using Maker = std::function<QByteArray()>;
Q_DECLARE_METATYPE(Maker)


class TestHostile : public QObject {
    Q_OBJECT
private slots:
    void init() { m_recorder = std::make_unique<RuntimeRecorder>(), m_drive = std::make_unique<BrowseFixture>(); }
    void cleanup()
    {
        cancelModalWaits();
        if (FrmSelect::Existing())
            closeMainWindow();
        m_drive.reset(), m_recorder.reset(); // after the window, whose end they record and serve
    }
    void hostileFile_data();
    void hostileFile();

private:
    std::unique_ptr<RuntimeRecorder> m_recorder;
    std::unique_ptr<BrowseFixture> m_drive;
    int m_folders = 0;
};

void TestHostile::hostileFile_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<Maker>("bytes");
    QTest::addColumn<QSize>("shownSize");       // empty: refused
    QTest::addColumn<QList<QColor>>("colours"); // of the four quarters, when checked
    const QSize no, q(40, 30);
    const QList<QColor> drawn(QuarterColours, QuarterColours + 4);
    const auto row = [](const char* title, const QString& name, Maker bytes, QSize size, QList<QColor> colours = {}) {
        QTest::newRow(title) << name << bytes << size << colours;
    };
    const QImage busy = busyImage(64, 48), quarters = quarteredImage(40, 30);
    const auto fixture = [](const char* name) { QFile f(TARNAVEL_FIXTURES_DIR "/" + QString(name)); return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray(); };
    const auto written = [](const QImage& image, const char* type) { QBuffer b; b.open(QIODevice::WriteOnly); image.save(&b, type); return b.data(); };
    const auto jpegWith = [=](const QByteArray& what, const char* marker) { QByteArray j = jpegBytes(quarters, 95); return j.insert(j.indexOf(marker), what); };
    for (const QString e : {"bmp", "jpg", "gif"}) {
        const Maker good = e == "bmp" ? Maker([=] { return bmpBytes(busy); }) : e == "jpg" ? Maker([=] { return jpegBytes(busy); })
                                                                                       : Maker([=] { return gifBytes({busy}); });
        QTest::addRow("%s zero bytes", qPrintable(e)) << "zero." + e << Maker([] { return QByteArray(); }) << no << QList<QColor>();
        QTest::addRow("%s header only", qPrintable(e)) << "header." + e << Maker([=] { const QByteArray b = good(); return b.left(e == "bmp" ? 54 : e == "gif" ? 799 : b.indexOf("\xFF\xDA") + 14); }) << no << QList<QColor>();
        QTest::addRow("%s cut in its pixel data", qPrintable(e)) << "cut." + e << Maker([=] { return truncated(good(), 0.6); }) << no << QList<QColor>();
    }
    row("a PNG named .jpg", "png.jpg", [=] { return written(busy, "PNG"); }, no);
    row("bmp claiming 70000 x 70000", "absurd.bmp", [] { return claiming(bmpBytes(8, 8, Qt::gray), 70000, 70000); }, no);
    row("jpg claiming 65000 x 65000", "absurd.jpg", [] { return claiming(jpegBytes(8, 8, Qt::gray), 65000, 65000); }, no);
    row("gif screen just over the limit", "absurd.gif", [] { return claiming(gifBytes(1, 1, Qt::white), 16385, 16384); }, no);
    row("bmp 0 pixels wide", "zero-wide.bmp", [] { return claiming(bmpBytes(8, 8, Qt::gray), 0, 10); }, no);
    row("progressive JPEG cut in its last scan", "cutp.jpg", [=] {
        const QByteArray p = jpegBytes(busy, 85, true);
        return p.left((p.lastIndexOf(QByteArrayView("\xFF\xDA", 2)) + p.size()) / 2);
    }, no);
    for (const QString& name : {QStringLiteral("写真　一月.jpg"), QStringLiteral("a b  c.jpg"), QStringLiteral("#1%[x]&.jpg"), QString(251, 'n') + ".jpg"})
        row(qPrintable("named " + name.left(12)), name, [=] { return jpegBytes(quarters, 95); }, q, drawn);
    row("GIF named .jpg", "gif.jpg", [=] { return gifBytes({quarters}); }, q, drawn);
    row("progressive JPEG", "progressive.jpg", [=] { return jpegBytes(quarters, 95, true); }, q, drawn);
    row("CMYK JPEG", "cmyk.jpg", [=] { return fixture("jpeg-cmyk-adobe.jpg"); }, q);
    row("grayscale JPEG", "gray.jpg", [=] { return jpegBytes(quarters.convertToFormat(QImage::Format_Grayscale8)); }, q);
    row("animated GIF", "animated.gif", [] { return gifBytes(64, 48, Qt::blue, 3); }, QSize(64, 48));
    row("GIF image smaller than its screen", "screen.gif", [] { return claiming(gifBytes(1, 1, Qt::white), 300, 200); }, QSize(300, 200));
    row("1-bit BMP", "bits1.bmp", [=] { return written(quarters.convertToFormat(QImage::Format_Mono), "BMP"); }, q);
    row("4-bit BMP", "bits4.bmp", [=] { return fixture("bmp4-palette-imagemagick.bmp"); }, q);
    row("8-bit BMP", "bits8.bmp", [=] { return bmpOf(quarters, {.bpp = 8}); }, q, drawn);
    row("32-bit BMP", "bits32.bmp", [=] { return bmpOf(quarters, {.bpp = 32}); }, q, drawn);
    row("RLE8 BMP", "rle8.bmp", [=] { return fixture("bmp8-rle-imagemagick.bmp"); }, q);
    row("JPEG turned by EXIF", "exif.jpg", [=] { return withExifOrientation(jpegBytes(quarters.transformed(QTransform().rotate(90)), 95), 8); }, q, drawn);
    row("top-down BMP", "topdown.bmp", [=] { return bmpOf(quarters, {.topDown = true}); }, q, drawn);
    row("48 MP JPEG", "mp48.jpg", [] { return jpegBytes(8000, 6000, Qt::blue, 50); }, QSize(8000, 6000));
    // Files whose every pixel is there, though a strict reading of their format finds fault.
    row("OS/2 2.x BMP", "os2.bmp", [=] { return bmpOf(quarters, {.headerSize = 64}); }, q, drawn);
    row("OS/2 1.x BMP, 4-colour palette", "os2pal.bmp", [=] { return bmpOf(quarters, {.headerSize = 12, .bpp = 8, .paletteEntries = 4}); }, q, drawn);
    row("OS/2 2.x BMP, Huffman coded", "os2huff.bmp", [=] { return bmpOf(quarters, {.headerSize = 64, .compression = 3}); }, no);
    row("JPEG comment of length 0", "comment.jpg", [=] { return jpegWith(QByteArray("\xFF\xFE\0\0", 4), "\xFF\xDB"); }, q, drawn);
    row("GIF without its last zero block", "noend.gif", [=] { return gifBytes({quarters}).chopped(2); }, q, drawn);
    row("JPEG, then junk with FF DA", "junk.jpg", [=] { return jpegBytes(quarters, 95) + QByteArray("\xFF\xDA\0\x08zz\xFF\xC4junk", 12); }, q, drawn);
    row("JPEG missing its end marker", "noeoi.jpg", [=] { return jpegBytes(quarters, 95).chopped(2); }, q, drawn);
    row("JPEG, 3 stray bytes before a marker", "stray.jpg", [=] { return jpegWith("abc", "\xFF\xDA"); }, q, drawn);
    for (const QByteArray stray : {"", "abc"}) // a harmless warning first must not hide the corrupt data
        row(stray.isEmpty() ? "JPEG with corrupt data" : "JPEG, stray bytes before a marker, then corrupt data", "corrupt.jpg", [=] {
            QByteArray j = jpegBytes(busy, 95);
            j.insert(j.indexOf("\xFF\xDA"), stray);
            return j.replace(j.size() / 2, 40, QByteArray(40, '\xFE'));
        }, no);
    // Bit fields of every width: each colour exact, or the picture refused.
    for (const QList<quint32>& m : QList<QList<quint32>>{{0xF800, 0x07E0, 0x001F}, {0xE000, 0x1000, 0, 0x0E00},
             {0x8000, 0x7FC0, 0x0030, 0x000F}, {0xFFE00000, 0x001FFC00, 0x3FF}, {0x3FF00000, 0xFFC00, 0x3FF, 0xC0000000}, {4, 2, 1}}) {
        QList<QColor> expected;
        for (const QColor& c : drawn)
            expected.append(QColor(m[0] ? c.red() : 0, m[1] ? c.green() : 0, m[2] ? c.blue() : 0)); // no mask: 0
        const int bpp = m[0] > 0xFFFF || m.value(3) > 0xFFFF ? 32 : 16;
        const QString name = QStringLiteral("fields-%1-%2-%3-%4.bmp").arg(m[0], 0, 16).arg(m[1], 0, 16).arg(m[2], 0, 16).arg(m.value(3), 0, 16);
        row(qPrintable(name), name, [=] { return bmpOf(quarters, {.bpp = bpp, .masks = m}); }, q, expected);
    }
    row("BMP with a mask of two runs", "runs.bmp", [=] { return bmpOf(quarters, {.bpp = 16, .masks = {0xF00F, 0x07E0, 0x0010}}); }, no);
}

void TestHostile::hostileFile()
{
    QFETCH(QString, name);
    QFETCH(Maker, bytes);
    QFETCH(QSize, shownSize);
    QFETCH(QList<QColor>, colours);
    const RuntimeRecorder& recorder = *m_recorder;
    if (QByteArray(QTest::currentDataTag()).contains("then corrupt") && !platform::jpegWarningsAllSeen())
        QSKIP("Qt's reader, which decodes JPEGs in this build, reports only the decoder's first warning");
    const QString folder = m_drive->makeFolder(QStringLiteral("f%1").arg(++m_folders));
    m_drive->writeBytes(folder, "!good.bmp", bmpBytes(40, 30, Qt::red)); // listed first: bitmaps come first
    m_drive->writeBytes(folder, name, bytes());
    FrmSelect* w = startMainWindow();
    browse(w, folder);
    QCOMPARE(w->PhotoNames.mid(0, 2), (QStringList{"!good.bmp", name}));
    QVERIFY(w->Img_Photo[0].hasPicture() && w->Lbl_Photo[1].Visible() && w->Img_Photo[1].Visible());
    QCOMPARE(w->Lbl_Photo[1].Caption(), name);
    const QImage thumb = w->Img_Photo[1].pictureImage();
    QCOMPARE(thumb.isNull(), shownSize.isEmpty()); // a refused picture shows the empty picture
    if (!colours.isEmpty())
        QVERIFY2(showsQuarters(thumb, colours, 12), "wrong colours");
    else if (!thumb.isNull())
        QVERIFY2(!near(thumb.pixelColor(thumb.width() / 2, thumb.height() / 2), Qt::red, 60), "the neighbour's picture");
    // The viewer opens with the picture at its own size, or says why it cannot.
    QSize inViewer;
    whenModal([](QWidget* m) { return m == FrmPhoto::Existing(); },
              [&](QWidget* m) { inViewer = FrmPhoto::Existing()->PicPhoto.pictureImage().size(), m->close(); });
    w->Img_Photo_Click(std::int16_t(1));
    QCOMPARE(inViewer, shownSize.isEmpty() ? QSize() : shownSize);
    QCOMPARE(recorder.messages.size(), shownSize.isEmpty() ? 1 : 0);
    if (shownSize.isEmpty())
        QVERIFY(recorder.messages[0].startsWith("Tarnavel|") && recorder.messages[0].contains(name));
    QVERIFY(recorder.ends.isEmpty() && w->Loaded());
}

QTEST_MAIN(TestHostile)
#include "tst_hostile.moc"
