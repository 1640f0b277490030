// Per-game profiles end to end, under Wine with the virtual mouse: a program named in a profile's GameFile comes to
// the foreground and its profile reaches the mouse; the opt-in return to the profile before the game; profile
// switches from the mouse; the tray menu's item for the return.
#include <windows.h>

#include "common/ini_file.h"
#include "common/messages.h"
#include "monitor/monitor_wnd.h"
#include "monitor/tests/transfer_log.h"
#include "testing/e2e_support.h"
#include "testing/virtual_mouse_run.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

using namespace e2e;

namespace {
constexpr DWORD kEventWait = 15000;
// A foreground check every 2 s, then a whole apply-all of about 3 s.
constexpr DWORD kSwitchWait = 20000;
constexpr char kGame[] = "notepad.exe";

// DPI levels that differ from a reset profile's and from each other's, so that the mouse's memory shows whose
// profile it holds: profile n (0..4) gets levels n+1 .. n+6.
void DistinctStages(ProfileRecord& p, int n) {
    for (int i = 0; i < 6; ++i) {
        p.CpiLevel_X[i] = n + 1 + i;
        p.dpiStepFlag[i] = 1;
    }
}

std::string StageLine(int stage, int level) {
    static const int kDpi[15] = {0, 250, 500, 750, 1000, 1250, 1500, 1750, 2000, 2500, 3000, 3500, 4000, 5500, 7250};
    return "stage " + std::to_string(stage) + ": " + std::to_string(kDpi[level]) + " DPI";
}

// A visible top-level window of this process with the given title.
class TestWindow {
public:
    explicit TestWindow(const char* title) {
        hwnd_ = CreateWindowExA(0, "STATIC", title, WS_OVERLAPPEDWINDOW | WS_VISIBLE, 60, 60, 320, 200, nullptr,
                                nullptr, GetModuleHandleA(nullptr), nullptr);
    }
    ~TestWindow() {
        if (hwnd_ != nullptr) {
            DestroyWindow(hwnd_);
        }
    }
    HWND Handle() const { return hwnd_; }
    // Keeps asking for the foreground until the condition holds (a busy desktop may take it back meanwhile).
    bool ForegroundUntil(const std::function<bool()>& condition, DWORD timeoutMs) const {
        return PumpUntil(
            [&] {
                if (GetForegroundWindow() != hwnd_) {
                    SetForegroundWindow(hwnd_);
                }
                return condition();
            },
            timeoutMs);
    }

private:
    HWND hwnd_ = nullptr;
};

class MonitorSwitch : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(folder_.Ready()) << "the built programs were not found in KORVANE_BIN_DIR";
        ASSERT_TRUE(debug_.Listening());
        for (int n = 0; n < kProfileCount; ++n) {
            WriteProfile(folder_, n, [&](ProfileRecord& p) {
                DistinctStages(p, n);
                if (n == 2) {
                    std::snprintf(p.GameFile, sizeof p.GameFile, "C:\\windows\\%s", kGame);
                }
            });
        }
    }
    void TearDown() override { EndGame(); }

    void Start(bool returnToPrevious) {
        if (returnToPrevious) {
            IniFile(folder_.File("config.ini")).WriteInt("Setting", kReturnToPreviousKey, 1);
        }
        folder_.WriteMouseMemory(true, 2);
        ASSERT_TRUE(folder_.StartMonitor());
        ASSERT_TRUE(folder_.WaitMonitorReady());
        ASSERT_TRUE(Traced("CMonitorWnd started"));
        // The read-back ends with command 0x03, four seconds after it read the stage.
        ASSERT_TRUE(PumpUntil([&] { return ReadBackEnded(folder_.Log()); }, kEventWait));
    }
    bool Traced(const std::string& text, int times = 1, DWORD timeoutMs = kEventWait) {
        return PumpUntil([&] { return debug_.Count(text, folder_.MonitorPid()) >= times; }, timeoutMs);
    }
    static bool CurrentProfileIs(int profile) {
        return BlockHolds([&](const ShareData& d) { return d.CurrentProfile == profile; });
    }

    // Starts the game; it takes the foreground by itself.
    bool StartGame() {
        game_ = StartProgram(std::string("C:\\windows\\") + kGame);
        return static_cast<bool>(game_.process);
    }
    void EndGame() {
        game_.Kill(0);
        game_ = StartedProgram();
    }

    // Waits until the log, from `from` on, holds the whole apply-all of the block's current profile `profile`, and
    // checks that its transfers kept the protocol's pauses.
    void ExpectApplyAllOf(int profile, size_t from) {
        auto share = std::make_unique<ShareData>();
        ASSERT_TRUE(ReadShare(*share));
        ASSERT_EQ(profile, share->CurrentProfile);
        const std::vector<ExpectedTransfer> expected = ExpectedApplyAll(*share);
        ASSERT_FALSE(expected.empty());
        std::vector<LoggedTransfer> sent;
        ASSERT_TRUE(PumpUntil(
            [&] {
                sent = TimedTransfers(folder_.Log(), from);
                return sent.size() >= expected.size();
            },
            kSwitchWait))
            << sent.size() << " of " << expected.size() << " transfers";
        ASSERT_EQ(expected.size(), sent.size());
        for (size_t i = 0; i < expected.size(); ++i) {
            EXPECT_EQ(expected[i].text, sent[i].text) << i;
            if (i > 0) {
                // The mouse's clock counts whole milliseconds: a little under the pause is a rounding, not a cut.
                EXPECT_GE(sent[i].ms - sent[i - 1].ms, expected[i].pauseBeforeMs - 2) << i << " " << sent[i].text;
            }
        }
    }
    // The mouse's memory holds profile n's DPI stages.
    void ExpectMouseStagesOf(int n) {
        const std::string dump = MouseDump();
        for (int i = 0; i < 6; ++i) {
            EXPECT_NE(std::string::npos, dump.find(StageLine(i + 1, n + 1 + i))) << StageLine(i + 1, n + 1 + i) << "\n"
                                                                                 << dump;
        }
    }
    // What "mousectl dump" prints.
    std::string MouseDump() {
        std::string output;
        const int code = RunProgram("\"" + folder_.File("mousectl.exe") + "\" dump", &output);
        EXPECT_EQ(0, code) << output;
        return output;
    }
    int ApplyAllsSince(size_t from) {
        int n = 0;
        for (const LoggedTransfer& t : TimedTransfers(folder_.Log(), from)) {
            n += t.text.rfind("SET 01 ", 0) == 0 ? 1 : 0; // every apply-all begins with the polling rate
        }
        return n;
    }

    PointerRegistryGuard registry_;
    DebugOutput debug_;
    e2e::ProgramFolder folder_;
    StartedProgram game_;
};
} // namespace

