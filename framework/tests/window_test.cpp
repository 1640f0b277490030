#include "framework/window.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "testing/pump.h"

namespace {

constexpr UINT kCustom = WM_USER + 5;
constexpr UINT kAboutId = 1001;
constexpr UINT kClickId = 1010;
constexpr UINT kRowFirstId = 1020, kRowLastId = 1024;

inline RegisteredMessage kTaskbarCreated{"TaskbarCreated"};
inline RegisteredMessage kOtherRegistered{"Korvane.FrameworkTest.Other"};

// Records what its handlers saw.
class RecordingWindow : public Window {
public:
    std::vector<std::string> seen;
    int x = 0, y = 0, width = 0, height = 0;
    WPARAM keys = 0;
    UINT_PTR timerId = 0;
    int commandId = 0, commandCode = -1;
    HWND commandControl = nullptr;
    int clicks = 0;
    std::vector<int> rowClicks;
    bool createSawTitle = false;
    bool refuseCreate = false;

protected:
    bool OnCreate(const CREATESTRUCTA& create) {
        seen.push_back("create");
        createSawTitle = create.lpszName != nullptr && std::string(create.lpszName) == "recording";
        return !refuseCreate;
    }
    void OnDestroy() { seen.push_back("destroy"); }
    void OnLButtonDown(int px, int py, WPARAM k) {
        seen.push_back("lbuttondown");
        x = px;
        y = py;
        keys = k;
    }
    void OnSize(UINT, int w, int h) {
        seen.push_back("size");
        width = w;
        height = h;
    }
    void OnTimer(UINT_PTR id) {
        seen.push_back("timer");
        timerId = id;
        KillTimer(Handle(), id);
    }
    void OnAbout() { seen.push_back("about"); }
    void OnClick() { ++clicks; }
    void OnRow(int index) { rowClicks.push_back(index); }
    void OnCommand(int id, int code, HWND control) {
        seen.push_back("command");
        commandId = id;
        commandCode = code;
        commandControl = control;
    }
    LRESULT OnCustom(WPARAM wParam, LPARAM lParam) {
        seen.push_back("custom");
        return static_cast<LRESULT>(wParam + lParam);
    }
    LRESULT OnTaskbarCreated(WPARAM, LPARAM) {
        seen.push_back("taskbarcreated");
        return 77;
    }
    LRESULT OnSetTextSeen(WPARAM, LPARAM) {
        seen.push_back("settext");
        return Default(); // the text must still be stored by DefWindowProc
    }

private:
    using Entry = MessageEntry<RecordingWindow>;
    static constexpr Entry kMessageMap[] = {
        Entry::Create(&RecordingWindow::OnCreate),
        Entry::Destroy(&RecordingWindow::OnDestroy),
        Entry::Mouse(WM_LBUTTONDOWN, &RecordingWindow::OnLButtonDown),
        Entry::Size(&RecordingWindow::OnSize),
        Entry::Timer(&RecordingWindow::OnTimer),
        Entry::CommandId(kAboutId, &RecordingWindow::OnAbout),
        Entry::Clicked(kClickId, &RecordingWindow::OnClick),
        Entry::ClickedRange(kRowFirstId, kRowLastId, &RecordingWindow::OnRow),
        Entry::Command(&RecordingWindow::OnCommand),
        Entry::Raw(kCustom, &RecordingWindow::OnCustom),
        Entry::Raw(WM_SETTEXT, &RecordingWindow::OnSetTextSeen),
        Entry::Registered(kTaskbarCreated, &RecordingWindow::OnTaskbarCreated),
    };

protected:
    bool ProcessMessage(WindowMessage& m) override {
        return RouteMessage(*this, kMessageMap, m) || Window::ProcessMessage(m);
    }
};

// Takes WM_SIZE itself and adds a registered message; the rest goes to the base class's map.
class DerivedWindow : public RecordingWindow {
public:
    int derivedWidth = 0;

private:
    void OnSize(UINT, int w, int) {
        seen.push_back("derived size");
        derivedWidth = w;
    }
    LRESULT OnOther(WPARAM wParam, LPARAM) {
        seen.push_back("other");
        return static_cast<LRESULT>(wParam * 2);
    }

    using Entry = MessageEntry<DerivedWindow>;
    static constexpr Entry kMessageMap[] = {
        Entry::Size(&DerivedWindow::OnSize),
        Entry::Registered(kOtherRegistered, &DerivedWindow::OnOther),
    };
    bool ProcessMessage(WindowMessage& m) override {
        return RouteMessage(*this, kMessageMap, m) || RecordingWindow::ProcessMessage(m);
    }
};

HWND CreateHidden(Window& w, const char* title = "recording") {
    return w.Create(0, nullptr, title, WS_OVERLAPPEDWINDOW, 0, 0, 200, 150, nullptr);
}

bool Saw(const std::vector<std::string>& seen, const char* what) {
    for (const auto& s : seen) {
        if (s == what) {
            return true;
        }
    }
    return false;
}

} // namespace

