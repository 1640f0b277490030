#include "hiddriver/virtual_mouse.h"

#include "hiddriver/control_command.h"
#include "hiddriver/memory_dump.h"

#include "testing/text_lines.h"

#include <gtest/gtest.h>

#include <numeric>
#include <sstream>

using namespace vmouse;

namespace {

Outcome Send(VirtualMouse& mouse, std::initializer_list<uint8_t> bytes) {
    auto report = MakeReport(bytes);
    return mouse.SetFeature(report.data(), report.size());
}

Outcome Block(VirtualMouse& mouse, const std::vector<uint8_t>& block) {
    return mouse.WriteBlock(block.data(), block.size());
}

std::vector<uint8_t> Pattern(uint8_t first, size_t length = kBlockBytes) {
    std::vector<uint8_t> block(length);
    std::iota(block.begin(), block.end(), first);
    return block;
}

bool AnyNoteContains(const Outcome& outcome, const std::string& text) {
    for (const auto& note : outcome.notes) {
        if (note.find(text) != std::string::npos) {
            return true;
        }
    }
    return false;
}

} // namespace

TEST(CommandDecoding, ReportWithABadChecksumIsLoggedAndIgnored) {
    VirtualMouse mouse;
    const Memory before = mouse.memory();
    auto report = MakeReport({0x01, 0x01});
    EXPECT_EQ(0xFD, report[7]);
    report[7] ^= 0x10;
    const Outcome bad = mouse.SetFeature(report.data(), report.size());
    EXPECT_TRUE(bad.ok); // delivered, but not taken
    EXPECT_FALSE(bad.memoryChanged);
    EXPECT_TRUE(AnyNoteContains(bad, "checksum ED wrong (should be FD)"));
    EXPECT_EQ(before, mouse.memory());

    // A page command with a bad checksum announces nothing: its blocks land nowhere.
    auto page = MakeReport({0x12, 0x01, 0x40});
    page[7]++;
    mouse.SetFeature(page.data(), page.size());
    const Outcome stray = Block(mouse, Pattern(1));
    EXPECT_TRUE(AnyNoteContains(stray, "no command announced"));
    EXPECT_EQ(before, mouse.memory());
}

TEST(CommandDecoding, ButtonPagesLandAtTheirOffsets) {
    VirtualMouse mouse;
    for (int p = 4; p >= 1; --p) {
        ASSERT_TRUE(Send(mouse, {0x12, static_cast<uint8_t>(p), 0x40}).ok);
        EXPECT_FALSE(Block(mouse, Pattern(static_cast<uint8_t>(p * 64))).memoryChanged) << "kept after the last";
        const Outcome second = Block(mouse, Pattern(static_cast<uint8_t>(p * 64 + 32)));
        EXPECT_TRUE(second.memoryChanged);
        EXPECT_TRUE(AnyNoteContains(second, "page " + std::to_string(p) + " written"));
    }
    const auto& table = mouse.memory().buttons;
    for (int p = 1; p <= 4; ++p) {
        for (int i = 0; i < 64; ++i) {
            ASSERT_EQ(static_cast<uint8_t>(p * 64 + i), table[64 * (p - 1) + i]) << "page " << p << " byte " << i;
        }
    }

    // The page count is all the command announced: a third block is stray.
    Send(mouse, {0x12, 0x02, 0x40});
    Block(mouse, Pattern(0xA0));
    Block(mouse, Pattern(0xC0));
    EXPECT_TRUE(AnyNoteContains(Block(mouse, Pattern(0)), "no command announced"));
    EXPECT_EQ(0xA0, table[64]);
    EXPECT_EQ(0xC0, table[96]);
    EXPECT_EQ(0xC0 + 31, table[127]);
    EXPECT_EQ(0xC0, table[128]); // page 3 as written before
}

