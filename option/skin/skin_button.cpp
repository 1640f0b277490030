#include "option/skin/skin_button.h"

#include <windows.h>

#include <commctrl.h>

#include "option/skin/skin_picture.h"

HWND SkinButton::Create(HWND parent, const RECT& rect, int id) {
    // Owner-drawn from the start: a style changed afterwards costs the button a round of style messages, and a page
    // creates a hundred of them.
    return Control::Create("BUTTON", "", WS_CHILD | WS_VISIBLE | BS_OWNERDRAW, rect.left, rect.top,
                           rect.right - rect.left, rect.bottom - rect.top, parent, id);
}

void SkinButton::SetFaces(int left, int top, int right, int bottom, HBITMAP normal, HBITMAP over, HBITMAP down,
                          HBITMAP disable) {
    WindowDC dc(ToolWindow());
    CutFaces(dc.get(), {left, top, right, bottom},
             {{normal_, normal}, {over_, over}, {down_, down}, {disable_, disable}});
    faceNormal_ = normal_.get();
    faceOver_ = over_.get();
    faceDown_ = down_.get();
    faceDisable_ = disable_.get();
    faceOrigin_ = {0, 0};
    if (!Handle()) {
        return;
    }
    LONG_PTR style = GetWindowLongPtrA(Handle(), GWL_STYLE);
    const LONG_PTR plain = style & ~static_cast<LONG_PTR>(WS_BORDER | WS_TABSTOP);
    if (plain != style) {
        SetWindowLongPtrA(Handle(), GWL_STYLE, plain);
    }
}

void SkinButton::ShareFaces(const RECT& part, HBITMAP normal, HBITMAP over, HBITMAP down, HBITMAP disable) {
    normal_.reset();
    over_.reset();
    down_.reset();
    disable_.reset();
    faceNormal_ = normal;
    faceOver_ = over;
    faceDown_ = down;
    faceDisable_ = disable;
    faceOrigin_ = {part.left, part.top};
}

void SkinButton::SetTooltip(const std::string& text, bool active) {
    tooltipText_ = text;
    tooltipActive_ = active;
    tooltipWanted_ = true;
    // The tooltip control is made when the pointer first comes over the button: a page of many buttons would
    // otherwise create as many popup windows before it can show itself.
    if (row_) {
        row_->ToolChanged(*this);
    } else if (tooltip_) {
        ApplyTooltip();
    }
}

void SkinButton::ApplyTooltip() {
    HWND hwnd = Handle();
    if (!hwnd || !tooltipWanted_) {
        return;
    }
    if (!tooltip_) {
        tooltip_ = CreateWindowExA(0, TOOLTIPS_CLASSA, nullptr, WS_POPUP | TTS_ALWAYSTIP, CW_USEDEFAULT, CW_USEDEFAULT,
                                   CW_USEDEFAULT, CW_USEDEFAULT, hwnd, nullptr, GetModuleHandleA(nullptr), nullptr);
        if (!tooltip_) {
            return;
        }
        SendMessageA(tooltip_, TTM_ACTIVATE, FALSE, 0);
    }
    TOOLINFOA tool{};
    tool.cbSize = TTTOOLINFOA_V1_SIZE;
    tool.hwnd = hwnd;
    tool.uId = 1;
    // The tooltip watches the button's mouse messages itself, which relays everything the button sees.
    tool.uFlags = TTF_SUBCLASS | TTF_TRANSPARENT; // a click on the tip reaches the button
    GetClientRect(hwnd, &tool.rect);
    std::string copy = tooltipText_;
    tool.lpszText = copy.data();
    if (SendMessageA(tooltip_, TTM_GETTOOLCOUNT, 0, 0) == 0) {
        SendMessageA(tooltip_, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&tool));
    }
    SendMessageA(tooltip_, TTM_UPDATETIPTEXTA, 0, reinterpret_cast<LPARAM>(&tool));
    SendMessageA(tooltip_, TTM_ACTIVATE, tooltipActive_ ? TRUE : FALSE, 0);
}

void SkinButton::SetFontSize(int height, int width) {
    fontHeight_ = height;
    fontWidth_ = width;
}

void SkinButton::SetCaptionColours(const CaptionPalette& colours) {
    colours_ = colours;
}

void SkinButton::SetChecked(bool checked) {
    if (checked_ != checked) {
        checked_ = checked;
        Redraw();
    }
}

