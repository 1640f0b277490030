#pragma once
// Skinned buttons without windows of their own, drawn and driven by the window that holds them. A page of a hundred
// buttons builds and paints far quicker as one window than as a hundred: each child window costs its creation, its
// subclassing, its own paint and its own draw request. The buttons keep their looks (faces, captions, hover, pressed,
// checked, disabled), their tooltips, their mouse and Space-key behaviour, and their clicks: WM_COMMAND (id,
// BN_CLICKED) reaches the host with the host's own handle where a button would give its own.
//
//   row_.Attach(Handle());                       // once the host window exists
//   row_.Add(button, rect, id);                  // then SetFaces, SetCaption, SetTooltip... as for any SkinButton
//   void PaintContent(HDC work) { row_.Paint(work); }
//   bool ProcessMessage(WindowMessage& m) { return row_.Offer(m) || ...; }

#include <windows.h>

#include <vector>

#include "framework/window.h"

class SkinButton;

class ButtonRow {
public:
    ButtonRow() = default;
    ButtonRow(const ButtonRow&) = delete;
    ButtonRow& operator=(const ButtonRow&) = delete;
    ~ButtonRow();

    void Attach(HWND host) { host_ = host; }
    HWND Host() const { return host_; }
    // Places a button on the host at a rectangle of the host's client area; its clicks come with `id`. Its faces are
    // best shared from the host's screen images (SkinButton::ShareFaces, SkinnedDialog::KeepScreens), which spares
    // cutting four small bitmaps for each button.
    void Add(SkinButton& button, const RECT& rect, int id);

    // Draws every shown button that meets `area` (host coordinates) into the host's paint DC.
    void Paint(HDC dc, const RECT& area) const;
    // The same for the part of the host being repainted: only the buttons there are drawn again, so a hovered button
    // repaints itself alone.
    void Paint(HDC dc) const { Paint(dc, paintArea_); }
    // The host's mouse, focus and key messages: true when the row took the message (a press or release on one of its
    // buttons, Space for the focused one); everything else goes on to the host's own handling. It notes the part of
    // the host a WM_PAINT repaints, so it must see the host's messages before the host's own paint does.
    bool Offer(WindowMessage& m);

    // What a button asks of its row.
    void Invalidate(const SkinButton& button) const;
    void ToolChanged(const SkinButton& button);
    void StateChanged(SkinButton& button);
    HWND Tooltip() const { return tooltip_; }
    // The buttons placed, in their order.
    size_t Size() const { return slots_.size(); }
    const SkinButton& At(size_t index) const { return *slots_[index].button; }
    RECT ScreenRect(const SkinButton& button) const;
    // The tooltip's tool of a button: the host's window with this id.
    UINT_PTR ToolId(const SkinButton& button) const;

private:
    struct Slot {
        SkinButton* button;
        RECT rect;
    };
    int IndexOf(const SkinButton& button) const;
    // The shown, enabled button under a client point, -1 for none.
    int HitTest(POINT p) const;
    bool Usable(int index) const;
    void SetHover(int index);
    // The pointer is on this button now (-1: on none): a tip put away by a press on another one comes back.
    void PointerOn(int index);
    void Click(int index);
    void MakeTooltip();
    void SetTool(int index, bool add);
    void OnMouseMove(POINT p);
    bool OnPress(POINT p);
    bool OnRelease();
    void EndPress();
    void OnMouseLeave();
    void OnCaptureChanged(HWND taker);
    void OnKillFocus();
    bool OnSpaceDown();
    bool OnSpaceUp();

    HWND host_ = nullptr;
    std::vector<Slot> slots_;
    HWND tooltip_ = nullptr;
    bool tracking_ = false; // a WM_MOUSELEAVE is asked for
    int pressed_ = -1;      // the button a left press (or Space) began on
    bool pressedInside_ = false;
    bool spacePressed_ = false;
    int focused_ = -1;         // the button clicked last, while the host keeps the focus: Space clicks it again
    RECT paintArea_{};         // the part of the host being repainted
    bool takingFocus_ = false; // a press gives the host the focus
    int quietTip_ = -1;        // the button pressed last, whose tip stays away while the pointer stays on it
};
