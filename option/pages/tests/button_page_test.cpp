// The basic page in a popup of its own over a working copy, driven with real input: its menus, the assignment with its
// dialogs, the button sets, DPI levels, lighting, colours and reset.
#include <windows.h>

#include <commctrl.h>

#include <gtest/gtest.h>

#include <atomic>
#include <cstdint>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "common/key_tables.h"
#include "common/language.h"
#include "common/profile_store.h"
#include "framework/trace.h"
#include "option/pages/button_page.h"
#include "option/pages/button_page_rules.h"
#include "option/skin/skin_description.h"
#include "testing/screenshot.h"
#include "testing/skin_test_support.h"

namespace {

// From the driver thread: the menu a click opened, or null when none shows.
HMENU AwaitMenu(DWORD thread) {
    HWND w = nullptr;
    if (!Await([&] { return (w = MenuWindowOf(thread, nullptr)) != nullptr; }, 4000)) {
        return nullptr;
    }
    return reinterpret_cast<HMENU>(SendMessageA(w, MN_GETHMENU, 0, 0));
}

POINT ItemPoint(HMENU menu, int position) {
    RECT r{};
    GetMenuItemRect(nullptr, menu, static_cast<UINT>(position), &r);
    return CentreOf(r);
}

// From the driver thread: clicks item `position` of a showing menu; with `subPosition` >= 0 the item opens a submenu
// and its item at that position is clicked.
void ClickItem(DWORD thread, HMENU menu, int position, int subPosition = -1) {
    POINT p = ItemPoint(menu, position);
    HoverMenuItem(menu, position);
    if (subPosition < 0) {
        ClickToClose(p, MenuWindowOf(thread, menu));
        return;
    }
    HMENU sub = GetSubMenu(menu, position);
    MouseClickAt(p.x, p.y);
    if (!Await([&] { return MenuWindowOf(thread, sub) != nullptr; })) {
        return;
    }
    POINT q = ItemPoint(sub, subPosition);
    HoverMenuItem(sub, subPosition);
    ClickToClose(q, MenuWindowOf(thread, sub));
}

int PositionOf(const std::vector<MenuItemText>& items, int command) {
    for (size_t i = 0; i < items.size(); ++i) {
        if (items[i].command == command) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

class Page : public ::testing::Test {
protected:
    void SetUp() override {
        UseBuildSkins();
        InitShareData(context.working);
        ResetAll(context.working);
        context.working.CurrentProfile = 2;
        page.SetTick([this] { return now.load(); });
        hwnd = page.CreatePopup(nullptr);
        ASSERT_NE(nullptr, hwnd);
        page.Refresh();
        SetForegroundWindow(hwnd);
        UpdateWindow(hwnd);
        ASSERT_TRUE(PumpUntil([&] { return GetForegroundWindow() == hwnd; }));
        thread = GetCurrentThreadId();
    }
    void TearDown() override {
        MouseMoveTo(2, 700);
        page.Destroy();
        PumpPosted();
    }
    ProfileRecord& Profile() { return context.working.Profile[2]; }
    // The page's clock moves only here: past the guard that a closed menu holds over the next click.
    void PastGuard() { now += kGuardMs; }
    POINT Centre(SkinButton& b) { return CentreOf(b.ScreenRect()); }

    // Opens a control's menu with a click on this thread and runs `steps` on the menu from the driver thread; true
    // when the menu closed again and `done` held.
    ModalRun WithMenu(SkinButton& opener, const std::function<void(HMENU)>& steps, const std::function<bool()>& done) {
        POINT at = Centre(opener);
        int before = page.MenusOpened();
        return DriveModal(
            hwnd, at,
            [&] {
                HMENU menu = AwaitMenu(thread);
                if (menu) {
                    steps(menu);
                }
            },
            [&] { return page.MenusOpened() > before && !MenuWindowOf(thread, nullptr) && done(); });
    }

    // An entry's FunctionMenu: chooses `command` (looked up in the entry's layout), then `dialogSteps` drive the
    // dialog the command opens (null for none).
    ModalRun Assign(int entry, int command, const std::function<void(HWND)>& dialogSteps,
                    const std::function<bool()>& done) {
        FunctionMenuLayout layout = FunctionMenuFor(entry);
        int top = PositionOf(layout.top, command), sub = -1;
        for (size_t s = 0; top < 0 && s < layout.submenus.size(); ++s) {
            int at = PositionOf(layout.submenus[s].items, command);
            if (at >= 0) {
                top = static_cast<int>(layout.top.size() + s);
                sub = at;
            }
        }
        POINT at = Centre(page.EntryButton(entry));
        return DriveModal(
            hwnd, at,
            [&] {
                HMENU menu = AwaitMenu(thread);
                if (!menu) {
                    return;
                }
                ClickItem(thread, menu, top, sub);
                if (dialogSteps) {
                    HWND dialog = nullptr;
                    Await([&] { return (dialog = OtherDialogOf(thread, hwnd)) != nullptr; });
                    if (dialog) {
                        SetForegroundWindow(dialog);
                        Await([&] { return GetForegroundWindow() == dialog; });
                        dialogSteps(dialog);
                    }
                }
            },
            [&] { return !OtherDialogOf(thread, hwnd) && !MenuWindowOf(thread, nullptr) && done(); });
    }

    static constexpr uint32_t kGuardMs = 201;
    std::atomic<uint32_t> now{100000};
    OptionContext context;
    ButtonPage page{context};
    HWND hwnd = nullptr;
    DWORD thread = 0;
};

// A window of the test thread that runs a step there when another thread asks: what the main window does when a
// message of Monitor arrives while a dialog of the page is open.
class OnTestThread {
public:
    explicit OnTestThread(std::function<void()> step) : step_(std::move(step)) {
        WNDCLASSA wc{};
        wc.lpfnWndProc = Proc;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.lpszClassName = "PageTestStep";
        RegisterClassA(&wc);
        hwnd_ = CreateWindowExA(0, "PageTestStep", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, wc.hInstance, this);
    }
    ~OnTestThread() { DestroyWindow(hwnd_); }
    // From another thread: returns once the step has run on the test thread.
    void Run() { SendMessageA(hwnd_, WM_APP, 0, 0); }

private:
    static LRESULT CALLBACK Proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
        if (message == WM_NCCREATE) {
            auto* create = reinterpret_cast<CREATESTRUCTA*>(lParam);
            SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
        } else if (message == WM_APP) {
            reinterpret_cast<OnTestThread*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA))->step_();
            return 0;
        }
        return DefWindowProcA(hwnd, message, wParam, lParam);
    }
    std::function<void()> step_;
    HWND hwnd_ = nullptr;
};

