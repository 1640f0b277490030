#include "common/function_codes.h"

#include "common/key_tables.h"

#include "testing/golden.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <map>
#include <memory>
#include <set>
#include <vector>

namespace {

// "T1003" for 1003: shows which number a caption came from.
std::string FakeText(int number) {
    char text[16];
    std::snprintf(text, sizeof text, "T%d", number);
    return text;
}

// The button page as the assignment sees it: scripted dialog answers, recorded calls.
class FakeHost final : public AssignmentHost {
public:
    struct Answer {
        bool ok = true;
        uint8_t key = 0;
        std::array<bool, 5> flags{};
        int32_t valueA = 0, valueB = 0;
        int32_t option = 0;
        int chosen = -1;
    } answer;
    std::vector<MacroForEntry> library;

    std::vector<std::string> calls;
    uint8_t shownKey = 0;
    std::array<bool, 5> shownFlags{};
    int32_t shownA = -1, shownB = -1, shownOption = -1;
    int shownChosen = -2;
    int warnings = 0;
    std::map<int, bool> enabled;
    std::map<int, std::string> captions;
    int captionRuns = 0;

    bool RunShortcutDialog(uint8_t& key, std::array<bool, 5>& flags) override {
        calls.push_back("shortcut");
        shownKey = key;
        shownFlags = flags;
        if (answer.ok) {
            key = answer.key;
            flags = answer.flags;
        }
        return answer.ok;
    }
    bool RunFireDialog(uint8_t& key, int32_t& a, int32_t& b) override {
        calls.push_back("fire");
        shownKey = key;
        shownA = a;
        shownB = b;
        if (answer.ok) {
            key = answer.key;
            a = answer.valueA;
            b = answer.valueB;
        }
        return answer.ok;
    }
    bool RunMacroSelectionDialog(int32_t& option, int& chosen) override {
        calls.push_back("macro");
        shownOption = option;
        shownChosen = chosen;
        if (answer.ok) {
            option = answer.option;
            chosen = answer.chosen;
        }
        return answer.ok;
    }
    int FindMacroIndex(const MacroKeyInfo& entry) override {
        std::string name(entry.MacroName, FieldLength(entry.MacroName));
        for (size_t i = 0; i < library.size(); ++i) {
            if (library[i].name == name) {
                return int(i);
            }
        }
        return -1;
    }
    bool MacroAt(int index, MacroForEntry& macro) override {
        if (index < 0 || index >= int(library.size())) {
            return false;
        }
        macro = library[index];
        return true;
    }
    void ShowLeftClickWarning() override {
        calls.push_back("warning");
        ++warnings;
    }
    void EnableEntryButton(int entry, bool on) override { enabled[entry] = on; }
    void SetEntryCaption(int entry, const std::string& caption) override {
        captions[entry] = caption;
        if (entry == 63) {
            ++captionRuns;
        }
    }
    std::string Text(int number) override { return FakeText(number); }
    bool shown = true; // whether the profile of the dialog is still the one shown when it ends
    bool StillShown(const ProfileRecord&) override { return shown; }
};

class Assignment : public ::testing::Test {
protected:
    void SetUp() override {
        data = std::make_unique<ShareData>();
        std::memset(data.get(), 0, sizeof(ShareData));
        ResetAll(*data);
    }
    ProfileRecord& profile() { return data->Profile[0]; }
    MacroKeyInfo& entry(int i) { return profile().MacroKey[i]; }
    // An entry of a twin pair and its twin: both codes, and the twin's state and caption.
    void ExpectTwins(int n, int code, int twin, int twinCode, bool twinEnabled, const std::string& twinCaption) {
        EXPECT_EQ(code, entry(n).FunctionCode) << n;
        EXPECT_EQ(twinCode, entry(twin).FunctionCode) << twin;
        EXPECT_EQ(twinEnabled, host.enabled.at(twin)) << twin;
        EXPECT_EQ(twinCaption, host.captions[twin]) << twin;
    }

