// Monitor.exe end to end, under Wine with the virtual mouse: each test starts it in a program folder of its own.
#include <windows.h>

#include "common/function_codes.h"
#include "common/messages.h"
#include "common/profile_store.h"
#include "common/temporary_name.h"
#include "monitor/device/device_commands.h"
#include "monitor/device/tests/test_profiles.h"
#include "monitor/firmware_image.h"
#include "monitor/tests/transfer_log.h"
#include "testing/e2e_support.h"
#include "testing/temp_folder.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>

using namespace e2e;

namespace {
constexpr DWORD kEventWait = 15000;

std::unique_ptr<ShareData> NewShare() {
    return std::make_unique<ShareData>();
}

class MonitorEndToEnd : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(folder_.Ready()) << "the built programs were not found in KORVANE_BIN_DIR";
        ASSERT_TRUE(debug_.Listening());
    }
    void StartWithMouse() {
        ASSERT_TRUE(folder_.StartMonitor());
        ASSERT_TRUE(folder_.WaitMonitorReady());
        ASSERT_TRUE(
            PumpUntil([&] { return debug_.Contains("CMonitorWnd started", folder_.MonitorPid()); }, kEventWait));
    }
    // The read-back after start: Monitor saved the profiles and told Option.
    void WaitReadBack() {
        ASSERT_TRUE(PumpUntil([&] { return option_.Count(DeviceStateRead) > 0; }, kEventWait));
    }
    // ... and its end: command 0x03 four seconds later.
    void WaitReadBackEnd() {
        WaitReadBack();
        ASSERT_TRUE(PumpUntil([&] { return ReadBackEnded(folder_.Log()); }, kEventWait));
    }

    PointerRegistryGuard registry_;
    DebugOutput debug_;
    ProgramFolder folder_;
    OptionStandIn option_;
};
} // namespace

TEST_F(MonitorEndToEnd, StartWithTheMouseReadsItBackIntoTheBlock) {
    OptionStandIn applet(kAppletPop3WindowTitle);
    folder_.WriteMouseMemory(true, 4);
    StartWithMouse();
    EXPECT_TRUE(debug_.Contains("CMonitorWnd tray icon added", folder_.MonitorPid()));
    EXPECT_EQ(1, folder_.ConfigInt("Setting", "Device", -1));
    WaitReadBack();
    // The mouse said stage 4: Cpi_X 3 of the current profile, in the block and in the saved profile file.
    EXPECT_TRUE(BlockHolds([](const ShareData& d) { return d.CurrentProfile == 0 && d.Profile[0].Cpi_X == 3; }));
    ProfileRecord saved{};
    ReadProfileFile(saved, ProfileFilePath(folder_.Path(), 0));
    EXPECT_EQ(3, saved.Cpi_X);
    EXPECT_NE(std::string::npos, folder_.Log().find("SET 8B 00 00 00 00 00 00 74"));

    // The firmware image lies in the temporary folder.
    char temp[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, temp);
    const std::string image = ReadFileText(std::string(temp) + "test0.tmp");
    const auto expected = BuildFirmwareImage();
    ASSERT_EQ(kFirmwareImageSize, image.size());
    EXPECT_EQ(0, std::memcmp(image.data(), expected.data(), expected.size()));

    // The OSD program was started beside it.
    EXPECT_TRUE(folder_.WaitForDisplay());
    EXPECT_TRUE(folder_.StopMonitor());
    EXPECT_TRUE(debug_.Contains("CMonitorWnd OnDestroy done", folder_.MonitorPid()));
    EXPECT_EQ(1, option_.Count(WM_CLOSE));
    EXPECT_TRUE(PumpUntil([&] { return applet.Count(WM_CLOSE) == 1; }, kEventWait));
    EXPECT_EQ(nullptr, FindWindowA(nullptr, kOsdWindowTitle));
}

