#include "option/skin/dialog_parts.h"

#include <windows.h>

#include "common/language.h"
#include "option/skin/skin_description.h"

namespace {

// Language strings.
constexpr int kOkText = 107, kCancelText = 108;

} // namespace

void CreateDialogPill(RegionTextButton& button, HWND parent, const ButtonPos& p, const SkinScreens& s, bool ok) {
    button.SetMaskFile(SkinFilePath(SkinFolder(), ok ? "ok_mask.bmp" : "cancel_mask.bmp"));
    button.Create(parent, p.Rect(), ok ? kDialogOkId : kDialogCancelId);
    button.SetFaces(p.left, p.top, p.right, p.bottom, s.normal, s.over, s.down, s.disable);
    button.SetCaption(Fetch(ok ? kOkText : kCancelText));
    button.SetFontSize(15, 0);
    button.SetColours(kCaptionPalette);
}

void CreateFacedButton(SkinButton& button, HWND parent, const ButtonPos& p, const SkinScreens& s, int id) {
    button.Create(parent, p.Rect(), id);
    button.SetFaces(p.left, p.top, p.right, p.bottom, s.normal, s.over, s.down, s.disable);
    button.SetTooltip(p.tooltip, true);
}

void CreateDialogBox(BitmapEdit& box, HWND parent, const ButtonPos& p, int id, DWORD extraStyle) {
    box.Create(parent, p.Rect(), id, ES_CENTER | extraStyle);
    box.SetColours(kDialogBoxText, kDialogBoxBack);
}
