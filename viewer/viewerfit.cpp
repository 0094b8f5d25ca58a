#include "viewer/viewerfit.h"

#include <algorithm>

namespace viewerfit {

QSizeF innerSize(QSizeF picture, QSizeF room, double bar)
{
    const double roomW = std::max(0.0, room.width());
    const double roomH = std::max(0.0, room.height());
    // A bar in one direction takes room from the other, which may then need its own bar.
    bool across = picture.width() > roomW; // a horizontal bar
    bool down = picture.height() > roomH;  // a vertical bar
    for (int pass = 0; pass < 2; ++pass) {
        down = down || (across && picture.height() > roomH - bar);
        across = across || (down && picture.width() > roomW - bar);
    }
    return {std::min(roomW, picture.width() + (down ? bar : 0.0)),
            std::min(roomH, picture.height() + (across ? bar : 0.0))};
}

QSizeF fittedSize(QSizeF picture, QSizeF room)
{
    if (picture.isEmpty())
        return {};
    const double scale = std::min({1.0, std::max(0.0, room.width()) / picture.width(),
                                   std::max(0.0, room.height()) / picture.height()});
    return picture * scale;
}

} // namespace viewerfit