TEST_F(MonitorSwitch, TheGamesProfileReachesTheMouseAndStaysWhenTheReturnIsOff) {
    Start(false);
    EXPECT_EQ(0, folder_.ConfigInt("Setting", kReturnToPreviousKey, 0));
    ASSERT_TRUE(CurrentProfileIs(0));

    size_t mark = folder_.Log().size();
    ASSERT_TRUE(StartGame());
    ASSERT_TRUE(PumpUntil([] { return CurrentProfileIs(2); }, kSwitchWait));
    ExpectApplyAllOf(2, mark);
    EXPECT_TRUE(Traced("DeviceWorker profile write"));
    ExpectMouseStagesOf(2);

    // The game leaves; another program of no profile takes the foreground: without the return the profile stays.
    TestWindow other("Notes");
    EndGame();
    mark = folder_.Log().size();
    ASSERT_TRUE(other.ForegroundUntil(
        [&] { return Traced("CMonitorWnd foreground program monitor_switch_tests.exe: profile stays", 1, 0); },
        kSwitchWait));
    EXPECT_TRUE(CurrentProfileIs(2));
    EXPECT_EQ(0, ApplyAllsSince(mark));

    // The mouse's profile button: profile 2 is written into the mouse.
    ASSERT_EQ(0, folder_.Mousectl("profile 2"));
    ASSERT_TRUE(PumpUntil([] { return CurrentProfileIs(1); }, kEventWait));
    ExpectApplyAllOf(1, mark);
    ExpectMouseStagesOf(1);
}

TEST_F(MonitorSwitch, WithTheReturnOnTheProfileBeforeTheGameComesBackButNotForOption) {
    Start(true);
    size_t mark = folder_.Log().size();
    ASSERT_TRUE(StartGame());
    ASSERT_TRUE(PumpUntil([] { return CurrentProfileIs(2); }, kSwitchWait));
    ExpectApplyAllOf(2, mark);

    // The user brings Option up to edit the game's profile, and the game ends behind it: no return.
    std::unique_ptr<TestWindow> other;
    {
        TestWindow option(kOptionWindowTitle);
        ASSERT_TRUE(option.ForegroundUntil(
            [&] {
                return Traced("CMonitorWnd foreground program monitor_switch_tests.exe (ours): profile stays", 1, 0);
            },
            kSwitchWait));
        EndGame();
        mark = folder_.Log().size();
        EXPECT_TRUE(CurrentProfileIs(2));
        // The next program takes the foreground while Option is still there (this process is Option's then): had
        // Option gone first, the desktop could hold the foreground at Monitor's look and take the return for itself.
        other = std::make_unique<TestWindow>("Notes");
        ASSERT_TRUE(other->ForegroundUntil([&] { return GetForegroundWindow() == other->Handle(); }, kEventWait));
    }
    EXPECT_EQ(0, ApplyAllsSince(mark));

    // Option closed, another program of no profile in the foreground: profile 1 comes back, in the mouse too.
    ASSERT_TRUE(other->ForegroundUntil(
        [&] { return Traced("CMonitorWnd foreground program monitor_switch_tests.exe: switch to profile 1", 1, 0); },
        kSwitchWait));
    ASSERT_TRUE(PumpUntil([] { return CurrentProfileIs(0); }, kEventWait));
    ExpectApplyAllOf(0, mark);
    ExpectMouseStagesOf(0);

    // Three presses of the mouse's profile button within a second: at most two writes, the last one of the last
    // profile.
    const DWORD pid = folder_.MonitorPid();
    const int writes = debug_.Count("DeviceWorker profile write\n", pid);
    const int dropped = debug_.Count("DeviceWorker profile write dropped", pid);
    mark = folder_.Log().size();
    HWND monitor = FindWindowA(nullptr, kMonitorWindowTitle);
    for (int profile : {2, 3, 4}) {
        PostMessageA(monitor, DeviceEvent, 0x7000, profile);
    }
    ASSERT_TRUE(PumpUntil(
        [&] {
            return debug_.Count("DeviceWorker profile write\n", pid) - writes +
                       debug_.Count("DeviceWorker profile write dropped", pid) - dropped ==
                   3;
        },
        kSwitchWait));
    EXPECT_LE(debug_.Count("DeviceWorker profile write\n", pid) - writes, 2);
    ASSERT_TRUE(CurrentProfileIs(3));
    auto share = std::make_unique<ShareData>();
    ASSERT_TRUE(ReadShare(*share));
    const std::vector<std::string> last = Texts(ExpectedApplyAll(*share));
    std::vector<std::string> sent;
    ASSERT_TRUE(PumpUntil(
        [&] {
            sent = SentTransfers(folder_.Log(), mark);
            return sent.size() >= last.size() && std::equal(last.begin(), last.end(), sent.end() - last.size());
        },
        kSwitchWait));
    EXPECT_LE(ApplyAllsSince(mark), 2);
    ExpectMouseStagesOf(3);
}

