#include "support/picturefiles.h"

#include "support/samplemotifs.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QHash>
#include <QImageWriter>
#include <QPainter>
#include <QtEndian>

namespace testsupport {

const QColor QuarterColours[4] = {Qt::red, Qt::green, Qt::blue, Qt::yellow};

namespace {

void putLe16(QByteArray& out, int v)
{
    out.append(char(v & 0xFF)).append(char((v >> 8) & 0xFF));
}

void putLe32(QByteArray& out, quint32 v)
{
    putLe16(out, int(v & 0xFFFF));
    putLe16(out, int(v >> 16));
}

// GIF's variable-length LZW (codes LSB first, a clear code when the table is full), split into
// sub-blocks of at most 255 bytes and ended by the 0 block.
QByteArray lzwSubBlocks(const QByteArray& indices, int minCodeSize)
{
    const int clear = 1 << minCodeSize;
    int codeSize = minCodeSize + 1;
    int lastCode = clear + 1;
    QHash<quint32, int> table;
    QByteArray packed;
    quint32 bits = 0;
    int bitCount = 0;
    auto put = [&](int code) {
        bits |= quint32(code) << bitCount;
        bitCount += codeSize;
        while (bitCount >= 8) {
            packed.append(char(bits & 0xFF));
            bits >>= 8;
            bitCount -= 8;
        }
    };
    put(clear);
    int prefix = -1;
    for (const char ch : indices) {
        const int c = static_cast<unsigned char>(ch);
        if (prefix < 0) {
            prefix = c;
            continue;
        }
        const quint32 key = quint32(prefix) << 8 | quint32(c);
        const auto found = table.constFind(key);
        if (found != table.cend()) {
            prefix = *found;
            continue;
        }
        put(prefix);
        table.insert(key, ++lastCode);
        if (lastCode >= (1 << codeSize))
            ++codeSize;
        if (lastCode == 4095) {
            put(clear);
            table.clear();
            codeSize = minCodeSize + 1;
            lastCode = clear + 1;
        }
        prefix = c;
    }
    if (prefix >= 0)
        put(prefix);
    put(clear + 1);
    if (bitCount > 0)
        packed.append(char(bits & 0xFF));

    QByteArray out;
    out.append(char(minCodeSize));
    for (qsizetype i = 0; i < packed.size(); i += 255) {
        const QByteArray block = packed.mid(i, 255);
        out.append(char(block.size())).append(block);
    }
    out.append('\0');
    return out;
}

// The colour table of an indexed picture padded to a power of two (at least 2); `bits` gets its
// exponent.
QByteArray colourTable(const QList<QRgb>& colours, int* bits)
{
    *bits = 1;
    while ((1 << *bits) < colours.size())
        ++*bits;
    QByteArray table;
    for (int i = 0; i < (1 << *bits); ++i) {
        const QRgb rgb = i < colours.size() ? colours[i] : 0;
        table.append(char(qRed(rgb))).append(char(qGreen(rgb))).append(char(qBlue(rgb)));
    }
    return table;
}

QByteArray indicesOf(const QImage& indexed)
{
    QByteArray out;
    for (int y = 0; y < indexed.height(); ++y)
        out.append(reinterpret_cast<const char*>(indexed.constScanLine(y)), indexed.width());
    return out;
}

QByteArray app1(const QByteArray& payload)
{
    QByteArray segment("\xFF\xE1", 2);
    segment.append(char((payload.size() + 2) >> 8)).append(char((payload.size() + 2) & 0xFF));
    return segment + payload;
}

QByteArray insertAfterStart(const QByteArray& jpeg, const QByteArray& segment)
{
    return jpeg.left(2) + segment + jpeg.mid(2);
}

// Where a JPEG's frame header segment starts (its FF), or -1.
qsizetype frameHeaderAt(const QByteArray& jpeg)
{
    qsizetype pos = 2;
    while (pos + 4 <= jpeg.size() && uchar(jpeg[pos]) == 0xFF) {
        const int marker = uchar(jpeg[pos + 1]);
        if (marker >= 0xC0 && marker <= 0xC2)
            return pos;
        pos += 2 + qFromBigEndian<quint16>(jpeg.constData() + pos + 2);
    }
    return -1;
}

} // namespace

bool writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size();
}

