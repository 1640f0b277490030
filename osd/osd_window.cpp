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

OsdWindow* FromHandle(HWND hwnd) {
    return reinterpret_cast<OsdWindow*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
}

LRESULT BindOnCreate(HWND hwnd, LPARAM lParam) {
    auto* create = reinterpret_cast<CREATESTRUCTA*>(lParam);
    SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    return TRUE;
}
} // namespace

OsdWindow::OsdWindow(std::string folder) : folder_(std::move(folder)) {}

OsdWindow::~OsdWindow() {
    if (popup_ != nullptr) {
        DestroyWindow(popup_);
    }
    if (font_ != nullptr) {
        DeleteObject(font_);
    }
}

bool OsdWindow::Create(HINSTANCE instance) {
    instance_ = instance;
    WNDCLASSA hidden{};
    hidden.lpfnWndProc = HiddenProc;
    hidden.hInstance = instance;
    hidden.lpszClassName = kHiddenClass;
    RegisterClassA(&hidden);
    WNDCLASSA popup{};
    popup.lpfnWndProc = PopupProc;
    popup.hInstance = instance;
    popup.hCursor = LoadCursor(nullptr, IDC_ARROW);
    popup.lpszClassName = kPopupClass;
    RegisterClassA(&popup);

    font_ = CreateFontA(-26, 0, 0, 0, FW_BOLD, FALSE, FALSE, FALSE, ANSI_CHARSET, OUT_DEFAULT_PRECIS,
                        CLIP_DEFAULT_PRECIS, ANTIALIASED_QUALITY, DEFAULT_PITCH, "Arial");
    hwnd_ = CreateWindowExA(WS_EX_TOOLWINDOW, kHiddenClass, kOsdWindowTitle, WS_POPUP, 0, 0, 1, 1, nullptr, nullptr,
                            instance, this);
    if (hwnd_ == nullptr) {
        return false;
    }
    popup_ = CreateWindowExA(WS_EX_TOPMOST | WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE | WS_EX_LAYERED, kPopupClass, "",
                             WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, instance, this);
    return popup_ != nullptr;
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

LRESULT CALLBACK OsdWindow::HiddenProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        BindOnCreate(hwnd, lParam);
    }
    OsdWindow* self = FromHandle(hwnd);
    if (self != nullptr) {
        switch (message) {
        case OsdShow:
            self->OnOsdShow(wParam, lParam);
            return 0;
        case WM_CLOSE:
            DestroyWindow(hwnd);
            return 0;
        case WM_DESTROY:
            PostQuitMessage(0);
            return 0;
        case WM_NCDESTROY:
            SetWindowLongPtrA(hwnd, GWLP_USERDATA, 0);
            self->hwnd_ = nullptr;
            break;
        default:
            break;
        }
    }
    return DefWindowProcA(hwnd, message, wParam, lParam);
}

LRESULT CALLBACK OsdWindow::PopupProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        BindOnCreate(hwnd, lParam);
    }
    OsdWindow* self = FromHandle(hwnd);
    if (self != nullptr) {
        switch (message) {
        case WM_MOUSEACTIVATE:
            return MA_NOACTIVATE;
        case WM_TIMER:
            self->OnPopupTimer(wParam);
            return 0;
        case WM_PAINT:
            self->OnPopupPaint();
            return 0;
        case WM_ERASEBKGND:
            return 1;
        case WM_NCDESTROY:
            SetWindowLongPtrA(hwnd, GWLP_USERDATA, 0);
            self->popup_ = nullptr;
            break;
        default:
            break;
        }
    }
    return DefWindowProcA(hwnd, message, wParam, lParam);
}

void OsdWindow::OnOsdShow(WPARAM wParam, LPARAM lParam) {
    std::string message;
    if (wParam == kOsdShowMessage) {
        message = IniFile(folder_ + "config.ini").GetString(kOsdDataSection, kOsdDataKey, "");
    }
    const std::string text = OsdRequestText(wParam, lParam, message);
    char line[64];
    std::snprintf(line, sizeof line, "OsdShow %u %ld: ", static_cast<unsigned>(wParam), static_cast<long>(lParam));
    Log(line + text);
    if (!text.empty()) {
        ShowText(text);
    }
}

void OsdWindow::ShowText(const std::string& text) {
    if (popup_ == nullptr) {
        return;
    }
    text_ = text;
    // Measure the text, then centre the popup at the bottom of the work area.
    SIZE size{200, 20};
    if (HDC dc = GetDC(popup_)) {
        HGDIOBJ old = SelectObject(dc, font_);
        GetTextExtentPoint32A(dc, text_.c_str(), static_cast<int>(text_.size()), &size);
        SelectObject(dc, old);
        ReleaseDC(popup_, dc);
    }
    RECT work{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
    const int width = size.cx + 2 * kPopupPadding;
    const int x = work.left + (work.right - work.left - width) / 2;
    const int y = work.bottom - kPopupHeight - kBottomGap;
    SetWindowPos(popup_, HWND_TOPMOST, x, y, width, kPopupHeight, SWP_NOACTIVATE);
    // The window takes the region over.
    SetWindowRgn(popup_, CreateRoundRectRgn(0, 0, width + 1, kPopupHeight + 1, 18, 18), TRUE);
    alpha_ = kOsdFullAlpha;
    SetLayeredWindowAttributes(popup_, 0, static_cast<BYTE>(alpha_), LWA_ALPHA);
    KillTimer(popup_, kFadeTimer);
    SetTimer(popup_, kHoldTimer, kOsdHoldMs, nullptr);
    ShowWindow(popup_, SW_SHOWNOACTIVATE);
    InvalidateRect(popup_, nullptr, TRUE);
    UpdateWindow(popup_);
}

void OsdWindow::OnPopupTimer(UINT_PTR id) {
    if (id == kHoldTimer) {
        KillTimer(popup_, kHoldTimer);
        SetTimer(popup_, kFadeTimer, kOsdFadeTickMs, nullptr);
        return;
    }
    if (id == kFadeTimer) {
        alpha_ = NextFadeAlpha(alpha_);
        if (alpha_ == 0) {
            KillTimer(popup_, kFadeTimer);
            ShowWindow(popup_, SW_HIDE);
            return;
        }
        SetLayeredWindowAttributes(popup_, 0, static_cast<BYTE>(alpha_), LWA_ALPHA);
    }
}

void OsdWindow::OnPopupPaint() {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(popup_, &ps);
    RECT rc;
    GetClientRect(popup_, &rc);
    HBRUSH brush = CreateSolidBrush(kBackground);
    FillRect(dc, &rc, brush);
    DeleteObject(brush);
    HGDIOBJ old = SelectObject(dc, font_);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, kForeground);
    DrawTextA(dc, text_.c_str(), static_cast<int>(text_.size()), &rc, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    SelectObject(dc, old);
    EndPaint(popup_, &ps);
}

void OsdWindow::Log(const std::string& line) const {
    // Only when the log file exists already: tests create it to see what the display was asked to show.
    const std::string path = folder_ + "VexelOSD.log";
    HANDLE file = CreateFileA(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return;
    }
    const std::string text = line + "\r\n";
    DWORD written = 0;
    WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    CloseHandle(file);
}
