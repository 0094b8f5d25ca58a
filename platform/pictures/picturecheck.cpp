#include "platform/pictures/picturecheck.h"

#include <QByteArrayView>
#include <algorithm>
#include <array>
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

// True when the LZW codes at `pos` (the minimum code size, then sub-blocks, read as far as the data
// goes) give at least `pixels` pixels before an end code or a code no decoder can follow.
bool lzwGivesPixels(const QByteArray& d, qint64 pos, qint64 pixels)
{
    const int minSize = byteAt(d, pos);
    if (minSize < 1 || minSize > 11)
        return false;
    const int clear = 1 << minSize, endCode = clear + 1;
    std::array<quint16, 4096> length{}; // how many pixels each code stands for
    for (int i = 0; i < clear; ++i)
        length[size_t(i)] = 1;
    int next = clear + 2, size = minSize + 1, previous = -1, bitCount = 0;
    quint32 bits = 0;
    qint64 count = 0;
    for (qint64 block = pos + 1;;) {
        const int n = byteAt(d, block);
        for (qint64 i = block + 1; n > 0 && i <= block + n; ++i) {
            const int byte = byteAt(d, i);
            if (byte < 0)
                return false;
            bits |= quint32(byte) << bitCount;
            bitCount += 8;
            while (bitCount >= size) {
                const int code = int(bits & ((1u << size) - 1));
                bits >>= size;
                bitCount -= size;
                if (code == clear) {
                    next = clear + 2;
                    size = minSize + 1;
                    previous = -1;
                    continue;
                }
                if (code == endCode || code > next || (previous < 0 && code >= clear))
                    return false;
                const int stands = code < next ? length[size_t(code)] : length[size_t(previous)] + 1;
                if (previous >= 0 && next < 4096) {
                    length[size_t(next++)] = quint16(length[size_t(previous)] + 1);
                    if (next == (1 << size) && size < 12)
                        ++size;
                }
                previous = code;
                count += stands;
                if (count >= pixels)
                    return true;
            }
        }
        if (n <= 0)
            return false;
        block += 1 + n;
    }
}

struct GifWalk {
    qint64 descriptor = -1; // position of the first image descriptor (0x2C), -1 when not reached
    bool whole = false;     // every pixel of the first image is in the file
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
            const qint64 w = le16(d, pos + 5), h = le16(d, pos + 7);
            const int packed = byteAt(d, pos + 9);
            if (packed < 0)
                return walk;
            pos = afterColourTable(packed, pos + 10);
            if (byteAt(d, pos) < 0) // LZW minimum code size
                return walk;
            walk.whole = skipSubBlocks(d, pos + 1) >= 0 || lzwGivesPixels(d, pos, w * h);
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
    ClaimedSize size;              // from the first frame header
    PictureEnd end = PictureEnd::Cut;
};

// Where the entropy-coded data that starts at `pos` ends: the position of the marker that ends it,
// or -1 when the data runs to the end of the file. Inside it an FF is followed by 00 (a stuffed
// byte), by fill bytes FF or by a restart marker D0-D7; any other marker ends the data.
qint64 afterEntropyData(const QByteArray& d, qint64 pos)
{
    const char* base = d.constData();
    while (pos < d.size()) {
        const void* hit = std::memchr(base + pos, 0xFF, size_t(d.size() - pos));
        if (!hit)
            return -1;
        qint64 at = static_cast<const char*>(hit) - base;
        qint64 after = at + 1;
        while (byteAt(d, after) == 0xFF)
            ++after;
        const int next = byteAt(d, after);
        if (next < 0)
            return -1;
        if (next != 0x00 && !(next >= 0xD0 && next <= 0xD7))
            return after - 1;
        pos = after + 1;
    }
    return -1;
}