QImage quarteredImage(int w, int h)
{
    QImage image(w, h, QImage::Format_RGB32);
    QPainter p(&image);
    p.fillRect(0, 0, w / 2, h / 2, QuarterColours[0]);
    p.fillRect(w / 2, 0, w - w / 2, h / 2, QuarterColours[1]);
    p.fillRect(0, h / 2, w / 2, h - h / 2, QuarterColours[2]);
    p.fillRect(w / 2, h / 2, w - w / 2, h - h / 2, QuarterColours[3]);
    return image;
}

QImage busyImage(int w, int h)
{
    QImage image(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y) {
        QRgb* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < w; ++x)
            line[x] = qRgb((x * 7 + y * 3) & 0xFF, (x * y) & 0xFF, ((x / 3) ^ (y / 5)) * 37 & 0xFF);
    }
    return image;
}

QByteArray gifBytes(int w, int h, QColor c, int frames)
{
    QList<QImage> images;
    for (int i = 0; i < frames; ++i) {
        QImage frame(w, h, QImage::Format_RGB32);
        frame.fill(i == 0 ? c : QColor::fromHsv((c.hsvHue() + 120 * i) % 360, 255, 255));
        images.append(frame);
    }
    return gifBytes(images);
}

QByteArray gifBytes(const QList<QImage>& frames, int delayCs)
{
    if (frames.isEmpty())
        return {};
    const int w = frames.first().width(), h = frames.first().height();
    QByteArray out("GIF89a");
    putLe16(out, w);
    putLe16(out, h);
    QList<QImage> indexed;
    for (const QImage& frame : frames)
        indexed.append(frame.convertToFormat(QImage::Format_Indexed8));
    int globalBits = 1;
    const QByteArray globalTable = colourTable(indexed.first().colorTable(), &globalBits);
    out.append(char(0x80 | ((globalBits - 1) << 4) | (globalBits - 1))).append('\0').append('\0');
    out.append(globalTable);
    if (frames.size() > 1) // loop for ever
        out.append(QByteArray("\x21\xFF\x0BNETSCAPE2.0\x03\x01\x00\x00\x00", 19));
    for (qsizetype i = 0; i < indexed.size(); ++i) {
        out.append(QByteArray("\x21\xF9\x04\x04", 4)); // graphic control: keep the frame
        putLe16(out, delayCs);
        out.append(QByteArray("\x00\x00", 2));
        out.append(char(0x2C));
        putLe32(out, 0); // left, top
        putLe16(out, w);
        putLe16(out, h);
        int bits = globalBits;
        if (i == 0) {
            out.append('\0');
        } else {
            const QByteArray table = colourTable(indexed[i].colorTable(), &bits);
            out.append(char(0x80 | (bits - 1))).append(table);
        }
        out.append(lzwSubBlocks(indicesOf(indexed[i]), qMax(2, bits)));
    }
    out.append(char(0x3B));
    return out;
}

QByteArray jpegBytes(int w, int h, QColor c, int quality, bool progressive)
{
    QImage image(w, h, QImage::Format_RGB32);
    image.fill(c);
    return jpegBytes(image, quality, progressive);
}

QByteArray jpegBytes(const QImage& picture, int quality, bool progressive)
{
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "jpeg");
    writer.setQuality(quality);
    writer.setProgressiveScanWrite(progressive);
    if (!writer.write(picture))
        return {};
    return buffer.data();
}

QByteArray bmpBytes(int w, int h, QColor c)
{
    QImage image(w, h, QImage::Format_RGB32);
    image.fill(c);
    return bmpBytes(image);
}

QByteArray bmpBytes(const QImage& picture)
{
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    if (!picture.save(&buffer, "BMP"))
        return {};
    return buffer.data();
}

QByteArray withExifOrientation(const QByteArray& jpeg, int orientation)
{
    QByteArray exif("Exif\0\0MM\0\x2A\0\0\0\x08", 14);
    exif.append(QByteArray("\x00\x01" "\x01\x12" "\x00\x03" "\x00\x00\x00\x01", 10)); // 1 tag: SHORT
    exif.append('\0').append(char(orientation)).append(QByteArray(2, '\0'));
    exif.append(QByteArray(4, '\0')); // no next directory
    return insertAfterStart(jpeg, app1(exif));
}

QImage storedForOrientation(const QImage& upright, int orientation)
{
    const int w = upright.width(), h = upright.height();
    const bool turned = orientation == 6 || orientation == 8;
    QImage stored(turned ? h : w, turned ? w : h, QImage::Format_RGB32);
    for (int sy = 0; sy < stored.height(); ++sy) {
        for (int sx = 0; sx < stored.width(); ++sx) {
            QPoint from(sx, sy); // where the shown picture has this stored pixel
            if (orientation == 3)
                from = {w - 1 - sx, h - 1 - sy};
            else if (orientation == 6) // shown turned clockwise
                from = {stored.height() - 1 - sy, sx};
            else if (orientation == 8) // shown turned counter-clockwise
                from = {sy, stored.width() - 1 - sx};
            stored.setPixel(sx, sy, upright.pixel(from));
        }
    }
    return stored;
}

