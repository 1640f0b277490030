#pragma once
// The pointer-speed slider's scale: positions 1..11 stand for the values 1, 2, 4, 6, ... 20 that the system's pointer
// speed and the mouse's sensitivity take.

// Slider position to value; any position outside 1..11 gives 10.
int SpeedFromPosition(int position);
// Stored value to the position that shows it: 0 and 1 at 1, then two values a position up to 19 and 20 at 11; any
// other value at 6.
int PositionFromSpeed(int value);

// The double-click slider runs from 0 to 700; the time in milliseconds is 900 minus the position.
inline constexpr int kDoubleClickBase = 900;