    std::unique_ptr<ShareData> data;
    FakeHost host;
};

MacroKeyInfo EmptyEntry(int code) {
    MacroKeyInfo e;
    std::memset(&e, 0, sizeof e);
    e.FunctionCode = uint8_t(code);
    return e;
}

MacroForEntry Macro(const std::string& name, int count, uint8_t fill, int repeat) {
    MacroForEntry m;
    m.name = name;
    m.eventCount = count;
    m.repeatCount = repeat;
    m.events.fill(fill);
    return m;
}

} // namespace

// ---- the table ------------------------------------------------------------------------------------------------

TEST(FunctionTable, CodesAndCommandsAreUnique) {
    std::set<int> codes, commands;
    for (const auto& f : FunctionTable()) {
        EXPECT_TRUE(codes.insert(f.code).second) << int(f.code);
        if (f.command) {
            EXPECT_TRUE(commands.insert(f.command).second) << f.command;
            EXPECT_NE(kNotInMenu, f.submenu) << int(f.code);
            EXPECT_EQ(&f, FindFunctionByCommand(f.command));
        } else {
            EXPECT_EQ(kNotInMenu, f.submenu) << int(f.code);
        }
        EXPECT_EQ(&f, FindFunction(f.code));
    }
    EXPECT_EQ(67u, codes.size());
    EXPECT_EQ(50u, commands.size());
    EXPECT_EQ(nullptr, FindFunction(0));
    EXPECT_EQ(nullptr, FindFunction(200));
    EXPECT_EQ(nullptr, FindFunctionByCommand(0));
    EXPECT_EQ(nullptr, FindFunctionByCommand(1200));
}

TEST(FunctionTable, MenuOrderAndSubmenus) {
    // The menu as the button page builds it: items in table order, grouped by their submenu.
    std::vector<int> top;
    std::map<int, std::vector<int>> sub;
    std::vector<int> subOrder;
    for (const auto& f : FunctionTable()) {
        if (f.submenu == kNotInMenu) {
            continue;
        }
        if (f.submenu == kNoSubmenu) {
            EXPECT_TRUE(subOrder.empty()) << "top-level item after a submenu: " << f.command;
            top.push_back(f.command);
        } else {
            if (sub.find(f.submenu) == sub.end()) {
                subOrder.push_back(f.submenu);
            }
            sub[f.submenu].push_back(f.command);
        }
    }
    EXPECT_EQ(std::vector<int>({1003, 1005, 1004, 1008, 1009, 1059, 1052, 1053, 1054, 1060, 1058}), top);
    EXPECT_EQ(std::vector<int>({1055, 1107, 1006, 1015, 1026, 1040, 1062}), subOrder);
    EXPECT_EQ(std::vector<int>({1104, 1105, 1106}), sub[1055]);
    EXPECT_EQ(std::vector<int>({1108, 1109, 1110}), sub[1107]);
    EXPECT_EQ(std::vector<int>({1007, 1010, 1011, 1012, 1013, 1014, 1021, 1078}), sub[1006]);
    EXPECT_EQ(std::vector<int>({1020, 1022, 1024, 1025, 1056, 1057}), sub[1015]);
    EXPECT_EQ(std::vector<int>({1027, 1028, 1029, 1030, 1031, 1032, 1033, 1034, 1035, 1039}), sub[1026]);
    EXPECT_EQ(std::vector<int>({1041, 1042, 1043, 1044, 1045, 1046, 1047, 1048}), sub[1040]);
    EXPECT_EQ(std::vector<int>({1049}), sub[1062]);
    EXPECT_EQ(1143, FindFunction(6)->itemCaption);
    EXPECT_EQ(1049, FindFunction(6)->caption);
    EXPECT_EQ(1003, FindFunction(1)->itemCaption);
}

