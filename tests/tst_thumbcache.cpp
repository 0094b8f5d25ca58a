// The desktop's shared thumbnail cache: names, keys and permissions as other programs expect them,
// entries other programs made, stale and broken entries, and caches that cannot be written.

#include "platform/thumbnailcache.h"

#include <QtTest>

using platform::FileStamp;
using platform::ThumbnailCache;

namespace {
// The tEXt chunks of a PNG, read by hand: the signature, then each chunk's length, type, data and
// CRC-32 up to IEND. Empty when the bytes are not such a PNG or a CRC is wrong.
QMap<QByteArray, QByteArray> pngTexts(const QByteArray& png)
{
    QMap<QByteArray, QByteArray> texts;
    for (qsizetype at = png.startsWith("\x89PNG\r\n\x1a\n") ? 8 : png.size(); at + 12 <= png.size();) {
        const qsizetype length = qFromBigEndian<quint32>(png.constData() + at);
        const QByteArray chunk = png.mid(at + 4, 4 + length); // type and data
        quint32 crc = ~0u;
        for (const char c : chunk)
            for (int bit = 0, x = quint8(c); bit < 8; ++bit, x >>= 1)
                crc = ((crc ^ x) & 1) ? (crc >> 1) ^ 0xEDB88320 : crc >> 1;
        if (at + 12 + length > png.size() || ~crc != qFromBigEndian<quint32>(png.constData() + at + 8 + length))
            return {};
        if (chunk.startsWith("IEND"))
            return texts;
        if (chunk.startsWith("tEXt"))
            texts.insert(chunk.mid(4, chunk.indexOf('\0') - 4), chunk.mid(chunk.indexOf('\0') + 1));
        at += 12 + length;
    }
    return {};
}
QByteArray md5Name(const QByteArray& uri) { return QCryptographicHash::hash(uri, QCryptographicHash::Md5).toHex() + ".png"; }
QColor colourOf(const QImage& image) { return image.isNull() ? QColor() : image.pixelColor(0, 0); }
QImage filled(QSize size, QColor colour) { QImage image(size, QImage::Format_RGB32); image.fill(colour); return image; }
} // namespace

