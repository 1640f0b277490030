#include "option/skin/band_text.h"

#include <windows.h>

#include "framework/handles.h"
#include "option/skin/skin_picture.h"

void DrawBandText(HDC dc, const std::string& text, const RECT& band, int fontHeight, COLORREF colour, UINT format) {
    GdiFont font(CreateSkinFont(fontHeight, 0));
    SelectObjectGuard use(dc, font.get());
    SetTextColor(dc, colour);
    const UINT wrap = DT_WORDBREAK | DT_EDITCONTROL | DT_NOPREFIX;
    RECT measure{0, 0, band.right - band.left, 0};
    DrawTextA(dc, text.c_str(), -1, &measure, wrap | DT_CALCRECT);
    RECT box = band;
    int height = measure.bottom - measure.top;
    if (height < band.bottom - band.top) {
        box.top = band.top + (band.bottom - band.top - height) / 2;
    }
    DrawTextA(dc, text.c_str(), -1, &box, wrap | format);
}
