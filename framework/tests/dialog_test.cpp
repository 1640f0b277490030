#include "framework/dialog.h"

#include <windows.h>

#include <gtest/gtest.h>

#include "framework/handles.h"
#include "testing/pump.h"

namespace {

constexpr UINT kFinish = WM_USER + 1;
constexpr UINT kPing = WM_USER + 2;
constexpr UINT kPageDone = WM_USER + 3;
constexpr UINT kQuery = WM_USER + 4;
constexpr int kPageButtonId = 20;
constexpr int kPageLabelId = 21;

// Ends itself from a message it posts to itself in WM_INITDIALOG.
class PostingDialog : public Dialog {
public:
    HWND boundInInit = nullptr;
    DWORD styleInInit = 0;

private:
    bool OnInitDialog() {
        boundInInit = Handle();
        styleInInit = static_cast<DWORD>(GetWindowLongPtrA(Handle(), GWL_STYLE));
        PostMessageA(Handle(), kFinish, 40, 2);
        return true;
    }
    LRESULT OnFinish(WPARAM wParam, LPARAM lParam) {
        End(static_cast<INT_PTR>(wParam + lParam));
        return 0;
    }
    using Entry = MessageEntry<PostingDialog>;
    static constexpr Entry kMessageMap[] = {
        Entry::InitDialog(&PostingDialog::OnInitDialog),
        Entry::Raw(kFinish, &PostingDialog::OnFinish),
    };
    bool ProcessMessage(WindowMessage& m) override {
        return RouteMessage(*this, kMessageMap, m) || Dialog::ProcessMessage(m);
    }
};

// Ends itself from a timer.
class TimerDialog : public Dialog {
public:
    int ticks = 0;

private:
    bool OnInitDialog() {
        SetTimer(Handle(), 7, 10, nullptr);
        return true;
    }
    void OnTimer(UINT_PTR id) {
        if (id == 7 && ++ticks == 3) {
            KillTimer(Handle(), id);
            End(IDOK);
        }
    }
    using Entry = MessageEntry<TimerDialog>;
    static constexpr Entry kMessageMap[] = {
        Entry::InitDialog(&TimerDialog::OnInitDialog),
        Entry::Timer(&TimerDialog::OnTimer),
    };
    bool ProcessMessage(WindowMessage& m) override {
        return RouteMessage(*this, kMessageMap, m) || Dialog::ProcessMessage(m);
    }
};

class PageButton : public Control {
public:
    int clicks = 0;

private:
    void OnReflectedCommand(int, int code, HWND) {
        if (code == BN_CLICKED) {
            ++clicks;
        }
    }
    using Entry = MessageEntry<PageButton>;
    static constexpr Entry kMessageMap[] = {Entry::ReflectedCommand(&PageButton::OnReflectedCommand)};
    bool ProcessMessage(WindowMessage& m) override {
        return RouteMessage(*this, kMessageMap, m) || Control::ProcessMessage(m);
    }
};

class PageLabel : public Control {
public:
    GdiBrush brush{CreateSolidBrush(RGB(10, 20, 30))};

private:
    HBRUSH OnReflectedCtlColor(HDC, HWND) { return brush.get(); }
    using Entry = MessageEntry<PageLabel>;
    static constexpr Entry kMessageMap[] = {
        Entry::ReflectedCtlColor(WM_CTLCOLORSTATIC, &PageLabel::OnReflectedCtlColor)};
    bool ProcessMessage(WindowMessage& m) override {
        return RouteMessage(*this, kMessageMap, m) || Control::ProcessMessage(m);
    }
};

// A page inside the host dialog, with a button and a label that answer for themselves.
class Page : public Dialog {
public:
    int pings = 0;
    LPARAM pingValue = 0;
    PageButton button;
    PageLabel label;

private:
    bool OnInitDialog() {
        button.Create("BUTTON", "go", WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON, 5, 5, 40, 20, Handle(), kPageButtonId);
        label.Create("STATIC", "label", WS_CHILD | WS_VISIBLE, 5, 30, 40, 20, Handle(), kPageLabelId);
        return false;
    }
    LRESULT OnPing(WPARAM, LPARAM lParam) {
        ++pings;
        pingValue = lParam;
        PostMessageA(GetParent(Handle()), kPageDone, 0, lParam + 1);
        return 0;
    }
    LRESULT OnQuery(WPARAM wParam, LPARAM) { return static_cast<LRESULT>(wParam * 3); }
    using Entry = MessageEntry<Page>;
    static constexpr Entry kMessageMap[] = {
        Entry::InitDialog(&Page::OnInitDialog),
        Entry::Raw(kPing, &Page::OnPing),
        Entry::Raw(kQuery, &Page::OnQuery),
    };
    bool ProcessMessage(WindowMessage& m) override {
        return RouteMessage(*this, kMessageMap, m) || Dialog::ProcessMessage(m);
    }
};

// Holds a page, checks it from inside its own modal loop, and ends with what the page reported.
class HostDialog : public Dialog {
public:
    Page page;
    HWND pageWindow = nullptr;
    bool pageIsChild = false;
    LRESULT queryResult = 0;
    LRESULT labelBrush = 0;
    int buttonClicksSeen = 0;

private:
    bool OnInitDialog() {
        pageWindow = page.CreateModeless(Handle(), DialogTemplate::Child(120, 80));
        if (pageWindow == nullptr) {
            End(-2);
            return true;
        }
        pageIsChild = (GetWindowLongPtrA(pageWindow, GWL_STYLE) & WS_CHILD) != 0 &&
                      GetAncestor(pageWindow, GA_PARENT) == Handle();
        ShowWindow(pageWindow, SW_SHOW);
        // Sent messages: the result comes back through DWLP_MSGRESULT, a control colour directly.
        queryResult = SendMessageA(pageWindow, kQuery, 5, 0);
        HWND labelWindow = GetDlgItem(pageWindow, kPageLabelId);
        HDC dc = GetDC(labelWindow);
        labelBrush = SendMessageA(pageWindow, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                                  reinterpret_cast<LPARAM>(labelWindow));
        ReleaseDC(labelWindow, dc);
        SendMessageA(GetDlgItem(pageWindow, kPageButtonId), BM_CLICK, 0, 0);
        buttonClicksSeen = page.button.clicks;
        PostMessageA(pageWindow, kPing, 0, 100);
        return true;
    }
    LRESULT OnPageDone(WPARAM, LPARAM lParam) {
        End(static_cast<INT_PTR>(lParam));
        return 0;
    }
    using Entry = MessageEntry<HostDialog>;
    static constexpr Entry kMessageMap[] = {
        Entry::InitDialog(&HostDialog::OnInitDialog),
        Entry::Raw(kPageDone, &HostDialog::OnPageDone),
    };
    bool ProcessMessage(WindowMessage& m) override {
        return RouteMessage(*this, kMessageMap, m) || Dialog::ProcessMessage(m);
    }
};

} // namespace

