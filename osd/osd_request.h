#pragma once
// What the on-screen display shows for an OsdShow request, apart from the drawing.

#include <cstdint>
#include <string>

// The text for OsdShow: wParam 40 shows the profile number (lParam >> 16, counted from 1; only profiles 0..4),
// wParam 50 the message text from config.ini (cut to kOsdTextMax characters, control characters made blanks).
// Empty when the request shows nothing.
inline constexpr size_t kOsdTextMax = 150;
std::string OsdRequestText(uint64_t wParam, int64_t lParam, const std::string& messageText);

// Fade-out: the popup stays fully shown for kOsdHoldMs, then loses kOsdFadeStep of its alpha every kOsdFadeTickMs.
inline constexpr unsigned kOsdHoldMs = 1500;
inline constexpr unsigned kOsdFadeTickMs = 30;
inline constexpr int kOsdFullAlpha = 230;
inline constexpr int kOsdFadeStep = 23;
// The alpha after one more fade tick; 0 means hide.
int NextFadeAlpha(int alpha);
