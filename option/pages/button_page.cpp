#include "option/pages/button_page.h"

#include <windows.h>

#include <memory>
#include <vector>

#include "common/language.h"
#include "framework/trace.h"
#include "option/macros/select_macro_dialog.h"
#include "option/pages/button_page_rules.h"
#include "option/pages/colour_dialog.h"
#include "option/pages/fire_button_dialog.h"
#include "option/pages/shortcut_dialog.h"
#include "option/skin/band_text.h"
#include "option/skin/dialog_parts.h"
#include "option/skin/menu_metrics.h"
#include "option/skin/skin_menu.h"
#include "option/skin/skin_picture.h"
#include "option/skin/warning_dialog.h"

namespace {

// "BUTTONPOS" keys of the controls. Entry i is key i + 1.
constexpr int kSet1Key = 65, kSet2Key = 66, kResetKey = 67, kRateKey = 68;
constexpr int kDpiToggleKeys[6] = {72, 73, 74, 75, 106, 107};
constexpr int kDpiSelectKeys[6] = {76, 77, 78, 79, 108, 109};
constexpr int kDpiValueKeys[6] = {80, 81, 82, 83, 110, 111};
constexpr int kLightSwitchKey = 84, kLevelKey = 85, kLightTypeKey = 86, kSwatchKey = 88, kColourOptionKey = 96;

// A click that closed a page menu must not open the next one.
constexpr DWORD kMenuGuardMs = 201;

struct PaintedText {
    int string;
    int fontHeight;
    RECT band;
    UINT align;
};
constexpr PaintedText kTexts[] = {
    {150, 18, {281, 16, 489, 59}, DT_CENTER},  {151, 18, {530, 16, 890, 59}, DT_LEFT},
    {152, 18, {530, 160, 700, 208}, DT_LEFT},  {153, 18, {715, 160, 850, 208}, DT_LEFT},
    {154, 15, {715, 209, 780, 232}, DT_RIGHT}, {155, 15, {715, 239, 780, 262}, DT_RIGHT},
};

// Language strings of the set and reset buttons.
constexpr int kSetCaptions[] = {156, 157, 158};

// A page menu with its submenus and the one font they share, alive while it is tracked.
struct PageMenu {
    GdiFont font{CreateSkinFont(15, 6)};
    std::vector<std::unique_ptr<SkinMenu>> menus;

    SkinMenu& Add(int minimumWidth) {
        menus.push_back(std::make_unique<SkinMenu>(font.get()));
        if (minimumWidth > 0) {
            menus.back()->SetMinimumWidth(minimumWidth);
        }
        return *menus.back();
    }
    SkinMenu& Root() { return *menus.front(); }
};

} // namespace

// The page's skin asks for its pictures under "Screen".
ButtonPage::ButtonPage(OptionContext& context)
    : SkinnedDialog("skin_button_page.ini", "Screen"), context_(context), tick_([] { return GetTickCount(); }) {}

ButtonPos ButtonPage::MakeButton(SkinButton& b, int key, int id, const SkinScreens& s, HBITMAP disable, bool tooltip) {
    ButtonPos p = Position(key);
    row_.Add(b, p.Rect(), id);
    b.ShareFaces(p.Rect(), s.normal, s.over, s.down, disable);
    if (tooltip) {
        b.SetTooltip(p.tooltip, true);
    }
    return p;
}

