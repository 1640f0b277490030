#include "monitor/device/device_commands.h"

#include "monitor/device/tests/test_profiles.h"
#include "testing/files.h"
#include "testing/golden.h"
#include "testing/text_lines.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <memory>
#include <random>
#include <sstream>
#include <string>
#include <vector>

namespace {

std::vector<uint8_t> Bytes(std::initializer_list<int> values) {
    std::vector<uint8_t> out;
    for (int v : values) {
        out.push_back(static_cast<uint8_t>(v));
    }
    return out;
}

template <size_t N> std::vector<uint8_t> Bytes(const std::array<uint8_t, N>& a) {
    return {a.begin(), a.end()};
}

std::vector<const Transfer*> SetsWithCommand(const TransferList& list, uint8_t command) {
    std::vector<const Transfer*> out;
    for (const Transfer& t : list) {
        if (t.kind == TransferKind::Set && !t.bytes.empty() && t.bytes[0] == command) {
            out.push_back(&t);
        }
    }
    return out;
}

// The golden file without its '#' comment lines.
std::string ReadGolden(const std::string& name) {
    std::string out;
    for (const std::string& line : SplitLines(SourceFileText("monitor/device/tests/golden/" + name))) {
        if (!line.empty() && line[0] != '#') {
            out += line + "\n";
        }
    }
    return out;
}

void ExpectGolden(const std::string& name, const std::string& actual) {
    const std::string expected = ReadGolden(name);
    if (expected != actual) {
        WriteFileText(name + ".actual", actual);
        ADD_FAILURE() << "transfer list differs from golden/" << name << "; written to " << name << ".actual";
    }
}

} // namespace

TEST(CommandReport, ChecksumMakesAllEightBytesSumToFF) {
    EXPECT_EQ(Bytes({0x01, 0x01, 0, 0, 0, 0, 0, 0xFD}), Bytes(MakeReport(0x01, {0x01})));
    EXPECT_EQ(Bytes({0x8B, 0, 0, 0, 0, 0, 0, 0x74}), Bytes(MakeReport(kCommandReadStage)));
    const CommandReport fixed = FixedReport();
    EXPECT_EQ(Bytes({0x03, 0x00, 0x0F, 0xD8, 0x40, 0x00, 0x00}), std::vector<uint8_t>(fixed.begin(), fixed.end() - 1));
    for (const CommandReport& r : {fixed, MakeReport(0x13, {11, 0x80}), MakeReport(0xFF, {0xFF, 0xFF, 0xFF})}) {
        unsigned sum = 0;
        for (uint8_t b : r) {
            sum += b;
        }
        EXPECT_EQ(0xFFu, sum & 0xFF);
    }
}

TEST(CommandReport, PollingIntervalFromRateCode) {
    auto data = DefaultData();
    ProfileRecord& p = data->Profile[0];
    const int rates[] = {0, 1, 2, 3, -1, 4, 1000};
    const int intervals[] = {8, 4, 2, 1, 2, 2, 2};
    for (int i = 0; i < 7; ++i) {
        p.PollingRate = rates[i];
        EXPECT_EQ(intervals[i], PollingRateReport(p)[1]) << "rate " << rates[i];
    }
    p.PollingRate = 3;
    EXPECT_EQ(Bytes({0x01, 0x01, 0, 0, 0, 0, 0, 0xFD}), Bytes(PollingRateReport(p)));
}