std::vector<std::string> g_trace;
void KeepTrace(const char* line) {
    g_trace.emplace_back(line);
}
bool Traced(const std::string& text) {
    for (const std::string& line : g_trace) {
        if (line.find(text) != std::string::npos) {
            return true;
        }
    }
    return false;
}

POINT WindowPoint(HWND window, int x, int y) {
    RECT r{};
    GetWindowRect(window, &r);
    return {r.left + x, r.top + y};
}

} // namespace

TEST_F(Page, FunctionMenusShowEachEntrysItemsAndTheirCaptions) {
    for (int entry : {0, 8, 14}) {
        std::atomic<int> count{-1}, submenuItems{-1}, firstSubmenuId{-1};
        std::string first;
        ModalRun run = WithMenu(
            page.EntryButton(entry),
            [&](HMENU menu) {
                count = GetMenuItemCount(menu);
                // The fourth submenu, Windows keys ("1015"), lacks Alt+Tab for entries 8 and 9.
                HMENU keys = GetSubMenu(menu, static_cast<int>(FunctionMenuFor(entry).top.size()) + 3);
                submenuItems = GetMenuItemCount(keys);
                firstSubmenuId = static_cast<int>(GetMenuItemID(keys, 0));
                PostMessageA(MenuWindowOf(thread, menu), WM_KEYDOWN, VK_ESCAPE, 0);
            },
            [] { return true; });
        EXPECT_FALSE(run.rescued) << entry;
        EXPECT_TRUE(run.done) << entry;
        EXPECT_EQ(entry, page.SelectedEntry());
        // 11 items and 7 submenus; entry 14 has neither the set switch nor the macro submenu.
        EXPECT_EQ(entry == 14 ? 16 : 18, count.load()) << entry;
        EXPECT_EQ(entry == 8 ? 5 : 6, submenuItems.load()) << entry;
        EXPECT_EQ(entry == 8 ? 1022 : 1020, firstSubmenuId.load()) << entry;
        PastGuard();
    }
}

