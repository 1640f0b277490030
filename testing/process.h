#pragma once
// Programs that tests start: the built programs of the bin folder, a child of the test, a second copy of the test
// program itself.

#include <windows.h>

#include "framework/handles.h"

#include <string>

// The folder of the running test program (the build's bin folder), with a trailing backslash.
std::string TestProgramFolder();

// A started program: its process handle (empty when it could not start) and its id.
struct StartedProgram {
    KernelHandle process;
    DWORD pid = 0;

    // True once the program has ended (and when it never started).
    bool Ended() const;
    // Waits up to the time for the program's end, pumping this thread's messages meanwhile so that the test's windows
    // keep answering it; true when it ended.
    bool AwaitEnd(DWORD timeoutMs) const;
    // Its exit code; STILL_ACTIVE while it runs or when it never started.
    DWORD ExitCode() const;
    // Ends the program at once with the exit code, and waits until it has ended.
    void Kill(UINT code) const;
};
// Starts the command line in `folder` (the test's own current folder when empty) with the creation flags. With
// `output`, the program's stdout and stderr go to that handle, which must be inheritable.
StartedProgram StartProgram(const std::string& commandLine, const std::string& folder = {}, DWORD flags = 0,
                            HANDLE output = nullptr);

struct RunOptions {
    DWORD limitMs = 30000;
    std::string folder; // the test's own current folder when empty
    // Pumps this thread's messages while the program runs, so that the test's windows keep answering it. Off for a
    // test that takes what was posted to its window from the queue itself.
    bool pump = false;
};
// Runs a console program to its end: its exit code, or -1 when it could not start or did not end in time (it is
// then ended). With `output`, what it wrote to stdout and stderr; without, it writes to the test's own console.
int RunProgram(const std::string& commandLine, std::string* output = nullptr, const RunOptions& options = {});