TEST(CommandReport, LightingModesWithProductsModulo256) {
    auto data = DefaultData();
    ProfileRecord& p = data->Profile[0];
    p.Brightness = 60;
    p.ColorOptions = 5;
    auto bytes = [&](int mode, int speed) {
        p.LightSwitch = mode;
        p.BreathSpeed = speed;
        const CommandReport r = LightingReport(p);
        EXPECT_EQ(0x0D, r[0]);
        return Bytes({r[1], r[2], r[3]});
    };
    EXPECT_EQ(Bytes({1, 44, 5}), bytes(1, 0));  // 300 mod 256
    EXPECT_EQ(Bytes({2, 49, 5}), bytes(2, 20)); // 305 mod 256
    EXPECT_EQ(Bytes({3, 3, 2}), bytes(3, 1));
    EXPECT_EQ(Bytes({3, 8, 2}), bytes(3, 2));
    EXPECT_EQ(Bytes({3, 18, 2}), bytes(3, 7));
    EXPECT_EQ(Bytes({4, 6, 0}), bytes(4, 1));
    EXPECT_EQ(Bytes({4, 16, 0}), bytes(4, 2));
    EXPECT_EQ(Bytes({4, 30, 0}), bytes(4, -3));
    EXPECT_EQ(Bytes({5, 0, 0}), bytes(5, 2));
    EXPECT_EQ(Bytes({6, 55, 5}), bytes(6, 2));
    EXPECT_EQ(Bytes({0, 0, 0}), bytes(0, 2));
    EXPECT_EQ(Bytes({0, 0, 0}), bytes(-7, 2));
    p.BreathSpeed = -1; // -10 mod 256
    p.LightSwitch = 2;
    EXPECT_EQ(0xF6, LightingReport(p)[2]);
}

TEST(DpiStages, StageCodesAndDisabledStagesTakeThePrecedingEnabledOne) {
    auto data = DefaultData();
    ProfileRecord& p = data->Profile[0];
    EXPECT_EQ(Bytes({0x04, 0x06, 0x25, 0x26, 0x45, 0x47, 0x80, 0x80}), Bytes(BuildDpiStageBlock(p)));
    p.dpiStepFlag[2] = 0;
    EXPECT_EQ(Bytes({0x04, 0x06, 0x86, 0x26, 0x45, 0x47, 0x80, 0x80}), Bytes(BuildDpiStageBlock(p)));
    p.dpiStepFlag[3] = 0; // two in a row both take stage 2
    p.dpiStepFlag[5] = 0;
    EXPECT_EQ(Bytes({0x04, 0x06, 0x86, 0x86, 0x45, 0xC5, 0x80, 0x80}), Bytes(BuildDpiStageBlock(p)));
    // Levels outside 1..14 from a damaged file index nothing and give 06.
    p.CpiLevel_X[0] = 0;
    p.CpiLevel_X[1] = 15;
    p.CpiLevel_X[4] = -2147483647 - 1;
    EXPECT_EQ(0x06, BuildDpiStageBlock(p)[0]);
    EXPECT_EQ(0x06, BuildDpiStageBlock(p)[1]);
    EXPECT_EQ(0x06, BuildDpiStageBlock(p)[4]);
    // The eight flags: only the first six count.
    p.dpiStepFlag[6] = 1;
    p.dpiStepFlag[7] = 1;
    EXPECT_EQ(0x80, BuildDpiStageBlock(p)[6]);
    EXPECT_EQ(0x80, BuildDpiStageBlock(p)[7]);
    // A first stage disabled has no stage before it: it stays marked disabled.
    p.dpiStepFlag[0] = 0;
    EXPECT_NE(0, BuildDpiStageBlock(p)[0] & 0x80);

    const int levels[] = {1, 2, 3, 5, 7, 8, 11, 12};
    const int codes[] = {0x01, 0x02, 0x03, 0x05, 0x07, 0x08, 0x27, 0x28};
    for (int i = 0; i < 8; ++i) {
        EXPECT_EQ(codes[i], StageCode(levels[i]));
    }
}

TEST(DpiStages, SelectStageOnlyForAStageIndex) {
    auto data = DefaultData();
    ProfileRecord& p = data->Profile[0];
    CommandReport r{};
    p.Cpi_X = 5;
    ASSERT_TRUE(SelectStageReport(p, r));
    EXPECT_EQ(Bytes({0x0B, 6, 0x08, 0, 0, 0, 0, 0xE6}), Bytes(r));
    for (int bad : {-1, 6, 255, 1 << 20}) {
        p.Cpi_X = bad;
        EXPECT_FALSE(SelectStageReport(p, r)) << bad;
    }
}

