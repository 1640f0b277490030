#pragma once
// The on-screen display: a hidden window titled "Korvane_78_Normal_OSD" that takes OsdShow requests, and the popup
// that shows them at the bottom centre of the screen, topmost and never activated, fading out after about 1.5 s.

#include <windows.h>

#include <string>

class OsdWindow {
public:
    // folder: the program folder with its trailing backslash (config.ini and the optional log live there).
    explicit OsdWindow(std::string folder);
    ~OsdWindow();
    OsdWindow(const OsdWindow&) = delete;
    OsdWindow& operator=(const OsdWindow&) = delete;

    bool Create(HINSTANCE instance);
    HWND Handle() const { return hwnd_; }

    // Keeps the OSD settings record in config.ini: writes one with both displays on when it is missing or damaged.
    void EnsureSettingRecord() const;

private:
    static LRESULT CALLBACK HiddenProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK PopupProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

    void OnOsdShow(WPARAM wParam, LPARAM lParam);
    void ShowText(const std::string& text);
    void OnPopupTimer(UINT_PTR id);
    void OnPopupPaint();
    void Log(const std::string& line) const;

    std::string folder_;
    HINSTANCE instance_ = nullptr;
    HWND hwnd_ = nullptr;
    HWND popup_ = nullptr;
    HFONT font_ = nullptr;
    std::string text_;
    int alpha_ = 0;
};
