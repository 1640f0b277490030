#pragma once
// Helpers of the Windows tests that drive windows: the build's skins folder, real input through SendInput, and modal
// loops driven from a second thread. Waiting with a time limit (Await, PumpUntil) comes from testing/pump.h.

#include <windows.h>

#include "testing/process.h"
#include "testing/pump.h"

#include <functional>
#include <string>

// Points the toolkit at bin\skins\ and loads bin\lan.dll.
void UseBuildSkins();

// Absolute mouse input at a screen point.
void MouseMoveTo(int x, int y);
void MouseClickAt(int x, int y);
// Waits until the pointer is at the point and no other control holds the mouse; false after a second.
bool WaitForPointer(int x, int y);
void MouseDown();
void MouseUp();
// A right click at a screen point; wheel turns (positive away from the user) where the pointer is.
void MouseRightClickAt(int x, int y);
void MouseWheel(int notches);
void KeyPress(WORD vk);

// The centre of a window in screen coordinates, of a rectangle on the screen (a button without a window of its own);
// a point of a window in screen coordinates.
POINT CentreOf(HWND hwnd);
POINT CentreOf(const RECT& screen);
POINT ScreenPoint(HWND hwnd, int x, int y);
// The centre of a line of a list box on the screen.
POINT ListLinePoint(HWND list, int line);

// The GDI objects this process holds (bitmaps, regions, DCs, fonts, ...): leaks show as a count that grows.
unsigned GdiObjectCount();

// The pixel of a BMP file at a point; CLR_INVALID when it cannot be read.
COLORREF FilePixel(const std::string& path, int x, int y);
// The pixel on the screen.
COLORREF ScreenPixel(POINT p);

// The text of a window.
std::string TextOf(HWND hwnd);
// Whether a child window of the dialog shows the text (a key box after a key); also for another program's dialog.
bool ShowsText(HWND dialog, const std::string& text);
// A visible top-level dialog window ("#32770") of the thread other than `except`, or null.
HWND OtherDialogOf(DWORD thread, HWND except);
// The visible top-level menu window ("#32768") of the thread showing `menu` (any menu for null), or null.
HWND MenuWindowOf(DWORD thread, HMENU menu = nullptr);

// How long the effect of a click may take on a loaded machine.
inline constexpr DWORD kClickEffectMs = 15000;

// Clicks a point from this thread and pumps until the release has left the queue and what it set off is handled: for
// a click that must change nothing. A click whose press reached no window of the thread is given once more.
bool ClickAndSettle(POINT p);
// Clicks a point once and waits for what the click does.
bool ClickUntil(POINT p, const std::function<bool()>& done);
// Moves onto a point and waits for what the move does. Under Wine on Xvfb a move's report is now and then lost on its
// way through the X server; one without effect in 1.5 s is given once more (a move cannot open anything).
bool MoveUntil(POINT p, const std::function<bool()>& done);

// From a driver thread: clicks a point and waits for what the click does. Under Wine on Xvfb a click is now and then
// lost on its way through the X server: it is given once more only when the input recorded at the queue of the
// window's thread shows that no press reached the window under the point. A window that got the press and did
// nothing fails. Without `done` it waits until the window has handled the release.
bool ClickUnlessArrived(POINT p, const std::function<bool()>& done = nullptr);

// Presses and releases a key, and waits until the window's thread (this thread for null) has handled the release and
// so every key before it.
bool KeyPressHandled(HWND window, WORD vk);
// From a driver thread: the control with the keyboard focus in the window's thread.
HWND FocusOf(HWND window);
// From a driver thread: moves the pointer onto an item of a showing menu and waits until the menu selects it.
bool HoverMenuItem(HMENU menu, int position);

// A test whose step opens a modal loop on its own thread drives the loop from a second thread. If a driver's click
// is lost, or a late click opens a dialog or menu after the driver gave up, a guard on the driver thread closes what
// is still open after a grace period, so the test fails on its own checks instead of hanging.
struct ModalRun {
    bool done = false;    // what the test waited for held
    bool rescued = false; // the guard had to close a dialog or menu that the steps left open
};
// Runs `open` on this thread (it opens the modal loop and returns whether what it waited for held) while `steps`
// run on a second thread.
ModalRun DriveModalRun(HWND except, const std::function<bool()>& open, const std::function<void()>& steps);
// Clicks `opener` from the second thread (see ClickUnlessArrived) and waits up to 20 s for `done` while `steps` drive
// the menu or dialog the click opened.
ModalRun DriveModal(HWND except, POINT opener, const std::function<void()>& steps, const std::function<bool()>& done);
// Runs a dialog with `show` on this thread while `steps` drive it from a second thread, once its window is up and in
// the foreground.
ModalRun RunDriven(const std::function<void()>& show, const std::function<void(HWND)>& steps);
// From a driver thread: a click that should close `window` (or hide it, for a menu); waits for it to go.
void ClickToClose(POINT p, HWND window);
// From a driver thread: the dialog that a click on `opener` opened, or null when none came.
HWND WaitForDialog(DWORD thread, HWND except, POINT opener);
// Opens a dialog with a click on `opener` and drives it from the second thread with `steps`, which get the dialog and
// its rectangle on the screen.
ModalRun DriveWarning(HWND except, POINT opener, const std::function<void(HWND, const RECT&)>& steps,
                      const std::function<bool()>& done);
