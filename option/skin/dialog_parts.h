#pragma once
// Controls that the small skinned dialogs share: the OK and Cancel pills shaped by
// "ok_mask.bmp" and "cancel_mask.bmp", the close button, and the key and number boxes.

#include <windows.h>

#include <string>

#include "option/skin/bitmap_edit.h"
#include "option/skin/button_pos.h"
#include "option/skin/caption_style.h"
#include "option/skin/region_button.h"
#include "option/skin/skin_button.h"
#include "option/skin/skinned_dialog.h"

// Light grey text on dark grey, the colours of every box of these dialogs.
inline constexpr COLORREF kDialogBoxText = kSkinText;
inline constexpr COLORREF kDialogBoxBack = RGB(35, 35, 35);
inline constexpr COLORREF kDialogText = kSkinText;
// The titles of the dialogs that draw theirs in red.
inline constexpr COLORREF kDialogRedTitle = 0x0000FF;

// The controls every small dialog has. Never IDOK or IDCANCEL: Enter and Escape arrive as those, with no control.
inline constexpr int kDialogOkId = 1001;
inline constexpr int kDialogCancelId = 1002;
inline constexpr int kDialogCloseId = 1003;

// The OK (id kDialogOkId, mask "ok_mask.bmp") or Cancel (kDialogCancelId, mask "cancel_mask.bmp") pill at a position.
void CreateDialogPill(RegionTextButton& button, HWND parent, const ButtonPos& p, const SkinScreens& s, bool ok);
// A SkinButton with its faces and the tooltip of its position.
void CreateFacedButton(SkinButton& button, HWND parent, const ButtonPos& p, const SkinScreens& s, int id);
// A bitmap edit in the dialogs' colours, text centred.
void CreateDialogBox(BitmapEdit& box, HWND parent, const ButtonPos& p, int id, DWORD extraStyle = 0);
