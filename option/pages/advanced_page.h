#pragma once
// The advanced page of the main window. Its upper half edits the pointer settings the active profile carries:
// pointer speed, acceleration, wheel lines or one-screen scrolling, double-click time, X and Y sensitivity, and
// restores every profile's defaults. Every change goes into the working copy at once; only the double-click time also
// reaches the system at once. The lower half is the macro editor's.

#include <windows.h>

#include "option/app/option_context.h"
#include "option/macros/editable_list.h"
#include "option/macros/macro_editor.h"
#include "option/skin/bitmap_edit.h"
#include "option/skin/button_row.h"
#include "option/skin/click_slider.h"
#include "option/skin/key_capture_hook.h"
#include "option/skin/skin_button.h"
#include "option/skin/skinned_dialog.h"
#include "option/skin/spin_edit.h"

class AdvancedPage : public SkinnedDialog {
public:
    explicit AdvancedPage(OptionContext& context);

    // Shows the working copy's active profile.
    void Refresh();

    // Slider and number-box control numbers.
    static constexpr int kWheelSlider = 202;
    static constexpr int kDoubleClickSlider = 203;
    static constexpr int kSpeedSlider = 204;
    static constexpr int kSensitivityXSlider = 205;
    static constexpr int kSensitivityYSlider = 206;
    static constexpr int kSpeedBox = 400;
    static constexpr int kWheelBox = 401;

    CclickHSlider& SpeedSlider() { return speed_; }
    CclickHSlider& WheelSlider() { return wheel_; }
    CclickHSlider& DoubleClickSlider() { return doubleClick_; }
    CclickHSlider& SensitivityX() { return sensitivityX_; }
    CclickHSlider& SensitivityY() { return sensitivityY_; }
    SpinEdit& SpeedBox() { return speedBox_; }
    SpinEdit& WheelBox() { return wheelBox_; }
    SkinButton& Acceleration() { return acceleration_; }
    SkinButton& OneScreen() { return oneScreen_; }
    SkinButton& XYTogether() { return together_; }
    SkinButton& RestoreDefaults() { return restore_; }
    MacroEditor& Macros() { return editor_; }
    // Its buttons and the macro editor's, drawn and driven by the page.
    const ButtonRow& Buttons() const { return row_; }

    // What a slider or number box reports, as their messages deliver it (tests call these too).
    void SliderMoved(int control, int position);
    void NumberChanged(int control, int value);

protected:
    void CreateControls(const SkinScreens& screens) override;
    void PaintContent(HDC work) override;
    bool ProcessMessage(WindowMessage& m) override;

private:
    void OnOneScreen();
    void OnAcceleration();
    void OnTogether();
    LRESULT OnSlider(WPARAM wParam, LPARAM lParam);
    LRESULT OnNumber(WPARAM wParam, LPARAM lParam);
    LRESULT OnKeyCaptured(WPARAM wParam, LPARAM lParam);
    LRESULT OnListRightClick(WPARAM wParam, LPARAM lParam);
    LRESULT OnEditDone(WPARAM wParam, LPARAM lParam);
    LRESULT OnEditKillFocus(WPARAM wParam, LPARAM lParam);
    void OnRestoreDefaults();
    void SetWheelEnabled(bool on);
    void SetSystemDoubleClick(int milliseconds);

    // The ids of the page's buttons (the macro editor's buttons on the page use others).
    static constexpr int kRestoreId = 1001, kAccelerationId = 1002, kOneScreenId = 1003, kTogetherId = 1004;
    using Entry = MessageEntry<AdvancedPage>;
    static constexpr Entry kMessageMap[] = {
        Entry::Clicked(kRestoreId, &AdvancedPage::OnRestoreDefaults),
        Entry::Clicked(kOneScreenId, &AdvancedPage::OnOneScreen),
        Entry::Clicked(kAccelerationId, &AdvancedPage::OnAcceleration),
        Entry::Clicked(kTogetherId, &AdvancedPage::OnTogether),
        Entry::Raw(kSliderChanged, &AdvancedPage::OnSlider),
        Entry::Raw(kSpinEditChanged, &AdvancedPage::OnNumber),
        Entry::Raw(KeyCaptured, &AdvancedPage::OnKeyCaptured),
        Entry::Raw(ListRightClick, &AdvancedPage::OnListRightClick),
        Entry::Raw(EditDone, &AdvancedPage::OnEditDone),
        Entry::Registered(kBitmapEditKillFocus, &AdvancedPage::OnEditKillFocus),
    };

    OptionContext& context_;
    CclickHSlider speed_, wheel_, doubleClick_, sensitivityX_, sensitivityY_;
    SpinEdit speedBox_, wheelBox_;
    SkinButton acceleration_, oneScreen_, together_, restore_;
    MacroEditor editor_;
    // After the buttons, its own and the editor's: it lets go of them first.
    ButtonRow row_;
};
