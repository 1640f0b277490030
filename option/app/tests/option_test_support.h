#pragma once
// What Option's tests share: a program folder with the files Option reads, the main window on this thread, clicks at
// the skin's places, and a driver thread for the warnings a click opens.

#include <windows.h>

#include <functional>
#include <memory>
#include <string>

#include "option/app/main_window.h"
#include "testing/e2e_support.h"

namespace optiontest {

// A program folder (e2e::ProgramFolder) whose config.ini says the mouse is there, and the toolkit pointed at the
// build's skins and language library.
class Folder : public e2e::ProgramFolder {
public:
    Folder();
    // Bytes of a file of the folder; empty when it is missing.
    std::string Bytes(const std::string& name) const;
    void SetDevice(int present);
    // Copies Option.exe and the skins folder in, for tests that start the program itself.
    bool AddOption();
};

// The main window as a modeless popup on this thread, in the foreground, over a context for the folder.
class Window {
public:
    explicit Window(const std::string& folder);
    ~Window();
    bool Open();
    MainWindow& Main() { return *main_; }
    OptionContext& Context() { return *context_; }
    HWND Handle() const { return main_->Handle(); }
    bool Closed() const { return !IsWindow(hwnd_); }
    // A point of a window's client area on the screen.
    POINT At(HWND window, int x, int y) const;
    POINT CentreOf(HWND control) const;
    // The centre of a button on the screen, with or without a window of its own.
    POINT CentreOf(const SkinButton& button) const;

private:
    std::unique_ptr<OptionContext> context_;
    std::unique_ptr<MainWindow> main_;
    HWND hwnd_ = nullptr;
};

struct WarningRun {
    bool done = false;         // `done` held within 15 s, after a warning came and went
    int warnings = 0;          // warnings the driver saw
    bool rescued = false;      // a warning had to be closed: the click did not close it
    bool ownerVisible = false; // the main window was showing when the warning came
    bool Clean() const { return done && warnings == 1 && !rescued; }
};
// Runs `open` on this thread, which opens a warning here; a second thread waits for the warning and clicks its OK
// (ok true) or Cancel with real input.
WarningRun ClickThroughWarning(const std::function<void()>& open, bool ok, const std::function<bool()>& done);
WarningRun ClickThroughWarning(POINT opener, bool ok, const std::function<bool()>& done);
// Opens the window while a second thread answers each warning of its start with OK (ok true) or Cancel; done once the
// window is open in the foreground and the start's checks are over, whether or not they warned.
WarningRun OpenThroughWarnings(Window& w, bool ok);
// The same for any skinned dialog: the driver clicks `button` (a point of the dialog's client area).
WarningRun ClickThroughDialog(const std::function<void()>& open, POINT button, const std::function<bool()>& done);

// Option.exe's main window when it is showing, else null.
HWND VisibleOptionWindow();
// Waits until Monitor's read-back after its start has ended (the 0x03 command after the read in the mouse's log): its
// DeviceStateRead refreshes Option from the block, so edits made before its end could be dropped.
bool WaitForReadBackEnd(const e2e::ProgramFolder& folder);

// The thread's window titled "Tarvex Option" (read without sending it a message), or null.
HWND OptionWindowOf(DWORD thread);
// A showing dialog window of the thread other than its Option main window, or null.
HWND DialogOverOption(DWORD thread);

} // namespace optiontest
