// The macro half of the advanced page on the real main window: keys through the real keyboard hook (SendInput),
// names and numbers typed into the page, the steps' menu commands, and a recorded macro applied through Monitor into
// the virtual mouse.

#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <cctype>
#include <cstring>

#include "common/function_codes.h"
#include "common/profile_store.h"
#include "hiddriver/memory_dump.h"
#include "hiddriver/virtual_mouse.h"
#include "option/app/option_files.h"
#include "option/app/tests/option_test_support.h"
#include "option/macros/macro_files.h"
#include "option/macros/macro_library.h"
#include "option/skin/key_capture_hook.h"
#include "option/skin/skin_description.h"
#include "testing/profiles.h"
#include "testing/screenshot.h"
#include "testing/skin_test_support.h"

namespace {

constexpr WORD kVkA = 'A', kVkB = 'B';

void SendKey(WORD vk, bool up) {
    INPUT in{};
    in.type = INPUT_KEYBOARD;
    in.ki.wVk = vk;
    in.ki.wScan = static_cast<WORD>(MapVirtualKeyA(vk, MAPVK_VK_TO_VSC));
    in.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
    SendInput(1, &in, sizeof in);
}

// Key messages that reach this thread's windows (the hook consumes every key while it is installed).
std::atomic<int> g_keyMessages{0};
HHOOK g_watch = nullptr;
LRESULT CALLBACK WatchKeys(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HC_ACTION && wParam == PM_REMOVE) {
        auto* msg = reinterpret_cast<MSG*>(lParam);
        if (msg->message == WM_KEYDOWN || msg->message == WM_KEYUP) {
            ++g_keyMessages;
        }
    }
    return CallNextHookEx(g_watch, code, wParam, lParam);
}

class MacroPage : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(folder.Ready());
        SaveMacros({});
    }
    // A library file of macros named as given, each with `events` key presses.
    void SaveMacros(const std::vector<std::pair<std::string, int>>& macros) {
        MacroLibrary library;
        for (const auto& [name, events] : macros) {
            auto r = NewMacroRecord(name);
            for (int i = 0; i < events; ++i) {
                r->Events[i] = {static_cast<uint8_t>(0x04 + i % 26), kMacroPress, 0};
            }
            r->EventCount = events;
            library.push_back(std::move(r));
        }
        SaveMacroLibrary(library, MacroLibraryPath(folder.Path()));
    }
    // Opens the window on the advanced page.
    MacroEditor& Open(optiontest::Window& w) {
        EXPECT_TRUE(w.Open());
        MainWindow& main = w.Main();
        EXPECT_TRUE(ClickUntil(w.CentreOf(main.Tab(1).Handle()), [&] { return main.ShownPage() == 1; }));
        return main.Advanced().Macros();
    }
    e2e::PointerRegistryGuard registry;
    optiontest::Folder folder;
};