TEST(CommandDecoding, SlotTakesFourBlocksAndLeavesTheOthers) {
    VirtualMouse mouse;
    ASSERT_TRUE(Send(mouse, {0x13, 0x0B, 0x80}).ok);
    for (int part = 0; part < 4; ++part) {
        Block(mouse, Pattern(static_cast<uint8_t>(32 * part + 1)));
    }
    const auto& slots = mouse.memory().slots;
    for (int i = 0; i < kSlotBytes; ++i) {
        ASSERT_EQ(i + 1, slots[10][i]) << i;
    }
    for (int s = 0; s < 10; ++s) {
        EXPECT_EQ(FactoryMemory().slots[s], slots[s]) << s;
    }

    // A new command cuts short a slot whose blocks did not all come; what came stays.
    Send(mouse, {0x13, 0x03, 0x80});
    Block(mouse, Pattern(0x40));
    const Outcome next = Send(mouse, {0x8B}); // changes nothing itself
    EXPECT_TRUE(AnyNoteContains(next, "1 of 4 arrived"));
    EXPECT_TRUE(next.memoryChanged) << "the block that came is kept";
    EXPECT_EQ(0x40, slots[2][0]);
    EXPECT_EQ(0, slots[2][32]);
    EXPECT_TRUE(AnyNoteContains(Block(mouse, Pattern(0)), "no command announced"));
}

TEST(CommandDecoding, ParametersOutsideTheProtocolAreRefused) {
    VirtualMouse mouse;
    const Memory before = mouse.memory();
    EXPECT_TRUE(AnyNoteContains(Send(mouse, {0x12, 0x05, 0x40}), "page 5 is not 1..4"));
    EXPECT_TRUE(AnyNoteContains(Send(mouse, {0x12, 0x00, 0x40}), "page 0 is not 1..4"));
    EXPECT_TRUE(AnyNoteContains(Send(mouse, {0x13, 0x0C, 0x80}), "slot 12 is not 1..11"));
    EXPECT_TRUE(AnyNoteContains(Send(mouse, {0x13, 0x01, 0x40}), "not 80 00"));
    EXPECT_TRUE(AnyNoteContains(Send(mouse, {0x0B, 0x07, 0x08}), "stage 7 is not 1..6"));
    EXPECT_TRUE(AnyNoteContains(Send(mouse, {0x01, 0x03}), "interval 3 ms"));
    EXPECT_TRUE(AnyNoteContains(Send(mouse, {0x0D, 0x07}), "lighting mode 7"));
    EXPECT_TRUE(AnyNoteContains(Send(mouse, {0x42}), "unknown command"));
    EXPECT_TRUE(AnyNoteContains(Block(mouse, Pattern(0)), "no command announced"));
    EXPECT_EQ(before, mouse.memory());
    // Wrong lengths on the wire.
    uint8_t seven[7] = {};
    EXPECT_FALSE(mouse.SetFeature(seven, 7).ok);
    EXPECT_FALSE(mouse.SetFeature(nullptr, 8).ok);
    Send(mouse, {0x11, 0x06, 0x08});
    EXPECT_TRUE(AnyNoteContains(Block(mouse, Pattern(0, 32)), "where 8 were announced"));
    EXPECT_EQ(before, mouse.memory());
}

TEST(CommandDecoding, SettingsCommandsReachTheMemory) {
    VirtualMouse mouse;
    EXPECT_TRUE(Send(mouse, {0x01, 0x08}).memoryChanged);
    EXPECT_TRUE(Send(mouse, {0x0D, 0x02, 0x31, 0x07}).memoryChanged);
    Send(mouse, {0x11, 0x06, 0x08});
    Block(mouse, {0x04, 0x06, 0x86, 0x26, 0x45, 0x47, 0x80, 0x80});
    Send(mouse, {0x0B, 0x05, 0x08});
    const Memory& m = mouse.memory();
    EXPECT_EQ(8, m.pollingInterval);
    EXPECT_EQ((std::array<uint8_t, 3>{0x02, 0x31, 0x07}), m.lighting);
    EXPECT_EQ((std::array<uint8_t, 8>{0x04, 0x06, 0x86, 0x26, 0x45, 0x47, 0x80, 0x80}), m.dpiTable);
    EXPECT_EQ(5, m.selectedStage);
}

