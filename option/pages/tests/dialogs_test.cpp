// The shortcut, fire button and colour dialogs run modally and driven with real input: keys through the real
// keyboard hook, clicks and typing through SendInput.
#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <string>

#include "common/key_tables.h"
#include "option/pages/colour_dialog.h"
#include "option/pages/fire_button_dialog.h"
#include "option/pages/shortcut_dialog.h"
#include "option/skin/key_capture_hook.h"
#include "testing/skin_test_support.h"

namespace {

// Key messages this thread's windows take from the queue while a dialog captures keys.
std::atomic<int> g_keyMessages{0};
HHOOK g_counter = nullptr;
LRESULT CALLBACK CountKeys(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HC_ACTION && wParam == PM_REMOVE) {
        auto* msg = reinterpret_cast<MSG*>(lParam);
        if (msg->message == WM_KEYDOWN || msg->message == WM_KEYUP) {
            ++g_keyMessages;
        }
    }
    return CallNextHookEx(g_counter, code, wParam, lParam);
}

void TypeText(const char* text) {
    for (const char* c = text; *c; ++c) {
        KeyPress(static_cast<WORD>(*c));
    }
}

// Empties the edit box with the focus (End, then Backspace over its text).
void ClearFocusedBox(int length) {
    KeyPress(VK_END);
    for (int i = 0; i < length; ++i) {
        KeyPress(VK_BACK);
    }
}

POINT WindowPoint(HWND window, int x, int y) {
    RECT r{};
    GetWindowRect(window, &r);
    return {r.left + x, r.top + y};
}

class PageDialogs : public ::testing::Test {
protected:
    void SetUp() override {
        UseBuildSkins();
        g_keyMessages = 0;
        g_counter = SetWindowsHookExA(WH_GETMESSAGE, CountKeys, nullptr, GetCurrentThreadId());
    }
    void TearDown() override {
        UnhookWindowsHookEx(g_counter);
        MouseMoveTo(2, 700);
    }
};

} // namespace

TEST_F(PageDialogs, ShortcutTakesTheLastKeyThroughTheHookAndTheModifiersFromItsButtons) {
    std::array<bool, 5> flags{false, false, false, false, false};
    ShortcutDialog dialog(0x04, flags); // A
    INT_PTR result = 0;
    std::string title, keyAtOpen, keyAfter;
    std::atomic<bool> othersDisabled{false}, othersEnabledAgain{false};
    ModalRun run = RunDriven(
        [&] { result = dialog.Show(nullptr); },
        [&](HWND window) {
            title = TextOf(window);
            keyAtOpen = TextOf(dialog.KeyBox());
            // Ctrl pressed and released, then C: the key is that of the last key event.
            KeyPress(VK_CONTROL);
            KeyPress('C');
            Await([&] { return dialog.Key() == 0x06; });
            keyAfter = TextOf(dialog.KeyBox());
            // Key alone switches the four modifiers off; switching it off again frees them.
            POINT alone = CentreOf(dialog.Modifier(0).Handle());
            ClickUnlessArrived(alone, [&] { return dialog.Flags()[0]; });
            othersDisabled = Await([&] {
                return !IsWindowEnabled(dialog.Modifier(1).Handle()) && !IsWindowEnabled(dialog.Modifier(4).Handle());
            });
            ClickUnlessArrived(alone, [&] { return !dialog.Flags()[0]; });
            othersEnabledAgain = Await([&] { return IsWindowEnabled(dialog.Modifier(1).Handle()) != FALSE; });
            ClickUnlessArrived(CentreOf(dialog.Modifier(1).Handle()), [&] { return dialog.Flags()[1]; });
            ClickUnlessArrived(CentreOf(dialog.Modifier(2).Handle()), [&] { return dialog.Flags()[2]; });
            ClickToClose(WindowPoint(window, 138, 243), window); // OK
        });
    EXPECT_FALSE(run.rescued);
    EXPECT_EQ(IDOK, result);
    EXPECT_EQ("Shortcut Dialog", title);
    EXPECT_EQ(KeyName('A'), keyAtOpen);
    EXPECT_EQ(KeyName('C'), keyAfter);
    EXPECT_EQ(0x06, dialog.Key());
    EXPECT_TRUE(othersDisabled);
    EXPECT_TRUE(othersEnabledAgain);
    std::array<bool, 5> expected{false, true, true, false, false};
    EXPECT_EQ(expected, dialog.Flags());
    // Every keystroke went to the hook; no window of the desktop saw one. The hook is gone with the dialog.
    EXPECT_EQ(0, g_keyMessages.load());
    EXPECT_FALSE(KeyCaptureInstalled());
}

