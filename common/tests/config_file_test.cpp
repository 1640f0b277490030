// config.ini has four writers in three processes. Every change is read, made in memory and moved over the file in
// one step under one mutex: a writer killed at any moment leaves the file whole, and writers in different processes
// never undo each other's keys.
#include <windows.h>

#include "common/ini_document.h"
#include "common/ini_file.h"
#include "common/messages.h"
#include "common/tests/crash/config_versions.h"
#include "framework/handles.h"
#include "testing/process.h"
#include "testing/pump.h"
#include "testing/temp_folder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <random>
#include <string>
#include <thread>

namespace {

std::string Child() {
    return ProgramFolder() + "config_writer_child.exe";
}

// Starts the child with the arguments.
StartedProgram StartChild(const std::string& arguments) {
    // Built step by step: g++ 12 warns wrongly about a literal added to a temporary string.
    std::string command = "\"";
    command += Child();
    command += "\" ";
    command += arguments;
    // Under Wine a start now and then fails while the machine is busy and a child was just killed; the test is about
    // the file, not the start, so a start is tried again, and the error is told when every try failed.
    StartedProgram started;
    for (int attempt = 0; attempt < 3 && !started.process; ++attempt) {
        started = StartProgram(command);
        if (!started.process) {
            std::printf("the child could not be started (error %lu)\n", GetLastError());
        }
    }
    return started;
}

std::string Bytes(const std::string& path) {
    std::string bytes;
    ReadWholeFile(path, bytes);
    return bytes;
}

// The version whose value the key holds: 0 for the value the file started with, -1 for any other value.
int VersionOf(int value, int (*ofVersion)(int), int initial) {
    if (value == initial) {
        return 0;
    }
    const int v = value - ofVersion(0);
    return v > 0 && ofVersion(v) == value ? v : -1;
}

int OsdVersionOf(const std::string& text) {
    if (text == "start") {
        return 0;
    }
    int v = 0;
    char rest[8] = {};
    if (std::sscanf(text.c_str(), "CPI: %d %7s", &v, rest) == 2 && v > 0 && OsdDataOfVersion(v) == text) {
        return v;
    }
    return -1;
}

constexpr char kSeed[] = "[Setting]\r\nDevice=0\r\nCurrentProfile=0\r\nMouseType=3\r\nLedType=4\r\n"
                         "[config]\r\nOSDSetting=0102030406\r\n[OSDData]\r\nMessage=start\r\n";

} // namespace

// A child writes "Device", "OSDData" and "CurrentProfile" version after version and is killed at random moments:
// after every kill each of them holds a value the child wrote (or the one it started with), never older than what
// the file held before, and the keys nobody wrote are still there.
TEST(ConfigFile, EveryKillLeavesEachKeyAtAValueThatWasWritten) {
    TempFolder folder;
    const std::string path = folder.Path() + "config.ini";
    ASSERT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(Child().c_str())) << Child();
    {
        HANDLE seed =
            CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        ASSERT_NE(INVALID_HANDLE_VALUE, seed);
        DWORD written = 0;
        WriteFile(seed, kSeed, sizeof kSeed - 1, &written, nullptr);
        CloseHandle(seed);
    }
    const std::string eventName = "korvane-config-running-" + std::to_string(GetCurrentProcessId());
    HANDLE running = CreateEventA(nullptr, TRUE, FALSE, eventName.c_str());
    ASSERT_NE(nullptr, running);

    std::mt19937 random(2011);
    int next = 1;
    int seen[3] = {0, 0, 0};
    const int kills = 120;
    for (int kill = 0; kill < kills && !HasFailure(); ++kill) {
        ResetEvent(running);
        const StartedProgram child = StartChild("\"" + path + "\" versions " + std::to_string(next) + " " + eventName);
        ASSERT_TRUE(child.process);
        const HANDLE waits[] = {running, child.process.get()};
        ASSERT_EQ(WAIT_OBJECT_0, WaitForMultipleObjects(2, waits, FALSE, 20000)) << "the child ended or never ran";
        Sleep(random() % 30);
        child.Kill(9);

        const IniDocument file(Bytes(path));
        const int now[3] = {
            VersionOf(file.GetInt(kDeviceSection, kDeviceKey, -5), DeviceOfVersion, 0),
            OsdVersionOf(file.GetString(kOsdDataSection, kOsdDataKey)),
            VersionOf(file.GetInt("Setting", "CurrentProfile", -5), CurrentProfileOfVersion, 0),
        };
        for (int k = 0; k < 3; ++k) {
            ASSERT_GE(now[k], 0) << "key " << k << " after kill " << kill << ":\n" << Bytes(path);
            ASSERT_GE(now[k], seen[k]) << "key " << k << " went back, after kill " << kill;
            ASSERT_TRUE(now[k] == seen[k] || now[k] >= next) << "key " << k << " after kill " << kill;
            seen[k] = now[k];
        }
        EXPECT_EQ(3, file.GetInt("Setting", "MouseType", -1)) << "after kill " << kill;
        EXPECT_EQ(4, file.GetInt("Setting", "LedType", -1)) << "after kill " << kill;
        EXPECT_EQ("0102030406", file.GetString("config", "OSDSetting")) << "after kill " << kill;
        next = std::max({next, seen[0], seen[1], seen[2]}) + 1;
    }
    std::printf("%d kills, last version %d\n", kills, next - 1);
    CloseHandle(running);
}

