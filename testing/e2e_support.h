#pragma once
// What the end-to-end tests need: a fresh program folder with the built programs, Monitor started there, mousectl,
// a stand-in for Option's window that records what it receives, the shared block, and the debugger output of every
// program (a DBWIN listener).

#include <windows.h>

#include "common/profile_record.h"
#include "common/profile_store.h"
#include "framework/handles.h"
#include "testing/files.h"
#include "testing/process.h"
#include "testing/pump.h"
#include "testing/registry.h"
#include "testing/temp_folder.h"

#include <atomic>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace e2e {

// PumpUntil under the name that Option's end-to-end tests use.
inline bool WaitFor(const std::function<bool()>& condition, DWORD timeoutMs) {
    return PumpUntil(condition, timeoutMs);
}

using ::ReadFileText;

// Every OutputDebugStringA line of the programs in this Wine prefix, with the process id. A line that a program wrote
// before a question is asked is among the lines the question sees: the program's OutputDebugStringA returns when the
// line is in the shared buffer, before the listener has taken it, so each question first writes a mark of its own
// and waits until the listener has taken it (writers take turns at the buffer, in order).
class DebugOutput {
public:
    DebugOutput();
    ~DebugOutput();
    bool Listening() const { return listening_; }
    // True when a line of process pid (0: any process) contains the text.
    bool Contains(const std::string& text, DWORD pid = 0) const;
    int Count(const std::string& text, DWORD pid = 0) const;
    // Milliseconds (GetTickCount64) at which the first such line arrived; 0 when none did.
    ULONGLONG ArrivalOf(const std::string& text, DWORD pid = 0) const;
    // Position of the first such line among all lines received, for the order of lines that arrive within the same
    // millisecond; -1 when none did.
    int IndexOf(const std::string& text, DWORD pid = 0) const;

private:
    struct Line {
        DWORD pid;
        ULONGLONG tick;
        std::string text;
    };
    void Run();
    // Waits until every line written before the call has been taken.
    void Settle() const;
    HANDLE buffer_ = nullptr;
    HANDLE bufferReady_ = nullptr;
    HANDLE dataReady_ = nullptr;
    void* view_ = nullptr;
    bool listening_ = false;
    std::atomic<bool> stop_{false};
    std::thread thread_;
    mutable std::mutex lock_;
    mutable std::condition_variable marked_;
    mutable std::atomic<unsigned> marksWritten_{0};
    unsigned marksTaken_ = 0; // under lock_
    std::vector<Line> lines_;
};

// A hidden window with a title of Monitor's partners ("Tarvex Option", an applet's) that records what it receives.
class OptionStandIn {
public:
    explicit OptionStandIn(const char* title = "Tarvex Option");
    ~OptionStandIn();
    HWND Handle() const { return hwnd_; }
    int Count(UINT message) const;

private:
    static LRESULT CALLBACK Proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    HWND hwnd_ = nullptr;
    std::vector<UINT> received_;
};

// Which hiddriver.dll a program folder gets: the virtual mouse (with mousectl), or the transport to the real mouse
// over the platform's HID stack (bin\hidtransport\hiddriver.dll).
enum class Transport { VirtualMouse, HidStack };

// A program folder of its own in the temporary folder, with Monitor, the OSD program, the transport (by default the
// virtual mouse and mousectl), lan.dll, the shipped config.ini and an empty VexelOSD.log; removed at the end.
class ProgramFolder {
public:
    explicit ProgramFolder(Transport transport = Transport::VirtualMouse);
    // A folder that holds the programs already (an installed one): nothing is copied; it is removed at the end too.
    explicit ProgramFolder(const std::string& existingFolder);
    ~ProgramFolder();
    const std::string& Path() const { return folder_.Path(); } // with a trailing backslash
    std::string File(const std::string& name) const { return Path() + name; }
    bool Ready() const { return ready_; }

