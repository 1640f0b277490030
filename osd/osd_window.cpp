#include <windows.h>

#include "osd/osd_window.h"

#include "common/ini_file.h"
#include "common/messages.h"
#include "common/osd_settings.h"
#include "osd/osd_request.h"

#include <cstdio>

namespace {
constexpr char kHiddenClass[] = "KorvaneOsdHost";
constexpr char kPopupClass[] = "KorvaneOsdPopup";
constexpr UINT_PTR kHoldTimer = 1;
constexpr UINT_PTR kFadeTimer = 2;
constexpr int kPopupHeight = 56;
constexpr int kPopupPadding = 28;
constexpr int kBottomGap = 60;
constexpr COLORREF kBackground = RGB(24, 26, 30);
constexpr COLORREF kForeground = RGB(240, 240, 240);

// Neither window has a background brush: the host is never seen and the popup paints itself whole.
bool RegisterClasses() {
    return RegisterWindowClass({kHiddenClass, 0}) && RegisterWindowClass({kPopupClass, 0});
}
} // namespace

OsdWindow::OsdWindow(std::string folder) : folder_(std::move(folder)) {}

bool OsdWindow::Create() {
    if (!RegisterClasses()) {
        return false;
    }
    font_.reset(CreateFontA(-26, 0, 0, 0, FW_BOLD, FALSE, FALSE, FALSE, ANSI_CHARSET, OUT_DEFAULT_PRECIS,
                            CLIP_DEFAULT_PRECIS, ANTIALIASED_QUALITY, DEFAULT_PITCH, "Arial"));
    if (Window::Create(WS_EX_TOOLWINDOW, kHiddenClass, kOsdWindowTitle, WS_POPUP, 0, 0, 1, 1, nullptr) == nullptr) {
        return false;
    }
    return popup_.Create(font_.get());
}

void OsdWindow::EnsureSettingRecord() const {
    // Looked at and written in one change, so that a record another writer puts there meanwhile is not replaced.
    UpdateIniFile(folder_ + "config.ini", [](IniDocument& ini) {
        OsdSettingRecord record{};
        if (!ini.GetStruct("config", "OSDSetting", record.data(), kOsdSettingSize)) {
            record = DefaultOsdSettingRecord();
            ini.SetStruct("config", "OSDSetting", record.data(), kOsdSettingSize);
        }
    });
}

void OsdWindow::OnDestroy() {
    PostQuitMessage(0);
}

LRESULT OsdWindow::OnOsdShow(WPARAM wParam, LPARAM lParam) {
    std::string message;
    if (wParam == kOsdShowMessage) {
        message = IniFile(folder_ + "config.ini").GetString(kOsdDataSection, kOsdDataKey, "");
    }
    const std::string text = OsdRequestText(wParam, lParam, message);
    char line[64];
    std::snprintf(line, sizeof line, "OsdShow %u %ld: ", static_cast<unsigned>(wParam), static_cast<long>(lParam));
    Log(line + text);
    if (!text.empty()) {
        popup_.ShowText(text);
    }
    return 0;
}

bool OsdPopup::Create(HFONT font) {
    font_ = font;
    return Window::Create(WS_EX_TOPMOST | WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE | WS_EX_LAYERED, kPopupClass, "",
                          WS_POPUP, 0, 0, 10, 10, nullptr) != nullptr;
}

void OsdPopup::ShowText(const std::string& text) {
    HWND popup = Handle();
    if (popup == nullptr) {
        return;
    }
    text_ = text;
    // Measure the text, then centre the popup at the bottom of the work area.
    SIZE size{200, 20};
    if (WindowDC dc(popup); dc) {
        SelectObjectGuard font(dc.get(), font_);
        GetTextExtentPoint32A(dc.get(), text_.c_str(), static_cast<int>(text_.size()), &size);
    }
    RECT work{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
    const int width = size.cx + 2 * kPopupPadding;
    const int x = work.left + (work.right - work.left - width) / 2;
    const int y = work.bottom - kPopupHeight - kBottomGap;
    SetWindowPos(popup, HWND_TOPMOST, x, y, width, kPopupHeight, SWP_NOACTIVATE);
    GdiRegion shape(CreateRoundRectRgn(0, 0, width + 1, kPopupHeight + 1, 18, 18));
    GiveWindowRegion(popup, shape, true);
    alpha_ = kOsdFullAlpha;
    SetLayeredWindowAttributes(popup, 0, static_cast<BYTE>(alpha_), LWA_ALPHA);
    KillTimer(popup, kFadeTimer);
    SetTimer(popup, kHoldTimer, kOsdHoldMs, nullptr);
    ShowWindow(popup, SW_SHOWNOACTIVATE);
    InvalidateRect(popup, nullptr, TRUE);
    UpdateWindow(popup);
}

LRESULT OsdPopup::OnMouseActivate(WPARAM, LPARAM) {
    return MA_NOACTIVATE;
}

LRESULT OsdPopup::OnEraseBackground(WPARAM, LPARAM) {
    return 1;
}

void OsdPopup::OnTimer(UINT_PTR id) {
    HWND popup = Handle();
    if (id == kHoldTimer) {
        KillTimer(popup, kHoldTimer);
        SetTimer(popup, kFadeTimer, kOsdFadeTickMs, nullptr);
        return;
    }
    if (id == kFadeTimer) {
        alpha_ = NextFadeAlpha(alpha_);
        if (alpha_ == 0) {
            KillTimer(popup, kFadeTimer);
            ShowWindow(popup, SW_HIDE);
            return;
        }
        SetLayeredWindowAttributes(popup, 0, static_cast<BYTE>(alpha_), LWA_ALPHA);
    }
}

void OsdPopup::OnPaint(HDC dc, const PAINTSTRUCT&) {
    RECT rc;
    GetClientRect(Handle(), &rc);
    if (GdiBrush brush(CreateSolidBrush(kBackground)); brush) {
        FillRect(dc, &rc, brush.get());
    }
    SelectObjectGuard font(dc, font_);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, kForeground);
    DrawTextA(dc, text_.c_str(), static_cast<int>(text_.size()), &rc, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
}

void OsdWindow::Log(const std::string& line) const {
    // Only when the log file exists already: tests create it to see what the display was asked to show.
    const std::string path = folder_ + "VexelOSD.log";
    KernelHandle file(CreateFileA(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
        return;
    }
    const std::string text = line + "\r\n";
    DWORD written = 0;
    WriteFile(file.get(), text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
}