// Two processes write a key each, a thousand times, at the same time: both end at their thousandth value.
TEST(ConfigFile, TwoProcessesWritingDifferentKeysLoseNone) {
    TempFolder folder;
    const std::string path = folder.Path() + "config.ini";
    ASSERT_TRUE(IniFile(path).WriteInt("Setting", "Kept", 7));
    const StartedProgram children[] = {StartChild("\"" + path + "\" count Setting First 1000"),
                                       StartChild("\"" + path + "\" count OSDData Second 1000")};
    for (const StartedProgram& child : children) {
        ASSERT_TRUE(child.process);
        EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(child.process.get(), 240000));
        EXPECT_EQ(0u, child.ExitCode());
    }
    const IniFile config(path);
    EXPECT_EQ(1000, config.GetInt("Setting", "First", -1));
    EXPECT_EQ(1000, config.GetInt("OSDData", "Second", -1));
    EXPECT_EQ(7, config.GetInt("Setting", "Kept", -1));
}

// A reader that holds config.ini open the way the platform's functions do (without delete sharing) keeps it from
// being replaced for a moment: a write waits for it. One that never lets go fails the write, and the file and the
// writer's own temporary file are as before.
TEST(ConfigFile, AWriteWaitsForAReaderThatHoldsTheFile) {
    TempFolder folder;
    const std::string path = folder.Path() + "config.ini";
    const IniFile config(path);
    ASSERT_TRUE(config.WriteInt("Setting", "Device", 0));
    auto hold = [&] {
        return CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    };
    HANDLE reader = hold();
    ASSERT_NE(INVALID_HANDLE_VALUE, reader);
    // The reader lets go once the writer has written and closed its new file beside the old one (only then does that
    // file open without sharing); right after closing it, the writer tries to replace the old file.
    const std::string temporary = TemporaryPathFor(path);
    std::atomic<bool> sawTemporary{false};
    std::thread letGo([&] {
        sawTemporary = Await(
            [&] {
                const KernelHandle unshared(CreateFileA(temporary.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                                        FILE_ATTRIBUTE_NORMAL, nullptr));
                return static_cast<bool>(unshared);
            },
            10000);
        CloseHandle(reader);
    });
    EXPECT_TRUE(config.WriteInt("Setting", "Device", 1));
    letGo.join();
    EXPECT_TRUE(sawTemporary);
    EXPECT_EQ(1, config.GetInt("Setting", "Device", -1));

    reader = hold();
    ASSERT_NE(INVALID_HANDLE_VALUE, reader);
    const std::string before = Bytes(path);
    EXPECT_FALSE(config.WriteInt("Setting", "Device", 2));
    // Our own reads share the file with a writer.
    EXPECT_EQ(1, config.GetInt("Setting", "Device", -1));
    CloseHandle(reader);
    EXPECT_EQ(before, Bytes(path));
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(temporary.c_str()));
}

// What a writer killed during a save leaves behind goes at the next start, when it is more than a minute old, from
// the program folder and config\ alone; files of other names stay.
TEST(ConfigFile, LeftoverTemporaryFilesOlderThanAMinuteAreRemoved) {
    TempFolder folder;
    ASSERT_TRUE(CreateDirectoryA((folder.Path() + "other").c_str(), nullptr));
    auto make = [&](const std::string& name, bool aged) {
        const std::string path = folder.Path() + name;
        HANDLE file = CreateFileA(
            path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
            name.find("hidden") != std::string::npos ? FILE_ATTRIBUTE_HIDDEN : FILE_ATTRIBUTE_NORMAL, nullptr);
        DWORD written = 0;
        WriteFile(file, "[S]\r\n", 5, &written, nullptr);
        CloseHandle(file);
        if (aged) {
            EXPECT_TRUE(AgeFile(path, 2)) << path;
        }
        return path;
    };
    const std::string gone[] = {make("config.ini.12-34.tmp", true), make("config\\Default0.tvp.5-6.tmp", true),
                                make("config\\hidden.tvp.9-10.tmp", true)};
    const std::string kept[] = {make("config\\sequence.dat.7-8.tmp", false), make("config\\mine.tmp", true),
                                make("config\\mine.tvp", true), make("other\\config.ini.1-2.tmp", true)};
    RemoveLeftoverTemporaryFiles(folder.Path());
    for (const std::string& path : gone) {
        EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(path.c_str())) << path;
    }
    for (const std::string& path : kept) {
        EXPECT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(path.c_str())) << path;
    }
}