TEST_F(Page, LeftClickGuardWarnsAndTheSetSwitchTwinFollows) {
    // Entry 0 is the set's only left click: giving it the right click is refused with warning B.
    std::atomic<bool> warningAtCorner{false};
    ModalRun run = Assign(
        0, 1005,
        [&](HWND warning) {
            RECT r{};
            GetWindowRect(warning, &r);
            warningAtCorner = r.left == 0 && r.top == 0;
            ClickToClose({r.left + 138, r.top + 233}, warning);
        },
        [&] { return true; });
    EXPECT_FALSE(run.rescued);
    EXPECT_TRUE(run.done);
    EXPECT_TRUE(warningAtCorner);
    EXPECT_EQ(1, Profile().MacroKey[0].FunctionCode);
    EXPECT_EQ(Fetch(1003), page.EntryButton(0).Caption());
    PastGuard();

    // The set switch on entry 3 puts it on the second set's twin, whose button is then disabled...
    run = Assign(3, 1059, nullptr, [&] { return Profile().MacroKey[3].FunctionCode == 84; });
    EXPECT_FALSE(run.rescued);
    EXPECT_TRUE(run.done);
    EXPECT_EQ(84, Profile().MacroKey[35].FunctionCode);
    EXPECT_FALSE(page.EntryButton(35).Enabled());
    PastGuard();
    // ...and any other function gives the twin back its default and its button.
    run = Assign(3, 1005, nullptr, [&] { return Profile().MacroKey[3].FunctionCode == 2; });
    EXPECT_FALSE(run.rescued);
    EXPECT_TRUE(run.done);
    EXPECT_EQ(9, Profile().MacroKey[35].FunctionCode);
    EXPECT_TRUE(page.EntryButton(35).Enabled());
    EXPECT_EQ(Fetch(1005), page.EntryButton(3).Caption());
}

TEST_F(Page, ShortcutAndFireDialogsStoreOnOkAndKeepTheEntryOnCancel) {
    // Shortcut: Ctrl, then C through the hook, Shift and Ctrl buttons: key C with the byte 6.
    ModalRun run = Assign(
        4, 1060,
        [&](HWND dialog) {
            KeyPress(VK_CONTROL);
            KeyPress('C');
            Await([&] { return ShowsText(dialog, KeyName('C')); });
            // Modifier buttons Shift and Ctrl ("6" and "7" of the skin), then OK.
            ClickUnlessArrived(WindowPoint(dialog, 128, 194));
            ClickUnlessArrived(WindowPoint(dialog, 200, 194));
            ClickToClose(WindowPoint(dialog, 138, 243), dialog);
        },
        [&] { return Profile().MacroKey[4].FunctionCode == 5; });
    EXPECT_FALSE(run.rescued);
    ASSERT_TRUE(run.done);
    const MacroKeyInfo& shortcut = Profile().MacroKey[4];
    EXPECT_EQ(0x06, shortcut.Data[0]);
    EXPECT_EQ(0x06, shortcut.Data[1]);
    EXPECT_EQ(1, shortcut.ContentCount);
    EXPECT_EQ("Shift+Ctrl+C", page.EntryButton(4).Caption());
    PastGuard();

    // Cancel leaves the entry as it was.
    MacroKeyInfo before = Profile().MacroKey[4];
    run = Assign(
        4, 1060,
        [&](HWND dialog) {
            KeyPress('X');
            Await([&] { return ShowsText(dialog, KeyName('X')); });
            ClickToClose(WindowPoint(dialog, 262, 243), dialog);
        },
        [] { return true; });
    EXPECT_FALSE(run.rescued);
    EXPECT_TRUE(run.done);
    EXPECT_EQ(0, std::memcmp(&before, &Profile().MacroKey[4], sizeof before));
    PastGuard();

    // Fire without a key: OK gives the entry its default function.
    run = Assign(
        5, 1054, [&](HWND dialog) { ClickToClose(WindowPoint(dialog, 138, 297), dialog); }, [&] { return true; });
    EXPECT_FALSE(run.rescued);
    EXPECT_TRUE(run.done);
    EXPECT_EQ(7, Profile().MacroKey[5].FunctionCode);
    PastGuard();
    // With a key: Space, values 0 and 5 as opened.
    run = Assign(
        5, 1054,
        [&](HWND dialog) {
            KeyPress(VK_SPACE);
            Await([&] { return ShowsText(dialog, KeyName(VK_SPACE)); });
            ClickToClose(WindowPoint(dialog, 138, 297), dialog);
        },
        [&] { return Profile().MacroKey[5].FunctionCode == 67; });
    EXPECT_FALSE(run.rescued);
    ASSERT_TRUE(run.done);
    EXPECT_EQ(0x2C, Profile().MacroKey[5].Data[0]);
    EXPECT_EQ(0, Profile().MacroKey[5].Param1);
    EXPECT_EQ(5, Profile().MacroKey[5].Param2);
    EXPECT_EQ(Fetch(1054) + " + " + KeyName(VK_SPACE), page.EntryButton(5).Caption());
}

