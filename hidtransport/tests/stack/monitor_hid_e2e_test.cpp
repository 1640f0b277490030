// Monitor end to end with the transport to the real mouse, under Wine's own HID stack: the test mouse's driver is
// installed into the prefix, and the device server behind it runs the virtual mouse's model. Each test starts Monitor
// in a program folder of its own whose hiddriver.dll is the real transport.
#include <windows.h>

#include "common/messages.h"
#include "hidtransport/tests/driver/test_mouse_host.h"
#include "monitor/device/device_commands.h"
#include "monitor/device/tests/test_profiles.h"
#include "monitor/osd_texts.h"
#include "monitor/tests/transfer_log.h"
#include "testing/e2e_support.h"
#include "testing/golden.h"
#include "testing/text_lines.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

using namespace e2e;
using testmouse::DeviceServer;
using testmouse::TestMouseDevice;

namespace {
constexpr DWORD kEventWait = 15000;

std::string GoldenApplyAll(const char* name) {
    return SourceFileText(std::string("monitor/device/tests/golden/") + name);
}

// True while Monitor's window answers within a second.
bool MonitorAnswers() {
    HWND monitor = FindWindowA(nullptr, kMonitorWindowTitle);
    DWORD_PTR result = 0;
    return monitor != nullptr &&
           SendMessageTimeoutA(monitor, WM_NULL, 0, 0, SMTO_ABORTIFHUNG | SMTO_BLOCK, 1000, &result) != 0;
}

class MonitorOverHid : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(folder_.Ready()) << "the built programs (and bin\\hidtransport\\hiddriver.dll) were not found";
        ASSERT_TRUE(debug_.Listening());
    }
    void Plug() {
        ASSERT_TRUE(device_.Plug()) << "the test mouse's HID collection did not appear";
        if (!serving_) {
            ASSERT_TRUE(server_.Start());
            serving_ = true;
        }
    }
    void StartMonitor(bool present) {
        ASSERT_TRUE(folder_.StartMonitor());
        ASSERT_TRUE(folder_.WaitMonitorReady());
        const std::string started = std::string("CMonitorWnd started, mouse ") + (present ? "present" : "absent");
        ASSERT_TRUE(PumpUntil([&] { return debug_.Contains(started, folder_.MonitorPid()); }, kEventWait))
            << "no \"" << started << "\"";
    }
    // The read-back after an arrival: its answer, then command 0x03 four seconds later.
    void WaitReadBackEnd(int readBacks) {
        ASSERT_TRUE(PumpUntil([&] { return option_.Count(DeviceStateRead) == readBacks; }, kEventWait));
        ASSERT_TRUE(PumpUntil(
            [&] {
                const std::string log = server_.Log();
                const size_t get = log.rfind(" GET 8B ");
                return get != std::string::npos && log.find(" SET 03 00 0F D8 40 00 00 D5", get) != std::string::npos;
            },
            kEventWait));
    }

    PointerRegistryGuard registry_;
    DebugOutput debug_;
    TestMouseDevice device_{BinFolder()};
    DeviceServer server_;
    bool serving_ = false;
    ProgramFolder folder_{Transport::HidStack};
    OptionStandIn option_;
};

} // namespace

