// Monitor.exe under stress, end to end under Wine with the virtual mouse: arrivals that come and go, another process
// holding the block's mutex, the end of the session, and a block written with random bytes.
#include <windows.h>

#include "common/messages.h"
#include "common/shared_block.h"
#include "testing/e2e_support.h"
#include "testing/virtual_mouse_run.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <random>
#include <string>

using namespace e2e;

namespace {
constexpr DWORD kEventWait = 15000;

int CountOf(const std::string& text, const std::string& part) {
    int n = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + part.size())) {
        ++n;
    }
    return n;
}

class MonitorStress : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(folder_.Ready()) << "the built programs were not found in KORVANE_BIN_DIR";
        ASSERT_TRUE(debug_.Listening());
    }
    void Start(bool plugged) {
        folder_.WriteMouseMemory(plugged, 2);
        ASSERT_TRUE(folder_.StartMonitor());
        ASSERT_TRUE(folder_.WaitMonitorReady());
        ASSERT_TRUE(
            PumpUntil([&] { return debug_.Contains("CMonitorWnd started", folder_.MonitorPid()); }, kEventWait));
    }
    bool Traced(const std::string& text, int times = 1) {
        return PumpUntil([&] { return debug_.Count(text, folder_.MonitorPid()) >= times; }, kEventWait);
    }
    // Monitor's window answers a sent message within the time (waiting the whole time even when the window looks
    // hung meanwhile).
    static bool Answers(DWORD withinMs) {
        DWORD_PTR answer = 0;
        return SendMessageTimeoutA(FindWindowA(nullptr, kMonitorWindowTitle), WM_NULL, 0, 0, SMTO_NORMAL, withinMs,
                                   &answer) != 0;
    }

    // The pointer settings that a fresh process gets from the system.
    std::string FreshPointerSettings() {
        std::string command = "\"";
        command += BinFolder();
        command += "pointer_probe.exe\"";
        std::string output;
        const int code = RunProgram(command, &output);
        EXPECT_EQ(0, code) << output;
        return output;
    }
    // Waits until Monitor has applied the pointer settings `times` times in all, sending it a message at every look
    // meanwhile; false when it once took longer than 100 ms to answer. probes counts the answers.
    bool AnswersUntilApplied(int times, int& probes) {
        const DWORD pid = folder_.MonitorPid();
        probes = 0;
        bool answered = true;
        const bool applied = PumpUntil(
            [&] {
                if (debug_.Count("CMonitorWnd pointer settings applied\n", pid) >= times) {
                    return true;
                }
                const ULONGLONG sent = GetTickCount64();
                if (!Answers(100)) {
                    const bool late = Answers(kEventWait);
                    ADD_FAILURE() << "no answer within 100 ms after " << probes << " answers; "
                                  << (late ? "answered after " : "no answer after ") << GetTickCount64() - sent
                                  << " ms";
                    answered = false;
                    return true;
                }
                ++probes;
                return false;
            },
            kEventWait);
        return applied && answered;
    }

    PointerRegistryGuard registry_;
    DebugOutput debug_;
    ProgramFolder folder_;
    OptionStandIn option_;
};
} // namespace

