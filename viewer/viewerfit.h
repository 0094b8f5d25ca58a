#pragma once
// The arithmetic of the photo window's size: its inner area fitted to the picture and to the screen.

#include <QSizeF>

namespace viewerfit {

// The inner area that shows a picture of `picture` size in at most `room` (the work area less the
// window's frame), with scroll bars `bar` thick where the picture does not fit. A picture that fits
// gets exactly its own size. Otherwise each direction takes the picture's length, plus the bar that
// scrolls the other direction when that one is needed, but never more than the room.
// All lengths in the same unit (twips); negative room counts as none.
QSizeF innerSize(QSizeF picture, QSizeF room, double bar);
// The size of a picture of `picture` size scaled down, its aspect kept, to the largest that fits in
// `room`; a picture that fits keeps its own size.
QSizeF fittedSize(QSizeF picture, QSizeF room);

} // namespace viewerfit
