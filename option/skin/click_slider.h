#pragma once
// The slider: a track (CclickHSlider) that jumps to a click and a thumb (CPHSlider) that is dragged. Both tell
// with WM_USER + 70 (value, control number): the thumb its track, the track its owner.

#include <windows.h>

#include <string>

#include "framework/handles.h"
#include "framework/window.h"
#include "option/skin/slider_math.h"

inline constexpr UINT kSliderChanged = WM_USER + 70;

class CPHSlider : public Window {
public:
    // The thumb picture is shared with the track, which owns it.
    HWND Create(HWND track, int controlNumber, HBITMAP picture, int leftLimit, int rightLimit, int top);
    void SetRange(int minimum, int maximum);
    void SetRound(bool on) { range_.round = on; }
    void SetValue(int v);
    void SetEnabled(bool on) { enabled_ = on; }
    int Value() const { return value_; }
    int Left() const;
    int ThumbWidth() const { return width_; }
    bool Dragging() const { return dragging_; }

protected:
    bool ProcessMessage(WindowMessage& m) override;

private:
    bool OnCreate(const CREATESTRUCTA& create);
    void OnPaint(HDC dc, const PAINTSTRUCT& paint);
    LRESULT OnEraseBkgnd(WPARAM, LPARAM) { return TRUE; }
    void OnLButtonDown(int x, int y, WPARAM keys);
    void OnMouseMove(int x, int y, WPARAM keys);
    void OnLButtonUp(int x, int y, WPARAM keys);
    void Shape();
    int PointerInTrack() const;

    using Entry = MessageEntry<CPHSlider>;
    static constexpr Entry kMessageMap[] = {
        Entry::Create(&CPHSlider::OnCreate),
        Entry::Paint(&CPHSlider::OnPaint),
        Entry::Raw(WM_ERASEBKGND, &CPHSlider::OnEraseBkgnd),
        Entry::Mouse(WM_LBUTTONDOWN, &CPHSlider::OnLButtonDown),
        Entry::Mouse(WM_MOUSEMOVE, &CPHSlider::OnMouseMove),
        Entry::Mouse(WM_LBUTTONUP, &CPHSlider::OnLButtonUp),
    };

    HBITMAP picture_ = nullptr;
    int width_ = 0, height_ = 0;
    HWND track_ = nullptr;
    int number_ = 0;
    int leftLimit_ = 0, rightLimit_ = 0, top_ = 0;
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
    void OnLButtonUp(int x, int y, WPARAM keys);
    LRESULT OnThumbMoved(WPARAM wParam, LPARAM lParam);

    using Entry = MessageEntry<CclickHSlider>;
    static constexpr Entry kMessageMap[] = {
        Entry::Create(&CclickHSlider::OnCreate),
        Entry::Paint(&CclickHSlider::OnPaint),
        Entry::Raw(WM_ERASEBKGND, &CclickHSlider::OnEraseBkgnd),
        Entry::Mouse(WM_LBUTTONUP, &CclickHSlider::OnLButtonUp),
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
