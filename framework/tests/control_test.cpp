#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "framework/handles.h"
#include "framework/window.h"
#include "testing/pump.h"

namespace {

constexpr int kWrappedId = 10;
constexpr int kPlainId = 11;
constexpr int kDrawnId = 12;
constexpr int kStaticId = 13;
constexpr UINT kControlQuery = WM_USER + 50;

class ParentWindow : public Window {
public:
    int commands = 0;
    int lastId = 0;
    HWND lastControl = nullptr;
    int drawItems = 0;
    UINT drawnType = 0;
    int ctlColors = 0;
    GdiBrush parentBrush{CreateSolidBrush(RGB(0, 0, 255))};

private:
    void OnCommand(int id, int, HWND control) {
        ++commands;
        lastId = id;
        lastControl = control;
    }
    void OnDrawItem(const DRAWITEMSTRUCT& item) {
        ++drawItems;
        drawnType = item.CtlType;
    }
    HBRUSH OnCtlColorStatic(HDC, HWND) {
        ++ctlColors;
        return parentBrush.get();
    }
    using Entry = MessageEntry<ParentWindow>;
    static constexpr Entry kMessageMap[] = {
        Entry::Command(&ParentWindow::OnCommand),
        Entry::DrawItem(&ParentWindow::OnDrawItem),
        Entry::CtlColor(WM_CTLCOLORSTATIC, &ParentWindow::OnCtlColorStatic),
    };
    bool ProcessMessage(WindowMessage& m) override {
        return RouteMessage(*this, kMessageMap, m) || Window::ProcessMessage(m);
    }
};

// Answers for itself: its clicks, its drawing, its colours, and a message of its own.
class ButtonWrapper : public Control {
public:
    std::vector<int> codes;
    int draws = 0;
    bool passClicksOn = false;
    bool giveNoBrush = false;
    GdiBrush brush{CreateSolidBrush(RGB(0, 255, 0))};

private:
    void OnReflectedCommand(int, int code, HWND) {
        codes.push_back(code);
        if (passClicksOn) {
            Default(); // the parent gets it as well
        }
    }
    void OnReflectedDrawItem(const DRAWITEMSTRUCT& item) {
        ++draws;
        GdiBrush red(CreateSolidBrush(RGB(255, 0, 0)));
        FillRect(item.hDC, &item.rcItem, red.get());
    }
    HBRUSH OnReflectedCtlColor(HDC, HWND) { return giveNoBrush ? nullptr : brush.get(); }
    LRESULT OnQuery(WPARAM wParam, LPARAM) { return static_cast<LRESULT>(wParam + 1); }

    using Entry = MessageEntry<ButtonWrapper>;
    static constexpr Entry kMessageMap[] = {
        Entry::ReflectedCommand(&ButtonWrapper::OnReflectedCommand),
        Entry::ReflectedDrawItem(&ButtonWrapper::OnReflectedDrawItem),
        Entry::ReflectedCtlColor(WM_CTLCOLORSTATIC, &ButtonWrapper::OnReflectedCtlColor),
        Entry::Raw(kControlQuery, &ButtonWrapper::OnQuery),
    };
    bool ProcessMessage(WindowMessage& m) override {
        return RouteMessage(*this, kMessageMap, m) || Control::ProcessMessage(m);
    }
};

struct Fixture : ::testing::Test {
    ParentWindow parent;
    void SetUp() override {
        ASSERT_NE(nullptr,
                  parent.Create(0, nullptr, "parent", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, 0, 0, 300, 200, nullptr));
    }
    HWND Child(ButtonWrapper& wrapper, const char* cls, DWORD style, int id) {
        return wrapper.Create(cls, "child", WS_CHILD | WS_VISIBLE | style, 10, 10, 40, 20, parent.Handle(), id);
    }
};

using ControlReflection = Fixture;

} // namespace

