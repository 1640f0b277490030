#include "option/macros/editable_list.h"

#include <windows.h>

#include <vector>

namespace {

GdiFont ListFont() {
    // "Eurostile" where it is installed; the system picks a near face elsewhere.
    return GdiFont(CreateFontA(12, 0, 0, 0, 300, FALSE, FALSE, FALSE, ANSI_CHARSET, OUT_DEFAULT_PRECIS,
                               CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_SWISS, "Eurostile"));
}

} // namespace

bool InPlaceEdit::ProcessMessage(WindowMessage& m) {
    return RouteMessage(*this, kMessageMap, m) || Control::ProcessMessage(m);
}

LRESULT InPlaceEdit::OnGetDlgCode(WPARAM, LPARAM) {
    // Enter and Esc belong to the edit, not to the dialog around the list.
    return Default() | DLGC_WANTALLKEYS;
}

void InPlaceEdit::OnKeyDown(UINT key, LPARAM) {
    if (key == VK_ESCAPE) {
        list_.CancelEdit();
        return;
    }
    if (key == VK_RETURN) {
        return; // committed on the release
    }
    Default();
}

void InPlaceEdit::OnKeyUp(UINT key, LPARAM) {
    if (key == VK_RETURN) {
        list_.CommitEdit(true);
        return;
    }
    Default();
}

EditableList::EditableList() : edit_(*this) {}

EditableList::~EditableList() = default;

HWND EditableList::Create(HWND parent, int id, const RECT& rect) {
    id_ = id;
    HWND hwnd = Control::Create("LISTBOX", "",
                                WS_CHILD | WS_VISIBLE | WS_VSCROLL | WS_TABSTOP | LBS_OWNERDRAWFIXED | LBS_HASSTRINGS |
                                    LBS_NOTIFY | LBS_NOINTEGRALHEIGHT,
                                rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top, parent, id);
    if (!hwnd) {
        return nullptr;
    }
    font_ = ListFont();
    SendMessageA(hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(font_.get()), FALSE);
    SendMessageA(hwnd, LB_SETITEMHEIGHT, 0, kItemHeight);
    SetColours(GetSysColor(COLOR_WINDOWTEXT), GetSysColor(COLOR_HIGHLIGHTTEXT), GetSysColor(COLOR_WINDOW),
               GetSysColor(COLOR_HIGHLIGHT));
    return hwnd;
}

void EditableList::SetColours(COLORREF text, COLORREF selectedText, COLORREF background, COLORREF selection) {
    text_ = text;
    selectedText_ = selectedText;
    background_.reset(CreateSolidBrush(background));
    selection_.reset(CreateSolidBrush(selection));
    if (Handle()) {
        InvalidateRect(Handle(), nullptr, TRUE);
    }
}

