#pragma once
// Picture files made at run time for the tests: bitmaps and JPEGs through Qt's writers, GIFs through
// an own encoder (Qt writes no GIF), and damaged or hostile variants of them.

#include <QByteArray>
#include <QColor>
#include <QImage>
#include <QList>
#include <QString>

namespace testsupport {

// Writes `bytes` to `path` (replacing it); false when the file cannot be written.
bool writeFile(const QString& path, const QByteArray& bytes);

// A w x h picture in four quarters: top-left red, top-right green, bottom-left blue, bottom-right
// yellow. Which corner holds which colour tells any turn or mirror apart.
QImage quarteredImage(int w, int h);
// Colours of quarteredImage's quarters, in the order above.
extern const QColor QuarterColours[4];
// True when `seen` is within `tolerance` of `want` in each channel.
bool near(QColor seen, QColor want, int tolerance = 24);
// True when the centres of the quarters of `image` show `colours` (QuarterColours when empty), in
// reading order.
bool showsQuarters(const QImage& image, const QList<QColor>& colours = {}, int tolerance = 40);
// A w x h picture of one colour.
QImage solidImage(int w, int h, QColor c);
// A busy w x h picture (gradients and stripes) whose compressed data is most of its file.
QImage busyImage(int w, int h);

// A GIF89a of solid colour `c`. With several frames (an animation that loops) the first frame is `c`
// and the others are other colours.
QByteArray gifBytes(int w, int h, QColor c, int frames = 1);
// A GIF of the pictures as frames (all of one size), each reduced to 256 colours at most with a
// palette of its own, its LZW data stored without compression (9 to 12 bits a pixel). `delayCs` is the
// delay of each frame in hundredths of a second.
QByteArray gifBytes(const QList<QImage>& frames, int delayCs = 20);

// A JPEG of solid colour `c`, or of `picture`, through Qt's writer.
QByteArray jpegBytes(const QImage& picture, int quality = 85, bool progressive = false);
inline QByteArray jpegBytes(int w, int h, QColor c, int q = 85, bool progressive = false) { return jpegBytes(solidImage(w, h, c), q, progressive); }

// A bitmap of the less common kinds, written byte by byte: OS/2 headers, short palettes, bit fields,
// rows stored top row first.
// How bmpOf writes a bitmap.
struct BmpLayout {
    int headerSize = 40;       // 12 (OS/2 1.x), 40, 56 or 64 (OS/2 2.x)
    int bpp = 24;              // 8 (indexed through the picture's own colours), 16, 24 or 32
    QList<quint32> masks = {}; // red, green, blue(, alpha) bit fields; with them the pixels are coded so
    int paletteEntries = 256;  // for 8 bits: the palette entries the file holds (the header states none)
    bool topDown = false;      // rows stored top row first (negative height)
    int compression = -1;      // stated compression; -1: what the layout needs
};
QByteArray bmpOf(const QImage& picture, const BmpLayout& layout);


// A 24-bit bitmap of solid colour `c`, or of `picture`, stored bottom row first.
inline QByteArray bmpBytes(const QImage& picture) { return bmpOf(picture, {}); }
inline QByteArray bmpBytes(int w, int h, QColor c) { return bmpOf(solidImage(w, h, c), {}); }

// `jpeg` with an APP1 EXIF segment right after its start marker whose only tag is the orientation
// (1-8). A viewer shows the stored picture turned: 3 by 180 degrees, 6 by 90 clockwise, 8 by 90
// counter-clockwise.
QByteArray withExifOrientation(const QByteArray& jpeg, int orientation);
// `jpeg` with an APP1 EXIF segment that carries `thumbnail` (a whole JPEG) as its thumbnail.
QByteArray withExifThumbnail(const QByteArray& jpeg, const QByteArray& thumbnail);

// `bytes`, a whole bitmap, GIF or (baseline) JPEG, with its header rewritten to claim a w x h picture
// (a GIF's logical screen; GIF and JPEG sizes stop at 65535) while the file holds only its own.
QByteArray claiming(QByteArray bytes, int w, int h);

// The first `fraction` (0-1) of `bytes`.
QByteArray truncated(const QByteArray& bytes, double fraction);

} // namespace testsupport