TEST_F(MonitorStress, ArrivalWaitsWithoutStoppingTheWindowAndOpensTheMouseOnce) {
    Start(false);
    HWND monitor = FindWindowA(nullptr, kMonitorWindowTitle);

    ASSERT_EQ(0, folder_.Mousectl("plug"));
    ASSERT_TRUE(Traced("CMonitorWnd mouse arrived"));
    // The mouse gets its second before it is opened, and the window goes on answering meanwhile.
    EXPECT_TRUE(Answers(500));
    PostMessageA(monitor, DevicePresence, 1, 0); // a second arrival during the wait
    ASSERT_TRUE(Traced("CMonitorWnd tray icon added"));
    EXPECT_TRUE(PumpUntil([&] { return option_.Count(DeviceStateRead) == 1; }, kEventWait));
    EXPECT_EQ(1, CountOf(folder_.Log(), "Open_ReportDevice 1"));
    EXPECT_EQ(1, debug_.Count("CMonitorWnd opening the mouse", folder_.MonitorPid()));
    EXPECT_EQ(1, folder_.ConfigInt("Setting", "Device", -1));

    ASSERT_EQ(0, folder_.Mousectl("unplug"));
    // "Device" is written after the removal's trace lines.
    ASSERT_TRUE(Traced("CMonitorWnd mouse removed"));
    EXPECT_TRUE(PumpUntil([&] { return folder_.ConfigInt("Setting", "Device", -1) == 0; }, kEventWait));

    // An arrival that is taken back before its second is over opens nothing and closes nothing.
    const int closes = CountOf(folder_.Log(), "Close_ReportDevice");
    PostMessageA(monitor, DevicePresence, 1, 0);
    ASSERT_TRUE(Traced("CMonitorWnd mouse arrived", 2));
    PostMessageA(monitor, DevicePresence, 0, 0);
    ASSERT_TRUE(Traced("CMonitorWnd arrival cancelled"));
    // A real arrival afterwards: had the cancelled wait still been running, its opens would come first.
    ASSERT_EQ(0, folder_.Mousectl("plug"));
    ASSERT_TRUE(Traced("CMonitorWnd tray icon added", 2));
    EXPECT_EQ(2, debug_.Count("CMonitorWnd opening the mouse", folder_.MonitorPid()));
    EXPECT_EQ(2, CountOf(folder_.Log(), "Open_FeatureDevice 1"));
    EXPECT_EQ(1, CountOf(folder_.Log(), "Open_FeatureDevice 0 (unplugged)")); // only the one at start-up
    EXPECT_EQ(closes, CountOf(folder_.Log(), "Close_ReportDevice"));
    EXPECT_TRUE(PumpUntil([&] { return folder_.ConfigInt("Setting", "Device", -1) == 1; }, kEventWait));
}

TEST_F(MonitorStress, AProcessHoldingTheBlockMutexCannotFreezeMonitor) {
    Start(true);
    ASSERT_TRUE(PumpUntil([&] { return option_.Count(DeviceStateRead) == 1; }, kEventWait));
    HANDLE mutex = OpenMutexA(MUTEX_ALL_ACCESS, FALSE, kShareDataMutexName);
    ASSERT_NE(nullptr, mutex);
    ASSERT_EQ(static_cast<DWORD>(WAIT_OBJECT_0), WaitForSingleObject(mutex, kEventWait));

    // A stage from the mouse: Monitor would write the block, gives up after its wait and goes on.
    ASSERT_EQ(0, folder_.Mousectl("dpi 3"));
    EXPECT_TRUE(Traced("SharedBlock: mutex wait timed out"));
    EXPECT_TRUE(Answers(kEventWait));
    EXPECT_TRUE(Traced("CMonitorWnd balloon \"2500 DPI\""));
    // Option's Apply finds no block to read, and is still answered.
    PostMessageA(FindWindowA(nullptr, kMonitorWindowTitle), ApplyAllSetting, 0, 0);
    EXPECT_TRUE(PumpUntil([&] { return option_.Count(ApplyFinished) == 1; }, 2 * kEventWait));

    // It shuts down in order with the mutex still held, and the mouse is then no longer there for anyone.
    EXPECT_TRUE(folder_.StopMonitor());
    EXPECT_TRUE(debug_.Contains("CMonitorWnd OnDestroy done", folder_.MonitorPid()));
    EXPECT_EQ(0, folder_.ConfigInt("Setting", "Device", -1));
    ReleaseMutex(mutex);
    CloseHandle(mutex);
}

