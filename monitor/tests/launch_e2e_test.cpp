// What a button of the mouse starts, end to end: Monitor under Wine with the virtual mouse, entries of the current
// profile that name scripts, relative and network paths and one program on a local drive.

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "common/messages.h"
#include "testing/e2e_support.h"

using namespace e2e;

namespace {

constexpr DWORD kEventWait = 15000;

void SetLaunch(ProfileRecord& p, int entry, const std::string& path) {
    p.MacroKey[entry].FunctionCode = 99;
    std::snprintf(p.MacroKey[entry].ProgramPath, sizeof p.MacroKey[entry].ProgramPath, "%s", path.c_str());
}

bool WriteText(const std::string& path, const std::string& text) {
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) {
        return false;
    }
    std::fputs(text.c_str(), f);
    return std::fclose(f) == 0;
}

bool Exists(const std::string& path) {
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

} // namespace

TEST(LaunchEndToEnd, OnlyAProgramOnALocalDriveStartsEverythingElseIsRefusedWithABalloon) {
    PointerRegistryGuard registry;
    DebugOutput debug;
    ProgramFolder folder;
    OptionStandIn option;
    ASSERT_TRUE(folder.Ready());
    ASSERT_TRUE(debug.Listening());

    // Two scripts that leave a mark when they run, a program in a folder of its own for the absolute path and one
    // for the relative path; a program leaves its settings record in its own folder's config.ini when it starts.
    CreateDirectoryA(folder.File("launch").c_str(), nullptr);
    CreateDirectoryA(folder.File("rel").c_str(), nullptr);
    const std::string relativeMark = folder.File("relative-script-ran.txt");
    const std::string absoluteMark = folder.File("absolute-script-ran.txt");
    ASSERT_TRUE(WriteText(folder.File("launch\\relative.bat"), "echo ran > \"" + relativeMark + "\"\r\n"));
    ASSERT_TRUE(WriteText(folder.File("launch\\absolute.bat"), "echo ran > \"" + absoluteMark + "\"\r\n"));
    ASSERT_TRUE(CopyFileA(folder.File("VexelOSD.exe").c_str(), folder.File("launch\\VexelOSD.exe").c_str(), FALSE));
    ASSERT_TRUE(CopyFileA(folder.File("VexelOSD.exe").c_str(), folder.File("rel\\VexelOSD.exe").c_str(), FALSE));
    const std::string refused[] = {
        "launch\\relative.bat",               // entry 1: a relative script
        folder.File("launch\\absolute.bat"),  // entry 2: an absolute script
        "rel\\VexelOSD.exe",                  // entry 3: a relative program
        "\\\\localhost\\share\\VexelOSD.exe", // entry 4: a network path
    };
    const std::string program = folder.File("launch\\VexelOSD.exe"); // entry 5
    WriteProfile(folder, 0, [&](ProfileRecord& p) {
        for (int i = 0; i < 4; ++i) {
            SetLaunch(p, i + 1, refused[i]);
        }
        SetLaunch(p, 5, program);
    });

    ASSERT_TRUE(folder.StartMonitor());
    ASSERT_TRUE(folder.WaitMonitorReady());
    const DWORD pid = folder.MonitorPid();
    ASSERT_TRUE(PumpUntil([&] { return debug.Contains("CMonitorWnd started", pid); }, kEventWait));
    // The display program of the main folder steps aside, so that a started copy stays.
    ASSERT_TRUE(PumpUntil([] { return FindWindowA(nullptr, kOsdWindowTitle) != nullptr; }, kEventWait));
    PostMessageA(FindWindowA(nullptr, kOsdWindowTitle), WM_CLOSE, 0, 0);
    ASSERT_TRUE(PumpUntil([] { return FindWindowA(nullptr, kOsdWindowTitle) == nullptr; }, kEventWait));

    for (int entry = 1; entry <= 5; ++entry) {
        char event[32];
        std::snprintf(event, sizeof event, "event 0x60%02X 0", entry + 1);
        ASSERT_EQ(0, folder.Mousectl(event));
    }
    // The program on the local drive starts...
    EXPECT_TRUE(PumpUntil([&] { return !ReadFileText(folder.File("launch\\config.ini")).empty(); }, kEventWait));
    // ... and each of the others is refused with a trace and a balloon that names it.
    for (const std::string& path : refused) {
        EXPECT_TRUE(
            PumpUntil([&] { return debug.Contains("CMonitorWnd launch refused: \"" + path + "\"", pid); }, kEventWait))
            << path;
        EXPECT_TRUE(debug.Contains("\n" + path + "\"", pid)) << "no balloon names " << path;
    }
    EXPECT_FALSE(debug.Contains("CMonitorWnd launch refused: \"" + program + "\"", pid));
    EXPECT_FALSE(Exists(relativeMark));
    EXPECT_FALSE(Exists(absoluteMark));
    EXPECT_FALSE(Exists(folder.File("rel\\config.ini")));
    // The started program goes first (Monitor closes only the display program it started itself), then Monitor: no
    // program of the folder may outlive it.
    ASSERT_TRUE(PumpUntil([] { return FindWindowA(nullptr, kOsdWindowTitle) != nullptr; }, kEventWait));
    for (HWND started; (started = FindWindowA(nullptr, kOsdWindowTitle)) != nullptr;) {
        PostMessageA(started, WM_CLOSE, 0, 0);
        ASSERT_TRUE(PumpUntil([&] { return !IsWindow(started); }, kEventWait));
    }
    EXPECT_TRUE(folder.StopMonitor());
}