TEST(ButtonTable, DescriptorAdjustmentsByCode) {
    auto data = DefaultData();
    ProfileRecord& p = data->Profile[0];
    auto entryBytes = [&](int n) {
        const ButtonTable t = BuildButtonTable(p);
        return std::vector<uint8_t>(t.bytes.begin() + 4 * n, t.bytes.begin() + 4 * n + 4);
    };
    p.MacroKey[4].FunctionCode = kCodeLaunch;
    EXPECT_EQ(Bytes({0x06, 0x00, 0x00, 0x05}), entryBytes(4));

    MacroKeyInfo& fire = p.MacroKey[7];
    fire.FunctionCode = kCodeFire;
    fire.Data[0] = 0x1D;
    fire.Param2 = 3;
    fire.Param1 = 10;
    EXPECT_EQ(Bytes({0x0A, 0x1D, 0x02, 0x0A}), entryBytes(7));
    fire.Param2 = 5;
    fire.Param1 = 0x1FF;
    EXPECT_EQ(Bytes({0x0A, 0x1D, 0x02, 0xFF}), entryBytes(7));
    fire.Param2 = 300; // 150
    EXPECT_EQ(0x96, entryBytes(7)[2]);

    MacroKeyInfo& key = p.MacroKey[8];
    key.FunctionCode = kCodeShortcut;
    key.ContentCount = 1;
    key.Data[0] = 0x04;        // A
    key.Data[1] = 0x02 | 0x04; // Shift and Ctrl -> bits 0 and 1
    EXPECT_EQ(Bytes({0x00, 0x03, 0x04, 0x00}), entryBytes(8));

    p.MacroKey[9].FunctionCode = kCodeClickRepeat;
    p.OTGSpeed = 21;
    EXPECT_EQ(Bytes({0x0A, 0x00, 0x0A, 0x0A}), entryBytes(9));

    MacroKeyInfo& macro = p.MacroKey[10];
    macro.FunctionCode = kCodeMacro;
    macro.MacroOption = 2;
    EXPECT_EQ(Bytes({0x09, 0x00, 0x01, 0x00}), entryBytes(10)); // no events: option not sent, slot 1 all zero
    macro.ContentCount = 1;
    EXPECT_EQ(Bytes({0x09, 0x02, 0x01, 0x00}), entryBytes(10));

    p.MacroKey[11].FunctionCode = 42;  // caption only
    p.MacroKey[12].FunctionCode = 250; // unknown
    EXPECT_EQ(Bytes({0, 0, 0, 0}), entryBytes(11));
    EXPECT_EQ(Bytes({0, 0, 0, 0}), entryBytes(12));

    // Default codes through the table.
    EXPECT_EQ(Bytes({0x01, 0x00, 0xF0, 0x00}), entryBytes(0));
    EXPECT_EQ(Bytes({0x07, 0x00, 0x03, 0x00}), entryBytes(6));
    EXPECT_EQ(Bytes({0x04, 0x00, 0x02, 0x00}), entryBytes(15));
}

TEST(ButtonTable, EntriesTwentyFourToTwentyNineStayZeroAndTakeNoSlot) {
    auto data = DefaultData();
    ProfileRecord& p = data->Profile[0];
    for (int n = 24; n <= 29; ++n) {
        p.MacroKey[n].FunctionCode = 35;
    }
    p.MacroKey[30].FunctionCode = 35;
    const ButtonTable t = BuildButtonTable(p);
    for (int i = 4 * 24; i < 4 * 30; ++i) {
        EXPECT_EQ(0, t.bytes[i]) << i;
    }
    ASSERT_EQ(1u, t.slots.size());
    EXPECT_EQ(Bytes({0x09, 0x00, 0x01, 0x04}), std::vector<uint8_t>(t.bytes.begin() + 120, t.bytes.begin() + 124));
}

