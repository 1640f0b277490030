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
#include "option/skin/skin_button.h"
#include "option/skin/skinned_dialog.h"

class ButtonPage : public SkinnedDialog, private AssignmentHost {
public:
    explicit ButtonPage(OptionContext& context);

    // Shows the working copy's active profile.
    void Refresh();

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

    void OnCommand(int id, int code, HWND control);
    bool OnButton(HWND control);
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
    void Redraw(SkinButton& button);

    using Entry = MessageEntry<ButtonPage>;
    static constexpr Entry kMessageMap[] = {
        Entry::Command(&ButtonPage::OnCommand),
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
};
