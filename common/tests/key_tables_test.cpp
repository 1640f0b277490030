#include "common/key_tables.h"

#include <gtest/gtest.h>

#include <map>
#include <set>
#include <vector>

namespace {

// A layout that answers from its own maps (falling back to the US table) and records every question.
class FakeLayout final : public KeyboardLayout {
public:
    std::map<unsigned, unsigned> toScan, toKey;
    mutable std::vector<unsigned> askedKeys, askedScans;

    unsigned VirtualKeyToScanCode(unsigned vk) const override {
        askedKeys.push_back(vk);
        auto it = toScan.find(vk);
        return it != toScan.end() ? it->second : TableLayout().VirtualKeyToScanCode(vk);
    }
    unsigned ScanCodeToVirtualKey(unsigned scan) const override {
        askedScans.push_back(scan);
        auto it = toKey.find(scan);
        return it != toKey.end() ? it->second : TableLayout().ScanCodeToVirtualKey(scan);
    }
};

// Part of a French layout: the keys labelled A and Q, Z and W swap places.
FakeLayout FrenchLetters() {
    FakeLayout f;
    f.toScan = {{'A', 0x10}, {'Q', 0x1E}, {'Z', 0x11}, {'W', 0x2C}};
    f.toKey = {{0x10, 'A'}, {0x1E, 'Q'}, {0x11, 'Z'}, {0x2C, 'W'}};
    return f;
}

int ToUsage(int vk, const KeyboardLayout& layout = TableLayout()) {
    int usage = -1;
    EXPECT_TRUE(VirtualKeyToUsage(vk, usage, layout)) << std::hex << vk;
    return usage;
}

int ToKey(int usage, const KeyboardLayout& layout = TableLayout()) {
    int vk = -1;
    EXPECT_TRUE(UsageToVirtualKey(usage, vk, layout)) << std::hex << usage;
    return vk;
}

} // namespace

TEST(KeyName, RangesAndSingleRows) {
    EXPECT_EQ("0", KeyName(0x30));
    EXPECT_EQ("9", KeyName(0x39));
    EXPECT_EQ("A", KeyName(0x41));
    EXPECT_EQ("Z", KeyName(0x5A));
    EXPECT_EQ("Num_0", KeyName(0x60));
    EXPECT_EQ("Num_9", KeyName(0x69));
    EXPECT_EQ("F1", KeyName(0x70));
    EXPECT_EQ("F10", KeyName(0x79));
    EXPECT_EQ("F12", KeyName(0x7B));
    EXPECT_EQ("", KeyName(0x7C));
    EXPECT_EQ("L_Shift", KeyName(0xA0));
    EXPECT_EQ("R_Alt", KeyName(0xA5));
    EXPECT_EQ("\\", KeyName(0xDC));
    EXPECT_EQ("'", KeyName(0xDE));
    EXPECT_EQ("Num_ ", KeyName(0x6C));
    EXPECT_EQ("BkSpac", KeyName(0x08));
    EXPECT_EQ("Side Button 2", KeyName(0xF4));
}

TEST(KeyName, UnnamedCodesAreEmpty) {
    for (int vk : {0x00, 0x10, 0x11, 0x12, 0x2A, 0x3A, 0x40, 0x5E, 0x7C, 0xDF, 0xF5, 0xF7, 0xF8, 0xFF, -1, 256})
        EXPECT_EQ("", KeyName(vk)) << std::hex << vk;
}

TEST(KeyUsageTable, RowsAreConsistent) {
    const KeyUsageRow* rows = KeyUsageRows();
    std::set<int> keys, usages, scans;
    for (int i = 0; i < kKeyUsageRowCount; ++i) {
        keys.insert(rows[i].virtualKey);
        usages.insert(rows[i].usage);
        if (i < 65)
            EXPECT_NE(0, rows[i].scanCode) << "row " << i;
        else
            EXPECT_EQ(0, rows[i].scanCode) << "row " << i;
        if (rows[i].scanCode)
            scans.insert(rows[i].scanCode);
    }
    // Every key, usage and scan code appears once, so both directions are unambiguous.
    EXPECT_EQ(111u, keys.size());
    EXPECT_EQ(111u, usages.size());
    EXPECT_EQ(65u, scans.size());
    // Every key of the table has a name except the two extra pseudo-keys.
    for (int i = 0; i < kKeyUsageRowCount; ++i) {
        if (rows[i].virtualKey == 0xF7 || rows[i].virtualKey == 0xF8)
            continue;
        EXPECT_NE("", KeyName(rows[i].virtualKey)) << std::hex << int(rows[i].virtualKey);
    }
}

