// The desktop's shared thumbnail cache: names, keys and permissions as other programs expect them,
// entries other programs made, stale and broken entries, and caches that cannot be written.

#include "platform/pictures/thumbnailcache.h"
#include "support/testforms.h"

#include <QtTest>

using platform::ThumbnailCache;

namespace {
// The tEXt chunks of a PNG, read by hand: the signature, then each chunk's length, type, data and
// CRC-32 up to IEND. Empty when the bytes are not such a PNG or a CRC is wrong.
QMap<QByteArray, QByteArray> pngTexts(const QByteArray& png)
{
    QMap<QByteArray, QByteArray> texts;
    for (qsizetype at = 8, length = 0; png.startsWith("\x89PNG\r\n\x1a\n") && at + 12 <= png.size(); at += 12 + length) {
        length = qFromBigEndian<quint32>(png.constData() + at);
        const QByteArray chunk = png.mid(at + 4, 4 + length); // type and data
        quint32 crc = ~0u;
        for (qsizetype bit = 0; bit < chunk.size() * 8; ++bit)
            crc = ((crc ^ (quint8(chunk[bit / 8]) >> bit % 8)) & 1) ? (crc >> 1) ^ 0xEDB88320 : crc >> 1;
        if (at + 12 + length > png.size() || ~crc != qFromBigEndian<quint32>(png.constData() + at + 8 + length))
            return {};
        if (chunk.startsWith("IEND"))
            return texts;
        if (chunk.startsWith("tEXt"))
            texts.insert(chunk.mid(4, chunk.indexOf('\0') - 4), chunk.mid(chunk.indexOf('\0') + 1));
    }
    return {};
}
QByteArray md5Name(const QByteArray& uri) { return QCryptographicHash::hash(uri, QCryptographicHash::Md5).toHex() + ".png"; }
QColor colourOf(const QImage& image) { return image.isNull() ? QColor() : image.pixelColor(0, 0); }
QByteArray contents(const QString& path) { QFile file(path); return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray(); }
QImage filled(QSize size, QColor colour) { QImage image(size, QImage::Format_RGB32); image.fill(colour); return image; }
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
            const QMap<QByteArray, QByteArray> keys = pngTexts(contents(file));
            QCOMPARE(keys.value("Thumb::URI") + ' ' + keys.value("Thumb::MTime") + ' ' + keys.value("Thumb::Size"), m_uri + ' ' + QByteArray::number(m_stamp.mtime) + " 17");
            QCOMPARE(QFile::permissions(file), QFile::Permissions(0x6600)); // 0600
            for (QString f = QFileInfo(file).path(); f != m_tmp.path() && texts.isEmpty(); f = QFileInfo(f).path())
                QCOMPARE(QFile::permissions(f), QFile::Permissions(0x7700)); // 0700
        }
        const QImage stored = cache.find(m_picture, m_stamp, flavour);
        QCOMPARE(stored.size(), QList<QSize>({{85, 128}, {171, 256}, {341, 512}}).at(flavour / 256)); // ours: the larger side fills the flavour; rounded
        const platform::FileStamp later{m_stamp.mtime + 1, 0, m_stamp.size};
        QVERIFY(cache.find(m_picture, later, flavour).isNull() && cache.failedBefore(m_picture, m_stamp) && !cache.failedBefore(m_picture, later));
    }

    // Refused, with nothing stored or found: a cache that cannot be written (files stand in for
    // unwritable folders, which do not stop root), no cache, and pictures inside the cache.
    void refused_data()
    {
        QTest::addColumn<QString>("root"); // in a fresh folder; empty: no cache
        QTest::addColumn<QString>("picture"); // empty: the picture outside
        QTest::addColumn<QString>("file"); // an empty file made first
        QTest::newRow("root under a file") << "afile/thumbnails" << "" << "afile";
        QTest::newRow("no cache") << "" << "" << "";
        QTest::newRow("an entry") << "c" << "c/normal/x.png" << "c/normal/x.png";
        QTest::newRow("through a link to the cache") << "c" << "link/normal/x.png" << "c/normal/x.png";
    }
    void refused()
    {
        if (testsupport::onWindows)
            QSKIP("the desktop's shared thumbnail cache is off on Windows");
        QFETCH(QString, root);
        QFETCH(QString, picture);
        QFETCH(QString, file);
        QTemporaryDir dir;
        QVERIFY(file.isEmpty() || (QDir(dir.path()).mkpath(QFileInfo(file).path()) && QFile(dir.filePath(file)).open(QIODevice::WriteOnly)));
        QVERIFY(QFile::link(dir.filePath(QStringLiteral("c")), dir.filePath(QStringLiteral("link"))));
        const ThumbnailCache cache(root.isEmpty() ? root : dir.filePath(root));
        const QString path = picture.isEmpty() ? m_picture : dir.filePath(picture);
        QCOMPARE(cache.covers(path), !picture.isEmpty());
        QVERIFY(!cache.covers(dir.filePath(root + "2/a.jpg"))); // a sibling whose name starts the same is outside
        QVERIFY(!cache.store(path, m_stamp, 128, filled(QSize(128, 85), Qt::red)) && !cache.storeFailure(path, m_stamp)
                && cache.find(path, m_stamp, 128).isNull() && !cache.failedBefore(path, m_stamp));
    }

    void forUser_data()
    {
        QTest::addColumn<QByteArray>("xdg"); // "-": unset
        QTest::addColumn<QByteArray>("home");
        QTest::addColumn<QString>("root"); // empty: no cache
        const bool off = testsupport::onWindows; // no cache on Windows, whatever the variables say
        QTest::newRow("absolute XDG_CACHE_HOME") << QByteArray("/x/cache") << QByteArray("/h") << (off ? "" : "/x/cache/thumbnails");
        QTest::newRow("relative one ignored") << QByteArray("x/cache") << QByteArray("/h") << (off ? "" : "/h/.cache/thumbnails");
        QTest::newRow("no home") << QByteArray("-") << QByteArray("-") << QString();
    }
    void forUser()
    {
        QFETCH(QByteArray, xdg);
        QFETCH(QByteArray, home);
        xdg == "-" ? qunsetenv("XDG_CACHE_HOME") : qputenv("XDG_CACHE_HOME", xdg);
        home == "-" ? qunsetenv("HOME") : qputenv("HOME", home);
        QTEST(ThumbnailCache::forUser().root(), "root");
    }
};

QTEST_GUILESS_MAIN(TestThumbCache)
#include "tst_thumbcache.moc"
