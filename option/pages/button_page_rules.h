#pragma once
// The rules of the basic page that need no window: the FunctionMenu of an entry, the DPI texts and the DPI rule, and
// the three lighting menus with what each choice stores and the captions they show. The page supplies the controls.

#include <array>
#include <string>
#include <vector>

#include "common/function_codes.h"
#include "common/profile_record.h"

inline constexpr int kDpiLevels = 6;
inline constexpr int kDpiCommandBase = 2000; // 2001..2014 give DPI codes 1..14

struct MenuItemText {
    int command;
    int text; // language string
};

struct FunctionSubmenu {
    int title; // language string
    std::vector<MenuItemText> items;
};

// The FunctionMenu of entry 0..63: the top-level items, then the submenus that have an item for the entry, each in
// the order a user sees them.
struct FunctionMenuLayout {
    std::vector<MenuItemText> top;
    std::vector<FunctionSubmenu> submenus;
};
FunctionMenuLayout FunctionMenuFor(int entryIndex);

// The language string of a DPI code's text (1..12: 1111 + code, 13: 1150, 14: 1151); 0 for any other code.
int DpiTextString(int code);
// The DPI value menu: commands 2001..2014 with the texts of codes 1..14.
std::vector<MenuItemText> DpiValueMenu();
// The DPI code a command of the DPI value menu stores: 1..14, and 8 for anything else.
int DpiCodeFromCommand(int command);

// How the DPI controls show a profile: a level's enable toggle is checked and its select button enabled when the level
// takes part; only the current level's select button is checked, and its toggle cannot be switched off.
struct DpiLook {
    std::array<bool, kDpiLevels> toggleChecked{};
    std::array<bool, kDpiLevels> toggleEnabled{};
    std::array<bool, kDpiLevels> selectEnabled{};
    std::array<bool, kDpiLevels> selectChecked{};
};
DpiLook DpiRule(const ProfileRecord& profile);

// Lighting: "84" sets LightSwitch, "85" Brightness or BreathSpeed, "86" LightType.
std::vector<MenuItemText> LightSwitchMenu();
void StoreLightSwitch(ProfileRecord& profile, int command);
std::vector<MenuItemText> LevelMenu();
void StoreLevel(ProfileRecord& profile, int command);
// No items unless LightSwitch is 1, 2 or 3.
std::vector<MenuItemText> LightTypeMenu(const ProfileRecord& profile);
void StoreLightType(ProfileRecord& profile, int command);

std::string LightSwitchCaption(const ProfileRecord& profile, const TextSource& text);
std::string LevelCaption(const ProfileRecord& profile, const TextSource& text);
std::string LightTypeCaption(const ProfileRecord& profile, const TextSource& text);

// Entries 0..63 as the reset button leaves them: byte 0 the entry's index, the default function, nothing else.
void ResetEntries(ProfileRecord& profile);