TEST(DialogTemplate, HoldsAnEmptyDialogWithItsTitleAndFont) {
    DialogTemplate t(WS_POPUP, WS_EX_TOOLWINDOW, 1, 2, 30, 40, "Ab", "Arial", 9);
    const DLGTEMPLATE* head = t.Get();
    EXPECT_EQ(0, head->cdit);
    EXPECT_EQ(static_cast<DWORD>(WS_POPUP | DS_SETFONT), head->style);
    EXPECT_EQ(static_cast<DWORD>(WS_EX_TOOLWINDOW), head->dwExtendedStyle);
    EXPECT_EQ(30, head->cx);
    EXPECT_EQ(40, head->cy);
    EXPECT_EQ(0u, reinterpret_cast<uintptr_t>(head) % 4);
    const auto* words = reinterpret_cast<const WORD*>(head + 1);
    EXPECT_EQ(0, words[0]); // menu
    EXPECT_EQ(0, words[1]); // class
    EXPECT_EQ(L'A', words[2]);
    EXPECT_EQ(L'b', words[3]);
    EXPECT_EQ(0, words[4]);
    EXPECT_EQ(9, words[5]);
    EXPECT_EQ(L'A', words[6]);
}

TEST(ModalDialog, RunsFromAnEmptyTemplateAndReturnsTheEndResult) {
    PostingDialog dialog;
    INT_PTR result = dialog.RunModal(nullptr, DialogTemplate::Popup(100, 50, "modal"));
    EXPECT_EQ(INT_PTR{42}, result);
    EXPECT_NE(nullptr, dialog.boundInInit);
    EXPECT_NE(0u, dialog.styleInInit & WS_CAPTION);
    EXPECT_EQ(nullptr, dialog.Handle());
    EXPECT_FALSE(IsWindow(dialog.boundInInit));
    // The same object runs again.
    EXPECT_EQ(INT_PTR{42}, dialog.RunModal(nullptr, DialogTemplate::Popup(100, 50, "again")));
}

TEST(ModalDialog, EndsFromItsOwnTimer) {
    TimerDialog dialog;
    EXPECT_EQ(INT_PTR{IDOK}, dialog.RunModal(nullptr, DialogTemplate::Popup(100, 50, "timer")));
    EXPECT_EQ(3, dialog.ticks);
}

TEST(ChildDialog, PageInsideADialogGetsItsMessagesAndItsControlsAnswerForThemselves) {
    HostDialog host;
    EXPECT_EQ(INT_PTR{101}, host.RunModal(nullptr, DialogTemplate::Popup(200, 120, "host")));
    EXPECT_TRUE(host.pageIsChild);
    EXPECT_EQ(1, host.page.pings);
    EXPECT_EQ(LPARAM{100}, host.page.pingValue);
    EXPECT_EQ(LRESULT{15}, host.queryResult);
    EXPECT_EQ(reinterpret_cast<LRESULT>(host.page.label.brush.get()), host.labelBrush);
    EXPECT_EQ(1, host.buttonClicksSeen);
    // The page went with its parent.
    EXPECT_EQ(nullptr, host.page.Handle());
    EXPECT_EQ(nullptr, host.page.button.Handle());
}

TEST(ChildDialog, ModelessPageOfAWindowEndsWithDestroy) {
    Page page;
    HWND hwnd = page.CreateModeless(nullptr, DialogTemplate(WS_POPUP, 0, 0, 0, 50, 50));
    ASSERT_NE(nullptr, hwnd);
    EXPECT_FALSE(page.IsModal());
    EXPECT_EQ(LRESULT{6}, SendMessageA(hwnd, kQuery, 2, 0));
    page.End(0);
    EXPECT_FALSE(IsWindow(hwnd));
    EXPECT_EQ(nullptr, page.Handle());
}
