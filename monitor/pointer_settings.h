#pragma once
// Making the running system use the current profile's pointer settings, and the registry path helper.

#include <windows.h>

#include "common/profile_record.h"

#include <string>

// Opens the key named by a path whose first part is the root (see registry_path.h), or creates it when it cannot be
// opened; null when the path is refused or neither works. The caller closes the key.
HKEY OpenRegistryPath(const std::string& path, REGSAM access = KEY_ALL_ACCESS);
// Text of up to 260 bytes; empty when missing.
std::string ReadRegistryText(HKEY key, const char* name);
// REG_SZ whose stored length does not count the terminating NUL.
bool WriteRegistryText(HKEY key, const char* name, const std::string& text);

// Applies double-click time, acceleration, speed and wheel of `profile` with the pauses the system needs between
// them (about 0.9 s). mouseKey is HKCU\Control Panel\Mouse, opened at start-up. When acceleration is off and the
// registry still holds an acceleration row, the row is zeroed and profile.Acceleration becomes 0. self receives the
// WM_SETTINGCHANGE notifications.
void ApplyPointerSettings(ProfileRecord& profile, HKEY mouseKey, HWND self);
