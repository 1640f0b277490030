#include "option/app/tests/option_test_support.h"

#include <windows.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

#include "option/skin/skin_description.h"
#include "option/skin/tests/skin_test_support.h"

namespace optiontest {

Folder::Folder() {
    UseBuildSkins();
    SetDevice(1);
}

std::string Folder::Bytes(const std::string& name) const {
    std::ifstream in(File(name), std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

void Folder::SetDevice(int present) {
    WritePrivateProfileStringA("Setting", "Device", present ? "1" : "0", File("config.ini").c_str());
}

bool Folder::AddOption() {
    std::string bin = e2e::BinFolder();
    std::error_code error;
    std::filesystem::copy(bin + "skins", File("skins"), std::filesystem::copy_options::recursive, error);
    return CopyFileA((bin + "Option.exe").c_str(), File("Option.exe").c_str(), FALSE) && !error;
}

Window::Window(const std::string& folder) : context_(std::make_unique<OptionContext>()) {
    context_->programFolder = folder;
    main_ = std::make_unique<MainWindow>(*context_);
}

Window::~Window() {
    MouseMoveTo(2, 700);
    if (IsWindow(hwnd_)) {
        main_->Destroy();
    }
    PumpFor(50);
    main_.reset();
}

bool Window::Open() {
    hwnd_ = main_->CreatePopup(nullptr);
    if (!hwnd_) {
        return false;
    }
    SetForegroundWindow(hwnd_);
    UpdateWindow(hwnd_);
    if (!PumpUntil([&] { return GetForegroundWindow() == hwnd_ && GetActiveWindow() == hwnd_; })) {
        return false;
    }
    // Park the pointer on the window's empty title band.
    POINT p = At(hwnd_, 400, 8);
    MouseMoveTo(p.x, p.y);
    PumpFor(100);
    return true;
}

POINT Window::At(HWND window, int x, int y) const {
    return ScreenPoint(window, x, y);
}

POINT Window::CentreOf(HWND control) const {
    return ::CentreOf(control);
}

HWND OtherDialogOf(DWORD thread) {
    HWND found = nullptr;
    EnumThreadWindows(
        thread,
        [](HWND w, LPARAM l) -> BOOL {
            char name[16] = {};
            wchar_t title[64] = {};
            GetClassNameA(w, name, sizeof name);
            // Not GetWindowText: for a window of another thread of this process it sends WM_GETTEXT, which waits for
            // ever once that thread is joining the driver that asks.
            InternalGetWindowText(w, title, 64);
            char narrow[64] = {};
            WideCharToMultiByte(CP_ACP, 0, title, -1, narrow, sizeof narrow, nullptr, nullptr);
            if (IsWindowVisible(w) && lstrcmpA(name, "#32770") == 0 && lstrcmpA(narrow, kOptionWindowTitle) != 0) {
                *reinterpret_cast<HWND*>(l) = w;
                return FALSE;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&found));
    return found;
}

WarningRun ClickThroughWarning(const std::function<void()>& open, bool ok, const std::function<bool()>& done) {
    DWORD thread = GetCurrentThreadId();
    std::atomic<bool> finished{false};
    std::atomic<int> seen{0};
    std::atomic<bool> rescued{false};
    std::atomic<bool> ownerVisible{false};
    std::thread driver([&] {
        HWND last = nullptr;
        DWORD start = GetTickCount();
        while (!finished && GetTickCount() - start < 20000) {
            HWND warning = OtherDialogOf(thread);
            if (warning && warning != last) {
                last = warning;
                HWND owner = FindWindowA(nullptr, kOptionWindowTitle);
                ownerVisible = owner != nullptr && IsWindowVisible(owner);
                // The warning skin's OK and Cancel: pills at (84, 218) and (208, 218), 108 x 30.
                POINT p = ScreenPoint(warning, ok ? 138 : 262, 233);
                for (int i = 0; i < 2 && IsWindow(warning) && IsWindowVisible(warning); ++i) {
                    MouseClickAt(p.x, p.y);
                    for (int w = 0; w < 150 && IsWindow(warning) && IsWindowVisible(warning); ++w) {
                        Sleep(10);
                    }
                }
                if (IsWindow(warning) && IsWindowVisible(warning)) {
                    // Lost clicks: end the loop; the test fails.
                    rescued = true;
                    PostMessageA(warning, WM_CLOSE, 0, 0);
                }
                ++seen;
            }
            Sleep(20);
        }
    });
    open();
    WarningRun run;
    run.done = PumpUntil([&] { return seen > 0 && !OtherDialogOf(thread) && done(); }, 15000);
    // A second warning would come right after the first.
    PumpFor(300);
    finished = true;
    driver.join();
    run.warnings = seen;
    run.rescued = rescued;
    run.ownerVisible = ownerVisible;
    return run;
}

WarningRun ClickThroughWarning(POINT opener, bool ok, const std::function<bool()>& done) {
    return ClickThroughWarning([&] { MouseClickAt(opener.x, opener.y); }, ok, done);
}

} // namespace optiontest
