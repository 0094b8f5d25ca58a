#include "platform/pictures/picture.h"

#include "platform/drives.h"
#include "platform/errors.h"
#include "platform/pictures/bmpdecoder.h"
#include "platform/pictures/jpegdecoder.h"
#include "platform/pictures/picturecheck.h"

#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QImageIOHandler>
#include <QImageReader>
#include <QRegularExpression>
#include <QTransform>
#include <atomic>
#include <cstdio>
#include <cstring>
#include <mutex>

namespace platform {

namespace {

QByteArray formatName(PictureKind kind)
{
    switch (kind) {
    case PictureKind::Bmp: return QByteArrayLiteral("bmp");
    case PictureKind::Jpeg: return QByteArrayLiteral("jpeg");
    case PictureKind::Gif: return QByteArrayLiteral("gif");
    case PictureKind::Unknown: break;
    }
    return {};
}

} // namespace

bool jpegCorrupt(const QStringList& warnings, bool unterminated)
{
    static const QRegularExpression stray(QStringLiteral("^Corrupt JPEG data: (\\d+) extraneous bytes before marker"));
    for (const QString& warning : warnings) {
        if (unterminated)
            return true;
        const QRegularExpressionMatch match = stray.match(warning);
        if (match.hasMatch() && match.captured(1).toLongLong() <= MaxStrayJpegBytes)
            continue;
        if (warning.startsWith(QLatin1String("Corrupt JPEG data")) || warning.startsWith(QLatin1String("Premature end")))
            return true;
    }
    return false;
}

bool jpegWarningsAllSeen()
{
#ifdef TARNAVEL_HAVE_LIBJPEG
    return true;
#else
    return false;
#endif
}

namespace {

bool tooLarge(qint64 width, qint64 height)
{
    return width * height > MaxPicturePixels;
}

// Qt refuses to decode pictures above 128 MB; ours may take 4 bytes for each of MaxPicturePixels,
// plus room for the decoder's own rounding.
void allowLargePictures()
{
    static std::once_flag once;
    std::call_once(once, [] {
        const int wantedMb = int(MaxPicturePixels * 4 / (1024 * 1024)) + 64;
        if (QImageReader::allocationLimit() != 0 && QImageReader::allocationLimit() < wantedMb)
            QImageReader::setAllocationLimit(wantedMb);
    });
}

// Decodes `data` with Qt's reader, upright, at `scaledSize` when that is valid (the size before the
// EXIF turn), from memory. A null image on failure, with the decoder's reason in `*error`.
QImage qtDecode(const QByteArray& data, const QByteArray& format, QSize scaledSize, QString* error)
{
    QBuffer buffer;
    buffer.setData(data);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, format);
    reader.setAutoTransform(true);
    if (scaledSize.isValid())
        reader.setScaledSize(scaledSize);
    QImage image = reader.read();
    if (image.isNull())
        *error = reader.errorString();
    return image;
}

#ifdef TARNAVEL_HAVE_LIBJPEG
// `image` turned and mirrored as QImageIOHandler::Transformations `orientation` says (as Qt's reader
// does it: the mirrors first, then the quarter turn clockwise).
QImage oriented(QImage image, int orientation)
{
    const bool mirror = orientation & QImageIOHandler::TransformationMirror;
    const bool flip = orientation & QImageIOHandler::TransformationFlip;
    if (mirror || flip)
        image = std::move(image).mirrored(mirror, flip);
    if (orientation & QImageIOHandler::TransformationRotate90)
        image = image.transformed(QTransform().rotate(90));
    return image;
}

// A JPEG, decoded by libjpeg with every warning seen.
QImage jpegDecode(const QByteArray& data, QSize scaledSize, int orientation, bool unterminated, QString* error)
{
    QStringList warnings;
    QImage image = decodeJpeg(data, scaledSize, &warnings, error);
    if (!image.isNull() && jpegCorrupt(warnings, unterminated)) {
        *error = warnings.join(QLatin1Char('\n'));
        return {};
    }
    return image.isNull() ? image : oriented(std::move(image), orientation);
}
#else
// libjpeg's warnings, which Qt's reader only logs (and only its first), gathered for the decodes of
// the thread that set it.
thread_local QStringList* t_jpegWarnings = nullptr;
thread_local bool t_forwarding = false;
std::atomic<QtMessageHandler> g_nextHandler{nullptr};

void gatherJpegWarnings(QtMsgType type, const QMessageLogContext& context, const QString& message)
{
    if (t_jpegWarnings && context.category && std::strcmp(context.category, "qt.gui.imageio.jpeg") == 0) {
        t_jpegWarnings->append(message);
        return;
    }
    const QtMessageHandler next = g_nextHandler.load();
    if (!next || t_forwarding) { // a handler that hands messages back to this one ends the round here
        std::fputs(qPrintable(qFormatLogMessage(type, context, message) + QLatin1Char('\n')), stderr);
        return;
    }
    t_forwarding = true;
    next(type, context, message);
    t_forwarding = false;
}

// Gathers the JPEG decoder's warnings on this thread while it lives. The handler is installed again
// for each decode, as another may have replaced it since (Qt Test does, for each test class it runs).
class JpegWarnings {
public:
    JpegWarnings()
    {
        if (const QtMessageHandler previous = qInstallMessageHandler(gatherJpegWarnings); previous != gatherJpegWarnings)
            g_nextHandler = previous;
        t_jpegWarnings = &m_warnings;
    }
    ~JpegWarnings() { t_jpegWarnings = nullptr; }
    JpegWarnings(const JpegWarnings&) = delete;
    JpegWarnings& operator=(const JpegWarnings&) = delete;
    const QStringList& list() const { return m_warnings; }

private:
    QStringList m_warnings;
};

// A JPEG, decoded by Qt's reader, which applies the EXIF orientation itself.
QImage jpegDecode(const QByteArray& data, QSize scaledSize, int /*orientation*/, bool unterminated, QString* error)
{
    const JpegWarnings warnings;
    QImage image = qtDecode(data, "jpeg", scaledSize, error);
    if (!image.isNull() && jpegCorrupt(warnings.list(), unterminated)) {
        *error = warnings.list().join(QLatin1Char('\n'));
        return {};
    }
    return image;
}
#endif

// Decodes `data` upright, at `scaledSize` or larger when that is valid (the size before the EXIF
// turn), except where Qt's reader would show a wrong picture: bit-field bitmaps are decoded here (at
// their own size), other bitmaps normalised first, and a JPEG whose decoder reports corrupt data (see
// jpegCorrupt) or, when `unterminated`, any trouble is refused.
QImage decode(const QByteArray& data, const QByteArray& format, QSize scaledSize, int orientation,
              bool unterminated, QString* error)
{
    if (format == "bmp") {
        if (std::optional<QImage> own = decodeBitFieldBitmap(data)) {
            if (own->isNull())
                *error = QStringLiteral("bit-field masks that cannot be read");
            return *own;
        }
        return qtDecode(normalisedBitmap(data), format, scaledSize, error);
    }
    if (format == "jpeg")
        return jpegDecode(data, scaledSize, orientation, unterminated, error);
    return qtDecode(data, format, scaledSize, error);
}

// True when memory for a picture of `size` at 4 bytes a pixel can be had right now.
bool canAllocate(QSize size)
{
    const QImage probe(size, QImage::Format_ARGB32);
    return !probe.isNull();
}

// The image in a format that paints without conversion; raises 7 when the conversion finds no memory.
QImage paintable(QImage image)
{
    const QImage::Format wanted =
        image.hasAlphaChannel() ? QImage::Format_ARGB32_Premultiplied : QImage::Format_RGB32;
    if (image.format() != wanted)
        image.convertTo(wanted);
    if (image.isNull())
        raise(ErrOutOfMemory);
    return image;
}

} // namespace