TEST_F(Page, MacroFromTheLibraryIsCopiedIntoTheEntry) {
    for (const char* name : {"Aim", "Burst"}) {
        auto r = NewMacroRecord(name);
        r->EventCount = 2;
        r->RepeatCount = 3;
        r->Events[0] = {0x05, kMacroPress, 40};
        r->Events[1] = {0x05, kMacroRelease, 0};
        context.macros.push_back(std::move(r));
    }
    ModalRun run = Assign(
        6, 1049,
        [&](HWND dialog) {
            // The macro button ("4" at 40,150), the second macro of its menu, the second option ("6"), OK.
            POINT opener = WindowPoint(dialog, 102, 164);
            ClickUnlessArrived(opener, [&] { return MenuWindowOf(thread, nullptr) != nullptr; });
            HMENU menu = AwaitMenu(thread);
            if (!menu) {
                return;
            }
            ClickItem(thread, menu, 1);
            ClickUnlessArrived(WindowPoint(dialog, 198, 161));
            ClickToClose(WindowPoint(dialog, 138, 265), dialog);
        },
        [&] { return Profile().MacroKey[6].FunctionCode == 6; });
    EXPECT_FALSE(run.rescued);
    ASSERT_TRUE(run.done);
    const MacroKeyInfo& e = Profile().MacroKey[6];
    EXPECT_STREQ("Burst", e.MacroName);
    EXPECT_EQ(2, e.ContentCount);
    EXPECT_EQ(3, e.RepeatCount);
    EXPECT_EQ(1, e.MacroOption);
    EXPECT_EQ(0x05, e.Data[0]);
    EXPECT_EQ(40, e.Data[2]);
    EXPECT_EQ("Burst", page.EntryButton(6).Caption());
}