TEST(CommandDecoding, StageRequestIsAnsweredWithAValidReport) {
    VirtualMouse mouse;
    std::array<uint8_t, 8> answer{};
    EXPECT_FALSE(mouse.GetFeature(answer).ok) << "no answer before a request";
    Send(mouse, {0x0B, 0x06, 0x08});
    const auto request = MakeReport({0x8B});
    EXPECT_EQ(0x74, request[7]);
    ASSERT_TRUE(mouse.SetFeature(request.data(), request.size()).ok);
    ASSERT_TRUE(mouse.GetFeature(answer).ok);
    EXPECT_EQ(0x8B, answer[0]);
    EXPECT_EQ(6, answer[1]);
    unsigned sum = 0;
    for (uint8_t b : answer) {
        sum += b;
    }
    EXPECT_EQ(0xFFu, sum & 0xFF);
    // The next command ends the answer.
    Send(mouse, {0x03, 0x00, 0x0F, 0xD8, 0x40});
    EXPECT_FALSE(mouse.GetFeature(answer).ok);
}

TEST(CommandDecoding, UnpluggedMouseTakesNothing) {
    VirtualMouse mouse;
    const Outcome unplug = mouse.Plug(false);
    ASSERT_TRUE(unplug.presence.has_value());
    EXPECT_FALSE(*unplug.presence);
    EXPECT_FALSE(Send(mouse, {0x01, 0x01}).ok);
    EXPECT_FALSE(mouse.SelectStage(3).ok);
    EXPECT_TRUE(mouse.SelectStage(3).reports.empty());
    EXPECT_FALSE(mouse.Plug(false).presence.has_value()) << "a second unplug changes nothing";
    EXPECT_EQ(2, mouse.memory().selectedStage);
}

TEST(Persistence, MemoryRoundTripsThroughTheFileImage) {
    VirtualMouse mouse;
    Send(mouse, {0x13, 0x04, 0x80});
    for (int part = 0; part < 4; ++part) {
        Block(mouse, Pattern(static_cast<uint8_t>(7 * part)));
    }
    Send(mouse, {0x01, 0x01});
    mouse.Plug(false);
    const std::vector<uint8_t> image = SerializeMemory(mouse.memory());
    EXPECT_EQ(kMemoryFileBytes, image.size());
    const auto back = DeserializeMemory(image);
    ASSERT_TRUE(back);
    EXPECT_EQ(mouse.memory(), *back);
    EXPECT_FALSE(back->plugged);
    // The image ends with the standard CRC-32 of the rest, low byte first (the check value of "123456789").
    const uint8_t check[] = {'1', '2', '3', '4', '5', '6', '7', '8', '9'};
    EXPECT_EQ(0xCBF43926u, Crc32(check, sizeof check));
    const uint32_t crc = Crc32(image.data(), image.size() - 4);
    EXPECT_EQ(std::vector<uint8_t>({static_cast<uint8_t>(crc), static_cast<uint8_t>(crc >> 8),
                                    static_cast<uint8_t>(crc >> 16), static_cast<uint8_t>(crc >> 24)}),
              std::vector<uint8_t>(image.end() - 4, image.end()));
}

TEST(Persistence, DamagedImagesAreRefused) {
    const std::vector<uint8_t> good = SerializeMemory(FactoryMemory());
    ASSERT_TRUE(DeserializeMemory(good));
    EXPECT_FALSE(DeserializeMemory({}));
    std::vector<uint8_t> cut(good.begin(), good.end() - 1);
    EXPECT_FALSE(DeserializeMemory(cut));
    std::vector<uint8_t> longer = good;
    longer.push_back(0);
    EXPECT_FALSE(DeserializeMemory(longer));
    for (size_t at : {size_t{0}, size_t{9}, size_t{100}, good.size() - 1}) {
        std::vector<uint8_t> flipped = good;
        flipped[at] ^= 0x01;
        EXPECT_FALSE(DeserializeMemory(flipped)) << "byte " << at;
    }
    // A sound checksum over values the mouse cannot hold is damage too.
    Memory impossible = FactoryMemory();
    impossible.selectedStage = 9;
    EXPECT_FALSE(DeserializeMemory(SerializeMemory(impossible)));
    impossible = FactoryMemory();
    impossible.pollingInterval = 3;
    EXPECT_FALSE(DeserializeMemory(SerializeMemory(impossible)));
}

