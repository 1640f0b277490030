// Option's main window and advanced page on this thread, over a program folder of their own: clicks with real input
// at the skin's places, finer rules through the window objects.

#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <cstring>
#include <functional>
#include <initializer_list>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "common/ini_file.h"
#include "common/profile_store.h"
#include "common/shared_block.h"
#include "option/app/tests/option_test_support.h"
#include "option/pages/pointer_mapping.h"
#include "testing/profiles.h"
#include "testing/skin_test_support.h"

using optiontest::ClickThroughWarning;

namespace {

// Profiles that differ from the reset ones where the tests look.
ShareData EditedProfiles(int current) {
    ShareData data = *DefaultData(current);
    for (int i = 0; i < kProfileCount; ++i) {
        data.Profile[i].MouseSpeed = 4 + 2 * i; // positions 3, 4, 5, 6, 7
        data.Profile[i].ScrollWheelSpeed = 5 + i;
        data.Profile[i].DbleClickSpeed = 600 - 20 * i;
        data.Profile[i].Cpi_X = 1;
    }
    return data;
}

std::string ProfileBytes(const optiontest::Folder& folder, int n) {
    return folder.Bytes("config\\Default" + std::to_string(n) + ".tvp");
}

bool Enabled(HWND w) {
    return IsWindowEnabled(w) != FALSE;
}

// The controls of the window and its pages that break the rule every click relies on: each control has an id of its
// own among its siblings, and none is 0, IDOK or IDCANCEL (Enter and Escape arrive as those, without a control). The
// pages themselves are dialogs, not controls; both pages draw buttons themselves, each with an id on its page.
std::vector<std::string> ControlIdFaults(HWND top, std::initializer_list<const ButtonRow*> rows, int& controls) {
    struct Walk {
        std::map<std::pair<HWND, int>, HWND> ids;
        std::vector<std::string> faults;
        int controls = 0;
    } walk;
    EnumChildWindows(
        top,
        [](HWND child, LPARAM data) -> BOOL {
            auto& w = *reinterpret_cast<Walk*>(data);
            char className[64] = {};
            GetClassNameA(child, className, sizeof className);
            if (std::string(className) == "#32770") {
                return TRUE;
            }
            ++w.controls;
            int id = GetDlgCtrlID(child);
            char text[160];
            std::snprintf(text, sizeof text, "a %s with id %d", className, id);
            if (id == 0 || id == IDOK || id == IDCANCEL ||
                !w.ids.emplace(std::pair(GetParent(child), id), child).second) {
                w.faults.push_back(text);
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&walk));
    for (const ButtonRow* row : rows) {
        for (size_t i = 0; i < row->Size(); ++i) {
            ++walk.controls;
            int id = row->At(i).Id();
            if (id == 0 || id == IDOK || id == IDCANCEL ||
                !walk.ids.emplace(std::pair(row->Host(), id), nullptr).second) {
                walk.faults.push_back("a drawn button with id " + std::to_string(id));
            }
        }
    }
    controls = walk.controls;
    return walk.faults;
}

class OptionWindow : public ::testing::Test {
protected:
    e2e::PointerRegistryGuard registry;
    optiontest::Folder folder;
};

TEST_F(OptionWindow, FilesAloneSelectAProfileThenCancelLeavesFilesAndRegistryAlone) {
    ASSERT_TRUE(folder.Ready());
    ASSERT_EQ(1, SaveAllProfiles(EditedProfiles(1), folder.Path()));
    std::string before[kProfileCount];
    for (int i = 0; i < kProfileCount; ++i) {
        before[i] = ProfileBytes(folder, i);
    }
    std::string config = folder.Bytes("config.ini");
    ProfileRecord registryBefore{};
    ReadPointerSettings(registryBefore);

    optiontest::Window w(folder.Path());
    ASSERT_TRUE(w.Open());
    MainWindow& main = w.Main();
    // No Monitor: the files, and nothing from the registry.
    EXPECT_FALSE(w.Context().Attached());
    EXPECT_EQ(1, w.Context().working.CurrentProfile);
    EXPECT_EQ(6, w.Context().working.Profile[1].MouseSpeed);
    EXPECT_EQ(std::string(kOptionWindowTitle), [&] {
        char title[64] = {};
        GetWindowTextA(w.Handle(), title, sizeof title);
        return std::string(title);
    }());
    // The basic page first, its tab pressed; profile 2's button pressed.
    EXPECT_EQ(0, main.ShownPage());
    EXPECT_TRUE(main.Tab(0).Checked());
    EXPECT_FALSE(main.Tab(1).Checked());
    EXPECT_TRUE(IsWindowVisible(main.BasicPage().Handle()));
    EXPECT_FALSE(IsWindowVisible(main.Advanced().Handle()));
    EXPECT_TRUE(main.ProfileButton(1).Checked());

    // The advanced tab, then profile 3, with real clicks.
    ASSERT_TRUE(ClickUntil(w.CentreOf(main.Tab(1).Handle()), [&] { return main.ShownPage() == 1; }));
    EXPECT_TRUE(IsWindowVisible(main.Advanced().Handle()));
    EXPECT_FALSE(IsWindowVisible(main.BasicPage().Handle()));
    EXPECT_TRUE(main.Tab(1).Checked());
    ASSERT_TRUE(ClickUntil(w.CentreOf(main.ProfileButton(2).Handle()),
                           [&] { return w.Context().working.CurrentProfile == 2; }));
    for (int i = 0; i < kProfileCount; ++i) {
        EXPECT_EQ(i == 2, main.ProfileButton(i).Checked()) << i;
    }
    // Every control of the window and both pages can be told by its id.
    int controls = 0;
    EXPECT_EQ(std::vector<std::string>{},
              ControlIdFaults(w.Handle(), {&main.BasicPage().Buttons(), &main.Advanced().Buttons()}, controls));
    EXPECT_GT(controls, 100);
    // The page shows profile 3: MouseSpeed 8 at position 5, the box at -1; five wheel lines + 2.
    EXPECT_EQ(5, main.Advanced().SpeedSlider().Value());
    EXPECT_EQ(-1, main.Advanced().SpeedBox().Value());
    EXPECT_EQ(7, main.Advanced().WheelSlider().Value());
    EXPECT_EQ(900 - 560, main.Advanced().DoubleClickSlider().Value());

    // Maximize and Minimize of the system menu do nothing.
    RECT r0{}, r1{};
    GetWindowRect(w.Handle(), &r0);
    SendMessageA(w.Handle(), WM_SYSCOMMAND, SC_MAXIMIZE, 0);
    SendMessageA(w.Handle(), WM_SYSCOMMAND, SC_MINIMIZE, 0);
    GetWindowRect(w.Handle(), &r1);
    EXPECT_FALSE(IsZoomed(w.Handle()));
    EXPECT_FALSE(IsIconic(w.Handle()));
    EXPECT_TRUE(EqualRect(&r0, &r1));

    // Cancel closes; nothing reached the files or the registry.
    ASSERT_TRUE(ClickUntil(w.CentreOf(main.CancelButton().Handle()), [&] { return w.Closed(); }));
    for (int i = 0; i < kProfileCount; ++i) {
        EXPECT_EQ(before[i], ProfileBytes(folder, i)) << i;
    }
    EXPECT_EQ(config, folder.Bytes("config.ini"));
    ProfileRecord registryAfter{};
    ReadPointerSettings(registryAfter);
    EXPECT_EQ(registryBefore.MouseSpeed, registryAfter.MouseSpeed);
    EXPECT_EQ(registryBefore.DbleClickSpeed, registryAfter.DbleClickSpeed);
}

// The advanced page is not built before the window shows: it comes after the first paint, or with its tab when that
// is clicked first; either way it shows the profile.
TEST_F(OptionWindow, TheAdvancedPageIsBuiltAfterTheFirstPaintOrByItsTab) {
    ASSERT_EQ(1, SaveAllProfiles(EditedProfiles(3), folder.Path()));
    {
        optiontest::Window w(folder.Path());
        ASSERT_TRUE(w.Open());
        AdvancedPage& page = w.Main().Advanced();
        ASSERT_TRUE(PumpUntil([&] { return page.Handle() != nullptr; }));
        EXPECT_FALSE(IsWindowVisible(page.Handle()));
        EXPECT_EQ(GetParent(page.Handle()), w.Handle());
        EXPECT_EQ(6, page.SpeedSlider().Value()); // MouseSpeed 10
        EXPECT_EQ(8, page.WheelSlider().Value());
    }
    OptionContext context;
    context.programFolder = folder.Path();
    MainWindow main(context);
    ASSERT_NE(nullptr, main.CreatePopup(nullptr));
    // No message pumped yet: the window has not painted.
    EXPECT_EQ(nullptr, main.Advanced().Handle());
    main.ShowPage(1);
    ASSERT_NE(nullptr, main.Advanced().Handle());
    EXPECT_TRUE(IsWindowVisible(main.Advanced().Handle()));
    EXPECT_FALSE(IsWindowVisible(main.BasicPage().Handle()));
    EXPECT_EQ(6, main.Advanced().SpeedSlider().Value());
    // The first paint's build finds the page there and leaves it as it is.
    HWND built = main.Advanced().Handle();
    UpdateWindow(main.Handle());
    ASSERT_TRUE(PumpUntil([] { return HIWORD(GetQueueStatus(QS_POSTMESSAGE)) == 0; }));
    EXPECT_EQ(built, main.Advanced().Handle());
    EXPECT_TRUE(IsWindowVisible(built));
    main.Destroy();
}

TEST_F(OptionWindow, AdvancedPageRulesAndTheDoubleClickTimeComesBackOnClose) {
    ASSERT_EQ(1, SaveAllProfiles(EditedProfiles(0), folder.Path()));
    SetDoubleClickTime(430);
    {
        optiontest::Window w(folder.Path());
        ASSERT_TRUE(w.Open());
        MainWindow& main = w.Main();
        ASSERT_TRUE(ClickUntil(w.CentreOf(main.Tab(1).Handle()), [&] { return main.ShownPage() == 1; }));
        AdvancedPage& page = main.Advanced();
        ProfileRecord& p = *w.Context().Active();

        // Speed: slider 6 stores 10 and shows 0; box +5 stores 20 and moves the slider to 11.
        page.SliderMoved(AdvancedPage::kSpeedSlider, 6);
        EXPECT_EQ(10, p.MouseSpeed);
        EXPECT_EQ(0, page.SpeedBox().Value());
        page.NumberChanged(AdvancedPage::kSpeedBox, 5);
        EXPECT_EQ(20, p.MouseSpeed);
        EXPECT_EQ(11, page.SpeedSlider().Value());
        // MouseSpeed 3 shows at 3 (box -3); away and back to 3 stores 4.
        p.MouseSpeed = 3;
        main.RefreshPages();
        EXPECT_EQ(3, page.SpeedSlider().Value());
        EXPECT_EQ(-3, page.SpeedBox().Value());
        page.SliderMoved(AdvancedPage::kSpeedSlider, 8);
        page.SliderMoved(AdvancedPage::kSpeedSlider, 3);
        EXPECT_EQ(4, p.MouseSpeed);
        // A real click on the speed track: the slider's value reaches the profile through the page.
        RECT track{};
        GetWindowRect(page.SpeedSlider().Handle(), &track);
        POINT right{track.right - 3, (track.top + track.bottom) / 2};
        ASSERT_TRUE(ClickUntil(right, [&] { return p.MouseSpeed == 20; }));
        EXPECT_EQ(5, page.SpeedBox().Value());

        // Double-click: position 400 stores 500 ms and sets the system's time at once.
        page.SliderMoved(AdvancedPage::kDoubleClickSlider, 400);
        EXPECT_EQ(500, p.DbleClickSpeed);
        EXPECT_EQ(500u, GetDoubleClickTime());
        page.SliderMoved(AdvancedPage::kDoubleClickSlider, 100);
        EXPECT_EQ(800u, GetDoubleClickTime());

        // One screen a notch: the wheel slider cannot be moved; clearing it brings the stored lines back.
        p.ScrollWheelSpeed = 4;
        main.RefreshPages();
        ASSERT_TRUE(ClickUntil(w.CentreOf(page.OneScreen()), [&] { return p.ScrollWheelFlag == 1; }));
        EXPECT_FALSE(Enabled(page.WheelSlider().Handle()));
        page.SliderMoved(AdvancedPage::kWheelSlider, 9);
        EXPECT_EQ(4, p.ScrollWheelSpeed);
        ASSERT_TRUE(ClickUntil(w.CentreOf(page.OneScreen()), [&] { return p.ScrollWheelFlag == 0; }));
        EXPECT_TRUE(Enabled(page.WheelSlider().Handle()));
        EXPECT_EQ(4, page.WheelSlider().Value());
        page.NumberChanged(AdvancedPage::kWheelBox, 9);
        EXPECT_EQ(9, p.ScrollWheelSpeed);
        EXPECT_EQ(9, page.WheelSlider().Value());

        // Acceleration takes row 8 whatever row was stored; clearing it stores 0.
        p.AccelerationFlag = 0;
        p.Acceleration = 3;
        main.RefreshPages();
        ASSERT_TRUE(ClickUntil(w.CentreOf(page.Acceleration()), [&] { return p.AccelerationFlag == 1; }));
        EXPECT_EQ(8, p.Acceleration);
        ASSERT_TRUE(ClickUntil(w.CentreOf(page.Acceleration()), [&] { return p.AccelerationFlag == 0; }));
        EXPECT_EQ(0, p.Acceleration);
        EXPECT_FALSE(page.Acceleration().Checked());
        // The check box clicked last keeps the keyboard: Space ticks it again.
        ASSERT_TRUE(KeyPressHandled(nullptr, VK_SPACE));
        EXPECT_TRUE(page.Acceleration().Checked());
        EXPECT_EQ(1, p.AccelerationFlag);
        EXPECT_EQ(8, p.Acceleration);

        // X and Y together: Y takes X, both sliders move; then one slider moves both.
        p.Sensitivity_X = 4;
        p.Sensitivity_Y = 12;
        p.XYSynchronous = 0;
        main.RefreshPages();
        ASSERT_TRUE(ClickUntil(w.CentreOf(page.XYTogether()), [&] { return p.XYSynchronous == 1; }));
        EXPECT_EQ(4, p.Sensitivity_Y);
        EXPECT_EQ(PositionFromSpeed(4), page.SensitivityX().Value());
        EXPECT_EQ(PositionFromSpeed(4), page.SensitivityY().Value());
        page.SliderMoved(AdvancedPage::kSensitivityXSlider, 7);
        EXPECT_EQ(12, p.Sensitivity_X);
        EXPECT_EQ(12, p.Sensitivity_Y);
        EXPECT_EQ(7, page.SensitivityY().Value());
    }
    // Closed without Apply: the system has its time from before the first change again.
    EXPECT_EQ(430u, GetDoubleClickTime());
}

TEST_F(OptionWindow, RestoreDefaultsAsksFirstThenResetsAndApplies) {
    ShareData data = EditedProfiles(3);
    std::strcpy(data.Profile[2].ProFileName, "Sniper");
    ASSERT_EQ(1, SaveAllProfiles(data, folder.Path()));
    optiontest::Window w(folder.Path());
    ASSERT_TRUE(w.Open());
    MainWindow& main = w.Main();
    ASSERT_TRUE(ClickUntil(w.CentreOf(main.Tab(1).Handle()), [&] { return main.ShownPage() == 1; }));
    POINT restore = w.CentreOf(main.Advanced().RestoreDefaults());
    std::string before = ProfileBytes(folder, 2);

    // Cancel in the warning: nothing changes.
    ASSERT_TRUE(ClickThroughWarning(restore, false, [] { return true; }).Clean());
    EXPECT_EQ(3, w.Context().working.CurrentProfile);
    EXPECT_STREQ("Sniper", w.Context().working.Profile[2].ProFileName);

    // OK: every profile reset, the first selected, and applied to the files at once (no Monitor: not busy).
    ASSERT_TRUE(ClickThroughWarning(restore, true, [&] { return w.Context().working.CurrentProfile == 0; }).Clean());
    EXPECT_STREQ("Default3", w.Context().working.Profile[2].ProFileName);
    EXPECT_EQ(0, folder.ConfigInt("Setting", "CurrentProfile", -1));
    EXPECT_NE(before, ProfileBytes(folder, 2));
    ProfileRecord reread{};
    ReadProfileFile(reread, folder.File("config\\Default2.tvp"));
    EXPECT_STREQ("Default3", reread.ProFileName);
    EXPECT_TRUE(main.ProfileButton(0).Checked());
    EXPECT_FALSE(main.Busy());
}

TEST_F(OptionWindow, DeviceMissingWarningOnceRightAfterTheWindowShows) {
    folder.SetDevice(0);
    {
        optiontest::Window w(folder.Path());
        optiontest::WarningRun run = optiontest::OpenThroughWarnings(w, true);
        EXPECT_TRUE(run.Clean());
        EXPECT_TRUE(run.ownerVisible);
        EXPECT_TRUE(w.Main().DeviceWarningShown());
        EXPECT_FALSE(w.Closed()); // the window stays open whatever the answer
    }

    // With the mouse there, no warning.
    folder.SetDevice(1);
    optiontest::Window quiet(folder.Path());
    const optiontest::WarningRun run = optiontest::OpenThroughWarnings(quiet, true);
    EXPECT_TRUE(run.done);
    EXPECT_EQ(0, run.warnings);
    EXPECT_FALSE(run.rescued);
    EXPECT_FALSE(quiet.Main().DeviceWarningShown());
    EXPECT_EQ(nullptr, optiontest::DialogOverOption(GetCurrentThreadId()));
}

TEST_F(OptionWindow, ApplyWaitsForMonitorKeepsEditsOnItsReportsAndStopsWaitingAlone) {
    ShareData data = EditedProfiles(1);
    SharedBlock block;
    ASSERT_EQ(BlockResult::Ready, block.Create(data));
    e2e::OptionStandIn monitor(kMonitorWindowTitle);
    // Attached to the block, the active profile shows the system's pointer values.
    SetRegistryText(kMouseRegistryKey, "DoubleClickSpeed", "612");

    optiontest::Window w(folder.Path());
    ASSERT_TRUE(w.Open());
    MainWindow& main = w.Main();
    main.SetApplyAnswerLimit(1500);
    OptionContext& c = w.Context();
    ASSERT_TRUE(c.Attached());
    EXPECT_EQ(1, c.working.CurrentProfile);
    EXPECT_EQ(612, c.working.Profile[1].DbleClickSpeed);
    EXPECT_EQ(580, c.shadow.Profile[1].DbleClickSpeed);

    // Apply: busy until Monitor answers; the block and the files hold the edit.
    c.working.Profile[1].MouseSpeed = 14;
    ASSERT_TRUE(ClickUntil(w.CentreOf(main.ApplyButton().Handle()), [&] { return main.Busy(); }));
    EXPECT_FALSE(Enabled(main.OkButton().Handle()));
    EXPECT_FALSE(Enabled(main.ApplyButton().Handle()));
    ASSERT_TRUE(PumpUntil([&] { return monitor.Count(ApplyAllSetting) == 1; }));
    ShareData read;
    ASSERT_EQ(1, block.ReadBlock(read));
    EXPECT_EQ(14, read.Profile[1].MouseSpeed);
    ProfileRecord file{};
    ReadProfileFile(file, folder.File("config\\Default1.tvp"));
    EXPECT_EQ(14, file.MouseSpeed);

    // The mouse reports a new stage and rate: only those two come in; the unsaved edit stays.
    read.Profile[1].Cpi_X = 5;
    read.Profile[1].PollingRate = 1;
    read.Profile[1].MouseSpeed = 2;
    ASSERT_EQ(1, block.WriteBlock(read));
    c.working.Profile[1].MouseSpeed = 16;
    SendMessageA(w.Handle(), DeviceSettingChanged, 0, 0);
    EXPECT_EQ(5, c.working.Profile[1].Cpi_X);
    EXPECT_EQ(1, c.working.Profile[1].PollingRate);
    EXPECT_EQ(16, c.working.Profile[1].MouseSpeed);
    EXPECT_TRUE(Enabled(main.ApplyButton().Handle()));
    // No ApplyFinished: the window stops waiting by itself.
    EXPECT_TRUE(main.Busy());
    ASSERT_TRUE(PumpUntil([&] { return !main.Busy(); }, 5000));
    EXPECT_NE(GetCapture(), w.Handle());

    // ApplyFinished ends the wait.
    ASSERT_TRUE(ClickUntil(w.CentreOf(main.ApplyButton().Handle()), [&] { return main.Busy(); }));
    PostMessageA(w.Handle(), ApplyFinished, 0, 0);
    ASSERT_TRUE(PumpUntil([&] { return !main.Busy(); }, 1000));
    EXPECT_TRUE(Enabled(main.OkButton().Handle()));

    // A profile switch takes the whole block; unsaved edits go.
    ASSERT_EQ(1, block.ReadBlock(read));
    read.CurrentProfile = 4;
    ASSERT_EQ(1, block.WriteBlock(read));
    c.working.Profile[4].MouseSpeed = 18;
    SendMessageA(w.Handle(), ProfileSwitched, 0, 0);
    EXPECT_EQ(4, c.working.CurrentProfile);
    EXPECT_EQ(read.Profile[4].MouseSpeed, c.working.Profile[4].MouseSpeed);
    EXPECT_TRUE(main.ProfileButton(4).Checked());
    EXPECT_FALSE(main.ProfileButton(1).Checked());

    // Cancel closes the window while it waits.
    ASSERT_TRUE(ClickUntil(w.CentreOf(main.ApplyButton().Handle()), [&] { return main.Busy(); }));
    HWND hwnd = w.Handle();
    EXPECT_EQ(hwnd, GetCapture());
    ASSERT_TRUE(ClickUntil(w.CentreOf(main.CancelButton().Handle()), [&] { return w.Closed(); }));
    EXPECT_NE(hwnd, GetCapture());
}

// Another program keeps the block locked past the wait while Option starts: the settings come from the files, as
// without Monitor, and OK (the block free again) writes them back as they were rather than a copy of zeros.
TEST_F(OptionWindow, ABlockLockedAtTheStartGivesTheFilesAndOkKeepsThem) {
    ShareData data = EditedProfiles(2);
    // A row of the acceleration table that the registry gives back as it was written.
    data.Profile[2].AccelerationFlag = 1;
    ASSERT_EQ(1, SaveAllProfiles(data, folder.Path()));
    // The load takes the active profile's pointer values from the registry: the same as the file's, so that a save
    // of what was loaded changes nothing.
    ASSERT_EQ(1, WritePointerSettings(data.Profile[2]));
    std::string before[kProfileCount];
    for (int i = 0; i < kProfileCount; ++i) {
        before[i] = ProfileBytes(folder, i);
    }
    const std::string config = folder.Bytes("config.ini");
    ShareData zeros;
    std::memset(&zeros, 0, sizeof zeros);
    SharedBlock block;
    ASSERT_EQ(BlockResult::Ready, block.Create(zeros));

    // The lock belongs to another thread: this one's would be taken again by the window on this thread.
    HANDLE locked = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    HANDLE release = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    std::thread holder([&] {
        HANDLE mutex = OpenMutexA(SYNCHRONIZE, FALSE, kShareDataMutexName);
        WaitForSingleObject(mutex, INFINITE);
        SetEvent(locked);
        WaitForSingleObject(release, 120000);
        ReleaseMutex(mutex);
        CloseHandle(mutex);
    });
    ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(locked, 10000));
    {
        optiontest::Window w(folder.Path());
        const bool opened = w.Open();
        EXPECT_TRUE(opened);
        if (opened) {
            OptionContext& c = w.Context();
            EXPECT_TRUE(c.Attached());
            EXPECT_EQ(2, c.working.CurrentProfile);
            EXPECT_EQ(8, c.working.Profile[2].MouseSpeed);
            SetEvent(release);
            holder.join();
            MainWindow& main = w.Main();
            EXPECT_TRUE(ClickUntil(w.CentreOf(main.OkButton().Handle()), [&] { return w.Closed(); }));
        }
    }
    SetEvent(release);
    if (holder.joinable()) {
        holder.join();
    }
    CloseHandle(locked);
    CloseHandle(release);
    for (int i = 0; i < kProfileCount; ++i) {
        EXPECT_EQ(before[i], ProfileBytes(folder, i)) << i;
    }
    EXPECT_EQ(config, folder.Bytes("config.ini"));
}

// An import whose writing fails keeps the active profile's file and its settings as they were and tells the user; a
// file above the read bounds is refused.
TEST_F(OptionWindow, AnImportThatCannotBeWrittenKeepsTheOldFileAndSaysSo) {
    ASSERT_EQ(1, SaveAllProfiles(EditedProfiles(2), folder.Path()));
    ShareData other = EditedProfiles(0);
    std::strcpy(other.Profile[0].ProFileName, "Imported");
    ASSERT_EQ(1, WriteProfileFile(other.Profile[0], folder.File("mine.tvp")));
    const std::string mine = folder.File("mine.tvp");
    const std::string target = folder.File("config\\Default2.tvp");
    const std::string before = folder.Bytes("config\\Default2.tvp");

    optiontest::Window w(folder.Path());
    ASSERT_TRUE(w.Open());
    MainWindow& main = w.Main();
    OptionContext& c = w.Context();
    // The writer's new file cannot be made: a folder stands where it would go (Wine run as root writes into
    // read-only folders and over read-only files alike).
    ASSERT_TRUE(CreateDirectoryA(TemporaryPathFor(target).c_str(), nullptr));
    bool imported = true;
    bool returned = false;
    const optiontest::WarningRun run = ClickThroughWarning(
        [&] {
            imported = main.ImportProfileFrom(mine);
            returned = true;
        },
        true, [&] { return returned; });
    RemoveDirectoryA(TemporaryPathFor(target).c_str());
    EXPECT_TRUE(run.Clean());
    EXPECT_FALSE(imported);
    EXPECT_EQ(before, folder.Bytes("config\\Default2.tvp"));
    EXPECT_STREQ("Default3", c.working.Profile[2].ProFileName);

    {
        ScopedReadBounds bounds({folder.Bytes("mine.tvp").size() - 1, IniDocument::kMaxLines});
        EXPECT_FALSE(main.ImportProfileFrom(mine));
    }
    EXPECT_EQ(before, folder.Bytes("config\\Default2.tvp"));
    ASSERT_TRUE(main.ImportProfileFrom(mine));
    EXPECT_EQ(folder.Bytes("mine.tvp"), folder.Bytes("config\\Default2.tvp"));
    EXPECT_STREQ("Imported", c.working.Profile[2].ProFileName);
}

TEST_F(OptionWindow, ImportReplacesTheActiveFileHiddenExceptItselfOrJunkAndExportWritesTheWorkingCopy) {
    ASSERT_EQ(1, SaveAllProfiles(EditedProfiles(2), folder.Path()));
    ShareData other = EditedProfiles(0);
    ProfileRecord& mine = other.Profile[0];
    std::strcpy(mine.ProFileName, "Imported");
    mine.MouseSpeed = 18;
    mine.CpiLevel_X[2] = 11;
    ASSERT_EQ(1, WriteProfileFile(mine, folder.File("mine.tvp")));

    optiontest::Window w(folder.Path());
    ASSERT_TRUE(w.Open());
    MainWindow& main = w.Main();
    OptionContext& c = w.Context();
    const std::string target = "config\\Default2.tvp";

    // Junk and a missing file change nothing.
    std::string junk = folder.File("junk.tvp");
    WritePrivateProfileStringA("Other", "Key", "1", junk.c_str());
    std::string before = folder.Bytes(target);
    EXPECT_FALSE(main.ImportProfileFrom(junk));
    EXPECT_FALSE(main.ImportProfileFrom(folder.File("missing.tvp")));
    EXPECT_EQ(before, folder.Bytes(target));
    EXPECT_EQ(8, c.working.Profile[2].MouseSpeed);

    // A profile file: the active profile's file becomes it, hidden, and the pages show it.
    ASSERT_TRUE(main.ImportProfileFrom(folder.File("mine.tvp")));
    EXPECT_EQ(folder.Bytes("mine.tvp"), folder.Bytes(target));
    DWORD attributes = GetFileAttributesA(folder.File(target).c_str());
    ASSERT_NE(INVALID_FILE_ATTRIBUTES, attributes);
    EXPECT_TRUE(attributes & FILE_ATTRIBUTE_HIDDEN);
    EXPECT_STREQ("Imported", c.working.Profile[2].ProFileName);
    EXPECT_EQ(11, c.working.Profile[2].CpiLevel_X[2]);
    EXPECT_EQ(10, main.Advanced().SpeedSlider().Value());

    // The target itself: left whole (the dialog opens in config\).
    ASSERT_TRUE(main.ImportProfileFrom(folder.File(target)));
    EXPECT_EQ(folder.Bytes("mine.tvp"), folder.Bytes(target));

    // Apply writes over the hidden file.
    c.working.Profile[2].MouseSpeed = 6;
    main.Apply();
    ProfileRecord reread{};
    ReadProfileFile(reread, folder.File(target));
    EXPECT_EQ(6, reread.MouseSpeed);

    // Export: the working copy with its unapplied edits, as a new file in the writer's order, over an old file.
    c.working.Profile[2].MouseSpeed = 12;
    std::string out = folder.File("out.tvp");
    WritePrivateProfileStringA("Stale", "Key", "1", out.c_str());
    // A file of the user's own that happens to be named like a temporary one stays as it is.
    WritePrivateProfileStringA("Mine", "Key", "1", (out + ".new").c_str());
    const std::string usersOwn = folder.Bytes("out.tvp.new");
    ASSERT_FALSE(usersOwn.empty());
    ASSERT_TRUE(main.ExportProfileTo(out));
    EXPECT_EQ(usersOwn, folder.Bytes("out.tvp.new"));
    std::string fresh = folder.File("fresh.tvp");
    ASSERT_EQ(1, WriteProfileFile(c.working.Profile[2], fresh));
    EXPECT_EQ(folder.Bytes("fresh.tvp"), folder.Bytes("out.tvp"));
    EXPECT_EQ(std::string::npos, folder.Bytes("out.tvp").find("Stale"));
    EXPECT_NE(std::string::npos, folder.Bytes("out.tvp").find("MouseSpeed=12"));
}

// Drives the file dialog a click opens: checks its file name and first filter, types `path` and presses OK.
struct FileDialogRun {
    std::string initialName;
    std::string filter;
};
FileDialogRun DriveFileDialog(POINT opener, const std::string& path, const std::function<bool()>& done) {
    DWORD thread = GetCurrentThreadId();
    FileDialogRun run;
    std::atomic<bool> finished{false};
    std::thread driver([&] {
        HWND dialog = nullptr, name = nullptr;
        Await(
            [&] {
                dialog = optiontest::DialogOverOption(thread);
                name = dialog ? GetDlgItem(dialog, 0x47C) : nullptr; // the file name box of the explorer dialog
                return name != nullptr || finished;
            },
            15000);
        if (name) {
            char text[MAX_PATH] = {};
            GetWindowTextA(name, text, sizeof text);
            run.initialName = text;
            char first[128] = {};
            SendMessageA(GetDlgItem(dialog, 0x470), CB_GETLBTEXT, 0, reinterpret_cast<LPARAM>(first));
            run.filter = first;
            SetWindowTextA(name, path.c_str());
            PostMessageA(dialog, WM_COMMAND, IDOK, 0);
        }
    });
    MouseClickAt(opener.x, opener.y);
    PumpUntil(done, 15000);
    finished = true;
    driver.join();
    return run;
}

TEST_F(OptionWindow, ImportAndExportButtonsOpenTheirFileDialogsInTheConfigFolder) {
    ASSERT_EQ(1, SaveAllProfiles(EditedProfiles(1), folder.Path()));
    ShareData other = EditedProfiles(0);
    std::strcpy(other.Profile[0].ProFileName, "From a file");
    ASSERT_EQ(1, WriteProfileFile(other.Profile[0], folder.File("shared.tvp")));
    optiontest::Window w(folder.Path());
    ASSERT_TRUE(w.Open());
    MainWindow& main = w.Main();

    FileDialogRun in = DriveFileDialog(w.CentreOf(main.ImportButton().Handle()), folder.File("shared.tvp"), [&] {
        return std::string(w.Context().working.Profile[1].ProFileName) == "From a file";
    });
    EXPECT_STREQ("From a file", w.Context().working.Profile[1].ProFileName);
    EXPECT_EQ(".tvp", in.initialName);
    EXPECT_EQ("Tarvex Profile(*.tvp)", in.filter);

    // A name without extension gets ".tvp".
    w.Context().working.Profile[1].MouseSpeed = 16;
    FileDialogRun out = DriveFileDialog(w.CentreOf(main.ExportButton().Handle()), folder.File("mine"), [&] {
        return GetFileAttributesA(folder.File("mine.tvp").c_str()) != INVALID_FILE_ATTRIBUTES;
    });
    EXPECT_EQ(".tvp", out.initialName);
    ProfileRecord exported{};
    ReadProfileFile(exported, folder.File("mine.tvp"));
    EXPECT_EQ(16, exported.MouseSpeed);
    EXPECT_STREQ("From a file", exported.ProFileName);
}

} // namespace