void SkinButton::Redraw() const {
    // A null window would mean every window of the desktop.
    if (row_) {
        row_->Invalidate(*this);
    } else if (Handle()) {
        InvalidateRect(Handle(), nullptr, FALSE);
    }
}

void SkinButton::Enable(bool enabled) {
    if (Handle()) {
        EnableWindow(Handle(), enabled);
    } else if (enabled_ != enabled) {
        enabled_ = enabled;
        if (row_) {
            row_->StateChanged(*this);
        }
    }
}

void SkinButton::Show(bool shown) {
    if (Handle()) {
        ShowWindow(Handle(), shown ? SW_SHOW : SW_HIDE);
    } else if (visible_ != shown) {
        visible_ = shown;
        if (row_) {
            row_->StateChanged(*this);
        }
    }
}

bool SkinButton::Enabled() const {
    return Handle() ? IsWindowEnabled(Handle()) != FALSE : enabled_;
}

bool SkinButton::Visible() const {
    if (Handle()) {
        return IsWindowVisible(Handle()) != FALSE;
    }
    return row_ && visible_ && IsWindowVisible(row_->Host());
}

int SkinButton::Id() const {
    return Handle() ? GetDlgCtrlID(Handle()) : id_;
}

RECT SkinButton::ScreenRect() const {
    RECT r{};
    if (Handle()) {
        GetWindowRect(Handle(), &r);
    } else if (row_) {
        r = row_->ScreenRect(*this);
    }
    return r;
}

HBITMAP SkinButton::ChooseFace(UINT state) const {
    bool disabled = state & ODS_DISABLED, selected = state & ODS_SELECTED;
    if (toggle_) {
        return disabled ? faceDisable_ : checked_ ? faceDown_ : hovered_ ? faceOver_ : faceNormal_;
    }
    if (!checked_ && !selected) {
        return hovered_ ? faceOver_ : disabled ? faceDisable_ : faceNormal_;
    }
    if (selected) {
        return faceDown_;
    }
    return disabled ? faceDisable_ : faceDown_;
}

bool SkinButton::CopyFace(HDC dc, HBITMAP face, const RECT& rect) const {
    if (!face) {
        return false;
    }
    MemoryDC from(CreateCompatibleDC(dc));
    SelectObjectGuard keep(from.get(), face);
    BitBlt(dc, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top, from.get(), faceOrigin_.x,
           faceOrigin_.y, SRCCOPY);
    return true;
}

UINT CaptionFormat(CaptionPlacement placement, RECT& rect) {
    UINT flags = DT_SINGLELINE | DT_VCENTER | DT_END_ELLIPSIS | DT_NOPREFIX;
    switch (placement) {
    case CaptionPlacement::Centred:
        return flags | DT_CENTER;
    case CaptionPlacement::DropDown:
        rect.left += 10;
        break;
    case CaptionPlacement::Entry:
        rect.left += 25;
        break;
    case CaptionPlacement::BesideBox:
        rect.left += 30;
        break;
    case CaptionPlacement::Indented:
        rect.left += 40;
        break;
    }
    return flags | DT_LEFT;
}

void SkinButton::Draw(const DRAWITEMSTRUCT& item) {
    HBITMAP face = ChooseFace(item.itemState);
    const RECT& rect = item.rcItem;
    if (caption_.empty()) {
        CopyFace(item.hDC, face, rect);
        return;
    }
    // A row of buttons draws into its window's off-screen bitmap already; into a window, face and caption are put
    // together in memory first, so the button never shows one without the other.
    if (GetObjectType(item.hDC) == OBJ_MEMDC) {
        CopyFace(item.hDC, face, rect);
        DrawCaption(item.hDC, rect, item.itemState);
        return;
    }
    int w = rect.right - rect.left, h = rect.bottom - rect.top;
    MemoryDC work(CreateCompatibleDC(item.hDC));
    GdiBitmap canvas(CreateCompatibleBitmap(item.hDC, w, h));
    if (!work || !canvas) {
        return;
    }
    SelectObjectGuard into(work.get(), canvas.get());
    RECT local{0, 0, w, h};
    CopyFace(work.get(), face, local);
    DrawCaption(work.get(), local, item.itemState);
    BitBlt(item.hDC, rect.left, rect.top, w, h, work.get(), 0, 0, SRCCOPY);
}

