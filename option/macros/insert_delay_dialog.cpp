#include "option/macros/insert_delay_dialog.h"

#include <windows.h>

#include "common/language.h"
#include "option/macros/macro_editing.h"
#include "option/skin/band_text.h"
#include "option/skin/dialog_parts.h"

namespace {

// Language strings.
constexpr int kTitleText = 311, kPromptText = 312;

} // namespace

InsertDelayDialog::InsertDelayDialog() : SkinnedDialog("skin_Insert_delay.ini") {}

INT_PTR InsertDelayDialog::Show(HWND owner) {
    return RunModal(owner);
}

void InsertDelayDialog::CreateControls(const SkinScreens& s) {
    HWND hwnd = Handle();
    CreateDialogPill(ok_, hwnd, Position(1), s, true);
    CreateDialogPill(cancel_, hwnd, Position(2), s, false);
    CreateFacedButton(close_, hwnd, Position(3), s, kDialogCloseId);
    field_.Create(hwnd, Position(4).Rect(), kFieldId, ES_NUMBER | ES_CENTER);
    field_.SetColours(RGB(0, 0, 0), RGB(255, 255, 255)); // black on white, unlike the other dialogs' boxes
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
    DrawBandText(work, Fetch(kTitleText), {40, 40, 200, 70}, 18, kDialogRedTitle);
    DrawBandText(work, Fetch(kPromptText), {95, 100, 360, 125}, 15, kDialogText);
}

void InsertDelayDialog::OnOk() {
    char text[16] = {};
    GetWindowTextA(field_.Handle(), text, sizeof text);
    value_ = InsertDelayFromText(text);
    End(IDOK);
}

bool InsertDelayDialog::ProcessMessage(WindowMessage& m) {
    return RouteMessage(*this, kMessageMap, m) || SkinnedDialog::ProcessMessage(m);
}
