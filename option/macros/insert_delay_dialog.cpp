#include "option/macros/insert_delay_dialog.h"

#include <windows.h>

#include "common/language.h"
#include "option/macros/macro_editing.h"
#include "option/skin/band_text.h"
#include "option/skin/dialog_parts.h"

InsertDelayDialog::InsertDelayDialog() : SkinnedDialog("skin_Insert_delay.ini") {}

INT_PTR InsertDelayDialog::Show(HWND owner) {
    return RunModal(owner);
}

void InsertDelayDialog::CreateControls(const SkinScreens& s) {
    HWND hwnd = Handle();
    CreateDialogPill(ok_, hwnd, Position(1), s, true);
    CreateDialogPill(cancel_, hwnd, Position(2), s, false);
    CreateFacedButton(close_, hwnd, Position(3), s);
    field_.Create(hwnd, PosRect(Position(4)), kFieldId, ES_NUMBER | ES_CENTER);
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
    DrawBandText(work, Fetch(311), {40, 40, 200, 70}, 18, 0x0000FF);
    DrawBandText(work, Fetch(312), {95, 100, 360, 125}, 15, 0xE6E6E6);
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
