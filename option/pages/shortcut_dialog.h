#pragma once
// The shortcut dialog: one key captured from the keyboard and five two-state modifier buttons (key alone, Shift,
// Ctrl, Alt, Win). The button page opens it for the shortcut function and stores the values on OK.

#include <windows.h>

#include <array>
#include <cstdint>

#include "option/skin/dialog_parts.h"
#include "option/skin/key_capture_box.h"
#include "option/skin/region_button.h"
#include "option/skin/skin_button.h"
#include "option/skin/skinned_dialog.h"

class ShortcutDialog : public SkinnedDialog {
public:
    ShortcutDialog(uint8_t key, const std::array<bool, 5>& flags);

    // IDOK or IDCANCEL (-1 when it could not be created).
    INT_PTR Show(HWND owner) { return RunModal(owner); }

    // The key as HID keyboard usage, 0 when the last key has no usage.
    uint8_t Key() const { return keyBox_.Key(); }
    const std::array<bool, 5>& Flags() const { return flags_; }

    HWND KeyBox() const { return keyBox_.Handle(); }
    SkinButton& Modifier(int i) { return modifiers_[i]; }
    static constexpr int kKeyBoxId = 4010;

protected:
    void CreateControls(const SkinScreens& screens) override;
    bool OnSkinInit() override;
    void PaintContent(HDC work) override;
    bool ProcessMessage(WindowMessage& m) override;

private:
    void OnOk() { End(IDOK); }
    // Cancel, the close button and the system's close command.
    void OnCancel() { End(IDCANCEL); }
    void OnModifier(int modifier);
    LRESULT OnKeyCaptured(WPARAM wParam, LPARAM lParam);
    void OnDestroy();
    void ApplyFlags();

    static constexpr int kFirstModifierId = 1004; // key alone, Shift, Ctrl, Alt, Win
    using Entry = MessageEntry<ShortcutDialog>;
    static constexpr Entry kMessageMap[] = {
        Entry::Clicked(kDialogOkId, &ShortcutDialog::OnOk),
        Entry::Clicked(kDialogCancelId, &ShortcutDialog::OnCancel),
        Entry::Clicked(kDialogCloseId, &ShortcutDialog::OnCancel),
        Entry::CommandId(IDCANCEL, &ShortcutDialog::OnCancel),
        Entry::ClickedRange(kFirstModifierId, kFirstModifierId + 4, &ShortcutDialog::OnModifier),
        Entry::Raw(KeyCaptured, &ShortcutDialog::OnKeyCaptured),
        Entry::Destroy(&ShortcutDialog::OnDestroy),
    };

    uint8_t initialKey_;
    std::array<bool, 5> flags_;
    RegionTextButton ok_, cancel_;
    SkinButton close_;
    KeyCaptureBox keyBox_;
    SkinButton modifiers_[5];
};
