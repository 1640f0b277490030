// The basic page's rules without a window: the function menu of each entry, DPI texts and the DPI rule, the
// lighting menus with what they store and show, and the reset of the entries.
#include "option/pages/button_page_rules.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

namespace {

std::vector<int> Commands(const std::vector<MenuItemText>& items) {
    std::vector<int> out;
    for (const MenuItemText& i : items) {
        out.push_back(i.command);
    }
    return out;
}

std::vector<int> Titles(const FunctionMenuLayout& layout) {
    std::vector<int> out;
    for (const FunctionSubmenu& s : layout.submenus) {
        out.push_back(s.title);
    }
    return out;
}

const FunctionSubmenu* Submenu(const FunctionMenuLayout& layout, int title) {
    for (const FunctionSubmenu& s : layout.submenus) {
        if (s.title == title) {
            return &s;
        }
    }
    return nullptr;
}

ProfileRecord Reset() {
    ProfileRecord p;
    std::memset(&p, 0, sizeof p);
    ResetProfile(p, 0);
    return p;
}

std::string Text(int n) {
    return "#" + std::to_string(n);
}

} // namespace

TEST(FunctionMenu, ItemsSubmenusAndTheThreeEntryRules) {
    FunctionMenuLayout first = FunctionMenuFor(0);
    EXPECT_EQ((std::vector<int>{1003, 1005, 1004, 1008, 1009, 1059, 1052, 1053, 1054, 1060, 1058}),
              Commands(first.top));
    EXPECT_EQ((std::vector<int>{1055, 1107, 1006, 1015, 1026, 1040, 1062}), Titles(first));
    EXPECT_EQ((std::vector<int>{1104, 1105, 1106}), Commands(Submenu(first, 1055)->items));
    EXPECT_EQ((std::vector<int>{1108, 1109, 1110}), Commands(Submenu(first, 1107)->items));
    EXPECT_EQ((std::vector<int>{1007, 1010, 1011, 1012, 1013, 1014, 1021, 1078}),
              Commands(Submenu(first, 1006)->items));
    EXPECT_EQ((std::vector<int>{1020, 1022, 1024, 1025, 1056, 1057}), Commands(Submenu(first, 1015)->items));
    EXPECT_EQ((std::vector<int>{1027, 1028, 1029, 1030, 1031, 1032, 1033, 1034, 1035, 1039}),
              Commands(Submenu(first, 1026)->items));
    EXPECT_EQ((std::vector<int>{1041, 1042, 1043, 1044, 1045, 1046, 1047, 1048}),
              Commands(Submenu(first, 1040)->items));
    ASSERT_EQ(1u, Submenu(first, 1062)->items.size());
    EXPECT_EQ(1049, Submenu(first, 1062)->items[0].command);
    EXPECT_EQ(1143, Submenu(first, 1062)->items[0].text);
    EXPECT_EQ(1003, first.top[0].text);

    // Alt+Tab is not offered for entries 8 and 9.
    for (int e : {8, 9}) {
        EXPECT_EQ((std::vector<int>{1022, 1024, 1025, 1056, 1057}), Commands(Submenu(FunctionMenuFor(e), 1015)->items));
    }
    EXPECT_EQ(6u, Submenu(FunctionMenuFor(40), 1015)->items.size());
    // The set switch only for entries 0..13: not for the wheel entries, nor anywhere in the second set.
    for (int e : {13, 14, 15, 32, 45}) {
        auto top = Commands(FunctionMenuFor(e).top);
        bool offered = std::find(top.begin(), top.end(), 1059) != top.end();
        EXPECT_EQ(e == 13, offered) << e;
    }
    // No macro submenu for entries 14, 15, 46 and 47; the other submenus stay.
    for (int e : {14, 15, 46, 47}) {
        EXPECT_EQ((std::vector<int>{1055, 1107, 1006, 1015, 1026, 1040}), Titles(FunctionMenuFor(e))) << e;
    }
    EXPECT_NE(nullptr, Submenu(FunctionMenuFor(45), 1062));
}

TEST(DpiTexts, CodesMenuAndStoredValues) {
    EXPECT_EQ(1112, DpiTextString(1));
    EXPECT_EQ(1123, DpiTextString(12));
    EXPECT_EQ(1150, DpiTextString(13));
    EXPECT_EQ(1151, DpiTextString(14));
    EXPECT_EQ(0, DpiTextString(0));
    EXPECT_EQ(0, DpiTextString(15));
    EXPECT_EQ(0, DpiTextString(-1));
    std::vector<MenuItemText> menu = DpiValueMenu();
    ASSERT_EQ(14u, menu.size());
    EXPECT_EQ(2001, menu.front().command);
    EXPECT_EQ(1112, menu.front().text);
    EXPECT_EQ(2014, menu.back().command);
    EXPECT_EQ(1151, menu.back().text);
    EXPECT_EQ(11, DpiCodeFromCommand(2011));
    EXPECT_EQ(8, DpiCodeFromCommand(2015));
    EXPECT_EQ(8, DpiCodeFromCommand(2000));
}

