#include "option/pages/colour_dialog.h"

#include <windows.h>

#include "framework/handles.h"
#include "framework/trace.h"
#include "option/skin/dialog_parts.h"

COLORREF WithComponent(COLORREF colour, int boxNumber, int value) {
    int shift = (boxNumber - ColourDialog::kRedBox) * 8;
    if (shift < 0 || shift > 16) {
        return colour;
    }
    COLORREF v = static_cast<COLORREF>(value < 0 ? 0 : value > 255 ? 255 : value);
    return (colour & ~(0xFFu << shift)) | (v << shift);
}

ColourDialog::ColourDialog(COLORREF colour) : SkinnedDialog("skin_dpi_color.ini"), colour_(colour) {}

void ColourDialog::CreateControls(const SkinScreens& s) {
    HWND hwnd = Handle();
    CreateDialogPill(ok_, hwnd, Position(1), s, true);
    CreateDialogPill(cancel_, hwnd, Position(2), s, false);
    CreateFacedButton(close_, hwnd, Position(5), s, kDialogCloseId);
    preview_ = Position(3).Rect();
    palette_ = Position(4).Rect();
    for (int i = 0; i < 3; ++i) {
        boxes_[i].Create(hwnd, kRedBox + i, Position(6 + i).Rect());
        boxes_[i].SetFaces(s.normal, s.over, s.down, s.disable);
    }
}

bool ColourDialog::OnSkinInit() {
    for (int i = 0; i < 3; ++i) {
        boxes_[i].SetRange(0, 255);
        boxes_[i].SetValue(static_cast<int>((colour_ >> (8 * i)) & 0xFF));
    }
    CentreOverOwner();
    return true;
}

void ColourDialog::PaintContent(HDC work) {
    GdiBrush fill(CreateSolidBrush(colour_));
    FillRect(work, &preview_, fill.get());
}

void ColourDialog::RefillPreview() {
    InvalidateRect(Handle(), &preview_, FALSE);
    UpdateWindow(Handle());
}

void ColourDialog::PickAt(int x, int y) {
    POINT p{x, y};
    if (!PtInRect(&palette_, p)) {
        SetCursor(LoadCursorA(nullptr, IDC_ARROW));
        return;
    }
    SetCursor(LoadCursorA(nullptr, IDC_CROSS));
    WindowDC dc(Handle());
    COLORREF picked = GetPixel(dc.get(), x, y);
    if (picked == CLR_INVALID) {
        return;
    }
    colour_ = picked & 0xFFFFFF;
    RefillPreview();
    for (int i = 0; i < 3; ++i) {
        boxes_[i].SetValue(static_cast<int>((colour_ >> (8 * i)) & 0xFF));
    }
}

LRESULT ColourDialog::OnSetCursor(WPARAM wParam, LPARAM lParam) {
    if (reinterpret_cast<HWND>(wParam) != Handle() || LOWORD(lParam) != HTCLIENT) {
        return Default();
    }
    POINT p{};
    GetCursorPos(&p);
    ScreenToClient(Handle(), &p);
    SetCursor(LoadCursorA(nullptr, PtInRect(&palette_, p) ? IDC_CROSS : IDC_ARROW));
    return TRUE;
}

LRESULT ColourDialog::OnBoxChanged(WPARAM wParam, LPARAM lParam) {
    int box = static_cast<int>(lParam);
    Trace("lParam = %d\n", box);
    if (box < kRedBox || box > kRedBox + 2) {
        return 0;
    }
    colour_ = WithComponent(colour_, box, static_cast<int>(wParam));
    RefillPreview();
    return 0;
}

void ColourDialog::OnOk() {
    RefillPreview();
    End(IDOK);
}

bool ColourDialog::ProcessMessage(WindowMessage& m) {
    if (m.message == WM_LBUTTONDOWN) {
        // The pick comes first; the press then moves the window like every skinned window's background.
        PickAt(static_cast<short>(LOWORD(m.lParam)), static_cast<short>(HIWORD(m.lParam)));
    }
    return RouteMessage(*this, kMessageMap, m) || SkinnedDialog::ProcessMessage(m);
}
