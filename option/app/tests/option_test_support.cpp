#include "option/app/tests/option_test_support.h"

#include <windows.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

#include "option/skin/skin_description.h"
#include "testing/files.h"
#include "testing/skin_test_support.h"

namespace optiontest {

Folder::Folder() {
    UseBuildSkins();
    SetDevice(1);
}

std::string Folder::Bytes(const std::string& name) const {
    return ReadFileText(File(name));
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
    PumpPosted();
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
    return WaitForPointer(p.x, p.y);
}

POINT Window::At(HWND window, int x, int y) const {
    return ScreenPoint(window, x, y);
}

POINT Window::CentreOf(HWND control) const {
    return ::CentreOf(control);
}

POINT Window::CentreOf(const SkinButton& button) const {
    return ::CentreOf(button.ScreenRect());
}

HWND VisibleOptionWindow() {
    HWND w = FindWindowA(nullptr, kOptionWindowTitle);
    return w && IsWindowVisible(w) ? w : nullptr;
}

bool WaitForReadBackEnd(const e2e::ProgramFolder& folder) {
    return PumpUntil([&] { return e2e::ReadBackEnded(folder.Log()); }, 30000);
}

// The thread's main window is told by its title, read without a message: a driver thread that sent one (GetWindowText
// does) to the test thread while that thread waits for the driver would wait for ever. A title search over the whole
// session could find another process's Option instead.
HWND OptionWindowOf(DWORD thread) {
    struct Find {
        HWND found;
    } find{nullptr};
    EnumThreadWindows(
        thread,
        [](HWND w, LPARAM l) -> BOOL {
            wchar_t title[64] = {};
            InternalGetWindowText(w, title, 64);
            char text[64] = {};
            WideCharToMultiByte(CP_ACP, 0, title, -1, text, sizeof text, nullptr, nullptr);
            if (lstrcmpA(text, kOptionWindowTitle) == 0) {
                reinterpret_cast<Find*>(l)->found = w;
                return FALSE;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&find));
    return find.found;
}

HWND DialogOverOption(DWORD thread) {
    return OtherDialogOf(thread, OptionWindowOf(thread));
}

namespace {

// `done` counts only after a warning came and went, unless `warningNeeded` is false.
WarningRun DriveWarning(const std::function<void()>& open, POINT button, const std::function<bool()>& done,
                        bool warningNeeded = true) {
    DWORD thread = GetCurrentThreadId();
    std::atomic<bool> finished{false};
    std::atomic<int> seen{0};
    std::atomic<bool> rescued{false};
    std::atomic<bool> ownerVisible{false};
    std::thread driver([&] {
        HWND last = nullptr;
        DWORD start = GetTickCount();
        while (!finished) {
            if (GetTickCount() - start > 20000) {
                // The test thread is still waiting: whatever dialog holds it goes, and the test fails.
                if (HWND stuck = DialogOverOption(thread)) {
                    rescued = true;
                    PostMessageA(stuck, WM_CLOSE, 0, 0);
                }
                Await([&] { return finished.load(); }, 200);
                continue;
            }
            // The opening click is not given twice: a late first one and the second would open two warnings, the
            // second after this driver has gone.
            HWND warning = nullptr;
            Await([&] {
                warning = DialogOverOption(thread);
                return finished || (warning && warning != last) || GetTickCount() - start > 20000;
            });
            if (warning && warning != last) {
                last = warning;
                HWND owner = GetWindow(warning, GW_OWNER);
                ownerVisible = owner != nullptr && owner == OptionWindowOf(thread) && IsWindowVisible(owner);
                ClickToClose(ScreenPoint(warning, button.x, button.y), warning);
                if (IsWindow(warning) && IsWindowVisible(warning)) {
                    // The click did not end the loop; the test fails.
                    rescued = true;
                    PostMessageA(warning, WM_CLOSE, 0, 0);
                }
                ++seen;
            }
        }
    });
    open();
    WarningRun run;
    run.done = PumpUntil([&] { return (seen > 0 || !warningNeeded) && !DialogOverOption(thread) && done(); }, 15000);
    // What showed the warning has returned, so a second warning of the same handler has come and gone; one that a
    // message posted meanwhile would show comes now, while the driver is still there to close it, so that no warning
    // is left to open in a later pump with nobody to answer it.
    PumpPosted();
    finished = true;
    driver.join();
    run.warnings = seen;
    run.rescued = rescued;
    run.ownerVisible = ownerVisible;
    return run;
}

} // namespace

// The warning skin's OK and Cancel: pills at (84, 218) and (208, 218), 108 x 30.
POINT WarningButton(bool ok) {
    return ok ? POINT{138, 233} : POINT{262, 233};
}

WarningRun ClickThroughWarning(const std::function<void()>& open, bool ok, const std::function<bool()>& done) {
    return DriveWarning(open, WarningButton(ok), done);
}

WarningRun OpenThroughWarnings(Window& w, bool ok) {
    bool opened = false;
    return DriveWarning([&] { opened = w.Open(); }, WarningButton(ok),
                        [&] { return opened && w.Main().StartChecked(); }, false);
}

WarningRun ClickThroughWarning(POINT opener, bool ok, const std::function<bool()>& done) {
    return DriveWarning([&] { MouseClickAt(opener.x, opener.y); }, WarningButton(ok), done);
}

WarningRun ClickThroughDialog(const std::function<void()>& open, POINT button, const std::function<bool()>& done) {
    return DriveWarning(open, button, done);
}

} // namespace optiontest