TEST(Dump, FactoryMemoryReadsAsAPersonExpects) {
    const std::vector<std::string> lines = SplitLines(DumpMemory(FactoryMemory()));
    const std::vector<std::string> head = {
        "Virtual mouse memory",
        "Presence: plugged",
        "Polling rate: 500 Hz (interval 2 ms)",
        "Fixed parameters: 00 0F D8 40 00 00",
        "Lighting: mode 1, value 1 = 50, value 2 = 0",
        "DPI stages (selected stage 2):",
        "  stage 1: 500 DPI, enabled (02)",
        "  stage 2: 1000 DPI, enabled (04) <- selected",
        "  stage 3: 1500 DPI, enabled (06)",
        "  stage 4: 2000 DPI, enabled (08)",
        "  stage 5: 3000 DPI, enabled (26)",
        "  stage 6: 4000 DPI, enabled (28)",
        "  trailer: 80 80",
        "Button table:",
        "  entry 00: 01 00 F0 00  mouse button 1 (left click)",
        "  entry 01: 01 00 F1 00  mouse button 2 (right click)",
        "  entry 02: 01 00 F2 00  mouse button 3 (middle click)",
        "  entry 03: 01 00 F3 00  mouse button 4",
        "  entry 04: 01 00 F4 00  mouse button 5",
        "  entry 05: 00 00 00 00  nothing (disabled)",
        "  entry 06: 07 00 03 00  DPI function 3 (cycle up)",
        "  entry 07: 00 00 00 00  nothing (disabled)",
    };
    ASSERT_EQ(1u + 1 + 1 + 1 + 1 + 1 + 6 + 1 + 1 + 64 + 1 + 1, lines.size());
    for (size_t i = 0; i < head.size(); ++i) {
        EXPECT_EQ(head[i], lines[i]);
    }
    EXPECT_EQ("  entry 14: 04 00 01 00  wheel function 1", lines[14 + 14]);
    EXPECT_EQ("  entry 24: 00 00 00 00  nothing (disabled)", lines[14 + 24]);
    EXPECT_EQ("  entry 47: 04 00 02 00  wheel function 2", lines[14 + 47]);
    EXPECT_EQ("Sequence slots:", lines[78]);
    EXPECT_EQ("  (none used)", lines[79]);
}

TEST(Dump, UsedSlotsShowTheirKeyEventsWithPauses) {
    Memory m = FactoryMemory();
    const uint8_t ctrlC[] = {0x00, 0x01, 0x01, 0xE0, 0x01, 0x06, 0x81, 0x06, 0x81, 0xE0};
    std::copy(std::begin(ctrlC), std::end(ctrlC), m.slots[0].begin());
    const uint8_t macro[] = {0x00, 0x03, 0x05, 0x04, 0x81, 0x04, 0x28, 0x02};
    std::copy(std::begin(macro), std::end(macro), m.slots[2].begin());
    const uint8_t entry5[] = {0x09, 0x00, 0x01, 0x04};
    std::copy(std::begin(entry5), std::end(entry5), m.buttons.begin() + 20);
    m.dpiTable[2] = 0x84;
    const std::string dump = DumpMemory(m);
    for (const char* line :
         {"  stage 3: 1000 DPI, disabled (84)\n",
          "  entry 05: 09 00 01 04  key sequence in slot 1, 4 key events, option 0\n",
          "  slot 1: repeat 1, 4 events, used by entry 05\n", "    bytes: 00 01 01 E0 01 06 81 06 81 E0\n",
          "    press Left Control (E0), 10 ms\n    press C (06), 10 ms\n"
          "    release C (06), 10 ms\n    release Left Control (E0), 10 ms\n",
          "  slot 3: repeat 3, 2 events\n", "    press A (04), 50 ms\n", "    release A (04), 2000 ms\n"}) {
        EXPECT_NE(std::string::npos, dump.find(line)) << line << "\n" << dump;
    }
    EXPECT_EQ(std::string::npos, dump.find("(none used)"));
}

