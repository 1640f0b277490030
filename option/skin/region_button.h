#pragma once
// Buttons shaped by a mask picture (window class "Rgn Button"): RegionButton shows its normal or pressed face;
// RegionTextButton adds a caption, hover, toggle and disabled looks.

#include <windows.h>

#include <string>

#include "framework/handles.h"
#include "framework/window.h"
#include "option/skin/caption_style.h"

inline constexpr const char* kRegionButtonClass = "Rgn Button";

class RegionButton : public Window {
public:
    // Before Create: the mask picture's full path.
    void SetMaskFile(const std::string& path) { maskFile_ = path; }
    // A visible tab-stop child without caption on the rectangle. Its clicks reach the parent as BN_CLICKED with `id`,
    // which is never IDOK or IDCANCEL (Enter and Escape come as those).
    HWND Create(HWND parent, const RECT& rect, int id);
    void SetFaces(int left, int top, int right, int bottom, HBITMAP normal, HBITMAP over, HBITMAP down,
                  HBITMAP disable);
    // Draws its faces straight from screen images that outlive it (its window keeps them), at `part` there: nothing
    // to cut.
    void ShareFaces(const RECT& part, HBITMAP normal, HBITMAP over, HBITMAP down, HBITMAP disable);
    // True when the client point lies in the button's shape.
    bool InRegion(int x, int y) const;
    bool PressedLook() const { return pressedLook_; }

protected:
    bool ProcessMessage(WindowMessage& m) override;
    virtual void PaintFace(HDC dc);
    void CopyFace(HDC dc, HBITMAP face) const;
    bool PointerInRegion() const;
    void Redraw() { InvalidateRect(Handle(), nullptr, FALSE); }
    void NotifyParent();

    GdiBitmap normal_, over_, down_, disable_;
    // The faces drawn: its own cut ones, or shared screen images with the face's place in them.
    HBITMAP faceNormal_ = nullptr, faceOver_ = nullptr, faceDown_ = nullptr, faceDisable_ = nullptr;
    RECT facePart_{0, 0, 0, 0};
    GdiRegion hitRegion_;
    bool pressedCapture_ = false;
    bool pressedLook_ = false;

private:
    bool OnCreate(const CREATESTRUCTA& create);
    void OnPaint(HDC dc, const PAINTSTRUCT&) { PaintFace(dc); }
    LRESULT OnEraseBkgnd(WPARAM, LPARAM) { return TRUE; }
    void OnLButtonDown(int x, int y, WPARAM keys);
    void OnMouseMove(int x, int y, WPARAM keys);
    void OnLButtonUp(int x, int y, WPARAM keys);

    using Entry = MessageEntry<RegionButton>;
    static constexpr Entry kMessageMap[] = {
        Entry::Create(&RegionButton::OnCreate),
        Entry::Paint(&RegionButton::OnPaint),
        Entry::Raw(WM_ERASEBKGND, &RegionButton::OnEraseBkgnd),
        Entry::Mouse(WM_LBUTTONDOWN, &RegionButton::OnLButtonDown),
        Entry::Mouse(WM_LBUTTONDBLCLK, &RegionButton::OnLButtonDown),
        Entry::Mouse(WM_MOUSEMOVE, &RegionButton::OnMouseMove),
        Entry::Mouse(WM_LBUTTONUP, &RegionButton::OnLButtonUp),
    };

    std::string maskFile_;
};

class RegionTextButton : public RegionButton {
public:
    enum State { kNormal = 0, kHover = 1, kPressed = 2, kDisabled = 3 };

    void SetCaption(const std::string& caption);
    void SetColours(const CaptionPalette& colours);
    void SetFontSize(int height, int width);
    void SetPlacement(CaptionPlacement placement) { placement_ = placement; }
    void SetToggle(bool on) { toggle_ = on; }
    void SetChecked(bool checked);
    bool Checked() const { return checked_; }
    int CurrentState() const { return state_; }
    const std::string& Caption() const { return caption_; }

protected:
    bool ProcessMessage(WindowMessage& m) override;
    void PaintFace(HDC dc) override;

private:
    void OnMouseMove(int x, int y, WPARAM keys);
    void OnLButtonDown(int x, int y, WPARAM keys);
    void OnLButtonUp(int x, int y, WPARAM keys);
    LRESULT OnKillFocus(WPARAM wParam, LPARAM lParam);
    LRESULT OnCaptureChanged(WPARAM wParam, LPARAM lParam);
    LRESULT OnEnable(WPARAM wParam, LPARAM lParam);

    using Entry = MessageEntry<RegionTextButton>;
    static constexpr Entry kMessageMap[] = {
        Entry::Mouse(WM_MOUSEMOVE, &RegionTextButton::OnMouseMove),
        Entry::Mouse(WM_LBUTTONDOWN, &RegionTextButton::OnLButtonDown),
        Entry::Mouse(WM_LBUTTONDBLCLK, &RegionTextButton::OnLButtonDown),
        Entry::Mouse(WM_LBUTTONUP, &RegionTextButton::OnLButtonUp),
        Entry::Raw(WM_KILLFOCUS, &RegionTextButton::OnKillFocus),
        Entry::Raw(WM_CAPTURECHANGED, &RegionTextButton::OnCaptureChanged),
        Entry::Raw(WM_ENABLE, &RegionTextButton::OnEnable),
    };

    std::string caption_;
    int state_ = kNormal;
    bool hovered_ = false;
    bool toggle_ = false;
    bool checked_ = false;
    int fontHeight_ = 14;
    int fontWidth_ = 6;
    CaptionPlacement placement_ = CaptionPlacement::Centred;
    CaptionPalette colours_{0xF5F5F5, 0x0000FF, 0x0000FF, kSkinDisabled};
};