TEST(FunctionTable, MenuRestrictions) {
    const FunctionInfo& setSwitch = *FindFunction(84);
    const FunctionInfo& altTab = *FindFunction(20);
    const FunctionInfo& macro = *FindFunction(6);
    const FunctionInfo& left = *FindFunction(1);
    for (int e = 0; e < 64; ++e) {
        EXPECT_EQ(e <= 13, OfferedForEntry(setSwitch, e)) << e;
        EXPECT_EQ(e != 8 && e != 9, OfferedForEntry(altTab, e)) << e;
        EXPECT_EQ(e != 14 && e != 15 && e != 46 && e != 47, OfferedForEntry(macro, e)) << e;
        EXPECT_TRUE(OfferedForEntry(left, e));
        EXPECT_FALSE(OfferedForEntry(*FindFunction(16), e)); // no menu item
    }
    EXPECT_FALSE(OfferedForEntry(left, -1));
    EXPECT_FALSE(OfferedForEntry(left, 64));
    // Only these three items have a restriction.
    for (const auto& f : FunctionTable()) {
        if (f.code != 84 && f.code != 20 && f.code != 6) {
            EXPECT_EQ(EntryRule::AnyEntry, f.rule) << int(f.code);
        }
    }
}

// Every code's descriptor and fixed key sequence, in table order, against the table as it was reviewed.
TEST(FunctionTable, EveryDescriptorAndKeySequence) {
    std::string text = "# code: device descriptor (for entry 0; - for none), then the keys of a fixed sequence\n";
    for (const auto& f : FunctionTable()) {
        char line[64];
        const auto d = FunctionDescriptor(f.code, 0);
        if (f.hasDescriptor) {
            std::snprintf(line, sizeof line, "%3d: %02X %02X %02X %02X", f.code, d[0], d[1], d[2], d[3]);
        } else {
            std::snprintf(line, sizeof line, "%3d: -", f.code);
        }
        text += line;
        const KeySequence s = KeySequenceOf(f.code);
        for (int k = 0; k < s.count; ++k) {
            std::snprintf(line, sizeof line, k == 0 ? ", keys %02X" : " %02X", s.keys[k]);
            text += line;
        }
        text += "\n";
        if (s.count > 0) {
            // The descriptor's last byte counts the key events: each key is pressed and released.
            EXPECT_EQ(2 * s.count, d[3]) << int(f.code);
            EXPECT_EQ(0x09, d[0]) << int(f.code);
        }
    }
    EXPECT_TRUE(MatchesGolden(text, "common/tests/golden/function_table.txt"));

    using D = std::array<uint8_t, 4>;
    EXPECT_EQ((D{0x06, 0, 0, 5}), FunctionDescriptor(99, 4));
    EXPECT_EQ((D{0x06, 0, 0, 64}), FunctionDescriptor(99, 63));
    EXPECT_EQ((D{0, 0, 0, 0}), FunctionDescriptor(0, 3));
    EXPECT_EQ((D{0, 0, 0, 0}), FunctionDescriptor(250, 3));
    EXPECT_EQ((D{0, 0, 0, 0}), FunctionDescriptor(42, 3));
    EXPECT_EQ(0, KeySequenceOf(6).count);
    EXPECT_EQ(0, KeySequenceOf(0).count);
}

TEST(FunctionTable, DefaultsHaveCaptions) {
    // After a reset every entry shows its default function (14 and 15 the captions of 16 and 17).
    for (int e = 0; e < 64; ++e) {
        MacroKeyInfo m = EmptyEntry(DefaultFunctionCode(e));
        EXPECT_NE("", EntryCaption(m, FakeText)) << e;
    }
    EXPECT_EQ("T1016", EntryCaption(EmptyEntry(DefaultFunctionCode(14)), FakeText));
    EXPECT_EQ("T1017", EntryCaption(EmptyEntry(DefaultFunctionCode(47)), FakeText));
}

// ---- captions --------------------------------------------------------------------------------------------------

TEST(EntryCaption, ByCaptionString) {
    EXPECT_EQ("T1003", EntryCaption(EmptyEntry(1), FakeText));
    EXPECT_EQ("T1058", EntryCaption(EmptyEntry(7), FakeText));
    EXPECT_EQ("T1036", EntryCaption(EmptyEntry(41), FakeText));
    EXPECT_EQ("T1142", EntryCaption(EmptyEntry(116), FakeText));
    EXPECT_EQ("T1050", EntryCaption(EmptyEntry(64), FakeText));
    for (int code : {0, 69, 70, 71, 100, 113, 200, 255}) {
        EXPECT_EQ("", EntryCaption(EmptyEntry(code), FakeText)) << code;
    }
}

