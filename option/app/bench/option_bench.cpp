// option_bench: Option.exe's time from the process's start to its first painted main window, as the median of several
// starts, without and with Monitor running. Run it in a program folder (the build's dist):
//   option_bench [runs]
// Each start is "Option.exe --measure-start", which prints the time, the skin builds and their picture loading, then
// closes itself.

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "common/ini_file.h"
#include "common/messages.h"

namespace {

struct Sample {
    double start = 0, build = 0, pictures = 0;
};

bool RunOption(const std::string& folder, Sample& out) {
    SECURITY_ATTRIBUTES sa{sizeof sa, nullptr, TRUE};
    HANDLE readEnd = nullptr, writeEnd = nullptr;
    if (!CreatePipe(&readEnd, &writeEnd, &sa, 0)) {
        return false;
    }
    SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOA si{};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdOutput = writeEnd;
    si.hStdError = writeEnd;
    PROCESS_INFORMATION pi{};
    std::string command = "\"" + folder + "Option.exe\" --measure-start";
    BOOL started =
        CreateProcessA(nullptr, command.data(), nullptr, nullptr, TRUE, 0, nullptr, folder.c_str(), &si, &pi);
    CloseHandle(writeEnd);
    if (!started) {
        CloseHandle(readEnd);
        return false;
    }
    // Wait for the process, not for the pipe's end: a helper process that Wine starts with the first window of a
    // session inherits the pipe and keeps it open.
    WaitForSingleObject(pi.hProcess, 20000);
    std::string text;
    char buffer[256];
    DWORD available = 0, n = 0;
    while (PeekNamedPipe(readEnd, nullptr, 0, nullptr, &available, nullptr) && available > 0 &&
           ReadFile(readEnd, buffer, sizeof buffer, &n, nullptr) && n > 0) {
        text.append(buffer, n);
    }
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    CloseHandle(readEnd);
    return std::sscanf(text.c_str(), "%lf %lf %lf", &out.start, &out.build, &out.pictures) == 3;
}

double Median(std::vector<double> v) {
    if (v.empty()) {
        return 0;
    }
    std::sort(v.begin(), v.end());
    return v.size() % 2 ? v[v.size() / 2] : (v[v.size() / 2 - 1] + v[v.size() / 2]) / 2;
}

void Series(const std::string& folder, int runs, const char* label) {
    std::vector<double> start, build, pictures;
    for (int i = 0; i < runs; ++i) {
        Sample s;
        if (RunOption(folder, s)) {
            start.push_back(s.start);
            build.push_back(s.build);
            pictures.push_back(s.pictures);
        }
    }
    std::printf("%s: %zu of %d starts measured; median %.1f ms to the first painted main window (goal 250 ms, ratio "
                "%.2f); skin builds %.1f ms, of which pictures %.1f ms\n",
                label, start.size(), runs, Median(start), Median(start) / 250.0, Median(build), Median(pictures));
}

} // namespace

int main(int argc, char** argv) {
    int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 7;
    std::string folder = ProgramFolder();
    // Option warns once when the mouse is missing; the benchmark measures the window, not the warning.
    std::string config = folder + "config.ini";
    WritePrivateProfileStringA("Setting", "Device", "1", config.c_str());
    Series(folder, runs, "without Monitor");

    STARTUPINFOA si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    std::string command = "\"" + folder + "Monitor.exe\"";
    if (!CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(), &si, &pi)) {
        std::printf("Monitor.exe could not be started\n");
        return 1;
    }
    HWND monitor = nullptr;
    for (int i = 0; i < 200 && !(monitor = FindWindowA(nullptr, kMonitorWindowTitle)); ++i) {
        Sleep(50);
    }
    WritePrivateProfileStringA("Setting", "Device", "1", config.c_str());
    Series(folder, runs, monitor ? "with Monitor" : "with Monitor (its window never appeared)");
    if (monitor) {
        PostMessageA(monitor, WM_CLOSE, 0, 0);
    }
    WaitForSingleObject(pi.hProcess, 10000);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return 0;
}
