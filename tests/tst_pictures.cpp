// Pictures: how far a file holds its picture, the thumbnail threads, the desktop's shared thumbnail cache,
// and a hostile folder of broken, odd and huge pictures in the real window and viewer.

#include "platform/errors.h"
#include "platform/pictures/picture.h"
#include "platform/pictures/picturecheck.h"
#include "platform/pictures/thumbnailcache.h"
#include "platform/pictures/thumbnailloader.h"
#include "support/browsefixture.h"
#include "support/picturefiles.h"
#include "viewer/frmphoto.h"

#include <QBuffer>
#include <QCryptographicHash>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QtEndian>

using namespace platform;
using namespace testsupport;
using platform::ThumbnailCache;
using Maker = std::function<QByteArray()>;
Q_DECLARE_METATYPE(PictureEnd)
Q_DECLARE_METATYPE(Maker)

// Loading pictures: how far a file holds its picture, every cut of a whole file refused, and the file
// errors of a load. (Each kind shown or refused in a window: the hostile folder's test.)
class TestPicture : public QObject {
    Q_OBJECT
private slots:
    void pictureEnds_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<PictureEnd>("end");
        QTest::addColumn<int>("tolerated"); // when not -1: every cut shorter by more bytes than this is refused
        const QImage busy = busyImage(48, 40);
        const QByteArray withThumb = withExifThumbnail(jpegBytes(busy), jpegBytes(16, 12, Qt::red)), gif = gifBytes({busy});
        QTest::newRow("bitmap") << bmpOf(busy) << PictureEnd::Whole << 0;
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
        QByteArray odd = bmpOf(busy).left(54 + 10); // an RLE8 bitmap of 10 bytes of data
        qToLittleEndian<quint64>(8 | 1 << 16 | quint64(10) << 48, odd.data() + 28);
        QTest::newRow("rle bitmap holding its data") << odd << PictureEnd::Whole << -1;
        QTest::newRow("rle bitmap cut") << odd.chopped(1) << PictureEnd::Cut << -1;
        odd[14] = 99;
        QTest::newRow("bitmap with an unknown header") << odd << PictureEnd::Cut << -1;
    }
    // Every cut that the checks do not refuse (a JPEG that stops inside its scan) the decoder refuses;
    // none is read out of bounds.
    void pictureEnds()
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
};

// The thumbnail threads: each slot gets its own picture, made with the checks of any load; errors give
// empty slots; a batch that a newer one superseded gives nothing; only small pictures are decoded on
// the asking thread. (Page builds interrupted by events are the storm tests' part.)
namespace {
const auto always = [] { return true; };
QImage filled(QSize size, QColor colour) { QImage image(size, QImage::Format_RGB32); image.fill(colour); return image; }
} // namespace

