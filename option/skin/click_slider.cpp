#include "option/skin/click_slider.h"

#include <windows.h>

#include "framework/trace.h"
#include "option/skin/skin_picture.h"

// ---- CPHSlider (thumb) -----------------------------------------------------------------------------------------

HWND CPHSlider::Create(HWND track, int controlNumber, HBITMAP picture, int leftLimit, int rightLimit, int top) {
    track_ = track;
    number_ = controlNumber;
    picture_ = picture;
    SIZE size = BitmapSize(picture);
    width_ = size.cx;
    height_ = size.cy;
    leftLimit_ = leftLimit;
    rightLimit_ = rightLimit;
    top_ = top;
    HWND hwnd = Window::Create(0, nullptr, "", WS_CHILD | WS_VISIBLE | WS_TABSTOP, leftLimit, top, width_, height_,
                               track, ControlId(controlNumber));
    if (hwnd) {
        SetWindowPos(hwnd, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        SetValue(0);
    }
    return hwnd;
}

bool CPHSlider::OnCreate(const CREATESTRUCTA&) {
    Shape();
    return true;
}

// The thumb's shape: its rectangle without every pixel of the picture's top-left colour.
void CPHSlider::Shape() {
    if (!picture_ || width_ <= 0 || height_ <= 0) {
        return;
    }
    COLORREF key = CLR_INVALID;
    {
        MemoryDC dc(CreateCompatibleDC(nullptr));
        SelectObjectGuard keep(dc.get(), picture_);
        key = GetPixel(dc.get(), 0, 0);
    }
    // Without a colour at the corner every pixel is kept.
    GdiRegion shape =
        key == CLR_INVALID ? GdiRegion(CreateRectRgn(0, 0, width_, height_)) : RegionFromMask(picture_, key, 0);
    GiveWindowRegion(Handle(), shape, true);
}

void CPHSlider::SetRange(int minimum, int maximum) {
    range_.minimum = minimum;
    range_.maximum = maximum;
}

int CPHSlider::Left() const {
    RECT r{};
    GetWindowRect(Handle(), &r);
    MapWindowPoints(nullptr, track_, reinterpret_cast<POINT*>(&r), 2);
    return r.left;
}

void CPHSlider::SetValue(int v) {
    value_ = ClampSliderValue(v, range_);
    int left = ThumbLeftForValue(value_, range_, leftLimit_, rightLimit_, width_);
    SetWindowPos(Handle(), nullptr, left, top_, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

int CPHSlider::PointerInTrack() const {
    POINT p = MessagePoint();
    ScreenToClient(track_, &p);
    return p.x;
}

void CPHSlider::OnLButtonDown(int x, int, WPARAM) {
    if (!enabled_) {
        return;
    }
    SetCapture(Handle());
    dragging_ = true;
    grabX_ = x;
}

void CPHSlider::OnMouseMove(int, int, WPARAM) {
    if (!dragging_) {
        return;
    }
    int left = DragThumbLeft(PointerInTrack(), grabX_, leftLimit_, rightLimit_, width_);
    SetWindowPos(Handle(), nullptr, left, top_, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    SliderValue v = ThumbValue(left, leftLimit_, rightLimit_, width_, range_);
    value_ = v.value;
    PostMessageA(track_, kSliderChanged, static_cast<WPARAM>(value_), number_);
}

void CPHSlider::OnLButtonUp(int, int, WPARAM) {
    if (!dragging_) {
        return;
    }
    dragging_ = false;
    ReleaseCapture();
    SliderValue v = ThumbValue(Left(), leftLimit_, rightLimit_, width_, range_);
    Trace("CPHSlider=%f\n", v.raw);
    value_ = v.value;
    PostMessageA(track_, kSliderChanged, static_cast<WPARAM>(value_), number_);
    if (range_.round) {
        SetValue(value_);
    }
}

void CPHSlider::OnPaint(HDC dc, const PAINTSTRUCT&) {
    if (!picture_) {
        return;
    }
    MemoryDC from(CreateCompatibleDC(dc));
    SelectObjectGuard keep(from.get(), picture_);
    BitBlt(dc, 0, 0, width_, height_, from.get(), 0, 0, SRCCOPY);
}

bool CPHSlider::ProcessMessage(WindowMessage& m) {
    return RouteMessage(*this, kMessageMap, m) || Window::ProcessMessage(m);
}

// ---- CclickHSlider (track) -------------------------------------------------------------------------------------

bool CclickHSlider::Create(HWND owner, int controlNumber, const RECT& rect, const std::string& picturePath) {
    picture_ = LoadSkinDib(picturePath);
    if (!picture_) {
        return false;
    }
    owner_ = owner;
    number_ = controlNumber;
    rect_ = rect;
    return Window::Create(0, nullptr, "", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, rect.left, rect.top,
                          rect.right - rect.left, rect.bottom - rect.top, owner, ControlId(controlNumber)) != nullptr;
}

bool CclickHSlider::OnCreate(const CREATESTRUCTA& create) {
    thumb_.Create(Handle(), number_, picture_.get(), 0, create.cx, 0);
    thumb_.SetRange(range_.minimum, range_.maximum);
    return true;
}

void CclickHSlider::SetBackground(HBITMAP screen) {
    WindowDC dc(Handle());
    CutFace(dc.get(), background_, screen, rect_.left, rect_.top, rect_.right, rect_.bottom);
    InvalidateRect(Handle(), nullptr, FALSE);
}

void CclickHSlider::SetRange(int minimum, int maximum) {
    range_.minimum = minimum;
    range_.maximum = maximum;
    thumb_.SetRange(minimum, maximum);
}

void CclickHSlider::SetRound(bool on) {
    range_.round = on;
    thumb_.SetRound(on);
}

void CclickHSlider::SetValue(int v) {
    thumb_.SetValue(v);
    InvalidateRect(Handle(), nullptr, FALSE);
}

void CclickHSlider::OnLButtonUp(int, int, WPARAM) {
    POINT p = MessagePoint();
    ScreenToClient(owner_, &p);
    SliderValue v = TrackClickValue(p.x, rect_.left, rect_.right, range_);
    Trace("CclickHSlider=%f\n", v.raw);
    thumb_.SetValue(v.value);
    PostMessageA(owner_, kSliderChanged, static_cast<WPARAM>(v.value), number_);
}

LRESULT CclickHSlider::OnThumbMoved(WPARAM wParam, LPARAM) {
    PostMessageA(owner_, kSliderChanged, wParam, number_);
    return 0;
}

void CclickHSlider::OnPaint(HDC dc, const PAINTSTRUCT&) {
    if (!background_) {
        return;
    }
    SIZE size = BitmapSize(background_.get());
    MemoryDC from(CreateCompatibleDC(dc));
    SelectObjectGuard keep(from.get(), background_.get());
    BitBlt(dc, 0, 0, size.cx, size.cy, from.get(), 0, 0, SRCCOPY);
}

bool CclickHSlider::ProcessMessage(WindowMessage& m) {
    return RouteMessage(*this, kMessageMap, m) || Window::ProcessMessage(m);
}