QByteArray withExifThumbnail(const QByteArray& jpeg, const QByteArray& thumbnail)
{
    // An empty first directory; the thumbnail follows it.
    QByteArray exif("Exif\0\0MM\0\x2A\0\0\0\x08\0\0\0\0\0\0", 20);
    return insertAfterStart(jpeg, app1(exif + thumbnail));
}

QByteArray absurdBmpHeader(int w, int h)
{
    QByteArray out("BM");
    putLe32(out, quint32(54 + quint64(w) * 3 * quint64(h)));
    putLe32(out, 0);
    putLe32(out, 54);
    putLe32(out, 40);
    putLe32(out, quint32(w));
    putLe32(out, quint32(h));
    putLe16(out, 1);
    putLe16(out, 24);
    for (int i = 0; i < 6; ++i) // compression, image size, resolution, colours
        putLe32(out, 0);
    return out + QByteArray(64, '\x40');
}

QByteArray absurdGifHeader(int w, int h)
{
    QByteArray out("GIF89a");
    putLe16(out, w);
    putLe16(out, h);
    out.append(QByteArray("\x80\x00\x00" "\x00\x00\x00" "\xFF\xFF\xFF", 9)); // 2 colours
    out.append(QByteArray("\x2C\0\0\0\0\x01\0\x01\0\0", 10));                // 1 x 1 at 0, 0
    out.append(lzwSubBlocks(QByteArray(1, '\1'), 2));
    out.append(char(0x3B));
    return out;
}

QByteArray absurdJpegHeader(int w, int h)
{
    QByteArray jpeg = jpegBytes(8, 8, Qt::gray);
    const qsizetype sof = frameHeaderAt(jpeg);
    if (sof < 0)
        return {};
    qToBigEndian<quint16>(quint16(h), jpeg.data() + sof + 5);
    qToBigEndian<quint16>(quint16(w), jpeg.data() + sof + 7);
    return jpeg;
}

QByteArray truncated(const QByteArray& bytes, double fraction)
{
    return bytes.left(qsizetype(bytes.size() * fraction));
}

QByteArray headerOnly(const QByteArray& bytes)
{
    if (bytes.startsWith("BM"))
        return bytes.left(qFromLittleEndian<quint32>(bytes.constData() + 10));
    if (bytes.startsWith("GIF")) {
        const int packed = uchar(bytes[10]);
        return bytes.left(13 + ((packed & 0x80) ? 3 << ((packed & 7) + 1) : 0));
    }
    const qsizetype scan = bytes.indexOf(QByteArrayView("\xFF\xDA", 2));
    if (scan < 0)
        return bytes;
    return bytes.left(scan + 2 + qFromBigEndian<quint16>(bytes.constData() + scan + 2));
}



bool writeSamples(const QString& folder)
{
    if (!QDir().mkpath(folder))
        return false;
    const QDir dir(folder);
    const int w = 320, h = 240;
    QList<QImage> ball;
    for (int i = 0; i < 8; ++i)
        ball.append(ballFrame(w, h, i, 8));
    const QList<QPair<QString, QByteArray>> files = {
        {"mountains.jpg", jpegBytes(landscape(w, h, QColor(90, 150, 230), QColor(255, 240, 150)), 90)},
        {"rings.jpg", jpegBytes(rings(w, h), 90, true)},
        {"tower.jpg", withExifOrientation(jpegBytes(storedForOrientation(landscape(h, w, QColor(250, 150, 90), Qt::white), 6), 90), 6)},
        {"sunset.bmp", bmpBytes(landscape(w, h, QColor(240, 120, 60), QColor(255, 220, 120)))},
        {"tiles.bmp", bmpBytes(tiles(w, h, 40))},
        {"stripes.bmp", bmpBytes(stripes(w, h))},
        {"stripes.gif", gifBytes({stripes(w, h)})},
        {"rings.gif", gifBytes({rings(w, h)})},
        {"ball.gif", gifBytes(ball, 12)},
    };
    bool ok = true;
    for (const auto& [name, bytes] : files)
        ok = !bytes.isEmpty() && writeFile(dir.filePath(name), bytes) && ok;
    return ok;
}

} // namespace testsupport
