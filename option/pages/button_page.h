#pragma once
// The basic page: the functions of the mouse's buttons, DPI stages and their colours, polling rate and lighting. A
// child of the main window, placed in the main skin's page area. Every click writes at once into the working copy's
// active profile; saving and sending are the main window's business.

#include <windows.h>

#include <array>
#include <cstdint>
#include <functional>
#include <string>

#include "common/function_codes.h"
#include "option/app/option_context.h"
#include "option/pages/button_page_rules.h"
#include "option/skin/skin_button.h"
#include "option/skin/skinned_dialog.h"

class ButtonPage : public SkinnedDialog, private AssignmentHost {
public:
    explicit ButtonPage(OptionContext& context);

    // Shows the working copy's active profile.
    void Refresh();

    // Entries 0-15 are the first set's buttons and 32-47 the second set's; 16-31 and 48-63 are data the mouse keeps
    // beside them, with no place on the page: their buttons hold caption and tooltip but are not placed. Every button
    // of the page is drawn and driven by the page itself (ButtonRow), with no window of its own.
    static constexpr bool EntryShown(int entry) { return entry % (2 * kBankSize) < kBankSize; }

    // The controls, by what they edit (tests drive them).
    SkinButton& EntryButton(int entry) { return entries_[entry]; }
    SkinButton& SetButton(int set) { return set == 1 ? set1_ : set2_; }
    SkinButton& ResetButton() { return reset_; }
    SkinButton& RateButton(int code) { return rates_[code]; }
    SkinButton& DpiToggle(int level) { return dpiToggle_[level]; }
    SkinButton& DpiSelect(int level) { return dpiSelect_[level]; }
    SkinButton& DpiValue(int level) { return dpiValue_[level]; }
    SkinButton& LightSwitchButton() { return lightSwitch_; }
    SkinButton& LevelButton() { return level_; }
    SkinButton& LightTypeButton() { return lightType_; }
    ColorButton& Swatch(int i) { return swatches_[i]; }
    SkinButton& ColourOption(int i) { return colourOptions_[i]; }
    // Every button placed on the page.
    const ButtonRow& Buttons() const { return row_; }

    int SelectedEntry() const { return selectedEntry_; }
    // Popup menus opened since the page was created, and the tick count at which the last one closed.
    int MenusOpened() const { return menusOpened_; }
    DWORD MenuClosedAt() const { return menuClosedAt_; }
    // The tick the menu guard measures with (tests give their own).
    void SetTick(std::function<uint32_t()> tick) { tick_ = std::move(tick); }

protected:
    void CreateControls(const SkinScreens& screens) override;
    bool OnSkinInit() override;
    void PaintContent(HDC work) override;
    bool ProcessMessage(WindowMessage& m) override;

private:
    // A button of the page at its "BUTTONPOS" key, with faces from the four screen images; `disable` may be another
    // image (toggles use the pressed one).
    ButtonPos MakeButton(SkinButton& b, int key, int id, const SkinScreens& s, HBITMAP disable, bool tooltip);
    void CreateLightingControls(const SkinScreens& s);

    // AssignmentHost: the dialogs and controls the assignment needs.
    bool RunShortcutDialog(uint8_t& key, std::array<bool, 5>& flags) override;
    bool RunFireDialog(uint8_t& key, int32_t& valueA, int32_t& valueB) override;
    bool RunMacroSelectionDialog(int32_t& macroOption, int& chosenIndex) override;
    int FindMacroIndex(const MacroKeyInfo& entry) override;
    bool MacroAt(int index, MacroForEntry& macro) override;
    void ShowLeftClickWarning() override;
    void EnableEntryButton(int entryIndex, bool enabled) override;
    void SetEntryCaption(int entryIndex, const std::string& caption) override;
    std::string Text(int number) override;
    bool StillShown(const ProfileRecord& profile) override;
    // Traces an edit of a dialog that ended after its profile stopped being shown.
    void TraceDropped(const char* what, const ProfileRecord& profile);