void EditableList::AddLine(const std::string& text, int itemData) {
    LRESULT at = SendMessageA(Handle(), LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
    if (at >= 0) {
        SendMessageA(Handle(), LB_SETITEMDATA, static_cast<WPARAM>(at), itemData);
    }
}

void EditableList::Clear() {
    SendMessageA(Handle(), LB_RESETCONTENT, 0, 0);
}

void EditableList::DeleteLine(int line) {
    SendMessageA(Handle(), LB_DELETESTRING, static_cast<WPARAM>(line), 0);
}

int EditableList::Count() const {
    return static_cast<int>(SendMessageA(Handle(), LB_GETCOUNT, 0, 0));
}

int EditableList::Selected() const {
    return static_cast<int>(SendMessageA(Handle(), LB_GETCURSEL, 0, 0));
}

void EditableList::Select(int line) {
    SendMessageA(Handle(), LB_SETCURSEL, static_cast<WPARAM>(line), 0);
}

std::string EditableList::Text(int line) const {
    LRESULT length = SendMessageA(Handle(), LB_GETTEXTLEN, static_cast<WPARAM>(line), 0);
    if (length < 0) {
        return {};
    }
    std::vector<char> text(static_cast<size_t>(length) + 1);
    SendMessageA(Handle(), LB_GETTEXT, static_cast<WPARAM>(line), reinterpret_cast<LPARAM>(text.data()));
    return text.data();
}

int EditableList::ItemData(int line) const {
    LRESULT data = SendMessageA(Handle(), LB_GETITEMDATA, static_cast<WPARAM>(line), 0);
    return data == LB_ERR ? 0 : static_cast<int>(data);
}

void EditableList::OpenEdit(int line, bool numbers, int limit) {
    RECT r{};
    SendMessageA(Handle(), LB_GETITEMRECT, static_cast<WPARAM>(line), reinterpret_cast<LPARAM>(&r));
    if (numbers && (ItemData(line) & 0xFFFF) != 0) {
        r.left += kIconColumn + 5;
    }
    DWORD style = WS_CHILD | WS_VISIBLE | WS_BORDER | ES_AUTOHSCROLL | (numbers ? ES_NUMBER : 0);
    HWND hwnd = edit_.Create("EDIT", numbers ? Text(line).c_str() : "", style, r.left + 1, r.top, r.right - r.left - 3,
                             r.bottom - r.top, Handle(), 1);
    if (!hwnd) {
        return;
    }
    editLine_ = line;
    SendMessageA(hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(font_.get()), FALSE);
    SendMessageA(hwnd, EM_LIMITTEXT, static_cast<WPARAM>(limit), 0);
    SendMessageA(hwnd, EM_SETSEL, 0, -1);
    SetFocus(hwnd);
}

void EditableList::BeginAddItem() {
    if (Editing()) {
        return;
    }
    AddLine("", 0);
    int line = Count() - 1;
    SendMessageA(Handle(), LB_SETTOPINDEX, static_cast<WPARAM>(line), 0);
    OpenEdit(line, false, 15);
}

void EditableList::BeginEditItem() {
    int line = Selected();
    if (Editing() || line < 0) {
        return;
    }
    OpenEdit(line, true, 20);
}

void EditableList::CloseEdit() {
    HWND box = edit_.Detach();
    editLine_ = -1;
    if (box) {
        DestroyWindow(box);
    }
}

void EditableList::CommitEdit(bool byEnter) {
    if (!Editing()) {
        return;
    }
    int line = TakeEdit(byEnter);
    if (line >= 0) {
        PostMessageA(GetParent(Handle()), EditDone, static_cast<WPARAM>(line), id_);
    }
}

int EditableList::FinishEdit() {
    return Editing() ? TakeEdit(false) : -1;
}

int EditableList::TakeEdit(bool select) {
    int line = editLine_;
    char text[64] = {};
    GetWindowTextA(edit_.Handle(), text, sizeof text);
    int data = ItemData(line);
    editLine_ = -1; // the list's own focus change below must not commit again
    DeleteLine(line);
    bool inserted = text[0] != '\0';
    if (inserted) {
        SendMessageA(Handle(), LB_INSERTSTRING, static_cast<WPARAM>(line), reinterpret_cast<LPARAM>(text));
        SendMessageA(Handle(), LB_SETITEMDATA, static_cast<WPARAM>(line), data);
        if (select) {
            Select(line);
        }
    }
    HWND box = edit_.Detach();
    if (box) {
        DestroyWindow(box);
    }
    return inserted ? line : -1;
}

void EditableList::CancelEdit() {
    if (!Editing()) {
        return;
    }
    int line = editLine_;
    editLine_ = -1;
    DeleteLine(line);
    CloseEdit();
}

void EditableList::OnDrawItem(const DRAWITEMSTRUCT& item) {
    if (item.itemID == static_cast<UINT>(-1)) {
        return;
    }
    HDC dc = item.hDC;
    RECT r = item.rcItem;
    FillRect(dc, &r, background_.get());
    std::string text = Text(static_cast<int>(item.itemID));
    int icon = static_cast<int>(item.itemData & 0xFFFF);
    int x = r.left + 5;
    if (icon != 0) {
        if (HBITMAP picture = IconPicture(icon)) {
            MemoryDC memory(CreateCompatibleDC(dc));
            SelectObjectGuard use(memory.get(), picture);
            TransparentBlt(dc, r.left + 5, r.top + 2, 16, 16, memory.get(), 0, 0, 16, 16, RGB(0, 0, 0));
        }
        x = r.left + kIconColumn + 5;
    }
    SelectObjectGuard font(dc, font_.get());
    SetBkMode(dc, TRANSPARENT);
    bool selected = (item.itemState & ODS_SELECTED) != 0;
    if (selected) {
        SIZE extent{};
        GetTextExtentPoint32A(dc, text.c_str(), static_cast<int>(text.size()), &extent);
        RECT band{x - 2, r.top, x + extent.cx + 2, r.bottom};
        FillRect(dc, &band, selection_.get());
    }
    SetTextColor(dc, selected ? selectedText_ : text_);
    RECT place{x, r.top, r.right, r.bottom};
    DrawTextA(dc, text.c_str(), -1, &place, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
}

HBITMAP EditableList::IconPicture(int icon) {
    auto known = icons_.find(icon);
    if (known == icons_.end()) {
        known = icons_.emplace(icon, LoadBitmapA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(icon))).first;
    }
    return known->second.get();
}

HBRUSH EditableList::OnCtlColor(HDC dc, HWND) {
    SetTextColor(dc, text_);
    SetBkMode(dc, TRANSPARENT);
    return background_.get();
}

LRESULT EditableList::OnMouseWheel(WPARAM wParam, LPARAM) {
    short delta = static_cast<short>(HIWORD(wParam));
    SendMessageA(Handle(), WM_VSCROLL, delta <= 0 ? SB_LINEDOWN : SB_LINEUP, 0);
    return 0;
}

LRESULT EditableList::OnRButtonDown(WPARAM, LPARAM) {
    PostMessageA(GetParent(Handle()), ListRightClick, 0, id_);
    return Default();
}

LRESULT EditableList::OnSetFocus(WPARAM, LPARAM) {
    // The list takes the focus back from its edit box: the edit is committed.
    if (Editing()) {
        CommitEdit(false);
    }
    return Default();
}

bool EditableList::ProcessMessage(WindowMessage& m) {
    return RouteMessage(*this, kMessageMap, m) || Control::ProcessMessage(m);
}
