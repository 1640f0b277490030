// The macro page never keeps the keyboard and never edits what it no longer shows: a recording beside a dialog that
// captures keys too, a recording left by a page switch, and in-place edits whose lists change under them.

#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "option/app/option_files.h"
#include "option/app/tests/option_test_support.h"
#include "option/macros/macro_files.h"
#include "option/macros/macro_library.h"
#include "option/pages/shortcut_dialog.h"
#include "option/skin/key_capture_hook.h"
#include "testing/macro_records.h"
#include "testing/skin_test_support.h"

namespace {

class MacroCapture : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(folder.Ready()); }
    void SaveMacros(const std::vector<MacroRecord>& records) {
        MacroLibrary library;
        for (const MacroRecord& r : records) {
            library.push_back(std::make_unique<MacroRecord>(r));
        }
        ASSERT_TRUE(SaveMacroLibrary(library, MacroLibraryPath(folder.Path())));
    }
    MacroEditor& Open(optiontest::Window& w) {
        EXPECT_TRUE(w.Open());
        MainWindow& main = w.Main();
        EXPECT_TRUE(ClickUntil(w.CentreOf(main.Tab(1).Handle()), [&] { return main.ShownPage() == 1; }));
        return main.Advanced().Macros();
    }
    static std::vector<std::string> Lines(EditableList& list) {
        std::vector<std::string> lines;
        for (int i = 0; i < list.Count(); ++i) {
            lines.push_back(list.Text(i));
        }
        return lines;
    }
    static std::vector<std::string> Names(const MacroLibrary& library) {
        std::vector<std::string> names;
        for (const auto& r : library) {
            names.push_back(MacroNameOf(*r));
        }
        return names;
    }

    e2e::PointerRegistryGuard registry;
    optiontest::Folder folder;
};

// An edit field in a window of its own: what a key reaches when no capture keeps it.
class OtherWindow {
public:
    OtherWindow() {
        edit_ = CreateWindowExA(WS_EX_TOPMOST, "EDIT", "", WS_POPUP | WS_VISIBLE | WS_BORDER, 10, 730, 200, 24, nullptr,
                                nullptr, GetModuleHandleA(nullptr), nullptr);
    }
    ~OtherWindow() { DestroyWindow(edit_); }
    // Focuses the field and types the key; true when the field shows it.
    bool Receives(WORD vk) {
        SetForegroundWindow(edit_);
        SetFocus(edit_);
        if (!PumpUntil([&] { return GetForegroundWindow() == edit_ && GetFocus() == edit_; })) {
            return false;
        }
        std::string before = TextOf(edit_);
        KeyPress(vk);
        return PumpUntil([&] { return TextOf(edit_).size() > before.size(); }, 3000);
    }

private:
    HWND edit_ = nullptr;
};

} // namespace

TEST_F(MacroCapture, ADialogBesideARecordingAndAPageSwitchLeaveNoCaptureBehind) {
    SaveMacros({TestMacro("Burst", 2, 1)});
    optiontest::Window w(folder.Path());
    MacroEditor& m = Open(w);
    MainWindow& main = w.Main();
    ASSERT_EQ(0, m.ShownIndex());

    // Recording; then a dialog that captures keys for itself opens over it and is cancelled.
    ASSERT_TRUE(ClickUntil(w.CentreOf(m.RecordButton()), [&] { return m.Recording(); }));
    ASSERT_TRUE(KeyCaptureInstalled());
    optiontest::WarningRun dialog = optiontest::ClickThroughDialog(
        [&] {
            ShortcutDialog shortcut(0, {});
            shortcut.Show(w.Handle());
        },
        {262, 243}, [] { return true; });
    EXPECT_TRUE(dialog.Clean());
    // The recording has the keys again.
    ASSERT_TRUE(m.Recording());
    EXPECT_TRUE(KeyCaptureInstalled());
    SetForegroundWindow(w.Handle());
    KeyPress('Q');
    EXPECT_TRUE(PumpUntil([&] { return m.Events().count == 2; }, 3000)) << m.Events().count;

    // Stop: nothing captures any more, a key typed into another program's field arrives there.
    ASSERT_TRUE(ClickUntil(w.CentreOf(m.StopButton()), [&] { return !m.Recording(); }));
    EXPECT_FALSE(KeyCaptureInstalled());
    OtherWindow other;
    EXPECT_TRUE(other.Receives('Z'));

    // A recording left for the basic page ends there, keeping what it recorded.
    SetForegroundWindow(w.Handle());
    ASSERT_TRUE(PumpUntil([&] { return GetForegroundWindow() == w.Handle(); }));
    ASSERT_TRUE(ClickUntil(w.CentreOf(m.RecordButton()), [&] { return m.Recording(); }));
    KeyPress('R');
    ASSERT_TRUE(PumpUntil([&] { return m.Events().count == 2; }, 3000)) << m.Events().count;
    ASSERT_TRUE(ClickUntil(w.CentreOf(main.Tab(0).Handle()), [&] { return main.ShownPage() == 0; }));
    EXPECT_FALSE(m.Recording());
    EXPECT_FALSE(KeyCaptureInstalled());
    EXPECT_EQ(2, MacroAt(w.Context().macros, 0)->EventCount);
    EXPECT_TRUE(other.Receives('Y'));
}

