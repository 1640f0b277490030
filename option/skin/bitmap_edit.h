#pragma once
// A single-line edit field in the skin's colours; optionally digits only (with or without a sign). It tells its
// parent about text changes and focus loss ("BitmapEdit_KillFocus") and about Enter (WM_USER + 92, wParam 13).

#include <windows.h>

#include <string>

#include "framework/handles.h"
#include "framework/window.h"

inline RegisteredMessage kBitmapEditKillFocus{"BitmapEdit_KillFocus"};
inline constexpr UINT kBitmapEditEnter = WM_USER + 92;

class BitmapEdit : public Control {
public:
    // extraStyle: ES_CENTER and the like.
    HWND Create(HWND parent, const RECT& rect, int id, DWORD extraStyle = 0);
    void SetDigitsOnly(bool on) { digitsOnly_ = on; }
    void SetSignAllowed(bool on) { signAllowed_ = on; }
    void SetColours(COLORREF text, COLORREF background);
    // Re-sends the field's font to the control.
    void SetFont();
    // Text put in by the program: no change notification reaches the parent (a typed change still does).
    void SetTextQuietly(const std::string& text);

protected:
    bool ProcessMessage(WindowMessage& m) override;

private:
    HBRUSH OnCtlColor(HDC dc, HWND control);
    LRESULT OnEraseBkgnd(WPARAM wParam, LPARAM lParam);
    void OnKeyDown(UINT key, LPARAM flags);
    void OnChar(UINT key, LPARAM flags);
    void OnKeyUp(UINT key, LPARAM flags);
    void OnCommand(int id, int code, HWND control);
    LRESULT OnKillFocus(WPARAM wParam, LPARAM lParam);
    void OnMouseMove(int x, int y, WPARAM keys);
    LRESULT OnMouseLeave(WPARAM wParam, LPARAM lParam);
    LRESULT OnVScroll(WPARAM wParam, LPARAM lParam);

    using Entry = MessageEntry<BitmapEdit>;
    static constexpr Entry kMessageMap[] = {
        Entry::ReflectedCtlColor(WM_CTLCOLOREDIT, &BitmapEdit::OnCtlColor),
        Entry::ReflectedCtlColor(WM_CTLCOLORSTATIC, &BitmapEdit::OnCtlColor),
        Entry::ReflectedCommand(&BitmapEdit::OnCommand),
        Entry::Raw(WM_ERASEBKGND, &BitmapEdit::OnEraseBkgnd),
        Entry::Key(WM_KEYDOWN, &BitmapEdit::OnKeyDown),
        Entry::Key(WM_CHAR, &BitmapEdit::OnChar),
        Entry::Key(WM_KEYUP, &BitmapEdit::OnKeyUp),
        Entry::Raw(WM_KILLFOCUS, &BitmapEdit::OnKillFocus),
        Entry::Mouse(WM_MOUSEMOVE, &BitmapEdit::OnMouseMove),
        Entry::Raw(WM_MOUSELEAVE, &BitmapEdit::OnMouseLeave),
        Entry::Raw(WM_VSCROLL, &BitmapEdit::OnVScroll),
    };

    COLORREF textColour_ = 0x242424;
    COLORREF backColour_ = 0xFFFFFF;
    GdiBrush brush_;
    GdiFont font_;
    bool digitsOnly_ = false;
    bool signAllowed_ = false;
    bool tracking_ = false;
    bool swallowChar_ = false;
    bool replacing_ = false; // the text changes by our own hand: no notification
};