QImage stretched(const QImage& image, QSize target)
{
    if (image.isNull() || target.isEmpty())
        return {};
    QImage fitted = image.size() == target ? image : image.scaled(target, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    if (fitted.isNull())
        raise(ErrOutOfMemory);
    return paintable(std::move(fitted));
}

QImage Picture::scaled(QSize target) const
{
    if (isEmpty() || target.isEmpty())
        return {};
    if (tooLarge(target.width(), target.height()))
        raise(ErrOutOfMemory);
    allowLargePictures();
    QString error;
    const bool turned = m_orientation & QImageIOHandler::TransformationRotate90;
    const QImage image = decode(m_data, m_format, turned ? target.transposed() : target, m_orientation,
                                m_unterminated, &error);
    if (image.isNull())
        raise(canAllocate(m_size) ? ErrInvalidPicture : ErrOutOfMemory, error);
    return stretched(image, target);
}

QImage Picture::full() const
{
    if (isEmpty())
        return {};
    allowLargePictures();
    QString error;
    QImage image = decode(m_data, m_format, QSize(), m_orientation, m_unterminated, &error);
    if (image.isNull())
        raise(canAllocate(m_size) ? ErrInvalidPicture : ErrOutOfMemory, error);
    return paintable(image);
}

Picture LoadPicture()
{
    return {};
}

Picture LoadPicture(const QString& windowsPath)
{
    return LoadPictureFile(toSystemPath(windowsPath));
}

QByteArray ReadPictureFile(const QString& systemPath)
{
    const QFileInfo info(systemPath);
    if (!info.exists()) {
        const QFileInfo folder(info.absolutePath());
        raise(folder.isDir() ? ErrFileNotFound : ErrPathNotFound, systemPath);
    }
    if (info.isDir())
        raise(ErrFileAccess, systemPath);
    QFile file(systemPath);
    if (!file.open(QIODevice::ReadOnly))
        raise(ErrFileAccess, systemPath);
    QByteArray data = file.readAll();
    if (file.error() != QFileDevice::NoError)
        raise(ErrFileAccess, systemPath);
    return data;
}

Picture LoadPictureFile(const QString& systemPath)
{
    return Picture::fromBytes(ReadPictureFile(systemPath), systemPath);
}

Picture Picture::fromBytes(const QByteArray& data, const QString& name)
{
    // Every check below runs on the bytes alone, before a decoder allocates anything for them.
    const PictureKind kind = sniffPicture(data);
    if (kind == PictureKind::Unknown)
        raise(ErrInvalidPicture, name);
    const ClaimedSize claimed = pictureHeaderSize(data);
    if (!claimed.isValid() || tooLarge(claimed.width, claimed.height))
        raise(ErrInvalidPicture, name);
    const PictureEnd end = pictureEnd(data);
    if (end == PictureEnd::Cut)
        raise(ErrInvalidPicture, name);

    Picture picture;
    picture.m_format = formatName(kind);
    picture.m_unterminated = end == PictureEnd::Unterminated;
    // A bitmap's and a GIF's size is what their headers state (a GIF shows its whole logical screen,
    // whatever the size of its first image); a JPEG's comes from its reader, which also knows its EXIF
    // orientation.
    QSize size(int(claimed.width), int(claimed.height));
    if (kind == PictureKind::Jpeg) {
        QBuffer buffer;
        buffer.setData(data);
        buffer.open(QIODevice::ReadOnly);
        QImageReader reader(&buffer, picture.m_format);
        reader.setAutoTransform(true);
        size = reader.size();
        if (!size.isValid() || size.isEmpty() || tooLarge(size.width(), size.height()))
            raise(ErrInvalidPicture, name);
        picture.m_orientation = int(reader.transformation());
    }
    const bool turned = picture.m_orientation & QImageIOHandler::TransformationRotate90;
    picture.m_size = turned ? size.transposed() : size;
    picture.m_data = data;
    return picture;
}

} // namespace platform
