#include "option/skin/bitmap_edit.h"

#include <windows.h>

#include <string>
#include <utility>

#include "option/skin/number_box.h"

HWND BitmapEdit::Create(HWND parent, const RECT& rect, int id, DWORD extraStyle) {
    HWND hwnd = Control::Create("EDIT", "", WS_CHILD | WS_VISIBLE | ES_AUTOHSCROLL | extraStyle, rect.left, rect.top,
                                rect.right - rect.left, rect.bottom - rect.top, parent, id);
    if (hwnd) {
        font_.reset(CreateFontA(14, 6, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                                CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, FF_SWISS | DEFAULT_PITCH, "Arial"));
        SetFont();
    }
    return hwnd;
}

void BitmapEdit::SetColours(COLORREF text, COLORREF background) {
    textColour_ = text;
    backColour_ = background;
    InvalidateRect(Handle(), nullptr, TRUE);
}

void BitmapEdit::SetFont() {
    SendMessageA(Handle(), WM_SETFONT, reinterpret_cast<WPARAM>(font_.get()), TRUE);
}

void BitmapEdit::SetTextQuietly(const std::string& text) {
    replacing_ = true;
    SetWindowTextA(Handle(), text.c_str());
    replacing_ = false;
}

HBRUSH BitmapEdit::OnCtlColor(HDC dc, HWND) {
    brush_.reset(CreateSolidBrush(backColour_));
    SetTextColor(dc, textColour_);
    SetBkColor(dc, backColour_);
    return brush_.get();
}

LRESULT BitmapEdit::OnEraseBkgnd(WPARAM wParam, LPARAM) {
    HDC dc = reinterpret_cast<HDC>(wParam);
    RECT client{};
    GetClientRect(Handle(), &client);
    GdiBrush fill(CreateSolidBrush(backColour_));
    FillRect(dc, &client, fill.get());
    // One line of text, vertically centred: the formatting rectangle moves down by half the spare height.
    TEXTMETRICA metrics{};
    HGDIOBJ old = SelectObject(dc, font_.get());
    GetTextMetricsA(dc, &metrics);
    SelectObject(dc, old);
    int spare = client.bottom - metrics.tmExternalLeading - metrics.tmHeight;
    RECT format = client;
    OffsetRect(&format, 2, spare > 0 ? spare / 2 : 0);
    SendMessageA(Handle(), EM_SETRECTNP, 0, reinterpret_cast<LPARAM>(&format));
    return TRUE;
}

void BitmapEdit::OnKeyDown(UINT key, LPARAM) {
    if (digitsOnly_ && !DigitFieldKeyPasses(key)) {
        // The character the key would type is swallowed with it.
        swallowChar_ = true;
        return;
    }
    swallowChar_ = false;
    Default();
}

void BitmapEdit::OnChar(UINT, LPARAM) {
    if (std::exchange(swallowChar_, false)) {
        return;
    }
    Default();
}

void BitmapEdit::OnKeyUp(UINT key, LPARAM) {
    if (key == VK_RETURN) {
        PostMessageA(GetParent(Handle()), kBitmapEditEnter, 13, 0);
    }
    Default();
}

void BitmapEdit::OnCommand(int, int code, HWND) {
    if (code == EN_CHANGE && digitsOnly_ && !replacing_) {
        HWND hwnd = Handle();
        char text[256] = {};
        GetWindowTextA(hwnd, text, sizeof text);
        std::string kept = LeadingNumberRun(text, signAllowed_);
        if (kept != text) {
            replacing_ = true;
            SendMessageA(hwnd, EM_SETSEL, 0, -1);
            SendMessageA(hwnd, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(kept.c_str()));
            replacing_ = false;
        }
        InvalidateRect(hwnd, nullptr, TRUE);
        PostMessageA(GetParent(hwnd), kBitmapEditKillFocus.Value(), 0, 0);
    }
    // The parent hears of the change as well.
    Default();
}

LRESULT BitmapEdit::OnKillFocus(WPARAM, LPARAM) {
    PostMessageA(GetParent(Handle()), kBitmapEditKillFocus.Value(), 0, 0);
    return Default();
}

void BitmapEdit::OnMouseMove(int, int, WPARAM) {
    if (!tracking_) {
        TRACKMOUSEEVENT track{sizeof track, TME_HOVER | TME_LEAVE, Handle(), 1};
        tracking_ = TrackMouseEvent(&track) != FALSE;
    }
    Default();
}

LRESULT BitmapEdit::OnMouseLeave(WPARAM, LPARAM) {
    tracking_ = false;
    return Default();
}

LRESULT BitmapEdit::OnVScroll(WPARAM, LPARAM) {
    LRESULT r = Default();
    InvalidateRect(Handle(), nullptr, TRUE);
    return r;
}

bool BitmapEdit::ProcessMessage(WindowMessage& m) {
    return RouteMessage(*this, kMessageMap, m) || Control::ProcessMessage(m);
}