TEST_F(MacroPage, RecordingTakesKeysThroughTheHookAloneWithMeasuredPauses) {
    SaveMacros({{"Burst", 3}});
    optiontest::Window w(folder.Path());
    MacroEditor& m = Open(w);
    ASSERT_EQ(0, m.ShownIndex());
    EXPECT_EQ(3, m.Events().count);
    uint32_t now = 5000;
    m.SetTick([&] { return now; });
    HoldForScreenshot("advanced-page");

    // With delays: press A, release A, press B (held: its repeats are dropped), release B.
    ASSERT_TRUE(ClickUntil(w.CentreOf(m.DelaysBox()), [&] { return m.DelaysBox().Checked(); }));
    ASSERT_TRUE(ClickUntil(w.CentreOf(m.RecordButton()), [&] { return m.Recording(); }));
    EXPECT_TRUE(KeyCaptureInstalled());
    EXPECT_EQ(0, m.Events().count); // the Record button replaces the macro's steps
    EXPECT_FALSE(m.NewButton().Enabled());
    EXPECT_FALSE(IsWindowEnabled(m.MacroList().Handle()));
    // The page draws New with its disabled face, and a real click on it opens no name line.
    POINT origin{0, 0};
    ClientToScreen(w.Main().Advanced().Handle(), &origin);
    const RECT newRect = m.NewButton().ScreenRect();
    const POINT corner{newRect.left + 3, newRect.top + 3};
    auto picture = [&](const char* file) {
        return FilePixel(SkinFolder() + file, corner.x - origin.x, corner.y - origin.y);
    };
    ASSERT_NE(picture("advance_normal.bmp"), picture("advance_disable.bmp"));
    EXPECT_TRUE(PumpUntil([&] { return ScreenPixel(corner) == picture("advance_disable.bmp"); }));
    ASSERT_TRUE(ClickAndSettle(w.CentreOf(m.NewButton())));
    EXPECT_FALSE(m.MacroList().Editing());
    EXPECT_TRUE(m.Recording());
    HoldForScreenshot("advanced-page-recording");
    g_keyMessages = 0;
    g_watch = SetWindowsHookExA(WH_GETMESSAGE, WatchKeys, nullptr, GetCurrentThreadId());
    const int steps[][3] = {{kVkA, 0, 120}, {kVkA, 1, 300}, {kVkB, 0, 0}, {kVkB, 0, 0}, {kVkB, 0, 0}, {kVkB, 1, 0}};
    int expected = 0;
    for (const auto& s : steps) {
        SendKey(static_cast<WORD>(s[0]), s[1] != 0);
        if (!(s[0] == kVkB && s[1] == 0 && expected == 3)) {
            ++expected;
        }
        ASSERT_TRUE(PumpUntil([&] { return m.Events().count >= expected; }, 3000)) << expected;
        ASSERT_TRUE(PumpPosted());
        now += s[2] ? s[2] : 2 * 60 * 1000; // the pause before the next key
    }
    UnhookWindowsHookEx(g_watch);
    EXPECT_EQ(0, g_keyMessages.load()); // the hook kept every key from the windows
    ASSERT_EQ(4, m.Events().count);
    EXPECT_EQ(0x04, m.Events().events[0].MacroCode);
    EXPECT_EQ(kMacroRelease, m.Events().events[1].Action);
    EXPECT_EQ(0x05, m.Events().events[2].MacroCode);
    EXPECT_EQ(120, m.Events().events[0].Delay);
    EXPECT_EQ(300, m.Events().events[1].Delay);
    EXPECT_EQ(65535, m.Events().events[2].Delay);
    EXPECT_EQ(0, m.Events().events[3].Delay);
    // The event list shows them with their pauses.
    EXPECT_EQ(7, m.EventList().Count());
    EXPECT_EQ("120 ms", m.EventList().Text(1));

    // Stop: the hook goes, the record and the button entries that use it get the steps.
    ASSERT_TRUE(ClickUntil(w.CentreOf(m.StopButton()), [&] { return !m.Recording(); }));
    EXPECT_FALSE(KeyCaptureInstalled());
    EXPECT_TRUE(m.NewButton().Enabled());
    EXPECT_TRUE(PumpUntil([&] { return ScreenPixel(corner) == picture("advance_normal.bmp"); }));
    MacroRecord* r = MacroAt(w.Context().macros, 0);
    ASSERT_NE(nullptr, r);
    EXPECT_EQ(4, r->EventCount);
    EXPECT_EQ(65535, r->Events[2].Delay);
    // Stop while idle changes nothing.
    m.Stop();
    EXPECT_EQ(4, r->EventCount);
    EXPECT_FALSE(KeyCaptureInstalled());

    // The fiftieth event stops the recording by itself and removes the hook.
    ASSERT_TRUE(ClickUntil(w.CentreOf(m.RecordButton()), [&] { return m.Recording(); }));
    for (int i = 0; i < 25 && m.Recording(); ++i) {
        WORD vk = static_cast<WORD>('C' + i % 20);
        SendKey(vk, false);
        SendKey(vk, true);
        PumpUntil([&] { return m.Events().count >= 2 * (i + 1); }, 3000);
    }
    EXPECT_FALSE(m.Recording());
    EXPECT_FALSE(KeyCaptureInstalled());
    EXPECT_EQ(50, r->EventCount);
}

