// The macro selection dialog run modally and driven with real input: the menu of the library, the option buttons,
// and the keys it ignores.
#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <cstring>

#include "option/macros/select_macro_dialog.h"
#include "testing/skin_test_support.h"

namespace {

MacroLibrary ThreeMacros() {
    MacroLibrary library;
    for (const char* name : {"Aim", "  Burst ", "Crouch"}) {
        auto r = NewMacroRecord("x");
        std::memset(r->Name, 0, sizeof r->Name);
        std::strcpy(r->Name, name);
        library.push_back(std::move(r));
    }
    return library;
}

} // namespace

TEST(SelectMacroDialog, MenuListsTheLibraryTrimmedAndTheChoiceAndOptionComeBackOnOk) {
    UseBuildSkins();
    MacroLibrary library = ThreeMacros();
    SelectMacroDialog dialog(library, 0, -1);
    INT_PTR result = 0;
    std::atomic<int> items{-1}, firstId{-1}, lastId{-1};
    std::atomic<bool> openAfterKeys{false};
    std::atomic<bool> onlyThirdChecked{false};
    std::string captionAtOpen = "unset", caption;
    DWORD thread = GetCurrentThreadId();
    ModalRun run = RunDriven(
        [&] { result = dialog.Show(nullptr); },
        [&](HWND window) {
            captionAtOpen = dialog.MacroButton().Caption();
            // Enter, Escape and Space neither close the dialog nor click a button .
            POINT third = CentreOf(dialog.OptionButton(2).Handle());
            ClickUnlessArrived(third, [&] { return dialog.MacroOption() == 2; });
            // The focus on the first option button: a Space that got through would choose option 0.
            PostMessageA(window, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(dialog.OptionButton(0).Handle()), TRUE);
            Await([&] { return FocusOf(window) == dialog.OptionButton(0).Handle(); });
            KeyPress(VK_RETURN);
            KeyPress(VK_ESCAPE);
            KeyPressHandled(window, VK_SPACE);
            openAfterKeys = IsWindowVisible(window) != FALSE;
            onlyThirdChecked = !dialog.OptionButton(0).Checked() && !dialog.OptionButton(1).Checked() &&
                               dialog.OptionButton(2).Checked() && dialog.MacroOption() == 2;

            POINT opener = CentreOf(dialog.MacroButton().Handle());
            HWND menuWindow = nullptr;
            if (!ClickUnlessArrived(opener, [&] { return (menuWindow = MenuWindowOf(thread)) != nullptr; })) {
                return;
            }
            HMENU menu = reinterpret_cast<HMENU>(SendMessageA(menuWindow, MN_GETHMENU, 0, 0));
            items = GetMenuItemCount(menu);
            firstId = static_cast<int>(GetMenuItemID(menu, 0));
            lastId = static_cast<int>(GetMenuItemID(menu, 2));
            RECT item{};
            GetMenuItemRect(nullptr, menu, 1, &item);
            POINT second{(item.left + item.right) / 2, (item.top + item.bottom) / 2};
            HoverMenuItem(menu, 1);
            ClickToClose(second, menuWindow);
            Await([&] { return dialog.ChosenIndex() == 1; });
            caption = dialog.MacroButton().Caption();
            RECT w{};
            GetWindowRect(window, &w);
            // The OK pill: "1" of the skin (84, 250, 108 x 30).
            ClickToClose({w.left + 138, w.top + 265}, window);
        });
    EXPECT_FALSE(run.rescued);
    EXPECT_EQ(IDOK, result);
    EXPECT_TRUE(openAfterKeys);
    EXPECT_TRUE(onlyThirdChecked);
    EXPECT_EQ("", captionAtOpen);
    EXPECT_EQ(3, items.load());
    EXPECT_EQ(1200, firstId.load());
    EXPECT_EQ(1202, lastId.load());
    EXPECT_EQ("Burst", caption);
    EXPECT_EQ(1, dialog.ChosenIndex());
    EXPECT_EQ(2, dialog.MacroOption());
}

TEST(SelectMacroDialog, APreselectedMacroShowsItsNameAndOkWithoutAChoiceGivesNone) {
    UseBuildSkins();
    MacroLibrary library = ThreeMacros();
    {
        SelectMacroDialog dialog(library, 1, 2);
        INT_PTR result = 0;
        std::string caption = "unset";
        std::atomic<bool> secondChecked{false};
        ModalRun run = RunDriven([&] { result = dialog.Show(nullptr); },
                                 [&](HWND window) {
                                     caption = dialog.MacroButton().Caption();
                                     secondChecked =
                                         dialog.OptionButton(1).Checked() && !dialog.OptionButton(0).Checked();
                                     RECT w{};
                                     GetWindowRect(window, &w);
                                     ClickToClose({w.left + 262, w.top + 265}, window); // Cancel
                                 });
        EXPECT_FALSE(run.rescued);
        EXPECT_EQ(IDCANCEL, result);
        EXPECT_EQ("Crouch", caption);
        EXPECT_TRUE(secondChecked);
    }
    // Without a choice OK reports no macro (the page then gives the button its default function).
    SelectMacroDialog dialog(library, 0, -1);
    INT_PTR result = 0;
    ModalRun run = RunDriven([&] { result = dialog.Show(nullptr); },
                             [&](HWND window) {
                                 RECT w{};
                                 GetWindowRect(window, &w);
                                 ClickToClose({w.left + 138, w.top + 265}, window);
                             });
    EXPECT_FALSE(run.rescued);
    EXPECT_EQ(IDOK, result);
    EXPECT_EQ(0, dialog.MacroOption());
    EXPECT_EQ(-1, dialog.ChosenIndex());
}
