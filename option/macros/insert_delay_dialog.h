#pragma once
// The insert-delay dialog of the macro page: one number, the pause in milliseconds to put after an event.

#include <windows.h>

#include <string>

#include "option/skin/bitmap_edit.h"
#include "option/skin/dialog_parts.h"
#include "option/skin/region_button.h"
#include "option/skin/skin_button.h"
#include "option/skin/skinned_dialog.h"

class InsertDelayDialog : public SkinnedDialog {
public:
    InsertDelayDialog();
    // IDOK with Value() set, or IDCANCEL.
    INT_PTR Show(HWND owner);
    // 0..65535: the leading number of the field when OK was pressed.
    int Value() const { return value_; }

    RegionTextButton& OkButton() { return ok_; }
    RegionTextButton& CancelButton() { return cancel_; }
    BitmapEdit& Field() { return field_; }

    static constexpr int kFieldId = 4010;

protected:
    void CreateControls(const SkinScreens& screens) override;
    bool OnSkinInit() override;
    void PaintContent(HDC work) override;
    bool ProcessMessage(WindowMessage& m) override;

private:
    void OnOk();
    // Cancel, the close button and the system's close command.
    void OnCancel() { End(IDCANCEL); }

    using Entry = MessageEntry<InsertDelayDialog>;
    static constexpr Entry kMessageMap[] = {
        Entry::Clicked(kDialogOkId, &InsertDelayDialog::OnOk),
        Entry::Clicked(kDialogCancelId, &InsertDelayDialog::OnCancel),
        Entry::Clicked(kDialogCloseId, &InsertDelayDialog::OnCancel),
        Entry::CommandId(IDCANCEL, &InsertDelayDialog::OnCancel),
    };

    RegionTextButton ok_, cancel_;
    SkinButton close_;
    BitmapEdit field_;
    int value_ = 0;
};
