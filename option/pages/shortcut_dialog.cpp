#include "option/pages/shortcut_dialog.h"

#include <windows.h>

#include "common/language.h"
#include "option/skin/band_text.h"

namespace {

// Language strings.
constexpr int kTitleText = 262, kPromptText = 263;

} // namespace

ShortcutDialog::ShortcutDialog(uint8_t key, const std::array<bool, 5>& flags)
    : SkinnedDialog("skin_key.ini"), initialKey_(key), flags_(flags) {}

void ShortcutDialog::CreateControls(const SkinScreens& s) {
    HWND hwnd = Handle();
    CreateDialogPill(ok_, hwnd, Position(1), s, true);
    CreateDialogPill(cancel_, hwnd, Position(2), s, false);
    CreateFacedButton(close_, hwnd, Position(3), s, kDialogCloseId);
    keyBox_.Create(hwnd, Position(4), kKeyBoxId);
    for (int i = 0; i < 5; ++i) {
        ButtonPos p = Position(5 + i);
        CreateFacedButton(modifiers_[i], hwnd, p, s, kFirstModifierId + i);
        modifiers_[i].SetToggle(true);
        // The buttons carry their tooltips as labels, so the choice reads without hovering.
        modifiers_[i].SetCaption(p.tooltip);
        modifiers_[i].SetCaptionColours(kCaptionPalette);
    }
}

bool ShortcutDialog::OnSkinInit() {
    SetWindowTextA(Handle(), "Shortcut Dialog");
    keyBox_.StartCapture(Handle());
    keyBox_.SetKey(initialKey_);
    ApplyFlags();
    CentreOverOwner();
    return true;
}

void ShortcutDialog::ApplyFlags() {
    if (flags_[0]) {
        modifiers_[0].SetChecked(true);
        EnableWindow(modifiers_[0].Handle(), TRUE);
        for (int i = 1; i < 5; ++i) {
            EnableWindow(modifiers_[i].Handle(), FALSE);
        }
        return;
    }
    for (int i = 0; i < 5; ++i) {
        modifiers_[i].SetChecked(flags_[i]);
        EnableWindow(modifiers_[i].Handle(), TRUE);
    }
}

void ShortcutDialog::PaintContent(HDC work) {
    DrawBandText(work, Fetch(kTitleText), {40, 40, 200, 70}, 18, kDialogText);
    DrawBandText(work, Fetch(kPromptText), {70, 100, 360, 125}, 15, kDialogText);
}

void ShortcutDialog::OnModifier(int modifier) {
    flags_[modifier] = modifiers_[modifier].Checked();
    ApplyFlags();
}

LRESULT ShortcutDialog::OnKeyCaptured(WPARAM wParam, LPARAM) {
    keyBox_.TakeKey(wParam);
    return 0;
}

void ShortcutDialog::OnDestroy() {
    keyBox_.StopCapture();
    Default();
}

bool ShortcutDialog::ProcessMessage(WindowMessage& m) {
    return RouteMessage(*this, kMessageMap, m) || SkinnedDialog::ProcessMessage(m);
}