TEST(MessageMap, RoutesMessagesToHandlersWithDecodedArguments) {
    RecordingWindow w;
    HWND hwnd = CreateHidden(w);
    ASSERT_NE(nullptr, hwnd);
    EXPECT_EQ(hwnd, w.Handle());
    EXPECT_EQ(&w, MessageTarget::FromHandle(hwnd));
    ASSERT_FALSE(w.seen.empty());
    EXPECT_EQ("create", w.seen.front());
    EXPECT_TRUE(w.createSawTitle);
    EXPECT_FALSE(IsWindowVisible(hwnd));

    // Coordinates are signed: a point left of and above the client area.
    SendMessageA(hwnd, WM_LBUTTONDOWN, MK_LBUTTON | MK_SHIFT, MAKELPARAM(-12, 34));
    EXPECT_EQ(-12, w.x);
    EXPECT_EQ(34, w.y);
    EXPECT_EQ(static_cast<WPARAM>(MK_LBUTTON | MK_SHIFT), w.keys);

    SendMessageA(hwnd, WM_SIZE, SIZE_RESTORED, MAKELPARAM(321, 123));
    EXPECT_EQ(321, w.width);
    EXPECT_EQ(123, w.height);

    EXPECT_EQ(LRESULT{42}, SendMessageA(hwnd, kCustom, 40, 2));

    // A menu command of the id goes to its own handler; another id to the general one.
    SendMessageA(hwnd, WM_COMMAND, MAKEWPARAM(kAboutId, 0), 0);
    EXPECT_TRUE(Saw(w.seen, "about"));
    EXPECT_FALSE(Saw(w.seen, "command"));
    SendMessageA(hwnd, WM_COMMAND, MAKEWPARAM(2002, 0), 0);
    EXPECT_EQ(2002, w.commandId);
    // An edit's notification of the same id is not a click: it reaches the general handler.
    SendMessageA(hwnd, WM_COMMAND, MAKEWPARAM(kAboutId, EN_CHANGE), 0);
    EXPECT_EQ(static_cast<int>(kAboutId), w.commandId);
    EXPECT_EQ(EN_CHANGE, w.commandCode);

    // A real timer through the message loop.
    ASSERT_NE(0u, SetTimer(hwnd, 500, 10, nullptr));
    EXPECT_TRUE(PumpUntil([&] { return w.timerId == 500; }));

    // A handler may still ask for the default processing.
    ASSERT_TRUE(SetWindowTextA(hwnd, "changed"));
    char text[32] = {};
    GetWindowTextA(hwnd, text, sizeof text);
    EXPECT_STREQ("changed", text);
    EXPECT_TRUE(Saw(w.seen, "settext"));

    // A message without an entry goes to DefWindowProc.
    EXPECT_EQ(LRESULT{7}, SendMessageA(hwnd, WM_GETTEXTLENGTH, 0, 0));

    ASSERT_TRUE(w.Destroy());
    EXPECT_EQ("destroy", w.seen.back());
    EXPECT_EQ(nullptr, w.Handle());
    EXPECT_FALSE(IsWindow(hwnd));
}

TEST(MessageMap, ClicksReachTheEntryOfTheControlsIdOrRow) {
    RecordingWindow w;
    HWND hwnd = CreateHidden(w);
    ASSERT_NE(nullptr, hwnd);
    auto click = [&](UINT id, HWND control, int code = BN_CLICKED) {
        SendMessageA(hwnd, WM_COMMAND, MAKEWPARAM(id, code), reinterpret_cast<LPARAM>(control));
    };
    // Real buttons, so the clicks come from real controls; the second and the last of a row of five.
    HWND single = CreateWindowExA(0, "BUTTON", "", WS_CHILD | WS_VISIBLE, 0, 0, 10, 10, hwnd, ControlId(kClickId),
                                  nullptr, nullptr);
    HWND rowButton = CreateWindowExA(0, "BUTTON", "", WS_CHILD | WS_VISIBLE, 0, 0, 10, 10, hwnd,
                                     ControlId(kRowFirstId + 1), nullptr, nullptr);
    ASSERT_NE(nullptr, single);
    ASSERT_NE(nullptr, rowButton);
    SendMessageA(single, BM_CLICK, 0, 0);
    EXPECT_EQ(1, w.clicks);
    SendMessageA(rowButton, BM_CLICK, 0, 0);
    click(kRowLastId, rowButton);
    EXPECT_EQ((std::vector<int>{1, 4}), w.rowClicks);
    EXPECT_FALSE(Saw(w.seen, "command"));

    // Not clicks: the same id without a control (a menu, Enter or Escape), another notification, and the ids just
    // outside the row. They reach the general handler.
    click(kClickId, nullptr);
    EXPECT_EQ(static_cast<int>(kClickId), w.commandId);
    click(kClickId, single, BN_DOUBLECLICKED);
    EXPECT_EQ(BN_DOUBLECLICKED, w.commandCode);
    click(kRowFirstId - 1, rowButton);
    EXPECT_EQ(static_cast<int>(kRowFirstId - 1), w.commandId);
    click(kRowLastId + 1, rowButton);
    EXPECT_EQ(static_cast<int>(kRowLastId + 1), w.commandId);
    EXPECT_EQ(1, w.clicks);
    EXPECT_EQ(2u, w.rowClicks.size());
    ASSERT_TRUE(w.Destroy());
}

