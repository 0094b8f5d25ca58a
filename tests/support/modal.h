#pragma once
// Driving modal windows from a test: poll for the expected window, act on it, with a bound.

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

// Closes the next message box with OK and records its text and title.
struct MessageBoxSeen {
    QString text;
    QString title;
    int count = 0;
};
void acceptNextMessageBox(MessageBoxSeen* seen, int timeoutMs = 5000);

} // namespace testsupport
