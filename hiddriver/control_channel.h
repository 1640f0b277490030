#pragma once
// How mousectl.exe finds and drives the virtual mouse: a message-only window that hiddriver.dll creates on a thread of
// its own when the host calls Open_DevMonitor. mousectl finds it by class and title and sends it a WM_COPYDATA with the
// command's text; the mouse answers with a WM_COPYDATA of its own to the window given in wParam (the dump, or what
// happened) and returns one of the results below from the send.

#include <cstdint>

namespace vmouse {

inline constexpr const char* kControlWindowClass = "KorvaneVirtualMouseControl";
inline constexpr const char* kControlWindowTitle = "Korvane Virtual Mouse";
inline constexpr uint32_t kControlCopyId = 0x4B564D43; // a command's text
inline constexpr uint32_t kReplyCopyId = 0x4B564D52;   // the mouse's answer text
inline constexpr size_t kMaxCommandText = 256;

// Results of the WM_COPYDATA send.
inline constexpr intptr_t kResultDone = 1;       // carried out
inline constexpr intptr_t kResultRefused = 2;    // the mouse refused (unplugged, out of range)
inline constexpr intptr_t kResultBadCommand = 3; // the text is no command

} // namespace vmouse
