#pragma once
// Driving modal windows from a test: wait for the expected window, act on it once, and close it whatever
// happened in the act; and clicks that come through the window system as a user's do.

#include <QPoint>
#include <QWidget>
#include <functional>

namespace testsupport {

// Polls every 10 ms, up to `timeoutMs` of wall time, for a modal widget accepted by `match` that is
// shown and active (holding the focus, so that a user could type into it), then runs `act` on it once
// and sets `*done` (when given). A window `act` leaves open (an assertion that failed in it returns
// early) is closed after it, so that the code under test goes on and the test reports that failure.
// When the time is up, any other modal window still open (one the test did not expect, which would keep
// the test waiting for ever) is closed, and that is reported as a failure. Returns at once; the polling
// runs while the code under test waits in its own event loop.
void whenModal(std::function<bool(QWidget*)> match, std::function<void(QWidget*)> act,
               bool* done = nullptr, int timeoutMs = 10000);

// Stops every poll that has not found its window yet (a test's cleanup: none is left for the next).
void cancelModalWaits();

// A click at `at` in `widget` (its middle when null), delivered to its top-level window as the window
// system does: a window behind a modal one does not take it.
void clickThroughWindow(QWidget* widget, QPoint at = {});

} // namespace testsupport
