#pragma once
// EditableList: an owner-drawn list box with an icon column and in-place editing, for the macro page's two lists.
// A line's item data is (event index + 1) * 65536 + icon id; an icon id in the low 16 bits names a bitmap resource
// of the program, drawn before the text. The list tells its parent about a right button press (ListRightClick) and
// about a committed in-place edit (EditDone).

#include <windows.h>

#include <map>
#include <string>

#include "framework/handles.h"
#include "framework/window.h"
#include "option/skin/caption_style.h"

inline constexpr UINT ListRightClick = WM_USER + 700; // wParam 0, lParam the list's control id
inline constexpr UINT EditDone = WM_USER + 500;       // wParam the edited line, lParam the list's control id

class EditableList;

// The edit box laid over a line while it is edited: Enter commits, Esc drops the line.
class InPlaceEdit : public Control {
public:
    explicit InPlaceEdit(EditableList& list) : list_(list) {}

protected:
    bool ProcessMessage(WindowMessage& m) override;

private:
    LRESULT OnGetDlgCode(WPARAM wParam, LPARAM lParam);
    void OnKeyDown(UINT key, LPARAM flags);
    void OnKeyUp(UINT key, LPARAM flags);

    using Entry = MessageEntry<InPlaceEdit>;
    static constexpr Entry kMessageMap[] = {
        Entry::Raw(WM_GETDLGCODE, &InPlaceEdit::OnGetDlgCode),
        Entry::Key(WM_KEYDOWN, &InPlaceEdit::OnKeyDown),
        Entry::Key(WM_KEYUP, &InPlaceEdit::OnKeyUp),
    };

    EditableList& list_;
};

class EditableList : public Control {
public:
    EditableList();
    ~EditableList() override;

    static constexpr int kItemHeight = 18;
    static constexpr int kIconColumn = 16;

    HWND Create(HWND parent, int id, const RECT& rect);
    void SetColours(COLORREF text, COLORREF selectedText, COLORREF background, COLORREF selection);

    int Id() const { return id_; }
    void AddLine(const std::string& text, int itemData);
    void Clear();
    void DeleteLine(int line);
    int Count() const;
    int Selected() const;
    void Select(int line);
    std::string Text(int line) const;
    int ItemData(int line) const;

    // In-place editing (one edit at a time): a new empty line at the end, or the selected line's text.
    void BeginAddItem();
    void BeginEditItem();
    bool Editing() const { return editLine_ >= 0; }
    HWND EditBox() const { return edit_.Handle(); }
    // Enter (or the list taking the focus back): the line gets the edit's text; EditDone when it is not empty.
    void CommitEdit(bool byEnter);
    // The same commit for the owner, which is about to change the list: no EditDone; the committed line, or -1 when
    // the edit left nothing (or none was open).
    int FinishEdit();
    // Esc: the edited line goes, nothing is reported.
    void CancelEdit();

protected:
    bool ProcessMessage(WindowMessage& m) override;

private:
    void OnDrawItem(const DRAWITEMSTRUCT& item);
    // The 16 x 16 picture of an item's icon resource, loaded on its first drawing and kept with the list.
    HBITMAP IconPicture(int icon);
    HBRUSH OnCtlColor(HDC dc, HWND control);
    LRESULT OnMouseWheel(WPARAM wParam, LPARAM lParam);
    LRESULT OnRButtonDown(WPARAM wParam, LPARAM lParam);
    LRESULT OnSetFocus(WPARAM wParam, LPARAM lParam);
    void OpenEdit(int line, bool numbers, int limit);
    void CloseEdit();
    // Puts the edit's text into its line and closes the edit; the line, or -1 when the text was empty.
    int TakeEdit(bool select);

    using Entry = MessageEntry<EditableList>;
    static constexpr Entry kMessageMap[] = {
        Entry::ReflectedDrawItem(&EditableList::OnDrawItem),
        Entry::ReflectedCtlColor(WM_CTLCOLORLISTBOX, &EditableList::OnCtlColor),
        Entry::Raw(WM_MOUSEWHEEL, &EditableList::OnMouseWheel),
        Entry::Raw(WM_RBUTTONDOWN, &EditableList::OnRButtonDown),
        Entry::Raw(WM_SETFOCUS, &EditableList::OnSetFocus),
    };

    int id_ = 0;
    COLORREF text_ = kSkinText;
    COLORREF selectedText_ = kSkinText;
    GdiBrush background_;
    GdiBrush selection_;
    GdiFont font_;
    std::map<int, GdiBitmap> icons_;
    InPlaceEdit edit_;
    int editLine_ = -1;
};
