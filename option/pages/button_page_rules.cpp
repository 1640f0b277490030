#include "option/pages/button_page_rules.h"

#include <cstring>

FunctionMenuLayout FunctionMenuFor(int entryIndex) {
    FunctionMenuLayout layout;
    for (const FunctionInfo& f : FunctionTable()) {
        if (!OfferedForEntry(f, entryIndex)) {
            continue;
        }
        MenuItemText item{f.command, f.itemCaption};
        if (f.submenu == kNoSubmenu) {
            layout.top.push_back(item);
            continue;
        }
        if (layout.submenus.empty() || layout.submenus.back().title != f.submenu) {
            layout.submenus.push_back({f.submenu, {}});
        }
        layout.submenus.back().items.push_back(item);
    }
    return layout;
}

int DpiTextString(int code) {
    if (code >= 1 && code <= 12) {
        return 1111 + code;
    }
    if (code == 13) {
        return 1150;
    }
    if (code == 14) {
        return 1151;
    }
    return 0;
}

std::vector<MenuItemText> DpiValueMenu() {
    std::vector<MenuItemText> items;
    for (int code = 1; code <= 14; ++code) {
        items.push_back({kDpiCommandBase + code, DpiTextString(code)});
    }
    return items;
}

int DpiCodeFromCommand(int command) {
    int code = command - kDpiCommandBase;
    return code >= 1 && code <= 14 ? code : 8;
}

DpiLook DpiRule(const ProfileRecord& profile) {
    DpiLook look;
    for (int i = 0; i < kDpiLevels; ++i) {
        bool on = profile.dpiStepFlag[i] != 0;
        look.toggleChecked[i] = on;
        look.selectEnabled[i] = on;
        look.selectChecked[i] = i == profile.Cpi_X;
        look.toggleEnabled[i] = i != profile.Cpi_X;
    }
    return look;
}

std::vector<MenuItemText> LightSwitchMenu() {
    return {{3004, 1145}, {3005, 1126}, {3006, 1146}, {3001, 1144}};
}

void StoreLightSwitch(ProfileRecord& profile, int command) {
    if (command == 3001) {
        profile.LightSwitch = 0;
    } else if (command >= 3003 && command <= 3007) {
        profile.LightSwitch = command - 3001;
    } else {
        profile.LightSwitch = 1;
    }
}

std::vector<MenuItemText> LevelMenu() {
    return {{4001, 1090}, {4002, 1091}, {4003, 1092}};
}

void StoreLevel(ProfileRecord& profile, int command) {
    int n = command - 4000;
    if (profile.LightSwitch == 1) {
        profile.Brightness = n >= 1 && n <= 10 ? n : 0;
    } else {
        profile.BreathSpeed = n >= 1 && n <= 3 ? n : 0;
    }
}

std::vector<MenuItemText> LightTypeMenu(const ProfileRecord& profile) {
    if (profile.LightSwitch == 3) {
        return {{5001, 1140}, {5002, 1141}};
    }
    if (profile.LightSwitch == 1 || profile.LightSwitch == 2) {
        return {{5001, 1139}};
    }
    return {};
}

void StoreLightType(ProfileRecord& profile, int command) {
    if (profile.LightSwitch == 3) {
        profile.LightType = command == 5001 ? 1 : command == 5002 ? 2 : 0;
    } else if (profile.LightSwitch == 1 || profile.LightSwitch == 2) {
        profile.LightType = 1;
    }
}

std::string LightSwitchCaption(const ProfileRecord& profile, const TextSource& text) {
    static constexpr int kStrings[] = {1144, 1124, 1125, 1145, 1126, 1146, 1147};
    int s = profile.LightSwitch;
    return s >= 0 && s <= 6 ? text(kStrings[s]) : "";
}

std::string LevelCaption(const ProfileRecord& profile, const TextSource& text) {
    switch (profile.LightSwitch) {
    case 1:
        return "100%";
    case 0:
        return "0%";
    case 5:
        return text(1091);
    default:
        break;
    }
    switch (profile.BreathSpeed) {
    case 1:
        return text(1090);
    case 2:
        return text(1091);
    case 3:
        return text(1092);
    default:
        return "0";
    }
}

std::string LightTypeCaption(const ProfileRecord& profile, const TextSource& text) {
    if (profile.LightSwitch == 1 || profile.LightSwitch == 2) {
        return text(1139);
    }
    if (profile.LightSwitch == 3) {
        return profile.LightType == 1 ? text(1140) : profile.LightType == 2 ? text(1141) : "06";
    }
    return "";
}

void ResetEntries(ProfileRecord& profile) {
    std::memset(profile.MacroKey, 0, sizeof profile.MacroKey);
    for (int i = 0; i < kMacroKeyCount; ++i) {
        profile.MacroKey[i].ButtonNumber = static_cast<uint8_t>(i);
        profile.MacroKey[i].FunctionCode = static_cast<uint8_t>(DefaultFunctionCode(i));
    }
}
