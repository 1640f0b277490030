#pragma once
// The colour dialog of the eight lighting colours: a palette picked from the screen, a preview, and red, green and
// blue number boxes (control numbers 400, 401, 402). The caller stores the colour only on OK.

#include <windows.h>

#include "option/skin/dialog_parts.h"
#include "option/skin/region_button.h"
#include "option/skin/skin_button.h"
#include "option/skin/skinned_dialog.h"
#include "option/skin/spin_edit.h"

// Replaces one component of a 0x00BBGGRR colour for a number box (400 red, 401 green, 402 blue); other boxes leave
// the colour as it is. Values are cut to 0..255.
COLORREF WithComponent(COLORREF colour, int boxNumber, int value);

class ColourDialog : public SkinnedDialog {
public:
    explicit ColourDialog(COLORREF colour);

    // IDOK or IDCANCEL (-1 when it could not be created).
    INT_PTR Show(HWND owner) { return RunModal(owner); }
    COLORREF Colour() const { return colour_; }

    SpinEdit& Box(int i) { return boxes_[i]; }
    RECT Palette() const { return palette_; }
    RECT Preview() const { return preview_; }
    static constexpr int kRedBox = 400;

protected:
    void CreateControls(const SkinScreens& screens) override;
    bool OnSkinInit() override;
    void PaintContent(HDC work) override;
    bool ProcessMessage(WindowMessage& m) override;

private:
    void OnOk();
    // Cancel, the close button and the system's close command.
    void OnCancel() { End(IDCANCEL); }
    LRESULT OnBoxChanged(WPARAM wParam, LPARAM lParam);
    LRESULT OnSetCursor(WPARAM wParam, LPARAM lParam);
    void PickAt(int x, int y);
    void RefillPreview();

    using Entry = MessageEntry<ColourDialog>;
    static constexpr Entry kMessageMap[] = {
        Entry::Clicked(kDialogOkId, &ColourDialog::OnOk),
        Entry::Clicked(kDialogCancelId, &ColourDialog::OnCancel),
        Entry::Clicked(kDialogCloseId, &ColourDialog::OnCancel),
        Entry::CommandId(IDCANCEL, &ColourDialog::OnCancel),
        Entry::Raw(kSpinEditChanged, &ColourDialog::OnBoxChanged),
        Entry::Raw(WM_SETCURSOR, &ColourDialog::OnSetCursor),
    };

    COLORREF colour_;
    RegionTextButton ok_, cancel_;
    SkinButton close_;
    SpinEdit boxes_[3];
    RECT preview_{};
    RECT palette_{};
};
