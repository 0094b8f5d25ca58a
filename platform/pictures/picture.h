#pragma once
// Pictures as the forms load them: a bitmap, JPEG or GIF file read whole into memory, checked, and
// decoded on demand at the size a control asks for, upright as its EXIF orientation says.
// Loading and decoding touch no shared state: any thread may load and decode its own pictures, and
// a loaded picture may be handed to another thread.

#include <QByteArray>
#include <QImage>
#include <QSize>
#include <QString>
#include <QStringList>

namespace platform {

class Picture {
public:
    // The empty picture.
    Picture() = default;

    bool isEmpty() const { return m_data.isEmpty(); }
    // Size in pixels, upright (a picture turned by its EXIF orientation reports the turned size).
    QSize size() const { return m_size; }
    // "bmp", "jpeg" or "gif", from the file's content (not its name).
    QByteArray format() const { return m_format; }

    // The picture stretched to `target` pixels, aspect ratio ignored, upright. JPEG is decoded at a
    // reduced scale inside the decoder where that suffices. Raises error 481 when it cannot be decoded
    // (a JPEG also when its decoder reports its data corrupt, see jpegCorrupt),
    // 7 when the target is above MaxPicturePixels or memory cannot be had. The empty picture or an
    // empty target gives a null image. Images come as Format_RGB32, or ARGB32_Premultiplied with alpha.
    QImage scaled(QSize target) const;
    // The picture at its own size, upright, in the same formats. Raises error 481 when it cannot be
    // decoded, 7 when memory for it cannot be had. The empty picture gives a null image.
    QImage full() const;

    // A picture from the whole content of a file, with the checks LoadPictureFile makes on the bytes.
    // Raises 481 with `name` as its detail for bytes that are not a whole bitmap, JPEG or GIF picture
    // or whose header claims an absurd size.
    static Picture fromBytes(const QByteArray& data, const QString& name);

private:
    QByteArray m_data;
    QByteArray m_format;
    QSize m_size;
    int m_orientation = 0; // the QImageIOHandler::Transformations that the EXIF orientation asks for
    bool m_unterminated = false; // a JPEG whose data stops inside its last scan (see picturecheck.h)
};

// The empty picture.
Picture LoadPicture();
// Loads a picture from a Windows-style path (see drives.h). Raises 53 for a missing file, 76 for a
// missing folder, 75 for a file that cannot be read, 68 for an unavailable drive, and 481 for a file
// that is not a whole bitmap, JPEG or GIF picture (empty, garbage, cut short, another format, or a
// header that claims an absurd size).
Picture LoadPicture(const QString& windowsPath);
// The same from a path of the system.
Picture LoadPictureFile(const QString& systemPath);
// The whole content of a file, read at once, with LoadPictureFile's errors (53, 76, 75) for a file that
// is missing, in a missing folder, a folder, or cannot be read.
QByteArray ReadPictureFile(const QString& systemPath);

// `image` stretched to `target` pixels, aspect ratio ignored, smoothly, as Format_RGB32 or, with
// alpha, Format_ARGB32_Premultiplied: the one way a picture is fitted to a cell or a control. Raises
// 7 when memory for it cannot be had. A null image or an empty target gives a null image.
QImage stretched(const QImage& image, QSize target);

// True when the JPEG decoder's warnings `warnings` say the data is corrupt: cut short, a bad code,
// or more than MaxStrayJpegBytes extraneous bytes before a marker (a few stray bytes, common in
// cameras' files, do not count). For a JPEG whose data stops without its end marker
// (`unterminated`) any warning counts: its last pixels may be missing.
bool jpegCorrupt(const QStringList& warnings, bool unterminated);
constexpr qint64 MaxStrayJpegBytes = 16;
// True where this build sees every warning of the JPEG decoder (it calls libjpeg itself); false where
// Qt's reader decodes JPEGs (the Windows build): that reports only libjpeg's first warning, so a
// corrupt JPEG whose first warning is a few stray bytes is shown there.
bool jpegWarningsAllSeen();

// The largest picture, in pixels, that is loaded: 256 Mi pixels (1 GiB at 4 bytes a pixel).
constexpr qint64 MaxPicturePixels = qint64(1) << 28;

} // namespace platform
