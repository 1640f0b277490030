// The built hiddriver.dll, loaded from a copy in a temporary folder the way the host loads it, and mousectl.exe run
// as a separate process against it.
#include <windows.h>

#include "testing/files.h"
#include "testing/process.h"
#include "testing/temp_folder.h"
#include "testing/text_lines.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <optional>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

namespace {

// The host's message numbers for the two notifications, handed to Open_DevMonitor.
constexpr UINT kDeviceEvent = WM_USER + 301;
constexpr UINT kDevicePresence = WM_USER + 302;

using NoArgs = int (*)();
using TwoInts = int (*)(int, int);
using OpenMonitor = int (*)(HWND, UINT, UINT);
using Buffer = int (*)(unsigned char*, int);

struct RunResult {
    DWORD exitCode = 0xFFFFFFFF;
    std::string output; // stdout and stderr together
};

RunResult RunMousectl(const std::string& arguments) {
    RunResult result;
    result.exitCode =
        static_cast<DWORD>(RunProgram("\"" + TestProgramFolder() + "mousectl.exe\" " + arguments, &result.output));
    return result;
}

class VirtualMouseDll : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(temp_.CopyFrom(TestProgramFolder() + "hiddriver.dll", "hiddriver.dll"));
        window_ =
            CreateWindowExA(0, "STATIC", "vmouse test host", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
        ASSERT_NE(nullptr, window_);
        Load();
    }

    void TearDown() override {
        Unload();
        if (window_) {
            DestroyWindow(window_);
        }
    }

    void Load() {
        dll_ = LoadLibraryA((folder_ + "hiddriver.dll").c_str());
        ASSERT_NE(nullptr, dll_);
        auto bind = [&](const char* name) {
            FARPROC f = GetProcAddress(dll_, name);
            EXPECT_NE(nullptr, f) << name;
            return reinterpret_cast<void*>(f);
        };
        setVidPid_ = reinterpret_cast<TwoInts>(bind("Set_VIDPID"));
        openMonitor_ = reinterpret_cast<OpenMonitor>(bind("Open_DevMonitor"));
        closeMonitor_ = reinterpret_cast<NoArgs>(bind("Close_DevMonitor"));
        openFeature_ = reinterpret_cast<NoArgs>(bind("Open_FeatureDevice"));
        closeFeature_ = reinterpret_cast<NoArgs>(bind("Close_FeatureDevice"));
        openReport_ = reinterpret_cast<NoArgs>(bind("Open_ReportDevice"));
        closeReport_ = reinterpret_cast<NoArgs>(bind("Close_ReportDevice"));
        setFeature_ = reinterpret_cast<Buffer>(bind("SetFeature"));
        getFeature_ = reinterpret_cast<Buffer>(bind("GetFeature"));
        writeUsb_ = reinterpret_cast<Buffer>(bind("WriteUSB"));
        readUsb_ = reinterpret_cast<Buffer>(bind("ReadUSB"));
        ASSERT_FALSE(HasFailure());
    }

    // The host's start-up order; returns Open_ReportDevice's result.
    int StartLikeTheHost() {
        setVidPid_(0x1234, 0x5678);
        openMonitor_(window_, kDeviceEvent, kDevicePresence);
        openFeature_();
        return openReport_();
    }

    void Unload() {
        if (!dll_) {
            return;
        }
        closeFeature_();
        closeReport_();
        closeMonitor_();
        FreeLibrary(dll_);
        dll_ = nullptr;
    }

