#pragma once
// Picture files made at run time for the tests: bitmaps and JPEGs through Qt's writers, GIFs and the
// less common bitmaps written byte by byte, and damaged or hostile variants of them.

#include <QByteArray>
#include <QColor>
#include <QImage>
#include <QList>
#include <QString>

namespace testsupport {

// Writes `bytes` to `path` (replacing it); false when the file cannot be written.
bool writeFile(const QString& path, const QByteArray& bytes);

// A w x h picture in four quarters, QuarterColours in reading order (top-left red, top-right green,
// bottom-left blue, bottom-right yellow): which corner holds which colour tells any turn or mirror.
extern const QColor QuarterColours[4];
QImage quarteredImage(int w, int h);
// True when `seen` is within `tolerance` of `want` in each channel.
bool near(QColor seen, QColor want, int tolerance = 24);
// True when the centres of the quarters of `image` show `colours` (QuarterColours when empty).
bool showsQuarters(const QImage& image, const QList<QColor>& colours = {}, int tolerance = 40);
// A busy w x h picture (gradients and stripes) whose compressed data is most of its file.
QImage busyImage(int w, int h);

// A GIF89a of the pictures as frames (an animation that loops), each reduced to at most 256 colours
// with a palette of its own, its LZW data stored without compression; or of one w x h colour `c`, and
// with several frames the others in other colours.
QByteArray gifBytes(const QList<QImage>& frames);
QByteArray gifBytes(int w, int h, QColor c, int frames = 1);
// A JPEG of `picture`, or of one colour, through Qt's writer.
QByteArray jpegBytes(const QImage& picture, int quality = 85, bool progressive = false);
QByteArray jpegBytes(int w, int h, QColor c, int quality = 85);

// How bmpOf writes a bitmap.
struct BmpLayout {
    int headerSize = 40;       // 12 (OS/2 1.x), 40, 56 or 64 (OS/2 2.x)
    int bpp = 24;              // 8 (indexed through the picture's own colours), 16, 24 or 32
    QList<quint32> masks = {}; // red, green, blue(, alpha) bit fields; with them the pixels are coded so
    int paletteEntries = 256;  // for 8 bits: the palette entries the file holds (the header states none)
    bool topDown = false;      // rows stored top row first (negative height)
    int compression = -1;      // stated compression; -1: what the layout needs
};
QByteArray bmpOf(const QImage& picture, const BmpLayout& layout = {});
// A 24-bit bitmap of one colour, stored bottom row first.
QByteArray bmpBytes(int w, int h, QColor c);

// `jpeg` with an APP1 EXIF segment after its start marker: one that holds only the orientation (1-8; a
// viewer turns 3 by 180 degrees, 6 by 90 clockwise, 8 by 90 counter-clockwise), or one with `thumbnail`
// (a whole JPEG) as its thumbnail.
QByteArray withExifOrientation(const QByteArray& jpeg, int orientation);
QByteArray withExifThumbnail(const QByteArray& jpeg, const QByteArray& thumbnail);

// `bytes`, a whole bitmap, GIF or (baseline) JPEG, with its header rewritten to claim a w x h picture
// (a GIF's logical screen; GIF and JPEG sizes stop at 65535) while the file holds only its own.
QByteArray claiming(QByteArray bytes, int w, int h);

} // namespace testsupport
