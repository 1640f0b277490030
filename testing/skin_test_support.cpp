#include "testing/skin_test_support.h"

#include <windows.h>

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <thread>

#include "common/language.h"
#include "framework/handles.h"
#include "option/skin/skin_description.h"
#include "testing/message_log.h"

void UseBuildSkins() {
    SetSkinFolder(TestProgramFolder() + "skins\\");
    LoadLanguageLibraryFrom(TestProgramFolder() + "lan.dll");
}

namespace {

void SendMouse(DWORD flags, int x = 0, int y = 0, DWORD data = 0) {
    INPUT in{};
    in.type = INPUT_MOUSE;
    in.mi.dwFlags = flags;
    in.mi.mouseData = data;
    if (flags & MOUSEEVENTF_ABSOLUTE) {
        int w = GetSystemMetrics(SM_CXSCREEN), h = GetSystemMetrics(SM_CYSCREEN);
        in.mi.dx = MulDiv(x, 65535, w - 1);
        in.mi.dy = MulDiv(y, 65535, h - 1);
    }
    SendInput(1, &in, sizeof in);
}

// Where the hand last went (driver threads click too). Under Wine on Xvfb, and more so on a loaded machine, the X
// server can report an older pointer position after a warp; a press without a position would land there, so every
// press and release carries the point it belongs to.
std::atomic<std::uint64_t> g_hand{0};

std::uint64_t Pack(int x, int y) {
    return (static_cast<std::uint64_t>(static_cast<std::uint32_t>(x)) << 32) | static_cast<std::uint32_t>(y);
}

void SendAtHand(DWORD button) {
    std::uint64_t hand = g_hand;
    SendMouse(MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE | button, static_cast<std::int32_t>(hand >> 32),
              static_cast<std::int32_t>(hand & 0xFFFFFFFFu));
}

} // namespace

void MouseMoveTo(int x, int y) {
    g_hand = Pack(x, y);
    SendMouse(MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE, x, y);
}
void MouseDown() {
    SendAtHand(MOUSEEVENTF_LEFTDOWN);
}
void MouseUp() {
    SendAtHand(MOUSEEVENTF_LEFTUP);
}

bool WaitForPointer(int x, int y) {
    // As a hand would: the pointer arrives, and a control that held the mouse while hovered lets go, before the
    // button goes down. The system addresses a press when it is queued, so a press sent with the move could go to
    // the control left behind.
    POINT target{x, y};
    const bool gui = IsGUIThread(FALSE) != FALSE;
    auto arrived = [&] {
        POINT now{};
        GetCursorPos(&now);
        HWND capture = nullptr;
        if (gui) {
            capture = GetCapture();
        } else {
            GUITHREADINFO info{};
            info.cbSize = sizeof info;
            GetGUIThreadInfo(0, &info);
            capture = info.hwndCapture;
        }
        return now.x == x && now.y == y && (capture == nullptr || capture == WindowFromPoint(target));
    };
    // Under Wine the X server reports the warped pointer back a little later: the position must hold still for a
    // moment, or the late report moves it back to where it was before the press lands.
    constexpr DWORD kSteadyMs = 45;
    const DWORD start = GetTickCount();
    DWORD steadySince = 0;
    bool steady = false, resent = false;
    return Await(
        [&] {
            const DWORD now = GetTickCount();
            if (!arrived()) {
                steady = false;
                if (!resent && now - start > 500) {
                    MouseMoveTo(x, y);
                    resent = true;
                }
                return false;
            }
            if (!steady) {
                steady = true;
                steadySince = now;
            }
            return now - steadySince >= kSteadyMs;
        },
        2000);
}

void MouseClickAt(int x, int y) {
    MouseMoveTo(x, y);
    WaitForPointer(x, y);
    MouseDown();
    MouseUp();
}

void MouseRightClickAt(int x, int y) {
    MouseMoveTo(x, y);
    WaitForPointer(x, y);
    SendAtHand(MOUSEEVENTF_RIGHTDOWN);
    SendAtHand(MOUSEEVENTF_RIGHTUP);
}

void MouseWheel(int notches) {
    SendMouse(MOUSEEVENTF_WHEEL, 0, 0, static_cast<DWORD>(notches * WHEEL_DELTA));
}

