#pragma once
// Driving modal windows from a test: poll for the expected window, act on it, with a bound; and clicks
// that come through the window system as a user's do.

#include <QPoint>
#include <QWidget>
#include <functional>

namespace testsupport {

// Polls every 10 ms, up to `timeoutMs`, for an active modal widget accepted by `match`, then runs
// `act` on it once. Returns at once; the polling runs while the code under test waits in its own
// event loop. `*done` (when given) becomes true once `act` has run.
void whenModal(std::function<bool(QWidget*)> match, std::function<void(QWidget*)> act,
               bool* done = nullptr, int timeoutMs = 5000);

// Stops every poll that has not found its window yet (a test's cleanup: none is left for the next).
void cancelModalWaits();

// A click at `at` in `widget` (its middle when null), delivered to its top-level window as the window
// system does: a window behind a modal one does not take it.
void clickThroughWindow(QWidget* widget, QPoint at = {});

} // namespace testsupport