TEST(DpiRule, TheCurrentLevelCannotBeSwitchedOffAndOffLevelsCannotBeSelected) {
    ProfileRecord p = Reset();
    p.Cpi_X = 2;
    p.dpiStepFlag[4] = 0;
    DpiLook look = DpiRule(p);
    for (int i = 0; i < kDpiLevels; ++i) {
        EXPECT_EQ(i != 4, look.toggleChecked[i]) << i;
        EXPECT_EQ(i != 4, look.selectEnabled[i]) << i;
        EXPECT_EQ(i == 2, look.selectChecked[i]) << i;
        EXPECT_EQ(i != 2, look.toggleEnabled[i]) << i;
    }
    // A current level outside 0..5 selects nothing and leaves every toggle free.
    p.Cpi_X = 9;
    look = DpiRule(p);
    for (int i = 0; i < kDpiLevels; ++i) {
        EXPECT_FALSE(look.selectChecked[i]);
        EXPECT_TRUE(look.toggleEnabled[i]);
    }
}

TEST(Lighting, MenusStoreTheirFieldsAndTheCaptionsFollow) {
    ProfileRecord p = Reset();
    EXPECT_EQ((std::vector<int>{3004, 3005, 3006, 3001}), Commands(LightSwitchMenu()));
    StoreLightSwitch(p, 3001);
    EXPECT_EQ(0, p.LightSwitch);
    EXPECT_EQ("0%", LevelCaption(p, Text));
    EXPECT_EQ("#1144", LightSwitchCaption(p, Text));
    EXPECT_TRUE(LightTypeMenu(p).empty());
    p.LightType = 2;
    StoreLightType(p, 5001); // nothing is stored without items
    EXPECT_EQ(2, p.LightType);
    EXPECT_EQ("", LightTypeCaption(p, Text));

    StoreLightSwitch(p, 3005);
    EXPECT_EQ(4, p.LightSwitch);
    EXPECT_EQ("#1126", LightSwitchCaption(p, Text));
    StoreLightSwitch(p, 3999);
    EXPECT_EQ(1, p.LightSwitch);
    EXPECT_EQ("100%", LevelCaption(p, Text));
    StoreLevel(p, 4003); // with the light on, the level is the brightness
    EXPECT_EQ(3, p.Brightness);
    EXPECT_EQ((std::vector<int>{5001}), Commands(LightTypeMenu(p)));
    StoreLightType(p, 5002);
    EXPECT_EQ(1, p.LightType);
    EXPECT_EQ("#1139", LightTypeCaption(p, Text));

    StoreLightSwitch(p, 3004);
    EXPECT_EQ(3, p.LightSwitch);
    StoreLevel(p, 4002);
    EXPECT_EQ(2, p.BreathSpeed);
    EXPECT_EQ("#1091", LevelCaption(p, Text));
    StoreLevel(p, 4009);
    EXPECT_EQ(0, p.BreathSpeed);
    EXPECT_EQ("0", LevelCaption(p, Text));
    EXPECT_EQ((std::vector<int>{5001, 5002}), Commands(LightTypeMenu(p)));
    StoreLightType(p, 5002);
    EXPECT_EQ("#1141", LightTypeCaption(p, Text));
    StoreLightType(p, 5009);
    EXPECT_EQ(0, p.LightType);
    EXPECT_EQ("06", LightTypeCaption(p, Text));

    p.LightSwitch = 5;
    EXPECT_EQ("#1091", LevelCaption(p, Text));
    p.LightSwitch = 7; // out of range from a damaged file
    EXPECT_EQ("", LightSwitchCaption(p, Text));
}

TEST(ResetEntries, EveryEntryGetsItsIndexAndDefaultAndNothingElse) {
    ProfileRecord p = Reset();
    for (MacroKeyInfo& e : p.MacroKey) {
        std::memset(&e, 0xAB, sizeof e);
    }
    ResetEntries(p);
    for (int i = 0; i < kMacroKeyCount; ++i) {
        const MacroKeyInfo& e = p.MacroKey[i];
        EXPECT_EQ(i, e.ButtonNumber);
        EXPECT_EQ(DefaultFunctionCode(i), e.FunctionCode);
        EXPECT_EQ(0, e.ContentCount);
        EXPECT_EQ(0, e.MacroName[0]);
        EXPECT_EQ(0, e.Data[0]);
    }
    EXPECT_EQ(16, p.MacroKey[14].FunctionCode);
    EXPECT_EQ(17, p.MacroKey[47].FunctionCode);
}