TEST(Dump, DescriptorsOfEveryTypeAreNamed) {
    struct Case {
        std::array<uint8_t, 4> d;
        const char* meaning;
    };
    const Case cases[] = {
        {{0x00, 0x03, 0x04, 0x00}, "key Shift+Ctrl+A (modifiers 03, usage 04)"},
        {{0x03, 0x00, 0xE9, 0x00}, "consumer usage 0x00E9 (Volume Increment)"},
        {{0x03, 0x00, 0x23, 0x02}, "consumer usage 0x0223 (AC Home)"},
        {{0x06, 0x00, 0x00, 0x05}, "launch the program of entry 4 (reports 6005)"},
        {{0x08, 0x00, 0x02, 0x00}, "set switch"},
        {{0x0A, 0xF0, 0x32, 0x02}, "repeated click of Mouse button 1 (left) (F0), values 50 and 2"},
        {{0x09, 0x00, 0x00, 0x04}, "key sequence without a slot (slot byte 00)"},
        {{0x07, 0x00, 0x04, 0x02}, "DPI function 4 (cycle down), value 2"},
        {{0x5E, 0x00, 0x00, 0x00}, "unknown function type 5E"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.meaning, DescribeDescriptor(c.d.data()));
    }
}

TEST(Press, DpiFunctionsStepOverDisabledStages) {
    Memory m = FactoryMemory();
    m.dpiTable = {0x02, 0x82, 0x82, 0x08, 0xA8, 0x47, 0x80, 0x80}; // stages 1, 4 and 6 enabled
    m.selectedStage = 1;
    const uint8_t cycleUp[] = {0x07, 0x00, 0x03, 0x00}, up[] = {0x07, 0x00, 0x01, 0x00},
                  down[] = {0x07, 0x00, 0x02, 0x00};
    std::copy(std::begin(cycleUp), std::end(cycleUp), m.buttons.begin() + 4 * 6); // button 7
    std::copy(std::begin(up), std::end(up), m.buttons.begin() + 4 * 7);           // button 8
    std::copy(std::begin(down), std::end(down), m.buttons.begin() + 4 * 8);       // button 9
    VirtualMouse mouse(m);

    auto stageAfter = [&](int button) {
        const Outcome out = mouse.Press(button);
        EXPECT_TRUE(out.ok);
        return out.reports;
    };
    EXPECT_EQ((std::vector<HostReport>{{0x0700, 4}}), stageAfter(7));
    EXPECT_EQ((std::vector<HostReport>{{0x0700, 6}}), stageAfter(7));
    EXPECT_EQ((std::vector<HostReport>{{0x0700, 1}}), stageAfter(7)) << "cycling wraps to the first enabled";
    EXPECT_EQ((std::vector<HostReport>{{0x0700, 4}}), stageAfter(8));
    EXPECT_EQ((std::vector<HostReport>{{0x0700, 6}}), stageAfter(8));
    EXPECT_TRUE(stageAfter(8).empty()) << "stepping up stops at the last enabled stage";
    EXPECT_EQ(6, mouse.memory().selectedStage);
    EXPECT_EQ((std::vector<HostReport>{{0x0700, 4}}), stageAfter(9));

    // From a disabled stage, stepping down goes to the enabled one below it.
    Memory fromDisabled = mouse.memory();
    fromDisabled.selectedStage = 3;
    VirtualMouse other(fromDisabled);
    EXPECT_EQ((std::vector<HostReport>{{0x0700, 1}}), other.Press(9).reports);

    // Nothing enabled: nothing happens and nothing is reported.
    Memory none = mouse.memory();
    none.dpiTable = {0x82, 0x82, 0x82, 0x82, 0x82, 0x82, 0x80, 0x80};
    VirtualMouse stuck(none);
    const Outcome out = stuck.Press(7);
    EXPECT_TRUE(out.reports.empty());
    EXPECT_TRUE(AnyNoteContains(out, "no stage is enabled"));
}

