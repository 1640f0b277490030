#pragma once
// KeyCaptureHook: the program-wide low-level keyboard hook. While it is installed every keystroke on the desktop is
// consumed and reaches the capturing window as KeyCaptured; no other program sees it. Only one window captures at a
// time: each install replaces the target. The hook runs on the thread that installed it (Option's window thread).

#include <windows.h>

// Posted to the target: wParam the virtual-key code, lParam 0x80 for a release and 0 for a press (the release bit of
// the low-level event flags, kept in place).
inline constexpr UINT KeyCaptured = WM_USER + 10;
inline constexpr LPARAM kKeyCapturedRelease = 0x80;

// Stores the target and installs the hook; false when the system gave no hook.
bool InstallKeyCapture(HWND target);
// Removes the hook (a failed removal only shows in the trace); always 1. The stored handle and target stay.
int RemoveKeyCapture();
// True between a successful install and the next removal.
bool KeyCaptureInstalled();
