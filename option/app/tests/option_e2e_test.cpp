// Option.exe beside the real Monitor.exe and the virtual mouse: one instance, and an Apply that reaches the mouse.

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "common/profile_store.h"
#include "option/app/tests/option_test_support.h"
#include "testing/process.h"
#include "testing/profiles.h"
#include "testing/skin_test_support.h"

namespace {

// Places of the main skin ("BUTTONPOS" centres).
constexpr POINT kProfile3{612, 33};
constexpr POINT kApply{754, 678};

int OptionWindows() {
    int n = 0;
    for (HWND w = nullptr; (w = FindWindowExA(nullptr, w, nullptr, kOptionWindowTitle)) != nullptr;) {
        ++n;
    }
    return n;
}

bool Bluish(COLORREF c) {
    return GetBValue(c) > GetRValue(c) + 40;
}

TEST(OptionEndToEnd, OneInstanceAndProfileThreeAppliedReachesTheMouse) {
    e2e::PointerRegistryGuard registry;
    e2e::DebugOutput debug;
    optiontest::Folder folder;
    ASSERT_TRUE(folder.Ready());
    ASSERT_TRUE(folder.AddOption());
    // Profile 3 holds DPI stages of its own (the reset profile has 2500 DPI at stage 3).
    ShareData data = *DefaultData();
    const int codes[kDpiLevelCount] = {3, 5, 7, 10, 12, 14};
    const char* dpi[kDpiLevelCount] = {"750 DPI", "1250 DPI", "1750 DPI", "3000 DPI", "4000 DPI", "7250 DPI"};
    for (int i = 0; i < kDpiLevelCount; ++i) {
        data.Profile[2].CpiLevel_X[i] = codes[i];
        data.Profile[2].CpiLevel_Y[i] = codes[i];
    }
    data.Profile[2].MouseSpeed = 14;
    ASSERT_EQ(1, SaveAllProfiles(data, folder.Path()));
    folder.WriteMouseMemory(true, 1);

    // "Monitor.exe 1" with the mouse present brings Option up.
    ASSERT_TRUE(folder.StartMonitor("1"));
    ASSERT_TRUE(folder.WaitMonitorReady());
    ASSERT_TRUE(e2e::WaitFor([] { return optiontest::VisibleOptionWindow() != nullptr; }, 20000));
    HWND option = optiontest::VisibleOptionWindow();
    // A second Option ends at once and leaves the one window.
    EXPECT_EQ(0, folder.Run("Option.exe", ""));
    EXPECT_EQ(1, OptionWindows());

    SetForegroundWindow(option);
    ASSERT_TRUE(e2e::WaitFor([&] { return GetForegroundWindow() == option; }, 5000));
    // Wait for Monitor's read-back to end before the edit: its DeviceStateRead refreshes Option from the block, and
    // the read-back ends with command 0x03 four seconds after that message.
    ASSERT_TRUE(optiontest::WaitForReadBackEnd(folder));

    // Profile 3, with a real click; its button turning to the pressed (blue) face tells that the click arrived,
    // which Apply below proves in the files and the mouse.
    POINT p3 = ScreenPoint(option, kProfile3.x, kProfile3.y);
    POINT p3Face = ScreenPoint(option, kProfile3.x - 26, kProfile3.y - 9);
    EXPECT_FALSE(Bluish(ScreenPixel(p3Face)));
    ASSERT_TRUE(ClickUntil(p3, [&] { return debug.Contains("Option profile 2"); }));
    EXPECT_TRUE(e2e::WaitFor([&] { return Bluish(ScreenPixel(p3Face)); }, 2000));

    // Apply: disabled until Monitor has written the mouse and answered.
    POINT apply = ScreenPoint(option, kApply.x, kApply.y);
    HWND applyButton = ChildWindowFromPoint(option, kApply);
    ASSERT_NE(nullptr, applyButton);
    ASSERT_NE(option, applyButton);
    size_t logBefore = folder.Log().size();
    ASSERT_TRUE(ClickUntil(apply, [&] { return debug.Contains("Option Apply, profile 2, to Monitor"); }));
    EXPECT_FALSE(IsWindowEnabled(applyButton));
    ASSERT_TRUE(e2e::WaitFor([&] { return debug.Contains("Option ApplyFinished"); }, 30000));
    ASSERT_TRUE(e2e::WaitFor([&] { return IsWindowEnabled(applyButton) != FALSE; }, 5000));
    EXPECT_EQ(2, folder.ConfigInt("Setting", "CurrentProfile", -1));
    // By the time Option is enabled again, the whole apply-all went to the mouse.
    EXPECT_GT(folder.Log().size(), logBefore);

    std::string dump = folder.MouseDump();
    for (int i = 0; i < kDpiLevelCount; ++i) {
        std::string line = "stage " + std::to_string(i + 1) + ": " + dpi[i];
        EXPECT_NE(std::string::npos, dump.find(line)) << line << "\n" << dump;
    }
    // Files and registry: profile 3 is current, its pointer speed in the system's settings.
    ProfileRecord reg{};
    ReadPointerSettings(reg);
    EXPECT_EQ(14, reg.MouseSpeed);

    // Monitor's end closes Option.
    EXPECT_TRUE(folder.StopMonitor());
    EXPECT_TRUE(e2e::WaitFor([] { return FindWindowA(nullptr, kOptionWindowTitle) == nullptr; }, 10000));
}

// The start-up benchmark runs Option without the mouse: its measured start builds and paints both pages, prints its
// figures and ends by itself. The start's check of the mouse must not put a warning in its way (it used to come
// before or after the measure, and when before, the program waited for an answer nobody gave).
TEST(OptionEndToEnd, AMeasuredStartWithoutTheMouseEndsByItselfWithItsFigures) {
    optiontest::Folder folder;
    ASSERT_TRUE(folder.Ready());
    ASSERT_TRUE(folder.AddOption());
    folder.SetDevice(0);
    for (int round = 0; round < 3; ++round) {
        std::string output;
        RunOptions options;
        options.folder = folder.Path();
        options.limitMs = 20000;
        options.pump = true;
        ASSERT_EQ(0, RunProgram("\"" + folder.File("Option.exe") + "\" --measure-start", &output, options))
            << "round " << round << ": " << output;
        double firstPaint = 0, build = 0, pictures = 0, buttonPage = 0, advancedPage = 0, bothPages = 0;
        ASSERT_EQ(6, std::sscanf(output.c_str(), "%lf %lf %lf %lf %lf %lf", &firstPaint, &build, &pictures, &buttonPage,
                                 &advancedPage, &bothPages))
            << output;
        EXPECT_GT(firstPaint, 0);
        EXPECT_GT(advancedPage, 0);
        EXPECT_GE(bothPages, firstPaint);
        EXPECT_NE(std::string::npos, output.find("start: WinMain")) << output;
    }
}

} // namespace
