#pragma once
// Twips, the forms' unit of length: 1440 per logical inch, so 15 per pixel at 96 dpi.

#include <QPoint>
#include <QSize>

namespace platform {

float twipsPerPixel(double logicalDpi);
// Twips per pixel of the primary screen (15 when there is no screen yet).
float twipsPerPixel();

// Nearest whole pixel of a length in twips; half a pixel rounds away from zero.
int toPixels(float twips, float perPixel);
int toPixels(float twips);
float toTwips(int pixels, float perPixel);
float toTwips(int pixels);

} // namespace platform
