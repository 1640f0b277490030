#pragma once
// Making the running system use the current profile's pointer settings, and the registry path helper.

#include <windows.h>

#include "common/profile_record.h"
#include "framework/handles.h"
#include "monitor/pointer_plan.h"

#include <string>

// Opens the key named by a path whose first part is the root (see registry_path.h), or creates it when it cannot be
// opened; empty when the path is refused or neither works.
RegistryKey OpenRegistryPath(const std::string& path, REGSAM access = KEY_ALL_ACCESS);
// Text of up to 260 bytes; empty when missing.
std::string ReadRegistryText(HKEY key, const char* name);
// REG_SZ whose stored length does not count the terminating NUL.
bool WriteRegistryText(HKEY key, const char* name, const std::string& text);

// Makes the running system use a profile's double-click time, acceleration, speed and wheel, with the pauses the
// system needs between them (about 0.9 s). The pauses are waited on a timer of the owner window, whose thread runs
// every step, so the window goes on answering meanwhile.
class PointerSettings {
public:
    explicit PointerSettings(UINT_PTR timerId) : timerId_(timerId) {}
    // mouseKey is HKCU\Control Panel\Mouse, opened at start-up and owned by the caller; self receives the timer and
    // the WM_SETTINGCHANGE notifications.
    void Attach(HWND self, HKEY mouseKey) {
        self_ = self;
        mouseKey_ = mouseKey;
    }
    // Starts applying `profile`; one still being applied is dropped and this one starts from its first step. When
    // acceleration is off and the registry still holds an acceleration row, the row is zeroed and
    // profile.Acceleration becomes 0.
    void Apply(ProfileRecord& profile);
    // The owner's timer timerId fired: the steps that are due.
    void OnTimer();
    // Monitor is ending: the remaining steps at once.
    void Finish();
    bool Pending() const { return sequence_.Pending(); }

private:
    void RunDue();
    void Run(PointerAction action);

    UINT_PTR timerId_;
    HWND self_ = nullptr;
    HKEY mouseKey_ = nullptr;
    PointerSequence sequence_;
    int mouse_[3] = {0, 0, 0}; // SPI_SETMOUSE's numbers; the notification to our own window points at them
};