void KeyPress(WORD vk) {
    INPUT in[2] = {};
    in[0].type = in[1].type = INPUT_KEYBOARD;
    in[0].ki.wVk = in[1].ki.wVk = vk;
    in[0].ki.wScan = in[1].ki.wScan = static_cast<WORD>(MapVirtualKeyA(vk, MAPVK_VK_TO_VSC));
    in[1].ki.dwFlags = KEYEVENTF_KEYUP;
    SendInput(2, in, sizeof in[0]);
}

POINT CentreOf(HWND hwnd) {
    RECT r{};
    GetWindowRect(hwnd, &r);
    return CentreOf(r);
}

POINT CentreOf(const RECT& screen) {
    return {(screen.left + screen.right) / 2, (screen.top + screen.bottom) / 2};
}

POINT ListLinePoint(HWND list, int line) {
    RECT r{};
    SendMessageA(list, LB_GETITEMRECT, static_cast<WPARAM>(line), reinterpret_cast<LPARAM>(&r));
    POINT p = CentreOf(r);
    ClientToScreen(list, &p);
    return p;
}

POINT ScreenPoint(HWND hwnd, int x, int y) {
    POINT p{x, y};
    ClientToScreen(hwnd, &p);
    return p;
}

unsigned GdiObjectCount() {
    if (DWORD counted = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS)) {
        return counted;
    }
    // Wine counts nothing there, but its handle table answers for a bare table index (no upper word): count those.
    unsigned live = 0;
    for (ULONG_PTR index = 1; index <= 0xFFFF; ++index) {
        live += GetObjectType(reinterpret_cast<HGDIOBJ>(index)) != 0;
    }
    return live;
}

COLORREF FilePixel(const std::string& path, int x, int y) {
    GdiBitmap bmp(static_cast<HBITMAP>(
        LoadImageA(nullptr, path.c_str(), IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE | LR_CREATEDIBSECTION)));
    if (!bmp) {
        return CLR_INVALID;
    }
    MemoryDC dc(CreateCompatibleDC(nullptr));
    SelectObjectGuard keep(dc.get(), bmp.get());
    return GetPixel(dc.get(), x, y);
}

COLORREF ScreenPixel(POINT p) {
    WindowDC screen(nullptr);
    return GetPixel(screen.get(), p.x, p.y);
}

namespace {

// A test whose click opens a modal loop on its own thread cannot end the loop from there: if a driver thread's click
// is lost, or a late click opens the dialog or menu after the driver gave up, the test would wait for ever. The
// driver ends with Stand(), which waits until the test thread is done waiting and meanwhile, after a grace period,
// closes whatever dialog or menu is still open on that thread. The test then fails on its own checks.
class ModalGuard {
public:
    ModalGuard(DWORD thread, HWND except) : thread_(thread), except_(except) {}
    // The test thread: its wait is over.
    void Finish() { finished_ = true; }
    // True when the guard had to close something: what the test drove did not end the loop itself.
    bool Rescued() const { return rescued_; }
    // The driver thread, after its steps.
    void Stand() {
        auto finished = [&] { return finished_.load(); };
        if (Await(finished, 5000)) {
            return;
        }
        const DWORD start = GetTickCount();
        while (!Await(finished, 200) && GetTickCount() - start < 25000) {
            if (HWND dialog = OtherDialogOf(thread_, except_)) {
                rescued_ = true;
                PostMessageA(dialog, WM_CLOSE, 0, 0);
            }
            if (HWND menu = MenuWindowOf(thread_)) {
                // The menu loop takes every message of its thread; Escape ends it.
                rescued_ = true;
                PostMessageA(menu, WM_KEYDOWN, VK_ESCAPE, 0);
                EndMenu();
            }
        }
    }

private:
    DWORD thread_;
    HWND except_;
    std::atomic<bool> finished_{false};
    std::atomic<bool> rescued_{false};
};

} // namespace

std::string TextOf(HWND hwnd) {
    char text[128] = {};
    GetWindowTextA(hwnd, text, sizeof text);
    return text;
}

bool ShowsText(HWND dialog, const std::string& text) {
    struct Find {
        const std::string& text;
        bool found;
    } find{text, false};
    EnumChildWindows(
        dialog,
        [](HWND w, LPARAM l) -> BOOL {
            auto* f = reinterpret_cast<Find*>(l);
            // Asked of the window itself, which answers for another program's window too.
            char shown[128] = {};
            DWORD_PTR length = 0;
            SendMessageTimeoutA(w, WM_GETTEXT, sizeof shown, reinterpret_cast<LPARAM>(shown), SMTO_NORMAL, 5000,
                                &length);
            f->found = f->text == shown;
            return !f->found;
        },
        reinterpret_cast<LPARAM>(&find));
    return find.found;
}

