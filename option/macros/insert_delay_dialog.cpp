#include "option/macros/insert_delay_dialog.h"

#include <windows.h>

#include "common/language.h"
#include "option/macros/macro_editing.h"
#include "option/skin/skin_picture.h"

namespace {

RECT PosRect(const ButtonPos& p) {
    return {p.left, p.top, p.right, p.bottom};
}

// The band of a painted text, with the text centred vertically in it.
void PaintBand(HDC dc, const std::string& text, int height, COLORREF colour, RECT band) {
    GdiFont font(CreateSkinFont(height, 0));
    SelectObjectGuard use(dc, font.get());
    SetTextColor(dc, colour);
    RECT measure{0, 0, band.right - band.left, 0};
    DrawTextA(dc, text.c_str(), -1, &measure, DT_WORDBREAK | DT_CALCRECT | DT_NOPREFIX);
    int h = measure.bottom - measure.top;
    if (h < band.bottom - band.top) {
        band.top += (band.bottom - band.top - h) / 2;
    }
    DrawTextA(dc, text.c_str(), -1, &band, DT_LEFT | DT_WORDBREAK | DT_NOPREFIX);
}

} // namespace

InsertDelayDialog::InsertDelayDialog() : SkinnedDialog("skin_Insert_delay.ini") {}

INT_PTR InsertDelayDialog::Show(HWND owner) {
    return RunModal(owner);
}

void InsertDelayDialog::CreateControls(const SkinScreens& s) {
    HWND hwnd = Handle();
    struct {
        RegionTextButton& button;
        int key;
        const char* mask;
        int caption;
    } regions[] = {{ok_, 1, "ok_mask.bmp", 107}, {cancel_, 2, "cancel_mask.bmp", 108}};
    for (auto& r : regions) {
        ButtonPos p = Position(r.key);
        r.button.SetMaskFile(SkinFilePath(SkinFolder(), r.mask));
        r.button.Create(hwnd, PosRect(p));
        r.button.SetFaces(p.left, p.top, p.right, p.bottom, s.normal, s.over, s.down, s.disable);
        r.button.SetCaption(Fetch(r.caption));
        r.button.SetFontSize(15, 0);
        r.button.SetColours(0xE6E6E6, 0xE60000, 0xE6E6E6, 0x969696);
    }
    ButtonPos p = Position(3);
    close_.Create(hwnd, PosRect(p));
    close_.SetFaces(p.left, p.top, p.right, p.bottom, s.normal, s.over, s.down, s.disable);

    p = Position(4);
    field_.Create(hwnd, PosRect(p), kFieldId, ES_NUMBER | ES_CENTER);
    field_.SetColours(0x000000, 0xFFFFFF);
    SendMessageA(field_.Handle(), EM_LIMITTEXT, 5, 0);
    SetWindowTextA(field_.Handle(), "1");
}

bool InsertDelayDialog::OnSkinInit() {
    CentreOverOwner();
    SetFocus(field_.Handle());
    SendMessageA(field_.Handle(), EM_SETSEL, 0, -1);
    return false;
}

void InsertDelayDialog::PaintContent(HDC work) {
    PaintBand(work, Fetch(311), 18, 0x0000FF, {40, 40, 200, 70});
    PaintBand(work, Fetch(312), 15, 0xE6E6E6, {95, 100, 360, 125});
}

void InsertDelayDialog::OnCommand(int id, int, HWND control) {
    if (control && control == ok_.Handle()) {
        char text[16] = {};
        GetWindowTextA(field_.Handle(), text, sizeof text);
        value_ = InsertDelayFromText(text);
        End(IDOK);
    } else if (control && (control == cancel_.Handle() || control == close_.Handle())) {
        End(IDCANCEL);
    } else if (!control && id == IDCANCEL) {
        End(IDCANCEL);
    }
}

bool InsertDelayDialog::ProcessMessage(WindowMessage& m) {
    return RouteMessage(*this, kMessageMap, m) || SkinnedDialog::ProcessMessage(m);
}