    // The next message posted to the test window, within a time limit.
    std::optional<MSG> NextPosted(DWORD timeoutMs = 10000) {
        const ULONGLONG end = GetTickCount64() + timeoutMs;
        for (;;) {
            MSG msg;
            if (PeekMessageA(&msg, window_, 0, 0, PM_REMOVE)) {
                if (msg.message == kDeviceEvent || msg.message == kDevicePresence) {
                    return msg;
                }
                continue;
            }
            const ULONGLONG now = GetTickCount64();
            if (now >= end) {
                return std::nullopt;
            }
            MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(end - now), QS_ALLPOSTMESSAGE);
        }
    }

    // Runs mousectl, which must succeed, and checks the message the mouse posted to the host for it: its wParam, and
    // its lParam when given.
    void ExpectPosted(const std::string& arguments, UINT message, WPARAM wParam,
                      std::optional<LPARAM> lParam = std::nullopt) {
        const RunResult run = RunMousectl(arguments);
        EXPECT_EQ(0u, run.exitCode) << arguments << ": " << run.output;
        const auto posted = NextPosted();
        ASSERT_TRUE(posted) << arguments;
        EXPECT_EQ(message, posted->message) << arguments;
        EXPECT_EQ(wParam, posted->wParam) << arguments;
        if (lParam) {
            EXPECT_EQ(*lParam, posted->lParam) << arguments;
        }
    }

    bool NothingPosted() {
        MSG msg;
        return !PeekMessageA(&msg, window_, kDeviceEvent, kDevicePresence, PM_NOREMOVE);
    }

    int Set(std::vector<unsigned char> report) { return setFeature_(report.data(), static_cast<int>(report.size())); }
    int Write(std::vector<unsigned char> block) { return writeUsb_(block.data(), static_cast<int>(block.size())); }

    std::vector<std::string> TransferLines() {
        std::vector<std::string> transfers;
        for (const std::string& line : SplitLines(ReadFileText(folder_ + "virtual-mouse.log"))) {
            if (!line.empty() && line[0] != '#') {
                transfers.push_back(line);
            }
        }
        return transfers;
    }

    // Removed after TearDown has unloaded the library from it.
    TempFolder temp_;
    const std::string folder_ = temp_.Path();
    HWND window_ = nullptr;
    HMODULE dll_ = nullptr;
    TwoInts setVidPid_ = nullptr;
    OpenMonitor openMonitor_ = nullptr;
    NoArgs closeMonitor_ = nullptr, openFeature_ = nullptr, closeFeature_ = nullptr, openReport_ = nullptr,
           closeReport_ = nullptr;
    Buffer setFeature_ = nullptr, getFeature_ = nullptr, writeUsb_ = nullptr, readUsb_ = nullptr;
};

TEST_F(VirtualMouseDll, LogsEveryTransferInTheExactFormat) {
    ASSERT_EQ(1, StartLikeTheHost()); // a new mouse is plugged
    EXPECT_EQ(1, Set({0x01, 0x01, 0, 0, 0, 0, 0, 0xFD}));
    EXPECT_EQ(1, Set({0x11, 0x06, 0x08, 0, 0, 0, 0, 0xE0}));
    EXPECT_EQ(1, Write({0x04, 0x06, 0x86, 0x26, 0x45, 0x47, 0x80, 0x80}));
    EXPECT_EQ(1, Set({0x0B, 0x03, 0x08, 0, 0, 0, 0, 0xE9}));
    EXPECT_EQ(1, Set({0x0B, 0x03, 0x08, 0, 0, 0, 0, 0x00})); // bad checksum: taken on the wire, ignored
    EXPECT_EQ(1, Set({0x8B, 0, 0, 0, 0, 0, 0, 0x74}));
    unsigned char answer[8] = {0x8B, 0, 0, 0, 0, 0, 0, 0x74};
    ASSERT_EQ(1, getFeature_(answer, 8));
    EXPECT_EQ(0x8B, answer[0]);
    EXPECT_EQ(3, answer[1]);
    EXPECT_EQ(0, readUsb_(answer, 8));
    EXPECT_EQ(0, setFeature_(answer, 7)); // no command report

    const std::vector<std::string> lines = TransferLines();
    const std::vector<std::string> expected = {"SET 01 01 00 00 00 00 00 FD",   "SET 11 06 08 00 00 00 00 E0",
                                               "WRITE 04 06 86 26 45 47 80 80", "SET 0B 03 08 00 00 00 00 E9",
                                               "SET 0B 03 08 00 00 00 00 00",   "SET 8B 00 00 00 00 00 00 74",
                                               "GET 8B 03 00 00 00 00 00 71"};
    ASSERT_EQ(expected.size(), lines.size());
    const std::regex format("^(0|[1-9][0-9]*) (SET|WRITE|GET)( [0-9A-F]{2})+$");
    unsigned long long previous = 0;
    for (size_t i = 0; i < lines.size(); ++i) {
        EXPECT_TRUE(std::regex_match(lines[i], format)) << lines[i];
        const size_t space = lines[i].find(' ');
        EXPECT_EQ(expected[i], lines[i].substr(space + 1));
        const unsigned long long ms = std::stoull(lines[i].substr(0, space));
        EXPECT_LE(previous, ms);
        previous = ms;
    }
    // The bad report is followed by its diagnostic line.
    const std::vector<std::string> all = SplitLines(ReadFileText(folder_ + "virtual-mouse.log"));
    bool noted = false;
    for (size_t i = 0; i + 1 < all.size(); ++i) {
        if (all[i].ends_with("SET 0B 03 08 00 00 00 00 00")) {
            noted = all[i + 1].starts_with("# checksum 00 wrong");
        }
    }
    EXPECT_TRUE(noted);
}

