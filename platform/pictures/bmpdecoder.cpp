#include "platform/pictures/bmpdecoder.h"

#include "platform/pictures/picturecheck.h"

#include <QtEndian>
#include <bit>
#include <algorithm>
#include <cstring>

namespace platform {

namespace {

quint32 le32At(const QByteArray& d, qint64 pos)
{
    return qFromLittleEndian<quint32>(d.constData() + pos);
}

void putLe32(QByteArray& d, qint64 pos, quint32 v)
{
    qToLittleEndian<quint32>(v, d.data() + pos);
}

} // namespace

BitField bitField(quint32 mask)
{
    if (mask == 0)
        return {};
    const int shift = std::countr_zero(mask);
    const quint32 max = mask >> shift;
    if ((max & (max + 1)) != 0) // not one run of ones
        return {};
    return {shift, max};
}

std::optional<QImage> decodeBitFieldBitmap(const QByteArray& data)
{
    const BitmapHeader h = bitmapHeader(data);
    if (!h.valid || (h.compression != 3 && h.compression != 6) || h.headerSize == 64 || h.headerSize == 12)
        return std::nullopt;
    const bool alphaStated = h.compression == 6 || h.headerSize >= 56;
    const qint64 masksEnd = 14 + 40 + (alphaStated ? 16 : 12);
    if ((h.bpp != 16 && h.bpp != 24 && h.bpp != 32) || data.size() < masksEnd || h.offBits < masksEnd)
        return QImage();
    quint32 masks[4] = {le32At(data, 54), le32At(data, 58), le32At(data, 62),
                        alphaStated ? le32At(data, 66) : 0u};
    BitField fields[4];
    quint32 seen = 0;
    for (int c = 0; c < 4; ++c) {
        const quint32 mask = masks[c];
        if (mask == 0)
            continue;
        fields[c] = bitField(mask);
        if (!fields[c].isValid() || (seen & mask) != 0 || (h.bpp < 32 && (mask >> h.bpp) != 0))
            return QImage();
        seen |= mask;
    }
    const int w = int(h.width), rows = int(h.height < 0 ? -h.height : h.height);
    const qint64 stride = ((h.width * h.bpp + 31) / 32) * 4;
    if (w <= 0 || rows <= 0 || stride > data.size() || h.offBits + stride * rows > data.size())
        return QImage();
    QImage image(w, rows, fields[3].isValid() ? QImage::Format_ARGB32 : QImage::Format_RGB32);
    if (image.isNull())
        return image;
    const int bytes = int(h.bpp / 8);
    bool anyAlpha = false;
    for (int y = 0; y < rows; ++y) {
        const uchar* in = reinterpret_cast<const uchar*>(data.constData())
                          + h.offBits + stride * (h.height < 0 ? y : rows - 1 - y);
        auto* out = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < w; ++x, in += bytes) {
            quint32 pixel = 0;
            std::memcpy(&pixel, in, size_t(bytes));
            pixel = qFromLittleEndian(pixel);
            const auto channel = [&](int c) { return fields[c].isValid() ? fields[c].scaled(pixel) : 0; };
            const int alpha = fields[3].isValid() ? channel(3) : 255;
            anyAlpha = anyAlpha || alpha != 0;
            out[x] = qRgba(channel(0), channel(1), channel(2), alpha);
        }
    }
    if (fields[3].isValid() && !anyAlpha) {
        for (int y = 0; y < rows; ++y) {
            auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
            for (int x = 0; x < w; ++x)
                line[x] |= 0xFF000000u;
        }
        image.reinterpretAsFormat(QImage::Format_RGB32);
    }
    return image;
}

QByteArray normalisedBitmap(const QByteArray& data)
{
    const BitmapHeader h = bitmapHeader(data);
    if (!h.valid || h.offBits > data.size())
        return data;
    const bool os2Old = h.headerSize == 12, os2 = os2Old || h.headerSize == 64;
    const qint64 paletteAt = 14 + h.headerSize;
    const int entryBytes = os2Old ? 3 : 4;
    const qint64 room = std::max<qint64>(0, (h.offBits - paletteAt) / entryBytes);
    const qint64 full = h.bpp <= 8 ? qint64(1) << h.bpp : 0;
    const qint64 stated = h.coloursUsed > 0 && h.coloursUsed <= full ? h.coloursUsed : full;
    if (!os2 && room >= stated)
        return data;
    if (!os2 && h.compression != 0 && h.compression != 1 && h.compression != 2)
        return data;
    const qint64 have = std::min(room, stated);
    const qint64 offBits = 14 + 40 + full * 4;
    QByteArray out(offBits, '\0');
    out[0] = 'B';
    out[1] = 'M';
    putLe32(out, 10, quint32(offBits));
    putLe32(out, 14, 40);
    putLe32(out, 18, quint32(h.width));
    putLe32(out, 22, quint32(h.height));
    qToLittleEndian<quint16>(1, out.data() + 26);
    qToLittleEndian<quint16>(quint16(h.bpp), out.data() + 28);
    putLe32(out, 30, quint32(h.compression));
    putLe32(out, 34, quint32(h.sizeImage));
    putLe32(out, 46, quint32(full));
    for (qint64 i = 0; i < have; ++i)
        std::memcpy(out.data() + 54 + i * 4, data.constData() + paletteAt + i * entryBytes, 3);
    out += QByteArrayView(data).sliced(h.offBits);
    putLe32(out, 2, quint32(out.size()));
    return out;
}

} // namespace platform
