#include "common/key_tables.h"

#include "testing/golden.h"

#include <gtest/gtest.h>

#include <cstdio>

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
    for (int vk : {0x00, 0x10, 0x11, 0x12, 0x2A, 0x3A, 0x40, 0x5E, 0x7C, 0xDF, 0xF5, 0xF7, 0xF8, 0xFF, -1, 256}) {
        EXPECT_EQ("", KeyName(vk)) << std::hex << vk;
    }
}

TEST(KeyUsageTable, RowsAreConsistent) {
    const KeyUsageRow* rows = KeyUsageRows();
    std::set<int> keys, usages, scans;
    for (int i = 0; i < kKeyUsageRowCount; ++i) {
        keys.insert(rows[i].virtualKey);
        usages.insert(rows[i].usage);
        if (i < 65) {
            EXPECT_NE(0, rows[i].scanCode) << "row " << i;
        } else {
            EXPECT_EQ(0, rows[i].scanCode) << "row " << i;
        }
        if (rows[i].scanCode) {
            scans.insert(rows[i].scanCode);
        }
    }
    // Every key, usage and scan code appears once, so both directions are unambiguous.
    EXPECT_EQ(111u, keys.size());
    EXPECT_EQ(111u, usages.size());
    EXPECT_EQ(65u, scans.size());
    // Every key of the table has a name except the two extra pseudo-keys.
    for (int i = 0; i < kKeyUsageRowCount; ++i) {
        if (rows[i].virtualKey == 0xF7 || rows[i].virtualKey == 0xF8) {
            continue;
        }
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

// The whole usage table in its search order and every key name, against the tables as they were reviewed.
TEST(KeyUsageTable, EveryRowInOrder) {
    std::string text = "# virtual key, HID usage, scan code (00: the layout gives it), in search order\n";
    const KeyUsageRow* rows = KeyUsageRows();
    for (int i = 0; i < kKeyUsageRowCount; ++i) {
        char line[32];
        std::snprintf(line, sizeof line, "%02X %02X %02X\n", rows[i].virtualKey, rows[i].usage, rows[i].scanCode);
        text += line;
    }
    EXPECT_TRUE(MatchesGolden(text, "common/tests/golden/key_usage_table.txt"));
}

TEST(KeyName, EveryCode) {
    std::string text = "# virtual key and its name, for every code that has one\n";
    for (int vk = 0; vk < 256; ++vk) {
        const std::string name = KeyName(vk);
        if (!name.empty()) {
            char code[8];
            std::snprintf(code, sizeof code, "%02X ", vk);
            text += code + name + "\n";
        }
    }
    EXPECT_TRUE(MatchesGolden(text, "common/tests/golden/key_names.txt"));
}
