#pragma once
// The fire button dialog: a key captured from the keyboard while the key box has the focus, and fire values A
// (0..255) and B (5..255) typed into two number boxes. The button page opens it for the fire function.

#include <windows.h>

#include <cstdint>

#include "option/skin/bitmap_edit.h"
#include "option/skin/dialog_parts.h"
#include "option/skin/key_capture_box.h"
#include "option/skin/region_button.h"
#include "option/skin/skin_button.h"
#include "option/skin/skinned_dialog.h"

class FireButtonDialog : public SkinnedDialog {
public:
    FireButtonDialog(uint8_t key, int32_t valueA, int32_t valueB);

    // IDOK or IDCANCEL (-1 when it could not be created).
    INT_PTR Show(HWND owner) { return RunModal(owner); }

    uint8_t Key() const { return keyBox_.Key(); }
    int32_t ValueA() const { return valueA_; }
    int32_t ValueB() const { return valueB_; }
    bool HookInstalled() const { return keyBox_.Capturing(); }

    HWND KeyBox() const { return keyBox_.Handle(); }
    HWND ValueBBox() const { return valueBBox_.Handle(); }
    HWND ValueABox() const { return valueABox_.Handle(); }
    static constexpr int kKeyBoxId = 4010;
    static constexpr int kValueBBoxId = 4020;
    static constexpr int kValueABoxId = 4030;

protected:
    void CreateControls(const SkinScreens& screens) override;
    bool OnSkinInit() override;
    void PaintContent(HDC work) override;
    bool ProcessMessage(WindowMessage& m) override;

private:
    void OnOk();
    // Cancel, the close button and the system's close command.
    void OnCancel() { End(IDCANCEL); }
    LRESULT OnKeyCaptured(WPARAM wParam, LPARAM lParam);
    LRESULT OnBoxKillFocus(WPARAM wParam, LPARAM lParam);
    void OnDestroy();

    using Entry = MessageEntry<FireButtonDialog>;
    static constexpr Entry kMessageMap[] = {
        Entry::Clicked(kDialogOkId, &FireButtonDialog::OnOk),
        Entry::Clicked(kDialogCancelId, &FireButtonDialog::OnCancel),
        Entry::Clicked(kDialogCloseId, &FireButtonDialog::OnCancel),
        Entry::CommandId(IDCANCEL, &FireButtonDialog::OnCancel),
        Entry::Raw(KeyCaptured, &FireButtonDialog::OnKeyCaptured),
        Entry::Registered(kBitmapEditKillFocus, &FireButtonDialog::OnBoxKillFocus),
        Entry::Destroy(&FireButtonDialog::OnDestroy),
    };

    uint8_t initialKey_;
    int32_t valueA_;
    int32_t valueB_;
    RegionTextButton ok_, cancel_;
    SkinButton close_;
    KeyCaptureBox keyBox_; // captures while it has the focus
    BitmapEdit valueBBox_, valueABox_;
};
