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
// (absolute height; the 12-byte and 64-byte OS/2 headers too), a JPEG's first frame header
// (SOF0-SOF15), a GIF's logical screen, which is the size of the picture shown (or the first image's
// extent when the screen is 0 x 0). Not valid when the header is missing, cut short or
// states no size. Values are not clamped: a bitmap may claim 2^31 - 1 pixels a side.
struct ClaimedSize {
    qint64 width = 0;
    qint64 height = 0;
    bool isValid() const { return width > 0 && height > 0; }
    qint64 pixels() const { return width * height; }
};
ClaimedSize pictureHeaderSize(const QByteArray& data);

// How far a file holds the picture its header describes:
// - Whole: every pixel is there. JPEG: the segments lead through the scans to an end-of-image marker
//   FF D9 (what follows it does not count; an EXIF thumbnail inside APP1 is skipped with its segment).
//   GIF: the first image's data sub-blocks end with their 0 terminator, or, where the data stops
//   before it, the LZW codes present give every pixel of that image (further frames and the trailer
//   may be missing). Bitmap: the file holds the pixel data at bfOffBits that the info header needs
//   (rows padded to 4 bytes for uncompressed data; biSizeImage bytes, or at least one, for RLE).
// - Unterminated: a sequential JPEG in one scan of all its components whose data stops inside that
//   scan, with no end marker: only the decoder can tell whether every pixel is there.
// - Cut: anything else, including headers this check does not understand.
// The fields of a bitmap's headers that the checks and decoders use. Valid when the header is one
// of the known sizes (12 and 64 for OS/2, 40, 52, 56, 108, 124) and every field lies inside the data.
// `height` keeps its sign: negative for rows stored top row first.
struct BitmapHeader {
    bool valid = false;
    qint64 offBits = 0, headerSize = 0, width = 0, height = 0, bpp = 0, compression = 0, sizeImage = 0,
           coloursUsed = 0;
};
BitmapHeader bitmapHeader(const QByteArray& data);

enum class PictureEnd { Cut, Whole, Unterminated };
PictureEnd pictureEnd(const QByteArray& data);

} // namespace platform
