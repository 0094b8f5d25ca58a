#include "platform/pictures/thumbnailcache.h"

#include <QBuffer>
#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QImageWriter>
#include <QSaveFile>
#include <QtEndian>

#ifdef Q_OS_WIN
#include <QDateTime>
#else
#include <sys/stat.h>
#endif

namespace platform {

namespace {

constexpr auto kUri = "Thumb::URI";
constexpr auto kMTime = "Thumb::MTime";
constexpr auto kSize = "Thumb::Size";
constexpr auto kSoftware = "Software";

QString cleanAbsolute(const QString& path)
{
    return QDir::cleanPath(QFileInfo(path).absoluteFilePath());
}

bool isInside(const QString& path, const QString& folder)
{
    if (path.isEmpty() || folder.isEmpty())
        return false;
    if (path == folder)
        return true;
    const QString prefix = folder.endsWith(QLatin1Char('/')) ? folder : folder + QLatin1Char('/');
    return path.startsWith(prefix);
}

constexpr int kFlavours[] = {128, 256, 512, 1024};

QString flavourFolder(int flavour)
{
    switch (flavour) {
    case 128: return QStringLiteral("normal");
    case 256: return QStringLiteral("large");
    case 512: return QStringLiteral("x-large");
    case 1024: return QStringLiteral("xx-large");
    default: return QString();
    }
}

// The CRC-32 of the PNG format (ISO 3309, reflected polynomial 0xEDB88320) over `type` and `data`.
quint32 pngCrc(const QByteArray& bytes)
{
    quint32 crc = 0xFFFFFFFFu;
    for (const char c : bytes) {
        crc ^= quint8(c);
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return crc ^ 0xFFFFFFFFu;
}

// An uncompressed tEXt chunk, "key\0value", whole: length, type, data, CRC.
QByteArray textChunk(const QByteArray& key, const QByteArray& value)
{
    const QByteArray body = QByteArrayLiteral("tEXt") + key + '\0' + value;
    QByteArray chunk(4, '\0');
    qToBigEndian(quint32(body.size() - 4), chunk.data());
    chunk += body;
    QByteArray crc(4, '\0');
    qToBigEndian(pngCrc(body), crc.data());
    return chunk + crc;
}

// The PNG of `image` with the standard's keys in tEXt chunks right after the header; empty when
// the image cannot be encoded. The keys are put in by hand because Qt's writer compresses longer
// texts into zTXt chunks, which some readers of the cache (GLib's among them) do not look at.
QByteArray encodeEntry(const QImage& image, const QByteArray& uri, const FileStamp& stamp)
{
    // The pixels alone: texts the picture brought with it (its own Thumb:: keys, for one) stay out.
    QImage source = image;
    if (source.format() == QImage::Format_Indexed8 || source.format() == QImage::Format_Mono
        || source.format() == QImage::Format_MonoLSB)
        source = source.convertToFormat(source.hasAlphaChannel() ? QImage::Format_ARGB32 : QImage::Format_RGB32);
    const QImage plain(source.constBits(), source.width(), source.height(), source.bytesPerLine(), source.format());
    QByteArray png;
    QBuffer buffer(&png);
    if (!buffer.open(QIODevice::WriteOnly))
        return {};
    QImageWriter writer(&buffer, "png");
    if (!writer.write(plain))
        return {};
    buffer.close();
    constexpr int headerEnd = 8 + 4 + 4 + 13 + 4; // signature, then the IHDR chunk
    if (png.size() <= headerEnd || png.mid(12, 4) != "IHDR")
        return {};
    const QByteArray texts = textChunk(kUri, uri) + textChunk(kMTime, QByteArray::number(stamp.mtime))
        + textChunk(kSize, QByteArray::number(stamp.size)) + textChunk(kSoftware, "Tarnavel " TARNAVEL_VERSION);
    return png.insert(headerEnd, texts);
}

// Makes `folder` and the missing folders above it, each 0700; true when it is a folder at the end.
bool makeFolder(const QString& folder)
{
    const QFileInfo info(folder);
    if (info.isDir())
        return true;
    if (info.exists() || folder.isEmpty() || QDir(folder).isRoot())
        return false;
    const QString parent = QFileInfo(folder).path();
    if (parent == folder || !makeFolder(parent))
        return false;
    QDir().mkdir(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    return QFileInfo(folder).isDir(); // another thread or program may have made it meanwhile
}

} // namespace

FileStamp stampOf(const QString& systemPath)
{
    FileStamp stamp;
#ifndef Q_OS_WIN
    struct stat st;
    if (systemPath.isEmpty() || ::stat(QFile::encodeName(systemPath).constData(), &st) != 0 || !S_ISREG(st.st_mode))
        return stamp;
    stamp.mtime = qint64(st.st_mtime);
    stamp.mtimeNs = qint64(st.st_mtim.tv_nsec);
    stamp.size = qint64(st.st_size);
#else
    const QFileInfo info(systemPath);
    if (systemPath.isEmpty() || !info.isFile())
        return stamp;
    const qint64 ms = info.lastModified().toMSecsSinceEpoch();
    stamp.mtime = ms / 1000;
    stamp.mtimeNs = (ms % 1000) * 1000000;
    stamp.size = info.size();
#endif
    return stamp;
}

ThumbnailCache ThumbnailCache::forUser()
{
#ifdef Q_OS_WIN
    return ThumbnailCache(QString());
#else
    const QString cacheHome = qEnvironmentVariable("XDG_CACHE_HOME");
    if (cacheHome.startsWith(QLatin1Char('/')))
        return ThumbnailCache(cacheHome + QStringLiteral("/thumbnails"));
    const QString home = qEnvironmentVariable("HOME");
    if (!home.startsWith(QLatin1Char('/')))
        return ThumbnailCache(QString());
    return ThumbnailCache(home + QStringLiteral("/.cache/thumbnails"));
#endif
}

ThumbnailCache::ThumbnailCache(const QString& root)
    : m_root(root.isEmpty() ? QString() : cleanAbsolute(root))
{
}

int ThumbnailCache::flavourFor(QSize cellPixels)
{
    if (cellPixels.isEmpty())
        return 0;
    const int side = qMax(cellPixels.width(), cellPixels.height());
    for (const int flavour : kFlavours)
        if (side <= flavour)
            return flavour;
    return 0;
}

QString ThumbnailCache::failureFolderName()
{
    return QStringLiteral("tarnavel-" TARNAVEL_VERSION);
}

QSize ThumbnailCache::thumbnailSize(QSize pictureSize, int flavour)
{
    if (pictureSize.isEmpty() || flavour <= 0)
        return {};
    const qint64 w = pictureSize.width();
    const qint64 h = pictureSize.height();
    if (w <= flavour && h <= flavour)
        return pictureSize;
    const qint64 large = qMax(w, h);
    const qint64 small = qMax<qint64>(1, (qMin(w, h) * flavour * 2 + large) / (2 * large));
    return w >= h ? QSize(flavour, int(small)) : QSize(int(small), flavour);
}

bool ThumbnailCache::covers(const QString& systemPath) const
{
    if (!enabled() || systemPath.isEmpty())
        return false;
    if (isInside(cleanAbsolute(systemPath), m_root))
        return true;
    // The folder's links resolved, the name kept: a link elsewhere that points into the cache is
    // a picture of its own place, as its URI says.
    const QString canonicalRoot = QFileInfo(m_root).canonicalFilePath();
    const QFileInfo info(systemPath);
    const QString canonicalFolder = QFileInfo(info.absolutePath()).canonicalFilePath();
    return !canonicalRoot.isEmpty() && !canonicalFolder.isEmpty()
        && isInside(canonicalFolder + QLatin1Char('/') + info.fileName(), canonicalRoot);
}

QByteArray ThumbnailCache::uriOf(const QString& systemPath)
{
    QString path = cleanAbsolute(systemPath);
    if (!path.startsWith(QLatin1Char('/')))
        path.prepend(QLatin1Char('/')); // a drive letter's path
    return QByteArrayLiteral("file://") + QFile::encodeName(path).toPercentEncoding("!$&'()*+,=:@/");
}

QString ThumbnailCache::fileNameOf(const QString& systemPath)
{
    return QString::fromLatin1(QCryptographicHash::hash(uriOf(systemPath), QCryptographicHash::Md5).toHex())
        + QStringLiteral(".png");
}

QImage ThumbnailCache::find(const QString& systemPath, const FileStamp& stamp, int flavour) const
{
    if (flavourFolder(flavour).isEmpty() || !enabled() || !stamp.valid() || covers(systemPath))
        return {};
    const QString name = fileNameOf(systemPath);
    for (const int larger : kFlavours) {
        if (larger < flavour)
            continue;
        const QString file = m_root + QLatin1Char('/') + flavourFolder(larger) + QLatin1Char('/') + name;
        if (QImage image = readEntry(file, systemPath, stamp, larger); !image.isNull())
            return image;
    }
    return {};
}

bool ThumbnailCache::failedBefore(const QString& systemPath, const FileStamp& stamp) const
{
    if (!enabled() || !stamp.valid() || covers(systemPath))
        return false;
    const QString file = m_root + QStringLiteral("/fail/") + failureFolderName() + QLatin1Char('/')
        + fileNameOf(systemPath);
    return !readEntry(file, systemPath, stamp, 256).isNull();
}

// The entry in `file` when its keys match the file `systemPath` as stamped and its sides are at most
// `maxSide` (the callers have checked that the cache is enabled, the stamp valid and the file outside).
QImage ThumbnailCache::readEntry(const QString& file, const QString& systemPath, const FileStamp& stamp,
                                 int maxSide) const
{
    // The file opened here: given a name, Qt's reader would try it with every image suffix appended
    // when it is missing.
    QFile device(file);
    if (!device.open(QIODevice::ReadOnly))
        return {};
    QImageReader reader(&device, "png");
    reader.setAutoTransform(false);
    const QSize size = reader.size();
    if (!size.isValid() || size.isEmpty() || size.width() > maxSide || size.height() > maxSide)
        return {};
    QImage image = reader.read();
    if (image.isNull() || image.size() != size)
        return {};
    bool ok = false;
    if (image.text(QString::fromLatin1(kUri)).toLatin1() != uriOf(systemPath))
        return {};
    if (image.text(QString::fromLatin1(kMTime)).toLongLong(&ok) != stamp.mtime || !ok)
        return {};
    const QString sizeText = image.text(QString::fromLatin1(kSize));
    if (!sizeText.isEmpty() && (sizeText.toLongLong(&ok) != stamp.size || !ok))
        return {};
    return image;
}

bool ThumbnailCache::store(const QString& systemPath, const FileStamp& stamp, int flavour,
                           const QImage& thumbnail) const
{
    const QString folder = flavourFolder(flavour);
    if (folder.isEmpty() || thumbnail.isNull() || thumbnail.width() > flavour || thumbnail.height() > flavour)
        return false;
    return writeEntry(m_root + QLatin1Char('/') + folder, systemPath, stamp, thumbnail);
}

bool ThumbnailCache::storeFailure(const QString& systemPath, const FileStamp& stamp) const
{
    QImage dot(1, 1, QImage::Format_ARGB32);
    dot.fill(Qt::transparent);
    return writeEntry(m_root + QStringLiteral("/fail/") + failureFolderName(), systemPath, stamp, dot);
}

bool ThumbnailCache::writeEntry(const QString& folder, const QString& systemPath, const FileStamp& stamp,
                                const QImage& image) const
{
    if (!enabled() || !stamp.valid() || covers(systemPath))
        return false;
    const QByteArray png = encodeEntry(image, uriOf(systemPath), stamp);
    if (png.isEmpty() || !makeFolder(folder))
        return false;
    // A temporary file beside the entry, renamed over it at commit; removed on any failure.
    QSaveFile file(folder + QLatin1Char('/') + fileNameOf(systemPath));
    if (!file.open(QIODevice::WriteOnly))
        return false;
    if (!file.setPermissions(QFile::ReadOwner | QFile::WriteOwner) || file.write(png) != png.size())
        return false; // the save file removes its temporary file when it goes away uncommitted
    return file.commit();
}

} // namespace platform