TEST(EntryCaption, Shortcut) {
    MacroKeyInfo e = EmptyEntry(5);
    e.Data[0] = 0x04;
    e.Data[1] = 0x06;
    EXPECT_EQ("", EntryCaption(e, FakeText)); // no key set yet
    e.ContentCount = 1;
    EXPECT_EQ("Shift+Ctrl+A", EntryCaption(e, FakeText));
    e.Data[1] = 0x07;
    EXPECT_EQ("A", EntryCaption(e, FakeText));
}

TEST(EntryCaption, Fire) {
    MacroKeyInfo e = EmptyEntry(67);
    e.Data[0] = 0x2C;
    EXPECT_EQ("", EntryCaption(e, FakeText));
    e.ContentCount = 1;
    EXPECT_EQ("T1054 + Space", EntryCaption(e, FakeText));
}

TEST(EntryCaption, MacroNameWithinItsField) {
    MacroKeyInfo e = EmptyEntry(6);
    std::strcpy(e.MacroName, "Burst");
    EXPECT_EQ("Burst", EntryCaption(e, FakeText));
    // A damaged file: 20 letters and no terminator; the repeat count that follows must not show.
    std::memset(e.MacroName, 'M', sizeof e.MacroName);
    e.RepeatCount = 0x41414141;
    EXPECT_EQ(std::string(20, 'M'), EntryCaption(e, FakeText));
}

TEST(EntryCaption, ProgramFileName) {
    MacroKeyInfo e = EmptyEntry(99);
    std::strcpy(e.ProgramPath, "C:\\Games\\Tools\\launcher.exe");
    EXPECT_EQ("launcher.exe", EntryCaption(e, FakeText));
    std::strcpy(e.ProgramPath, "C:/x/run.bat");
    EXPECT_EQ("run.bat", EntryCaption(e, FakeText));
    std::strcpy(e.ProgramPath, "D:notes.txt");
    EXPECT_EQ("notes.txt", EntryCaption(e, FakeText));
    std::strcpy(e.ProgramPath, "plain");
    EXPECT_EQ("plain", EntryCaption(e, FakeText));
    std::strcpy(e.ProgramPath, "C:\\folder\\");
    EXPECT_EQ("", EntryCaption(e, FakeText));
    e.ProgramPath[0] = 0;
    EXPECT_EQ("", EntryCaption(e, FakeText));
}

TEST(EntryCaption, ProgramPathWithinItsField) {
    // The path runs to the very end of the entry without a terminator; nothing beyond the entry may be read.
    auto block = std::make_unique<MacroKeyInfo[]>(2);
    std::memset(block.get(), 'z', 2 * sizeof(MacroKeyInfo));
    MacroKeyInfo& e = block[0];
    e.FunctionCode = 99;
    std::memset(e.ProgramPath, 'p', sizeof e.ProgramPath);
    e.ProgramPath[100] = '\\';
    EXPECT_EQ(std::string(161, 'p'), EntryCaption(e, FakeText));
}

// ---- assignment ------------------------------------------------------------------------------------------------

TEST_F(Assignment, SimpleCommandStoresTheCodeAndClearsTheData) {
    entry(4).ContentCount = 3;
    entry(4).Data[0] = 9;
    entry(4).Data[199] = 9;
    std::strcpy(entry(4).MacroName, "Old");
    EXPECT_EQ(AssignResult::Stored, AssignFunction(profile(), 4, 1041, host));
    EXPECT_EQ(48, entry(4).FunctionCode);
    EXPECT_EQ(0, entry(4).ContentCount);
    EXPECT_EQ(0, entry(4).Data[0]);
    EXPECT_EQ(0, entry(4).Data[199]);
    EXPECT_EQ(0, entry(4).MacroName[0]);
    EXPECT_EQ(4, entry(4).ButtonNumber);
    EXPECT_TRUE(host.calls.empty());
    EXPECT_EQ(1, host.captionRuns);
    EXPECT_EQ(64u, host.captions.size());
    EXPECT_EQ("T1041", host.captions[4]);
    EXPECT_EQ("T1003", host.captions[0]);
}

