#include "option/skin/click_slider.h"

#include <windows.h>

#include "framework/trace.h"
#include "option/skin/skin_picture.h"

// ---- CPHSlider (thumb) -----------------------------------------------------------------------------------------

void CPHSlider::Create(HWND track, int controlNumber, HBITMAP picture, int leftLimit, int rightLimit, int top) {
    track_ = track;
    number_ = controlNumber;
    picture_ = picture;
    SIZE size = BitmapSize(picture);
    width_ = size.cx;
    height_ = size.cy;
    leftLimit_ = leftLimit;
    rightLimit_ = rightLimit;
    top_ = top;
    if (picture_ && width_ > 0 && height_ > 0) {
        MemoryDC dc(CreateCompatibleDC(nullptr));
        SelectObjectGuard keep(dc.get(), picture_);
        transparent_ = GetPixel(dc.get(), 0, 0);
    }
    SetValue(0);
}

void CPHSlider::SetRange(int minimum, int maximum) {
    range_.minimum = minimum;
    range_.maximum = maximum;
}

RECT CPHSlider::ScreenRect() const {
    RECT r = Rect();
    MapWindowPoints(track_, nullptr, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

// The shape: the rectangle without every pixel of the picture's top-left colour.
bool CPHSlider::Hits(POINT p) const {
    RECT r = Rect();
    if (!PtInRect(&r, p)) {
        return false;
    }
    if (transparent_ == CLR_INVALID) {
        return true;
    }
    MemoryDC dc(CreateCompatibleDC(nullptr));
    SelectObjectGuard keep(dc.get(), picture_);
    return GetPixel(dc.get(), p.x - left_, p.y - top_) != transparent_;
}

void CPHSlider::Place(int left) {
    if (left == left_) {
        return;
    }
    RECT before = Rect();
    left_ = left;
    RECT after = Rect();
    InvalidateRect(track_, &before, FALSE);
    InvalidateRect(track_, &after, FALSE);
}

void CPHSlider::SetValue(int v) {
    value_ = ClampSliderValue(v, range_);
    Place(ThumbLeftForValue(value_, range_, leftLimit_, rightLimit_, width_));
}

int CPHSlider::PointerInTrack() const {
    POINT p = MessagePoint();
    ScreenToClient(track_, &p);
    return p.x;
}

void CPHSlider::OnLButtonDown(POINT p) {
    if (!enabled_) {
        return;
    }
    SetCapture(track_);
    dragging_ = true;
    grabX_ = p.x - left_;
}

void CPHSlider::OnMouseMove() {
    if (!dragging_) {
        return;
    }
    int left = DragThumbLeft(PointerInTrack(), grabX_, leftLimit_, rightLimit_, width_);
    Place(left);
    SliderValue v = ThumbValue(left, leftLimit_, rightLimit_, width_, range_);
    value_ = v.value;
    PostMessageA(track_, kSliderChanged, static_cast<WPARAM>(value_), number_);
}

bool CPHSlider::OnLButtonUp() {
    if (!dragging_) {
        return false;
    }
    dragging_ = false;
    ReleaseCapture();
    SliderValue v = ThumbValue(left_, leftLimit_, rightLimit_, width_, range_);
    Trace("CPHSlider=%f\n", v.raw);
    value_ = v.value;
    PostMessageA(track_, kSliderChanged, static_cast<WPARAM>(value_), number_);
    if (range_.round) {
        SetValue(value_);
    }
    return true;
}

void CPHSlider::Draw(HDC dc) const {
    if (!picture_) {
        return;
    }
    MemoryDC from(CreateCompatibleDC(dc));
    SelectObjectGuard keep(from.get(), picture_);
    if (transparent_ == CLR_INVALID) {
        BitBlt(dc, left_, top_, width_, height_, from.get(), 0, 0, SRCCOPY);
    } else {
        TransparentBlt(dc, left_, top_, width_, height_, from.get(), 0, 0, width_, height_, transparent_);
    }
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
    return Window::Create(0, nullptr, "", WS_CHILD | WS_VISIBLE, rect.left, rect.top, rect.right - rect.left,
                          rect.bottom - rect.top, owner, ControlId(controlNumber)) != nullptr;
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

void CclickHSlider::OnLButtonDown(int x, int y, WPARAM) {
    if (thumb_.Hits({x, y})) {
        thumb_.OnLButtonDown({x, y});
    }
}

void CclickHSlider::OnMouseMove(int, int, WPARAM) {
    thumb_.OnMouseMove();
}

void CclickHSlider::OnLButtonUp(int x, int y, WPARAM) {
    // A release that ends a drag is the thumb's, and so is one on the thumb without a drag: it does nothing.
    if (thumb_.OnLButtonUp() || thumb_.Hits({x, y})) {
        return;
    }
    POINT p = MessagePoint();
    ScreenToClient(owner_, &p);
    SliderValue v = TrackClickValue(p.x, rect_.left, rect_.right, range_);
    Trace("CclickHSlider=%f\n", v.raw);
    thumb_.SetValue(v.value);
    PostMessageA(owner_, kSliderChanged, static_cast<WPARAM>(v.value), number_);
}

LRESULT CclickHSlider::OnCaptureChanged(WPARAM, LPARAM lParam) {
    if (reinterpret_cast<HWND>(lParam) != Handle()) {
        thumb_.OnCaptureLost();
    }
    return 0;
}

LRESULT CclickHSlider::OnThumbMoved(WPARAM wParam, LPARAM) {
    PostMessageA(owner_, kSliderChanged, wParam, number_);
    return 0;
}

void CclickHSlider::OnPaint(HDC dc, const PAINTSTRUCT&) {
    if (!background_) {
        thumb_.Draw(dc);
        return;
    }
    // The thumb never flickers while it is dragged.
    PaintOverBackground(dc, background_.get(), BitmapSize(background_.get()), [this](HDC work) { thumb_.Draw(work); });
}

bool CclickHSlider::ProcessMessage(WindowMessage& m) {
    return RouteMessage(*this, kMessageMap, m) || Window::ProcessMessage(m);
}