TEST_F(MonitorEndToEnd, NoWindowWhenTheBlockMutexExists) {
    HANDLE mutex = CreateMutexA(nullptr, FALSE, "Korvane_Normal_Mutex_Object");
    ASSERT_NE(nullptr, mutex);
    ASSERT_TRUE(folder_.StartMonitor());
    EXPECT_TRUE(folder_.Monitor().AwaitEnd(kEventWait));
    EXPECT_EQ(1u, folder_.Monitor().ExitCode());
    EXPECT_EQ(nullptr, FindWindowA(nullptr, kMonitorWindowTitle));
    // It ended without touching the partners of the Monitor that holds the block.
    EXPECT_EQ(0, option_.Count(WM_CLOSE));
    CloseHandle(mutex);
}

TEST_F(MonitorEndToEnd, StartWithoutTheMouseThenPlugAndUnplug) {
    folder_.WriteMouseMemory(false, 2);
    ASSERT_TRUE(folder_.StartMonitor());
    ASSERT_TRUE(folder_.WaitMonitorReady());
    ASSERT_TRUE(PumpUntil([&] { return debug_.Contains("CMonitorWnd started, mouse absent", folder_.MonitorPid()); },
                          kEventWait));
    EXPECT_EQ(0, folder_.ConfigInt("Setting", "Device", -1));
    EXPECT_FALSE(debug_.Contains("tray icon added", folder_.MonitorPid()));

    // Without the mouse an apply ends at once and sends nothing.
    const size_t before = folder_.Log().size();
    PostMessageA(FindWindowA(nullptr, kMonitorWindowTitle), ApplyAllSetting, 0, 0);
    EXPECT_TRUE(PumpUntil([&] { return option_.Count(ApplyFinished) == 1; }, kEventWait));
    EXPECT_TRUE(SentTransfers(folder_.Log(), before).empty());

    ASSERT_EQ(0, folder_.Mousectl("plug"));
    EXPECT_TRUE(PumpUntil([&] { return folder_.ConfigInt("Setting", "Device", -1) == 1; }, kEventWait));
    EXPECT_TRUE(PumpUntil([&] { return debug_.Contains("tray icon added", folder_.MonitorPid()); }, kEventWait));
    // Arrival reads the stage back.
    WaitReadBack();
    EXPECT_TRUE(BlockHolds([](const ShareData& d) { return d.Profile[0].Cpi_X == 1; }));
    // A second arrival while connected changes nothing.
    HWND monitor = FindWindowA(nullptr, kMonitorWindowTitle);
    PostMessageA(monitor, DevicePresence, 1, 0);
    // The mouse's next report is posted behind it: once it is handled, so is the second arrival.
    ASSERT_EQ(0, folder_.Mousectl("dpi 5"));
    EXPECT_TRUE(
        PumpUntil([] { return BlockHolds([](const ShareData& d) { return d.Profile[0].Cpi_X == 4; }); }, kEventWait));
    EXPECT_EQ(1, debug_.Count("mouse arrived", folder_.MonitorPid()));

    ASSERT_EQ(0, folder_.Mousectl("unplug"));
    EXPECT_TRUE(PumpUntil([&] { return folder_.ConfigInt("Setting", "Device", -1) == 0; }, kEventWait));
    EXPECT_TRUE(PumpUntil([&] { return option_.Count(WM_CLOSE) == 1; }, kEventWait));
    EXPECT_TRUE(debug_.Contains("tray icon deleted", folder_.MonitorPid()));
    EXPECT_NE(std::string::npos, folder_.Log().find("Close_ReportDevice"));
}