TEST_F(ControlReflection, ButtonClickReachesTheButtonsWrapperNotTheParent) {
    ButtonWrapper wrapper;
    HWND button = Child(wrapper, "BUTTON", BS_PUSHBUTTON, kWrappedId);
    ASSERT_NE(nullptr, button);
    EXPECT_EQ(&wrapper, MessageTarget::FromHandle(button));
    SendMessageA(button, BM_CLICK, 0, 0);
    ASSERT_EQ(1u, wrapper.codes.size());
    EXPECT_EQ(BN_CLICKED, wrapper.codes[0]);
    EXPECT_EQ(0, parent.commands);

    // A wrapper that passes the click on: the parent sees it too.
    wrapper.passClicksOn = true;
    SendMessageA(button, BM_CLICK, 0, 0);
    EXPECT_EQ(2u, wrapper.codes.size());
    EXPECT_EQ(1, parent.commands);
    EXPECT_EQ(button, parent.lastControl);

    // A button without a wrapper: the parent's own handler, with the control's handle.
    HWND plain =
        CreateWindowExA(0, "BUTTON", "plain", WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON, 60, 10, 40, 20, parent.Handle(),
                        reinterpret_cast<HMENU>(kPlainId), GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(nullptr, plain);
    SendMessageA(plain, BM_CLICK, 0, 0);
    EXPECT_EQ(2, parent.commands);
    EXPECT_EQ(kPlainId, parent.lastId);
    EXPECT_EQ(plain, parent.lastControl);
    EXPECT_EQ(2u, wrapper.codes.size());
}

TEST_F(ControlReflection, OwnerDrawnButtonDrawsItselfThroughTheReflectedDrawItem) {
    ButtonWrapper wrapper;
    HWND button = Child(wrapper, "BUTTON", BS_OWNERDRAW, kDrawnId);
    ASSERT_NE(nullptr, button);
    HDC screen = GetDC(nullptr);
    MemoryDC dc(CreateCompatibleDC(screen));
    GdiBitmap bitmap(CreateCompatibleBitmap(screen, 40, 20));
    ReleaseDC(nullptr, screen);
    SelectObjectGuard select(dc.get(), bitmap.get());
    PatBlt(dc.get(), 0, 0, 40, 20, WHITENESS);
    // The button asks its parent to draw it with WM_DRAWITEM.
    SendMessageA(button, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc.get()), PRF_CLIENT);
    EXPECT_EQ(1, wrapper.draws);
    EXPECT_EQ(0, parent.drawItems);
    EXPECT_EQ(RGB(255, 0, 0), GetPixel(dc.get(), 20, 10));

    // A menu's WM_DRAWITEM carries a menu handle in hwndItem: never taken for a window.
    DRAWITEMSTRUCT menuItem{};
    menuItem.CtlType = ODT_MENU;
    menuItem.hwndItem = button;
    menuItem.hDC = dc.get();
    EXPECT_EQ(LRESULT{TRUE}, SendMessageA(parent.Handle(), WM_DRAWITEM, 0, reinterpret_cast<LPARAM>(&menuItem)));
    EXPECT_EQ(1, parent.drawItems);
    EXPECT_EQ(static_cast<UINT>(ODT_MENU), parent.drawnType);
    EXPECT_EQ(1, wrapper.draws);
}

TEST_F(ControlReflection, ControlColourComesFromTheWrapperUnlessItGivesNone) {
    ButtonWrapper wrapper;
    HWND label = Child(wrapper, "STATIC", SS_LEFT, kStaticId);
    ASSERT_NE(nullptr, label);
    HDC dc = GetDC(label);
    EXPECT_EQ(reinterpret_cast<LRESULT>(wrapper.brush.get()),
              SendMessageA(parent.Handle(), WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                           reinterpret_cast<LPARAM>(label)));
    EXPECT_EQ(0, parent.ctlColors);
    wrapper.giveNoBrush = true;
    EXPECT_EQ(reinterpret_cast<LRESULT>(parent.parentBrush.get()),
              SendMessageA(parent.Handle(), WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                           reinterpret_cast<LPARAM>(label)));
    EXPECT_EQ(1, parent.ctlColors);
    ReleaseDC(label, dc);

    // A window that is not our child is never offered to a wrapper, even when it has one.
    ParentWindow stranger;
    ASSERT_NE(nullptr, stranger.Create(0, nullptr, "stranger", WS_OVERLAPPEDWINDOW, 0, 0, 50, 50, nullptr));
    wrapper.giveNoBrush = false;
    EXPECT_EQ(reinterpret_cast<LRESULT>(stranger.parentBrush.get()),
              SendMessageA(stranger.Handle(), WM_CTLCOLORSTATIC, 0, reinterpret_cast<LPARAM>(label)));
}

