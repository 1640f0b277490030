#pragma once
// The warning dialogs: one skin ("skin_warn.ini"), one layout, seven messages. OK gives IDOK (1); Cancel, the close
// button and the system's close command give IDCANCEL (2). Enter and Escape do nothing.

#include <windows.h>

#include <string>

#include "option/skin/region_button.h"
#include "option/skin/skin_button.h"
#include "option/skin/skinned_dialog.h"
#include "option/skin/swallowed_keys.h"

// F, ours: the macro library file could not be read whole and will not be saved.
// G, ours: the question before a profile whose buttons start programs is imported, with the programs listed under it.
// H, ours: an imported profile could not be written.
enum class WarningVariant { A, B, C, D, E, F, G, H };

inline constexpr int kWarningTitleString = 251;
int WarningMessageString(WarningVariant variant);
// A, D, F, G and H centre over their owner; B, C and E stay at the screen's top-left corner.
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
    void OnCommand(int id, int code, HWND control);

    using Entry = MessageEntry<WarningDialog>;
    static constexpr Entry kMessageMap[] = {
        Entry::Command(&WarningDialog::OnCommand),
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
