#pragma once
// The one shared reference through which a window is reached: the window is created on first use,
// and the reference is emptied by the window's unload (or when the window is destroyed).

#include <QPointer>

namespace platform {

template <class Window>
class SharedReference {
public:
    // The window, created when the reference is empty.
    static Window* Instance()
    {
        if (!s_reference)
            s_reference = new Window;
        return s_reference;
    }
    // The window, or null when the reference is empty.
    static Window* Existing() { return s_reference; }

protected:
    // Empties the reference (the window's unload handler does this).
    static void clearReference() { s_reference = nullptr; }

private:
    static inline QPointer<Window> s_reference;
};

} // namespace platform
