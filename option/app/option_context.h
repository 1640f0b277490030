#pragma once
// Option's program-wide state: made when the main window is created, used by every window of the program, gone when
// the main window closes. All of it belongs to the user-interface thread.

#include <windows.h>

#include <string>

#include "common/profile_record.h"
#include "common/shared_block.h"
#include "option/macros/macro_files.h"
#include "option/macros/macro_library.h"

// What a page may ask of the main window.
class OptionShell {
public:
    // Shows the working copy again on every page and on the profile buttons.
    virtual void RefreshPages() = 0;
    // Hands the working copy to Monitor, the block, the registry and the files.
    virtual void Apply() = 0;
    // Shows the working copy again on the button page only (after the macros changed).
    virtual void RefreshButtonPage() = 0;

protected:
    ~OptionShell() = default;
};

struct OptionContext {
    std::string programFolder; // ends with a backslash
    SharedBlock block;         // mapped while the main window exists, when Monitor was running at its start
    ShareData shadow{};        // as last read from or written to the block
    ShareData working{};       // what the pages edit; nothing leaves it before Apply
    MacroLibrary macros;
    // How the sequence file was read at the start. Only a file read whole is written over: otherwise the macros that
    // could not be read would be lost, so the library is not saved and the macro editor stays read-only.
    LibraryRead macroFile = LibraryRead::Whole;
    // The most of the sequence file that is read (tests set a smaller bound).
    size_t macroReadLimit = kMaxReadBytes;
    HWND mainWindow = nullptr;
    OptionShell* shell = nullptr;
    // The system's double-click time before the first change the advanced page made since opening or the last
    // Apply; -1 when there is nothing to put back.
    int doubleClickToRestore = -1;

    bool Attached() const { return block.Mapped(); }
    bool MacrosWritable() const { return macroFile == LibraryRead::Whole; }
    // The working copy's active profile, or nullptr while CurrentProfile is outside 0..4.
    ProfileRecord* Active() { return ActiveProfile(working); }
};
