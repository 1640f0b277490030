// KeyCaptureHook with keys injected through SendInput: what the target receives, and that nothing else does.
#include <windows.h>

#include <gtest/gtest.h>

#include <vector>

#include "framework/trace.h"
#include "option/skin/key_capture_hook.h"
#include "testing/skin_test_support.h"

namespace {

// Key messages this thread's windows take from the queue (what a focused window would see).
int g_keyDowns = 0;
HHOOK g_counter = nullptr;
LRESULT CALLBACK CountKeys(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HC_ACTION && wParam == PM_REMOVE) {
        auto* msg = reinterpret_cast<MSG*>(lParam);
        if (msg->message == WM_KEYDOWN || msg->message == WM_KEYUP) {
            ++g_keyDowns;
        }
    }
    return CallNextHookEx(g_counter, code, wParam, lParam);
}

std::vector<std::pair<WPARAM, LPARAM>> g_captured;
LRESULT CALLBACK TargetProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == KeyCaptured) {
        g_captured.emplace_back(wParam, lParam);
        return 0;
    }
    return DefWindowProcA(hwnd, message, wParam, lParam);
}

std::vector<std::string> g_trace;
void KeepTrace(const char* line) {
    g_trace.emplace_back(line);
}

class KeyCapture : public ::testing::Test {
protected:
    void SetUp() override {
        WNDCLASSA wc{};
        wc.lpfnWndProc = TargetProc;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.lpszClassName = "KeyCaptureTarget";
        RegisterClassA(&wc);
        // A focused edit in the foreground: without the hook, typed keys reach it.
        window = CreateWindowExA(0, "KeyCaptureTarget", "target", WS_POPUP | WS_VISIBLE, 100, 100, 200, 60, nullptr,
                                 nullptr, GetModuleHandleA(nullptr), nullptr);
        edit = CreateWindowExA(0, "EDIT", "", WS_CHILD | WS_VISIBLE, 0, 0, 200, 24, window, nullptr,
                               GetModuleHandleA(nullptr), nullptr);
        SetForegroundWindow(window);
        SetFocus(edit);
        ASSERT_TRUE(PumpUntil([&] { return GetForegroundWindow() == window && GetFocus() == edit; }));
        g_captured.clear();
        g_trace.clear();
        g_keyDowns = 0;
        g_counter = SetWindowsHookExA(WH_GETMESSAGE, CountKeys, nullptr, GetCurrentThreadId());
        previousTrace = SetTraceHook(KeepTrace);
    }
    void TearDown() override {
        SetTraceHook(previousTrace);
        UnhookWindowsHookEx(g_counter);
        if (KeyCaptureInstalled()) {
            RemoveKeyCapture();
        }
        DestroyWindow(window);
    }
    HWND window = nullptr;
    HWND edit = nullptr;
    TraceHook previousTrace = nullptr;
};

} // namespace

TEST_F(KeyCapture, InstalledItTakesEveryKeyAndPostsPressAndReleaseRemovedKeysFlowAgain) {
    ASSERT_TRUE(InstallKeyCapture(window));
    EXPECT_TRUE(KeyCaptureInstalled());
    KeyPress('A');
    KeyPress(VK_LSHIFT);
    ASSERT_TRUE(PumpUntil([] { return g_captured.size() >= 4; })) << g_captured.size();
    ASSERT_TRUE(PumpPosted());
    ASSERT_EQ(4u, g_captured.size());
    EXPECT_EQ(WPARAM('A'), g_captured[0].first);
    EXPECT_EQ(0, g_captured[0].second);
    EXPECT_EQ(WPARAM('A'), g_captured[1].first);
    EXPECT_EQ(kKeyCapturedRelease, g_captured[1].second);
    EXPECT_EQ(WPARAM(VK_LSHIFT), g_captured[2].first);
    EXPECT_EQ(kKeyCapturedRelease, g_captured[3].second);
    // Consumed: no window of the desktop got the keys, so the focused field is still empty.
    EXPECT_EQ(0, g_keyDowns);
    EXPECT_EQ("", TextOf(edit));
    EXPECT_EQ("41\n", g_trace.size() > 1 ? g_trace[1] : "");

    EXPECT_EQ(1, RemoveKeyCapture());
    EXPECT_FALSE(KeyCaptureInstalled());
    EXPECT_EQ("UnHhook: Success \r\n", g_trace.back());
    KeyPress('B');
    ASSERT_TRUE(PumpUntil([&] { return TextOf(edit) == "b"; })) << TextOf(edit);
    EXPECT_EQ(4u, g_captured.size());
    EXPECT_GE(g_keyDowns, 1);

    // A second removal removes nothing and says so.
    EXPECT_EQ(1, RemoveKeyCapture());
    EXPECT_EQ("UnHhook: Fail \r\n", g_trace.back());
}
