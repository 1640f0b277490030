#pragma once
// The macro selection dialog: a macro of the library chosen from a menu, and one of three play options. The button
// page opens it for the macro function and copies the chosen macro into the entry on OK.

#include <windows.h>

#include <cstdint>

#include "framework/handles.h"
#include "option/macros/macro_library.h"
#include "option/skin/dialog_parts.h"
#include "option/skin/region_button.h"
#include "option/skin/skin_button.h"
#include "option/skin/skinned_dialog.h"
#include "option/skin/swallowed_keys.h"

inline constexpr int kMacroMenuItemWidth = 107;

class SelectMacroDialog : public SkinnedDialog {
public:
    // The library must not change while the dialog is open (the menu's commands are its indices).
    SelectMacroDialog(const MacroLibrary& library, int32_t macroOption, int chosenIndex);

    // IDOK or IDCANCEL (-1 when it could not be created).
    // Enter, Escape and Space do nothing while it is open.
    INT_PTR Show(HWND owner);

    int32_t MacroOption() const { return option_; }
    // Index of the chosen macro in the library, -1 for none.
    int ChosenIndex() const { return chosen_; }

    SkinButton& MacroButton() { return macroButton_; }
    SkinButton& OptionButton(int i) { return options_[i]; }

protected:
    void CreateControls(const SkinScreens& screens) override;
    bool OnSkinInit() override;
    void PaintContent(HDC work) override;
    bool ProcessMessage(WindowMessage& m) override;

private:
    // Enter and Escape reach the dialog manager as IDOK and IDCANCEL without a control: neither closes the dialog.
    void OnOk() { End(IDOK); }
    void OnCancel() { End(IDCANCEL); }
    void OnOption(int option);
    void ShowOption();
    void OpenMacroMenu();

    static constexpr int kMacroButtonId = 1004;
    static constexpr int kFirstOptionId = 1005; // the three play options
    using Entry = MessageEntry<SelectMacroDialog>;
    static constexpr Entry kMessageMap[] = {
        Entry::Clicked(kDialogOkId, &SelectMacroDialog::OnOk),
        Entry::Clicked(kDialogCancelId, &SelectMacroDialog::OnCancel),
        Entry::Clicked(kDialogCloseId, &SelectMacroDialog::OnCancel),
        Entry::Clicked(kMacroButtonId, &SelectMacroDialog::OpenMacroMenu),
        Entry::ClickedRange(kFirstOptionId, kFirstOptionId + 2, &SelectMacroDialog::OnOption),
        Entry::Close(&SelectMacroDialog::OnCancel),
    };

    const MacroLibrary& library_;
    int32_t option_;
    int chosen_;
    RegionTextButton ok_, cancel_;
    SkinButton close_;
    SkinButton macroButton_;
    SkinButton options_[3];
    SwallowedKeys* swallowed_ = nullptr;
};