void ButtonPage::CreateControls(const SkinScreens& s) {
    row_.Attach(Handle());
    // The buttons draw their faces straight from the page's screen images.
    KeepScreens();
    auto make = [&](SkinButton& b, int key, int id, HBITMAP disable, bool tooltip) {
        return MakeButton(b, key, id, s, disable, tooltip);
    };
    for (int i = 0; i < kMacroKeyCount; ++i) {
        if (EntryShown(i)) {
            entryTooltips_[i] = make(entries_[i], i + 1, kFirstEntryId + i, s.disable, true).tooltip;
        } else {
            // Data only: the caption and tooltip are kept, and no window that nobody could see is made for it.
            entryTooltips_[i] = Position(i + 1).tooltip;
            entries_[i].SetTooltip(entryTooltips_[i], true);
        }
        entries_[i].SetPlacement(CaptionPlacement::Entry);
        entries_[i].SetFontSize(15, 0);
        entries_[i].SetCaptionColours(kValueCaptionPalette);
    }
    SkinButton* sets[] = {&set1_, &set2_, &reset_};
    for (int i = 0; i < 3; ++i) {
        make(*sets[i], kSet1Key + i, kSet1Id + i, s.disable, true);
        sets[i]->SetCaption(Fetch(kSetCaptions[i]));
        sets[i]->SetFontSize(15, 0);
        // Light on the pressed face too: the checked set shows its caption on the dark blue.
        sets[i]->SetCaptionColours(kCaptionPalette);
    }
    for (int i = 0; i < 4; ++i) {
        make(rates_[i], kRateKey + i, kFirstRateId + i, s.disable, true);
    }
    for (int i = 0; i < kDpiLevels; ++i) {
        make(dpiToggle_[i], kDpiToggleKeys[i], kFirstDpiToggleId + i, s.down, true);
        dpiToggle_[i].SetToggle(true);
    }
    for (int i = 0; i < kDpiLevels; ++i) {
        make(dpiSelect_[i], kDpiSelectKeys[i], kFirstDpiSelectId + i, s.disable, false);
    }
    for (int i = 0; i < kDpiLevels; ++i) {
        make(dpiValue_[i], kDpiValueKeys[i], kFirstDpiValueId + i, s.normal, true);
        dpiValue_[i].SetPlacement(CaptionPlacement::DropDown);
        dpiValue_[i].SetCaptionColours(kValueCaptionPalette);
    }
    CreateLightingControls(s);
}

// The lighting colours, their options and the three drop-downs below them.
void ButtonPage::CreateLightingControls(const SkinScreens& s) {
    for (int i = 0; i < 8; ++i) {
        MakeButton(swatches_[i], kSwatchKey + i, kFirstSwatchId + i, s, s.disable, true);
        swatches_[i].SetChecked(false);
    }
    for (int i = 0; i < 8; ++i) {
        MakeButton(colourOptions_[i], kColourOptionKey + i, kFirstColourOptionId + i, s, s.disable, false);
    }
    static constexpr struct {
        SkinButton ButtonPage::*button;
        int key;
        int id;
    } kDropDowns[] = {{&ButtonPage::lightSwitch_, kLightSwitchKey, kLightSwitchId},
                      {&ButtonPage::level_, kLevelKey, kLevelId},
                      {&ButtonPage::lightType_, kLightTypeKey, kLightTypeId}};
    for (const auto& d : kDropDowns) {
        SkinButton& b = this->*d.button;
        MakeButton(b, d.key, d.id, s, s.disable, true);
        b.SetPlacement(CaptionPlacement::DropDown);
        b.SetCaptionColours(kValueCaptionPalette);
    }
}

bool ButtonPage::OnSkinInit() {
    selectedEntry_ = 0;
    menuClosedAt_ = 0;
    return true;
}

void ButtonPage::Refresh() {
    if (!Handle()) {
        return;
    }
    ProfileRecord* profile = context_.Active();
    if (!profile) {
        return;
    }
    ShowEntries();
    ShowSet(profile->ModeStatus == 2 ? 2 : 1);
    ShowRate();
    ShowDpi();
    ShowDpiCaptions();
    ShowColourOption();
    ShowLighting();
    ShowSwatches();
}

void ButtonPage::ShowEntries() {
    ProfileRecord* profile = context_.Active();
    if (!profile) {
        return;
    }
    RebuildCaptions(*profile, *this);
    // A second-set button whose first-set twin switches sets holds the switch too and is not edited on its own.
    for (int i = 0; i < kBankSize; ++i) {
        EnableEntryButton(i + 2 * kBankSize, profile->MacroKey[i].FunctionCode != kCodeSetSwitch);
    }
}

