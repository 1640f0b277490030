#pragma once
// Owner-drawn push buttons with four faces cut from the window's screen images: SkinButton (with an optional
// caption) and ColorButton (a colour swatch painted over the face). Placed in a ButtonRow instead of created, a button
// has no window of its own: the row's window draws it and drives it.

#include <windows.h>

#include <string>

#include "framework/handles.h"
#include "framework/window.h"
#include "option/skin/button_row.h"
#include "option/skin/caption_style.h"

class SkinButton : public Control {
public:
    // A visible child push button with an empty caption on the rectangle; owner-drawn, no tab stop. Its clicks reach
    // the parent as BN_CLICKED with `id`, which is never IDOK or IDCANCEL (Enter and Escape come as those).
    HWND Create(HWND parent, const RECT& rect, int id);
    // Cuts the four faces (same rectangle of each screen image, in the window's coordinates).
    void SetFaces(int left, int top, int right, int bottom, HBITMAP normal, HBITMAP over, HBITMAP down,
                  HBITMAP disable);
    // Draws its faces straight from screen images that outlive it (its window keeps them), at `part` there: nothing
    // to cut.
    void ShareFaces(const RECT& part, HBITMAP normal, HBITMAP over, HBITMAP down, HBITMAP disable);
    void SetCaption(const std::string& caption) { caption_ = caption; }
    // Made on the pointer's first move over the button.
    void SetTooltip(const std::string& text, bool active);
    void SetFontSize(int height, int width);
    void SetCaptionColours(const CaptionPalette& colours);
    void SetPlacement(CaptionPlacement placement) { placement_ = placement; }
    void SetToggle(bool on) { toggle_ = on; }
    void SetChecked(bool checked);
    void ClearHover() { hovered_ = false; }
    // Enables, disables, shows or hides the button, with or without a window of its own.
    void Enable(bool enabled);
    void Show(bool shown);
    // Repaints the button (nothing for a button without a place).
    void Redraw() const;

    bool Checked() const { return checked_; }
    bool Hovered() const { return hovered_; }
    bool Enabled() const;
    bool Visible() const;
    // Whether the button has a place on a window: a window of its own, or a place in a row of buttons (ButtonRow).
    bool Placed() const { return Handle() != nullptr || row_ != nullptr; }
    // The id its clicks come with.
    int Id() const;
    RECT ScreenRect() const;
    const std::string& Caption() const { return caption_; }
    HWND Tooltip() const { return row_ ? row_->Tooltip() : tooltip_; }
    // The tooltip's tool of the button: the window it watches and the tool's id there.
    HWND ToolWindow() const { return row_ ? row_->Host() : Handle(); }
    UINT_PTR ToolId() const { return row_ ? row_->ToolId(*this) : 1; }
    const std::string& TooltipText() const { return tooltipText_; }

    // The face a draw request with these item states shows.
    HBITMAP ChooseFace(UINT itemState) const;

protected:
    virtual void Draw(const DRAWITEMSTRUCT& item);
    // Copies the face into dc; false without one.
    bool CopyFace(HDC dc, HBITMAP face, const RECT& rect) const;
    bool ProcessMessage(WindowMessage& m) override;

    GdiBitmap normal_, over_, down_, disable_;
    // The faces drawn: its own cut ones, or shared screen images with the face's place in them.
    HBITMAP faceNormal_ = nullptr, faceOver_ = nullptr, faceDown_ = nullptr, faceDisable_ = nullptr;
    POINT faceOrigin_{0, 0};
    bool hovered_ = false;
    bool toggle_ = false;
    bool checked_ = false;

private:
    void ApplyTooltip();
    // The caption in its colour for these item states, in the button's rectangle of dc.
    void DrawCaption(HDC dc, RECT rect, UINT itemState) const;
    void OnDrawItem(const DRAWITEMSTRUCT& item) { Draw(item); }
    void OnMouseMove(int x, int y, WPARAM keys);
    void OnLButtonDown(int x, int y, WPARAM keys);
    void OnLButtonUp(int x, int y, WPARAM keys);
    LRESULT OnLButtonDblClk(WPARAM wParam, LPARAM lParam);
    LRESULT OnKillFocus(WPARAM wParam, LPARAM lParam);
    LRESULT OnCaptureChanged(WPARAM wParam, LPARAM lParam);
    friend class ButtonRow;

    using Entry = MessageEntry<SkinButton>;
    static constexpr Entry kMessageMap[] = {
        Entry::ReflectedDrawItem(&SkinButton::OnDrawItem),
        Entry::Mouse(WM_MOUSEMOVE, &SkinButton::OnMouseMove),
        Entry::Mouse(WM_LBUTTONDOWN, &SkinButton::OnLButtonDown),
        Entry::Raw(WM_LBUTTONDBLCLK, &SkinButton::OnLButtonDblClk),
        Entry::Mouse(WM_LBUTTONUP, &SkinButton::OnLButtonUp),
        Entry::Raw(WM_KILLFOCUS, &SkinButton::OnKillFocus),
        Entry::Raw(WM_CAPTURECHANGED, &SkinButton::OnCaptureChanged),
    };

    std::string caption_;
    int fontHeight_ = 15;
    int fontWidth_ = 0;
    CaptionPlacement placement_ = CaptionPlacement::Centred;
    CaptionPalette colours_{kSkinText, kSkinHover, kSkinHover, kSkinDisabled};
    HWND tooltip_ = nullptr;
    std::string tooltipText_;
    bool tooltipActive_ = false;
    bool tooltipWanted_ = false;
    // Without a window of its own: the row that draws it, its id there, and its state.
    ButtonRow* row_ = nullptr;
    int id_ = 0;
    bool enabled_ = true;
    bool visible_ = true;
};

class ColorButton : public SkinButton {
public:
    void SetColour(COLORREF colour);
    COLORREF Colour() const { return colour_; }

protected:
    void Draw(const DRAWITEMSTRUCT& item) override;

private:
    COLORREF colour_ = 0;
};

// The caption's rectangle and DrawText flags for a placement: one vertically centred line, ellipsis, ampersands shown
// as they are.
UINT CaptionFormat(CaptionPlacement placement, RECT& rect);