class TestThumbnails : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { ThumbnailLoader::setCache(ThumbnailCache(m_dir.filePath(QStringLiteral("cache")))); }
    void cleanupTestCase() { ThumbnailLoader::setCache(ThumbnailCache(QString())); }
    void decodes_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<bool>("onCaller"); // decoded on the asking thread rather than a worker
        QTest::addColumn<QByteArray>("rewrite"); // then written over the file within the same second
        const QImage small = quarteredImage(96, 64), large = quarteredImage(200, 150); // large: above the small-file size
        QTest::newRow("large bitmap, rewritten in the same second") << bmpOf(large) << false << bmpOf(large.mirrored(true, true));
        QTest::newRow("small JPEG") << jpegBytes(small, 95) << true << QByteArray();
        QTest::newRow("large bitmap stored top row first") << bmpOf(large, {.topDown = true}) << false << QByteArray();
        QTest::newRow("JPEG turned by EXIF, padded for a worker") << withExifOrientation(jpegBytes(small.transformed(QTransform().rotate(-90)), 95), 6) + QByteArray(70000, '\0') << false << QByteArray();
        // Small files of large pictures: the decode's size, not the file's, keeps them off the asking thread.
        QTest::newRow("small JPEG of a large picture") << jpegBytes(large.scaled(2000, 1500), 20) << false << QByteArray();
        QTest::newRow("small GIF with a large screen") << claiming(gifBytes(1, 1, Qt::white), 3000, 2000) << false << QByteArray();
    }
    // On the calling thread, and through the loader: the same picture. Its cache entry written, the file
    // rewritten to the same size within the same second: the cache cannot tell, the threads can.
    void decodes()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(bool, onCaller);
        QFETCH(QByteArray, rewrite);
        const QString path = m_dir.filePath(QStringLiteral("p7"));
        QVERIFY(writeFile(path, bytes));
        const QList<ThumbnailJob> jobs{{7, path, path, QSize(30, 20), 0, {}}};
        const qint64 before = ThumbnailLoader::counts().onCaller;
        ThumbnailLoader loader;
        const std::optional<ThumbnailResult> pooled = loader.start(jobs).take(7, always);
        QVERIFY(pooled.has_value());
        QCOMPARE(ThumbnailLoader::counts().onCaller - before, onCaller ? 1 : 0);
        for (const ThumbnailResult& r : {decodeThumbnail(path, jobs[0].target), *pooled})
            QVERIFY(r.error == 0 && r.image.size() == QSize(30, 20) && (bytes.size() < 1000 || showsQuarters(r.image))); // the GIF has no quarters
        const FileStamp was = stampOf(path);
        QFile file(path);
        if (rewrite.isEmpty())
            return;
        const ThumbnailCache cache(m_dir.filePath("cache"));
        QVERIFY(ThumbnailLoader::waitForWrites(20000) && !cache.find(path, was, 128).isNull()); // written,
        QVERIFY(cache.store(path, was, 128, filled({128, 96}, Qt::magenta)) && near(loader.start(jobs).take(7, always)->image.pixelColor(15, 10), Qt::magenta, 8));
        QVERIFY(writeFile(path, rewrite) && file.open(QIODevice::ReadWrite));
        QVERIFY(file.setFileTime(QDateTime::fromMSecsSinceEpoch(was.mtime * 1000 + (was.mtimeNs / 1000000 + 500) % 1000), QFileDevice::FileModificationTime));
        QVERIFY(showsQuarters(loader.start(jobs).take(7, always)->image, {QuarterColours[3], QuarterColours[2], QuarterColours[1], QuarterColours[0]}));
    }

private:
    QTemporaryDir m_dir;
};

// The desktop's shared thumbnail cache: names, keys and permissions as other programs expect them,
// entries other programs made, stale and broken entries, and caches that cannot be written.
namespace {
QByteArray md5Name(const QByteArray& uri) { return QCryptographicHash::hash(uri, QCryptographicHash::Md5).toHex() + ".png"; }
QColor colourOf(const QImage& image) { return image.isNull() ? QColor() : image.pixelColor(0, 0); }
QByteArray contents(const QString& path) { QFile file(path); return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray(); }
} // namespace

