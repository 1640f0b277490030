// The macro library's file under Option: every macro it holds survives opening and closing the window, a file that
// was not read whole is never written over (with one warning and a read-only macro editor), and the end of the
// session saves what a close saves.

#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/ini_file.h"
#include "option/app/option_files.h"
#include "option/app/tests/option_test_support.h"
#include "option/macros/macro_files.h"
#include "option/macros/macro_library.h"
#include "testing/macro_records.h"
#include "testing/skin_test_support.h"

using optiontest::OpenThroughWarnings;

namespace {

class MacroLibraryFile : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(folder.Ready()); }
    std::string Path() const { return MacroLibraryPath(folder.Path()); }
    std::string Bytes() const { return folder.Bytes("config\\sequence.dat"); }
    // A sequence file of five macros under the given "number" line (none when empty).
    void WriteFive(const std::string& number) {
        std::string text = "[Macros]\r\n" + number;
        for (int i = 0; i < 5; ++i) {
            const MacroRecord r = TestMacro(("Macro" + std::to_string(i)).c_str(), i + 1, i + 1);
            text += std::to_string(i) + "=" + EncodeStruct(&r, sizeof r) + "\r\n";
        }
        WriteBytes(text);
    }
    void WriteBytes(const std::string& text) {
        HANDLE file = CreateFileA(Path().c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        ASSERT_NE(INVALID_HANDLE_VALUE, file);
        DWORD written = 0;
        WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
        CloseHandle(file);
    }
    std::vector<std::string> LoadedNames() const {
        MacroLibrary library;
        LoadMacroLibrary(library, Path());
        std::vector<std::string> names;
        for (const auto& r : library) {
            names.push_back(MacroNameOf(*r));
        }
        return names;
    }
    // Opens the window on the advanced page; `warnings` is the count of warnings that its start shows.
    MacroEditor& Open(optiontest::Window& w, int warnings) {
        optiontest::WarningRun run = OpenThroughWarnings(w, true);
        if (warnings == 0) {
            EXPECT_EQ(0, run.warnings);
        } else {
            EXPECT_TRUE(run.Clean());
        }
        MainWindow& main = w.Main();
        EXPECT_TRUE(ClickUntil(w.CentreOf(main.Tab(1).Handle()), [&] { return main.ShownPage() == 1; }));
        return main.Advanced().Macros();
    }
    // A click on New that must not open a name line, Apply, and no warning afterwards.
    void ExpectNothingChanges(optiontest::Window& w, MacroEditor& m) {
        for (SkinButton* b : {&m.NewButton(), &m.RecordButton(), &m.ImportButton(), &m.DeleteButton()}) {
            EXPECT_FALSE(b->Enabled());
        }
        EXPECT_TRUE(m.ExportButton().Enabled()); // a way to rescue a macro
        ASSERT_TRUE(ClickAndSettle(w.CentreOf(m.NewButton())));
        EXPECT_FALSE(m.MacroList().Editing());
        const int events = m.Events().count;
        m.NewMacro();
        m.Record();
        m.RunMenuCommand(1020); // a left button press
        EXPECT_FALSE(m.MacroList().Editing());
        EXPECT_FALSE(m.Recording());
        EXPECT_EQ(events, m.Events().count);
        const size_t count = w.Context().macros.size();
        MainWindow& main = w.Main();
        ASSERT_TRUE(
            ClickUntil(w.CentreOf(main.ApplyButton().Handle()), [&] { return debug.Contains("Option Apply"); }));
        EXPECT_TRUE(PumpUntil([&] { return debug.Contains("the macro library was not read whole"); }, 3000));
        PumpPosted();
        EXPECT_EQ(nullptr, optiontest::DialogOverOption(GetCurrentThreadId()));
        EXPECT_EQ(count, w.Context().macros.size());
    }

    e2e::PointerRegistryGuard registry;
    e2e::DebugOutput debug;
    optiontest::Folder folder;
};

} // namespace

