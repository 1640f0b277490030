#pragma once
// KeyCaptureHook: the program-wide low-level keyboard hook. While it is installed every keystroke on the desktop is
// consumed and reaches the capturing window as KeyCaptured; no other program sees it. The hook runs on the thread
// that installed it (Option's window thread).
//
// Its users hold a KeyCaptureOwner each (the recorder, the shortcut dialog, the fire dialog). Rule for a second
// capture while one is active: they stack. The latest Start takes the keys; the capture below it waits and gets them
// back when the later one stops. An owner may stop at any time, in any order, and stops when it goes; the hook is
// installed while at least one owner captures and removed with the last one, so no window can leave it behind.

#include <windows.h>

// Posted to the target: wParam the virtual-key code, lParam 0x80 for a release and 0 for a press (the release bit of
// the low-level event flags, kept in place).
inline constexpr UINT KeyCaptured = WM_USER + 10;
inline constexpr LPARAM kKeyCapturedRelease = 0x80;

// The hook itself. Stores the target and installs the hook (a hook already installed only gets the new target);
// false when the system gave no hook.
bool InstallKeyCapture(HWND target);
// Removes the hook (a failed removal only shows in the trace); always 1. The stored handle and target stay.
int RemoveKeyCapture();
// True between a successful install and the next removal.
bool KeyCaptureInstalled();

class KeyCaptureOwner {
public:
    KeyCaptureOwner() = default;
    ~KeyCaptureOwner() { Stop(); }
    KeyCaptureOwner(const KeyCaptureOwner&) = delete;
    KeyCaptureOwner& operator=(const KeyCaptureOwner&) = delete;

    // Keys go to `target` from now on (above every other capture); false when the hook could not be installed.
    // Starting again while capturing moves this capture to the top with the new target.
    bool Start(HWND target);
    // Ends this capture; the one below it, if any, gets the keys again. Nothing happens when it is not capturing.
    void Stop();
    bool Capturing() const { return capturing_; }

private:
    HWND target_ = nullptr;
    bool capturing_ = false;
};