TEST_F(MonitorOverHid, ApplyEventsRemovalAndReturnThroughTheHidStack) {
    vmouse::Memory memory = vmouse::FactoryMemory();
    memory.selectedStage = 4; // the factory's is 2
    server_.SetMemory(memory);
    Plug();
    StartMonitor(true);
    const DWORD pid = folder_.MonitorPid();
    EXPECT_EQ(1, folder_.ConfigInt("Setting", "Device", -1));
    EXPECT_TRUE(debug_.Contains("hiddriver: Open_FeatureDevice 1", pid));
    EXPECT_TRUE(debug_.Contains("hiddriver: Open_ReportDevice 1", pid));
    EXPECT_TRUE(debug_.Contains("CMonitorWnd tray icon added", pid));
    WaitReadBackEnd(1);
    EXPECT_TRUE(BlockHolds([](const ShareData& d) { return d.CurrentProfile == 0 && d.Profile[0].Cpi_X == 3; }));

    // An Apply of the golden profile reaches the mouse byte for byte, with the protocol's pauses.
    ASSERT_TRUE(WriteShare(*MixedData()));
    const size_t mark = server_.Log().size();
    PostMessageA(FindWindowA(nullptr, kMonitorWindowTitle), ApplyAllSetting, 0, 0);
    ASSERT_TRUE(PumpUntil([&] { return option_.Count(ApplyFinished) == 1; }, 30000));
    const std::vector<ExpectedTransfer> expected = ExpectedFromGolden(GoldenApplyAll("apply_all_mixed.txt"));
    ASSERT_FALSE(expected.empty());
    const std::vector<LoggedTransfer> sent = TimedTransfers(server_.Log(), mark);
    ASSERT_EQ(Texts(expected), [&] {
        std::vector<std::string> texts;
        for (const LoggedTransfer& t : sent) {
            texts.push_back(t.text);
        }
        return texts;
    }());
    long pauses = 0;
    for (size_t i = 1; i < sent.size(); ++i) {
        // Whole milliseconds on both sides: a little under the pause is a rounding, not a cut.
        EXPECT_GE(sent[i].ms - sent[i - 1].ms, expected[i].pauseBeforeMs - 2) << i << " " << sent[i].text;
        pauses += expected[i].pauseBeforeMs;
    }
    const long took = sent.back().ms - sent.front().ms;
    std::printf("apply-all through the HID stack: %ld ms for %ld ms of pauses, ratio %.3f\n", took, pauses,
                static_cast<double>(took) / static_cast<double>(pauses));
    // The mouse took every transfer where it belongs: its only remarks are what it wrote.
    for (const std::string& line : SplitLines(server_.Log().substr(mark))) {
        if (line.rfind("# ", 0) == 0) {
            EXPECT_NE(std::string::npos, line.find(" written")) << line;
        }
    }

    // The mouse reports DPI stage 5: Monitor takes it and shows the stage's level of the current profile.
    const ProfileRecord& applied = MixedData()->Profile[1];
    ASSERT_TRUE(server_.RaiseEvent(0x0700, 5));
    EXPECT_TRUE(
        PumpUntil([] { return BlockHolds([](const ShareData& d) { return d.Profile[1].Cpi_X == 4; }); }, kEventWait));
    const std::string stage5 = "CMonitorWnd balloon \"" + DpiText(applied.CpiLevel_X[4]) + "\"";
    ASSERT_NE("CMonitorWnd balloon \"\"", stage5);
    EXPECT_TRUE(PumpUntil([&] { return debug_.Contains(stage5, pid); }, kEventWait)) << stage5;
    // A report of another id is no event: only the next stage report counts.
    ASSERT_TRUE(server_.RaiseReport({5, 0x00, 0x07, 0x02, 0x00}));
    ASSERT_TRUE(server_.RaiseEvent(0x0700, 6));
    const std::string stage6 = "CMonitorWnd balloon \"" + DpiText(applied.CpiLevel_X[5]) + "\"";
    EXPECT_TRUE(PumpUntil([&] { return debug_.Contains(stage6, pid); }, kEventWait)) << stage6;
    EXPECT_TRUE(BlockHolds([](const ShareData& d) { return d.Profile[1].Cpi_X == 5; }));
    EXPECT_EQ(2, option_.Count(DeviceSettingChanged));
    EXPECT_EQ(0, debug_.Count("CMonitorWnd balloon \"" + DpiText(applied.CpiLevel_X[1]) + "\"", pid));

    // Pulled out in the middle of an apply-all, while the mouse sits on a transfer: the transfer ends with the
    // device, the job stops, and Monitor's window answers throughout.
    const int before = server_.Transfers();
    PostMessageA(FindWindowA(nullptr, kMonitorWindowTitle), ApplyAllSetting, 0, 0);
    ASSERT_TRUE(PumpUntil([&] { return server_.Transfers() >= before + 4; }, kEventWait));
    server_.Hold(true);
    const int held = server_.Transfers();
    ASSERT_TRUE(PumpUntil([&] { return server_.Transfers() > held; }, kEventWait)); // the mouse sits on this one
    const ULONGLONG pulled = GetTickCount64();
    ASSERT_TRUE(device_.Unplug());
    bool answered = true;
    EXPECT_TRUE(PumpUntil(
        [&] {
            answered = answered && MonitorAnswers();
            return option_.Count(ApplyFinished) == 2;
        },
        kEventWait));
    const ULONGLONG finished = GetTickCount64() - pulled;
    EXPECT_TRUE(answered);
    EXPECT_LT(finished, 2000u) << "the apply-all ended " << finished << " ms after the removal";
    server_.Hold(false);
    EXPECT_TRUE(PumpUntil([&] { return folder_.ConfigInt("Setting", "Device", -1) == 0; }, kEventWait));
    EXPECT_TRUE(PumpUntil([&] { return debug_.Contains("CMonitorWnd tray icon deleted", pid); }, kEventWait));
    EXPECT_TRUE(PumpUntil([&] { return option_.Count(WM_CLOSE) == 1; }, kEventWait));
    EXPECT_TRUE(MonitorAnswers());
    std::printf("removal: apply-all ended %llu ms after the device was pulled (removal took %llu ms)\n", finished,
                device_.LastChangeMs());

    // Plugged in again: Monitor opens it and reads the stage back.
    memory = server_.Memory();
    memory.selectedStage = 2;
    server_.SetMemory(memory);
    Plug();
    EXPECT_TRUE(PumpUntil([&] { return folder_.ConfigInt("Setting", "Device", -1) == 1; }, kEventWait));
    EXPECT_TRUE(PumpUntil([&] { return debug_.Count("CMonitorWnd tray icon added", pid) == 2; }, kEventWait));
    WaitReadBackEnd(2);
    EXPECT_TRUE(BlockHolds([](const ShareData& d) { return d.CurrentProfile == 1 && d.Profile[1].Cpi_X == 1; }));
    EXPECT_EQ(2, debug_.Count("hiddriver: Open_ReportDevice 1", pid));
    // One arrival and one removal for the one device.
    EXPECT_EQ(1, debug_.Count("CMonitorWnd mouse removed", pid));
    EXPECT_EQ(1, debug_.Count("CMonitorWnd mouse arrived", pid));

    // Monitor's exit closes the interfaces and the device monitor before the library goes, and ends cleanly.
    // A thread of the library that outlived its unloading would take the process down with it.
    ASSERT_TRUE(folder_.StopMonitor());
    EXPECT_EQ(0u, folder_.MonitorExitCode());
    EXPECT_TRUE(debug_.Contains("CMonitorWnd OnDestroy done", pid));
    EXPECT_LT(debug_.IndexOf("CMonitorWnd OnDestroy: interfaces closed", pid),
              debug_.IndexOf("CMonitorWnd OnDestroy done", pid));
}

