#include "platform/twips.h"

#include <QGuiApplication>
#include <QScreen>
#include <cmath>

namespace platform {

float twipsPerPixel(double logicalDpi)
{
    return logicalDpi > 0 ? static_cast<float>(1440.0 / logicalDpi) : 15.0f;
}

float twipsPerPixel()
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen ? twipsPerPixel(screen->logicalDotsPerInch()) : 15.0f;
}

int toPixels(float twips, float perPixel)
{
    return static_cast<int>(std::lround(double(twips) / double(perPixel)));
}

int toPixels(float twips) { return toPixels(twips, twipsPerPixel()); }

float toTwips(int pixels, float perPixel) { return static_cast<float>(pixels) * perPixel; }

float toTwips(int pixels) { return toTwips(pixels, twipsPerPixel()); }

} // namespace platform
