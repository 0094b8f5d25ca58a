#pragma once
// Small forms and hooks that tests of the runtime and the windows share.

#include "platform/form.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <functional>

namespace testsupport {

// The Windows build: a row of one platform's behaviour skips on the other, saying why.
#ifdef Q_OS_WIN
constexpr bool onWindows = true;
#else
constexpr bool onWindows = false;
#endif

// The run-time error number `action` raises, 0 when it raises none.
int errorOf(const std::function<void()>& action);

// Delivers every window-system event and posted event pending now: what the window system still had to
// do to the windows after a change has been done.
void settle();

// Records the runtime's ends, message boxes and "no window left" instead of acting on them, for the
// life of the object.
class RuntimeRecorder {
public:
    RuntimeRecorder();
    ~RuntimeRecorder();
    QList<int> ends;
    QStringList messages; // "title|text"
    int noFormsLeft = 0;
};

// A form that records its resize events: the inner size seen at each, and how deeply nested it ran.
class ResizeProbe : public platform::Form {
public:
    ResizeProbe(float clientWidth = 3315, float clientHeight = 2220, bool withMenu = true);
    struct Seen {
        float scaleWidth;
        float scaleHeight;
        int windowState;
        int depth;
    };
    QList<Seen> seen;
    int loads = 0;
    int unloads = 0;
    // Runs inside the resize handler, after it has been recorded.
    std::function<void(ResizeProbe&)> onResize;

protected:
    void Form_Load() override { ++loads; }
    void Form_Resize() override;
    void Form_Unload(std::int16_t&) override { ++unloads; }

private:
    int m_depth = 0;
};

} // namespace testsupport