TEST_F(MacroPage, NamesNumbersAndTheStepsMenu) {
    SaveMacros({{"jump", 10}, {"Full", 49}, {"Room", 48}});
    optiontest::Window w(folder.Path());
    MacroEditor& m = Open(w);
    MacroLibrary& library = w.Context().macros;
    ASSERT_EQ(3u, library.size());

    // New names: blanks only and a case-blind duplicate are dropped with their line; a fresh one is a macro.
    auto typeName = [&](const char* text) {
        int before = m.MacroList().Count();
        EXPECT_TRUE(ClickUntil(w.CentreOf(m.NewButton()), [&] { return m.MacroList().Editing(); }));
        for (const char* c = text; *c; ++c) {
            bool upper = std::isupper(static_cast<unsigned char>(*c)) != 0;
            WORD vk = *c == ' ' ? VK_SPACE : static_cast<WORD>(std::toupper(static_cast<unsigned char>(*c)));
            if (upper) {
                SendKey(VK_SHIFT, false);
            }
            KeyPress(vk);
            if (upper) {
                SendKey(VK_SHIFT, true);
            }
        }
        KeyPressHandled(nullptr, VK_RETURN);
        PumpUntil([&] { return !m.MacroList().Editing(); }, 2000);
        return m.MacroList().Count() - before;
    };
    EXPECT_EQ(0, typeName("   "));
    EXPECT_EQ(0, typeName("JUMP"));
    EXPECT_EQ(3u, library.size());
    EXPECT_EQ(1, typeName("Dash"));
    ASSERT_EQ(4u, library.size());
    EXPECT_EQ("Dash", MacroNameOf(*library[3]));
    EXPECT_EQ(3, m.ShownIndex());

    // Repeat count: 0 becomes 1, 999 becomes 255 when the box loses the focus.
    auto typeRepeat = [&](const char* text) {
        SetFocus(m.RepeatBox().Handle());
        SetWindowTextA(m.RepeatBox().Handle(), text);
        SetFocus(m.EventList().Handle());
        PumpPosted();
        char shown[8] = {};
        GetWindowTextA(m.RepeatBox().Handle(), shown, sizeof shown);
        return std::string(shown);
    };
    EXPECT_EQ("1", typeRepeat("0"));
    EXPECT_EQ(1, library[3]->RepeatCount);
    EXPECT_EQ("255", typeRepeat("999"));
    EXPECT_EQ(255, library[3]->RepeatCount);

    // Mouse clicks: none into 49 events, press and release into 48.
    m.MacroList().Select(1);
    m.ShowMacro(1);
    m.EventList().Select(-1);
    m.RunMenuCommand(1022);
    EXPECT_EQ(49, library[1]->EventCount);
    m.MacroList().Select(2);
    m.ShowMacro(2);
    m.EventList().Select(-1);
    m.RunMenuCommand(1022);
    ASSERT_EQ(50, library[2]->EventCount);
    EXPECT_EQ(kMacroLeftButton, library[2]->Events[48].MacroCode);
    EXPECT_EQ(kMacroRelease, library[2]->Events[49].Action);

    // On "jump": insert a delay before the third step through the dialog, edit it to 70000, delete it, delete a step.
    m.MacroList().Select(0);
    m.ShowMacro(0);
    MacroRecord& jump = *library[0];
    m.EventList().Select(0);
    m.RunMenuCommand(1003); // the first step: nothing
    EXPECT_EQ(nullptr, optiontest::DialogOverOption(GetCurrentThreadId()));
    m.EventList().Select(2);
    // The insert-delay dialog, its OK (84, 190, 108 x 30) clicked with the preset value.
    optiontest::WarningRun dialog = optiontest::ClickThroughDialog([&] { m.RunMenuCommand(1003); }, {138, 205},
                                                                   [&] { return jump.Events[1].Delay != 0; });
    EXPECT_TRUE(dialog.done);
    EXPECT_EQ(1, jump.Events[1].Delay); // the dialog's preset value
    int pauseLine = 2;
    ASSERT_EQ("1 ms", m.EventList().Text(pauseLine));
    m.EventList().Select(pauseLine);
    m.RunMenuCommand(1004);
    ASSERT_TRUE(m.EventList().Editing());
    SetWindowTextA(m.EventList().EditBox(), "70000");
    KeyPress(VK_RETURN);
    ASSERT_TRUE(PumpUntil([&] { return jump.Events[1].Delay == 65535; }, 3000));
    EXPECT_EQ("65535 ms", m.EventList().Text(pauseLine));
    // A pause already there: insert delay before the next step does nothing.
    m.EventList().Select(3);
    m.RunMenuCommand(1003);
    EXPECT_EQ(nullptr, optiontest::DialogOverOption(GetCurrentThreadId()));
    // Delete on the pause line keeps the step; on a step line the step goes.
    m.EventList().Select(pauseLine);
    m.RunMenuCommand(1005);
    EXPECT_EQ(0, jump.Events[1].Delay);
    EXPECT_EQ(10, jump.EventCount);
    m.EventList().Select(0);
    m.RunMenuCommand(1005);
    EXPECT_EQ(9, jump.EventCount);
    EXPECT_EQ(0x05, jump.Events[0].MacroCode);

    // Import shows the imported macro; export of it writes the same record.
    std::string file = folder.File("dash.macro");
    ASSERT_TRUE(ExportMacro(file, jump));
    ASSERT_TRUE(m.ImportMacroFrom(file));
    EXPECT_EQ(static_cast<int>(library.size()) - 1, m.ShownIndex());
    EXPECT_EQ(m.ShownIndex(), m.MacroList().Selected());
    EXPECT_EQ(9, m.Events().count);
    EXPECT_EQ("jump1", MacroNameOf(*library.back()));
}