TEST_F(Page, SetsRateDpiAndColourOptionsWriteThroughAtOnce) {
    ASSERT_TRUE(ClickUntil(Centre(page.SetButton(2)), [&] { return Profile().ModeStatus == 2; }));
    EXPECT_FALSE(page.EntryButton(0).Visible());
    EXPECT_FALSE(page.EntryButton(15).Visible());
    EXPECT_TRUE(page.EntryButton(32).Visible());
    EXPECT_TRUE(page.EntryButton(47).Visible());
    EXPECT_TRUE(page.SetButton(2).Checked());
    EXPECT_FALSE(page.SetButton(1).Checked());
    ASSERT_TRUE(ClickUntil(Centre(page.SetButton(1)), [&] { return Profile().ModeStatus == 1; }));
    EXPECT_TRUE(page.EntryButton(0).Visible());
    EXPECT_FALSE(page.EntryButton(32).Visible());

    ASSERT_TRUE(ClickUntil(Centre(page.RateButton(3)), [&] { return Profile().PollingRate == 3; }));
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(i == 3, page.RateButton(i).Checked()) << i;
    }

    // The reset profile's current level is 1: its toggle cannot be switched off.
    ASSERT_EQ(1, Profile().Cpi_X);
    EXPECT_FALSE(page.DpiToggle(1).Enabled());
    ASSERT_TRUE(ClickUntil(Centre(page.DpiToggle(3)), [&] { return Profile().dpiStepFlag[3] == 0; }));
    EXPECT_FALSE(page.DpiSelect(3).Enabled());
    EXPECT_FALSE(page.DpiToggle(3).Checked());
    ASSERT_TRUE(ClickUntil(Centre(page.DpiSelect(4)), [&] { return Profile().Cpi_X == 4; }));
    EXPECT_TRUE(page.DpiSelect(4).Checked());
    EXPECT_FALSE(page.DpiSelect(1).Checked());
    EXPECT_FALSE(page.DpiToggle(4).Enabled());
    EXPECT_TRUE(page.DpiToggle(1).Enabled());

    ASSERT_TRUE(ClickUntil(Centre(page.ColourOption(5)), [&] { return Profile().ColorOptions == 5; }));
    for (int i = 0; i < 8; ++i) {
        EXPECT_EQ(i == 5, page.ColourOption(i).Checked()) << i;
    }
}

TEST_F(Page, DpiAndLightingMenusStoreAndCaptionAndTheGuardHoldsOffTheNextClick) {
    // Level 3 to 3500 DPI (the reset profile holds 2500 there).
    ASSERT_EQ(9, Profile().CpiLevel_X[2]);
    ModalRun run = WithMenu(
        page.DpiValue(2), [&](HMENU menu) { ClickItem(thread, menu, 10); },
        [&] { return Profile().CpiLevel_X[2] == 11; });
    EXPECT_FALSE(run.rescued);
    EXPECT_TRUE(run.done);
    EXPECT_EQ(Fetch(1122), page.DpiValue(2).Caption());

    // Until 201 ms after a menu closed, a drop-down click opens nothing.
    EXPECT_EQ(now.load(), page.MenuClosedAt());
    int opened = page.MenusOpened();
    // The page's buttons have no windows: their clicks come with the page's own handle.
    SendMessageA(hwnd, WM_COMMAND, MAKEWPARAM(page.DpiValue(0).Id(), BN_CLICKED), reinterpret_cast<LPARAM>(hwnd));
    now += kGuardMs - 1;
    SendMessageA(hwnd, WM_COMMAND, MAKEWPARAM(page.LevelButton().Id(), BN_CLICKED), reinterpret_cast<LPARAM>(hwnd));
    EXPECT_EQ(opened, page.MenusOpened());
    now += 1;

    // "Off" (3001) stores 0 and the level shows "0%".
    run = WithMenu(
        page.LightSwitchButton(), [&](HMENU menu) { ClickItem(thread, menu, 3); },
        [&] { return Profile().LightSwitch == 0; });
    EXPECT_FALSE(run.rescued);
    EXPECT_TRUE(run.done);
    EXPECT_EQ("0%", page.LevelButton().Caption());
    EXPECT_EQ(Fetch(1144), page.LightSwitchButton().Caption());
    EXPECT_EQ("", page.LightTypeButton().Caption());
    PastGuard();

    // With the light off the type menu has no items and changes nothing.
    int lightType = Profile().LightType;
    opened = page.MenusOpened();
    MouseClickAt(Centre(page.LightTypeButton()).x, Centre(page.LightTypeButton()).y);
    ASSERT_TRUE(PumpUntil([&] { return page.MenusOpened() > opened; }));
    ASSERT_TRUE(PumpPosted());
    EXPECT_EQ(lightType, Profile().LightType);
    EXPECT_EQ(nullptr, MenuWindowOf(thread, nullptr));
}