class TestThumbCache : public QObject {
    Q_OBJECT
    QTemporaryDir m_tmp;
    const QString m_picture = m_tmp.filePath(QStringLiteral("photo.jpg"));
    const QByteArray m_uri = QUrl::fromLocalFile(m_picture).toEncoded();
    FileStamp m_stamp;
private slots:
    void initTestCase()
    {
        QFile file(m_picture);
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write("not really a JPEG") == 17);
        file.close();
        m_stamp = platform::stampOf(m_picture);
        QVERIFY(m_stamp.valid() && m_stamp.size == 17 && !platform::stampOf(m_tmp.path()).valid());
    }

    void names_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QByteArray>("uri");
        QTest::newRow("the standard's own example") << "/home/jens/photos/me.png" << QByteArray("file:///home/jens/photos/me.png");
        QTest::newRow("space, Japanese, # and %, dots") << "/tmp/./a b/写真#1%.jpg" << QByteArray("file:///tmp/a%20b/%E5%86%99%E7%9C%9F%231%25.jpg");
        QTest::newRow("GLib keeps these, encodes ;?[]") << "/p/!$&'()*+,=:@~_-;?[].jpg" << QByteArray("file:///p/!$&'()*+,=:@~_-%3B%3F%5B%5D.jpg");
    }
    void names()
    {
        QFETCH(QString, path);
        QTEST(ThumbnailCache::uriOf(path), "uri");
        QCOMPARE(ThumbnailCache::fileNameOf(path).toLatin1(), md5Name(ThumbnailCache::uriOf(path)));
    }

    // An entry another program wrote (here, by hand, as the standard says) is used while it is current;
    // store() then writes or replaces it, read back by hand, and so does storeFailure() its record.
    void entries_data()
    {
        QTest::addColumn<QStringList>("texts"); // %u, %m: the picture's URI and mtime; none: no entry
        QTest::addColumn<int>("cut"); // bytes cut off its end
        QTest::addColumn<QSize>("size");
        QTest::addColumn<int>("flavour");
        QTest::addColumn<bool>("found");
        const QStringList own{"Thumb::URI=%u", "Thumb::MTime=%m"};
        QTest::newRow("no entry, normal") << QStringList() << 0 << QSize(1, 1) << 128 << false;
        QTest::newRow("no entry, large") << QStringList() << 0 << QSize(1, 1) << 256 << false;
        QTest::newRow("file manager's, no Size") << own << 0 << QSize(128, 96) << 128 << true;
        QTest::newRow("with Size, large") << own + QStringList("Thumb::Size=17") << 0 << QSize(192, 256) << 256 << true;
        QTest::newRow("mtime differs") << QStringList{"Thumb::URI=%u", "Thumb::MTime=1"} << 0 << QSize(128, 96) << 128 << false;
        QTest::newRow("size differs") << own + QStringList("Thumb::Size=18") << 0 << QSize(128, 96) << 128 << false;
        QTest::newRow("another picture's") << QStringList{"Thumb::URI=file:///a/photo.jpg", "Thumb::MTime=%m"} << 0 << QSize(128, 96) << 128 << false;
        QTest::newRow("truncated") << own << 20 << QSize(128, 96) << 128 << false;
        QTest::newRow("empty") << own << 100000 << QSize(128, 96) << 128 << false;
        QTest::newRow("larger than its flavour") << own << 0 << QSize(200, 100) << 128 << false;
    }
    void entries()
    {
        QFETCH(QStringList, texts);
        QFETCH(int, cut);
        QFETCH(QSize, size);
        QFETCH(int, flavour);
        QFETCH(bool, found);
        QTemporaryDir dir;
        const ThumbnailCache cache(dir.filePath(QStringLiteral("cache/thumbnails")));
        const QString entry = cache.root() + (flavour == 128 ? "/normal/" : "/large/") + md5Name(m_uri);
        QImage image = filled(size, Qt::blue); // QImageWriter::setText cannot write keys with colons
        for (QString text : texts)
            image.setText(text.section('=', 0, 0), text.section('=', 1).replace("%u", m_uri).replace("%m", QString::number(m_stamp.mtime)));
        QByteArray png;
        QBuffer buffer(&png);
        QVERIFY(buffer.open(QIODevice::WriteOnly) && image.save(&buffer, "png"));
        png.chop(cut);
        QFile planted(entry);
        QVERIFY(texts.isEmpty() || (QDir().mkpath(QFileInfo(entry).path()) && planted.open(QIODevice::WriteOnly) && planted.write(png) == png.size()));
        planted.close();
        QCOMPARE(colourOf(cache.find(m_picture, m_stamp, flavour)), found ? QColor(Qt::blue) : QColor());
        QVERIFY(cache.store(m_picture, m_stamp, flavour, filled(ThumbnailCache::thumbnailSize({3000, 4500}, flavour), Qt::red)));
        QVERIFY(cache.storeFailure(m_picture, m_stamp));
        const auto folder = QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadUser | QFile::WriteUser | QFile::ExeUser;
        for (const QString& written : {entry, cache.root() + "/fail/tarnavel-0.1.0/" + md5Name(m_uri)}) {
            QFile file(written);
            QVERIFY(file.open(QIODevice::ReadOnly));
            const QMap<QByteArray, QByteArray> keys = pngTexts(file.readAll());
            QCOMPARE(keys.value("Thumb::URI") + ' ' + keys.value("Thumb::MTime") + ' ' + keys.value("Thumb::Size"), m_uri + ' ' + QByteArray::number(m_stamp.mtime) + " 17");
            QCOMPARE(file.permissions(), folder & ~(QFile::ExeOwner | QFile::ExeUser));
            QCOMPARE(QDir(QFileInfo(written).path()).entryList(QDir::Files | QDir::Hidden), QStringList(md5Name(m_uri))); // no temporary file left
            for (QString f = QFileInfo(written).path(); f != dir.path() && texts.isEmpty(); f = QFileInfo(f).path())
                QCOMPARE(QFile::permissions(f), folder);
        }
        const QImage stored = cache.find(m_picture, m_stamp, flavour);
        QCOMPARE(stored.pixelColor(0, 0), QColor(Qt::red));
        QCOMPARE(stored.size(), flavour == 128 ? QSize(85, 128) : QSize(171, 256)); // the larger side fills the flavour; rounded
        QCOMPARE(ThumbnailCache::flavourFor(stored.size() + QSize(0, 1)), flavour == 128 ? 256 : 0);
        const FileStamp later{m_stamp.mtime + 1, m_stamp.size};
        QVERIFY(cache.find(m_picture, later, flavour).isNull() && cache.failedBefore(m_picture, m_stamp) && !cache.failedBefore(m_picture, later));
    }

    // Refused, with nothing stored, found or left behind: a cache that cannot be written (files stand in for
    // unwritable folders, which do not stop root), no cache, and pictures inside the cache.
    void refused_data()
    {
        QTest::addColumn<QString>("root"); // in a fresh folder; empty: no cache
        QTest::addColumn<QString>("picture"); // empty: the picture outside
        QTest::addColumn<QStringList>("files"); // empty files made first, sorted
        QTest::newRow("root under a file") << "afile/thumbnails" << "" << QStringList("afile");
        QTest::newRow("the cache's folders are files") << "c" << "" << QStringList{"c/fail", "c/normal"};
        QTest::newRow("no cache") << "" << "" << QStringList();
        QTest::newRow("an entry") << "c" << "c/normal/x.png" << QStringList("c/normal/x.png");
        QTest::newRow("the root") << "c" << "c" << QStringList("c/x.png");
        QTest::newRow("through ..") << "c" << "c/large/../normal/x.png" << QStringList("c/normal/x.png");
        QTest::newRow("through a link to the cache") << "c" << "link/normal/x.png" << QStringList("c/normal/x.png");
    }
    void refused()
    {
        QFETCH(QString, root);
        QFETCH(QString, picture);
        QFETCH(QStringList, files);
        QTemporaryDir dir;
        for (const QString& name : files) {
            QFile file(dir.filePath(name));
            QVERIFY(QDir(dir.path()).mkpath(QFileInfo(name).path()) && file.open(QIODevice::WriteOnly));
        }
        QVERIFY(QFile::link(dir.filePath(QStringLiteral("c")), dir.filePath(QStringLiteral("link"))));
        const ThumbnailCache cache(root.isEmpty() ? root : dir.filePath(root));
        const QString path = picture.isEmpty() ? m_picture : dir.filePath(picture);
        QCOMPARE(cache.covers(path), !picture.isEmpty());
        QVERIFY(!cache.covers(dir.filePath(root + "2/a.jpg"))); // a sibling whose name starts the same is outside
        QVERIFY(!cache.store(path, m_stamp, 128, filled(QSize(128, 85), Qt::red)) && !cache.storeFailure(path, m_stamp));
        QVERIFY(cache.find(path, m_stamp, 128).isNull() && !cache.failedBefore(path, m_stamp));
        QStringList left;
        for (QDirIterator it(dir.path(), QDir::Files | QDir::Hidden, QDirIterator::Subdirectories); it.hasNext();)
            left << it.next().mid(dir.path().size() + 1);
        left.sort();
        QCOMPARE(left, files);
    }

    void forUser_data()
    {
        QTest::addColumn<QByteArray>("xdg"); // "-": unset
        QTest::addColumn<QByteArray>("home");
        QTest::addColumn<QString>("root"); // empty: no cache
        QTest::newRow("absolute XDG_CACHE_HOME") << QByteArray("/x/cache") << QByteArray("/h") << "/x/cache/thumbnails";
        QTest::newRow("relative one ignored") << QByteArray("x/cache") << QByteArray("/h") << "/h/.cache/thumbnails";
        QTest::newRow("unset") << QByteArray("-") << QByteArray("/h") << "/h/.cache/thumbnails";
        QTest::newRow("no home") << QByteArray("-") << QByteArray("-") << QString();
    }
    void forUser()
    {
        QFETCH(QByteArray, xdg);
        QFETCH(QByteArray, home);
        const auto set = [](const char* name, const QByteArray& value) { value == "-" ? qunsetenv(name) : qputenv(name, value); };
        const QByteArray oldXdg = qEnvironmentVariableIsSet("XDG_CACHE_HOME") ? qgetenv("XDG_CACHE_HOME") : "-";
        const QByteArray oldHome = qEnvironmentVariableIsSet("HOME") ? qgetenv("HOME") : "-";
        set("XDG_CACHE_HOME", xdg);
        set("HOME", home);
        const ThumbnailCache cache = ThumbnailCache::forUser();
        set("XDG_CACHE_HOME", oldXdg);
        set("HOME", oldHome);
        QTEST(cache.root(), "root");
        QCOMPARE(cache.enabled(), !cache.root().isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestThumbCache)
#include "tst_thumbcache.moc"