TEST(ButtonTable, TwelveSequenceEntriesGetElevenSlots) {
    auto data = DefaultData();
    ProfileRecord& p = data->Profile[0];
    const int entries[] = {1, 2, 3, 5, 9, 13, 20, 31, 40, 45, 50, 63};
    for (int n : entries) {
        p.MacroKey[n].FunctionCode = (n % 2) ? 35 : 23;
    }
    const ButtonTable t = BuildButtonTable(p);
    ASSERT_EQ(11u, t.slots.size());
    for (int i = 0; i < 11; ++i) {
        const int n = entries[i];
        EXPECT_EQ(0x09, t.bytes[4 * n]);
        EXPECT_EQ(i + 1, t.bytes[4 * n + 2]) << "entry " << n;
        EXPECT_EQ(Bytes(FixedSequenceSlot(p.MacroKey[n].FunctionCode)), Bytes(t.slots[i]));
    }
    EXPECT_EQ(Bytes({0x09, 0x00, 0x00, 0x04}), std::vector<uint8_t>(t.bytes.begin() + 252, t.bytes.end()));

    data->CurrentProfile = 0;
    const TransferList list = BuildApplyAll(*data);
    const auto slots = SetsWithCommand(list, kCommandSequenceSlot);
    ASSERT_EQ(11u, slots.size());
    for (int s = 0; s < 11; ++s) {
        EXPECT_EQ(s + 1, slots[s]->bytes[1]);
        EXPECT_EQ(0x80, slots[s]->bytes[2]);
    }
    EXPECT_EQ(2900 + 11 * 400, TotalPauseMs(list));
}

TEST(Sequences, FixedKeySequencesPressInOrderAndReleaseInReverse) {
    const SequenceSlot copy = FixedSequenceSlot(35);
    EXPECT_EQ(Bytes({0x00, 0x01, 0x01, 0xE0, 0x01, 0x06, 0x81, 0x06, 0x81, 0xE0}),
              std::vector<uint8_t>(copy.begin(), copy.begin() + 10));
    for (size_t i = 10; i < copy.size(); ++i) {
        EXPECT_EQ(0, copy[i]);
    }
    const SequenceSlot three = FixedSequenceSlot(70); // Ctrl+Shift+S
    EXPECT_EQ(Bytes({0x00, 0x01, 0x01, 0xE0, 0x01, 0xE1, 0x01, 0x16, 0x81, 0x16, 0x81, 0xE1, 0x81, 0xE0, 0x00}),
              std::vector<uint8_t>(three.begin(), three.begin() + 15));
    EXPECT_EQ(SequenceSlot{}, FixedSequenceSlot(1));
}

TEST(Sequences, MacroShortAndLongPauses) {
    MacroKeyInfo e{};
    e.FunctionCode = kCodeMacro;
    e.RepeatCount = 0x0102;
    e.ContentCount = 5;
    SetMacroEvent(e, 0, 0x04, 1, 50);    // 5 | 01
    SetMacroEvent(e, 1, 0x04, 2, 2000);  // long: 2000 / 50 = 40
    SetMacroEvent(e, 2, 0x05, 1, 1279);  // d = 127, still short
    SetMacroEvent(e, 3, 0x05, 2, 1280);  // d = 128: long, 25
    SetMacroEvent(e, 4, 0x06, 1, 65535); // 1310 does not fit a byte: 255
    const SequenceSlot s = MacroSequenceSlot(e);
    EXPECT_EQ(Bytes({0x01, 0x02, 0x05, 0x04, 0x81, 0x04, 0x28, 0x02, 0x7F, 0x05, 0x81, 0x05, 0x19, 0x02, 0x01, 0x06,
                     0xFF, 0x02, 0x00}),
              std::vector<uint8_t>(s.begin(), s.begin() + 19));
    // Repeat count: the low 16 bits, big-endian.
    e.RepeatCount = 0x7ABCD;
    EXPECT_EQ(0xAB, MacroSequenceSlot(e)[0]);
    EXPECT_EQ(0xCD, MacroSequenceSlot(e)[1]);
    // A release with a short pause keeps bit 7.
    e.ContentCount = 1;
    SetMacroEvent(e, 0, 0x2C, 2, 120); // 12 | 81 = 8D
    EXPECT_EQ(0x8D, MacroSequenceSlot(e)[2]);
    e.ContentCount = 0;
    EXPECT_EQ(SequenceSlot{}, MacroSequenceSlot(e));
}