TEST_F(Assignment, UnknownCommandGivesCodeZero) {
    EXPECT_EQ(AssignResult::Stored, AssignFunction(profile(), 5, 1100, host));
    EXPECT_EQ(0, entry(5).FunctionCode);
    EXPECT_EQ("", host.captions[5]);
}

TEST_F(Assignment, LeftClickGuardRefusesTheLastLeftClick) {
    EXPECT_EQ(AssignResult::Refused, AssignFunction(profile(), 0, 1005, host));
    EXPECT_EQ(1, entry(0).FunctionCode);
    EXPECT_EQ(1, host.warnings);
    EXPECT_EQ(std::vector<std::string>({"warning"}), host.calls);
    EXPECT_EQ(0, host.captionRuns);
    EXPECT_TRUE(host.enabled.empty()); // the twin rule did not run either
    EXPECT_EQ(1, entry(32).FunctionCode);
}

TEST_F(Assignment, LeftClickGuardPassesWhenAnotherEntryClicksLeft) {
    ASSERT_EQ(AssignResult::Stored, AssignFunction(profile(), 7, 1003, host));
    EXPECT_EQ(AssignResult::Stored, AssignFunction(profile(), 0, 1005, host));
    EXPECT_EQ(2, entry(0).FunctionCode);
    EXPECT_EQ(0, host.warnings);
    // Now entry 7 holds the only left click.
    EXPECT_EQ(AssignResult::Refused, AssignFunction(profile(), 7, 1058, host));
    EXPECT_EQ(1, entry(7).FunctionCode);
}

TEST_F(Assignment, LeftClickGuardLooksAtTheEditedSetOnly) {
    profile().ModeStatus = 2;
    // The first set's left click does not count while the second set is edited.
    EXPECT_EQ(AssignResult::Refused, AssignFunction(profile(), 32, 1058, host));
    EXPECT_EQ(1, entry(32).FunctionCode);
    entry(40).FunctionCode = 1;
    EXPECT_EQ(AssignResult::Stored, AssignFunction(profile(), 32, 1058, host));
    EXPECT_EQ(7, entry(32).FunctionCode);
    EXPECT_TRUE(host.enabled.empty()); // a second-set entry has no twin
}

TEST_F(Assignment, UnknownModeStatusStoresNothing) {
    profile().ModeStatus = 3;
    EXPECT_EQ(AssignResult::Refused, AssignFunction(profile(), 4, 1003, host));
    EXPECT_EQ(10, entry(4).FunctionCode);
    EXPECT_EQ(1, host.warnings);
}

TEST_F(Assignment, BadEntryIndexChangesNothing) {
    EXPECT_EQ(AssignResult::Refused, AssignFunction(profile(), -1, 1003, host));
    EXPECT_EQ(AssignResult::Refused, AssignFunction(profile(), 64, 1003, host));
    EXPECT_TRUE(host.calls.empty());
}

TEST_F(Assignment, SetSwitchTwinFollowsAndIsRestored) {
    EXPECT_EQ(AssignResult::Stored, AssignFunction(profile(), 3, 1059, host));
    ExpectTwins(3, 84, 35, 84, false, "T1059");

    EXPECT_EQ(AssignResult::Stored, AssignFunction(profile(), 3, 1005, host));
    ExpectTwins(3, 2, 35, 9, true, "T1008");
}

TEST_F(Assignment, TwinRuleStandsWhenTheDialogIsCancelled) {
    entry(38).FunctionCode = 84;
    host.answer.ok = false;
    EXPECT_EQ(AssignResult::Cancelled, AssignFunction(profile(), 6, 1060, host));
    ExpectTwins(6, 96, 38, 96, true, "T1104");
}

