#include <windows.h>

#include "common/messages.h"
#include "framework/handles.h"
#include "framework/window.h"
#include "monitor/monitor_wnd.h"

namespace {
constexpr char kInstanceMutexName[] = "Korvane_78_HidHost";
}

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR commandLine, int) {
    const bool openOption = commandLine != nullptr && commandLine[0] == '1';
    KernelHandle instance(CreateMutexA(nullptr, FALSE, kInstanceMutexName));
    if (!instance || GetLastError() == ERROR_ALREADY_EXISTS) {
        if (openOption) {
            if (HWND running = FindWindowA(nullptr, kMonitorWindowTitle)) {
                PostMessageA(running, WM_COMMAND, CmdOpenOption, 0);
            }
        }
        return 0;
    }
    int result = 1;
    {
        CMonitorWnd monitor(openOption);
        // Refused when another Monitor holds the shared block: there is no window then, and nothing to run.
        if (monitor.CreateHidden()) {
            result = RunMessageLoop();
        }
    }
    return result;
}
