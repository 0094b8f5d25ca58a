#pragma once
// Byte-level checks of picture files before any decoder sees them: which kind a file is, the size its
// header claims, and whether the file holds all the data that header promises. Every function takes
// any bytes at all (empty, garbage, hostile) and never reads outside them.

#include <QByteArray>
#include <QSize>

namespace platform {

enum class PictureKind { Unknown, Bmp, Jpeg, Gif };

// The kind of picture from the first bytes: "BM" bitmap, FF D8 FF JPEG, "GIF87a"/"GIF89a" GIF;
// anything else (PNG, text, too short) is Unknown.
PictureKind sniffPicture(const QByteArray& data);

// Width and height as the header states them, before any orientation: a bitmap's info header
// (absolute height), a JPEG's first frame header (SOF0-SOF15), a GIF's logical screen (or the first
// image's extent when the screen is 0 x 0). Not valid when the header is missing, cut short or
// states no size. Values are not clamped: a bitmap may claim 2^31 - 1 pixels a side.
struct ClaimedSize {
    qint64 width = 0;
    qint64 height = 0;
    bool isValid() const { return width > 0 && height > 0; }
    qint64 pixels() const { return width * height; }
};
ClaimedSize pictureHeaderSize(const QByteArray& data);

// True when the file holds the whole picture its header describes:
// - JPEG: the segments lead to a scan, and an end-of-image marker FF D9 stands after the last
//   start-of-scan marker FF DA (an EXIF thumbnail inside APP1 has its own pair and does not count);
// - GIF: the first image's data sub-blocks end, with their 0 terminator, inside the file (what comes
//   after, further frames or the trailer, may be missing);
// - bitmap: the file holds the pixel data at bfOffBits that the info header needs (rows padded to
//   4 bytes for uncompressed data; biSizeImage bytes, or at least one, for RLE).
// False for anything else, including headers this check does not understand.
bool pictureIsWhole(const QByteArray& data);

} // namespace platform