TEST_F(Page, ColourDialogCancelKeepsTheSwatchAndOkStoresIt) {
    COLORREF before = static_cast<COLORREF>(Profile().SLEDColor8[2]);
    POINT swatch = Centre(page.Swatch(2));
    ModalRun run = DriveWarning(
        hwnd, swatch,
        [&](HWND dialog, const RECT& r) {
            (void)r;
            ClickToClose(WindowPoint(dialog, 262, 251), dialog); // Cancel
        },
        [&] { return !OtherDialogOf(thread, hwnd); });
    EXPECT_FALSE(run.rescued);
    EXPECT_TRUE(run.done);
    EXPECT_EQ(before, static_cast<COLORREF>(Profile().SLEDColor8[2]));
    EXPECT_EQ(before & 0xFFFFFF, page.Swatch(2).Colour());

    run = DriveWarning(
        hwnd, swatch,
        [&](HWND dialog, const RECT& r) {
            (void)r;
            // A pick in the palette, then OK.
            POINT pick = WindowPoint(dialog, 80, 120);
            ClickUnlessArrived(pick);
            ClickToClose(WindowPoint(dialog, 138, 251), dialog);
        },
        [&] { return static_cast<COLORREF>(Profile().SLEDColor8[2]) != before; });
    EXPECT_FALSE(run.rescued);
    EXPECT_TRUE(run.done);
    EXPECT_EQ(static_cast<COLORREF>(Profile().SLEDColor8[2]), page.Swatch(2).Colour());
}

TEST_F(Page, ResetGivesEveryEntryItsDefault) {
    Profile().MacroKey[14].FunctionCode = 7;
    Profile().MacroKey[40].FunctionCode = 99;
    std::strcpy(Profile().MacroKey[40].ProgramPath, "C:\\games\\run.exe");
    std::memset(Profile().MacroKey[2].Data, 0x55, sizeof Profile().MacroKey[2].Data);
    // Entries 16-31 and 48-63 have no place on the page, but caption and tooltip like every entry.
    for (int entry : {20, 56}) {
        Profile().MacroKey[entry].FunctionCode = 99;
        std::strcpy(Profile().MacroKey[entry].ProgramPath, "C:\\tools\\data.exe");
    }
    page.Refresh();
    EXPECT_EQ("run.exe", page.EntryButton(40).Caption());
    for (int entry : {20, 56}) {
        EXPECT_FALSE(page.EntryButton(entry).Placed()) << entry;
        EXPECT_EQ("data.exe", page.EntryButton(entry).Caption()) << entry;
        EXPECT_EQ("C:\\tools\\data.exe", page.EntryButton(entry).TooltipText()) << entry;
    }
    EXPECT_TRUE(page.EntryButton(15).Placed());
    EXPECT_TRUE(page.EntryButton(47).Placed());
    ASSERT_TRUE(ClickUntil(Centre(page.ResetButton()), [&] { return Profile().MacroKey[40].FunctionCode == 7; }));
    EXPECT_EQ(Fetch(1016), page.EntryButton(14).Caption());
    EXPECT_EQ(Fetch(1017), page.EntryButton(15).Caption());
    EXPECT_EQ(Fetch(1058), page.EntryButton(40).Caption());
    EXPECT_EQ(0, Profile().MacroKey[2].Data[0]);
    EXPECT_EQ(40, Profile().MacroKey[40].ButtonNumber);
    for (int entry : {20, 56}) {
        EXPECT_NE("data.exe", page.EntryButton(entry).Caption()) << entry;
        EXPECT_EQ("", page.EntryButton(entry).TooltipText()) << entry;
    }
}

TEST_F(Page, ADialogsEditForAProfileNoLongerShownIsDroppedAndTheShownCaptionsStay) {
    // Profile 4 gives entry 4 a function of its own, so that its caption tells the profiles apart.
    ProfileRecord& other = context.working.Profile[3];
    other.MacroKey[4].FunctionCode = 8;
    const MacroKeyInfo before = Profile().MacroKey[4];
    const MacroKeyInfo otherBefore = other.MacroKey[4];
    // Profile 4 comes in while the shortcut dialog is open, as a switch by Monitor refreshes the page.
    OnTestThread switchProfile([&] {
        context.working.CurrentProfile = 3;
        page.Refresh();
    });
    g_trace.clear();
    TraceHook previous = SetTraceHook(KeepTrace);
    ModalRun run = Assign(
        4, 1060,
        [&](HWND dialog) {
            KeyPress('C');
            Await([&] { return ShowsText(dialog, KeyName('C')); });
            switchProfile.Run();
            ClickToClose(WindowPoint(dialog, 138, 243), dialog);
        },
        [&] { return Traced("dropped"); });
    SetTraceHook(previous);
    EXPECT_FALSE(run.rescued);
    ASSERT_TRUE(run.done);
    EXPECT_TRUE(Traced("Option: the dialog's button function of profile 3 dropped, profile 4 is shown now"));
    // Neither the profile the dialog was opened for nor the one shown now got the key; the page shows profile 4.
    EXPECT_EQ(0, std::memcmp(&before, &Profile().MacroKey[4], sizeof before));
    EXPECT_EQ(0, std::memcmp(&otherBefore, &other.MacroKey[4], sizeof otherBefore));
    EXPECT_EQ(Fetch(1007), page.EntryButton(4).Caption());
}