void ButtonPage::ShowSet(int set) {
    set1_.SetChecked(set == 1);
    set2_.SetChecked(set == 2);
    for (int i = 0; i < kBankSize; ++i) {
        entries_[i].Show(set == 1);
        entries_[i + 2 * kBankSize].Show(set == 2);
    }
    RedrawWindow(Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_UPDATENOW);
}

void ButtonPage::ShowRate() {
    if (ProfileRecord* profile = context_.Active()) {
        for (int i = 0; i < 4; ++i) {
            rates_[i].SetChecked(i == profile->PollingRate);
        }
    }
}

void ButtonPage::ShowDpi() {
    ProfileRecord* profile = context_.Active();
    if (!profile) {
        return;
    }
    DpiLook look = DpiRule(*profile);
    for (int i = 0; i < kDpiLevels; ++i) {
        dpiToggle_[i].SetChecked(look.toggleChecked[i]);
        dpiSelect_[i].Enable(look.selectEnabled[i]);
    }
    for (int i = 0; i < kDpiLevels; ++i) {
        dpiSelect_[i].SetChecked(look.selectChecked[i]);
        dpiToggle_[i].Enable(look.toggleEnabled[i]);
        dpiToggle_[i].Redraw();
        dpiSelect_[i].Redraw();
    }
}

void ButtonPage::ShowDpiCaptions() {
    ProfileRecord* profile = context_.Active();
    if (!profile) {
        return;
    }
    for (int i = 0; i < kDpiLevels; ++i) {
        int string = DpiTextString(profile->CpiLevel_X[i]);
        dpiValue_[i].SetCaption(string ? Fetch(string) : "");
        dpiValue_[i].Redraw();
    }
}

void ButtonPage::ShowColourOption() {
    if (ProfileRecord* profile = context_.Active()) {
        for (int i = 0; i < 8; ++i) {
            colourOptions_[i].SetChecked(i == profile->ColorOptions);
        }
    }
}

void ButtonPage::ShowLighting() {
    ProfileRecord* profile = context_.Active();
    if (!profile) {
        return;
    }
    TextSource text = [](int n) { return Fetch(n); };
    lightSwitch_.SetCaption(LightSwitchCaption(*profile, text));
    level_.SetCaption(LevelCaption(*profile, text));
    lightType_.SetCaption(LightTypeCaption(*profile, text));
    for (SkinButton* b : {&lightSwitch_, &level_, &lightType_}) {
        b->Redraw();
    }
}

void ButtonPage::ShowSwatches() {
    if (ProfileRecord* profile = context_.Active()) {
        for (int i = 0; i < 8; ++i) {
            swatches_[i].SetColour(static_cast<COLORREF>(profile->SLEDColor8[i]) & 0xFFFFFF);
        }
    }
}

void ButtonPage::PaintContent(HDC work) {
    for (const PaintedText& t : kTexts) {
        DrawBandText(work, Fetch(t.string), t.band, t.fontHeight, kSkinText, t.align);
    }
    row_.Paint(work);
}

bool ButtonPage::MenuGuardHolds() const {
    return tick_() - menuClosedAt_ < kMenuGuardMs;
}

void ButtonPage::OnReset() {
    if (ProfileRecord* profile = context_.Active()) {
        ResetEntries(*profile);
        ShowEntries();
    }
}

void ButtonPage::OnEntry(int entry) {
    if (context_.Active() && !MenuGuardHolds()) {
        OpenFunctionMenu(entry);
    }
}

void ButtonPage::OnLightSwitch() {
    if (context_.Active() && !MenuGuardHolds()) {
        OpenLightingMenu(lightSwitch_);
    }
}

void ButtonPage::OnLevel() {
    if (context_.Active() && !MenuGuardHolds()) {
        OpenLightingMenu(level_);
    }
}

void ButtonPage::OnLightType() {
    if (context_.Active() && !MenuGuardHolds()) {
        OpenLightingMenu(lightType_);
    }
}

void ButtonPage::OnSet(int index) {
    if (ProfileRecord* profile = context_.Active()) {
        int set = index + 1;
        profile->ModeStatus = static_cast<uint8_t>(set);
        ShowSet(set);
    }
}