TEST_F(MacroPage, WithoutAMacroRecordAndExportWarnBeforeAnythingElse) {
    optiontest::Window w(folder.Path());
    MacroEditor& m = Open(w);
    ASSERT_EQ(-1, m.ShownIndex());
    // Export asks for a macro first: the warning, and no file dialog after it.
    optiontest::WarningRun run =
        optiontest::ClickThroughWarning(w.CentreOf(m.ExportButton()), true, [] { return true; });
    EXPECT_TRUE(run.Clean());
    EXPECT_EQ(nullptr, optiontest::DialogOverOption(GetCurrentThreadId()));
    // Record too; the recorder does not start.
    run = optiontest::ClickThroughWarning(w.CentreOf(m.RecordButton()), true, [] { return true; });
    EXPECT_TRUE(run.Clean());
    EXPECT_FALSE(m.Recording());
    EXPECT_FALSE(KeyCaptureInstalled());
    EXPECT_FALSE(m.RecordButton().Checked());
}

TEST_F(MacroPage, RecordedEditedMacroOnAButtonReachesTheMouseThroughMonitor) {
    SaveMacros({{"Combo", 0}});
    ShareData data = *DefaultData();
    ASSERT_EQ(1, SaveAllProfiles(data, folder.Path()));
    folder.WriteMouseMemory(true, 1);
    ASSERT_TRUE(folder.StartMonitor());
    ASSERT_TRUE(folder.WaitMonitorReady());
    // The read-back after Monitor's start refreshes Option from the block: the edits come after it.
    ASSERT_TRUE(optiontest::WaitForReadBackEnd(folder));
    e2e::DebugOutput debug;

    optiontest::Window w(folder.Path());
    MacroEditor& m = Open(w);
    ASSERT_TRUE(w.Context().Attached());
    MainWindow& main = w.Main();
    ASSERT_EQ(0, m.ShownIndex());

    // Record A then B with pauses of 250, 330 and 170 ms (the page's tick is the test's).
    uint32_t now = 10000;
    m.SetTick([&] { return now; });
    ASSERT_TRUE(ClickUntil(w.CentreOf(m.DelaysBox()), [&] { return m.DelaysBox().Checked(); }));
    ASSERT_TRUE(ClickUntil(w.CentreOf(m.RecordButton()), [&] { return m.Recording(); }));
    const std::pair<WORD, bool> keys[] = {{kVkA, false}, {kVkA, true}, {kVkB, false}, {kVkB, true}};
    const uint32_t pauses[] = {250, 330, 170, 0};
    for (int i = 0; i < 4; ++i) {
        SendKey(keys[i].first, keys[i].second);
        ASSERT_TRUE(PumpUntil([&] { return m.Events().count == i + 1; }, 3000)) << i;
        now += pauses[i];
    }
    ASSERT_TRUE(ClickUntil(w.CentreOf(m.StopButton()), [&] { return !m.Recording(); }));

    // The macro on button 4 (entry 3) of profile 1, as the button page's macro choice does.
    MacroKeyInfo& entry = w.Context().working.Profile[0].MacroKey[3];
    CopyMacroIntoEntry(*MacroAt(w.Context().macros, 0), entry);
    entry.FunctionCode = kCodeMacro;
    entry.MacroOption = 0;

    // Edit the second pause to 770 ms: the button's copy follows.
    m.EventList().Select(3); // A, 250 ms, A up, 330 ms
    ASSERT_EQ("330 ms", m.EventList().Text(3));
    m.RunMenuCommand(1004);
    ASSERT_TRUE(m.EventList().Editing());
    SetWindowTextA(m.EventList().EditBox(), "770");
    KeyPress(VK_RETURN);
    // The second event's pause: bytes 6 and 7 of the entry's events, little-endian.
    ASSERT_TRUE(PumpUntil([&] { return (entry.Data[6] | entry.Data[7] << 8) == 770; }, 3000));

    // Apply: Monitor writes the mouse; the button's slot holds the edited steps and pauses.
    ASSERT_TRUE(ClickUntil(w.CentreOf(main.ApplyButton().Handle()), [&] { return main.Busy(); }));
    ASSERT_TRUE(PumpUntil([&] { return !main.Busy(); }, 30000));
    EXPECT_TRUE(debug.Contains("Option ApplyFinished"));
    std::string dump = folder.MouseDump();
    size_t slot = dump.find("used by entry 03");
    ASSERT_NE(std::string::npos, slot) << dump;
    size_t at = slot;
    for (const char* line :
         {"press A (04), 250 ms", "release A (04), 770 ms", "press B (05), 170 ms", "release B (05), 10 ms"}) {
        at = dump.find(line, at);
        EXPECT_NE(std::string::npos, at) << line << "\n" << dump;
        if (at == std::string::npos) {
            break;
        }
    }
    w.Main().Destroy();
    EXPECT_TRUE(folder.StopMonitor());
}

} // namespace