TEST(Sequences, MacroSlotIsNeverOverrun) {
    MacroKeyInfo e{};
    e.FunctionCode = kCodeMacro;
    e.RepeatCount = 1;
    // 50 long-pause events would take 200 bytes: 31 fit the 126 after the header, with 2 bytes left over.
    e.ContentCount = 50;
    for (int j = 0; j < 50; ++j) {
        SetMacroEvent(e, j, static_cast<uint8_t>(0x04 + j % 20), j % 2 ? 2 : 1, 5000);
    }
    SequenceSlot s = MacroSequenceSlot(e);
    EXPECT_EQ(0x04 + 30 % 20, s[2 + 4 * 30 + 1]); // event 31 (j = 30) is the last
    EXPECT_EQ(0, s[126]);
    EXPECT_EQ(0, s[127]);
    // With one short event first, 1 + 31 events fill exactly 2 + 2 + 124 = 128 bytes.
    SetMacroEvent(e, 0, 0x2A, 1, 0);
    s = MacroSequenceSlot(e);
    EXPECT_EQ(0x02, s[127]);
    EXPECT_EQ(0x04 + 31 % 20, s[125]);
    // A damaged count beyond 50: nothing after the 50th event's bytes is read (the program path follows them).
    MacroKeyInfo big{};
    big.ContentCount = 0xFFFF;
    for (int j = 0; j < 50; ++j) {
        SetMacroEvent(big, j, 0x04, 1, 0);
    }
    std::memset(big.ProgramPath, 0x77, sizeof big.ProgramPath);
    s = MacroSequenceSlot(big);
    for (int i = 2; i < 102; i += 2) {
        EXPECT_EQ(0x04, s[i + 1]);
    }
    for (size_t i = 102; i < s.size(); ++i) {
        EXPECT_EQ(0, s[i]) << i;
    }
}

TEST(ApplyAll, OrderOfCommandsAndPauses) {
    auto data = DefaultData();
    data->CurrentProfile = 2;
    data->Profile[2].PollingRate = 0;
    data->Profile[2].MacroKey[3].FunctionCode = 35;
    data->Profile[2].MacroKey[40].FunctionCode = 22;
    const TransferList list = BuildApplyAll(*data);
    std::vector<int> commands;
    for (const Transfer& t : list) {
        if (t.kind == TransferKind::Set) {
            commands.push_back(t.bytes[0]);
        }
    }
    EXPECT_EQ((std::vector<int>{0x01, 0x03, 0x0D, 0x11, 0x0B, 0x12, 0x12, 0x12, 0x12, 0x13, 0x13}), commands);
    EXPECT_EQ(8, list.front().bytes[1]);
    EXPECT_EQ(2900 + 2 * 400, TotalPauseMs(list));
    // Every data block follows its command: one of 8 after 0x11, two of 32 per page, four of 32 per slot.
    int writes8 = 0, writes32 = 0;
    for (const Transfer& t : list) {
        if (t.kind == TransferKind::Write) {
            (t.bytes.size() == 8 ? writes8 : writes32) += 1;
        }
        EXPECT_TRUE(t.kind != TransferKind::Write || t.bytes.size() == 8 || t.bytes.size() == 32);
    }
    EXPECT_EQ(1, writes8);
    EXPECT_EQ(8 + 8, writes32);
}

