#pragma once
// The warning dialogs: one skin ("skin_warn.ini"), one layout, seven messages. OK gives IDOK (1); Cancel, the close
// button and the system's close command give IDCANCEL (2). Enter and Escape do nothing.

#include <windows.h>

#include <string>

#include "option/skin/region_button.h"
#include "option/skin/skin_button.h"
#include "option/skin/skinned_dialog.h"
#include "option/skin/swallowed_keys.h"

// What a warning warns of, in the order of the gallery's buttons.
enum class WarningVariant {
    DeleteMacro,          // the question before the shown macro is deleted
    LeftClickNeeded,      // at least one button must keep the left click
    RestoreDefaults,      // the question before every profile is reset
    NoMacro,              // an action on the shown macro while there is none
    MouseMissing,         // the mouse is not connected
    LibraryNotSaved,      // the macro library file could not be read whole and will not be saved
    ImportStartsPrograms, // the question before a profile whose buttons start programs is imported, with the programs
                          // listed under it
    ImportNotWritten,     // an imported profile could not be written
};

inline constexpr int kWarningTitleString = 251;
int WarningMessageString(WarningVariant variant);
// The questions and notes about the macros and imports centre over their owner; the left-click, restore and
// missing-mouse warnings stay at the screen's top-left corner.
bool WarningCentres(WarningVariant variant);

class WarningDialog : public SkinnedDialog {
public:
    // `detail` goes on the lines under the variant's message.
    explicit WarningDialog(WarningVariant variant, std::string detail = {});
    // Runs the dialog modally; IDOK or IDCANCEL (-1 when it could not be created).
    INT_PTR Show(HWND owner);

    RegionTextButton& OkButton() { return ok_; }
    RegionTextButton& CancelButton() { return cancel_; }
    SkinButton& CloseButton() { return close_; }
    const std::string& Title() const { return title_; }
    const std::string& Message() const { return message_; }

protected:
    void CreateControls(const SkinScreens& screens) override;
    bool OnSkinInit() override;
    void PaintContent(HDC work) override;
    bool ProcessMessage(WindowMessage& m) override;

private:
    void OnOk() { End(IDOK); }
    // Cancel, the close button, and the system's close command (Alt+F4, the taskbar), which arrives as IDCANCEL from
    // the dialog manager.
    void OnCancel() { End(IDCANCEL); }

    static constexpr int kOkId = 1001, kCancelId = 1002, kCloseId = 1003;
    using Entry = MessageEntry<WarningDialog>;
    static constexpr Entry kMessageMap[] = {
        Entry::Clicked(kOkId, &WarningDialog::OnOk),
        Entry::Clicked(kCancelId, &WarningDialog::OnCancel),
        Entry::Clicked(kCloseId, &WarningDialog::OnCancel),
        Entry::CommandId(IDCANCEL, &WarningDialog::OnCancel),
    };

    WarningVariant variant_;
    std::string detail_;
    SwallowedKeys* swallowed_ = nullptr; // Enter and Escape while Show runs
    std::string title_;
    std::string message_;
    RegionTextButton ok_;
    RegionTextButton cancel_;
    SkinButton close_;
};

// Runs one warning for the owner and returns its result.
INT_PTR ShowWarning(HWND owner, WarningVariant variant, const std::string& detail = {});
