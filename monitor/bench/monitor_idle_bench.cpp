// What Monitor costs while nothing happens: it runs with the virtual mouse present and a window of ours stays in the
// foreground (so that every foreground check finds a program), and the CPU time the system accounts to its process
// over N seconds (from the system's process list) is printed in ticks of 10 ms. Not part of CTest: run
//     wine64 monitor_idle_bench.exe [seconds]
// from the build's bin folder in the build's Wine prefix (default 300 s).
#include <windows.h>
#include <winternl.h>

#include "testing/e2e_support.h"

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {
constexpr DWORD kReadyWaitMs = 30000;
constexpr ULONGLONG kTickMs = 10; // what the process accounting counts in under Wine

// User and kernel time of a process in milliseconds, from the system's process list; false when it is not listed.
// Wine answers GetProcessTimes for another process with the caller's own times; its process list has the right ones.
bool CpuMs(DWORD pid, ULONGLONG& ms) {
    std::vector<char> buffer(1 << 20);
    for (;;) {
        ULONG length = 0;
        const NTSTATUS status = NtQuerySystemInformation(SystemProcessInformation, buffer.data(),
                                                         static_cast<ULONG>(buffer.size()), &length);
        if (status == static_cast<NTSTATUS>(0xC0000004L) && buffer.size() < (1u << 26)) { // STATUS_INFO_LENGTH_MISMATCH
            buffer.resize(buffer.size() * 2);
            continue;
        }
        if (status != 0) {
            return false;
        }
        break;
    }
    for (size_t at = 0; at + sizeof(SYSTEM_PROCESS_INFORMATION) <= buffer.size();) {
        const auto* entry = reinterpret_cast<const SYSTEM_PROCESS_INFORMATION*>(buffer.data() + at);
        if (reinterpret_cast<ULONG_PTR>(entry->UniqueProcessId) == pid) {
            ms = static_cast<ULONGLONG>(entry->UserTime.QuadPart + entry->KernelTime.QuadPart) / 10000;
            return true;
        }
        if (entry->NextEntryOffset == 0) {
            break;
        }
        at += entry->NextEntryOffset;
    }
    return false;
}
} // namespace

int main(int argc, char** argv) {
    const int seconds = argc > 1 ? std::atoi(argv[1]) : 300;
    if (seconds <= 0) {
        std::fprintf(stderr, "usage: monitor_idle_bench [seconds]\n");
        return 2;
    }
    e2e::ProgramFolder folder;
    if (!folder.Ready()) {
        std::fprintf(stderr, "monitor_idle_bench: the programs were not found beside the benchmark\n");
        return 1;
    }
    folder.WriteMouseMemory(true, 2);
    if (!folder.StartMonitor() || !folder.WaitMonitorReady(kReadyWaitMs)) {
        std::fprintf(stderr, "monitor_idle_bench: Monitor did not start\n");
        return 1;
    }
    // Start-up is over once the read-back has ended with command 0x03 (four seconds after it read the stage).
    if (!PumpUntil([&] { return folder.Log().find("SET 03 00 0F D8 40 00 00 D5") != std::string::npos; },
                   kReadyWaitMs)) {
        std::fprintf(stderr, "monitor_idle_bench: the read-back did not end\n");
        return 1;
    }
    HWND front = CreateWindowExA(0, "STATIC", "idle", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 40, 40, 300, 200, nullptr,
                                 nullptr, GetModuleHandleA(nullptr), nullptr);
    SetForegroundWindow(front);
    PumpFor(3000); // the OSD program and the tray settle

    ULONGLONG before = 0;
    if (!CpuMs(folder.MonitorPid(), before)) {
        std::fprintf(stderr, "monitor_idle_bench: Monitor is not in the process list\n");
        return 1;
    }

    const ULONGLONG start = GetTickCount64();
    PumpUntil(
        [&] {
            if (GetForegroundWindow() != front) {
                SetForegroundWindow(front);
            }
            return GetTickCount64() - start >= static_cast<ULONGLONG>(seconds) * 1000;
        },
        static_cast<DWORD>(seconds) * 1000 + 1000);
    ULONGLONG after = 0;
    const bool listed = CpuMs(folder.MonitorPid(), after);
    const bool running = !folder.Monitor().Ended();
    DestroyWindow(front);
    folder.StopMonitor();
    if (!running || !listed) {
        std::fprintf(stderr, "monitor_idle_bench: Monitor ended during the run\n");
        return 1;
    }
    const ULONGLONG used = after - before;
    const double ticks = static_cast<double>(used) / kTickMs;
    std::printf("Monitor's CPU before the run (its start): %llu ms\n", before);
    std::printf("Monitor idle with the mouse present, %d s: %llu ms of CPU = %.0f ticks of %llu ms, %.2f ticks per "
                "minute (goal: at most 1)\n",
                seconds, used, ticks, kTickMs, ticks * 60.0 / seconds);
    return 0;
}