TEST(Press, LaunchReportsTheEntryAndOtherFunctionsReportNothing) {
    Memory m = FactoryMemory();
    const uint8_t launch[] = {0x06, 0x00, 0x00, 0x0B};
    std::copy(std::begin(launch), std::end(launch), m.buttons.begin() + 4 * 10);
    VirtualMouse mouse(m);
    EXPECT_EQ((std::vector<HostReport>{{0x600B, 0}}), mouse.Press(11).reports);
    const Outcome click = mouse.Press(1);
    EXPECT_TRUE(click.ok);
    EXPECT_TRUE(click.reports.empty());
    EXPECT_TRUE(AnyNoteContains(click, "mouse button 1 (left click)"));
    EXPECT_FALSE(mouse.Press(17).ok);
    EXPECT_FALSE(mouse.Press(0).ok);
}

TEST(Reports, EachCarriesTheMousesEventCode) {
    VirtualMouse mouse;
    EXPECT_EQ((std::vector<HostReport>{{0x0500, 1}}), mouse.SetPollingRate(1000).reports);
    EXPECT_EQ(1, mouse.memory().pollingInterval);
    EXPECT_EQ((std::vector<HostReport>{{0x0500, 4}}), mouse.SetPollingRate(250).reports);
    EXPECT_FALSE(mouse.SetPollingRate(300).ok);
    EXPECT_EQ((std::vector<HostReport>{{0x7000, 5}}), mouse.SwitchProfile(5).reports);
    EXPECT_FALSE(mouse.SwitchProfile(6).ok);
    EXPECT_EQ((std::vector<HostReport>{{0xC000, 0x1401}}), mouse.SetSensitivity(1, 20).reports);
    EXPECT_FALSE(mouse.SetSensitivity(21, 1).ok);
    EXPECT_EQ((std::vector<HostReport>{{0x0700, 6}}), mouse.SelectStage(6).reports);
    EXPECT_EQ(6, mouse.memory().selectedStage);
    EXPECT_EQ((std::vector<HostReport>{{0x2345, 0x0001}}), mouse.Event(0x12345, 0x10001).reports);
}

TEST(ControlCommand, ParsesNumbersAndRanges) {
    std::string error;
    EXPECT_EQ((Command{CommandKind::Event, 0x7000, 3}), ParseCommand({"event", "0x7000", "3"}, error));
    EXPECT_EQ((Command{CommandKind::Event, 28672, 0xFFFF}), ParseCommand({"event", "28672", "0XFFFF"}, error));
    EXPECT_FALSE(ParseCommand({"event", "0x10000", "0"}, error));
    EXPECT_FALSE(ParseCommand({"event", "0x", "0"}, error));
    EXPECT_FALSE(ParseCommand({"event", "12a", "0"}, error));
    EXPECT_FALSE(ParseCommand({"event", "99999999999", "0"}, error));
    EXPECT_FALSE(ParseCommand({"dpi", "0"}, error));
    EXPECT_FALSE(ParseCommand({"dpi"}, error));
    EXPECT_FALSE(ParseCommand({"rate", "300"}, error));
    EXPECT_FALSE(ParseCommand({"press", "17"}, error));
    EXPECT_FALSE(ParseCommand({"sensitivity", "0", "5"}, error));
    EXPECT_FALSE(ParseCommand({"launch"}, error));
    EXPECT_EQ("unknown command \"launch\"", error);
    EXPECT_FALSE(ParseCommand({}, error));
}

TEST(ControlCommand, TextRoundTripsAndRuns) {
    const Command commands[] = {{CommandKind::Plug},
                                {CommandKind::Event, 0xA000, 0},
                                {CommandKind::Rate, 500},
                                {CommandKind::Sensitivity, 3, 4},
                                {CommandKind::Dump}};
    for (const Command& c : commands) {
        std::string error;
        EXPECT_EQ(c, ParseCommandText(FormatCommand(c), error)) << FormatCommand(c);
    }
    std::string error;
    EXPECT_FALSE(ParseCommandText("dpi 3 4 5 6 7 8", error));
    VirtualMouse mouse;
    std::string reply;
    const Outcome out = RunCommand(mouse, {CommandKind::Dpi, 5}, reply);
    EXPECT_EQ((std::vector<HostReport>{{0x0700, 5}}), out.reports);
    EXPECT_EQ("DPI stage 5 selected (3000 DPI)\n", reply);
    RunCommand(mouse, {CommandKind::Dump}, reply);
    EXPECT_EQ(DumpMemory(mouse.memory()), reply);
}
