#pragma once
// JPEG decoding with libjpeg called directly, where the build found it (TARNAVEL_HAVE_LIBJPEG): every
// warning of the decoder is seen (Qt's reader reports only the first), the data is read from memory
// in one piece, and the pixels are written straight into the image. Elsewhere Qt's reader decodes
// JPEGs (see picture.cpp). Touches no shared state: any thread may decode.

#include <QByteArray>
#include <QImage>
#include <QSize>
#include <QString>
#include <QStringList>

namespace platform {

#ifdef TARNAVEL_HAVE_LIBJPEG
// Decodes the whole JPEG `data` as stored (no EXIF orientation applied), at the smallest of the
// scales 1/8, 1/4, 1/2 and 1 that gives at least `atLeast` on both sides (an invalid size: at full
// size), as Format_RGB32. Colour, grey, CMYK and YCCK pictures (CMYK as Adobe writes it, inverted),
// baseline or progressive. Every warning the decoder gives is appended to `*warnings`, in order,
// in libjpeg's own words. A null image when the decoder gives up or memory cannot be had, with its
// reason in `*error`.
QImage decodeJpeg(const QByteArray& data, QSize atLeast, QStringList* warnings, QString* error);
#endif

} // namespace platform
