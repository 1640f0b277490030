#include <windows.h>

#include "monitor/tray_icon.h"

#include "common/messages.h"

#include <cstring>

TrayIcon::~TrayIcon() {
    Delete();
}

void TrayIcon::Prepare(HWND owner, const std::string& tip) {
    std::memset(&record_, 0, sizeof record_);
    record_.cbSize = sizeof record_;
    record_.hWnd = owner;
    record_.uID = kTrayIconId;
    record_.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    record_.uCallbackMessage = TrayNotify;
    if (!icon_) {
        // The program file's own small icon (resource 1), as the shell shows it.
        icon_.reset(static_cast<HICON>(LoadImageA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(1), IMAGE_ICON,
                                                  GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON), 0)));
    }
    if (!icon_) {
        char path[MAX_PATH] = {};
        if (GetModuleFileNameA(nullptr, path, MAX_PATH) > 0) {
            SHFILEINFOA info{};
            if (SHGetFileInfoA(path, 0, &info, sizeof info, SHGFI_ICON | SHGFI_SMALLICON) != 0) {
                icon_.reset(info.hIcon);
            }
        }
        if (!icon_) {
            icon_.reset(static_cast<HICON>(CopyImage(LoadIcon(nullptr, IDI_APPLICATION), IMAGE_ICON, 0, 0, 0)));
        }
    }
    record_.hIcon = icon_.get();
    // The tip holds 127 characters and its terminator.
    std::strncpy(record_.szTip, tip.c_str(), sizeof record_.szTip - 1);
}

bool TrayIcon::Add() {
    if (shown_) {
        return true;
    }
    record_.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    shown_ = Shell_NotifyIconA(NIM_ADD, &record_) != FALSE;
    return shown_;
}

void TrayIcon::Delete() {
    if (!shown_) {
        return;
    }
    Shell_NotifyIconA(NIM_DELETE, &record_);
    shown_ = false;
}

void TrayIcon::SetBalloon(const std::string& text, UINT timeoutMs) {
    record_.uFlags = NIF_INFO;
    std::memset(record_.szInfo, 0, sizeof record_.szInfo);
    std::strncpy(record_.szInfo, text.c_str(), sizeof record_.szInfo - 1);
    record_.szInfoTitle[0] = '\0';
    record_.dwInfoFlags = 0x10; // NIIF_NOSOUND, no icon
    record_.uTimeout = timeoutMs;
    // Without the icon (mouse absent) the balloon simply has nowhere to show.
    if (shown_) {
        Shell_NotifyIconA(NIM_MODIFY, &record_);
    }
    record_.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
}
