#include "platform/picture.h"

#include "platform/drives.h"
#include "platform/errors.h"
#include "platform/picturecheck.h"

#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QImageIOHandler>
#include <QImageReader>
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

// Decodes `data` upright, at `scaledSize` when that is valid (the size before the EXIF turn), from
// memory. A null image on failure, with the decoder's reason in `*error`.
QImage decode(const QByteArray& data, const QByteArray& format, QSize scaledSize, QString* error)
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

QImage Picture::scaled(QSize target) const
{
    if (isEmpty() || target.isEmpty())
        return {};
    if (tooLarge(target.width(), target.height()))
        raise(ErrOutOfMemory);
    allowLargePictures();
    QString error;
    QImage image = decode(m_data, m_format, m_turned ? target.transposed() : target, &error);
    if (image.isNull())
        raise(canAllocate(m_size) ? ErrInvalidPicture : ErrOutOfMemory, error);
    if (image.size() != target)
        image = image.scaled(target, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    return paintable(image);
}

QImage Picture::full() const
{
    if (isEmpty())
        return {};
    allowLargePictures();
    QString error;
    QImage image = decode(m_data, m_format, QSize(), &error);
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
    if (!claimed.isValid() || tooLarge(claimed.width, claimed.height) || !pictureIsWhole(data))
        raise(ErrInvalidPicture, name);

    Picture picture;
    picture.m_format = formatName(kind);
    QBuffer buffer;
    buffer.setData(data);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, picture.m_format);
    reader.setAutoTransform(true);
    QSize size = reader.size();
    if (kind == PictureKind::Bmp && size.height() < 0)
        size.setHeight(-size.height()); // Qt gives a bitmap stored top row first a negative height
    if (!size.isValid() || size.isEmpty() || tooLarge(size.width(), size.height()))
        raise(ErrInvalidPicture, name);
    picture.m_turned = reader.transformation() & QImageIOHandler::TransformationRotate90;
    picture.m_size = picture.m_turned ? size.transposed() : size;
    buffer.close();
    picture.m_data = data;
    return picture;
}

} // namespace platform
