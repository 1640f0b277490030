#pragma once
// A number box: a digits-only BitmapEdit with an up and a down arrow. It keeps its value inside the range and in
// steps, and tells its owner with WM_USER + 90 (value, control number) when the user changed it: with an arrow, by
// typing, or by Enter or a focus loss after typing. A value the program shows with SetValue is not reported, and
// neither is a focus loss or Enter while the box still shows it: showing a value is not editing it. The arrows have no
// windows of their own: the number box draws them and drives them as a row of buttons, and their clicks reach it as
// WM_COMMAND with kSpinEditUpId and kSpinEditDownId.

#include <windows.h>

#include "framework/handles.h"
#include "framework/window.h"
#include "option/skin/bitmap_edit.h"
#include "option/skin/button_row.h"
#include "option/skin/number_box.h"
#include "option/skin/skin_button.h"

inline constexpr UINT kSpinEditChanged = WM_USER + 90;
inline constexpr int kSpinEditBoxId = 401;
inline constexpr int kSpinEditUpId = 402;
inline constexpr int kSpinEditDownId = 403;

class SpinEdit : public Window {
public:
    // The control number is also the window's id.
    HWND Create(HWND owner, int controlNumber, const RECT& rect);
    // The box's background and its arrows, cut from the owner's screen images at the box's rectangle.
    void SetFaces(HBITMAP normal, HBITMAP over, HBITMAP down, HBITMAP disable);
    void SetRange(int minimum, int maximum);
    void SetStep(int step) { range_.step = step; }
    // Shows v without telling the owner.
    void SetValue(int v);
    int Value() const { return value_; }
    const SpinRange& Range() const { return range_; }

    // The arrows' places on the screen.
    RECT UpArrow() const { return up_.ScreenRect(); }
    RECT DownArrow() const { return down_.ScreenRect(); }
    HWND Box() const { return box_.Handle(); }

protected:
    bool ProcessMessage(WindowMessage& m) override;

private:
    bool OnCreate(const CREATESTRUCTA& create);
    void OnPaint(HDC dc, const PAINTSTRUCT& paint);
    LRESULT OnEraseBkgnd(WPARAM, LPARAM) { return TRUE; }
    void OnUp();
    void OnDown();
    // A step of an arrow: shown in the box, which tells the owner.
    void Step(int v);
    LRESULT OnBoxChanged(WPARAM wParam, LPARAM lParam);
    LRESULT OnBoxEnter(WPARAM wParam, LPARAM lParam);
    int BoxNumber() const;
    std::string BoxText() const;
    void Show(int v);
    // True while the box shows, unchanged, what SetValue put there.
    bool Untouched() const;

    using Entry = MessageEntry<SpinEdit>;
    static constexpr Entry kMessageMap[] = {
        Entry::Create(&SpinEdit::OnCreate),
        Entry::Paint(&SpinEdit::OnPaint),
        Entry::Raw(WM_ERASEBKGND, &SpinEdit::OnEraseBkgnd),
        Entry::Clicked(kSpinEditUpId, &SpinEdit::OnUp),
        Entry::Clicked(kSpinEditDownId, &SpinEdit::OnDown),
        Entry::Registered(kBitmapEditKillFocus, &SpinEdit::OnBoxChanged),
        Entry::Raw(kBitmapEditEnter, &SpinEdit::OnBoxEnter),
    };

    HWND owner_ = nullptr;
    int number_ = 0;
    int value_ = 0;
    bool shownByProgram_ = true;
    SpinRange range_{0, 10, 1};
    // The faces of the whole box; the arrows draw theirs from these.
    GdiBitmap normal_, over_, pressed_, disable_;
    SkinButton up_, down_;
    BitmapEdit box_;
    // After the arrows: it lets go of them first.
    ButtonRow row_;
    RECT rect_{};
};
