#pragma once
// The skin gallery: one of every skinned control on one window, and buttons that open each warning. People look at
// it to judge the skin; the toolkit's tests drive it with real input.

#include <windows.h>

#include <memory>
#include <string>

#include "option/skin/bitmap_edit.h"
#include "option/skin/click_slider.h"
#include "option/skin/region_button.h"
#include "option/skin/skin_button.h"
#include "option/skin/skin_menu.h"
#include "option/skin/skinned_dialog.h"
#include "option/skin/spin_edit.h"
#include "option/skin/warning_dialog.h"

class GalleryDialog : public SkinnedDialog {
public:
    GalleryDialog();
    ~GalleryDialog() override;

    SkinButton& Plain() { return plain_; }
    SkinButton& Toggle() { return toggle_; }
    SkinButton& Disabled() { return disabled_; }
    ColorButton& Colour() { return colour_; }
    RegionButton& Region() { return region_; }
    RegionTextButton& RegionText() { return regionText_; }
    BitmapEdit& Digits() { return digits_; }
    SpinEdit& Spin() { return spin_; }
    CclickHSlider& Slider() { return slider_; }
    SkinButton& MenuButton() { return menuButton_; }
    SkinButton& WarningButton(int i) { return warnings_[i]; }
    SkinButton& Close() { return close_; }
    SkinMenu& Menu() { return *menu_; }

    // The last thing a control reported, as the status line shows it.
    const std::string& Status() const { return status_; }
    int LastSliderValue() const { return sliderValue_; }
    int LastSpinValue() const { return spinValue_; }
    int SliderMessages() const { return sliderMessages_; }
    int SpinMessages() const { return spinMessages_; }
    INT_PTR LastWarningResult() const { return warningResult_; }

    static constexpr int kSpinNumber = 8;
    static constexpr int kSliderNumber = 9;

protected:
    void CreateControls(const SkinScreens& screens) override;
    bool OnSkinInit() override;
    void PaintContent(HDC work) override;
    bool ProcessMessage(WindowMessage& m) override;

private:
    void OnClose() { End(IDCANCEL); }
    void OnPlain();
    void OnToggle();
    void OnColour();
    void OnRegion();
    void OnRegionText();
    void OnMenuButton();
    void OnWarning(int index);
    LRESULT OnSlider(WPARAM wParam, LPARAM lParam);
    LRESULT OnSpin(WPARAM wParam, LPARAM lParam);
    void SetStatus(const std::string& text);

    static constexpr int kPlainId = 1001, kToggleId = 1002, kDisabledId = 1003, kColourId = 1004, kRegionId = 1005,
                         kRegionTextId = 1006, kMenuButtonId = 1007, kCloseId = 1008, kDigitsId = 1009;
    static constexpr int kFirstWarningId = 1010; // 5 warnings
    using Entry = MessageEntry<GalleryDialog>;
    static constexpr Entry kMessageMap[] = {
        Entry::Clicked(kCloseId, &GalleryDialog::OnClose),
        Entry::CommandId(IDCANCEL, &GalleryDialog::OnClose),
        Entry::Clicked(kPlainId, &GalleryDialog::OnPlain),
        Entry::Clicked(kToggleId, &GalleryDialog::OnToggle),
        Entry::Clicked(kColourId, &GalleryDialog::OnColour),
        Entry::Clicked(kRegionId, &GalleryDialog::OnRegion),
        Entry::Clicked(kRegionTextId, &GalleryDialog::OnRegionText),
        Entry::Clicked(kMenuButtonId, &GalleryDialog::OnMenuButton),
        Entry::ClickedRange(kFirstWarningId, kFirstWarningId + 4, &GalleryDialog::OnWarning),
        Entry::Raw(kSliderChanged, &GalleryDialog::OnSlider),
        Entry::Raw(kSpinEditChanged, &GalleryDialog::OnSpin),
    };

    SkinButton plain_, toggle_, disabled_;
    ColorButton colour_;
    RegionButton region_;
    RegionTextButton regionText_;
    BitmapEdit digits_;
    SpinEdit spin_;
    CclickHSlider slider_;
    SkinButton menuButton_;
    SkinButton warnings_[5];
    SkinButton close_;
    GdiFont menuFont_;
    std::unique_ptr<SkinMenu> menu_;
    std::unique_ptr<SkinMenu> submenu_;
    std::string status_ = "Move over a control, click it, type into the fields.";
    int sliderValue_ = -1;
    int spinValue_ = -1;
    int sliderMessages_ = 0;
    int spinMessages_ = 0;
    INT_PTR warningResult_ = 0;
    int colourIndex_ = 0;
};
