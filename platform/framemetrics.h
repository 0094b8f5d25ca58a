#pragma once
// The widths of the frame that the window manager puts around a top-level window.

#include <QMargins>

class QWidget;

namespace platform {

// The frame around `window` (left, top, right, bottom, in pixels). A shown window reports what the
// window system says now; a window not yet shown gets the frame last seen on any window, or, on X11,
// the frame the window manager announces for it when asked before mapping. Zero where there is none.
QMargins windowFrame(QWidget* window);

} // namespace platform
