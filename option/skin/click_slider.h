#pragma once
// The slider: a track (CclickHSlider) that jumps to a click and a thumb (CPHSlider) that is dragged. Both tell
// with WM_USER + 70 (value, control number): the thumb its track, the track its owner.
//
// The thumb has no window of its own: the track draws it over its background, without the pixels of the picture's
// top-left colour (the thumb's shape), and hands it the presses, moves and releases that fall on that shape. A page
// of five sliders builds and paints as five windows instead of ten.

#include <windows.h>

#include <string>

#include "framework/handles.h"
#include "framework/window.h"
#include "option/skin/slider_math.h"

inline constexpr UINT kSliderChanged = WM_USER + 70;

class CPHSlider {
public:
    // The thumb picture is shared with the track, which owns it.
    void Create(HWND track, int controlNumber, HBITMAP picture, int leftLimit, int rightLimit, int top);
    void SetRange(int minimum, int maximum);
    void SetRound(bool on) { range_.round = on; }
    void SetValue(int v);
    void SetEnabled(bool on) { enabled_ = on; }
    int Value() const { return value_; }
    // Its left edge in the track's client area.
    int Left() const { return left_; }
    int ThumbWidth() const { return width_; }
    bool Dragging() const { return dragging_; }
    bool Enabled() const { return enabled_; }
    // Its rectangle on the screen.
    RECT ScreenRect() const;

    // What the track hands on; points in the track's client area.
    // Whether the point is on the thumb's shape.
    bool Hits(POINT p) const;
    // A left press on the thumb: when enabled, a drag begins with the track's capture.
    void OnLButtonDown(POINT p);
    void OnMouseMove();
    // True when the release ended a drag.
    bool OnLButtonUp();
    // The capture taken away (another window, a menu): the drag ends where the thumb is.
    void OnCaptureLost() { dragging_ = false; }
    // Draws the thumb at its place into the track's drawing.
    void Draw(HDC dc) const;

private:
    RECT Rect() const { return {left_, top_, left_ + width_, top_ + height_}; }
    void Place(int left);
    int PointerInTrack() const;

    HBITMAP picture_ = nullptr;
    // The picture's top-left colour, drawn nowhere; CLR_INVALID draws every pixel.
    COLORREF transparent_ = CLR_INVALID;
    int width_ = 0, height_ = 0;
    HWND track_ = nullptr;
    int number_ = 0;
    int leftLimit_ = 0, rightLimit_ = 0, top_ = 0;
    int left_ = 0;
    SliderRange range_;
    int value_ = 0;
    bool dragging_ = false;
    int grabX_ = 0;
    bool enabled_ = true;
};

class CclickHSlider : public Window {
public:
    // Loads the thumb picture first; false (nothing created) when it cannot be loaded.
    // The control number is also the window's id, and its thumb's.
    bool Create(HWND owner, int controlNumber, const RECT& rect, const std::string& picturePath);
    // The track's background, cut from a screen image at the track's rectangle.
    void SetBackground(HBITMAP screen);
    void SetRange(int minimum, int maximum);
    void SetRound(bool on);
    void SetValue(int v);
    int Value() const { return thumb_.Value(); }
    CPHSlider& Thumb() { return thumb_; }

protected:
    bool ProcessMessage(WindowMessage& m) override;

private:
    bool OnCreate(const CREATESTRUCTA& create);
    void OnPaint(HDC dc, const PAINTSTRUCT& paint);
    LRESULT OnEraseBkgnd(WPARAM, LPARAM) { return TRUE; }
    void OnLButtonDown(int x, int y, WPARAM keys);
    void OnMouseMove(int x, int y, WPARAM keys);
    void OnLButtonUp(int x, int y, WPARAM keys);
    LRESULT OnCaptureChanged(WPARAM wParam, LPARAM lParam);
    LRESULT OnThumbMoved(WPARAM wParam, LPARAM lParam);

    using Entry = MessageEntry<CclickHSlider>;
    static constexpr Entry kMessageMap[] = {
        Entry::Create(&CclickHSlider::OnCreate),
        Entry::Paint(&CclickHSlider::OnPaint),
        Entry::Raw(WM_ERASEBKGND, &CclickHSlider::OnEraseBkgnd),
        Entry::Mouse(WM_LBUTTONDOWN, &CclickHSlider::OnLButtonDown),
        Entry::Mouse(WM_MOUSEMOVE, &CclickHSlider::OnMouseMove),
        Entry::Mouse(WM_LBUTTONUP, &CclickHSlider::OnLButtonUp),
        Entry::Raw(WM_CAPTURECHANGED, &CclickHSlider::OnCaptureChanged),
        Entry::Raw(kSliderChanged, &CclickHSlider::OnThumbMoved),
    };

    GdiBitmap picture_;
    GdiBitmap background_;
    HWND owner_ = nullptr;
    int number_ = 0;
    RECT rect_{};
    SliderRange range_;
    CPHSlider thumb_;
};
