// option_bench: Option.exe's start against a program that only shows one window (option_bench_window.exe), started
// alternately, N rounds, without and with Monitor running. It prints the medians and their ratios for the first
// painted main window and for both pages created and painted, and the skin builds. Run it in a program folder (the
// build's dist), with option_bench_window.exe beside it:
//   option_bench [rounds]
// Option runs as "Option.exe --measure-start", which prints its figures and closes itself; the reference window prints
// its milliseconds to its first paint, measured the same way.

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

#include "common/ini_file.h"
#include "common/messages.h"
#include "testing/process.h"
#include "testing/pump.h"

namespace {

// The numbers a measured program printed, in order; none when it could not be started.
std::vector<double> RunMeasured(const std::string& folder, const std::string& program, const char* arguments) {
    std::vector<double> numbers;
    std::string text;
    RunProgram("\"" + folder + program + "\" " + arguments, &text, {20000, folder});
    std::istringstream in(text);
    for (double v = 0; in >> v;) {
        numbers.push_back(v);
    }
    return numbers;
}

double Median(std::vector<double> v) {
    if (v.empty()) {
        return 0;
    }
    std::sort(v.begin(), v.end());
    return v.size() % 2 ? v[v.size() / 2] : (v[v.size() / 2 - 1] + v[v.size() / 2]) / 2;
}

double Ratio(double a, double b) {
    return b > 0 ? a / b : 0;
}

// What Option prints: first paint, skin build, pictures, the button page's build, the advanced page's build, both
// pages painted.
enum OptionFigure { kFirstPaint, kBuild, kPictures, kButtonPage, kAdvancedPage, kBothPages, kOptionFigures };

void Series(const std::string& folder, int rounds, const char* label) {
    std::vector<double> option[kOptionFigures], reference;
    for (int i = 0; i < rounds; ++i) {
        // Alternately first, so that neither always starts on a machine the other just left busy.
        for (int turn = 0; turn < 2; ++turn) {
            if ((turn == 0) == (i % 2 == 0)) {
                std::vector<double> v = RunMeasured(folder, "Option.exe", "--measure-start");
                if (v.size() >= kOptionFigures) {
                    for (int f = 0; f < kOptionFigures; ++f) {
                        option[f].push_back(v[f]);
                    }
                }
            } else {
                std::vector<double> v = RunMeasured(folder, "option_bench_window.exe", "");
                if (!v.empty()) {
                    reference.push_back(v[0]);
                }
            }
        }
    }
    const double window = Median(reference);
    const double first = Median(option[kFirstPaint]), pages = Median(option[kBothPages]);
    std::printf("%s: %zu of %d Option starts and %zu of %d window starts measured\n", label, option[kFirstPaint].size(),
                rounds, reference.size(), rounds);
    std::printf("  first painted window: Option %.1f ms, the empty window %.1f ms, ratio %.2f (goal at most 2)\n",
                first, window, Ratio(first, window));
    std::printf("  both pages created and painted: Option %.1f ms, ratio %.2f to the empty window (goal at most 3)\n",
                pages, Ratio(pages, window));
    std::printf("  skin builds %.1f ms (button page %.1f ms, advanced page %.1f ms), of which pictures %.1f ms\n",
                Median(option[kBuild]), Median(option[kButtonPage]), Median(option[kAdvancedPage]),
                Median(option[kPictures]));
    std::fflush(stdout);
}

} // namespace

int main(int argc, char** argv) {
    int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 7;
    std::string folder = ProgramFolder();
    // Option warns once when the mouse is missing; the benchmark measures the window, not the warning.
    std::string config = folder + "config.ini";
    WritePrivateProfileStringA("Setting", "Device", "1", config.c_str());
    Series(folder, rounds, "without Monitor");

    const StartedProgram monitorProgram = StartProgram("\"" + folder + "Monitor.exe\"", folder);
    if (!monitorProgram.process) {
        std::printf("Monitor.exe could not be started\n");
        return 1;
    }
    HWND monitor = nullptr;
    Await([&] { return (monitor = FindWindowA(nullptr, kMonitorWindowTitle)) != nullptr; }, 10000);
    WritePrivateProfileStringA("Setting", "Device", "1", config.c_str());
    Series(folder, rounds, monitor ? "with Monitor" : "with Monitor (its window never appeared)");
    if (monitor) {
        PostMessageA(monitor, WM_CLOSE, 0, 0);
    }
    WaitForSingleObject(monitorProgram.process.get(), 10000);
    return 0;
}
