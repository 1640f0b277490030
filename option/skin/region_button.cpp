#include "option/skin/region_button.h"

#include <windows.h>

#include <algorithm>

#include "option/skin/skin_picture.h"

HWND RegionButton::Create(HWND parent, const RECT& rect, int id) {
    static const bool registered = RegisterWindowClass({kRegionButtonClass, CS_DBLCLKS});
    if (!registered) {
        return nullptr;
    }
    return Window::Create(0, kRegionButtonClass, "", WS_CHILD | WS_VISIBLE | WS_TABSTOP, rect.left, rect.top,
                          rect.right - rect.left, rect.bottom - rect.top, parent, ControlId(id));
}

bool RegionButton::OnCreate(const CREATESTRUCTA&) {
    GdiRegion shape = MaskRegion(maskFile_);
    hitRegion_.reset(CreateRectRgn(0, 0, 0, 0));
    if (shape) {
        CombineRgn(hitRegion_.get(), shape.get(), nullptr, RGN_COPY);
        GiveWindowRegion(Handle(), shape, true);
    }
    return true;
}

void RegionButton::SetFaces(int left, int top, int right, int bottom, HBITMAP normal, HBITMAP over, HBITMAP down,
                            HBITMAP disable) {
    WindowDC dc(Handle());
    CutFaces(dc.get(), {left, top, right, bottom},
             {{normal_, normal}, {over_, over}, {down_, down}, {disable_, disable}});
    faceNormal_ = normal_.get();
    faceOver_ = over_.get();
    faceDown_ = down_.get();
    faceDisable_ = disable_.get();
    facePart_ = {0, 0, right - left, bottom - top};
    Redraw();
}

void RegionButton::ShareFaces(const RECT& part, HBITMAP normal, HBITMAP over, HBITMAP down, HBITMAP disable) {
    normal_.reset();
    over_.reset();
    down_.reset();
    disable_.reset();
    faceNormal_ = normal;
    faceOver_ = over;
    faceDown_ = down;
    faceDisable_ = disable;
    facePart_ = part;
    Redraw();
}

bool RegionButton::InRegion(int x, int y) const {
    return hitRegion_ && PtInRegion(hitRegion_.get(), x, y);
}

bool RegionButton::PointerInRegion() const {
    POINT p = MessagePoint();
    ScreenToClient(Handle(), &p);
    return InRegion(p.x, p.y);
}

void RegionButton::NotifyParent() {
    HWND hwnd = Handle();
    SendMessageA(GetParent(hwnd), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(hwnd), BN_CLICKED),
                 reinterpret_cast<LPARAM>(hwnd));
}

void RegionButton::CopyFace(HDC dc, HBITMAP face) const {
    if (!face) {
        return;
    }
    MemoryDC from(CreateCompatibleDC(dc));
    SelectObjectGuard keep(from.get(), face);
    BitBlt(dc, 0, 0, std::min<LONG>(facePart_.right - facePart_.left, 200),
           std::min<LONG>(facePart_.bottom - facePart_.top, 200), from.get(), facePart_.left, facePart_.top, SRCCOPY);
}

void RegionButton::PaintFace(HDC dc) {
    CopyFace(dc, pressedLook_ ? faceDown_ : faceNormal_);
}

void RegionButton::OnLButtonDown(int x, int y, WPARAM) {
    SetCapture(Handle());
    pressedCapture_ = true;
    pressedLook_ = InRegion(x, y);
    Redraw();
}

void RegionButton::OnMouseMove(int x, int y, WPARAM) {
    if (pressedCapture_) {
        bool inside = InRegion(x, y);
        if (inside != pressedLook_) {
            pressedLook_ = inside;
            Redraw();
        }
    }
}

void RegionButton::OnLButtonUp(int x, int y, WPARAM) {
    bool click = pressedCapture_ && InRegion(x, y);
    pressedCapture_ = false;
    ReleaseCapture();
    pressedLook_ = false;
    Redraw();
    if (click) {
        NotifyParent();
    }
}

bool RegionButton::ProcessMessage(WindowMessage& m) {
    return RouteMessage(*this, kMessageMap, m) || Window::ProcessMessage(m);
}

// ---- RegionTextButton ------------------------------------------------------------------------------------------

void RegionTextButton::SetCaption(const std::string& caption) {
    caption_ = caption;
    Redraw();
}

void RegionTextButton::SetColours(const CaptionPalette& colours) {
    colours_ = colours;
}

void RegionTextButton::SetFontSize(int height, int width) {
    fontHeight_ = height;
    fontWidth_ = width;
}