TEST_F(MonitorEndToEnd, MouseReportsReachTheBlockOptionAndTheDisplay) {
    WriteProfile(folder_, 3, [](ProfileRecord& p) {
        p.DbleClickSpeed = 432;
        p.ScrollWheelFlag = 1;
    });
    StartWithMouse();
    WaitReadBack();
    ASSERT_TRUE(folder_.WaitForDisplay());

    ASSERT_EQ(0, folder_.Mousectl("dpi 3"));
    EXPECT_TRUE(
        PumpUntil([] { return BlockHolds([](const ShareData& d) { return d.Profile[0].Cpi_X == 2; }); }, kEventWait));
    EXPECT_TRUE(PumpUntil([&] { return option_.Count(DeviceSettingChanged) == 1; }, kEventWait));
    // Stage 3 is level 9 in a reset profile: 2500 DPI, shown by the display program.
    EXPECT_TRUE(
        PumpUntil([&] { return folder_.OsdLog().find("OsdShow 50 0: CPI: 2500") != std::string::npos; }, kEventWait));
    EXPECT_EQ("CPI: 2500", folder_.ConfigString("OSDData", "Message"));
    const DWORD pid = folder_.MonitorPid();
    EXPECT_TRUE(debug_.Contains("CMonitorWnd balloon \"2500 DPI\"", pid));
    EXPECT_TRUE(PumpUntil([&] { return debug_.Count("CMonitorWnd balloon removed", pid) == 1; }, 5000));

    ASSERT_EQ(0, folder_.Mousectl("rate 1000"));
    EXPECT_TRUE(PumpUntil([] { return BlockHolds([](const ShareData& d) { return d.Profile[0].PollingRate == 3; }); },
                          kEventWait));
    ASSERT_EQ(0, folder_.Mousectl("sensitivity 10 12"));
    EXPECT_TRUE(PumpUntil(
        [] {
            return BlockHolds([](const ShareData& d) {
                return d.Profile[0].Sensitivity_X == 10 && d.Profile[0].Sensitivity_Y == 12;
            });
        },
        kEventWait));
    EXPECT_TRUE(PumpUntil([&] { return option_.Count(DeviceSettingChanged) == 3; }, kEventWait));
    EXPECT_TRUE(debug_.Contains("CMonitorWnd balloon \"1000 Hz\"", pid));
    EXPECT_TRUE(debug_.Contains("CMonitorWnd balloon \"\"", pid)); // sensitivity: the empty text

    ASSERT_EQ(0, folder_.Mousectl("profile 4"));
    EXPECT_TRUE(
        PumpUntil([] { return BlockHolds([](const ShareData& d) { return d.CurrentProfile == 3; }); }, kEventWait));
    EXPECT_TRUE(PumpUntil([&] { return option_.Count(ProfileSwitched) == 1; }, kEventWait));
    EXPECT_TRUE(PumpUntil([&] { return folder_.OsdLog().find("Profile 4") != std::string::npos; }, kEventWait));
    // The new profile's pointer settings went to the registry before they were applied.
    EXPECT_EQ("432", RegistryText("Control Panel\\Mouse", "DoubleClickSpeed"));
    EXPECT_EQ("-1", RegistryText("Control Panel\\Desktop", "WheelScrollLines"));

    // An applet's text is relayed to the display; another identifier changes nothing.
    char record[151] = {};
    std::strcpy(record + 1, "Mail: 3\r\n[Setting]");
    COPYDATASTRUCT other{150, sizeof record, record};
    HWND monitor = FindWindowA(nullptr, kMonitorWindowTitle);
    EXPECT_EQ(0, SendMessageA(monitor, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&other)));
    EXPECT_EQ("CPI: 2500", folder_.ConfigString("OSDData", "Message"));
    COPYDATASTRUCT text{kOsdMessageDataId, sizeof record, record};
    EXPECT_EQ(1, SendMessageA(monitor, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&text)));
    EXPECT_EQ("Mail: 3  [Setting]", folder_.ConfigString("OSDData", "Message"));
    EXPECT_TRUE(PumpUntil([&] { return folder_.OsdLog().find("Mail: 3") != std::string::npos; }, kEventWait));
}