// The first visible top-level window of this thread of the window class that `also` accepts, or null.
static HWND ShownWindowOf(DWORD thread, const char* className, const std::function<bool(HWND)>& also) {
    struct Find {
        const char* className;
        const std::function<bool(HWND)>& also;
        HWND found;
    } find{className, also, nullptr};
    EnumThreadWindows(
        thread,
        [](HWND w, LPARAM l) -> BOOL {
            auto* f = reinterpret_cast<Find*>(l);
            char name[16] = {};
            GetClassNameA(w, name, sizeof name);
            if (IsWindowVisible(w) && lstrcmpA(name, f->className) == 0 && f->also(w)) {
                f->found = w;
                return FALSE;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&find));
    return find.found;
}

// The top-level dialog windows of this thread other than the given one.
HWND OtherDialogOf(DWORD thread, HWND except) {
    return ShownWindowOf(thread, "#32770", [except](HWND w) { return w != except; });
}

// Clicks and waits for what the click does. A click is never given twice: on a loaded machine the first one can
// take seconds to show its effect, and a second one would then land as a click of its own, on whatever lies there by
// then (a dialog or menu opened with nobody to close it, a check box turned back).
bool ClickUntil(POINT p, const std::function<bool()>& done) {
    MouseClickAt(p.x, p.y);
    return PumpUntil(done, kClickEffectMs);
}

namespace {
// How long a press may take to reach the window's queue before it counts as lost.
constexpr DWORD kPressArrivesMs = 1500;
const std::initializer_list<UINT> kPresses{WM_LBUTTONDOWN, WM_LBUTTONDBLCLK, WM_NCLBUTTONDOWN, WM_NCLBUTTONDBLCLK};

// From a driver thread: true once the window's thread takes a message sent now, that is, has handled what it took
// from its queue before.
bool Handled(HWND window) {
    DWORD_PTR answer = 0;
    return SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_NORMAL, kClickEffectMs, &answer) != 0;
}
} // namespace

bool ClickUnlessArrived(POINT p, const std::function<bool()>& done) {
    const HWND target = WindowFromPoint(p);
    MessageLog input;
    if (!input.WatchQueue(GetWindowThreadProcessId(target, nullptr))) {
        return false;
    }
    for (int attempt = 0; attempt < 2; ++attempt) {
        const size_t mark = input.Mark();
        MouseClickAt(p.x, p.y);
        auto arrived = [&] { return input.Got(target, {WM_LBUTTONDOWN, WM_LBUTTONDBLCLK}, mark); };
        // Without an effect to wait for: the release left the queue, and a message sent now is taken only after the
        // release was handled.
        auto handled = [&] { return input.Got(target, {WM_LBUTTONUP}, mark) && Handled(target); };
        const std::function<bool()> effect = done ? done : handled;
        if (Await([&] { return effect() || arrived(); }, kPressArrivesMs)) {
            return Await(effect, kClickEffectMs);
        }
    }
    return false;
}

bool KeyPressHandled(HWND window, WORD vk) {
    const DWORD thread = window ? GetWindowThreadProcessId(window, nullptr) : GetCurrentThreadId();
    MessageLog input;
    if (!input.WatchQueue(thread)) {
        return false;
    }
    KeyPress(vk);
    auto released = [&] {
        for (const LoggedMessage& m : input.Of(nullptr, {WM_KEYUP, WM_SYSKEYUP})) {
            if (m.wParam == vk) {
                return true;
            }
        }
        return false;
    };
    if (thread == GetCurrentThreadId()) {
        return PumpUntil(released, kClickEffectMs) && PumpPosted();
    }
    return Await(released, kClickEffectMs) && Handled(window);
}

HWND FocusOf(HWND window) {
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info);
    return info.hwndFocus;
}

bool HoverMenuItem(HMENU menu, int position) {
    RECT r{};
    GetMenuItemRect(nullptr, menu, static_cast<UINT>(position), &r);
    const POINT centre = CentreOf(r);
    MouseMoveTo(centre.x, centre.y);
    return Await([&] { return (GetMenuState(menu, static_cast<UINT>(position), MF_BYPOSITION) & MF_HILITE) != 0; },
                 kClickEffectMs);
}

