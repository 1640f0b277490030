#include "option/skin/dialog_parts.h"

#include <windows.h>

#include "common/language.h"
#include "option/skin/skin_description.h"

void CreateDialogPill(RegionTextButton& button, HWND parent, const ButtonPos& p, const SkinScreens& s, bool ok) {
    button.SetMaskFile(SkinFilePath(SkinFolder(), ok ? "ok_mask.bmp" : "cancel_mask.bmp"));
    button.Create(parent, PosRect(p));
    button.SetFaces(p.left, p.top, p.right, p.bottom, s.normal, s.over, s.down, s.disable);
    button.SetCaption(Fetch(ok ? 107 : 108));
    button.SetFontSize(15, 0);
    button.SetColours(0xE6E6E6, 0xE60000, 0xE6E6E6, 0x969696);
}

void CreateFacedButton(SkinButton& button, HWND parent, const ButtonPos& p, const SkinScreens& s) {
    button.Create(parent, PosRect(p));
    button.SetFaces(p.left, p.top, p.right, p.bottom, s.normal, s.over, s.down, s.disable);
    button.SetTooltip(p.tooltip, true);
}

void CreateDialogBox(BitmapEdit& box, HWND parent, const ButtonPos& p, int id, DWORD extraStyle) {
    box.Create(parent, PosRect(p), id, ES_CENTER | extraStyle);
    box.SetColours(kDialogBoxText, kDialogBoxBack);
}