// The log of a Monitor that runs for weeks stays bounded: at the bound it becomes the one older file and starts again.
TEST_F(VirtualMouseDll, LogRollsOverToOneOlderFileAtItsBound) {
    ASSERT_TRUE(SetEnvironmentVariableA("KORVANE_MOUSE_LOG_LIMIT", "300"));
    ASSERT_EQ(1, StartLikeTheHost());
    std::vector<std::string> written;
    for (int i = 0; i < 40; ++i) {
        const unsigned char stage = static_cast<unsigned char>(i % 6);
        const unsigned char sum = static_cast<unsigned char>(0xF1 - stage); // the report's bytes add up to 0xFF
        ASSERT_EQ(1, Set({0x0B, 0x03, stage, 0, 0, 0, 0, sum}));
        char text[40];
        std::snprintf(text, sizeof text, "SET 0B 03 %02X 00 00 00 00 %02X", stage, sum);
        written.push_back(text);
    }
    SetEnvironmentVariableA("KORVANE_MOUSE_LOG_LIMIT", nullptr);
    const std::string current = ReadFileText(folder_ + "virtual-mouse.log");
    const std::string older = ReadFileText(folder_ + "virtual-mouse.log.old");
    EXPECT_LE(current.size(), 300u);
    EXPECT_LE(older.size(), 300u);
    EXPECT_GT(older.size(), 200u);
    // Together they end with the last transfers, in order and whole.
    std::vector<std::string> lines;
    for (const std::string& line : SplitLines(older + current)) {
        if (!line.empty() && line[0] != '#') {
            lines.push_back(line);
        }
    }
    ASSERT_GE(lines.size(), 3u);
    ASSERT_LT(lines.size(), written.size());
    const size_t first = written.size() - lines.size();
    for (size_t i = 0; i < lines.size(); ++i) {
        EXPECT_TRUE(lines[i].ends_with(written[first + i])) << lines[i];
    }
}

TEST_F(VirtualMouseDll, TransfersNeedTheirInterfaceOpen) {
    openMonitor_(window_, kDeviceEvent, kDevicePresence);
    EXPECT_EQ(0, Set({0x8B, 0, 0, 0, 0, 0, 0, 0x74})) << "feature interface not open yet";
    EXPECT_EQ(1, openFeature_());
    EXPECT_EQ(1, Set({0x8B, 0, 0, 0, 0, 0, 0, 0x74}));
    EXPECT_EQ(1, Set({0x11, 0x06, 0x08, 0, 0, 0, 0, 0xE0}));
    EXPECT_EQ(0, Write({0x04, 0x06, 0x86, 0x26, 0x45, 0x47, 0x80, 0x80})) << "report interface not open yet";
    EXPECT_EQ(1, openReport_());
    EXPECT_EQ(1, Write({0x04, 0x06, 0x86, 0x26, 0x45, 0x47, 0x80, 0x80}));
    EXPECT_EQ(1, Set({0x8B, 0, 0, 0, 0, 0, 0, 0x74}));
    unsigned char small[9] = {0, 0, 0, 0, 0, 0, 0, 0x5A, 0x5A};
    EXPECT_EQ(0, getFeature_(small, 7));
    EXPECT_EQ(0x5A, small[7]) << "nothing written into a buffer too small";
    EXPECT_EQ(1, getFeature_(small, 8));
    EXPECT_EQ(0x5A, small[8]) << "the answer is eight bytes";
    closeFeature_();
    EXPECT_EQ(0, getFeature_(small, 8));
    const std::vector<std::string> expected = {"SET 8B 00 00 00 00 00 00 74", "SET 11 06 08 00 00 00 00 E0",
                                               "WRITE 04 06 86 26 45 47 80 80", "SET 8B 00 00 00 00 00 00 74",
                                               "GET 8B 02 00 00 00 00 00 72"};
    std::vector<std::string> transfers;
    for (const std::string& line : TransferLines()) {
        transfers.push_back(line.substr(line.find(' ') + 1));
    }
    EXPECT_EQ(expected, transfers);
}

TEST_F(VirtualMouseDll, UnpluggedMouseOpensNothingAndPlugReportsPresence) {
    ASSERT_EQ(1, StartLikeTheHost());
    ASSERT_NO_FATAL_FAILURE(ExpectPosted("unplug", kDevicePresence, 0));

    EXPECT_EQ(0, Set({0x8B, 0, 0, 0, 0, 0, 0, 0x74})); // the handles died with the removal
    EXPECT_EQ(0, openFeature_());
    EXPECT_EQ(0, openReport_());
    RunResult dpi = RunMousectl("dpi 2");
    EXPECT_EQ(1u, dpi.exitCode);
    EXPECT_NE(std::string::npos, dpi.output.find("unplugged")) << dpi.output;
    EXPECT_TRUE(NothingPosted());

    ASSERT_NO_FATAL_FAILURE(ExpectPosted("plug", kDevicePresence, 1));
    EXPECT_EQ(1, openFeature_());
    EXPECT_EQ(1, openReport_());
}