TEST_F(MonitorStress, TheEndOfTheSessionRunsTheShutDownOrder) {
    Start(true);
    ASSERT_TRUE(PumpUntil([&] { return option_.Count(DeviceStateRead) == 1; }, kEventWait));
    ASSERT_TRUE(folder_.WaitForDisplay());
    EXPECT_EQ(1, folder_.ConfigInt("Setting", "Device", -1));
    HWND monitor = FindWindowA(nullptr, kMonitorWindowTitle);

    EXPECT_NE(0, SendMessageA(monitor, WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF));
    EXPECT_EQ(1, folder_.ConfigInt("Setting", "Device", -1)); // asking is not ending
    SendMessageA(monitor, WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF);
    EXPECT_EQ(0, folder_.ConfigInt("Setting", "Device", -1));
    EXPECT_TRUE(debug_.Contains("CMonitorWnd OnDestroy done", folder_.MonitorPid()));
    EXPECT_TRUE(PumpUntil([&] { return option_.Count(WM_CLOSE) == 1; }, kEventWait));
    EXPECT_TRUE(PumpUntil([] { return FindWindowA(nullptr, kOsdWindowTitle) == nullptr; }, kEventWait));
    EXPECT_NE(std::string::npos, folder_.Log().find("Close_DevMonitor"));

    // Nothing reaches the closed transport afterwards, and the window still ends in order.
    ASSERT_EQ(1, folder_.Mousectl("dpi 4")); // no virtual mouse runs any more
    EXPECT_TRUE(Answers(kEventWait));
    EXPECT_TRUE(folder_.StopMonitor());
    EXPECT_EQ(1, option_.Count(WM_CLOSE));
    EXPECT_EQ(0, folder_.ConfigInt("Setting", "Device", -1));
}

TEST_F(MonitorStress, HostileBlockChangesValuesNeverMemory) {
    Start(true);
    ASSERT_TRUE(PumpUntil([&] { return option_.Count(DeviceStateRead) == 1; }, kEventWait));
    std::mt19937 random(20261208);
    HWND monitor = FindWindowA(nullptr, kMonitorWindowTitle);
    for (int round = 0; round < 4; ++round) {
        auto share = std::make_unique<ShareData>();
        auto* bytes = reinterpret_cast<uint8_t*>(share.get());
        for (size_t i = 0; i < sizeof(ShareData); ++i) {
            bytes[i] = static_cast<uint8_t>(random());
        }
        if (round == 1) {
            share->CurrentProfile = 2; // a valid index over random profile contents
            // Button entry 2 launches a program whose path has no terminator (event 0x6003 below).
            for (ProfileRecord& p : share->Profile) {
                p.MacroKey[2].FunctionCode = 99;
                std::memset(p.MacroKey[2].ProgramPath, 'x', sizeof p.MacroKey[2].ProgramPath);
            }
        }
        ASSERT_TRUE(WriteShare(*share));
        const int finished = option_.Count(ApplyFinished);
        PostMessageA(monitor, ApplyAllSetting, 0, 0);
        ASSERT_TRUE(PumpUntil([&] { return option_.Count(ApplyFinished) == finished + 1; }, 60000)) << round;
        PostMessageA(monitor, ReloadShareDataAndPointer, 0, 0);
        for (uint32_t code : {0x07000003u, 0x05000008u, 0xC0000A0Au, 0x70000002u, 0x60030000u, 0x60010000u}) {
            PostMessageA(monitor, DeviceEvent, code >> 16, code & 0xFFFF);
        }
        ASSERT_EQ(0, folder_.Mousectl("dpi 2"));
        // The round is over once the mouse's report has reached the block: Monitor then writes nothing more of this
        // round's copy over the next round's block.
        const auto reported = [](const ShareData& d) { return d.CurrentProfile == 1 && d.Profile[1].Cpi_X == 1; };
        ASSERT_TRUE(PumpUntil([&] { return BlockHolds(reported); }, kEventWait)) << round;
    }
    EXPECT_TRUE(
        PumpUntil([&] { return debug_.Contains("CMonitorWnd launch entry 2", folder_.MonitorPid()); }, kEventWait));
    // An OSD record with no terminator, and one of a single byte.
    char record[151];
    std::memset(record, 'x', sizeof record);
    COPYDATASTRUCT text{kOsdMessageDataId, sizeof record, record};
    EXPECT_EQ(1, SendMessageA(monitor, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&text)));
    COPYDATASTRUCT tiny{kOsdMessageDataId, 1, record};
    EXPECT_EQ(1, SendMessageA(monitor, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&tiny)));

    DWORD_PTR answer = 0;
    EXPECT_NE(0, SendMessageTimeoutA(monitor, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 10000, &answer));
    EXPECT_FALSE(folder_.Monitor().Ended());
    EXPECT_TRUE(folder_.StopMonitor());
}