TEST(MessageMap, DerivedClassOverridesAndChainsToItsBase) {
    DerivedWindow w;
    HWND hwnd = CreateHidden(w);
    ASSERT_NE(nullptr, hwnd);
    SendMessageA(hwnd, WM_SIZE, SIZE_RESTORED, MAKELPARAM(99, 11));
    EXPECT_EQ(99, w.derivedWidth);
    EXPECT_EQ(0, w.width) << "the derived entry takes WM_SIZE before the base's";
    EXPECT_TRUE(Saw(w.seen, "derived size"));

    SendMessageA(hwnd, WM_LBUTTONDOWN, 0, MAKELPARAM(5, 6));
    EXPECT_EQ(5, w.x);
    EXPECT_EQ(6, w.y);
    EXPECT_EQ(LRESULT{3}, SendMessageA(hwnd, kCustom, 1, 2));
    EXPECT_EQ(LRESULT{77}, SendMessageA(hwnd, RegisterWindowMessageA("TaskbarCreated"), 0, 0));
    EXPECT_EQ(LRESULT{18}, SendMessageA(hwnd, RegisterWindowMessageA("Korvane.FrameworkTest.Other"), 9, 0));
    EXPECT_TRUE(Saw(w.seen, "other"));
}

TEST(MessageMap, RegisteredMessageReachesItsHandlerWhenPosted) {
    RecordingWindow w;
    HWND hwnd = CreateHidden(w);
    ASSERT_NE(nullptr, hwnd);
    UINT taskbarCreated = RegisterWindowMessageA("TaskbarCreated");
    ASSERT_NE(0u, taskbarCreated);
    EXPECT_EQ(taskbarCreated, kTaskbarCreated.Value());
    ASSERT_TRUE(PostMessageA(hwnd, taskbarCreated, 0, 0));
    EXPECT_TRUE(PumpUntil([&] { return Saw(w.seen, "taskbarcreated"); }));
    // Another registered number has no entry here.
    EXPECT_EQ(LRESULT{0}, SendMessageA(hwnd, RegisterWindowMessageA("Korvane.FrameworkTest.Other"), 9, 0));
    EXPECT_FALSE(Saw(w.seen, "other"));
}

TEST(WindowBinding, FailedCreateAndDestroyedObjectLeaveNoBinding) {
    RecordingWindow refusing;
    refusing.refuseCreate = true;
    EXPECT_EQ(nullptr, CreateHidden(refusing));
    EXPECT_EQ(nullptr, refusing.Handle());

    HWND hwnd;
    {
        RecordingWindow w;
        hwnd = CreateHidden(w);
        ASSERT_NE(nullptr, hwnd);
        EXPECT_EQ(reinterpret_cast<LONG_PTR>(&w), GetWindowLongPtrA(hwnd, GWLP_USERDATA));
    }
    EXPECT_FALSE(IsWindow(hwnd));

    // A window of our class created without our object stays unbound and works with the default processing.
    HWND plain = CreateWindowExA(0, kDefaultWindowClass, "plain", WS_OVERLAPPEDWINDOW, 0, 0, 50, 50, nullptr, nullptr,
                                 GetModuleHandleA(nullptr), reinterpret_cast<void*>(0x1234));
    ASSERT_NE(nullptr, plain);
    EXPECT_EQ(0, GetWindowLongPtrA(plain, GWLP_USERDATA));
    EXPECT_EQ(nullptr, MessageTarget::FromHandle(plain));
    EXPECT_EQ(LRESULT{5}, SendMessageA(plain, WM_GETTEXTLENGTH, 0, 0));
    DestroyWindow(plain);
}