TEST_F(MonitorEndToEnd, ForegroundProgramSwitchesToItsProfile) {
    char self[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, self, MAX_PATH);
    const std::string exe = std::string(self).substr(std::string(self).find_last_of('\\') + 1);
    WriteProfile(folder_, 2, [&](ProfileRecord& p) {
        std::snprintf(p.GameFile, sizeof p.GameFile, "  D:\\Games\\%s ", exe.c_str());
    });
    StartWithMouse();
    EXPECT_TRUE(BlockHolds([](const ShareData& d) { return d.CurrentProfile == 0; }));
    ASSERT_TRUE(folder_.WaitForDisplay());

    HWND game = CreateWindowExA(0, "STATIC", "game", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 50, 50, 300, 200, nullptr,
                                nullptr, GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(nullptr, game);
    // A busy desktop can take the foreground back while the window appears: keep asking for it until Monitor's
    // two-second look at the foreground program has switched the profile.
    EXPECT_TRUE(PumpUntil(
        [&] {
            if (GetForegroundWindow() != game) {
                SetForegroundWindow(game);
            }
            return BlockHolds([](const ShareData& d) { return d.CurrentProfile == 2; });
        },
        15000));
    EXPECT_TRUE(PumpUntil([&] { return option_.Count(ProfileSwitched) == 1; }, kEventWait));
    EXPECT_TRUE(PumpUntil([&] { return folder_.OsdLog().find("Profile 3") != std::string::npos; }, kEventWait));
    DestroyWindow(game);
}

TEST_F(MonitorEndToEnd, SecondStartForwardsToTheRunningMonitorAndEnds) {
    StartWithMouse();
    const DWORD first = folder_.MonitorPid();
    EXPECT_EQ(0, folder_.Run("Monitor.exe", "1", 15000));
    EXPECT_TRUE(PumpUntil([&] { return debug_.Contains("CMonitorWnd OnCustomizer hWnd!=NULL", first); }, kEventWait));
    // The first one still runs and answers.
    EXPECT_FALSE(folder_.Monitor().Ended());
    EXPECT_EQ(FindWindowA(nullptr, kMonitorWindowTitle) != nullptr, true);
}

TEST_F(MonitorEndToEnd, AnEndRightAfterTheStartClosesTheDisplayProgramToo) {
    StartWithMouse();
    // Monitor and the display program it has just started, whose window may not exist yet.
    ASSERT_EQ(2u, folder_.RunningPrograms().size());
    EXPECT_TRUE(folder_.StopMonitor());
    EXPECT_TRUE(debug_.Contains("CMonitorWnd OnDestroy done", folder_.MonitorPid()));
}

TEST_F(MonitorEndToEnd, ApplyWritesTheProfileIntoTheMouse) {
    StartWithMouse();
    WaitReadBackEnd();
    auto share = NewShare();
    ASSERT_TRUE(ReadShare(*share));
    share->CurrentProfile = 1;
    ProfileRecord& p = share->Profile[1];
    p.PollingRate = 3;
    p.CpiLevel_X[0] = 2;
    p.LightSwitch = 2;
    p.BreathSpeed = 20;
    p.MacroKey[3].FunctionCode = 99;
    ASSERT_TRUE(WriteShare(*share));
    const size_t before = folder_.Log().size();
    PostMessageA(FindWindowA(nullptr, kMonitorWindowTitle), ApplyAllSetting, 0, 0);
    ASSERT_TRUE(PumpUntil([&] { return option_.Count(ApplyFinished) == 1; }, 30000));

    std::vector<std::string> expected;
    for (const Transfer& t : BuildApplyAll(*share)) {
        if (t.kind == TransferKind::Set) {
            expected.push_back("SET " + Hex(t.bytes));
        } else if (t.kind == TransferKind::Write) {
            expected.push_back("WRITE " + Hex(t.bytes));
        }
    }
    ASSERT_FALSE(expected.empty());
    EXPECT_EQ("SET 01 01 00 00 00 00 00 FD", expected.front());
    EXPECT_EQ(expected, SentTransfers(folder_.Log(), before));
}

// A repeat count from another program's block reaches the mouse within 1..255, as one from a file does.
TEST_F(MonitorEndToEnd, ARepeatCountFromTheBlockIsKeptInItsRange) {
    StartWithMouse();
    WaitReadBackEnd();
    auto share = NewShare();
    ASSERT_TRUE(ReadShare(*share));
    MacroKeyInfo& macro = share->Profile[share->CurrentProfile].MacroKey[3];
    macro.FunctionCode = kCodeMacro;
    macro.RepeatCount = 40000;
    macro.ContentCount = 2;
    SetMacroEvent(macro, 0, 0x04, 1, 50);
    SetMacroEvent(macro, 1, 0x04, 2, 50);
    ASSERT_TRUE(WriteShare(*share));
    const size_t before = folder_.Log().size();
    PostMessageA(FindWindowA(nullptr, kMonitorWindowTitle), ApplyAllSetting, 0, 0);
    ASSERT_TRUE(PumpUntil([&] { return option_.Count(ApplyFinished) == 1; }, 30000));

    auto sent = [](const ShareData& d) {
        std::vector<std::string> lines;
        for (const Transfer& t : BuildApplyAll(d)) {
            if (t.kind == TransferKind::Set) {
                lines.push_back("SET " + Hex(t.bytes));
            } else if (t.kind == TransferKind::Write) {
                lines.push_back("WRITE " + Hex(t.bytes));
            }
        }
        return lines;
    };
    const std::vector<std::string> asStored = sent(*share);
    share->Profile[share->CurrentProfile].MacroKey[3].RepeatCount = 255;
    const std::vector<std::string> kept = sent(*share);
    ASSERT_NE(asStored, kept);
    EXPECT_EQ(kept, SentTransfers(folder_.Log(), before));
}

TEST_F(MonitorEndToEnd, ShutDownDuringAnApplyEndsTheWorkerBeforeTheTransport) {
    StartWithMouse();
    WaitReadBackEnd();
    auto share = NewShare();
    ASSERT_TRUE(ReadShare(*share));
    size_t whole = 0;
    for (const Transfer& t : BuildApplyAll(*share)) {
        whole += t.kind == TransferKind::Set || t.kind == TransferKind::Write ? 1 : 0;
    }
    const size_t before = folder_.Log().size();
    PostMessageA(FindWindowA(nullptr, kMonitorWindowTitle), ApplyAllSetting, 0, 0);
    // The apply has begun: its first command reached the mouse.
    ASSERT_TRUE(PumpUntil([&] { return !SentTransfers(folder_.Log(), before).empty(); }, kEventWait));
    ASSERT_TRUE(folder_.StopMonitor());

    const DWORD pid = folder_.MonitorPid();
    const int workerEnded = debug_.IndexOf("CMonitorWnd OnDestroy: DeviceWorker ended", pid);
    const int interfacesClosed = debug_.IndexOf("CMonitorWnd OnDestroy: interfaces closed", pid);
    ASSERT_GE(workerEnded, 0);
    EXPECT_LT(workerEnded, interfacesClosed);
    // The job stopped short of its end, nothing reached the mouse once its interfaces closed, and Option still heard
    // that the apply is over.
    const std::string log = folder_.Log();
    const size_t closed = log.find("Close_FeatureDevice", before);
    ASSERT_NE(std::string::npos, closed);
    EXPECT_TRUE(SentTransfers(log, closed).empty());
    EXPECT_LT(SentTransfers(log, before).size(), whole);
    EXPECT_TRUE(PumpUntil([&] { return option_.Count(ApplyFinished) == 1; }, kEventWait));
}

// Wine keeps menus per process, so the test drives the menu with keys: Down lands on the first item (open), a second
// on the return to the previous profile, a third skips the separator to Exit.
TEST_F(MonitorEndToEnd, TrayMenuOffersOpenAndExitAndExitEndsMonitorAndOption) {
    StartWithMouse();
    const DWORD pid = folder_.MonitorPid();
    HWND monitor = FindWindowA(nullptr, kMonitorWindowTitle);
    const auto openMenu = [&] { return OpenTrayMenu(monitor, kEventWait); };
    HWND popup = openMenu();
    ASSERT_NE(nullptr, popup);
    PostMessageA(popup, WM_KEYDOWN, VK_DOWN, 0);
    PostMessageA(popup, WM_KEYDOWN, VK_RETURN, 0);
    EXPECT_TRUE(PumpUntil([&] { return debug_.Contains("CMonitorWnd OnCustomizer hWnd!=NULL", pid); }, kEventWait));
    ASSERT_TRUE(AwaitMenusClosed(kEventWait));

    // A double click and the mouse's own Option button bring Option up too.
    PostMessageA(monitor, TrayNotify, kTrayIconId, WM_LBUTTONDBLCLK);
    EXPECT_TRUE(PumpUntil([&] { return debug_.Contains("OnSystrayNotify WM_LBUTTONDBLCLK", pid); }, kEventWait));
    EXPECT_TRUE(PumpUntil([&] { return debug_.Count("CMonitorWnd OnCustomizer hWnd!=NULL", pid) == 2; }, kEventWait));
    ASSERT_EQ(0, folder_.Mousectl("event 0xA000 0"));
    EXPECT_TRUE(PumpUntil([&] { return debug_.Count("CMonitorWnd OnCustomizer hWnd!=NULL", pid) == 3; }, kEventWait));

    popup = openMenu();
    ASSERT_NE(nullptr, popup);
    PostMessageA(popup, WM_KEYDOWN, VK_DOWN, 0);
    PostMessageA(popup, WM_KEYDOWN, VK_DOWN, 0);
    PostMessageA(popup, WM_KEYDOWN, VK_DOWN, 0);
    PostMessageA(popup, WM_KEYDOWN, VK_RETURN, 0);
    EXPECT_TRUE(folder_.Monitor().AwaitEnd(kEventWait));
    EXPECT_TRUE(PumpUntil([&] { return option_.Count(WM_CLOSE) == 1; }, kEventWait));
}

TEST_F(MonitorEndToEnd, AccelerationOffClearsTheRegistryRow) {
    for (auto [name, value] : {std::pair{"MouseSpeed", "1"}, {"MouseThreshold1", "6"}, {"MouseThreshold2", "10"}}) {
        SetRegistryText(kMouseRegistryKey, name, value);
    }
    // Acceleration 2 reads back as off (the registry's 1, 6, 10 match no row of the table).
    WriteProfile(folder_, 0, [](ProfileRecord& p) { p.Acceleration = 2; });
    StartWithMouse();
    EXPECT_EQ("0", RegistryText("Control Panel\\Mouse", "MouseSpeed"));
    EXPECT_EQ("0", RegistryText("Control Panel\\Mouse", "MouseThreshold1"));
    EXPECT_EQ("0", RegistryText("Control Panel\\Mouse", "MouseThreshold2"));
    // Monitor's copy has Acceleration 0; its next block write shows it.
    WaitReadBack();
    EXPECT_TRUE(BlockHolds([](const ShareData& d) { return d.Profile[0].Acceleration == 0; }));
}

TEST_F(MonitorEndToEnd, ButtonLaunchesTheProgramOfItsEntry) {
    // Entry 2 launches a second copy of the display program from a folder of its own; a program started there
    // leaves its settings record in that folder's config.ini.
    CreateDirectoryA(folder_.File("launch").c_str(), nullptr);
    ASSERT_TRUE(CopyFileA(folder_.File("VexelOSD.exe").c_str(), folder_.File("launch\\VexelOSD.exe").c_str(), FALSE));
    const std::string launched = folder_.File("launch\\config.ini");
    WriteProfile(folder_, 0, [&](ProfileRecord& p) {
        p.MacroKey[2].FunctionCode = 99;
        std::snprintf(p.MacroKey[2].ProgramPath, sizeof p.MacroKey[2].ProgramPath, "%s",
                      folder_.File("launch\\VexelOSD.exe").c_str());
        p.MacroKey[3].FunctionCode = 99; // a path that names no file: nothing starts, no error box
        std::snprintf(p.MacroKey[3].ProgramPath, sizeof p.MacroKey[3].ProgramPath, "C:\\nowhere\\none.exe");
    });
    StartWithMouse();
    // The display program of the main folder steps aside, so that the launched copy can come up; until its process
    // has ended, a copy would step aside for it.
    ASSERT_TRUE(folder_.WaitForDisplay());
    HWND osd = FindWindowA(nullptr, kOsdWindowTitle);
    const WindowOwner main = OwnerOf(osd);
    PostMessageA(osd, WM_CLOSE, 0, 0);
    ASSERT_TRUE(PumpUntil([&] { return WaitForSingleObject(main.process.get(), 0) == WAIT_OBJECT_0; }, kEventWait));

    ASSERT_EQ(0, folder_.Mousectl("event 0x6003 0x100")); // value word too large: nothing
    ASSERT_EQ(0, folder_.Mousectl("event 0x6004 0"));
    ASSERT_EQ(0, folder_.Mousectl("event 0x6003 0"));
    // The display program's window is the launched copy's now; the copy wrote its settings record before making it.
    EXPECT_TRUE(PumpUntil(
        [&] {
            HWND w = FindWindowA(nullptr, kOsdWindowTitle);
            return w != nullptr && OwnerOf(w).Runs(folder_.File("launch\\VexelOSD.exe"));
        },
        kEventWait));
    EXPECT_FALSE(ReadFileText(launched).empty());
    EXPECT_TRUE(debug_.Contains("CMonitorWnd launch entry 3", folder_.MonitorPid()));
    EXPECT_TRUE(debug_.Contains("CMonitorWnd launch entry 2", folder_.MonitorPid()));
    // No modal box of the missing program holds up Monitor.
    DWORD_PTR answer = 0;
    EXPECT_NE(0, SendMessageTimeoutA(FindWindowA(nullptr, kMonitorWindowTitle), WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 5000,
                                     &answer));
}

// A profile file that another program held without sharing while Monitor loaded is a reset profile in Monitor; the
// save after the next read-back (here on the mouse's arrival, once the file is free again) keeps it as it is, and
// saves the others.
TEST_F(MonitorEndToEnd, AProfileFileHeldWhileMonitorLoadsIsNotWrittenOver) {
    WriteProfile(folder_, 1, [](ProfileRecord& p) {
        std::strcpy(p.ProFileName, "Held");
        p.Brightness = 7;
    });
    const std::string path = ProfileFilePath(folder_.Path(), 1);
    const std::string before = ReadFileText(path);
    ASSERT_NE(std::string::npos, before.find("ProFileName=Held"));
    // What a save killed long ago left behind goes when Monitor starts.
    const std::string leftover = TemporaryName(ProfileFilePath(folder_.Path(), 3), 12, 34);
    {
        HANDLE file = CreateFileA(leftover.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        ASSERT_NE(INVALID_HANDLE_VALUE, file);
        CloseHandle(file);
    }
    ASSERT_TRUE(AgeFile(leftover, 5));
    folder_.WriteMouseMemory(false, 5);
    HANDLE held = CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, held);
    ASSERT_TRUE(folder_.StartMonitor());
    ASSERT_TRUE(folder_.WaitMonitorReady());
    const DWORD pid = folder_.MonitorPid();
    ASSERT_TRUE(PumpUntil([&] { return debug_.Contains("CMonitorWnd started, mouse absent", pid); }, kEventWait));
    EXPECT_TRUE(debug_.Contains("Default1.tvp could not be read whole", pid));
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(leftover.c_str()));
    EXPECT_TRUE(BlockHolds([](const ShareData& d) { return std::strcmp(d.Profile[1].ProFileName, "Default2") == 0; }));
    CloseHandle(held);

    ASSERT_EQ(0, folder_.Mousectl("plug"));
    WaitReadBack();
    EXPECT_TRUE(debug_.Contains("Default1.tvp was not read whole; it is kept as it is", pid));
    EXPECT_EQ(before, ReadFileText(path));
    ProfileRecord saved{};
    ASSERT_EQ(ProfileRead::Done, ReadProfileFile(saved, ProfileFilePath(folder_.Path(), 0)));
    EXPECT_EQ(4, saved.Cpi_X);
    EXPECT_TRUE(folder_.StopMonitor());
}
