#include "option/macros/select_macro_dialog.h"

#include <windows.h>

#include "common/language.h"
#include "common/text.h"
#include "option/skin/band_text.h"
#include "option/skin/dialog_parts.h"
#include "option/skin/skin_menu.h"

namespace {

// Language strings.
constexpr int kTitleText = 300;

// The menu's face: a Chinese typeface named in the GBK code page; systems without it give their default face.
constexpr char kMacroMenuFace[] = "\xCA\xB1\xC9\xD0\xD6\xD0\xBA\xDA\xBC\xF2\xCC\xE5";

GdiFont CreateMacroMenuFont() {
    return GdiFont(CreateFontA(15, 6, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, GB2312_CHARSET, OUT_DEFAULT_PRECIS,
                               CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_SWISS, kMacroMenuFace));
}

} // namespace

SelectMacroDialog::SelectMacroDialog(const MacroLibrary& library, int32_t macroOption, int chosenIndex)
    : SkinnedDialog("skin_select_macro.ini"), library_(library), option_(macroOption), chosen_(chosenIndex) {}

INT_PTR SelectMacroDialog::Show(HWND owner) {
    SwallowedKeys keys{VK_RETURN, VK_ESCAPE, VK_SPACE};
    swallowed_ = &keys;
    INT_PTR result = RunModal(owner);
    swallowed_ = nullptr;
    return result;
}

void SelectMacroDialog::CreateControls(const SkinScreens& s) {
    HWND hwnd = Handle();
    if (swallowed_) {
        swallowed_->Watch(hwnd);
    }
    CreateDialogPill(ok_, hwnd, Position(1), s, true);
    CreateDialogPill(cancel_, hwnd, Position(2), s, false);
    CreateFacedButton(close_, hwnd, Position(3), s, kDialogCloseId);
    CreateFacedButton(macroButton_, hwnd, Position(4), s, kMacroButtonId);
    macroButton_.SetCaptionColours(kCaptionPalette);
    for (int i = 0; i < 3; ++i) {
        CreateFacedButton(options_[i], hwnd, Position(5 + i), s, kFirstOptionId + i);
        options_[i].SetToggle(true);
    }
}

bool SelectMacroDialog::OnSkinInit() {
    ShowOption();
    // A preselected macro shows its name, so the user sees what OK keeps.
    const MacroRecord* preselected = MacroAt(library_, chosen_);
    macroButton_.SetCaption(preselected ? std::string(TrimBlanks(MacroNameOf(*preselected), kBlanks)) : "");
    CentreOverOwner();
    return true;
}

void SelectMacroDialog::ShowOption() {
    for (int i = 0; i < 3; ++i) {
        options_[i].SetChecked(i == option_);
    }
}

void SelectMacroDialog::PaintContent(HDC work) {
    DrawBandText(work, Fetch(kTitleText), {40, 40, 200, 70}, 18, kDialogText);
    static constexpr struct {
        int string;
        RECT band;
    } kTexts[] = {{301, {40, 115, 170, 145}},
                  {302, {220, 88, 380, 134}},
                  {303, {220, 138, 380, 184}},
                  {304, {220, 187, 380, 233}}};
    for (const auto& t : kTexts) {
        DrawBandText(work, Fetch(t.string), t.band, 15, kDialogText);
    }
}

void SelectMacroDialog::OpenMacroMenu() {
    GdiFont font = CreateMacroMenuFont();
    SkinMenu menu(font.get());
    menu.SetMinimumWidth(kMacroMenuItemWidth);
    for (size_t i = 0; i < library_.size(); ++i) {
        menu.AppendItem(kCommandMacroBase + static_cast<UINT>(i),
                        std::string(TrimBlanks(MacroNameOf(*library_[i]), kBlanks)));
    }
    RECT r{};
    GetWindowRect(macroButton_.Handle(), &r);
    UINT command = menu.Track(Handle(), r.left + 1, r.bottom);
    macroButton_.ClearHover();
    InvalidateRect(macroButton_.Handle(), nullptr, FALSE);
    int index = static_cast<int>(command) - kCommandMacroBase;
    if (command >= static_cast<UINT>(kCommandMacroBase) && MacroAt(library_, index)) {
        chosen_ = index;
        macroButton_.SetCaption(std::string(TrimBlanks(MacroNameOf(*library_[index]), kBlanks)));
        InvalidateRect(macroButton_.Handle(), nullptr, FALSE);
    }
}

void SelectMacroDialog::OnOption(int option) {
    option_ = option;
    ShowOption();
}

bool SelectMacroDialog::ProcessMessage(WindowMessage& m) {
    return RouteMessage(*this, kMessageMap, m) || SkinnedDialog::ProcessMessage(m);
}