TEST_F(Assignment, ShortcutCancelKeepsCodeAndData) {
    entry(5).FunctionCode = 5;
    entry(5).ContentCount = 1;
    entry(5).Data[0] = 0x04;
    entry(5).Data[1] = 0x0A;
    MacroKeyInfo before = entry(5);
    host.answer.ok = false;
    host.answer.key = 0x06;
    EXPECT_EQ(AssignResult::Cancelled, AssignFunction(profile(), 5, 1060, host));
    EXPECT_EQ(0, std::memcmp(&before, &entry(5), sizeof before));
    // The dialog was opened with the entry's key and its flags bit by bit.
    EXPECT_EQ(0x04, host.shownKey);
    EXPECT_EQ((std::array<bool, 5>{false, true, false, true, false}), host.shownFlags);
    EXPECT_EQ("Shift+Alt+A", host.captions[5]);
}

TEST_F(Assignment, ShortcutOkStoresKeyAndModifiers) {
    std::strcpy(entry(5).MacroName, "Old");
    host.answer.key = 0x06;
    host.answer.flags = {false, true, true, false, false};
    EXPECT_EQ(AssignResult::Stored, AssignFunction(profile(), 5, 1060, host));
    EXPECT_EQ(5, entry(5).FunctionCode);
    EXPECT_EQ(1, entry(5).ContentCount);
    EXPECT_EQ(0x06, entry(5).Data[0]);
    EXPECT_EQ(0x06, entry(5).Data[1]);
    EXPECT_EQ(0, entry(5).MacroName[0]);
    EXPECT_EQ("Shift+Ctrl+C", host.captions[5]);
}

TEST_F(Assignment, ShortcutNoModifierFlagIsTheOnlyBit) {
    host.answer.key = 0x06;
    host.answer.flags = {true, true, true, true, true};
    EXPECT_EQ(AssignResult::Stored, AssignFunction(profile(), 5, 1060, host));
    EXPECT_EQ(0x01, entry(5).Data[1]);
    EXPECT_EQ("C", host.captions[5]);
}

TEST_F(Assignment, ShortcutOkWithoutKeyGivesTheDefaultCode) {
    entry(9).FunctionCode = 2;
    entry(9).Data[5] = 7;
    host.answer.key = 0;
    host.answer.flags = {false, true, false, false, false};
    EXPECT_EQ(AssignResult::Stored, AssignFunction(profile(), 9, 1060, host));
    EXPECT_EQ(7, entry(9).FunctionCode);
    EXPECT_EQ(0, entry(9).ContentCount);
    EXPECT_EQ(0, entry(9).Data[1]);
    EXPECT_EQ(0, entry(9).Data[5]);
    EXPECT_EQ("T1058", host.captions[9]);
}

TEST_F(Assignment, FireOpensWithDefaultsForANewFireButton) {
    entry(4).Param1 = 77;
    entry(4).Param2 = 88;
    entry(4).Data[0] = 0x2C;
    host.answer.key = 0x2C;
    host.answer.valueA = 10;
    host.answer.valueB = 3;
    EXPECT_EQ(AssignResult::Stored, AssignFunction(profile(), 4, 1054, host));
    EXPECT_EQ(0, host.shownA);
    EXPECT_EQ(5, host.shownB);
    EXPECT_EQ(0x2C, host.shownKey);
    EXPECT_EQ(67, entry(4).FunctionCode);
    EXPECT_EQ(1, entry(4).ContentCount);
    EXPECT_EQ(10, entry(4).Param1);
    EXPECT_EQ(3, entry(4).Param2);
    EXPECT_EQ(0x2C, entry(4).Data[0]);
    EXPECT_EQ("T1054 + Space", host.captions[4]);

    // A second run starts from the stored fire values.
    host.answer.ok = false;
    EXPECT_EQ(AssignResult::Cancelled, AssignFunction(profile(), 4, 1054, host));
    EXPECT_EQ(10, host.shownA);
    EXPECT_EQ(3, host.shownB);
    EXPECT_EQ(67, entry(4).FunctionCode);
}