TEST_F(MacroCapture, EditsEndBeforeTheirListsChange) {
    SaveMacros({TestMacro("Alpha", 4, 1), TestMacro("Bravo", 4, 2), TestMacro("Charlie", 4, 3)});
    optiontest::Window w(folder.Path());
    MacroEditor& m = Open(w);
    MacroLibrary& library = w.Context().macros;
    ASSERT_EQ(3u, library.size());
    const uint16_t alphaPause = library[0]->Events[0].Delay;

    // A pause of Bravo being edited when Alpha is chosen: the edit ends into Bravo's step, and Enter later writes
    // nothing anywhere.
    ASSERT_TRUE(ClickUntil(ListLinePoint(m.MacroList().Handle(), 1), [&] { return m.ShownIndex() == 1; }));
    m.EventList().Select(1);
    ASSERT_EQ(kPauseIcon, m.EventList().ItemData(1) & 0xFFFF);
    m.RunMenuCommand(1004);
    ASSERT_TRUE(m.EventList().Editing());
    SetWindowTextA(m.EventList().EditBox(), "777");
    ASSERT_TRUE(ClickUntil(ListLinePoint(m.MacroList().Handle(), 0), [&] { return m.ShownIndex() == 0; }));
    EXPECT_FALSE(m.EventList().Editing());
    EXPECT_EQ(777, library[1]->Events[0].Delay);
    KeyPress(VK_RETURN);
    PumpUntil([] { return HIWORD(GetQueueStatus(QS_ALLINPUT)) == 0; }, 2000);
    EXPECT_EQ(alphaPause, library[0]->Events[0].Delay);
    EXPECT_EQ(alphaPause, m.Events().events[0].Delay);

    // Delete while a new name is being typed: the name goes, the selected macro goes, and list and library still
    // name the same macros line by line, so the next delete hits the macro it shows.
    ASSERT_EQ(0, m.MacroList().Selected());
    ASSERT_TRUE(ClickUntil(w.CentreOf(m.NewButton()), [&] { return m.MacroList().Editing(); }));
    KeyPress('X');
    ASSERT_TRUE(PumpUntil([&] { return TextOf(m.MacroList().EditBox()) == "x"; })) << TextOf(m.MacroList().EditBox());
    EXPECT_TRUE(optiontest::ClickThroughWarning(w.CentreOf(m.DeleteButton()), true, [&] {
                    return library.size() == 2;
                }).Clean());
    EXPECT_FALSE(m.MacroList().Editing());
    EXPECT_EQ((std::vector<std::string>{"Bravo", "Charlie"}), Names(library));
    EXPECT_EQ(Names(library), Lines(m.MacroList()));
    ASSERT_TRUE(ClickUntil(ListLinePoint(m.MacroList().Handle(), 1), [&] { return m.ShownIndex() == 1; }));
    EXPECT_TRUE(optiontest::ClickThroughWarning(w.CentreOf(m.DeleteButton()), true, [&] {
                    return library.size() == 1;
                }).Clean());
    EXPECT_EQ((std::vector<std::string>{"Bravo"}), Names(library));
    EXPECT_EQ(Names(library), Lines(m.MacroList()));
}
