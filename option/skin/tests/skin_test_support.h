#pragma once
// Helpers of the toolkit's Windows tests: the build's skins folder and real input through SendInput. Message
// pumping with a time limit (PumpUntil, PumpFor) comes from testing/pump.h.

#include <windows.h>

#include "testing/pump.h"

#include <functional>
#include <string>

// The folder of the test program (the build's bin folder), with a trailing backslash.
std::string TestProgramFolder();
// Points the toolkit at bin\skins\ and loads bin\lan.dll.
void UseBuildSkins();

// Absolute mouse input at a screen point.
void MouseMoveTo(int x, int y);
void MouseClickAt(int x, int y);
// Waits until the pointer is at the point and no other control holds the mouse; false after a second.
bool WaitForPointer(int x, int y);
void MouseDown();
void MouseUp();
void KeyPress(WORD vk);

// The centre of a window in screen coordinates; a point of a window in screen coordinates.
POINT CentreOf(HWND hwnd);
POINT ScreenPoint(HWND hwnd, int x, int y);

// The pixel of a BMP file at a point; CLR_INVALID when it cannot be read.
COLORREF FilePixel(const std::string& path, int x, int y);
// The pixel on the screen.
COLORREF ScreenPixel(POINT p);