TEST_F(MonitorOverHid, WithoutTheMouseMonitorShowsNoIconAndEndsCleanly) {
    ASSERT_TRUE(device_.Unplug());
    const ULONGLONG start = GetTickCount64();
    StartMonitor(false);
    const ULONGLONG took = GetTickCount64() - start;
    const DWORD pid = folder_.MonitorPid();
    // The transport's share: its device monitor running, then both opens finding nothing.
    const ULONGLONG opens =
        debug_.ArrivalOf("hiddriver: Open_ReportDevice 0", pid) - debug_.ArrivalOf("hiddriver: Open_DevMonitor 1", pid);
    std::printf("Monitor started without the mouse in %llu ms, the transport's opens took %llu ms of it\n", took,
                opens);
    EXPECT_EQ(0, folder_.ConfigInt("Setting", "Device", -1));
    EXPECT_FALSE(debug_.Contains("tray icon added", pid));
    EXPECT_TRUE(debug_.Contains("hiddriver: Open_ReportDevice 0", pid));
    // An apply without the mouse ends at once.
    PostMessageA(FindWindowA(nullptr, kMonitorWindowTitle), ApplyAllSetting, 0, 0);
    EXPECT_TRUE(PumpUntil([&] { return option_.Count(ApplyFinished) == 1; }, kEventWait));
    EXPECT_TRUE(folder_.StopMonitor());
    EXPECT_EQ(0u, folder_.MonitorExitCode());
    EXPECT_TRUE(debug_.Contains("CMonitorWnd OnDestroy done", pid));
}