void SkinButton::DrawCaption(HDC dc, RECT rect, UINT itemState) const {
    bool disabled = itemState & ODS_DISABLED;
    COLORREF colour = hovered_                                   ? colours_.hover
                      : disabled                                 ? colours_.disabled
                      : ((itemState & ODS_SELECTED) || checked_) ? colours_.pressed
                                                                 : colours_.normal;
    GdiFont font(CreateSkinFont(fontHeight_, fontWidth_));
    SelectObjectGuard useFont(dc, font.get());
    int mode = SetBkMode(dc, TRANSPARENT);
    COLORREF before = SetTextColor(dc, colour);
    UINT flags = CaptionFormat(placement_, rect);
    DrawTextA(dc, caption_.c_str(), -1, &rect, flags);
    SetTextColor(dc, before);
    SetBkMode(dc, mode);
}

void SkinButton::OnMouseMove(int, int, WPARAM keys) {
    HWND hwnd = Handle();
    if (!tooltip_ && tooltipWanted_) {
        ApplyTooltip();
    }
    if (GetCapture() != hwnd && GetActiveWindow() != nullptr && GetParent(hwnd) != nullptr) {
        hovered_ = true;
        SetCapture(hwnd);
        Redraw();
    } else {
        POINT p = MessagePoint();
        if (WindowFromPoint(p) != hwnd) {
            if (hovered_) {
                hovered_ = false;
                Redraw();
            }
            if (!(keys & MK_LBUTTON)) {
                ReleaseCapture();
            }
        }
    }
    Default();
}

void SkinButton::OnLButtonDown(int, int, WPARAM) {
    HWND parent = GetParent(Handle());
    HWND top = parent ? GetAncestor(parent, GA_ROOT) : nullptr;
    if (top && GetActiveWindow() != top) {
        SetActiveWindow(top);
    }
    const WindowMessage* m = CurrentMessage();
    DefSubclassProc(Handle(), WM_LBUTTONDOWN, m ? m->wParam : 0, m ? m->lParam : 0);
}

// An owner-drawn button reports a second quick click as a double click only; ours count every click, as a plain
// push button does (an arrow of a number box clicked twice steps twice).
LRESULT SkinButton::OnLButtonDblClk(WPARAM wParam, LPARAM lParam) {
    int x = static_cast<short>(LOWORD(lParam)), y = static_cast<short>(HIWORD(lParam));
    OnLButtonDown(x, y, wParam);
    return 0;
}

void SkinButton::OnLButtonUp(int, int, WPARAM) {
    if (!toggle_) {
        Default();
        return;
    }
    // The button's own pushed state ends with the capture; the click is ours to report.
    HWND hwnd = Handle();
    if (GetCapture() == hwnd) {
        ReleaseCapture();
    }
    checked_ = !checked_;
    Redraw();
    SendMessageA(GetParent(hwnd), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(hwnd), BN_CLICKED),
                 reinterpret_cast<LPARAM>(hwnd));
}

LRESULT SkinButton::OnKillFocus(WPARAM, LPARAM) {
    hovered_ = false;
    Redraw();
    return Default();
}

LRESULT SkinButton::OnCaptureChanged(WPARAM, LPARAM) {
    if (hovered_) {
        hovered_ = false;
        Redraw();
    }
    return Default();
}

bool SkinButton::ProcessMessage(WindowMessage& m) {
    return RouteMessage(*this, kMessageMap, m) || Control::ProcessMessage(m);
}

void ColorButton::SetColour(COLORREF colour) {
    colour_ = colour;
    Redraw();
}

void ColorButton::Draw(const DRAWITEMSTRUCT& item) {
    HBITMAP face = ChooseFace(item.itemState);
    const RECT& rect = item.rcItem;
    int w = rect.right - rect.left, h = rect.bottom - rect.top;
    MemoryDC work(CreateCompatibleDC(item.hDC));
    GdiBitmap canvas(CreateCompatibleBitmap(item.hDC, w, h));
    if (!work || !canvas) {
        return;
    }
    SelectObjectGuard into(work.get(), canvas.get());
    RECT local{0, 0, w, h};
    CopyFace(work.get(), face, local);
    if (!(item.itemState & ODS_DISABLED)) {
        GdiBrush brush(CreateSolidBrush(colour_));
        RECT swatch{0, 0, 35, 19};
        FillRect(work.get(), &swatch, brush.get());
    }
    BitBlt(item.hDC, rect.left, rect.top, w, h, work.get(), 0, 0, SRCCOPY);
}
