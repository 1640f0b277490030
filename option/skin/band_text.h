#pragma once
// Painted texts of the skinned windows: a language text word-wrapped in a band and moved down to the band's
// vertical middle when it is shorter than the band.

#include <windows.h>

#include <string>

// Draws text in an "Arial" font of the height onto dc (transparent background set by the caller). format adds the
// horizontal alignment (DT_LEFT, DT_CENTER, DT_RIGHT). The height is measured first at the band's width.
void DrawBandText(HDC dc, const std::string& text, const RECT& band, int fontHeight, COLORREF colour,
                  UINT format = DT_LEFT);
