#pragma once
// Bitmaps of the less common kinds, written byte by byte: bit depths, run-length coding, top-down rows.

#include <QByteArray>

namespace testsupport {

// The bits per pixel a bitmap's header states (0 when it is no bitmap).
int bmpBitsPerPixel(const QByteArray& bmp);
// A w x h bitmap of one palette colour (index 1 of a 16-colour palette whose entry 1 is pure blue),
// coded with 4-bit run lengths (BI_RLE4).
QByteArray bmpRle4(int w, int h);
// A 24-bit bitmap stored top-down (negative height): upper half red, lower half blue.
QByteArray bmpTopDown(int w, int h);

} // namespace testsupport