void ButtonPage::OnRate(int code) {
    if (ProfileRecord* profile = context_.Active()) {
        profile->PollingRate = code;
        ShowRate();
    }
}

void ButtonPage::OnDpiToggle(int level) {
    if (ProfileRecord* profile = context_.Active()) {
        profile->dpiStepFlag[level] = dpiToggle_[level].Checked() ? 1 : 0;
        ShowDpi();
    }
}

void ButtonPage::OnDpiSelect(int level) {
    if (ProfileRecord* profile = context_.Active()) {
        profile->Cpi_X = level;
        ShowDpi();
    }
}

void ButtonPage::OnDpiValue(int level) {
    if (context_.Active() && !MenuGuardHolds()) {
        OpenDpiMenu(level);
    }
}

void ButtonPage::OnSwatch(int index) {
    ProfileRecord* profile = context_.Active();
    if (!profile) {
        return;
    }
    ColourDialog dialog(swatches_[index].Colour());
    bool ok = dialog.Show(Handle()) == IDOK;
    if (ok && !StillShown(*profile)) {
        TraceDropped("the colour", *profile);
    } else if (ok) {
        profile->SLEDColor8[index] = static_cast<int32_t>(dialog.Colour());
        swatches_[index].SetColour(dialog.Colour());
    }
    swatches_[index].Redraw();
}

void ButtonPage::OnColourOption(int option) {
    if (ProfileRecord* profile = context_.Active()) {
        profile->ColorOptions = option;
        ShowColourOption();
    }
}

void ButtonPage::MenuClosed(SkinButton& opener) {
    PostMessageA(Handle(), WM_NULL, 0, 0);
    menuClosedAt_ = tick_();
    opener.Redraw();
}

void ButtonPage::OpenFunctionMenu(int entry) {
    selectedEntry_ = entry;
    FunctionMenuLayout layout = FunctionMenuFor(entry);
    PageMenu menu;
    SkinMenu& root = menu.Add(kFunctionMenuMinWidth);
    for (const MenuItemText& item : layout.top) {
        root.AppendItem(static_cast<UINT>(item.command), Fetch(item.text));
    }
    for (const FunctionSubmenu& sub : layout.submenus) {
        SkinMenu& submenu = menu.Add(kFunctionMenuMinWidth);
        for (const MenuItemText& item : sub.items) {
            submenu.AppendItem(static_cast<UINT>(item.command), Fetch(item.text));
        }
        root.AppendSubmenu(submenu, Fetch(sub.title));
    }
    SkinButton& button = entries_[entry];
    RECT r = button.ScreenRect();
    ++menusOpened_;
    UINT command = root.Track(Handle(), r.left + 1, r.bottom - 1);
    menu.menus.clear();
    button.ClearHover();
    MenuClosed(button);
    SetFocus(Handle());
    ProfileRecord* profile = context_.Active();
    if (command != 0 && profile) {
        if (AssignFunction(*profile, entry, static_cast<int>(command), *this) == AssignResult::Dropped) {
            TraceDropped("the dialog's button function", *profile);
        }
    }
}

void ButtonPage::OpenDpiMenu(int level) {
    selectedLevel_ = level;
    PageMenu menu;
    SkinMenu& root = menu.Add(0);
    for (const MenuItemText& item : DpiValueMenu()) {
        root.AppendItem(static_cast<UINT>(item.command), Fetch(item.text));
    }
    RECT r = dpiValue_[level].ScreenRect();
    ++menusOpened_;
    UINT command = root.Track(Handle(), r.left, r.bottom - 1);
    menu.menus.clear();
    MenuClosed(dpiValue_[level]);
    ProfileRecord* profile = context_.Active();
    if (command != 0 && profile) {
        profile->CpiLevel_X[selectedLevel_] = DpiCodeFromCommand(static_cast<int>(command));
        ShowDpiCaptions();
    }
}