// The pointer settings wait their pauses on a timer: Monitor answers all through an Apply and a profile switch, a
// switch during an Apply's pauses starts over with the new profile, and the system ends with the profile's values.
TEST_F(MonitorStress, MonitorAnswersAllThroughThePointerSettingsAndTheyReachTheSystem) {
    WriteProfile(folder_, 1, [](ProfileRecord& p) {
        p.AccelerationFlag = 1;
        p.MouseSpeed = 5;
        p.ScrollWheelFlag = 0;
        p.ScrollWheelSpeed = 9;
        p.DbleClickSpeed = 640;
    });
    Start(true);
    ASSERT_TRUE(PumpUntil([&] { return option_.Count(DeviceStateRead) == 1; }, kEventWait));
    ASSERT_TRUE(Traced("CMonitorWnd pointer settings applied\n"));
    HWND monitor = FindWindowA(nullptr, kMonitorWindowTitle);

    // Option applies a new speed and wheel for profile 1.
    auto share = std::make_unique<ShareData>();
    ASSERT_TRUE(ReadShare(*share));
    share->Profile[0].MouseSpeed = 17;
    share->Profile[0].ScrollWheelFlag = 0;
    share->Profile[0].ScrollWheelSpeed = 7;
    ASSERT_TRUE(WriteShare(*share));
    PostMessageA(monitor, ApplyAllSetting, 0, 0);
    int probes = 0;
    ASSERT_TRUE(AnswersUntilApplied(2, probes));
    EXPECT_GE(probes, 5); // the pauses last about 0.9 s
    EXPECT_NE(std::string::npos, FreshPointerSettings().find("speed 17 wheel 7"));

    // An Apply, and the mouse's profile button while its pauses run: one whole run, of profile 2.
    PostMessageA(monitor, ApplyAllSetting, 0, 0);
    PostMessageA(monitor, DeviceEvent, 0x7000, 2);
    ASSERT_TRUE(AnswersUntilApplied(3, probes));
    EXPECT_GE(probes, 5);
    EXPECT_TRUE(PumpUntil([&] { return option_.Count(ProfileSwitched) == 1; }, kEventWait));
    const std::string fresh = FreshPointerSettings();
    EXPECT_NE(std::string::npos, fresh.find("speed 5 wheel 9")) << fresh;
    // A later run, with a new speed: a dropped run that went on would end its pauses before this one, so when this
    // run is over it is the fourth run to end, and the system holds its values.
    ASSERT_TRUE(ReadShare(*share));
    share->Profile[1].MouseSpeed = 8;
    ASSERT_TRUE(WriteShare(*share));
    PostMessageA(monitor, ReloadShareDataAndPointer, 0, 0);
    ASSERT_TRUE(Traced("CMonitorWnd pointer settings applied\n", 4));
    const std::string later = FreshPointerSettings();
    EXPECT_NE(std::string::npos, later.find("speed 8 wheel 9")) << later;
    EXPECT_EQ(4, debug_.Count("CMonitorWnd pointer settings applied\n", folder_.MonitorPid()));
    EXPECT_TRUE(BlockHolds([](const ShareData& d) { return d.CurrentProfile == 1; }));

    // Closed during a run: the rest is applied at once.
    ASSERT_TRUE(ReadShare(*share));
    share->Profile[1].MouseSpeed = 12;
    ASSERT_TRUE(WriteShare(*share));
    PostMessageA(monitor, ReloadShareDataAndPointer, 0, 0);
    PostMessageA(monitor, WM_CLOSE, 0, 0);
    EXPECT_TRUE(folder_.StopMonitor());
    EXPECT_TRUE(debug_.Contains("CMonitorWnd pointer settings applied at shut-down", folder_.MonitorPid()));
    EXPECT_NE(std::string::npos, FreshPointerSettings().find("speed 12 wheel 9"));
}
