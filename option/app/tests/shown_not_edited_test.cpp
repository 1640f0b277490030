// What the user did not touch stays as it was: pointer values of random profiles through showing both pages and
// Apply, and the advanced page's background, which moves the main window and never the page inside it.

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "common/profile_store.h"
#include "option/app/tests/option_test_support.h"
#include "testing/profiles.h"
#include "testing/registry.h"
#include "testing/skin_test_support.h"

namespace {

// Five profiles with random pointer values; the first (the active one at the start, whose values Option takes from
// the registry) with values the registry keeps as they are, an odd MouseSpeed and a wheel of 0.
ShareData RandomPointerProfiles(unsigned seed) {
    std::mt19937 random(seed);
    auto pick = [&](int low, int high) { return std::uniform_int_distribution<int>(low, high)(random); };
    ShareData data = *DefaultData();
    for (int i = 0; i < kProfileCount; ++i) {
        ProfileRecord& p = data.Profile[i];
        p.MouseSpeed = 2 * pick(0, 9) + 1; // 1, 3, ..., 19: the slider has no place of its own for these
        p.ScrollWheelSpeed = pick(0, 11);
        p.ScrollWheelFlag = pick(0, 1);
        p.DbleClickSpeed = pick(200, 900);
        p.AccelerationFlag = pick(0, 1);
        p.Acceleration = p.AccelerationFlag ? pick(4, 19) : 0;
        p.Sensitivity_X = pick(1, 20);
        p.Sensitivity_Y = pick(1, 20);
        p.XYSynchronous = pick(0, 1);
    }
    data.Profile[0].MouseSpeed = 3;
    data.Profile[0].ScrollWheelSpeed = 0;
    data.Profile[0].ScrollWheelFlag = 0;
    return data;
}

std::vector<int> PointerFields(const ProfileRecord& p) {
    return {p.MouseSpeed,   p.ScrollWheelSpeed, p.ScrollWheelFlag, p.DbleClickSpeed, p.AccelerationFlag,
            p.Acceleration, p.Sensitivity_X,    p.Sensitivity_Y,   p.XYSynchronous};
}

// Posted notifications of the controls travel in two hops (field to box, box to page): the queue is empty once
// they have all arrived.
bool QueueSettled() {
    return PumpUntil([] { return HIWORD(GetQueueStatus(QS_POSTMESSAGE | QS_TIMER)) == 0; }, 3000);
}

class ShownNotEdited : public ::testing::Test {
protected:
    e2e::PointerRegistryGuard registry;
    optiontest::Folder folder;
};

} // namespace

TEST_F(ShownNotEdited, PointerValuesOfRandomProfilesSurviveShowingBothPagesAndApply) {
    const unsigned seed = 2126;
    std::printf("pointer values from seed %u\n", seed);
    ASSERT_TRUE(folder.Ready());
    const ShareData data = RandomPointerProfiles(seed);
    ASSERT_EQ(1, SaveAllProfiles(data, folder.Path()));
    std::string files[kProfileCount];
    for (int i = 0; i < kProfileCount; ++i) {
        files[i] = folder.Bytes("config\\Default" + std::to_string(i) + ".tvp");
    }

    optiontest::Window w(folder.Path());
    ASSERT_TRUE(w.Open());
    MainWindow& main = w.Main();
    for (int profile : {1, 2, 3, 4, 0}) {
        SCOPED_TRACE("profile " + std::to_string(profile + 1));
        ASSERT_TRUE(ClickUntil(w.CentreOf(main.ProfileButton(profile).Handle()),
                               [&] { return w.Context().working.CurrentProfile == profile; }));
        for (int page : {1, 0, 1}) {
            ASSERT_TRUE(ClickUntil(w.CentreOf(main.Tab(page).Handle()), [&] { return main.ShownPage() == page; }));
            ASSERT_TRUE(QueueSettled());
        }
        // What this profile's Apply must write: the registry values of the profile as it was made.
        WritePointerSettings(data.Profile[profile]);
        const std::vector<std::string> expected = PointerRegistryTexts();
        WritePointerSettings(data.Profile[(profile + 1) % kProfileCount]);
        ASSERT_TRUE(ClickUntil(w.CentreOf(main.ApplyButton().Handle()),
                               [&] { return !main.Busy() && PointerRegistryTexts() == expected; }));
        EXPECT_EQ(expected, PointerRegistryTexts());
        for (int i = 0; i < kProfileCount; ++i) {
            EXPECT_EQ(PointerFields(data.Profile[i]), PointerFields(w.Context().working.Profile[i]))
                << "profile " << i + 1 << " in the working copy";
            EXPECT_EQ(files[i], folder.Bytes("config\\Default" + std::to_string(i) + ".tvp"))
                << "profile " << i + 1 << " in its file";
        }
    }
}

TEST_F(ShownNotEdited, AdvancedPageBackgroundMovesTheMainWindow) {
    ASSERT_TRUE(folder.Ready());
    optiontest::Window w(folder.Path());
    ASSERT_TRUE(w.Open());
    MainWindow& main = w.Main();
    ASSERT_TRUE(ClickUntil(w.CentreOf(main.Tab(1).Handle()), [&] { return main.ShownPage() == 1; }));
    HWND page = main.Advanced().Handle();
    // A place of the page's background, with no control over it.
    POINT inPage{470, 5};
    ASSERT_EQ(page, ChildWindowFromPointEx(page, inPage, CWP_SKIPINVISIBLE));
    POINT from = w.At(page, inPage.x, inPage.y);
    RECT mainBefore{}, pageBefore{};
    GetWindowRect(w.Handle(), &mainBefore);
    GetWindowRect(page, &pageBefore);
    const int dx = 40, dy = 30;
    auto movedBy = [&](int x, int y) {
        RECT now{};
        GetWindowRect(w.Handle(), &now);
        return now.left == mainBefore.left + x && now.top == mainBefore.top + y;
    };
    auto moved = [&] { return movedBy(dx, dy); };
    // The system's move loop runs on this thread and holds the mouse for the main window while it runs.
    const DWORD thread = GetCurrentThreadId();
    auto moving = [&] {
        GUITHREADINFO info{};
        info.cbSize = sizeof info;
        return GetGUIThreadInfo(thread, &info) && info.hwndMoveSize == w.Handle();
    };
    ModalRun run = DriveModalRun(
        w.Handle(),
        [&] {
            return PumpUntil([&] { return moved() && !(GetAsyncKeyState(VK_LBUTTON) & 0x8000); }, 2 * kClickEffectMs);
        },
        [&] {
            // As a hand drags: the pointer rests on the background before the press, the press starts the move loop,
            // and each move waits until the window has followed it.
            MouseMoveTo(from.x, from.y);
            if (WaitForPointer(from.x, from.y)) {
                MouseDown();
                for (int step = 1; step <= 4 && Await(moving, kClickEffectMs); ++step) {
                    const int x = dx * step / 4, y = dy * step / 4;
                    MoveUntil({from.x + x, from.y + y}, [&] { return movedBy(x, y); });
                }
                MouseUp();
            }
        });
    EXPECT_TRUE(run.done);
    EXPECT_TRUE(moved());
    // The page moved with its window, so it still fills the same place of it.
    RECT mainAfter{}, pageAfter{};
    GetWindowRect(w.Handle(), &mainAfter);
    GetWindowRect(page, &pageAfter);
    EXPECT_EQ(pageBefore.left - mainBefore.left, pageAfter.left - mainAfter.left);
    EXPECT_EQ(pageBefore.top - mainBefore.top, pageAfter.top - mainAfter.top);
}