// "number" says two, or nothing: all five macros show, and Cancel keeps all five (the save writes them all).
TEST_F(MacroLibraryFile, EveryMacroSurvivesOpeningAndCancelWhateverNumberSays) {
    for (const std::string& number : {std::string("number=2\r\n"), std::string()}) {
        WriteFive(number);
        optiontest::Window w(folder.Path());
        MacroEditor& m = Open(w, 0);
        EXPECT_EQ(5, m.MacroList().Count()) << number;
        EXPECT_TRUE(m.NewButton().Enabled());
        MainWindow& main = w.Main();
        ASSERT_TRUE(ClickUntil(w.CentreOf(main.CancelButton().Handle()), [&] { return w.Closed(); }));
        EXPECT_EQ((std::vector<std::string>{"Macro0", "Macro1", "Macro2", "Macro3", "Macro4"}), LoadedNames())
            << number;
        EXPECT_NE(std::string::npos, Bytes().find("number=5\r\n"));
    }
}

// Held open without sharing by another program while Option starts: nothing loads, one warning says so, the editor
// is read-only, and neither Apply nor the close writes over the file once it is free again.
TEST_F(MacroLibraryFile, AFileHeldWhileOptionStartsStaysByteForByte) {
    WriteFive("number=5\r\n");
    const std::string before = Bytes();
    HANDLE held = CreateFileA(Path().c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, held);
    {
        optiontest::Window w(folder.Path());
        MacroEditor& m = Open(w, 1);
        CloseHandle(held);
        EXPECT_TRUE(w.Main().LibraryWarningShown());
        EXPECT_TRUE(w.Context().macros.empty());
        EXPECT_TRUE(m.ReadOnly());
        ExpectNothingChanges(w, m);
        EXPECT_EQ(before, Bytes());
        ASSERT_TRUE(ClickUntil(w.CentreOf(w.Main().CancelButton().Handle()), [&] { return w.Closed(); }));
    }
    EXPECT_EQ(before, Bytes());
}

// Larger than the read bound (a small one here): what was read shows, and the file stays as it is.
TEST_F(MacroLibraryFile, AFileAboveTheReadBoundIsNotWrittenOver) {
    WriteFive("number=5\r\n");
    const std::string before = Bytes();
    {
        optiontest::Window w(folder.Path());
        MacroEditor* opened = nullptr;
        {
            ScopedReadBounds bounds({before.size() - 300, IniDocument::kMaxLines}); // the last record is cut
            opened = &Open(w, 1);
        }
        MacroEditor& m = *opened;
        EXPECT_EQ(4u, w.Context().macros.size());
        EXPECT_EQ(4, m.MacroList().Count());
        ExpectNothingChanges(w, m);
        EXPECT_EQ(before, Bytes());
    }
    EXPECT_EQ(before, Bytes());
}

// The session ends with Option open: the window is not destroyed, and the new macro and the system's double-click
// time are saved and put back as a close does.
TEST_F(MacroLibraryFile, TheEndOfTheSessionSavesANewMacro) {
    WriteFive("number=5\r\n");
    optiontest::Window w(folder.Path());
    MacroEditor& m = Open(w, 0);
    ASSERT_TRUE(ClickUntil(w.CentreOf(m.NewButton()), [&] { return m.MacroList().Editing(); }));
    for (WORD vk : {'D', 'A', 'S', 'H'}) {
        KeyPress(vk);
    }
    KeyPress(VK_RETURN);
    ASSERT_TRUE(PumpUntil([&] { return w.Context().macros.size() == 6; }, 3000));
    const UINT systemTime = GetDoubleClickTime();
    w.Context().doubleClickToRestore = 432; // as the double-click slider leaves it
    SetDoubleClickTime(610);

    EXPECT_NE(0, SendMessageA(w.Handle(), WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF));
    SendMessageA(w.Handle(), WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF);
    EXPECT_FALSE(w.Closed());
    EXPECT_EQ(432u, GetDoubleClickTime());
    const std::vector<std::string> names = LoadedNames();
    ASSERT_EQ(6u, names.size());
    EXPECT_EQ("dash", names[5]);
    SetDoubleClickTime(systemTime);
}