TEST_F(PageDialogs, ShortcutOpensWithFlagZeroAndCancelEnds) {
    ShortcutDialog dialog(0x00, {true, true, false, false, true});
    INT_PTR result = 0;
    std::atomic<bool> look{false};
    std::string keyAtOpen = "unset";
    ModalRun run = RunDriven([&] { result = dialog.Show(nullptr); },
                             [&](HWND window) {
                                 keyAtOpen = TextOf(dialog.KeyBox());
                                 look = dialog.Modifier(0).Checked() && !IsWindowEnabled(dialog.Modifier(1).Handle());
                                 ClickToClose(WindowPoint(window, 375, 25), window); // close button
                             });
    EXPECT_FALSE(run.rescued);
    EXPECT_EQ(IDCANCEL, result);
    EXPECT_EQ("", keyAtOpen);
    EXPECT_TRUE(look);
    EXPECT_FALSE(KeyCaptureInstalled());
}

TEST_F(PageDialogs, FireCapturesOnlyInTheKeyBoxAndCorrectsTheValuesOnFocusLoss) {
    FireButtonDialog dialog(0x04, 0, 5);
    INT_PTR result = 0;
    std::string title, aAtOpen, bAtOpen, keyAfterShift, bAfterThree, bAfter300, aAfter;
    std::atomic<bool> hookAtOpen{false}, hookInValueBox{true}, hookBackInKeyBox{false};
    std::atomic<int> keyAfterShiftUsage{-1};
    ModalRun run = RunDriven(
        [&] { result = dialog.Show(nullptr); },
        [&](HWND window) {
            title = TextOf(window);
            aAtOpen = TextOf(dialog.ValueABox());
            bAtOpen = TextOf(dialog.ValueBBox());
            hookAtOpen = KeyCaptureInstalled();
            KeyPress(VK_LSHIFT);
            Await([&] { return dialog.Key() == 0xE1; });
            keyAfterShiftUsage = dialog.Key();
            keyAfterShift = TextOf(dialog.KeyBox());
            // Into the interval box: the hook goes, typed digits reach the box.
            ClickUnlessArrived(CentreOf(dialog.ValueBBox()), [] { return !KeyCaptureInstalled(); });
            hookInValueBox = KeyCaptureInstalled();
            ClearFocusedBox(3);
            TypeText("3");
            Await([&] { return TextOf(dialog.ValueBBox()) == "3"; });
            // Leaving it lifts 3 to 5.
            ClickUnlessArrived(CentreOf(dialog.ValueABox()), [&] { return TextOf(dialog.ValueBBox()) == "5"; });
            bAfterThree = TextOf(dialog.ValueBBox());
            ClickUnlessArrived(CentreOf(dialog.ValueBBox()), [&] { return FocusOf(window) == dialog.ValueBBox(); });
            ClearFocusedBox(3);
            TypeText("300");
            Await([&] { return TextOf(dialog.ValueBBox()) == "300"; });
            ClickUnlessArrived(CentreOf(dialog.KeyBox()), [] { return KeyCaptureInstalled(); });
            hookBackInKeyBox = KeyCaptureInstalled();
            Await([&] { return TextOf(dialog.ValueBBox()) == "255"; });
            bAfter300 = TextOf(dialog.ValueBBox());
            aAfter = TextOf(dialog.ValueABox());
            ClickToClose(WindowPoint(window, 138, 297), window); // OK
        });
    EXPECT_FALSE(run.rescued);
    EXPECT_EQ(IDOK, result);
    EXPECT_EQ("FireClick Dialog", title);
    EXPECT_EQ("0", aAtOpen); // a button without the fire function opens with 0 and 5
    EXPECT_EQ("5", bAtOpen);
    EXPECT_TRUE(hookAtOpen);
    EXPECT_EQ(0xE1, keyAfterShiftUsage.load());
    EXPECT_EQ(KeyName(VK_LSHIFT), keyAfterShift);
    EXPECT_FALSE(hookInValueBox);
    EXPECT_EQ("5", bAfterThree);
    EXPECT_TRUE(hookBackInKeyBox);
    EXPECT_EQ("255", bAfter300);
    EXPECT_EQ("0", aAfter);
    EXPECT_EQ(0xE1, dialog.Key());
    EXPECT_EQ(0, dialog.ValueA());
    EXPECT_EQ(255, dialog.ValueB());
    EXPECT_FALSE(KeyCaptureInstalled());
}

