#include "option/skin/spin_edit.h"

#include <windows.h>

#include <optional>
#include <string>

#include "option/skin/skin_picture.h"

HWND SpinEdit::Create(HWND owner, int controlNumber, const RECT& rect) {
    owner_ = owner;
    number_ = controlNumber;
    rect_ = rect;
    return Window::Create(0, nullptr, "", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, rect.left, rect.top,
                          rect.right - rect.left, rect.bottom - rect.top, owner, ControlId(controlNumber));
}

namespace {

// The arrows' places in the box's client area.
RECT UpArrowRect(int width) {
    return {width - 18, 2, width - 2, 9};
}
RECT DownArrowRect(int width) {
    return {width - 18, 11, width - 2, 18};
}

} // namespace

bool SpinEdit::OnCreate(const CREATESTRUCTA& create) {
    int w = create.cx;
    HWND hwnd = Handle();
    row_.Attach(hwnd);
    row_.Add(up_, UpArrowRect(w), kSpinEditUpId);
    row_.Add(down_, DownArrowRect(w), kSpinEditDownId);
    box_.Create(hwnd, RECT{2, 2, w - 20, 16}, kSpinEditBoxId, ES_CENTER);
    box_.SetColours(RGB(255, 255, 255), RGB(0, 0, 0));
    box_.SetDigitsOnly(true);
    SetRange(range_.minimum, range_.maximum);
    box_.SetTextQuietly(NumberText(value_));
    return true;
}

void SpinEdit::SetFaces(HBITMAP normal, HBITMAP over, HBITMAP down, HBITMAP disable) {
    WindowDC dc(Handle());
    const RECT& r = rect_;
    // The box shows its normal and disabled faces; the arrows draw all four from the box's own.
    CutFaces(dc.get(), r, {{normal_, normal}, {over_, over}, {pressed_, down}, {disable_, disable}});
    int w = r.right - r.left;
    up_.ShareFaces(UpArrowRect(w), normal_.get(), over_.get(), pressed_.get(), disable_.get());
    down_.ShareFaces(DownArrowRect(w), normal_.get(), over_.get(), pressed_.get(), disable_.get());
    InvalidateRect(Handle(), nullptr, FALSE);
}

void SpinEdit::SetRange(int minimum, int maximum) {
    range_.minimum = minimum;
    range_.maximum = maximum;
    if (box_.Handle()) {
        SendMessageA(box_.Handle(), EM_SETLIMITTEXT, static_cast<WPARAM>(SpinTextLimit(range_)), 0);
        box_.SetSignAllowed(SpinSignAllowed(range_));
    }
}

void SpinEdit::SetValue(int v) {
    value_ = v;
    shownByProgram_ = true;
    std::string text = NumberText(v);
    if (box_.Handle() && BoxText() != text) {
        box_.SetTextQuietly(text);
    }
}

bool SpinEdit::Untouched() const {
    return shownByProgram_ && BoxText() == NumberText(value_);
}

std::string SpinEdit::BoxText() const {
    char text[64] = {};
    GetWindowTextA(box_.Handle(), text, sizeof text);
    return text;
}

int SpinEdit::BoxNumber() const {
    return LeadingNumber(BoxText());
}

void SpinEdit::Show(int v) {
    std::string text = NumberText(v);
    if (box_.Handle() && BoxText() != text) {
        SetWindowTextA(box_.Handle(), text.c_str());
    }
}

void SpinEdit::OnUp() {
    if (std::optional<int> v = SpinUp(BoxNumber(), range_)) {
        Step(*v);
    }
}

void SpinEdit::OnDown() {
    if (std::optional<int> v = SpinDown(BoxNumber(), range_)) {
        Step(*v);
    }
}

void SpinEdit::Step(int v) {
    // The owner hears of it through the box's text change.
    shownByProgram_ = false;
    value_ = v;
    Show(v);
}

LRESULT SpinEdit::OnBoxChanged(WPARAM, LPARAM) {
    // Also a focus loss, or a change notice still queued when the program showed a value: nothing the user did.
    if (Untouched()) {
        return 0;
    }
    shownByProgram_ = false;
    std::string text = BoxText();
    int v = LeadingNumber(text);
    int w = SpinSettledValue(text, range_);
    if (w != v) {
        Show(w);
    }
    value_ = w;
    PostMessageA(owner_, kSpinEditChanged, static_cast<WPARAM>(value_), number_);
    return 0;
}

LRESULT SpinEdit::OnBoxEnter(WPARAM wParam, LPARAM) {
    if (wParam != 13 || Untouched()) {
        return 0;
    }
    shownByProgram_ = false;
    SpinEnterResult r = SpinEnterValue(BoxText(), range_);
    Show(r.value);
    value_ = r.value;
    if (r.notify) {
        PostMessageA(owner_, kSpinEditChanged, static_cast<WPARAM>(r.value), number_);
    }
    return 0;
}

void SpinEdit::OnPaint(HDC dc, const PAINTSTRUCT& paint) {
    HBITMAP face = IsWindowEnabled(Handle()) ? normal_.get() : disable_.get();
    if (!face) {
        return;
    }
    // An arrow never flickers.
    PaintOverBackground(dc, face, BitmapSize(face), [&](HDC work) { row_.Paint(work, paint.rcPaint); });
}

bool SpinEdit::ProcessMessage(WindowMessage& m) {
    return row_.Offer(m) || RouteMessage(*this, kMessageMap, m) || Window::ProcessMessage(m);
}