TEST_F(Assignment, FireWithoutKeyGivesTheDefaultCode) {
    host.answer.key = 0;
    host.answer.valueA = 1;
    host.answer.valueB = 9;
    EXPECT_EQ(AssignResult::Stored, AssignFunction(profile(), 1, 1054, host));
    EXPECT_EQ(2, entry(1).FunctionCode);
    EXPECT_EQ(0, entry(1).ContentCount);
}

TEST_F(Assignment, MacroSelectionCopiesTheChosenMacro) {
    host.library = {Macro("Aim", 3, 0x11, 2), Macro("Burst", 7, 0x22, 5)};
    entry(4).MacroOption = 2;
    host.answer.option = 1;
    host.answer.chosen = 1;
    EXPECT_EQ(AssignResult::Stored, AssignFunction(profile(), 4, 1049, host));
    EXPECT_EQ(2, host.shownOption);
    EXPECT_EQ(-1, host.shownChosen); // the entry held no macro
    EXPECT_EQ(6, entry(4).FunctionCode);
    EXPECT_EQ(1, entry(4).MacroOption);
    EXPECT_EQ(7, entry(4).ContentCount);
    EXPECT_EQ(5, entry(4).RepeatCount);
    EXPECT_STREQ("Burst", entry(4).MacroName);
    EXPECT_EQ(0x22, entry(4).Data[0]);
    EXPECT_EQ(0x22, entry(4).Data[199]);
    EXPECT_EQ("Burst", host.captions[4]);

    // Opened again, the dialog preselects the entry's macro.
    host.answer.ok = false;
    EXPECT_EQ(AssignResult::Cancelled, AssignFunction(profile(), 4, 1049, host));
    EXPECT_EQ(1, host.shownChosen);
    EXPECT_EQ(1, host.shownOption);
}

TEST_F(Assignment, MacroSelectionWithoutMacroGivesTheDefaultCode) {
    host.library = {Macro("Aim", 3, 0x11, 2)};
    host.answer.option = 2;
    host.answer.chosen = -1;
    EXPECT_EQ(AssignResult::Stored, AssignFunction(profile(), 5, 1049, host));
    EXPECT_EQ(7, entry(5).FunctionCode);
    EXPECT_EQ(2, entry(5).MacroOption);
    host.answer.chosen = 4; // beyond the library
    EXPECT_EQ(AssignResult::Stored, AssignFunction(profile(), 6, 1049, host));
    EXPECT_EQ(96, entry(6).FunctionCode);
}

TEST_F(Assignment, MacroCopyStaysWithinTheEntry) {
    // An imported name can be longer than the entry's field, a damaged record can claim too many events.
    host.library = {Macro(std::string(40, 'N'), 900, 0x33, 1)};
    host.answer.chosen = 0;
    EXPECT_EQ(AssignResult::Stored, AssignFunction(profile(), 4, 1049, host));
    EXPECT_EQ(std::string(19, 'N'), std::string(entry(4).MacroName));
    EXPECT_EQ(50, entry(4).ContentCount);
    EXPECT_EQ(1, entry(4).RepeatCount);
    EXPECT_EQ(std::string(19, 'N'), host.captions[4]);
}

TEST_F(Assignment, MacroCommandFromTheLibraryMenu) {
    host.library = {Macro("Aim", 3, 0x11, 2), Macro("Burst", 7, 0x22, 5)};
    entry(4).MacroOption = 1;
    EXPECT_EQ(AssignResult::Stored, AssignFunction(profile(), 4, 1201, host));
    EXPECT_TRUE(host.calls.empty());
    EXPECT_EQ(6, entry(4).FunctionCode);
    EXPECT_STREQ("Burst", entry(4).MacroName);
    EXPECT_EQ(1, entry(4).MacroOption);
    EXPECT_EQ(AssignResult::Stored, AssignFunction(profile(), 5, 1210, host));
    EXPECT_EQ(7, entry(5).FunctionCode);
    EXPECT_EQ(0, entry(5).ContentCount);
}