    // The clicks, by control. Each edits the working copy's active profile, or opens what edits it.
    void OnEntry(int entry);
    void OnSet(int index);
    void OnReset();
    void OnRate(int code);
    void OnDpiToggle(int level);
    void OnDpiSelect(int level);
    void OnDpiValue(int level);
    void OnLightSwitch();
    void OnLevel();
    void OnLightType();
    void OnSwatch(int index);
    void OnColourOption(int option);
    // Menus of the page; each returns the chosen command (0 for none) after the menu has closed.
    void OpenFunctionMenu(int entry);
    void OpenDpiMenu(int level);
    void OpenLightingMenu(SkinButton& opener);
    bool MenuGuardHolds() const;
    void MenuClosed(SkinButton& opener);

    void ShowSet(int set);
    void ShowRate();
    void ShowDpi();
    void ShowDpiCaptions();
    void ShowColourOption();
    void ShowLighting();
    void ShowSwatches();
    void ShowEntries();

    // The controls' ids, one row of numbers per kind of control.
    static constexpr int kFirstEntryId = 1100; // 64 button entries
    static constexpr int kSet1Id = 1200, kSet2Id = 1201, kResetId = 1202;
    static constexpr int kFirstRateId = 1210;      // 4 polling rates
    static constexpr int kFirstDpiToggleId = 1220; // 6 levels each
    static constexpr int kFirstDpiSelectId = 1230;
    static constexpr int kFirstDpiValueId = 1240;
    static constexpr int kLightSwitchId = 1250, kLevelId = 1251, kLightTypeId = 1252;
    static constexpr int kFirstSwatchId = 1260; // 8 colours each
    static constexpr int kFirstColourOptionId = 1270;

    using Entry = MessageEntry<ButtonPage>;
    static constexpr Entry kMessageMap[] = {
        Entry::ClickedRange(kFirstEntryId, kFirstEntryId + kMacroKeyCount - 1, &ButtonPage::OnEntry),
        Entry::ClickedRange(kSet1Id, kSet2Id, &ButtonPage::OnSet),
        Entry::Clicked(kResetId, &ButtonPage::OnReset),
        Entry::ClickedRange(kFirstRateId, kFirstRateId + 3, &ButtonPage::OnRate),
        Entry::ClickedRange(kFirstDpiToggleId, kFirstDpiToggleId + kDpiLevels - 1, &ButtonPage::OnDpiToggle),
        Entry::ClickedRange(kFirstDpiSelectId, kFirstDpiSelectId + kDpiLevels - 1, &ButtonPage::OnDpiSelect),
        Entry::ClickedRange(kFirstDpiValueId, kFirstDpiValueId + kDpiLevels - 1, &ButtonPage::OnDpiValue),
        Entry::Clicked(kLightSwitchId, &ButtonPage::OnLightSwitch),
        Entry::Clicked(kLevelId, &ButtonPage::OnLevel),
        Entry::Clicked(kLightTypeId, &ButtonPage::OnLightType),
        Entry::ClickedRange(kFirstSwatchId, kFirstSwatchId + 7, &ButtonPage::OnSwatch),
        Entry::ClickedRange(kFirstColourOptionId, kFirstColourOptionId + 7, &ButtonPage::OnColourOption),
    };

    OptionContext& context_;
    SkinButton entries_[kMacroKeyCount];
    std::string entryTooltips_[kMacroKeyCount]; // the skin's; an entry that starts a program shows its path instead
    SkinButton set1_, set2_, reset_;
    SkinButton rates_[4];
    SkinButton dpiToggle_[6], dpiSelect_[6], dpiValue_[6];
    SkinButton lightSwitch_, level_, lightType_;
    ColorButton swatches_[8];
    SkinButton colourOptions_[8];
    int selectedEntry_ = 0;
    int selectedLevel_ = 0;
    DWORD menuClosedAt_ = 0;
    int menusOpened_ = 0;
    std::function<uint32_t()> tick_;
    // After the buttons: it lets go of them first.
    ButtonRow row_;
};
