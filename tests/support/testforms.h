#pragma once
// What the tests share: several test classes in one executable, run-time errors and the runtime's
// ends and messages recorded, and modal windows driven as a user drives them, closed whatever happens.

#include <QApplication>
#include <QList>
#include <QPoint>
#include <QStringList>
#include <QTest>
#include <functional>

namespace testsupport {

// The Windows build: a row of one platform's behaviour skips on the other, saying why.
#ifdef Q_OS_WIN
constexpr bool onWindows = true;
#else
constexpr bool onWindows = false;
#endif

// Runs `test` with the command line's options, and only when the line names no test function or
// names one of its own (then only those): several test classes share one executable.
int runTestClass(QObject&& test, const QStringList& arguments);
template <class... Tests>
int runTests(int argc, char** argv)
{
    QApplication application(argc, argv);
    int failed = 0;
    ((failed += runTestClass(Tests(), QApplication::arguments())), ...); // in order
    return failed;
}

// The run-time error number `action` raises, 0 when it raises none.
int errorOf(const std::function<void()>& action);

// Delivers every window-system event and posted event pending now.
void settle();

// Records the runtime's ends, message boxes and "no window left" instead of acting on them, for the
// life of the object.
struct RuntimeRecorder {
    RuntimeRecorder();
    ~RuntimeRecorder();
    QList<int> ends;
    QStringList messages; // "title|text"
    int noFormsLeft = 0;
};

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

// The main() of a test executable of the classes given.
#define TARNAVEL_TEST_MAIN(...) \
    int main(int argc, char** argv) { return testsupport::runTests<__VA_ARGS__>(argc, argv); }