// Walks the segments from the start of the file as a decoder reads them: to the first scan when
// `toScan` (enough for the size), else through every scan to the end marker. Segments are skipped
// by their length, so an EXIF thumbnail inside APP1 is never taken for the picture.
JpegWalk walkJpeg(const QByteArray& d, bool toScan)
{
    JpegWalk walk;
    int scans = 0, components = -1, scanComponents = 0;
    bool progressive = false;
    qint64 pos = 2;
    for (;;) {
        while (byteAt(d, pos) >= 0 && byteAt(d, pos) != 0xFF) // stray bytes, as decoders tolerate
            ++pos;
        while (byteAt(d, pos) == 0xFF) // fill bytes
            ++pos;
        const int marker = byteAt(d, pos);
        if (marker < 0)
            return walk;
        if (marker == 0xD9) {
            walk.end = scans > 0 ? PictureEnd::Whole : PictureEnd::Cut;
            return walk;
        }
        ++pos;
        if (marker == 0x01 || (marker >= 0xD0 && marker <= 0xD8))
            continue; // stand-alone markers
        const qint64 length = be16(d, pos);
        if (length < 0)
            return walk;
        if (length < 2) {
            // A decoder skips an application or comment segment of length 0 or 1 as if it were empty.
            if (!((marker >= 0xE0 && marker <= 0xEF) || marker == 0xFE))
                return walk;
            pos += 2;
            continue;
        }
        const bool frameHeader = marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8
                                 && marker != 0xCC;
        if (frameHeader && !walk.size.isValid()) {
            const qint64 h = be16(d, pos + 3), w = be16(d, pos + 5);
            components = byteAt(d, pos + 7);
            if (h < 0 || w < 0 || components < 0)
                return walk;
            walk.size = {w, h};
            progressive = (marker & 3) == 2; // SOF2, SOF6, SOF10, SOF14
        }
        if (marker == 0xDA)
            scanComponents = byteAt(d, pos + 2);
        pos += length;
        if (marker == 0xDA) {
            if (toScan || pos >= d.size())
                return walk; // the scan's header is all of the file: no pixel of it
            ++scans;
            pos = afterEntropyData(d, pos);
            if (pos < 0) {
                // Only a sequential picture in one scan of all its components has every pixel in its
                // last scan: a progressive one, or one in several scans, may lack whole scans.
                if (!progressive && scans == 1 && scanComponents == components)
                    walk.end = PictureEnd::Unterminated;
                return walk;
            }
        }
    }
}

// ---- bitmap ----

bool bmpIsWhole(const QByteArray& d)
{
    const BitmapHeader h = bitmapHeader(d);
    const qint64 height = h.height < 0 ? -h.height : h.height;
    if (!h.valid || h.width <= 0 || height <= 0 || d.size() < 14 + h.headerSize
        || h.offBits < 14 + h.headerSize || h.offBits > d.size())
        return false;
    const qint64 available = d.size() - h.offBits;
    const bool os2 = h.headerSize == 12 || h.headerSize == 64;
    switch (h.compression) {
    case 3:   // BI_BITFIELDS (for OS/2, Huffman coding, which no decoder here reads)
    case 6:   // BI_ALPHABITFIELDS
        if (os2)
            return false;
        [[fallthrough]];
    case 0: { // BI_RGB
        if (h.bpp != 1 && h.bpp != 4 && h.bpp != 8 && h.bpp != 16 && h.bpp != 24 && h.bpp != 32)
            return false;
        const qint64 stride = ((h.width * h.bpp + 31) / 32) * 4;
        return stride <= available && height <= available / stride;
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

BitmapHeader bitmapHeader(const QByteArray& d)
{
    BitmapHeader h;
    h.offBits = le32(d, 10);
    h.headerSize = le32(d, 14);
    if (h.headerSize == 12) {
        h.width = le16(d, 18);
        h.height = le16(d, 20);
        h.bpp = le16(d, 24);
        h.valid = h.offBits >= 0 && h.bpp >= 0;
    } else if (h.headerSize == 40 || h.headerSize == 52 || h.headerSize == 56 || h.headerSize == 64
               || h.headerSize == 108 || h.headerSize == 124) {
        h.width = signed32(le32(d, 18));
        h.height = signed32(le32(d, 22));
        h.bpp = le16(d, 28);
        h.compression = le32(d, 30);
        h.sizeImage = le32(d, 34);
        h.coloursUsed = le32(d, 46);
        h.valid = h.offBits >= 0 && h.coloursUsed >= 0; // the last field read: all are inside the data
    }
    return h;
}

ClaimedSize pictureHeaderSize(const QByteArray& data)
{
    switch (sniffPicture(data)) {
    case PictureKind::Bmp: {
        const BitmapHeader h = bitmapHeader(data);
        return h.valid ? ClaimedSize{h.width, h.height < 0 ? -h.height : h.height} : ClaimedSize{};
    }
    case PictureKind::Jpeg: return walkJpeg(data, true).size;
    case PictureKind::Gif: return gifSize(data);
    case PictureKind::Unknown: break;
    }
    return {};
}

PictureEnd pictureEnd(const QByteArray& data)
{
    const auto whole = [](bool w) { return w ? PictureEnd::Whole : PictureEnd::Cut; };
    switch (sniffPicture(data)) {
    case PictureKind::Bmp: return whole(bmpIsWhole(data));
    case PictureKind::Jpeg: return walkJpeg(data, false).end;
    case PictureKind::Gif: return whole(walkGif(data).whole);
    case PictureKind::Unknown: break;
    }
    return PictureEnd::Cut;
}

} // namespace platform
