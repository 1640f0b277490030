#include "option/skin/button_row.h"

#include <windows.h>

#include <commctrl.h>

#include <string>

#include "option/skin/skin_button.h"

namespace {

bool Meets(const RECT& a, const RECT& b) {
    RECT both{};
    return IntersectRect(&both, &a, &b) != FALSE;
}

POINT ClientPoint(LPARAM lParam) {
    return {static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
}

} // namespace

ButtonRow::~ButtonRow() {
    for (Slot& s : slots_) {
        s.button->row_ = nullptr;
    }
    // The tooltip is a window owned by the host and goes with it.
}

void ButtonRow::Add(SkinButton& button, const RECT& rect, int id) {
    button.row_ = this;
    button.id_ = id;
    slots_.push_back({&button, rect});
    if (tooltip_) {
        SetTool(static_cast<int>(slots_.size()) - 1, true);
    }
}

int ButtonRow::IndexOf(const SkinButton& button) const {
    for (size_t i = 0; i < slots_.size(); ++i) {
        if (slots_[i].button == &button) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

bool ButtonRow::Usable(int index) const {
    if (index < 0 || index >= static_cast<int>(slots_.size())) {
        return false;
    }
    const SkinButton& b = *slots_[index].button;
    return b.visible_ && b.enabled_;
}

int ButtonRow::HitTest(POINT p) const {
    for (size_t i = 0; i < slots_.size(); ++i) {
        if (Usable(static_cast<int>(i)) && PtInRect(&slots_[i].rect, p)) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

void ButtonRow::Paint(HDC dc, const RECT& area) const {
    for (size_t i = 0; i < slots_.size(); ++i) {
        const Slot& s = slots_[i];
        if (!s.button->visible_ || !Meets(s.rect, area)) {
            continue;
        }
        DRAWITEMSTRUCT item{};
        item.CtlType = ODT_BUTTON;
        item.CtlID = static_cast<UINT>(s.button->id_);
        item.itemAction = ODA_DRAWENTIRE;
        const bool pressedLook = static_cast<int>(i) == pressed_ && (pressedInside_ || spacePressed_);
        item.itemState = (s.button->enabled_ ? 0 : ODS_DISABLED) | (pressedLook ? ODS_SELECTED : 0);
        item.hwndItem = host_;
        item.hDC = dc;
        item.rcItem = s.rect;
        s.button->Draw(item);
    }
}

void ButtonRow::Invalidate(const SkinButton& button) const {
    int i = IndexOf(button);
    if (host_ && i >= 0) {
        InvalidateRect(host_, &slots_[i].rect, FALSE);
    }
}

RECT ButtonRow::ScreenRect(const SkinButton& button) const {
    int i = IndexOf(button);
    if (!host_ || i < 0) {
        return {};
    }
    RECT r = slots_[i].rect;
    MapWindowPoints(host_, nullptr, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

UINT_PTR ButtonRow::ToolId(const SkinButton& button) const {
    return static_cast<UINT_PTR>(IndexOf(button) + 1);
}

// A button hidden, shown, enabled or disabled: it loses the hover and a press that was on it, and its tooltip shows
// only while it is shown.
void ButtonRow::StateChanged(SkinButton& button) {
    int i = IndexOf(button);
    if (i < 0) {
        return;
    }
    if (!Usable(i)) {
        button.hovered_ = false;
        if (pressed_ == i) {
            EndPress();
        }
        if (focused_ == i) {
            focused_ = -1;
        }
    }
    if (tooltip_) {
        SetTool(i, false);
    }
    Invalidate(button);
}

void ButtonRow::ToolChanged(const SkinButton& button) {
    int i = IndexOf(button);
    if (tooltip_ && i >= 0) {
        SetTool(i, false);
    }
}

// The tooltip is made when the pointer first comes over the host, with one tool per button: building the page does
// not wait for it.
void ButtonRow::MakeTooltip() {
    if (tooltip_ || !host_) {
        return;
    }
    tooltip_ = CreateWindowExA(0, TOOLTIPS_CLASSA, nullptr, WS_POPUP | TTS_ALWAYSTIP, CW_USEDEFAULT, CW_USEDEFAULT,
                               CW_USEDEFAULT, CW_USEDEFAULT, host_, nullptr, GetModuleHandleA(nullptr), nullptr);
    if (!tooltip_) {
        return;
    }
    for (size_t i = 0; i < slots_.size(); ++i) {
        SetTool(static_cast<int>(i), true);
    }
    SendMessageA(tooltip_, TTM_ACTIVATE, TRUE, 0);
}

// A tool per button: its rectangle while the button is shown and its tooltip active, else an empty one, so the twin
// that shares its place answers instead.
void ButtonRow::SetTool(int index, bool add) {
    const Slot& s = slots_[index];
    const SkinButton& b = *s.button;
    TOOLINFOA tool{};
    tool.cbSize = TTTOOLINFOA_V1_SIZE;
    tool.hwnd = host_;
    tool.uId = static_cast<UINT_PTR>(index + 1);
    // The tooltip watches the host's mouse messages itself; a click on the tip reaches the host.
    tool.uFlags = TTF_SUBCLASS | TTF_TRANSPARENT;
    const bool shows = b.visible_ && b.tooltipWanted_ && b.tooltipActive_ && index != quietTip_;
    tool.rect = shows ? s.rect : RECT{0, 0, 0, 0};
    std::string copy = b.tooltipText_;
    tool.lpszText = copy.data();
    if (add) {
        SendMessageA(tooltip_, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&tool));
        return;
    }
    SendMessageA(tooltip_, TTM_NEWTOOLRECTA, 0, reinterpret_cast<LPARAM>(&tool));
    SendMessageA(tooltip_, TTM_UPDATETIPTEXTA, 0, reinterpret_cast<LPARAM>(&tool));
}

void ButtonRow::PointerOn(int index) {
    if (quietTip_ >= 0 && index != quietTip_) {
        int quiet = quietTip_;
        quietTip_ = -1;
        if (tooltip_) {
            SetTool(quiet, false);
        }
    }
}

void ButtonRow::SetHover(int index) {
    for (size_t i = 0; i < slots_.size(); ++i) {
        SkinButton& b = *slots_[i].button;
        bool on = static_cast<int>(i) == index;
        if (b.hovered_ != on) {
            b.hovered_ = on;
            Invalidate(b);
        }
    }
}

void ButtonRow::OnMouseMove(POINT p) {
    MakeTooltip();
    const int at = HitTest(p);
    PointerOn(at);
    if (!tracking_) {
        // Asked again on the next move until it holds: a request made while the system still places the pointer
        // elsewhere (a move not yet settled) is accepted but tracks nothing, and the hover would never leave.
        TRACKMOUSEEVENT track{sizeof track, TME_LEAVE, host_, 0};
        TRACKMOUSEEVENT now{sizeof now, TME_QUERY, nullptr, 0};
        tracking_ =
            TrackMouseEvent(&track) && TrackMouseEvent(&now) && now.hwndTrack == host_ && (now.dwFlags & TME_LEAVE);
    }
    if (pressed_ >= 0 && !spacePressed_) {
        // While pressed, the pressed look follows whether the pointer is on the button.
        bool inside = PtInRect(&slots_[pressed_].rect, p) != FALSE;
        if (inside != pressedInside_) {
            pressedInside_ = inside;
            Invalidate(*slots_[pressed_].button);
        }
        return;
    }
    // Only while the program is active, as a button of its own window would light up.
    SetHover(GetActiveWindow() != nullptr ? at : -1);
}

bool ButtonRow::OnPress(POINT p) {
    int i = HitTest(p);
    if (i < 0) {
        return false;
    }
    HWND top = GetAncestor(host_, GA_ROOT);
    if (top && GetActiveWindow() != top) {
        SetActiveWindow(top);
    }
    // As a button takes the focus when clicked; Space then clicks it again.
    if (GetFocus() != host_) {
        takingFocus_ = true;
        SetFocus(host_);
        takingFocus_ = false;
    }
    // A press puts the button's tip away until the pointer leaves the button: a tip that came back under the pointer
    // would lie over the buttons below it.
    quietTip_ = i;
    if (tooltip_) {
        SendMessageA(tooltip_, TTM_POP, 0, 0);
        SetTool(i, false);
    }
    focused_ = i;
    spacePressed_ = false;
    pressed_ = i;
    pressedInside_ = true;
    SetCapture(host_);
    Invalidate(*slots_[i].button);
    return true;
}

bool ButtonRow::OnRelease() {
    if (pressed_ < 0 || spacePressed_) {
        return false;
    }
    int i = pressed_;
    bool inside = pressedInside_;
    EndPress();
    if (GetCapture() == host_) {
        ReleaseCapture();
    }
    if (inside && Usable(i)) {
        Click(i);
    }
    return true;
}

void ButtonRow::EndPress() {
    if (pressed_ >= 0) {
        Invalidate(*slots_[pressed_].button);
    }
    pressed_ = -1;
    pressedInside_ = false;
    spacePressed_ = false;
}

void ButtonRow::Click(int index) {
    SkinButton& b = *slots_[index].button;
    if (b.toggle_) {
        b.checked_ = !b.checked_;
        Invalidate(b);
    }
    SendMessageA(host_, WM_COMMAND, MAKEWPARAM(b.id_, BN_CLICKED), reinterpret_cast<LPARAM>(host_));
}

bool ButtonRow::Offer(WindowMessage& m) {
    if (!host_ || m.hwnd != host_) {
        return false;
    }
    bool handled = false;
    switch (m.message) {
    case WM_PAINT:
        // The update region is gone once the host's paint begins; a paint into a given DC repaints everything.
        if (m.wParam != 0 || !GetUpdateRect(host_, &paintArea_, FALSE)) {
            GetClientRect(host_, &paintArea_);
        }
        break;
    case WM_SETFOCUS:
        // A dialog host would hand the focus on to a control of its own (a list would take it and end the edit in
        // it): the host keeps it, as the button would have.
        handled = takingFocus_;
        break;
    case WM_MOUSEMOVE:
        OnMouseMove(ClientPoint(m.lParam));
        break;
    case WM_MOUSELEAVE:
        OnMouseLeave();
        break;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK: // every click counts, as on a plain push button
        handled = OnPress(ClientPoint(m.lParam));
        break;
    case WM_LBUTTONUP:
        handled = OnRelease();
        break;
    case WM_CAPTURECHANGED:
        OnCaptureChanged(reinterpret_cast<HWND>(m.lParam));
        break;
    case WM_KILLFOCUS:
        OnKillFocus();
        break;
    case WM_KEYDOWN:
        handled = m.wParam == VK_SPACE && OnSpaceDown();
        break;
    case WM_KEYUP:
        handled = m.wParam == VK_SPACE && OnSpaceUp();
        break;
    }
    if (handled) {
        m.result = 0;
    }
    return handled;
}

void ButtonRow::OnMouseLeave() {
    tracking_ = false;
    PointerOn(-1);
    if (pressed_ < 0) {
        SetHover(-1);
    }
}

void ButtonRow::OnCaptureChanged(HWND taker) {
    // A capture taken away (a menu, another window) ends a press without a click; as a button's would, the hover
    // mark goes with it and comes back with the next move.
    if (taker != host_) {
        if (pressed_ >= 0 && !spacePressed_) {
            EndPress();
        }
        SetHover(-1);
    }
}

void ButtonRow::OnKillFocus() {
    focused_ = -1;
    if (spacePressed_) {
        EndPress();
    }
    SetHover(-1);
}

bool ButtonRow::OnSpaceDown() {
    if (!Usable(focused_) || GetFocus() != host_) {
        return false;
    }
    if (!spacePressed_ && pressed_ < 0) {
        pressed_ = focused_;
        spacePressed_ = true;
        Invalidate(*slots_[pressed_].button);
    }
    return true;
}

bool ButtonRow::OnSpaceUp() {
    if (!spacePressed_) {
        return false;
    }
    int i = pressed_;
    EndPress();
    if (Usable(i)) {
        Click(i);
    }
    return true;
}
