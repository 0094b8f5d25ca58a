#pragma once
// The program's icon, drawn in 16 colours at 32 x 32 and 16 x 16 pixels.

#include <QIcon>
#include <QImage>

namespace app {

QImage appIconImage(int size);
QIcon appIcon();

} // namespace app