    // The virtual mouse's memory file: plugged or not, the DPI stage it reports on a read-back.
    void WriteMouseMemory(bool plugged, int selectedStage);

    // Starts "Monitor.exe <arguments>"; the handle is kept for Stop.
    bool StartMonitor(const std::string& arguments = "");
    // Monitor as started; its process handle is empty once StopMonitor saw it end, its id stays.
    const StartedProgram& Monitor() const { return monitor_; }
    DWORD MonitorPid() const { return monitor_.pid; }
    // Waits for "Tarvex Monitor" and, with the virtual mouse, for its control window.
    bool WaitMonitorReady(DWORD timeoutMs = 20000);
    // Waits until the display program's window is the one of this folder's copy: Monitor tells the display program
    // only when its window exists, and it comes up a while after Monitor.
    bool WaitForDisplay(DWORD timeoutMs = 15000) const;
    // WM_CLOSE to Monitor, then waits for it and for every other program of the folder (the OSD program, a copy of it
    // that a button launched, Option) to end: Monitor closes them. False when one had to be ended by force.
    bool StopMonitor();
    // The exit code of the Monitor that StopMonitor saw end (STILL_ACTIVE when it had to be ended).
    DWORD MonitorExitCode() const { return monitorExitCode_; }
    // The processes that run a program file of the folder or of a folder below it.
    std::vector<DWORD> RunningPrograms() const;

    // Runs "<program> <arguments>" in the folder and returns its exit code (-1 when it did not end in time).
    int Run(const std::string& program, const std::string& arguments, DWORD timeoutMs = 20000);
    int Mousectl(const std::string& arguments) { return Run("mousectl.exe", arguments); }

    std::string Log() const { return ReadFileText(File("virtual-mouse.log")); }
    // The virtual mouse's memory as `mousectl dump` shows it; empty when the file is missing or damaged.
    std::string MouseDump() const;
    std::string OsdLog() const { return ReadFileText(File("VexelOSD.log")); }
    int ConfigInt(const char* section, const char* key, int defaultValue) const;
    std::string ConfigString(const char* section, const char* key) const;

private:
    TempFolder folder_;
    Transport transport_ = Transport::VirtualMouse;
    bool ready_ = false;
    StartedProgram monitor_;
    DWORD monitorExitCode_ = STILL_ACTIVE;
};

using ::PointerRegistryGuard;

// The process that owns a window: a handle to await its end, and the program file it runs (empty when the window
// is gone).
struct WindowOwner {
    KernelHandle process;
    std::string program;
    // True when the window belongs to that program file (names compared as the file system does, case-blind).
    bool Runs(const std::string& file) const;
};
WindowOwner OwnerOf(HWND window);

// Right-clicks Monitor's tray icon (its callback message to the window) and waits for the menu to show: the menu
// window, or null when none showed in time.
HWND OpenTrayMenu(HWND monitor, DWORD timeoutMs);
// Waits until no menu window shows.
bool AwaitMenusClosed(DWORD timeoutMs);

// True when the virtual mouse's log holds the end of Monitor's read-back after its start: command 0x03 after the read
// of the stage (an apply-all sends the same command).
bool ReadBackEnded(const std::string& log);

// Whole copies of the shared block, opened for each call.
bool ReadShare(ShareData& out);
bool WriteShare(const ShareData& in);
// True when the block could be read and holds what `test` asks for.
bool BlockHolds(const std::function<bool(const ShareData&)>& test);

// Profile n of the folder's files, reset and then changed by `change`.
template <typename F> void WriteProfile(const ProgramFolder& folder, int n, F change) {
    ProfileRecord record{};
    ResetProfile(record, n);
    change(record);
    WriteProfileFile(record, ProfileFilePath(folder.Path(), n));
}

// The build's bin folder, with a trailing backslash: the tests and benchmarks run from it, beside the programs.
inline std::string BinFolder() {
    return TestProgramFolder();
}

} // namespace e2e
