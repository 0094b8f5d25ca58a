#include "platform/picturecheck.h"

#include <QByteArrayView>
#include <algorithm>
#include <cstring>

namespace platform {

namespace {

// The byte at `pos`, or -1 outside the data.
int byteAt(const QByteArray& d, qint64 pos)
{
    if (pos < 0 || pos >= d.size())
        return -1;
    return static_cast<unsigned char>(d[pos]);
}

// Little- and big-endian unsigned fields; -1 when any byte lies outside the data.
qint64 le16(const QByteArray& d, qint64 pos)
{
    const int a = byteAt(d, pos), b = byteAt(d, pos + 1);
    return (a < 0 || b < 0) ? -1 : (qint64(b) << 8 | a);
}

qint64 be16(const QByteArray& d, qint64 pos)
{
    const int a = byteAt(d, pos), b = byteAt(d, pos + 1);
    return (a < 0 || b < 0) ? -1 : (qint64(a) << 8 | b);
}

qint64 le32(const QByteArray& d, qint64 pos)
{
    const qint64 lo = le16(d, pos), hi = le16(d, pos + 2);
    return (lo < 0 || hi < 0) ? -1 : (hi << 16 | lo);
}

// A 32-bit field read as the signed value a bitmap header stores.
qint64 signed32(qint64 v)
{
    return v >= (qint64(1) << 31) ? v - (qint64(1) << 32) : v;
}

// ---- GIF ----

// Skips a chain of sub-blocks starting at `pos`; the position after the 0 terminator, or -1 when the
// chain runs past the end of the data.
qint64 skipSubBlocks(const QByteArray& d, qint64 pos)
{
    for (;;) {
        const int n = byteAt(d, pos);
        if (n < 0)
            return -1;
        pos += 1 + n;
        if (n == 0)
            return pos;
    }
}

// Where a colour table flagged in `packed` ends, starting at `pos`.
qint64 afterColourTable(int packed, qint64 pos)
{
    return (packed & 0x80) ? pos + (qint64(3) << ((packed & 7) + 1)) : pos;
}

struct GifWalk {
    qint64 descriptor = -1; // position of the first image descriptor (0x2C), -1 when not reached
    bool whole = false;     // the first image's data ends inside the file
};

GifWalk walkGif(const QByteArray& d)
{
    GifWalk walk;
    const int screenPacked = byteAt(d, 10);
    if (screenPacked < 0 || d.size() < 13)
        return walk;
    qint64 pos = afterColourTable(screenPacked, 13);
    for (;;) {
        const int b = byteAt(d, pos);
        if (b == 0x21) { // extension: introducer, label, sub-blocks
            pos = skipSubBlocks(d, pos + 2);
            if (pos < 0)
                return walk;
        } else if (b == 0x2C) {
            walk.descriptor = pos;
            const int packed = byteAt(d, pos + 9);
            if (packed < 0)
                return walk;
            pos = afterColourTable(packed, pos + 10);
            if (byteAt(d, pos) < 0) // LZW minimum code size
                return walk;
            walk.whole = skipSubBlocks(d, pos + 1) >= 0;
            return walk;
        } else {
            return walk; // trailer before any image, garbage, or the end of the data
        }
    }
}

ClaimedSize gifSize(const QByteArray& d)
{
    ClaimedSize s{le16(d, 6), le16(d, 8)};
    if (s.width == 0 && s.height == 0) {
        const GifWalk walk = walkGif(d);
        if (walk.descriptor >= 0) {
            const qint64 left = le16(d, walk.descriptor + 1), top = le16(d, walk.descriptor + 3);
            const qint64 w = le16(d, walk.descriptor + 5), h = le16(d, walk.descriptor + 7);
            if (left >= 0 && top >= 0 && w >= 0 && h >= 0)
                s = {left + w, top + h};
        }
    }
    return s;
}

// ---- JPEG ----

struct JpegWalk {
    ClaimedSize size;  // from the first frame header
    qint64 scan = -1;  // position of the first start-of-scan marker outside any segment, -1 if none
};

// Walks the segments from the start of the file to the first scan. Segments are skipped by their
// length, so an EXIF thumbnail inside APP1 is never taken for the picture.
JpegWalk walkJpeg(const QByteArray& d)
{
    JpegWalk walk;
    qint64 pos = 2;
    for (;;) {
        while (byteAt(d, pos) >= 0 && byteAt(d, pos) != 0xFF) // stray bytes, as decoders tolerate
            ++pos;
        while (byteAt(d, pos) == 0xFF) // fill bytes
            ++pos;
        const int marker = byteAt(d, pos);
        if (marker < 0 || marker == 0xD9)
            return walk;
        if (marker == 0xDA) {
            walk.scan = pos - 1;
            return walk;
        }
        ++pos;
        if (marker == 0x01 || (marker >= 0xD0 && marker <= 0xD8))
            continue; // stand-alone markers
        const qint64 length = be16(d, pos);
        if (length < 2)
            return walk;
        const bool frameHeader = marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8
                                 && marker != 0xCC;
        if (frameHeader) {
            const qint64 h = be16(d, pos + 3), w = be16(d, pos + 5);
            if (h < 0 || w < 0)
                return walk;
            walk.size = {w, h}; // one frame header before the first scan
        }
        pos += length;
    }
}

// Entropy-coded data holds no FF DA or FF D9 (an FF in it is followed by 00 or a restart marker), so
// the picture is whole when an end marker follows the last scan header.
// Where the last marker FF `code` starts, or -1. Found from the end by the marker's second byte,
// which the fast byte search finds far more rarely than a general two-byte search steps.
qint64 lastMarker(const QByteArray& d, unsigned char code)
{
    const char* base = d.constData();
    qint64 end = d.size(); // the second byte is looked for in [1, end)
    while (end >= 2) {
#if defined(__GLIBC__)
        const void* hit = ::memrchr(base + 1, code, size_t(end - 1));
        if (!hit)
            return -1;
        const qint64 at = static_cast<const char*>(hit) - base;
#else
        qint64 at = end - 1;
        while (at >= 1 && static_cast<unsigned char>(base[at]) != code)
            --at;
        if (at < 1)
            return -1;
#endif
        if (static_cast<unsigned char>(base[at - 1]) == 0xFF)
            return at - 1;
        end = at;
    }
    return -1;
}

// Where the first marker FF `code` at or after `from` starts, or -1.
qint64 nextMarker(const QByteArray& d, unsigned char code, qint64 from)
{
    const char* base = d.constData();
    qint64 at = std::max<qint64>(from, 0) + 1; // where the second byte may be
    while (at < d.size()) {
        const void* hit = std::memchr(base + at, code, size_t(d.size() - at));
        if (!hit)
            return -1;
        at = static_cast<const char*>(hit) - base;
        if (static_cast<unsigned char>(base[at - 1]) == 0xFF)
            return at - 1;
        ++at;
    }
    return -1;
}

bool jpegIsWhole(const QByteArray& d)
{
    const JpegWalk walk = walkJpeg(d);
    if (walk.scan < 0)
        return false;
    const qint64 sos = lastMarker(d, 0xDA);
    if (sos < walk.scan)
        return false;
    const qint64 length = be16(d, sos + 2);
    if (length < 2)
        return false;
    return nextMarker(d, 0xD9, sos + 2 + length) >= 0;
}

// ---- bitmap ----

struct BmpHeader {
    bool valid = false;
    qint64 offBits = 0, headerSize = 0, width = 0, height = 0, bpp = 0, compression = 0, sizeImage = 0;
};

BmpHeader readBmp(const QByteArray& d)
{
    BmpHeader h;
    h.offBits = le32(d, 10);
    h.headerSize = le32(d, 14);
    if (h.headerSize == 12) {
        h.width = le16(d, 18);
        h.height = le16(d, 20);
        h.bpp = le16(d, 24);
        h.valid = h.bpp >= 0;
    } else if (h.headerSize == 40 || h.headerSize == 52 || h.headerSize == 56 || h.headerSize == 108
               || h.headerSize == 124) {
        h.width = signed32(le32(d, 18));
        h.height = signed32(le32(d, 22));
        h.bpp = le16(d, 28);
        h.compression = le32(d, 30);
        h.sizeImage = le32(d, 34);
        h.valid = h.sizeImage >= 0; // the last field read: all of them are inside the data
    }
    if (h.height < 0)
        h.height = -h.height; // top-down rows
    return h;
}

bool bmpIsWhole(const QByteArray& d)
{
    const BmpHeader h = readBmp(d);
    if (!h.valid || h.width <= 0 || h.height <= 0 || d.size() < 14 + h.headerSize
        || h.offBits < 14 + h.headerSize || h.offBits > d.size())
        return false;
    const qint64 available = d.size() - h.offBits;
    switch (h.compression) {
    case 0:   // BI_RGB
    case 3:   // BI_BITFIELDS
    case 6: { // BI_ALPHABITFIELDS
        if (h.bpp != 1 && h.bpp != 4 && h.bpp != 8 && h.bpp != 16 && h.bpp != 24 && h.bpp != 32)
            return false;
        const qint64 stride = ((h.width * h.bpp + 31) / 32) * 4;
        return stride <= available && h.height <= available / stride;
    }
    case 1: // BI_RLE8
    case 2: // BI_RLE4
        return available >= (h.sizeImage > 0 ? h.sizeImage : 1);
    default:
        return false;
    }
}

} // namespace

PictureKind sniffPicture(const QByteArray& data)
{
    if (data.startsWith("BM"))
        return PictureKind::Bmp;
    if (data.startsWith(QByteArrayView("\xFF\xD8\xFF", 3)))
        return PictureKind::Jpeg;
    if (data.startsWith("GIF87a") || data.startsWith("GIF89a"))
        return PictureKind::Gif;
    return PictureKind::Unknown;
}

ClaimedSize pictureHeaderSize(const QByteArray& data)
{
    switch (sniffPicture(data)) {
    case PictureKind::Bmp: {
        const BmpHeader h = readBmp(data);
        return h.valid ? ClaimedSize{h.width, h.height} : ClaimedSize{};
    }
    case PictureKind::Jpeg: return walkJpeg(data).size;
    case PictureKind::Gif: return gifSize(data);
    case PictureKind::Unknown: break;
    }
    return {};
}

bool pictureIsWhole(const QByteArray& data)
{
    switch (sniffPicture(data)) {
    case PictureKind::Bmp: return bmpIsWhole(data);
    case PictureKind::Jpeg: return jpegIsWhole(data);
    case PictureKind::Gif: return walkGif(data).whole;
    case PictureKind::Unknown: break;
    }
    return false;
}

} // namespace platform