class TestThumbCache : public QObject {
    Q_OBJECT
    QTemporaryDir m_tmp;
    const QString m_picture = m_tmp.filePath(QStringLiteral("photo 1#写真%!.jpg")); // a name that needs encoding
    const QByteArray m_uri = QUrl::fromLocalFile(m_picture).toEncoded();
    platform::FileStamp m_stamp;
private slots:
    void initTestCase()
    {
        QFile file(m_picture);
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write("not really a JPEG") == 17 && file.flush());
        m_stamp = platform::stampOf(m_picture);
        QVERIFY(m_stamp.valid() && m_stamp.size == 17 && !platform::stampOf(m_tmp.path()).valid());
        if (!testsupport::onWindows) // the cache's URIs: of Linux paths
            QCOMPARE(ThumbnailCache::uriOf("/p/./q/!$&'()*+,=:@~_-;?[].jpg"), "file:///p/q/!$&'()*+,=:@~_-%3B%3F%5B%5D.jpg"); // as GLib
    }

    // An entry another program wrote (here, by hand, as the standard says) is used while it is current,
    // for a cell of 120 x 80 at the row's scale; store() then writes or replaces it in the cell's
    // flavour, read back by hand, and so does storeFailure() its record.
    void entries_data()
    {
        QTest::addColumn<QStringList>("texts"); // %u, %m: the picture's URI and mtime; none: no entry
        QTest::addColumn<int>("cut"); // bytes cut off its end
        QTest::addColumn<QSize>("size"); // of its picture, stored in normal, large (taller than 128) or x-large (taller than 256)
        QTest::addColumn<int>("scale");
        QTest::addColumn<int>("flavour"); // of the cell
        QTest::addColumn<bool>("found");
        const QStringList own{"Thumb::URI=%u", "Thumb::MTime=%m"};
        QTest::newRow("no entry") << QStringList() << 0 << QSize(1, 1) << 1 << 128 << false;
        QTest::newRow("file manager's, no Size") << own << 0 << QSize(128, 96) << 1 << 128 << true;
        QTest::newRow("with Size, large, at scale 2") << own + QStringList("Thumb::Size=17") << 0 << QSize(192, 256) << 2 << 256 << true;
        QTest::newRow("x-large at scale 3") << own << 0 << QSize(384, 512) << 3 << 512 << true;
        QTest::newRow("a larger flavour serves a smaller cell") << own << 0 << QSize(192, 256) << 1 << 128 << true;
        QTest::newRow("mtime differs") << QStringList{"Thumb::URI=%u", "Thumb::MTime=1"} << 0 << QSize(128, 96) << 1 << 128 << false;
        QTest::newRow("size differs") << own + QStringList("Thumb::Size=18") << 0 << QSize(128, 96) << 1 << 128 << false;
        QTest::newRow("another picture's") << QStringList{"Thumb::URI=file:///a/b.jpg", "Thumb::MTime=%m"} << 0 << QSize(128, 96) << 1 << 128 << false;
        QTest::newRow("truncated") << own << 20 << QSize(128, 96) << 1 << 128 << false;
        QTest::newRow("larger than its flavour") << own << 0 << QSize(200, 100) << 1 << 128 << false;
    }
    void entries()
    {
        if (testsupport::onWindows)
            QSKIP("the desktop's shared thumbnail cache is off on Windows");
        QFETCH(QStringList, texts);
        QFETCH(int, cut);
        QFETCH(QSize, size);
        QFETCH(int, scale);
        const int flavour = ThumbnailCache::flavourFor(QSize(120, 80) * scale);
        QTEST(flavour, "flavour");
        const ThumbnailCache cache(m_tmp.filePath(QTest::currentDataTag())); // made here
        const auto folder = [&](int side) { return cache.root() + (side > 256 ? "/x-large/" : side > 128 ? "/large/" : "/normal/"); };
        const QString entry = folder(size.height()) + md5Name(m_uri);
        QImage image = filled(size, Qt::blue); // QImageWriter::setText cannot write keys with colons
        for (QString text : texts)
            image.setText(text.section('=', 0, 0), text.section('=', 1).replace("%u", m_uri).replace("%m", QString::number(m_stamp.mtime)));
        QVERIFY(texts.isEmpty() || (QDir().mkpath(QFileInfo(entry).path()) && image.save(entry, "png") && QFile::resize(entry, QFileInfo(entry).size() - cut)));
        QTEST(colourOf(cache.find(m_picture, m_stamp, flavour)) == QColor(Qt::blue), "found");
        // Another version's failure record is not this one's.
        QVERIFY(texts.isEmpty() || (QDir().mkpath(cache.root() + "/fail/tarnavel-0.0.0") && image.save(cache.root() + "/fail/tarnavel-0.0.0/" + md5Name(m_uri), "png")));
        QVERIFY(!cache.failedBefore(m_picture, m_stamp));
        QVERIFY(cache.store(m_picture, m_stamp, flavour, filled(ThumbnailCache::thumbnailSize({3000, 4500}, flavour), Qt::red)) && cache.storeFailure(m_picture, m_stamp));
        for (const QString& file : {folder(flavour) + md5Name(m_uri), cache.root() + "/fail/" + ThumbnailCache::failureFolderName() + "/" + md5Name(m_uri)}) {
            QCOMPARE(QDir(QFileInfo(file).path()).entryList(QDir::Files | QDir::Hidden), QStringList(md5Name(m_uri))); // no temporary file left
            const QImage entry(file); // the keys, each in a chunk of plain text (tEXt) that every reader of the cache sees
            QCOMPARE(entry.text("Thumb::URI") + ' ' + entry.text("Thumb::MTime") + ' ' + entry.text("Thumb::Size"), m_uri + ' ' + QByteArray::number(m_stamp.mtime) + " 17");
            QVERIFY(contents(file).contains(QByteArray("tEXtThumb::URI") + '\0' + m_uri));
            QCOMPARE(QFile::permissions(file), QFile::Permissions(0x6600)); // 0600
            for (QString f = QFileInfo(file).path(); f != m_tmp.path() && texts.isEmpty(); f = QFileInfo(f).path())
                QCOMPARE(QFile::permissions(f), QFile::Permissions(0x7700)); // 0700
        }
        const QImage stored = cache.find(m_picture, m_stamp, flavour);
        QCOMPARE(stored.size(), QList<QSize>({{85, 128}, {171, 256}, {341, 512}}).at(flavour / 256)); // ours: the larger side fills the flavour; rounded
        // The cache's own pictures, by their path or through a link, are never read or written.
        const QString link = m_tmp.filePath(QStringLiteral("link ") + QTest::currentDataTag());
        QVERIFY(QFile::link(cache.root(), link));
        for (const QString& own : {folder(flavour) + md5Name(m_uri), link + '/' + QFileInfo(folder(flavour)).fileName() + "/" + md5Name(m_uri)})
            QVERIFY(cache.covers(own) && !cache.store(own, stampOf(own), flavour, stored) && cache.find(own, stampOf(own), flavour).isNull());
        QVERIFY(!cache.covers(cache.root() + "2/a.jpg")); // a sibling whose name starts the same is outside
        const platform::FileStamp later{m_stamp.mtime + 1, 0, m_stamp.size};
        QVERIFY(cache.find(m_picture, later, flavour).isNull() && cache.failedBefore(m_picture, m_stamp) && !cache.failedBefore(m_picture, later));
    }
};