TEST_F(PageDialogs, FireOkAppliesTheRangesToAValueTypedJustBefore) {
    FireButtonDialog dialog(0x05, 12, 40);
    INT_PTR result = 0;
    std::string aAtOpen, bAtOpen;
    ModalRun run =
        RunDriven([&] { result = dialog.Show(nullptr); },
                  [&](HWND window) {
                      aAtOpen = TextOf(dialog.ValueABox());
                      bAtOpen = TextOf(dialog.ValueBBox());
                      ClickUnlessArrived(CentreOf(dialog.ValueBBox()), [] { return !KeyCaptureInstalled(); });
                      ClearFocusedBox(3);
                      TypeText("2");
                      Await([&] { return TextOf(dialog.ValueBBox()) == "2"; });
                      ClickToClose(WindowPoint(window, 138, 297), window); // OK at once
                  });
    EXPECT_FALSE(run.rescued);
    EXPECT_EQ(IDOK, result);
    EXPECT_EQ("12", aAtOpen);
    EXPECT_EQ("40", bAtOpen);
    EXPECT_EQ(12, dialog.ValueA());
    EXPECT_EQ(5, dialog.ValueB());
    EXPECT_EQ(0x05, dialog.Key());
}

TEST_F(PageDialogs, ColourBoxesPaletteAndPreview) {
    EXPECT_EQ(0x8000FFu, WithComponent(0x0000FF, 402, 128));
    EXPECT_EQ(0x0000FFu, WithComponent(0x0000FF, 403, 128));

    ColourDialog dialog(0x00FF00);
    INT_PTR result = 0;
    std::atomic<int> red{-1}, green{-1}, blue{-1};
    std::atomic<COLORREF> afterBlue{CLR_INVALID}, previewAfterBlue{CLR_INVALID}, picked{CLR_INVALID},
        expectedPick{CLR_INVALID}, boxesAfterPick{CLR_INVALID};
    ModalRun run = RunDriven(
        [&] { result = dialog.Show(nullptr); },
        [&](HWND window) {
            red = dialog.Box(0).Value();
            green = dialog.Box(1).Value();
            blue = dialog.Box(2).Value();
            // Blue box to 128 by typing and Enter.
            ClickUnlessArrived(CentreOf(dialog.Box(2).Box()), [&] { return FocusOf(window) == dialog.Box(2).Box(); });
            ClearFocusedBox(3);
            TypeText("128");
            KeyPress(VK_RETURN);
            Await([&] { return dialog.Colour() == 0x80FF00; });
            afterBlue = dialog.Colour();
            RECT preview = dialog.Preview();
            POINT middle{(preview.left + preview.right) / 2, (preview.top + preview.bottom) / 2};
            ClientToScreen(window, &middle);
            Await([&] { return ScreenPixel(middle) == 0x80FF00; }, 1500);
            previewAfterBlue = ScreenPixel(middle);
            // A click in the palette takes the colour under the pointer.
            RECT palette = dialog.Palette();
            POINT at{palette.left + 60, palette.top + 70};
            expectedPick = FilePixel(SkinFolder() + "dpi_color_normal.bmp", at.x, at.y);
            POINT screen = at;
            ClientToScreen(window, &screen);
            ClickUnlessArrived(screen, [&] { return dialog.Colour() == expectedPick; });
            picked = dialog.Colour();
            Await([&] {
                return static_cast<COLORREF>(
                           RGB(dialog.Box(0).Value(), dialog.Box(1).Value(), dialog.Box(2).Value())) == picked;
            });
            boxesAfterPick = RGB(dialog.Box(0).Value(), dialog.Box(1).Value(), dialog.Box(2).Value());
            ClickToClose(WindowPoint(window, 262, 251), window); // Cancel
        });
    EXPECT_FALSE(run.rescued);
    EXPECT_EQ(IDCANCEL, result);
    EXPECT_EQ(0, red.load());
    EXPECT_EQ(255, green.load());
    EXPECT_EQ(0, blue.load());
    EXPECT_EQ(0x80FF00u, afterBlue.load());
    EXPECT_EQ(0x80FF00u, previewAfterBlue.load());
    ASSERT_NE(CLR_INVALID, expectedPick.load());
    EXPECT_NE(0x80FF00u, expectedPick.load());
    EXPECT_EQ(expectedPick.load(), picked.load());
    EXPECT_EQ(picked.load(), boxesAfterPick.load());
}