TEST_F(Page, AnEntryThatStartsAProgramShowsItsWholePathInTheTooltip) {
    const char* path = "C:\\Games\\Long Range\\Sniper Tools\\aim.exe";
    const std::string skinTooltip = page.EntryButton(5).TooltipText();
    ProfileRecord& p = Profile();
    p.MacroKey[5].FunctionCode = 99;
    std::strcpy(p.MacroKey[5].ProgramPath, path);
    page.Refresh();
    EXPECT_EQ("aim.exe", page.EntryButton(5).Caption());
    EXPECT_EQ(path, page.EntryButton(5).TooltipText());
    // Hovered, the tooltip shows.
    ASSERT_TRUE(MoveUntil(Centre(page.EntryButton(5)), [&] {
        HWND tip = page.EntryButton(5).Tooltip();
        return tip && IsWindowVisible(tip);
    }));
    char shown[300] = {};
    TOOLINFOA tool{};
    tool.cbSize = TTTOOLINFOA_V1_SIZE;
    tool.hwnd = page.EntryButton(5).ToolWindow();
    tool.uId = page.EntryButton(5).ToolId();
    tool.lpszText = shown;
    SendMessageA(page.EntryButton(5).Tooltip(), TTM_GETTEXTA, sizeof shown, reinterpret_cast<LPARAM>(&tool));
    EXPECT_STREQ(path, shown);
    HoldForScreenshot("tooltip-full-path");
    // Another function gives the entry the skin's tooltip back.
    p.MacroKey[5].FunctionCode = 7;
    page.Refresh();
    EXPECT_EQ(skinTooltip, page.EntryButton(5).TooltipText());
}

