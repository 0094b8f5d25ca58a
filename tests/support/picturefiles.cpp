#include "support/picturefiles.h"

#include <QBuffer>
#include <QFile>
#include <QImageWriter>
#include <QPainter>
#include <QtEndian>
#include <bit>

namespace testsupport {

const QColor QuarterColours[4] = {Qt::red, Qt::green, Qt::blue, Qt::yellow};

namespace {

// `v` as `bytes` bytes, least significant first.
void put(QByteArray& out, qint64 v, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        out.append(char(i < 8 ? (v >> (8 * i)) & 0xFF : 0));
}

// `value` (0-255) scaled into the bit field `mask`.
qint64 field(int value, quint32 mask)
{
    return mask ? qint64((quint64(value) * (mask >> std::countr_zero(mask)) + 127) / 255) << std::countr_zero(mask) : 0;
}

// Indices coded as GIF's LZW data, without compression but as a decoder reads it: a code for each index
// (minimum code size 8), 9 bits wide and a bit wider each time the decoder's table reaches the next
// power of two, and a clear code every 1000 codes; in sub-blocks of at most 255 bytes, ended by the 0
// block.
QByteArray lzwSubBlocks(const QByteArray& indices)
{
    QByteArray packed, out(1, '\x08');
    quint32 bits = 0, bitCount = 0, size = 9, next = 0;
    const auto send = [&](int code) {
        for (bits |= quint32(code) << bitCount, bitCount += size; bitCount >= 8; bits >>= 8, bitCount -= 8)
            packed.append(char(bits & 0xFF));
    };
    for (qsizetype i = 0; i <= indices.size(); ++i) {
        if (i % 1000 == 0)
            send(256), size = 9, next = 257; // the decoder adds no entry for the first code after it
        send(i == indices.size() ? 257 : uchar(indices[i]));
        if (++next == (1u << size) && size < 12)
            ++size;
    }
    packed.append(char(bits & 0xFF));
    for (qsizetype i = 0; i < packed.size(); i += 255)
        out.append(char(packed.mid(i, 255).size())).append(packed.mid(i, 255));
    return out.append('\0');
}

QByteArray afterStart(const QByteArray& jpeg, const QByteArray& app1Payload)
{
    const qsizetype length = app1Payload.size() + 2;
    return jpeg.left(2) + QByteArray("\xFF\xE1", 2) + char(length >> 8) + char(length & 0xFF) + app1Payload + jpeg.mid(2);
}

QImage solidImage(int w, int h, QColor c)
{
    QImage image(w, h, QImage::Format_RGB32);
    image.fill(c);
    return image;
}

} // namespace

QByteArray bmpBytes(int w, int h, QColor c) { return bmpOf(solidImage(w, h, c)); }
QByteArray jpegBytes(int w, int h, QColor c, int quality) { return jpegBytes(solidImage(w, h, c), quality); }

bool writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size();
}

QImage quarteredImage(int w, int h)
{
    QImage image(w, h, QImage::Format_RGB32);
    QPainter p(&image);
    for (int q = 0; q < 4; ++q)
        p.fillRect(q % 2 ? w / 2 : 0, q / 2 ? h / 2 : 0, q % 2 ? w - w / 2 : w / 2, q / 2 ? h - h / 2 : h / 2, QuarterColours[q]);
    return image;
}

bool near(QColor seen, QColor want, int tolerance)
{
    return qAbs(seen.red() - want.red()) <= tolerance && qAbs(seen.green() - want.green()) <= tolerance && qAbs(seen.blue() - want.blue()) <= tolerance;
}

bool showsQuarters(const QImage& image, const QList<QColor>& colours, int tolerance)
{
    const int w = image.width(), h = image.height();
    for (int q = 0; q < 4; ++q)
        if (!near(image.pixelColor(q % 2 ? 3 * w / 4 : w / 4, q / 2 ? 3 * h / 4 : h / 4), colours.value(q, QuarterColours[q]), tolerance))
            return false;
    return !image.isNull();
}

