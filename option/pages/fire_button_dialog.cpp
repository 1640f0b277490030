#include "option/pages/fire_button_dialog.h"

#include <windows.h>

#include <string>

#include "common/language.h"
#include "option/pages/fire_values.h"
#include "option/skin/band_text.h"
#include "option/skin/number_box.h"

namespace {

// Language strings.
constexpr int kTitleText = 265;

std::string TextOf(HWND hwnd) {
    char text[64] = {};
    GetWindowTextA(hwnd, text, sizeof text);
    return text;
}

} // namespace

FireButtonDialog::FireButtonDialog(uint8_t key, int32_t valueA, int32_t valueB)
    : SkinnedDialog("skin_fire_button.ini"), initialKey_(key), valueA_(valueA), valueB_(valueB) {}

void FireButtonDialog::CreateControls(const SkinScreens& s) {
    HWND hwnd = Handle();
    CreateDialogPill(ok_, hwnd, Position(1), s, true);
    CreateDialogPill(cancel_, hwnd, Position(2), s, false);
    CreateFacedButton(close_, hwnd, Position(3), s, kDialogCloseId);
    keyBox_.Create(hwnd, Position(4), kKeyBoxId);
    CreateDialogBox(valueBBox_, hwnd, Position(5), kValueBBoxId, ES_NUMBER);
    CreateDialogBox(valueABox_, hwnd, Position(6), kValueABoxId, ES_NUMBER);
}

bool FireButtonDialog::OnSkinInit() {
    HWND hwnd = Handle();
    SetWindowTextA(hwnd, "FireClick Dialog");
    SendMessageA(valueBBox_.Handle(), EM_LIMITTEXT, 3, 0);
    SendMessageA(valueABox_.Handle(), EM_LIMITTEXT, 3, 0);
    SetWindowTextA(valueABox_.Handle(), valueA_ >= 0 ? NumberText(valueA_).c_str() : "");
    SetWindowTextA(valueBBox_.Handle(), valueB_ > 0 ? NumberText(valueB_).c_str() : "");
    keyBox_.StartCapture(hwnd);
    keyBox_.SetKey(initialKey_);
    CentreOverOwner();
    SetFocus(keyBox_.Handle());
    return false;
}

void FireButtonDialog::PaintContent(HDC work) {
    DrawBandText(work, Fetch(kTitleText), {20, 30, 200, 60}, 18, kDialogText);
    // The labels of the boxes and the notes under them.
    static constexpr struct {
        int string;
        RECT band;
    } kTexts[] = {{266, {20, 61, 68, 83}},   {267, {20, 113, 68, 135}},  {268, {20, 165, 68, 187}},
                  {269, {20, 195, 98, 210}}, {270, {20, 215, 380, 230}}, {271, {20, 235, 380, 265}}};
    for (const auto& t : kTexts) {
        DrawBandText(work, Fetch(t.string), t.band, 15, kDialogText);
    }
}

LRESULT FireButtonDialog::OnBoxKillFocus(WPARAM, LPARAM) {
    // Posted: the focus has moved on by the time this runs.
    HWND focus = GetFocus();
    if (focus == keyBox_.Handle()) {
        if (!keyBox_.Capturing()) {
            keyBox_.StartCapture(Handle());
        }
    } else {
        keyBox_.StopCapture();
    }
    FireCorrection c =
        CorrectFireValues({TextOf(valueABox_.Handle()), TextOf(valueBBox_.Handle())}, focus == valueBBox_.Handle());
    if (c.changeA) {
        SetWindowTextA(valueABox_.Handle(), NumberText(c.valueA).c_str());
    }
    if (c.changeB) {
        SetWindowTextA(valueBBox_.Handle(), NumberText(c.valueB).c_str());
    }
    return 0;
}

void FireButtonDialog::OnOk() {
    // A value typed just before OK has not been through a focus loss: the same ranges hold for it, so the mouse never
    // gets a count above 255 or an interval below 5.
    FireCorrection c = CorrectFireValues({TextOf(valueABox_.Handle()), TextOf(valueBBox_.Handle())}, false);
    valueA_ = c.valueA;
    valueB_ = c.valueB;
    End(IDOK);
}

LRESULT FireButtonDialog::OnKeyCaptured(WPARAM wParam, LPARAM) {
    keyBox_.TakeKey(wParam);
    return 0;
}

void FireButtonDialog::OnDestroy() {
    keyBox_.StopCapture();
    Default();
}

bool FireButtonDialog::ProcessMessage(WindowMessage& m) {
    return RouteMessage(*this, kMessageMap, m) || SkinnedDialog::ProcessMessage(m);
}