// The page draws its buttons itself, without a window for each: they must look, click, tip and take Space as buttons.
TEST_F(Page, ButtonsWithoutWindowsHoverPressClickTipAndTakeSpaceAsButtons) {
    POINT origin{0, 0};
    ClientToScreen(hwnd, &origin);
    // A point of a button away from its caption, on the screen and in the page's pictures.
    auto corner = [&](SkinButton& b) {
        RECT r = b.ScreenRect();
        return POINT{r.left + 3, r.top + 3};
    };
    auto picture = [&](const char* file, POINT screen) {
        return FilePixel(SkinFolder() + file, screen.x - origin.x, screen.y - origin.y);
    };
    // Hovered, the 250 Hz button shows its hover face; pressed, its pressed face; released on it, it is chosen.
    SkinButton& rate = page.RateButton(1);
    const POINT at = corner(rate);
    const COLORREF normal = picture("button_page_normal.bmp", at), over = picture("button_page_over.bmp", at),
                   down = picture("button_page_down.bmp", at);
    ASSERT_NE(normal, over);
    ASSERT_NE(over, down);
    EXPECT_EQ(normal, ScreenPixel(at));
    ASSERT_TRUE(MoveUntil(Centre(rate), [&] { return rate.Hovered() && ScreenPixel(at) == over; }));
    MouseDown();
    EXPECT_TRUE(PumpUntil([&] { return ScreenPixel(at) == down; }));
    MouseUp();
    ASSERT_TRUE(PumpUntil([&] { return Profile().PollingRate == 1; }));
    EXPECT_TRUE(rate.Checked());
    EXPECT_FALSE(page.RateButton(0).Checked());
    // The clicked button keeps the keyboard: Space clicks it again.
    Profile().PollingRate = 3;
    ASSERT_TRUE(KeyPressHandled(nullptr, VK_SPACE));
    EXPECT_EQ(1, Profile().PollingRate);

    // The second set's buttons share the first set's places: a click there reaches the entry of the set shown.
    ASSERT_TRUE(ClickUntil(Centre(page.SetButton(2)), [&] { return Profile().ModeStatus == 2; }));
    ModalRun run = WithMenu(
        page.EntryButton(35), [&](HMENU menu) { PostMessageA(MenuWindowOf(thread, menu), WM_KEYDOWN, VK_ESCAPE, 0); },
        [] { return true; });
    EXPECT_FALSE(run.rescued);
    EXPECT_TRUE(run.done);
    EXPECT_EQ(35, page.SelectedEntry());
    PastGuard();

    // A twin that holds the set switch is disabled: a click on it opens nothing; enabled again, it opens its menu.
    Profile().MacroKey[3].FunctionCode = 84;
    page.Refresh();
    ASSERT_FALSE(page.EntryButton(35).Enabled());
    const POINT entry = corner(page.EntryButton(35));
    EXPECT_TRUE(PumpUntil([&] { return ScreenPixel(entry) == picture("button_page_disable.bmp", entry); }));
    int opened = page.MenusOpened();
    ASSERT_TRUE(ClickAndSettle(Centre(page.EntryButton(35))));
    EXPECT_EQ(opened, page.MenusOpened());
    Profile().MacroKey[3].FunctionCode = 2;
    page.Refresh();
    ASSERT_TRUE(page.EntryButton(35).Enabled());
    run = WithMenu(
        page.EntryButton(35), [&](HMENU menu) { PostMessageA(MenuWindowOf(thread, menu), WM_KEYDOWN, VK_ESCAPE, 0); },
        [] { return true; });
    EXPECT_TRUE(run.done);
    EXPECT_EQ(opened + 1, page.MenusOpened());
    PastGuard();

    // Hovered, an entry shows the tooltip of the entry in that place for the set shown.
    SkinButton& twin = page.EntryButton(33);
    ASSERT_EQ("Right button (second set)", twin.TooltipText());
    char shown[1024] = {}; // the tooltip copies up to its longest text
    TOOLINFOA tool{};
    tool.cbSize = TTTOOLINFOA_V1_SIZE;
    tool.lpszText = shown;
    ASSERT_TRUE(MoveUntil(Centre(twin), [&] {
        HWND tip = twin.Tooltip();
        return tip && IsWindowVisible(tip) &&
               SendMessageA(tip, TTM_GETCURRENTTOOLA, 0, reinterpret_cast<LPARAM>(&tool));
    }));
    EXPECT_EQ(twin.ToolWindow(), tool.hwnd);
    EXPECT_EQ(twin.ToolId(), tool.uId);
    tool.lpszText = shown;
    SendMessageA(twin.Tooltip(), TTM_GETTEXTA, sizeof shown, reinterpret_cast<LPARAM>(&tool));
    EXPECT_STREQ("Right button (second set)", shown);

    // A press puts the button's tip away while the pointer stays on it (a tip that came back under the pointer would
    // lie over the buttons below); once the pointer has been elsewhere, the button has its tip again.
    auto tipArea = [&](SkinButton& b) {
        TOOLINFOA info{};
        info.cbSize = TTTOOLINFOA_V1_SIZE;
        info.hwnd = b.ToolWindow();
        info.uId = b.ToolId();
        SendMessageA(b.Tooltip(), TTM_GETTOOLINFOA, 0, reinterpret_cast<LPARAM>(&info));
        return info.rect;
    };
    SkinButton& set = page.SetButton(1);
    RECT area = tipArea(set);
    ASSERT_FALSE(IsRectEmpty(&area));
    ASSERT_TRUE(ClickUntil(Centre(set), [&] { return Profile().ModeStatus == 1; }));
    EXPECT_FALSE(IsWindowVisible(set.Tooltip()));
    area = tipArea(set);
    EXPECT_TRUE(IsRectEmpty(&area));
    EXPECT_TRUE(MoveUntil(Centre(twin), [&] {
        area = tipArea(set);
        return !IsRectEmpty(&area);
    }));
}
