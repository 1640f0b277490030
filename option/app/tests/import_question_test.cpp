// Importing a profile whose buttons start programs: the question first, No leaves everything as it was, Yes imports.

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

#include "common/profile_store.h"
#include "option/app/tests/option_test_support.h"
#include "testing/profiles.h"
#include "testing/screenshot.h"
#include "testing/skin_test_support.h"

namespace {

// The warning skin's OK (Yes) and Cancel (No).
constexpr POINT kYes{138, 233}, kNo{262, 233};

class ImportQuestion : public ::testing::Test {
protected:
    e2e::PointerRegistryGuard registry;
    optiontest::Folder folder;
};

} // namespace

TEST_F(ImportQuestion, AProfileThatStartsProgramsIsImportedOnlyOnYes) {
    ASSERT_TRUE(folder.Ready());
    ShareData data = *DefaultData(1);
    ASSERT_EQ(1, SaveAllProfiles(data, folder.Path()));
    auto incoming = std::make_unique<ProfileRecord>(data.Profile[1]);
    std::strcpy(incoming->ProFileName, "Launcher");
    for (auto [entry, path] :
         {std::pair{3, "C:\\Games\\Aim\\aim.exe"}, {5, "D:\\Tools\\Long Folder Name\\helper.exe"}}) {
        incoming->MacroKey[entry].FunctionCode = 99;
        std::snprintf(incoming->MacroKey[entry].ProgramPath, sizeof incoming->MacroKey[entry].ProgramPath, "%s", path);
    }
    const std::string file = folder.File("launcher.tvp");
    ASSERT_EQ(1, WriteProfileFile(*incoming, file));
    const std::string targetBefore = folder.Bytes("config\\Default1.tvp");

    optiontest::Window w(folder.Path());
    ASSERT_TRUE(w.Open());
    MainWindow& main = w.Main();
    const auto shownBefore = std::make_unique<ProfileRecord>(*w.Context().Active());
    const DWORD thread = GetCurrentThreadId();
    auto answer = [&](POINT button, const char* screenshot) {
        bool imported = false;
        ModalRun run = DriveModalRun(
            w.Handle(),
            [&] {
                imported = main.ImportProfileFrom(file);
                return true;
            },
            [&] {
                HWND question = nullptr;
                if (!Await([&] { return (question = OtherDialogOf(thread, w.Handle())) != nullptr; }, 5000)) {
                    return;
                }
                if (screenshot) {
                    HoldForScreenshot(screenshot);
                }
                ClickToClose(ScreenPoint(question, button.x, button.y), question);
            });
        EXPECT_FALSE(run.rescued);
        return imported;
    };

    // No: the working copy and the profile's file stay as they were.
    EXPECT_FALSE(answer(kNo, nullptr));
    EXPECT_EQ(0, std::memcmp(shownBefore.get(), w.Context().Active(), sizeof(ProfileRecord)));
    EXPECT_EQ(targetBefore, folder.Bytes("config\\Default1.tvp"));

    // Yes: imported, the programs with it.
    EXPECT_TRUE(answer(kYes, "import-question"));
    const ProfileRecord& now = *w.Context().Active();
    EXPECT_STREQ("Launcher", now.ProFileName);
    EXPECT_EQ(99, now.MacroKey[3].FunctionCode);
    EXPECT_STREQ("D:\\Tools\\Long Folder Name\\helper.exe", now.MacroKey[5].ProgramPath);
    EXPECT_NE(targetBefore, folder.Bytes("config\\Default1.tvp"));
    EXPECT_EQ("aim.exe", main.BasicPage().EntryButton(3).Caption());

    // A profile that starts nothing is imported without a question.
    incoming->MacroKey[3].FunctionCode = 7;
    incoming->MacroKey[5].FunctionCode = 7;
    std::strcpy(incoming->ProFileName, "Quiet");
    ASSERT_EQ(1, WriteProfileFile(*incoming, file));
    EXPECT_TRUE(main.ImportProfileFrom(file));
    EXPECT_STREQ("Quiet", w.Context().Active()->ProFileName);
}
