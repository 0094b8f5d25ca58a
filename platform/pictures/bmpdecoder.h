#pragma once
// Bitmaps that Qt's reader would show wrong, made right before it or decoded here instead: bit-field
// bitmaps of any masks, OS/2 headers and palettes shorter than the bit depth allows. Works on bytes
// that passed the checks of picturecheck.h; touches no shared state.

#include <QByteArray>
#include <QImage>
#include <optional>

namespace platform {

// A bit-field bitmap (BI_BITFIELDS or BI_ALPHABITFIELDS, 16, 24 or 32 bits a pixel) decoded here,
// upright: each channel's field scaled to 8 bits, Format_RGB32, or Format_ARGB32 when an alpha mask
// gives some pixel an alpha above 0 (a picture whose alpha is 0 throughout is opaque). A null image
// when its masks cannot be read (outside the file or the pixel, not contiguous, overlapping) or its
// memory cannot be had. std::nullopt for any other bitmap.
std::optional<QImage> decodeBitFieldBitmap(const QByteArray& data);

// The bitmap as Qt's reader reads it right: a bitmap with an OS/2 header (12 or 64 bytes) or with
// a palette shorter than the colour count Qt's reader takes from its header comes back with a
// 40-byte header and a full palette of 4-byte entries (the missing ones black), the pixel data right
// after it, unchanged. Any other bitmap comes back as it is.
QByteArray normalisedBitmap(const QByteArray& data);

// The 32-bit mask `mask` described for decoding: where its lowest bit is and its largest value
// once shifted down. Not valid when the mask is 0 or its bits are not contiguous.
struct BitField {
    int shift = 0;
    quint32 max = 0;
    bool isValid() const { return max != 0; }
    // The field's value in `pixel` scaled to 0-255, rounded.
    int scaled(quint32 pixel) const { return int(((pixel >> shift & max) * 255ull + max / 2) / max); }
};
BitField bitField(quint32 mask);

} // namespace platform