TEST_F(VirtualMouseDll, MousectlReportsWhatTheMouseReports) {
    ASSERT_EQ(1, StartLikeTheHost());
    struct Case {
        const char* arguments;
        WPARAM command;
        LPARAM value;
    };
    const Case cases[] = {{"dpi 4", 0x0700, 4},
                          {"rate 1000", 0x0500, 1},
                          {"rate 125", 0x0500, 8},
                          {"profile 2", 0x7000, 2},
                          {"sensitivity 5 10", 0xC000, 0x0A05},
                          {"event 0xA000 0", 0xA000, 0},
                          {"event 28673 0x10", 0x7001, 0x10}};
    for (const Case& c : cases) {
        ASSERT_NO_FATAL_FAILURE(ExpectPosted(c.arguments, kDeviceEvent, c.command, c.value));
    }
    // The stage the mouse stepped to is what it answers to the host's read-back.
    EXPECT_EQ(1, Set({0x8B, 0, 0, 0, 0, 0, 0, 0x74}));
    unsigned char answer[8] = {};
    ASSERT_EQ(1, getFeature_(answer, 8));
    EXPECT_EQ(4, answer[1]);

    RunResult dump = RunMousectl("dump");
    EXPECT_EQ(0u, dump.exitCode);
    EXPECT_NE(std::string::npos, dump.output.find("Polling rate: 125 Hz (interval 8 ms)")) << dump.output;
    EXPECT_NE(std::string::npos, dump.output.find("DPI stages (selected stage 4):")) << dump.output;

    RunResult bad = RunMousectl("dpi 7");
    EXPECT_EQ(2u, bad.exitCode);
    EXPECT_TRUE(NothingPosted());
}

TEST_F(VirtualMouseDll, PressOfTheFactoryDpiButtonStepsAndReports) {
    ASSERT_EQ(1, StartLikeTheHost());
    // Entry 6 holds DPI function 3 from the factory; from the factory's stage 2 the next enabled one is 3.
    ExpectPosted("press 7", kDeviceEvent, 0x0700, 3);
}

TEST_F(VirtualMouseDll, MemoryAndPresenceSurviveAReload) {
    ASSERT_EQ(1, StartLikeTheHost());
    EXPECT_EQ(1, Set({0x12, 0x02, 0x40, 0, 0, 0, 0, 0xAB}));
    std::vector<unsigned char> block(32, 0x5A);
    EXPECT_EQ(1, Write(block));
    EXPECT_EQ(1, Write(block));
    ASSERT_EQ(0u, RunMousectl("unplug").exitCode);
    Unload();

    Load();
    EXPECT_EQ(0, StartLikeTheHost()) << "the unplugged state persists";
    ASSERT_EQ(0u, RunMousectl("plug").exitCode);
    RunResult dump = RunMousectl("dump");
    EXPECT_NE(std::string::npos, dump.output.find("entry 16: 5A 5A 5A 5A")) << dump.output;
    EXPECT_NE(std::string::npos, dump.output.find("entry 31: 5A 5A 5A 5A")) << dump.output;
    Unload();

    // A damaged file gives factory memory, plugged.
    {
        std::ofstream damaged(folder_ + "virtual-mouse.dat", std::ios::binary | std::ios::trunc);
        damaged << "not a memory image";
    }
    Load();
    EXPECT_EQ(1, StartLikeTheHost());
    dump = RunMousectl("dump");
    EXPECT_NE(std::string::npos, dump.output.find("entry 16: 01 00 F0 00")) << dump.output;
}

TEST_F(VirtualMouseDll, MousectlFailsClearlyWithoutARunningMouse) {
    // Loaded, but nobody opened the device monitor yet: nothing to talk to.
    RunResult run = RunMousectl("dump");
    EXPECT_EQ(1u, run.exitCode);
    EXPECT_NE(std::string::npos, run.output.find("no virtual mouse is running")) << run.output;
    ASSERT_EQ(1, StartLikeTheHost());
    EXPECT_EQ(0u, RunMousectl("dump").exitCode);
    closeMonitor_();
    EXPECT_EQ(1u, RunMousectl("plug").exitCode);
}

} // namespace
