#pragma once
// The widths of the frame that the window manager puts around a top-level window.

#include <QMargins>
#include <QPoint>
#include <optional>

class QWidget;

namespace platform {

// The frame around `window` (left, top, right, bottom, in pixels). A shown window reports what the
// window system says now; a window not yet shown gets the frame last seen on any window, or, on X11,
// the frame the window manager announces for it when asked before mapping. Zero where there is none.
QMargins windowFrame(QWidget* window);

// Where the window system has put the top-left of a shown window's frame, read from the X server once
// the window manager has framed the window. Nothing before that, and nothing where the window system
// does not tell it apart from the toolkit's own geometry (there the toolkit's placement is final).
std::optional<QPoint> placedFrameTopLeft(QWidget* window);

} // namespace platform
