#pragma once
// Monitor's tray icon: id 102, callback TrayNotify, the small icon of Monitor's own program file and a tip; it exists
// only while the mouse is connected. The balloon is shown through the same record.

#include <shellapi.h>
#include <windows.h>

#include "framework/handles.h"

#include <string>

class TrayIcon {
public:
    TrayIcon() = default;
    ~TrayIcon();
    TrayIcon(const TrayIcon&) = delete;
    TrayIcon& operator=(const TrayIcon&) = delete;

    // Fills the record for the window: icon from the program file, tip cut to 127 characters.
    void Prepare(HWND owner, const std::string& tip);
    bool Add();
    void Delete();
    bool Shown() const { return shown_; }

    // Title empty, no icon and no sound, the text (cut to the record's 255 characters), the display time in ms.
    void SetBalloon(const std::string& text, UINT timeoutMs);

private:
    NOTIFYICONDATAA record_{};
    OwnedIcon icon_; // goes after the record that shows it was taken off the tray
    bool shown_ = false;
};
