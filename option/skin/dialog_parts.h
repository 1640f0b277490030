#pragma once
// Controls that the small skinned dialogs share: the OK and Cancel pills shaped by
// "ok_mask.bmp" and "cancel_mask.bmp", the close button, and the key and number boxes.

#include <windows.h>

#include <string>

#include "option/skin/bitmap_edit.h"
#include "option/skin/button_pos.h"
#include "option/skin/region_button.h"
#include "option/skin/skin_button.h"
#include "option/skin/skinned_dialog.h"

// Light grey text on dark grey, the colours of every box of these dialogs.
inline constexpr COLORREF kDialogBoxText = RGB(230, 230, 230);
inline constexpr COLORREF kDialogBoxBack = RGB(35, 35, 35);
inline constexpr COLORREF kDialogText = RGB(230, 230, 230);

inline RECT PosRect(const ButtonPos& p) {
    return {p.left, p.top, p.right, p.bottom};
}

// The OK (mask "ok_mask.bmp", caption 107) or Cancel (mask "cancel_mask.bmp", caption 108) pill at a position.
void CreateDialogPill(RegionTextButton& button, HWND parent, const ButtonPos& p, const SkinScreens& s, bool ok);
// A SkinButton with its faces and the tooltip of its position.
void CreateFacedButton(SkinButton& button, HWND parent, const ButtonPos& p, const SkinScreens& s);
// A bitmap edit in the dialogs' colours, text centred.
void CreateDialogBox(BitmapEdit& box, HWND parent, const ButtonPos& p, int id, DWORD extraStyle = 0);