TEST_F(ControlReflection, WrapperSeesTheControlsOwnMessagesAndLetsTheRestThrough) {
    ButtonWrapper wrapper;
    HWND button = Child(wrapper, "BUTTON", BS_AUTOCHECKBOX, kWrappedId);
    ASSERT_NE(nullptr, button);
    EXPECT_EQ(LRESULT{8}, SendMessageA(button, kControlQuery, 7, 0));
    // The button's own procedure still does its work.
    SendMessageA(button, BM_SETCHECK, BST_CHECKED, 0);
    EXPECT_EQ(LRESULT{BST_CHECKED}, SendMessageA(button, BM_GETCHECK, 0, 0));
    char text[16] = {};
    GetWindowTextA(button, text, sizeof text);
    EXPECT_STREQ("child", text);

    // A second wrapper cannot take the same control.
    ButtonWrapper second;
    EXPECT_FALSE(second.Attach(button));

    // Detached, the control is plain again.
    EXPECT_EQ(button, wrapper.Detach());
    EXPECT_EQ(nullptr, MessageTarget::FromHandle(button));
    EXPECT_EQ(LRESULT{0}, SendMessageA(button, kControlQuery, 7, 0));
    ASSERT_TRUE(second.Attach(button));
    EXPECT_EQ(LRESULT{3}, SendMessageA(button, kControlQuery, 2, 0));

    // Destroying the control unbinds its wrapper.
    DestroyWindow(button);
    EXPECT_EQ(nullptr, second.Handle());
}

TEST(ControlBinding, WindowsOfAnotherThreadHaveNoWrapperHere) {
    HWND other = nullptr;
    HANDLE made = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    HANDLE release = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    struct Args {
        HWND* out;
        HANDLE made, release;
    } args{&other, made, release};
    HANDLE thread = CreateThread(
        nullptr, 0,
        [](void* p) -> DWORD {
            auto* a = static_cast<Args*>(p);
            ParentWindow w;
            *a->out = w.Create(0, nullptr, "other thread", WS_OVERLAPPEDWINDOW, 0, 0, 50, 50, nullptr);
            SetEvent(a->made);
            WaitForSingleObject(a->release, 10000);
            return 0;
        },
        &args, 0, nullptr);
    ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(made, 10000));
    ASSERT_NE(nullptr, other);
    EXPECT_EQ(nullptr, MessageTarget::FromHandle(other));
    ButtonWrapper wrapper;
    EXPECT_FALSE(wrapper.Attach(other));
    SetEvent(release);
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(thread, 10000));
    CloseHandle(thread);
    CloseHandle(made);
    CloseHandle(release);
}

namespace {

// A child control of our own window class (as a region button is): it sends BN_CLICKED to its parent itself and
// takes the reflected notification back.
class OwnChild : public Window {
public:
    int reflectedClicks = 0;

private:
    void OnLButtonUp(int, int, WPARAM) {
        HWND parent = GetParent(Handle());
        SendMessageA(parent, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(Handle()), BN_CLICKED),
                     reinterpret_cast<LPARAM>(Handle()));
    }
    void OnReflectedCommand(int, int code, HWND) {
        if (code == BN_CLICKED) {
            ++reflectedClicks;
        } else {
            Default(); // not ours: the parent's map gets it
        }
    }
    using Entry = MessageEntry<OwnChild>;
    static constexpr Entry kMessageMap[] = {
        Entry::Mouse(WM_LBUTTONUP, &OwnChild::OnLButtonUp),
        Entry::ReflectedCommand(&OwnChild::OnReflectedCommand),
    };
    bool ProcessMessage(WindowMessage& m) override {
        return RouteMessage(*this, kMessageMap, m) || Window::ProcessMessage(m);
    }
};

} // namespace

TEST_F(ControlReflection, ChildWindowOfOurOwnClassTakesItsReflectedCommand) {
    OwnChild child;
    HWND hwnd = child.Create(0, nullptr, "own", WS_CHILD | WS_VISIBLE, 0, 0, 20, 20, parent.Handle(),
                             reinterpret_cast<HMENU>(static_cast<INT_PTR>(30)));
    ASSERT_NE(nullptr, hwnd);
    SendMessageA(hwnd, WM_LBUTTONUP, 0, MAKELPARAM(3, 3));
    EXPECT_EQ(1, child.reflectedClicks);
    EXPECT_EQ(0, parent.commands);
    // A notification the child passes on reaches its parent's own map.
    SendMessageA(parent.Handle(), WM_COMMAND, MAKEWPARAM(30, BN_DBLCLK), reinterpret_cast<LPARAM>(hwnd));
    EXPECT_EQ(1, parent.commands);
    EXPECT_EQ(30, parent.lastId);
}