TEST(ApplyAll, NothingOutsideTheFiveProfilesAndNoSelectForABadStage) {
    auto data = DefaultData();
    for (int bad : {-1, 5, 1000, -2147483647 - 1}) {
        data->CurrentProfile = bad;
        EXPECT_TRUE(BuildApplyAll(*data).empty()) << bad;
    }
    data->CurrentProfile = 4;
    data->Profile[4].Cpi_X = 6;
    const TransferList list = BuildApplyAll(*data);
    EXPECT_TRUE(SetsWithCommand(list, kCommandSelectStage).empty());
    EXPECT_EQ(2900, TotalPauseMs(list));
}

TEST(ApplyAll, DefaultProfileMatchesGolden) {
    auto data = DefaultData();
    ExpectGolden("apply_all_default.txt", FormatTransfers(BuildApplyAll(*data)));
    EXPECT_EQ(2900, TotalPauseMs(BuildApplyAll(*data)));
}

TEST(ApplyAll, MixedProfileMatchesGolden) {
    auto data = MixedData();
    const TransferList list = BuildApplyAll(*data);
    ExpectGolden("apply_all_mixed.txt", FormatTransfers(list));
    EXPECT_EQ(2900 + 3 * 400, TotalPauseMs(list));
}

TEST(ReadBack, CommandAndDecodedStage) {
    const TransferList list = BuildReadBack();
    EXPECT_EQ("SET 8B 00 00 00 00 00 00 74\nPAUSE 100\nGET 8B 00 00 00 00 00 00 74\n", FormatTransfers(list));
    EXPECT_EQ("PAUSE 4000\nSET 03 00 0F D8 40 00 00 D5\n", FormatTransfers(BuildReadBackTail()));
    int32_t cpi = 9;
    EXPECT_TRUE(DecodeReadBack({0x8B, 3, 0, 0, 0, 0, 0, 0x6F}, cpi));
    EXPECT_EQ(2, cpi);
    EXPECT_TRUE(DecodeReadBack({0x8B, 6, 0, 0, 0, 0, 0, 0}, cpi));
    EXPECT_EQ(5, cpi);
    for (uint8_t bad : {0, 7, 0xFF}) {
        cpi = 9;
        EXPECT_FALSE(DecodeReadBack({0x8B, bad, 0, 0, 0, 0, 0, 0}, cpi));
        EXPECT_EQ(9, cpi);
    }
}

TEST(ApplyAll, DamagedOrHostileProfilesStayWithinTheProtocol) {
    // Random bytes everywhere (a damaged file or a hostile block), and the extremes of every integer: the encoder
    // must neither overflow nor read outside the record (the sanitizers watch), and the output keeps its shape.
    std::mt19937 random(20261208);
    auto data = std::make_unique<ShareData>();
    for (int round = 0; round < 60; ++round) {
        auto* bytes = reinterpret_cast<uint8_t*>(data.get());
        const int mode = round % 3;
        for (size_t i = 0; i < sizeof(ShareData); ++i) {
            bytes[i] = mode == 0 ? static_cast<uint8_t>(random()) : mode == 1 ? 0xFF : (i % 4 == 3 ? 0x80 : 0);
        }
        data->CurrentProfile = round % 5;
        // A third of the entries get sequence codes, so that slots run out.
        for (MacroKeyInfo& e : data->Profile[data->CurrentProfile].MacroKey) {
            if (random() % 3 == 0) {
                e.FunctionCode = random() % 2 ? kCodeMacro : 23;
            }
        }
        const TransferList list = BuildApplyAll(*data);
        int slotCommands = 0;
        for (const Transfer& t : list) {
            if (t.kind == TransferKind::Set) {
                ASSERT_EQ(8u, t.bytes.size());
                unsigned sum = 0;
                for (uint8_t b : t.bytes) {
                    sum += b;
                }
                EXPECT_EQ(0xFFu, sum & 0xFF);
                slotCommands += t.bytes[0] == kCommandSequenceSlot;
            } else if (t.kind == TransferKind::Write) {
                EXPECT_TRUE(t.bytes.size() == 8 || t.bytes.size() == 32);
            }
        }
        EXPECT_LE(slotCommands, kSequenceSlotCount);
        EXPECT_EQ(2900 + 400 * slotCommands, TotalPauseMs(list));
    }
}