void ButtonPage::OpenLightingMenu(SkinButton& opener) {
    ProfileRecord* profile = context_.Active();
    if (!profile) {
        return;
    }
    std::vector<MenuItemText> items = &opener == &lightSwitch_ ? LightSwitchMenu()
                                      : &opener == &level_     ? LevelMenu()
                                                               : LightTypeMenu(*profile);
    PageMenu menu;
    SkinMenu& root = menu.Add(0);
    for (const MenuItemText& item : items) {
        root.AppendItem(static_cast<UINT>(item.command), Fetch(item.text));
    }
    RECT r = opener.ScreenRect();
    ++menusOpened_;
    UINT command = root.Track(Handle(), r.left + 1, r.bottom - 1);
    menu.menus.clear();
    MenuClosed(opener);
    profile = context_.Active();
    if (command == 0 || !profile) {
        return;
    }
    if (&opener == &lightSwitch_) {
        StoreLightSwitch(*profile, static_cast<int>(command));
    } else if (&opener == &level_) {
        StoreLevel(*profile, static_cast<int>(command));
    } else {
        StoreLightType(*profile, static_cast<int>(command));
    }
    ShowLighting();
}

bool ButtonPage::RunShortcutDialog(uint8_t& key, std::array<bool, 5>& flags) {
    ShortcutDialog dialog(key, flags);
    if (dialog.Show(Handle()) != IDOK) {
        return false;
    }
    key = dialog.Key();
    flags = dialog.Flags();
    return true;
}

bool ButtonPage::RunFireDialog(uint8_t& key, int32_t& valueA, int32_t& valueB) {
    FireButtonDialog dialog(key, valueA, valueB);
    if (dialog.Show(Handle()) != IDOK) {
        return false;
    }
    key = dialog.Key();
    valueA = dialog.ValueA();
    valueB = dialog.ValueB();
    return true;
}

bool ButtonPage::RunMacroSelectionDialog(int32_t& macroOption, int& chosenIndex) {
    SelectMacroDialog dialog(context_.macros, macroOption, chosenIndex);
    if (dialog.Show(Handle()) != IDOK) {
        return false;
    }
    macroOption = dialog.MacroOption();
    chosenIndex = dialog.ChosenIndex();
    return true;
}

int ButtonPage::FindMacroIndex(const MacroKeyInfo& entry) {
    return FindMacroEntry(context_.macros, entry).index;
}

bool ButtonPage::MacroAt(int index, MacroForEntry& macro) {
    const MacroRecord* record = ::MacroAt(context_.macros, index);
    if (!record) {
        return false;
    }
    macro = MacroForEntryOf(*record);
    return true;
}

void ButtonPage::ShowLeftClickWarning() {
    ShowWarning(Handle(), WarningVariant::LeftClickNeeded);
}

void ButtonPage::EnableEntryButton(int entryIndex, bool enabled) {
    if (entryIndex >= 0 && entryIndex < kMacroKeyCount) {
        entries_[entryIndex].Enable(enabled);
    }
}

void ButtonPage::SetEntryCaption(int entryIndex, const std::string& caption) {
    if (entryIndex >= 0 && entryIndex < kMacroKeyCount) {
        entries_[entryIndex].SetCaption(caption);
        entries_[entryIndex].Redraw();
        // The caption names only the file: the tooltip shows the whole path of what the button starts.
        const ProfileRecord* profile = context_.Active();
        const MacroKeyInfo* entry = profile ? &profile->MacroKey[entryIndex] : nullptr;
        bool launches = entry && entry->FunctionCode == kCodeLaunch;
        entries_[entryIndex].SetTooltip(launches ? ProgramPath(*entry) : entryTooltips_[entryIndex], true);
    }
}

std::string ButtonPage::Text(int number) {
    return Fetch(number);
}

bool ButtonPage::StillShown(const ProfileRecord& profile) {
    return context_.Active() == &profile;
}

void ButtonPage::TraceDropped(const char* what, const ProfileRecord& profile) {
    int index = static_cast<int>(&profile - context_.working.Profile);
    Trace("Option: %s of profile %d dropped, profile %d is shown now\n", what, index + 1,
          context_.working.CurrentProfile + 1);
}

bool ButtonPage::ProcessMessage(WindowMessage& m) {
    return row_.Offer(m) || RouteMessage(*this, kMessageMap, m) || SkinnedDialog::ProcessMessage(m);
}