bool ClickAndSettle(POINT p) {
    MessageLog input;
    if (!input.WatchQueue(GetCurrentThreadId())) {
        return false;
    }
    for (int attempt = 0; attempt < 2; ++attempt) {
        const size_t mark = input.Mark();
        MouseClickAt(p.x, p.y);
        if (PumpUntil([&] { return input.Got(nullptr, kPresses, mark); }, kPressArrivesMs)) {
            return PumpUntil(
                       [&] {
                           return input.Got(nullptr, {WM_LBUTTONUP, WM_NCLBUTTONUP}, mark);
                       },
                       kClickEffectMs) &&
                   PumpPosted();
        }
    }
    return false;
}

// Moves the pointer onto a point and waits for what the move does. A move whose report is lost on its way through
// the X server is given once more, from a pixel beside the point so that it is a move again.
bool MoveUntil(POINT p, const std::function<bool()>& done) {
    MouseMoveTo(p.x, p.y);
    if (PumpUntil(done, 1500)) {
        return true;
    }
    MouseMoveTo(p.x + 1, p.y);
    Await([&] {
        POINT now{};
        GetCursorPos(&now);
        return now.x == p.x + 1 && now.y == p.y;
    });
    MouseMoveTo(p.x, p.y);
    return PumpUntil(done, 1500);
}

// The top-level menu window of this thread that is showing, or null.
HWND MenuWindowOf(DWORD thread, HMENU menu) {
    return ShownWindowOf(thread, "#32768", [menu](HWND w) {
        return !menu || reinterpret_cast<HMENU>(SendMessageA(w, MN_GETHMENU, 0, 0)) == menu;
    });
}

ModalRun DriveModalRun(HWND except, const std::function<bool()>& open, const std::function<void()>& steps) {
    ModalGuard guard(GetCurrentThreadId(), except);
    std::thread driver([&] {
        steps();
        guard.Stand();
    });
    ModalRun run;
    run.done = open();
    guard.Finish();
    driver.join();
    run.rescued = guard.Rescued();
    return run;
}

ModalRun DriveModal(HWND except, POINT opener, const std::function<void()>& steps, const std::function<bool()>& done) {
    const DWORD thread = GetCurrentThreadId();
    std::atomic<bool> clicked{false};
    return DriveModalRun(
        except,
        // The loop opens while this thread pumps; what it waits for counts from the click on.
        [&] { return PumpUntil([&] { return clicked.load(); }, 2 * kClickEffectMs) && PumpUntil(done, 15000); },
        [&] {
            // The driver clicks, so that a click lost on its way is given again while this thread runs the loop.
            ClickUnlessArrived(
                opener, [&] { return MenuWindowOf(thread) != nullptr || OtherDialogOf(thread, except) != nullptr; });
            clicked = true;
            steps();
        });
}

ModalRun RunDriven(const std::function<void()>& show, const std::function<void(HWND)>& steps) {
    const DWORD thread = GetCurrentThreadId();
    return DriveModalRun(
        nullptr,
        [&] {
            show();
            return true;
        },
        [&] {
            HWND window = nullptr;
            if (Await([&] { return (window = OtherDialogOf(thread, nullptr)) != nullptr; }, 5000)) {
                SetForegroundWindow(window);
                Await([&] { return GetForegroundWindow() == window; }, 1000);
                steps(window);
            }
        });
}

// A driver thread's click that should close `window` (or hide it, for a menu); waits for it to go.
void ClickToClose(POINT p, HWND window) {
    MouseClickAt(p.x, p.y);
    Await([&] { return !IsWindow(window) || !IsWindowVisible(window); }, kClickEffectMs);
}

// Waits for the dialog that a click on `opener` opened.
HWND WaitForDialog(DWORD thread, HWND except, POINT) {
    HWND w = nullptr;
    Await([&] { return (w = OtherDialogOf(thread, except)) != nullptr; }, kClickEffectMs);
    return w;
}

// Opens a warning with a click on `opener` and drives it from the second thread with `steps`, which get the warning
// and its rectangle on the screen.
ModalRun DriveWarning(HWND except, POINT opener, const std::function<void(HWND, const RECT&)>& steps,
                      const std::function<bool()>& done) {
    DWORD thread = GetCurrentThreadId();
    return DriveModal(
        except, opener,
        [&] {
            HWND warning = WaitForDialog(thread, except, opener);
            if (!warning) {
                return;
            }
            RECT r{};
            GetWindowRect(warning, &r);
            steps(warning, r);
        },
        done);
}
