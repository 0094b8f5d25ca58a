#pragma once
// The runtime's services around the forms: the screen and its mouse pointer, message boxes, the end of
// the program, the yield to pending window events, and the running of event handlers.

#include <QString>
#include <functional>

class QObject;
class QWidget;

namespace platform {

constexpr int vbDefault = 0;    // mouse pointer: the default arrow
constexpr int vbHourglass = 11; // mouse pointer: the hourglass
constexpr int vbExclamation = 48; // message box style: exclamation icon and an OK button

// The screen: its size in twips and the application's mouse pointer.
namespace Screen {
float Width();
float Height();
int MousePointer();
// 11 shows the hourglass over every window, 0 takes it away; the override cursor stays balanced
// however often either is set.
void setMousePointer(int pointer);
} // namespace Screen

// Shows a modal message box and returns when it has been closed. Style 48: exclamation icon, OK.
void MsgBox(const QString& text, int style, const QString& title);

// Ends the program at once with the given status: no further events run.
void End(int status = 0);

// Runs an event handler of the system. A run-time error that no handler caught shows the runtime's
// message ("実行時エラー 'N':" and the text) and ends the program with a non-zero status.
void runHandler(const std::function<void()>& handler);

// Runs a handler for an event that came from the user (a click, a scroll, a resize) after the
// window system's own event handling has returned, so that a handler may yield safely. Nothing
// runs when `context` is destroyed first.
void postHandler(QObject* context, std::function<void()> handler);

// The text of the runtime's message for an uncaught run-time error.
QString fatalErrorText(int number);

// Seams for tests: what happens on End, on a message box, and when the last form has been unloaded.
// Passing an empty function restores the runtime's own behaviour.
void setEndHook(std::function<void(int status)> hook);
void setMsgBoxHook(std::function<void(const QString& text, int style, const QString& title)> hook);
void setNoFormsLeftHook(std::function<void()> hook);
// Runs at every YieldMessage, before pending events are let through (tests: events arriving there).
void setYieldHook(std::function<void()> hook);
void noFormsLeft();
void runYieldHook();

} // namespace platform

// The message library: lets pending window events (repaints, clicks, scroll moves) run, then returns.
namespace Ra_Rav {
void YieldMessage();
}