TEST(KeyUsageTable, UsLayoutRoundTripsEveryRow) {
    const KeyUsageRow* rows = KeyUsageRows();
    for (int i = 0; i < kKeyUsageRowCount; ++i) {
        EXPECT_EQ(rows[i].usage, ToUsage(rows[i].virtualKey)) << std::hex << int(rows[i].virtualKey);
        EXPECT_EQ(rows[i].virtualKey, ToKey(rows[i].usage)) << std::hex << int(rows[i].usage);
    }
}

TEST(KeyUsageTable, KnownValues) {
    EXPECT_EQ(0x04, ToUsage('A'));
    EXPECT_EQ(0x27, ToUsage('0'));
    EXPECT_EQ(0x1E, ToUsage('1'));
    EXPECT_EQ(0x45, ToUsage(0x7B));
    EXPECT_EQ(0xE1, ToUsage(0xA0));
    EXPECT_EQ(0xE5, ToUsage(0xA1));
    EXPECT_EQ(0x65, ToUsage(0x5D));
    EXPECT_EQ(0x5E, ToUsage(0x66)); // keypad 6 and 7 are listed out of order
    EXPECT_EQ(0x5F, ToUsage(0x67));
}

TEST(VirtualKeyToUsage, NumLockDoesNotAskTheLayout) {
    FakeLayout layout;
    EXPECT_EQ(0x53, ToUsage(0x90, layout));
    EXPECT_TRUE(layout.askedKeys.empty());
    EXPECT_EQ(0xF2, ToUsage(0xF2, layout));
    EXPECT_EQ(0xE0, ToUsage(0xA2, layout));
    EXPECT_TRUE(layout.askedKeys.empty());
}

TEST(VirtualKeyToUsage, PrintableKeysAskTheLayout) {
    FakeLayout layout;
    EXPECT_EQ(0x06, ToUsage('C', layout));
    ASSERT_EQ(1u, layout.askedKeys.size());
    EXPECT_EQ(unsigned('C'), layout.askedKeys[0]);
}

TEST(VirtualKeyToUsage, UnknownKeyReportsZero) {
    FakeLayout layout;
    int usage = -1;
    EXPECT_FALSE(VirtualKeyToUsage(0x07, usage, layout));
    EXPECT_EQ(0, usage);
    usage = -1;
    EXPECT_FALSE(VirtualKeyToUsage(0x10, usage));
    EXPECT_EQ(0, usage);
    EXPECT_TRUE(layout.askedKeys.empty());
}

TEST(VirtualKeyToUsage, NonUsLayoutUsesThePhysicalPlace) {
    FakeLayout french = FrenchLetters();
    EXPECT_EQ(0x14, ToUsage('A', french)); // A is where US has Q
    EXPECT_EQ(0x04, ToUsage('Q', french));
    EXPECT_EQ(0x1A, ToUsage('Z', french));
    EXPECT_EQ(0x05, ToUsage('B', french)); // unchanged keys stay
}

TEST(VirtualKeyToUsage, UnknownScanCodeKeepsTheTableUsage) {
    FakeLayout layout;
    layout.toScan = {{'A', 0x70}, {'B', 0}};
    EXPECT_EQ(0x04, ToUsage('A', layout));
    // Scan code 0 is "none": it must not match a row without a scan code (PrtSc would).
    EXPECT_EQ(0x05, ToUsage('B', layout));
}

TEST(UsageToVirtualKey, FixedRowsAndEdgeCases) {
    FakeLayout layout;
    EXPECT_EQ(0x6C, ToKey(0x58, layout));
    EXPECT_EQ("Num_ ", KeyName(ToKey(0x58, layout)));
    EXPECT_EQ(0xF2, ToKey(0xF2, layout));
    EXPECT_EQ("Wheel", KeyName(0xF2));
    EXPECT_EQ(0xF7, ToKey(0xF7, layout));
    EXPECT_EQ("", KeyName(0xF7));
    EXPECT_TRUE(layout.askedScans.empty());
}

TEST(UsageToVirtualKey, UnknownUsageReportsZero) {
    for (int usage : {0x00, 0x03, 0x32, 0x64, 0x66, 0xE8, 0xF5, 0xFF, -5, 300}) {
        int vk = -1;
        EXPECT_FALSE(UsageToVirtualKey(usage, vk)) << std::hex << usage;
        EXPECT_EQ(0, vk);
        EXPECT_EQ(0, UsageToVirtualKey(usage));
    }
}

TEST(UsageToVirtualKey, NonUsLayoutGivesTheKeyAtThePlace) {
    FakeLayout french = FrenchLetters();
    EXPECT_EQ('Q', ToKey(0x04, french));
    EXPECT_EQ('A', ToKey(0x14, french));
    EXPECT_EQ(std::vector<unsigned>({0x1E, 0x10}), french.askedScans);
    // A layout with no key at the place keeps the table's key.
    FakeLayout empty;
    empty.toKey = {{0x2E, 0}};
    EXPECT_EQ('C', ToKey(0x06, empty));
}