TEST_F(Assignment, RebuildCaptionsCoversEveryEntry) {
    RebuildCaptions(profile(), host);
    ASSERT_EQ(64u, host.captions.size());
    for (int e = 0; e < 64; ++e) {
        EXPECT_EQ(EntryCaption(entry(e), FakeText), host.captions[e]) << e;
    }
    EXPECT_EQ("T1104", host.captions[54]);
}

TEST_F(Assignment, EveryCancelledDialogLeavesTheEntryByteForByte) {
    host.library = {Macro("Aim", 3, 0x11, 2)};
    host.answer.ok = false;
    host.answer.key = 0x06;
    host.answer.valueA = 9;
    host.answer.option = 2;
    host.answer.chosen = 0;
    // An entry full of data of another function; the dialogs must not touch any of it.
    for (int command : {1060, 1054, 1049}) {
        MacroKeyInfo& e = entry(9);
        auto* bytes = reinterpret_cast<unsigned char*>(&e);
        for (size_t i = 0; i < sizeof e; ++i) {
            bytes[i] = static_cast<unsigned char>(i * 7 + 3);
        }
        e.FunctionCode = 67;
        entry(41).FunctionCode = 84;
        MacroKeyInfo before = e;
        EXPECT_EQ(AssignResult::Cancelled, AssignFunction(profile(), 9, command, host)) << command;
        EXPECT_EQ(0, std::memcmp(&before, &e, sizeof before)) << command;
        EXPECT_EQ(7, entry(41).FunctionCode) << command; // the twin still got its default
    }
    EXPECT_EQ(std::vector<std::string>({"shortcut", "fire", "macro"}), host.calls);
}

TEST_F(Assignment, ADialogThatEndsAfterItsProfileLeftThePageStoresNothingAndPaintsNothing) {
    host.answer.key = 0x06;
    host.answer.valueA = 9;
    host.answer.option = 1;
    host.answer.chosen = 0;
    host.library.push_back(MacroForEntry{"Aim", 2, 1, {}});
    for (int command : {1060, 1054, 1049}) {
        host.shown = false;
        MacroKeyInfo before = entry(6);
        int runs = host.captionRuns;
        EXPECT_EQ(AssignResult::Dropped, AssignFunction(profile(), 6, command, host)) << command;
        EXPECT_EQ(0, std::memcmp(&before, &entry(6), sizeof before)) << command;
        EXPECT_EQ(runs, host.captionRuns) << command;
        // Still shown, the same answer is stored.
        host.shown = true;
        EXPECT_EQ(AssignResult::Stored, AssignFunction(profile(), 6, command, host)) << command;
        EXPECT_NE(0, std::memcmp(&before, &entry(6), sizeof before)) << command;
        entry(6) = before;
    }
}

TEST(LaunchedPrograms, EachProgramOnceInEntryOrderOnlyFromLaunchEntries) {
    auto profile = std::make_unique<ProfileRecord>();
    std::memset(profile.get(), 0, sizeof *profile);
    auto launch = [&](int entry, const char* path) {
        profile->MacroKey[entry].FunctionCode = 99;
        std::snprintf(profile->MacroKey[entry].ProgramPath, sizeof profile->MacroKey[entry].ProgramPath, "%s", path);
    };
    EXPECT_TRUE(LaunchedPrograms(*profile).empty());
    launch(40, "C:\\b.exe");
    launch(3, "C:\\a.exe");
    launch(9, "C:\\b.exe");
    // A path in another function's entry starts nothing.
    std::snprintf(profile->MacroKey[5].ProgramPath, sizeof profile->MacroKey[5].ProgramPath, "C:\\c.exe");
    // A path that fills its field without a terminator is read within it.
    profile->MacroKey[60].FunctionCode = 99;
    std::memset(profile->MacroKey[60].ProgramPath, 'x', sizeof profile->MacroKey[60].ProgramPath);
    std::vector<std::string> programs = LaunchedPrograms(*profile);
    ASSERT_EQ(3u, programs.size());
    EXPECT_EQ("C:\\a.exe", programs[0]);
    EXPECT_EQ("C:\\b.exe", programs[1]);
    EXPECT_EQ(std::string(sizeof profile->MacroKey[60].ProgramPath, 'x'), programs[2]);
}
