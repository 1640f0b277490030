// The macro page's rules as logic: recording, lines, insertions and corrections.

#include <gtest/gtest.h>

#include "option/macros/macro_editing.h"

namespace {

constexpr int kVkA = 0x41, kVkB = 0x42, kVkC = 0x43;
constexpr uint8_t kUsageA = 0x04, kUsageB = 0x05, kUsageC = 0x06;

MacroEvents Letters(int n) {
    MacroEvents e;
    int position = -1;
    for (int i = 0; i < n; ++i) {
        InsertEvent(e, position, {static_cast<uint8_t>(kUsageA + i % 26), kMacroPress, 0});
    }
    return e;
}

TEST(MacroRecorder, PressesReleasesAndPausesBelongToTheEarlierEvent) {
    MacroEvents e;
    MacroRecorder r;
    r.recordDelays = true;
    r.Start();
    uint32_t t = 1000;
    EXPECT_TRUE(r.OnKey(e, kVkA, false, t));
    // A held key repeats its press: dropped.
    EXPECT_FALSE(r.OnKey(e, kVkA, false, t + 30));
    EXPECT_FALSE(r.OnKey(e, kVkA, false, t + 60));
    EXPECT_TRUE(r.OnKey(e, kVkA, true, t + 120));
    EXPECT_TRUE(r.OnKey(e, kVkB, false, t + 400));
    // Two minutes: the longest pause the mouse keeps.
    EXPECT_TRUE(r.OnKey(e, kVkB, true, t + 400 + 120000));
    ASSERT_EQ(4, e.count);
    EXPECT_EQ(kUsageA, e.events[0].MacroCode);
    EXPECT_EQ(kMacroPress, e.events[0].Action);
    EXPECT_EQ(kMacroRelease, e.events[1].Action);
    EXPECT_EQ(kUsageB, e.events[2].MacroCode);
    EXPECT_EQ(120, e.events[0].Delay);
    EXPECT_EQ(280, e.events[1].Delay);
    EXPECT_EQ(65535, e.events[2].Delay);
    EXPECT_EQ(0, e.events[3].Delay); // the last event keeps none

    // Without delays every pause stays 0; the last key is remembered across recordings (B released).
    MacroEvents quiet;
    MacroRecorder q;
    q.Start();
    q.OnKey(quiet, kVkC, false, 10);
    q.OnKey(quiet, kVkC, true, 5000);
    ASSERT_EQ(2, quiet.count);
    EXPECT_EQ(0, quiet.events[0].Delay);
    EXPECT_EQ(kUsageC, quiet.events[1].MacroCode);
    // An unknown key records code 0.
    q.OnKey(quiet, 0xFF, false, 6000);
    EXPECT_EQ(0, quiet.events[2].MacroCode);
}

TEST(MacroRecorder, FiftiethEventStopsAndRecordAfterKeepsTypingOrder) {
    MacroEvents e = Letters(48);
    MacroRecorder r;
    r.Start();
    EXPECT_TRUE(r.OnKey(e, kVkA, false, 1));
    EXPECT_TRUE(r.Recording());
    EXPECT_TRUE(r.OnKey(e, kVkA, true, 2));
    EXPECT_EQ(50, e.count);
    EXPECT_FALSE(r.Recording());

    // "Record after" the third of ten events: new events go after it, in typing order.
    MacroEvents ten = Letters(10);
    MacroRecorder after;
    after.recordDelays = true;
    after.insertPosition = 3;
    after.Start();
    after.OnKey(ten, kVkB, false, 100);
    after.OnKey(ten, kVkB, true, 150);
    after.OnKey(ten, kVkC, false, 400);
    ASSERT_EQ(13, ten.count);
    EXPECT_EQ(kUsageA + 2, ten.events[2].MacroCode);
    EXPECT_EQ(kUsageB, ten.events[3].MacroCode);
    EXPECT_EQ(kMacroRelease, ten.events[4].Action);
    EXPECT_EQ(kUsageC, ten.events[5].MacroCode);
    EXPECT_EQ(kUsageA + 3, ten.events[6].MacroCode); // the old fourth event follows
    EXPECT_EQ(50, ten.events[3].Delay);
    EXPECT_EQ(250, ten.events[4].Delay);
    EXPECT_EQ(5, after.LastInserted());
}

TEST(MacroLines, TextsIconsPausesAndTheLineInView) {
    MacroEvents e;
    int position = -1;
    InsertEvent(e, position, {kUsageA, kMacroPress, 250});
    InsertEvent(e, position, {kUsageA, kMacroRelease, 0});
    InsertEvent(e, position, {kMacroRightButton, kMacroPress, 0});
    InsertEvent(e, position, {kMacroRightButton, kMacroRelease, 65535});
    std::vector<EventLine> lines = EventLines(e);
    ASSERT_EQ(6u, lines.size());
    EXPECT_EQ("A", lines[0].text);
    EXPECT_EQ(1 * 65536 + kKeyPressIcon, lines[0].itemData);
    EXPECT_EQ("250 ms", lines[1].text);
    EXPECT_EQ(1 * 65536 + kPauseIcon, lines[1].itemData);
    EXPECT_EQ(2 * 65536 + kKeyReleaseIcon, lines[2].itemData);
    EXPECT_EQ("Right Button Down", lines[3].text);
    EXPECT_EQ(kMouseButtonIcon, lines[3].Icon());
    EXPECT_EQ("Right Button Up", lines[4].text);
    EXPECT_EQ("65535 ms", lines[5].text);
    EXPECT_EQ(1, LineOfEvent(lines, 0));
    EXPECT_EQ(2, LineOfEvent(lines, 1));
    EXPECT_EQ(5, LineOfEvent(lines, 9));
    // Two lines below the shown one stay in view in the middle of a long list.
    EXPECT_EQ(3, CaretLineFor(3, 20));
    EXPECT_EQ(6, CaretLineFor(4, 20));
    EXPECT_EQ(17, CaretLineFor(17, 20));
    EXPECT_EQ(19, CaretLineFor(40, 20));
    EXPECT_EQ(-1, CaretLineFor(0, 0));
}

TEST(MacroEditing, InsertDelayRemoveAndMouseClicksAtTheLimit) {
    MacroEvents e = Letters(3);
    e.events[1].Delay = 100;
    std::vector<EventLine> lines = EventLines(e); // A, B, "100 ms", C
    int target = -1;
    EXPECT_FALSE(InsertDelayTarget(e, lines[0], target)); // the first event
    EXPECT_FALSE(InsertDelayTarget(e, lines[2], target)); // a pause line
    EXPECT_FALSE(InsertDelayTarget(e, lines[3], target)); // C follows a pause already
    ASSERT_TRUE(InsertDelayTarget(e, lines[1], target));  // before B: onto A
    EXPECT_EQ(0, target);

    EXPECT_TRUE(RemoveEvent(e, 1));
    EXPECT_EQ(2, e.count);
    EXPECT_EQ(kUsageA + 2, e.events[1].MacroCode);
    EXPECT_FALSE(RemoveEvent(e, 2));

    MacroEvents full = Letters(49);
    EXPECT_FALSE(InsertMouseCommand(full, 1022, -1)); // a click needs two slots
    EXPECT_EQ(49, full.count);
    EXPECT_TRUE(InsertMouseCommand(full, 1020 + 3 * 4 + 1, -1)); // release of side button 2
    EXPECT_EQ(kMacroSideButton2, full.events[49].MacroCode);
    EXPECT_EQ(kMacroRelease, full.events[49].Action);
    EXPECT_FALSE(InsertMouseCommand(full, 1020, -1));

    MacroEvents room = Letters(48);
    EXPECT_TRUE(InsertMouseCommand(room, 1022, 2)); // a left click before the third event
    EXPECT_EQ(50, room.count);
    EXPECT_EQ(kMacroLeftButton, room.events[2].MacroCode);
    EXPECT_EQ(kMacroPress, room.events[2].Action);
    EXPECT_EQ(kMacroRelease, room.events[3].Action);
    EXPECT_EQ(kUsageA + 2, room.events[4].MacroCode);
    EXPECT_FALSE(InsertMouseCommand(room, 1035, -1));
    MacroEvents one = Letters(1);
    EXPECT_FALSE(InsertMouseCommand(one, 1019, -1));
    EXPECT_FALSE(InsertMouseCommand(one, 1035, -1));
    EXPECT_EQ(1, one.count);
    // The menu numbers its items as the commands above.
    EXPECT_EQ(1022, MouseCommand(0, MouseAction::Click));
    EXPECT_EQ(1020 + 3 * 4 + 1, MouseCommand(4, MouseAction::Release));
    EXPECT_EQ(1034, kLastMouseCommand);
}

TEST(MacroEditing, TypedNumbersAreCorrectedIntoTheirRanges) {
    EXPECT_EQ(1, RepeatCountFromText("0"));
    EXPECT_EQ(255, RepeatCountFromText("999"));
    EXPECT_EQ(12, RepeatCountFromText("12abc"));
    EXPECT_EQ(1, RepeatCountFromText(""));
    EXPECT_EQ(65535, PauseFromText("70000 ms"));
    EXPECT_EQ(250, PauseFromText("250"));
    EXPECT_EQ(1, PauseFromText("-5"));
    EXPECT_EQ(65535, PauseFromText("99999999999999999999999"));
    EXPECT_EQ(0, InsertDelayFromText("0"));
    EXPECT_EQ(65535, InsertDelayFromText("65536"));
}

} // namespace
