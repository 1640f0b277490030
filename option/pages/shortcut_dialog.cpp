#include "option/pages/shortcut_dialog.h"

#include <windows.h>

#include "common/key_tables.h"
#include "common/language.h"
#include "option/skin/band_text.h"
#include "option/skin/dialog_parts.h"

ShortcutDialog::ShortcutDialog(uint8_t key, const std::array<bool, 5>& flags)
    : SkinnedDialog("skin_key.ini"), key_(key), flags_(flags) {}

void ShortcutDialog::CreateControls(const SkinScreens& s) {
    HWND hwnd = Handle();
    CreateDialogPill(ok_, hwnd, Position(1), s, true);
    CreateDialogPill(cancel_, hwnd, Position(2), s, false);
    CreateFacedButton(close_, hwnd, Position(3), s);
    // Read-only: the key arrives through the keyboard hook, never as typed text.
    CreateDialogBox(keyBox_, hwnd, Position(4), kKeyBoxId, ES_READONLY);
    for (int i = 0; i < 5; ++i) {
        ButtonPos p = Position(5 + i);
        CreateFacedButton(modifiers_[i], hwnd, p, s);
        modifiers_[i].SetToggle(true);
        // The buttons carry their tooltips as labels, so the choice reads without hovering.
        modifiers_[i].SetCaption(p.tooltip);
        modifiers_[i].SetCaptionColours(0xE6E6E6, 0xE60000, 0xE6E6E6, 0x969696);
    }
}

bool ShortcutDialog::OnSkinInit() {
    SetWindowTextA(Handle(), "Shortcut Dialog");
    capture_.Start(Handle());
    SetWindowTextA(keyBox_.Handle(), KeyName(UsageToVirtualKey(key_)).c_str());
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
    DrawBandText(work, Fetch(262), {40, 40, 200, 70}, 18, kDialogText);
    DrawBandText(work, Fetch(263), {70, 100, 360, 125}, 15, kDialogText);
}

void ShortcutDialog::OnCommand(int id, int, HWND control) {
    if (!control) {
        if (id == IDCANCEL) {
            End(IDCANCEL); // the system's close command
        }
        return;
    }
    if (control == ok_.Handle()) {
        End(IDOK);
    } else if (control == cancel_.Handle() || control == close_.Handle()) {
        End(IDCANCEL);
    } else {
        for (int i = 0; i < 5; ++i) {
            if (control == modifiers_[i].Handle()) {
                flags_[i] = modifiers_[i].Checked();
                ApplyFlags();
            }
        }
    }
}

LRESULT ShortcutDialog::OnKeyCaptured(WPARAM wParam, LPARAM) {
    int vk = static_cast<int>(wParam & 0xFF);
    int usage = 0;
    VirtualKeyToUsage(vk, usage);
    key_ = static_cast<uint8_t>(usage);
    SetWindowTextA(keyBox_.Handle(), KeyName(vk).c_str());
    return 0;
}

void ShortcutDialog::OnDestroy() {
    capture_.Stop();
    Default();
}

bool ShortcutDialog::ProcessMessage(WindowMessage& m) {
    return RouteMessage(*this, kMessageMap, m) || SkinnedDialog::ProcessMessage(m);
}