// A hostile folder: broken, odd, huge and oddly named pictures are each shown, with their own
// colours, or refused with the empty picture under their name and a message in the viewer; never a
// crash, never another photo's picture.
class TestHostile : public QObject {
    Q_OBJECT
    std::unique_ptr<MainWindowTest> t;
private slots:
    void init() { t = std::make_unique<MainWindowTest>(false); }
    void cleanup() { t.reset(); }
    void hostileFile_data()
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
            const Maker good = e == "bmp" ? Maker([=] { return bmpOf(busy); }) : e == "jpg" ? Maker([=] { return jpegBytes(busy); })
                                                                                           : Maker([=] { return gifBytes({busy}); });
            QTest::addRow("%s zero bytes", qPrintable(e)) << "zero." + e << Maker([] { return QByteArray(); }) << no << QList<QColor>();
            QTest::addRow("%s header only", qPrintable(e)) << "header." + e << Maker([=] { const QByteArray b = good(); return b.left(e == "bmp" ? 54 : e == "gif" ? 799 : b.indexOf("\xFF\xDA") + 14); }) << no << QList<QColor>();
            QTest::addRow("%s cut in its pixel data", qPrintable(e)) << "cut." + e << Maker([=] { const QByteArray b = good(); return b.left(b.size() * 3 / 5); }) << no << QList<QColor>();
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
    void hostileFile()
    {
        QFETCH(QString, name);
        QFETCH(Maker, bytes);
        QFETCH(QSize, shownSize);
        QFETCH(QList<QColor>, colours);
        if (QByteArray(QTest::currentDataTag()).contains("then corrupt") && !platform::jpegWarningsAllSeen())
            QSKIP("Qt's reader, which decodes JPEGs in this build, reports only the decoder's first warning");
        const QString folder = t->drive.makeFolder(QStringLiteral("f"));
        t->drive.writeBytes(folder, "!good.bmp", bmpBytes(40, 30, Qt::red)); // listed first: bitmaps come first
        t->drive.writeBytes(folder, name, bytes());
        FrmSelect* w = t->window;
        browse(w, folder);
        QCOMPARE(w->PhotoNames, (QStringList{"!good.bmp", name}));
        QVERIFY(w->Img_Photo[0].hasPicture() && w->Img_Photo[1].Visible() && w->Lbl_Photo[1].Caption() == name);
        const QImage thumb = w->Img_Photo[1].pictureImage();
        QCOMPARE(thumb.isNull(), shownSize.isEmpty()); // a refused picture shows the empty picture
        QVERIFY2(colours.isEmpty() ? thumb.isNull() || !near(thumb.pixelColor(thumb.width() / 2, thumb.height() / 2), Qt::red, 60)
                                   : showsQuarters(thumb, colours, 12), "wrong colours, or the neighbour's picture");
        // The viewer opens with the picture at its own size, or says why it cannot.
        QSize inViewer;
        whenModal([](QWidget* m) { return m == FrmPhoto::Existing(); }, [&](QWidget* m) { inViewer = FrmPhoto::Existing()->PicPhoto.pictureImage().size(), m->close(); });
        w->Img_Photo_Click(std::int16_t(1));
        QCOMPARE(inViewer, shownSize.isEmpty() ? QSize() : shownSize);
        const QStringList& told = t->recorder.messages;
        QVERIFY(shownSize.isEmpty() ? told.size() == 1 && told[0].startsWith("Tarnavel|") && told[0].contains(name) : told.isEmpty());
        QVERIFY(t->recorder.ends.isEmpty() && w->Loaded());
    }
};

TARNAVEL_TEST_MAIN(TestPicture, TestThumbnails, TestThumbCache, TestHostile)
#include "tst_pictures.moc"