void RegionTextButton::SetChecked(bool checked) {
    if (checked_ != checked) {
        checked_ = checked;
        Redraw();
    }
}

void RegionTextButton::OnMouseMove(int x, int y, WPARAM keys) {
    HWND hwnd = Handle();
    if (pressedCapture_) {
        int state = InRegion(x, y) ? kPressed : kNormal;
        if (state != state_) {
            state_ = state;
            Redraw();
        }
        return;
    }
    if (GetCapture() != hwnd && GetActiveWindow() != nullptr && GetParent(hwnd) != nullptr) {
        hovered_ = true;
        state_ = kHover;
        SetCapture(hwnd);
        Redraw();
        return;
    }
    POINT p = MessagePoint();
    if (WindowFromPoint(p) != hwnd) {
        if (hovered_) {
            hovered_ = false;
            state_ = kNormal;
            Redraw();
        }
        if (!(keys & MK_LBUTTON)) {
            ReleaseCapture();
        }
    }
}

void RegionTextButton::OnLButtonDown(int x, int y, WPARAM) {
    HWND parent = GetParent(Handle());
    HWND top = parent ? GetAncestor(parent, GA_ROOT) : nullptr;
    if (top && GetActiveWindow() != top) {
        SetActiveWindow(top);
    }
    SetCapture(Handle());
    pressedCapture_ = true;
    if (InRegion(x, y)) {
        state_ = kPressed;
    }
    Redraw();
}

void RegionTextButton::OnLButtonUp(int x, int y, WPARAM) {
    bool wasPressed = state_ == kPressed;
    bool wasCapturing = pressedCapture_;
    pressedCapture_ = false;
    hovered_ = false;
    if (toggle_ && wasPressed) {
        checked_ = !checked_;
    }
    state_ = kNormal;
    ReleaseCapture();
    Redraw();
    if (wasCapturing && InRegion(x, y)) {
        NotifyParent();
    }
}

LRESULT RegionTextButton::OnKillFocus(WPARAM, LPARAM) {
    if (hovered_) {
        hovered_ = false;
        state_ = kNormal;
        Redraw();
    }
    return Default();
}

LRESULT RegionTextButton::OnCaptureChanged(WPARAM, LPARAM) {
    if (hovered_ && !pressedCapture_) {
        hovered_ = false;
        state_ = kNormal;
        Redraw();
    }
    return Default();
}

LRESULT RegionTextButton::OnEnable(WPARAM wParam, LPARAM) {
    state_ = wParam ? kNormal : kDisabled;
    Redraw();
    return Default();
}

void RegionTextButton::PaintFace(HDC dc) {
    if (!IsWindowEnabled(Handle())) {
        state_ = kDisabled;
    } else if (state_ == kDisabled) {
        state_ = kNormal;
    }
    HBITMAP face = faceNormal_;
    COLORREF colour = colours_.normal;
    if (checked_) {
        face = faceDown_;
        colour = colours_.pressed;
    } else if (state_ == kHover) {
        face = faceOver_;
        colour = colours_.hover;
    } else if (state_ == kPressed) {
        face = faceDown_;
        colour = colours_.pressed;
    } else if (state_ == kDisabled) {
        face = faceDisable_;
        colour = colours_.disabled;
    }
    if (caption_.empty()) {
        CopyFace(dc, face);
        return;
    }
    RECT client{};
    GetClientRect(Handle(), &client);
    MemoryDC work(CreateCompatibleDC(dc));
    GdiBitmap canvas(CreateCompatibleBitmap(dc, client.right, client.bottom));
    if (!work || !canvas) {
        return;
    }
    SelectObjectGuard into(work.get(), canvas.get());
    CopyFace(work.get(), face);
    GdiFont font(CreateSkinFont(fontHeight_, fontWidth_));
    SelectObjectGuard useFont(work.get(), font.get());
    SetBkMode(work.get(), TRANSPARENT);
    SetTextColor(work.get(), colour);
    if (placement_ == CaptionPlacement::DropDown) {
        TextOutA(work.get(), 40, 6, caption_.c_str(), static_cast<int>(caption_.size()));
    } else {
        DrawTextA(work.get(), caption_.c_str(), -1, &client, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    }
    BitBlt(dc, 0, 0, client.right, client.bottom, work.get(), 0, 0, SRCCOPY);
}

bool RegionTextButton::ProcessMessage(WindowMessage& m) {
    return RouteMessage(*this, kMessageMap, m) || RegionButton::ProcessMessage(m);
}
