#pragma once
// The lower bounds the benchmark compares against: libjpeg called directly on bytes in memory, and a
// folder listed with readdir alone.

#include <QByteArray>
#include <QSize>
#include <QStringList>

namespace bench {

// Decodes a whole JPEG held in `jpeg` with libjpeg (jpeg_mem_src) at 1/`denominator` scale (1, 2, 4
// or 8), into a fresh buffer of 4 bytes a pixel. Returns the decoded size; an invalid size when
// libjpeg refused the data.
QSize rawJpegDecode(const QByteArray& jpeg, int denominator);

// Writes a w x h baseline (or progressive) JPEG of `quality` to `path`, row by row, without holding
// the picture in memory: gradients, a few discs and bars, and noise of amplitude `noise`, all drawn
// from `seed`. False when the file cannot be written.
bool writeDetailedJpeg(const QString& path, int w, int h, unsigned seed, int quality, bool progressive,
                       int noise = 10);
// The same picture as a 24-bit bitmap, row by row.
bool writeDetailedBmp(const QString& path, int w, int h, unsigned seed, int noise = 10);

// The names in `folder` ending in .bmp, then .jpg, then .gif (case ignored), each group sorted
// upper-cased ordinal, from one readdir pass: what a scan for the three kinds has to produce.
QStringList rawScan(const QString& folder);

} // namespace bench