// Wine keeps menus per process: the test drives the menu with keys. Down lands on the first item, a second Down on
// the return item.
TEST_F(MonitorSwitch, TheTrayMenuShowsTheReturnAsConfigIniSaysAndTogglesIt) {
    Start(true);
    HWND monitor = FindWindowA(nullptr, kMonitorWindowTitle);
    const auto openMenu = [&] { return OpenTrayMenu(monitor, kEventWait); };
    const auto chooseReturn = [&](HWND popup) {
        PostMessageA(popup, WM_KEYDOWN, VK_DOWN, 0);
        PostMessageA(popup, WM_KEYDOWN, VK_DOWN, 0);
        PostMessageA(popup, WM_KEYDOWN, VK_RETURN, 0);
    };

    HWND popup = openMenu();
    ASSERT_NE(nullptr, popup);
    EXPECT_TRUE(Traced("CMonitorWnd tray menu, return to the previous profile checked"));
    chooseReturn(popup);
    ASSERT_TRUE(Traced("CMonitorWnd return to the previous profile off"));
    EXPECT_EQ(0, folder_.ConfigInt("Setting", kReturnToPreviousKey, -1));

    ASSERT_TRUE(AwaitMenusClosed(kEventWait));
    popup = openMenu();
    ASSERT_NE(nullptr, popup);
    EXPECT_TRUE(Traced("CMonitorWnd tray menu, return to the previous profile unchecked"));
    chooseReturn(popup);
    ASSERT_TRUE(Traced("CMonitorWnd return to the previous profile on"));
    EXPECT_EQ(1, folder_.ConfigInt("Setting", kReturnToPreviousKey, -1));
}

// The program in front is looked up once, but matched against the profiles at every check: a GameFile applied while
// it stays in front takes effect, and the mouse's profile button is undone by the next check while it stays there.
TEST_F(MonitorSwitch, EveryCheckMatchesTheProgramThatStaysInFront) {
    Start(false);
    const std::string self = "monitor_switch_tests.exe";
    TestWindow game("Game");
    ASSERT_TRUE(game.ForegroundUntil(
        [&] { return Traced("CMonitorWnd foreground program " + self + ": profile stays", 1, 0); }, kSwitchWait));
    EXPECT_TRUE(CurrentProfileIs(0));

    // Option applies a GameFile naming the program in front to profile 4.
    auto share = std::make_unique<ShareData>();
    ASSERT_TRUE(ReadShare(*share));
    std::snprintf(share->Profile[3].GameFile, sizeof share->Profile[3].GameFile, "D:\\Games\\%s", self.c_str());
    ASSERT_TRUE(WriteShare(*share));
    HWND monitor = FindWindowA(nullptr, kMonitorWindowTitle);
    PostMessageA(monitor, ApplyAllSetting, 0, 0);
    ASSERT_TRUE(game.ForegroundUntil([] { return CurrentProfileIs(3); }, kSwitchWait));
    EXPECT_EQ(GetForegroundWindow(), game.Handle());
    EXPECT_EQ(1, debug_.Count("CMonitorWnd profile switch to 3", folder_.MonitorPid()));

    // The mouse's profile button while the game stays in front: the next check switches back.
    PostMessageA(monitor, DeviceEvent, 0x7000, 2);
    ASSERT_TRUE(Traced("CMonitorWnd profile switch to 1"));
    ASSERT_TRUE(game.ForegroundUntil(
        [&] { return debug_.Count("CMonitorWnd profile switch to 3", folder_.MonitorPid()) == 2; }, kSwitchWait));
    // The block is written just after the trace.
    EXPECT_TRUE(PumpUntil([] { return CurrentProfileIs(3); }, kEventWait));
}