TEST(KeyCombinationText, PrefixesInOrder) {
    EXPECT_EQ("Shift+Ctrl+C", KeyCombinationText(0x06, 0x06));
    EXPECT_EQ("Shift+Ctrl+Alt+Win+C", KeyCombinationText(0x06, 0x1E));
    EXPECT_EQ("Alt+F4", KeyCombinationText(0x3D, 0x08));
    EXPECT_EQ("Win+L_Ctrl", KeyCombinationText(0xE0, 0x10));
    EXPECT_EQ("C", KeyCombinationText(0x06, 0x00));
}

TEST(KeyCombinationText, NoModifierBitShowsTheKeyAlone) {
    EXPECT_EQ("A", KeyCombinationText(0x04, 0x1F));
    EXPECT_EQ("Enter", KeyCombinationText(0x28, 0x01));
}

TEST(KeyCombinationText, UnknownKeyLeavesOnlyThePrefixes) {
    EXPECT_EQ("Ctrl+", KeyCombinationText(0x00, 0x04));
    EXPECT_EQ("", KeyCombinationText(0xFF, 0x01));
}

TEST(KeyCombinationText, FollowsTheLayout) {
    FakeLayout french = FrenchLetters();
    EXPECT_EQ("Ctrl+Q", KeyCombinationText(0x04, 0x04, french));
}

TEST(KeyCombinationText, UsesTheInstalledLayout) {
    FakeLayout french = FrenchLetters();
    SetActiveLayout(&french);
    EXPECT_EQ(&french, &ActiveLayout());
    EXPECT_EQ("Q", KeyCombinationText(0x04, 0));
    int usage = 0;
    VirtualKeyToUsage('A', usage);
    EXPECT_EQ(0x14, usage);
    SetActiveLayout(nullptr);
    EXPECT_EQ(&TableLayout(), &ActiveLayout());
    EXPECT_EQ("A", KeyCombinationText(0x04, 0));
}

TEST(EventLineText, MouseButtonsShowTheirDirection) {
    EXPECT_EQ("Left Button Down", EventLineText(0xF0, true));
    EXPECT_EQ("Side Button 2 Up", EventLineText(0xF4, false));
    EXPECT_EQ("Wheel Down", EventLineText(0xF2, true));
    EXPECT_EQ("A", EventLineText(0x04, true));
    EXPECT_EQ("A", EventLineText(0x04, false));
    EXPECT_EQ("", EventLineText(0xF7, true)); // no name and no direction
    EXPECT_EQ("", EventLineText(0x00, false));
    EXPECT_EQ("250 ms", DelayLineText(250));
    EXPECT_EQ("65535 ms", DelayLineText(65535));
}

