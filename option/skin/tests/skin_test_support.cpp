#include "option/skin/tests/skin_test_support.h"

#include <windows.h>

#include <algorithm>
#include <atomic>
#include <cstdint>

#include "common/language.h"
#include "framework/handles.h"
#include "option/skin/skin_description.h"

std::string TestProgramFolder() {
    char module[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, module, MAX_PATH);
    return FolderOfProgram(module);
}

void UseBuildSkins() {
    SetSkinFolder(TestProgramFolder() + "skins\\");
    LoadLanguageLibraryFrom(TestProgramFolder() + "lan.dll");
}

namespace {

void SendMouse(DWORD flags, int x = 0, int y = 0) {
    INPUT in{};
    in.type = INPUT_MOUSE;
    in.mi.dwFlags = flags;
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
void MouseDown() { SendAtHand(MOUSEEVENTF_LEFTDOWN); }
void MouseUp() { SendAtHand(MOUSEEVENTF_LEFTUP); }

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
    DWORD start = GetTickCount();
    int steady = 0;
    bool resent = false;
    while (GetTickCount() - start < 2000) {
        if (gui) {
            PumpFor(15);
        } else {
            Sleep(15);
        }
        steady = arrived() ? steady + 1 : 0;
        if (steady >= 3) {
            return true;
        }
        if (!resent && GetTickCount() - start > 500) {
            MouseMoveTo(x, y);
            resent = true;
        }
    }
    return false;
}

void MouseClickAt(int x, int y) {
    MouseMoveTo(x, y);
    WaitForPointer(x, y);
    MouseDown();
    MouseUp();
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
    return {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
}

POINT ScreenPoint(HWND hwnd, int x, int y) {
    POINT p{x, y};
    ClientToScreen(hwnd, &p);
    return p;
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
