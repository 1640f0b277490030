// The macro page's list with real input: the messages a click, a right click, keys and a wheel turn give the list and
// its parent, recorded in order.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "framework/window.h"
#include "option/macros/editable_list.h"
#include "testing/message_log.h"
#include "testing/skin_test_support.h"

namespace {

constexpr int kListId = 1207;

class ListMessages : public ::testing::Test {
protected:
    void SetUp() override {
        UseBuildSkins();
        hwnd =
            host.Create(WS_EX_TOPMOST, nullptr, "List", WS_POPUP | WS_VISIBLE | WS_BORDER, 200, 200, 240, 120, nullptr);
        ASSERT_NE(nullptr, hwnd);
        ASSERT_NE(nullptr, list.Create(hwnd, kListId, {10, 10, 230, 10 + 5 * EditableList::kItemHeight}));
        for (int i = 0; i < 30; ++i) {
            list.AddLine("Line " + std::to_string(i), ((i + 1) << 16) | 135);
        }
        SetForegroundWindow(hwnd);
        UpdateWindow(hwnd);
        ASSERT_TRUE(PumpUntil([&] { return GetForegroundWindow() == hwnd; }));
    }
    void TearDown() override {
        MouseMoveTo(2, 700);
        host.Destroy();
    }
    POINT LinePoint(int line) { return ListLinePoint(list.Handle(), line); }

    Window host; // reflects the list's drawing to it
    EditableList list;
    HWND hwnd = nullptr;
};

} // namespace

TEST_F(ListMessages, ClickRightClickKeysWheelAndInPlaceEdits) {
    HWND box = list.Handle();
    MessageLog log;
    ASSERT_TRUE(log.Watch(box));
    ASSERT_TRUE(log.Watch(hwnd));
    auto seen = [&](size_t from) {
        return log.Of(nullptr,
                      {WM_LBUTTONDOWN, WM_LBUTTONUP, WM_RBUTTONDOWN, WM_RBUTTONUP, WM_KEYDOWN, WM_MOUSEWHEEL,
                       WM_VSCROLL, WM_COMMAND, ListRightClick, EditDone},
                      from);
    };
    const WPARAM focus = MAKEWPARAM(kListId, LBN_SETFOCUS), selection = MAKEWPARAM(kListId, LBN_SELCHANGE);

    // A click selects the line on the release; the list takes the focus on the press.
    size_t mark = log.Mark();
    ASSERT_TRUE(ClickUntil(LinePoint(1), [&] { return log.Got(hwnd, {WM_COMMAND}, mark) && list.Selected() == 1; }));
    ASSERT_TRUE(PumpUntil([&] { return log.Of(hwnd, {WM_COMMAND}, mark).size() >= 2; }));
    ASSERT_TRUE(PumpPosted());
    std::vector<LoggedMessage> expected{{box, WM_LBUTTONDOWN, MK_LBUTTON},
                                        {hwnd, WM_COMMAND, focus},
                                        {box, WM_LBUTTONUP, 0},
                                        {hwnd, WM_COMMAND, selection}};
    EXPECT_EQ(expected, seen(mark)) << MessageLog::Describe(seen(mark));

    // A right click tells the parent, once, on the press, and leaves the selection alone.
    mark = log.Mark();
    POINT third = LinePoint(3);
    MouseRightClickAt(third.x, third.y);
    ASSERT_TRUE(PumpUntil([&] { return log.Got(box, {WM_RBUTTONUP}, mark); }, kClickEffectMs));
    ASSERT_TRUE(PumpPosted());
    expected = {{box, WM_RBUTTONDOWN, MK_RBUTTON}, {hwnd, ListRightClick, 0}, {box, WM_RBUTTONUP, 0}};
    EXPECT_EQ(expected, seen(mark)) << MessageLog::Describe(seen(mark));
    EXPECT_EQ(1, list.Selected());

    // The arrow key moves the selection; a wheel notch scrolls one line and goes no further than the list.
    mark = log.Mark();
    KeyPress(VK_DOWN);
    ASSERT_TRUE(PumpUntil([&] { return list.Selected() == 2; }));
    MouseWheel(-1);
    ASSERT_TRUE(PumpUntil([&] { return log.Got(nullptr, {WM_MOUSEWHEEL}, mark); }));
    ASSERT_TRUE(PumpPosted());
    expected = {{box, WM_KEYDOWN, VK_DOWN},
                {hwnd, WM_COMMAND, selection},
                {box, WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(-WHEEL_DELTA))},
                {box, WM_VSCROLL, SB_LINEDOWN}};
    EXPECT_EQ(expected, seen(mark)) << MessageLog::Describe(seen(mark));
    EXPECT_EQ(1, SendMessageA(box, LB_GETTOPINDEX, 0, 0));

    // The line's edit takes digits only; Enter puts them into the line and tells the parent which line it was.
    list.BeginEditItem();
    ASSERT_TRUE(list.Editing());
    HWND edit = list.EditBox();
    ASSERT_TRUE(log.Watch(edit));
    mark = log.Mark();
    for (WORD k : {WORD('4'), WORD('X'), WORD('5'), WORD(VK_RETURN)}) {
        KeyPress(k);
    }
    ASSERT_TRUE(PumpUntil([&] { return log.Got(hwnd, {EditDone}, mark); }));
    ASSERT_TRUE(PumpPosted());
    EXPECT_EQ(1u, log.Of(hwnd, {EditDone}, mark).size());
    EXPECT_EQ(2u, log.Of(hwnd, {EditDone}, mark).front().wParam);
    EXPECT_EQ(4u, log.Of(edit, {WM_KEYDOWN}, mark).size());
    EXPECT_EQ("45", list.Text(2));
    EXPECT_FALSE(list.Editing());

    // A new line's edit ended with Esc: the line goes and the parent hears nothing.
    const int count = list.Count();
    list.BeginAddItem();
    ASSERT_TRUE(list.Editing());
    ASSERT_TRUE(log.Watch(list.EditBox()));
    mark = log.Mark();
    KeyPress('A');
    KeyPress(VK_ESCAPE);
    ASSERT_TRUE(PumpUntil([&] { return !list.Editing(); }));
    ASSERT_TRUE(PumpPosted());
    EXPECT_EQ(count, list.Count());
    EXPECT_TRUE(log.Of(hwnd, {EditDone}, mark).empty());
}