// The whole usage table in its search order, written out from the key list by groups.
TEST(KeyUsageTable, EveryRowInOrder) {
    std::vector<KeyUsageRow> expected;
    const uint8_t letterScans[26] = {0x1E, 0x30, 0x2E, 0x20, 0x12, 0x21, 0x22, 0x23, 0x17, 0x24, 0x25, 0x26, 0x32,
                                     0x31, 0x18, 0x19, 0x10, 0x13, 0x1F, 0x14, 0x16, 0x2F, 0x11, 0x2D, 0x15, 0x2C};
    for (int i = 0; i < 26; ++i)
        expected.push_back({uint8_t(0x41 + i), uint8_t(0x04 + i), letterScans[i]});
    for (int i = 0; i < 9; ++i)
        expected.push_back({uint8_t(0x31 + i), uint8_t(0x1E + i), uint8_t(0x02 + i)});
    expected.push_back({0x30, 0x27, 0x0B});
    // clang-format off
    for (KeyUsageRow r : std::vector<KeyUsageRow>{{0x0D, 0x28, 0x1C}, {0x1B, 0x29, 0x01}, {0x08, 0x2A, 0x0E},
                                                  {0x09, 0x2B, 0x0F}, {0x20, 0x2C, 0x39}, {0xBD, 0x2D, 0x0C},
                                                  {0xBB, 0x2E, 0x0D}, {0xDB, 0x2F, 0x1A}, {0xDD, 0x30, 0x1B},
                                                  {0xDC, 0x31, 0x2B}, {0xBA, 0x33, 0x27}, {0xDE, 0x34, 0x28},
                                                  {0xC0, 0x35, 0x29}, {0xBC, 0x36, 0x33}, {0xBE, 0x37, 0x34},
                                                  {0xBF, 0x38, 0x35}, {0x14, 0x39, 0x3A}})
        expected.push_back(r);
    // clang-format on
    for (int i = 0; i < 12; ++i)
        expected.push_back({uint8_t(0x70 + i), uint8_t(0x3A + i), uint8_t(i < 10 ? 0x3B + i : 0x57 + (i - 10))});
    const uint8_t plainKeys[31] = {0x2C, 0x91, 0x13, 0x2D, 0x24, 0x21, 0x2E, 0x23, 0x22, 0x27, 0x25,
                                   0x28, 0x26, 0x90, 0x6F, 0x6A, 0x6D, 0x6B, 0x6C, 0x61, 0x62, 0x63,
                                   0x64, 0x65, 0x67, 0x66, 0x68, 0x69, 0x60, 0x6E, 0x5D};
    const uint8_t plainUsages[31] = {0x46, 0x47, 0x48, 0x49, 0x4A, 0x4B, 0x4C, 0x4D, 0x4E, 0x4F, 0x50,
                                     0x51, 0x52, 0x53, 0x54, 0x55, 0x56, 0x57, 0x58, 0x59, 0x5A, 0x5B,
                                     0x5C, 0x5D, 0x5F, 0x5E, 0x60, 0x61, 0x62, 0x63, 0x65};
    for (int i = 0; i < 31; ++i)
        expected.push_back({plainKeys[i], plainUsages[i], 0});
    const uint8_t modifierKeys[8] = {0xA2, 0xA0, 0xA4, 0x5B, 0xA3, 0xA1, 0xA5, 0x5C};
    for (int i = 0; i < 8; ++i)
        expected.push_back({modifierKeys[i], uint8_t(0xE0 + i), 0});
    for (uint8_t vk : {0xF0, 0xF1, 0xF2, 0xF3, 0xF4, 0xF7, 0xF8})
        expected.push_back({vk, vk, 0});

    ASSERT_EQ(size_t(kKeyUsageRowCount), expected.size());
    const KeyUsageRow* rows = KeyUsageRows();
    for (int i = 0; i < kKeyUsageRowCount; ++i) {
        EXPECT_EQ(expected[i].virtualKey, rows[i].virtualKey) << "row " << i;
        EXPECT_EQ(expected[i].usage, rows[i].usage) << "row " << i;
        EXPECT_EQ(expected[i].scanCode, rows[i].scanCode) << "row " << i;
    }
}

TEST(KeyName, EverySingleRow) {
    // clang-format off
    const std::map<int, std::string> names = {
        {0x08, "BkSpac"},        {0x09, "Tab"},          {0x0D, "Enter"},        {0x13, "Pause"},
        {0x14, "CapsLk"},        {0x1B, "Esc"},          {0x20, "Space"},        {0x21, "PgUp"},
        {0x22, "PgDn"},          {0x23, "End"},          {0x24, "Home"},         {0x25, "Left"},
        {0x26, "Up"},            {0x27, "Right"},        {0x28, "Down"},         {0x29, "Select"},
        {0x2B, "Execute"},       {0x2C, "PrtSc"},        {0x2D, "Insert"},       {0x2E, "Delete"},
        {0x2F, "Help"},          {0x5B, "L_WIN"},        {0x5C, "R_WIN"},        {0x5D, "APP"},
        {0x6A, "Num_*"},         {0x6B, "Num_+"},        {0x6C, "Num_ "},        {0x6D, "Num_-"},
        {0x6E, "Num_."},         {0x6F, "Num_/"},        {0x90, "NmLk"},         {0x91, "ScrLk"},
        {0xA0, "L_Shift"},       {0xA1, "R_Shift"},      {0xA2, "L_Ctrl"},       {0xA3, "R_Ctrl"},
        {0xA4, "L_Alt"},         {0xA5, "R_Alt"},        {0xBA, ";"},            {0xBB, "="},
        {0xBC, ","},             {0xBD, "-"},            {0xBE, "."},            {0xBF, "/"},
        {0xC0, "`"},             {0xDB, "["},            {0xDC, "\\"},           {0xDD, "]"},
        {0xDE, "'"},             {0xF0, "Left Button"},  {0xF1, "Right Button"}, {0xF2, "Wheel"},
        {0xF3, "Side Button 1"}, {0xF4, "Side Button 2"},
    };
    // clang-format on
    // Every code 0..255: the ranges, these rows, and nothing else.
    for (int vk = 0; vk < 256; ++vk) {
        std::string expected;
        if ((vk >= 0x30 && vk <= 0x39) || (vk >= 0x41 && vk <= 0x5A))
            expected = std::string(1, char(vk));
        else if (vk >= 0x60 && vk <= 0x69)
            expected = std::string("Num_") + char('0' + vk - 0x60);
        else if (vk >= 0x70 && vk <= 0x7B)
            expected = std::string("F") + std::to_string(vk - 0x6F);
        else if (auto it = names.find(vk); it != names.end())
            expected = it->second;
        EXPECT_EQ(expected, KeyName(vk)) << std::hex << vk;
    }
}
