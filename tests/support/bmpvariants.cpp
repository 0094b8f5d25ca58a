#include "support/bmpvariants.h"

#include <QtEndian>

namespace testsupport {

namespace {
void put16(QByteArray& b, int v)
{
    b.append(char(v & 0xff));
    b.append(char((v >> 8) & 0xff));
}
void put32(QByteArray& b, qint64 v)
{
    for (int i = 0; i < 4; ++i)
        b.append(char((v >> (8 * i)) & 0xff));
}
// File header and 40-byte info header; the file size and data offset are filled in by finish().
QByteArray header(int w, int h, int bpp, int compression, int paletteColours)
{
    QByteArray b("BM");
    put32(b, 0);
    put32(b, 0);
    put32(b, 14 + 40 + 4 * paletteColours);
    put32(b, 40);
    put32(b, w);
    put32(b, h);
    put16(b, 1);
    put16(b, bpp);
    put32(b, compression);
    put32(b, 0);
    put32(b, 2835);
    put32(b, 2835);
    put32(b, paletteColours);
    put32(b, 0);
    return b;
}
void finish(QByteArray& b)
{
    qToLittleEndian<quint32>(quint32(b.size()), b.data() + 2);
    const int dataSize = b.size() - qFromLittleEndian<quint32>(b.constData() + 10);
    qToLittleEndian<quint32>(quint32(dataSize), b.data() + 34);
}
} // namespace

int bmpBitsPerPixel(const QByteArray& bmp)
{
    if (bmp.size() < 30 || !bmp.startsWith("BM"))
        return 0;
    return qFromLittleEndian<quint16>(bmp.constData() + 28);
}

QByteArray bmpRle4(int w, int h)
{
    QByteArray b = header(w, h, 4, 2, 16);
    for (int i = 0; i < 16; ++i)
        put32(b, i == 1 ? 0x000000ff : 0x00808080); // blue, green, red, reserved
    for (int y = 0; y < h; ++y) {
        for (int left = w; left > 0; left -= 254) {
            b.append(char(qMin(left, 254)));
            b.append(char(0x11)); // index 1 in both nibbles
        }
        b.append(char(0)).append(char(0)); // end of line
    }
    b.append(char(0)).append(char(1)); // end of bitmap
    finish(b);
    return b;
}

QByteArray bmpTopDown(int w, int h)
{
    QByteArray b = header(w, -h, 24, 0, 0);
    const int stride = ((w * 24 + 31) / 32) * 4;
    for (int y = 0; y < h; ++y) {
        QByteArray row(stride, 0);
        for (int x = 0; x < w; ++x) {
            const bool top = y < h / 2;
            row[3 * x] = char(top ? 0 : 255);     // blue
            row[3 * x + 2] = char(top ? 255 : 0); // red
        }
        b.append(row);
    }
    finish(b);
    return b;
}

} // namespace testsupport
