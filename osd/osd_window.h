#pragma once
// The on-screen display: a hidden window titled "Korvane_78_Normal_OSD" that takes OsdShow requests, and the popup
// that shows them at the bottom centre of the screen, topmost and never activated, fading out after about 1.5 s.

#include <windows.h>

#include "common/messages.h"
#include "framework/handles.h"
#include "framework/window.h"

#include <string>

// The popup: it shows one text and fades it out on its timers.
class OsdPopup : public Window {
public:
    // font: the display's font, which outlives the popup.
    bool Create(HFONT font);
    void ShowText(const std::string& text);

private:
    LRESULT OnMouseActivate(WPARAM wParam, LPARAM lParam);
    LRESULT OnEraseBackground(WPARAM wParam, LPARAM lParam);
    void OnTimer(UINT_PTR id);
    void OnPaint(HDC dc, const PAINTSTRUCT& paint);

    using Entry = MessageEntry<OsdPopup>;
    static constexpr Entry kMessageMap[] = {
        Entry::Raw(WM_MOUSEACTIVATE, &OsdPopup::OnMouseActivate),
        Entry::Raw(WM_ERASEBKGND, &OsdPopup::OnEraseBackground),
        Entry::Timer(&OsdPopup::OnTimer),
        Entry::Paint(&OsdPopup::OnPaint),
    };
    bool ProcessMessage(WindowMessage& m) override {
        return RouteMessage(*this, kMessageMap, m) || Window::ProcessMessage(m);
    }

    HFONT font_ = nullptr;
    std::string text_;
    int alpha_ = 0;
};

class OsdWindow : public Window {
public:
    // folder: the program folder with its trailing backslash (config.ini and the optional log live there).
    explicit OsdWindow(std::string folder);

    // The hidden window and its popup; false when either cannot be made.
    bool Create();

    // Keeps the OSD settings record in config.ini: writes one with both displays on when it is missing or damaged.
    void EnsureSettingRecord() const;

private:
    LRESULT OnOsdShow(WPARAM wParam, LPARAM lParam);
    void OnDestroy();
    void Log(const std::string& line) const;

    using Entry = MessageEntry<OsdWindow>;
    static constexpr Entry kMessageMap[] = {
        Entry::Raw(OsdShow, &OsdWindow::OnOsdShow),
        Entry::Destroy(&OsdWindow::OnDestroy),
    };
    bool ProcessMessage(WindowMessage& m) override {
        return RouteMessage(*this, kMessageMap, m) || Window::ProcessMessage(m);
    }

    std::string folder_;
    GdiFont font_; // declared before the popup, which draws with it until it goes
    OsdPopup popup_;
};
