// The basic page of the real Option.exe beside the real Monitor.exe and the virtual mouse: a DPI level, a shortcut
// through its dialog and the keyboard hook, a fixed key sequence and a macro of the library, all with real input,
// applied and read back from the mouse's memory.

#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "common/key_tables.h"
#include "common/profile_store.h"
#include "option/app/tests/option_test_support.h"
#include "option/macros/macro_files.h"
#include "option/skin/menu_metrics.h"
#include "testing/profiles.h"
#include "testing/skin_test_support.h"

namespace {

// Places in Option's main window: the page sits at (16, 64) of the main skin; these are centres of the page skin's
// "BUTTONPOS" entries moved there, and Apply of the main skin.
constexpr POINT kDpiLevel3{16 + 646, 64 + 294}; // "82"
constexpr POINT kEntry5{16 + 105, 64 + 200};    // "5": entry 4
constexpr POINT kEntry6{16 + 105, 64 + 229};    // "6": entry 5
constexpr POINT kEntry7{16 + 105, 64 + 258};    // "7": entry 6
constexpr POINT kApply{754, 678};

// The showing menu windows of a thread of another process (its menus themselves are not readable from here).
std::vector<HWND> MenuWindowsOfThread(DWORD thread) {
    std::vector<HWND> found;
    EnumThreadWindows(
        thread,
        [](HWND w, LPARAM l) -> BOOL {
            char name[16] = {};
            GetClassNameA(w, name, sizeof name);
            if (IsWindowVisible(w) && lstrcmpA(name, "#32768") == 0) {
                reinterpret_cast<std::vector<HWND>*>(l)->push_back(w);
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&found));
    return found;
}

// Every item of a page menu is one row of the skin menu's height from the top of the menu window's client area.
POINT ItemCentre(HWND menuWindow, int position) {
    RECT client{};
    GetClientRect(menuWindow, &client);
    const int row = SkinMenuItemHeight(false);
    POINT p{client.right / 2, position * row + row / 2};
    ClientToScreen(menuWindow, &p);
    return p;
}

int ItemCount(HWND menuWindow) {
    RECT client{};
    GetClientRect(menuWindow, &client);
    return client.bottom / SkinMenuItemHeight(false);
}

class BasicPage {
public:
    BasicPage(HWND option) : option_(option), thread_(GetWindowThreadProcessId(option, nullptr)) {}

    // Opens the menu of the control at a window point and returns its window, or null when no menu showed.
    HWND OpenMenu(POINT at, bool inWindow = true) {
        POINT p = inWindow ? ScreenPoint(option_, at.x, at.y) : at;
        MouseClickAt(p.x, p.y);
        if (e2e::WaitFor([&] { return MenuWindowsOfThread(thread_).size() == 1; }, kClickEffectMs)) {
            return MenuWindowsOfThread(thread_).front();
        }
        return nullptr;
    }

    // Clicks item `position` (and, with `subPosition` >= 0, that item of its submenu); true when every menu closed.
    bool Choose(HWND menu, int position, int subPosition = -1) {
        POINT p = ItemCentre(menu, position);
        MouseMoveTo(p.x, p.y);
        WaitForPointer(p.x, p.y);
        if (subPosition >= 0) {
            MouseClickAt(p.x, p.y);
            HWND sub = nullptr;
            if (!e2e::WaitFor(
                    [&] {
                        for (HWND w : MenuWindowsOfThread(thread_)) {
                            if (w != menu) {
                                sub = w;
                            }
                        }
                        return sub != nullptr;
                    },
                    3000)) {
                return false;
            }
            menu = sub;
            p = ItemCentre(sub, subPosition);
            MouseMoveTo(p.x, p.y);
            WaitForPointer(p.x, p.y);
        }
        ClickToClose(p, menu);
        if (!e2e::WaitFor([&] { return MenuWindowsOfThread(thread_).empty(); }, 3000)) {
            return false;
        }
        menuClosedAt_ = GetTickCount();
        return true;
    }

    // The dialog Option shows over its main window, by title.
    HWND Dialog(const char* title) {
        HWND found = nullptr;
        e2e::WaitFor(
            [&] {
                found = FindWindowA(nullptr, title);
                return found && IsWindowVisible(found);
            },
            5000);
        return found;
    }
    HWND AnyDialog() {
        HWND found = nullptr;
        e2e::WaitFor([&] { return (found = OtherDialogOf(thread_, option_)) != nullptr; }, 5000);
        return found;
    }
    bool DialogGone(HWND dialog) {
        return e2e::WaitFor([&] { return !IsWindow(dialog) || !IsWindowVisible(dialog); }, 5000);
    }
    void ClickIn(HWND window, int x, int y) {
        RECT r{};
        GetWindowRect(window, &r);
        MouseClickAt(r.left + x, r.top + y);
    }
    // A page menu that closed holds off the next click for 201 ms of Option's clock, which only time moves.
    void PastGuard() {
        e2e::WaitFor([&] { return GetTickCount() - menuClosedAt_ > kMenuGuardMs; }, 2 * kMenuGuardMs);
    }

private:
    static constexpr DWORD kMenuGuardMs = 201;
    HWND option_;
    DWORD thread_;
    DWORD menuClosedAt_ = 0;
};

} // namespace

TEST(ButtonPageEndToEnd, DpiShortcutKeySequenceAndMacroReachTheMouse) {
    e2e::PointerRegistryGuard registry;
    optiontest::Folder folder;
    ASSERT_TRUE(folder.Ready());
    ASSERT_TRUE(folder.AddOption());
    ShareData data = *DefaultData();
    ASSERT_EQ(9, data.Profile[0].CpiLevel_X[2]); // 2500 DPI at stage 3
    ASSERT_EQ(1, SaveAllProfiles(data, folder.Path()));
    MacroLibrary library;
    for (const char* name : {"Reload", "Burst"}) {
        auto r = NewMacroRecord(name);
        r->RepeatCount = 2;
        r->EventCount = 4;
        r->Events[0] = {0x15, kMacroPress, 30}; // R
        r->Events[1] = {0x15, kMacroRelease, 20};
        r->Events[2] = {0x0A, kMacroPress, 30}; // G
        r->Events[3] = {0x0A, kMacroRelease, 0};
        library.push_back(std::move(r));
    }
    ASSERT_TRUE(SaveMacroLibrary(library, folder.File("config\\sequence.dat")));
    folder.WriteMouseMemory(true, 1);

    ASSERT_TRUE(folder.StartMonitor("1"));
    ASSERT_TRUE(folder.WaitMonitorReady());
    ASSERT_TRUE(e2e::WaitFor([] { return optiontest::VisibleOptionWindow() != nullptr; }, 20000));
    HWND option = optiontest::VisibleOptionWindow();
    SetForegroundWindow(option);
    ASSERT_TRUE(e2e::WaitFor([&] { return GetForegroundWindow() == option; }, 5000));
    // Monitor's read-back refreshes Option from the block: edits start after it ended.
    ASSERT_TRUE(optiontest::WaitForReadBackEnd(folder));
    BasicPage page(option);

    // DPI stage 3: 3500 DPI, the eleventh item of its menu.
    HWND dpi = page.OpenMenu(kDpiLevel3);
    ASSERT_NE(nullptr, dpi);
    EXPECT_EQ(14, ItemCount(dpi));
    ASSERT_TRUE(page.Choose(dpi, 10));
    page.PastGuard();

    // Entry 4: the shortcut dialog (tenth item), Ctrl and C through the keyboard hook, the Ctrl button, OK.
    HWND menu = page.OpenMenu(kEntry5);
    ASSERT_NE(nullptr, menu);
    ASSERT_TRUE(page.Choose(menu, 9));
    HWND shortcut = page.Dialog("Shortcut Dialog");
    ASSERT_NE(nullptr, shortcut);
    SetForegroundWindow(shortcut);
    ASSERT_TRUE(e2e::WaitFor([&] { return GetForegroundWindow() == shortcut; }, 5000));
    KeyPress(VK_CONTROL);
    KeyPress('C');
    ASSERT_TRUE(e2e::WaitFor([&] { return ShowsText(shortcut, KeyName('C')); }, 5000));
    page.ClickIn(shortcut, 200, 194); // "7": Ctrl
    page.ClickIn(shortcut, 138, 243); // OK
    ASSERT_TRUE(page.DialogGone(shortcut));
    page.PastGuard();

    // Entry 5: Ctrl+C of the "1026" submenu (the sixteenth item, fourth of its submenu).
    menu = page.OpenMenu(kEntry6);
    ASSERT_NE(nullptr, menu);
    ASSERT_TRUE(page.Choose(menu, 15, 3));
    page.PastGuard();

    // Entry 6: the macro submenu (the last item), Burst from the selection dialog's menu, OK.
    menu = page.OpenMenu(kEntry7);
    ASSERT_NE(nullptr, menu);
    EXPECT_EQ(18, ItemCount(menu));
    ASSERT_TRUE(page.Choose(menu, 17, 0));
    HWND select = page.AnyDialog();
    ASSERT_NE(nullptr, select);
    SetForegroundWindow(select);
    ASSERT_TRUE(e2e::WaitFor([&] { return GetForegroundWindow() == select; }, 5000));
    RECT r{};
    GetWindowRect(select, &r);
    HWND macros = page.OpenMenu({r.left + 102, r.top + 164}, false);
    ASSERT_NE(nullptr, macros);
    EXPECT_EQ(2, ItemCount(macros));
    ASSERT_TRUE(page.Choose(macros, 1));
    page.ClickIn(select, 138, 265); // OK
    ASSERT_TRUE(page.DialogGone(select));

    // Apply, and the mouse holds it all.
    HWND applyButton = ChildWindowFromPoint(option, kApply);
    ASSERT_NE(option, applyButton);
    POINT apply = ScreenPoint(option, kApply.x, kApply.y);
    ASSERT_TRUE(ClickUntil(apply, [&] { return !IsWindowEnabled(applyButton); }));
    ASSERT_TRUE(e2e::WaitFor([&] { return IsWindowEnabled(applyButton) != FALSE; }, 30000));
    std::string dump = folder.MouseDump();
    EXPECT_NE(std::string::npos, dump.find("stage 3: 3500 DPI")) << dump;
    EXPECT_EQ(std::string::npos, dump.find("stage 3: 2500 DPI")) << dump;
    auto line = [&](int entry) {
        char head[16];
        std::snprintf(head, sizeof head, "entry %02d: ", entry);
        size_t at = dump.find(head);
        return at == std::string::npos ? std::string() : dump.substr(at, dump.find('\n', at) - at);
    };
    EXPECT_NE(std::string::npos, line(4).find("usage 06")) << line(4);
    EXPECT_NE(std::string::npos, line(4).find("Ctrl")) << line(4);
    EXPECT_NE(std::string::npos, line(5).find("key sequence in slot")) << line(5);
    EXPECT_NE(std::string::npos, line(6).find("key sequence in slot")) << line(6);
    EXPECT_NE(std::string::npos, dump.find("press Left Control (E0)")) << dump;
    // The macro's slot: its repeat count and events (the device keeps pauses in its own steps).
    EXPECT_NE(std::string::npos, dump.find("repeat 2, 4 events, used by entry 06")) << dump;
    EXPECT_NE(std::string::npos, dump.find("press R (15), 30 ms")) << dump;
    EXPECT_NE(std::string::npos, dump.find("release G (0A)")) << dump;
    // The working copy went to the files too: entry 6 holds the macro's copy.
    ShareData saved;
    InitShareData(saved);
    LoadAllProfiles(saved, folder.Path());
    EXPECT_STREQ("Burst", saved.Profile[0].MacroKey[6].MacroName);
    EXPECT_EQ(35, saved.Profile[0].MacroKey[5].FunctionCode);

    EXPECT_TRUE(folder.StopMonitor());
    EXPECT_TRUE(e2e::WaitFor([] { return FindWindowA(nullptr, kOptionWindowTitle) == nullptr; }, 10000));
}