QImage busyImage(int w, int h)
{
    QImage image(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            image.setPixel(x, y, qRgb((x * 7 + y * 3) & 0xFF, (x * y) & 0xFF, ((x / 3) ^ (y / 5)) * 37 & 0xFF));
    return image;
}

QByteArray gifBytes(int w, int h, QColor c, int frames)
{
    QList<QImage> images;
    for (int i = 0; i < frames; ++i)
        images.append(solidImage(w, h, i == 0 ? c : QColor::fromHsv((c.hsvHue() + 120 * i) % 360, 255, 255)));
    return gifBytes(images);
}

QByteArray gifBytes(const QList<QImage>& frames)
{
    const int w = frames.first().width(), h = frames.first().height();
    QByteArray out("GIF89a");
    put(out, w | h << 16, 7); // no global colour table
    if (frames.size() > 1)    // loop for ever
        out.append(QByteArray("\x21\xFF\x0BNETSCAPE2.0\x03\x01\x00\x00\x00", 19));
    for (const QImage& frame : frames) {
        const QImage indexed = frame.convertToFormat(QImage::Format_Indexed8);
        out.append(QByteArray("\x21\xF9\x04\x04", 4)); // graphic control: keep the frame
        put(out, 20, 2); // a fifth of a second each
        out.append(QByteArray("\x00\x00\x2C\0\0\0\0", 7)); // at 0, 0
        put(out, w | h << 16 | qint64(0x87) << 32, 5);      // with a local table of 256 colours
        for (int i = 0; i < 256; ++i) {
            const QRgb c = indexed.color(qMin(i, indexed.colorCount() - 1));
            put(out, qBlue(c) << 16 | qGreen(c) << 8 | qRed(c), 3);
        }
        QByteArray indices;
        for (int y = 0; y < h; ++y)
            indices.append(reinterpret_cast<const char*>(indexed.constScanLine(y)), w);
        out.append(lzwSubBlocks(indices));
    }
    return out.append(char(0x3B));
}

QByteArray jpegBytes(const QImage& picture, int quality, bool progressive)
{
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "jpeg");
    writer.setQuality(quality);
    writer.setProgressiveScanWrite(progressive);
    return writer.write(picture) ? buffer.data() : QByteArray();
}

QByteArray bmpOf(const QImage& picture, const BmpLayout& l)
{
    const QImage argb = picture.convertToFormat(QImage::Format_ARGB32), indexed = picture.convertToFormat(QImage::Format_Indexed8);
    const int w = picture.width(), h = picture.height(), entry = l.headerSize == 12 ? 3 : 4, masks = int(l.masks.size());
    const int palette = l.bpp <= 8 ? l.paletteEntries : 0, inHeader = l.headerSize >= 52 && l.headerSize != 64;
    QByteArray b("BM");
    put(b, 0, 8);
    put(b, (14 + l.headerSize + (inHeader ? 0 : masks * 4) + palette * entry) | qint64(l.headerSize) << 32, 8);
    if (l.headerSize == 12)
        put(b, w | h << 16 | qint64(1 | l.bpp << 16) << 32, 8);
    else
        put(b, w | qint64(l.topDown ? -h : h) << 32, 8), put(b, 1 | l.bpp << 16, 4),
            put(b, l.compression >= 0 ? l.compression : masks == 0 ? 0 : masks == 4 && !inHeader ? 6 : 3, 24);
    for (int i = 0; l.headerSize > 12 && i < (inHeader ? masks : 0); ++i)
        put(b, l.masks[i], 4);
    b.append(14 + l.headerSize - b.size(), '\0');
    for (int i = 0; i < (inHeader ? 0 : masks); ++i)
        put(b, l.masks[i], 4);
    for (int i = 0; i < palette; ++i)
        put(b, i < indexed.colorCount() ? indexed.color(i) & 0xFFFFFF : 0, entry);
    for (int r = 0; r < h; ++r) {
        const int y = l.topDown ? r : h - 1 - r;
        const qsizetype start = b.size();
        for (int x = 0; x < w; ++x) {
            const QRgb c = argb.pixel(x, y);
            put(b, l.bpp <= 8 ? indexed.pixelIndex(x, y) : masks == 0 ? qint64(c)
                   : field(qRed(c), l.masks[0]) | field(qGreen(c), l.masks[1]) | field(qBlue(c), l.masks[2]) | field(qAlpha(c), l.masks.value(3)),
                l.bpp <= 8 ? 1 : l.bpp / 8);
        }
        b.append((4 - (b.size() - start) % 4) % 4, '\0');
    }
    qToLittleEndian<quint32>(quint32(b.size()), b.data() + 2);
    return b;
}

QByteArray withExifOrientation(const QByteArray& jpeg, int orientation)
{
    QByteArray exif("Exif\0\0MM\0\x2A\0\0\0\x08\x00\x01\x01\x12\x00\x03\x00\x00\x00\x01\0", 25); // 1 SHORT tag
    return afterStart(jpeg, exif.append(char(orientation)).append(6, '\0')); // no next directory
}

QByteArray withExifThumbnail(const QByteArray& jpeg, const QByteArray& thumbnail)
{
    // An empty first directory; the thumbnail follows it.
    return afterStart(jpeg, QByteArray("Exif\0\0MM\0\x2A\0\0\0\x08\0\0\0\0\0\0", 20) + thumbnail);
}

QByteArray claiming(QByteArray bytes, int w, int h)
{
    if (bytes.startsWith("BM")) {
        qToLittleEndian<qint32>(w, bytes.data() + 18);
        qToLittleEndian<qint32>(h, bytes.data() + 22);
    } else if (bytes.startsWith("GIF")) {
        qToLittleEndian<quint32>(quint32(w) | quint32(h) << 16, bytes.data() + 6);
    } else {
        const qsizetype sof = bytes.indexOf(QByteArrayView("\xFF\xC0", 2)) + 5;
        qToBigEndian<quint32>(quint32(h) << 16 | quint32(w), bytes.data() + sof);
    }
    return bytes;
}

} // namespace testsupport
