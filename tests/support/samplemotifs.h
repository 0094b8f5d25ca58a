#pragma once
// Drawn motifs for the sample pictures: simple scenes with sharp edges and gradients.

#include <QColor>
#include <QImage>

namespace testsupport {

// A landscape: a sky of `sky` fading down, a `sun`, mountains and a lake.
QImage landscape(int w, int h, QColor sky, QColor sun);
// Coloured rings around the middle on white.
QImage rings(int w, int h);
// Squares of `side` pixels in shifting hues, crossed by a black diagonal.
QImage tiles(int w, int h, int side);
// Seven upright stripes of the rainbow.
QImage stripes(int w, int h);
// Frame `frame` of `frames` of a ball bouncing across the picture.
QImage ballFrame(int w, int h, int frame, int frames);

} // namespace testsupport
