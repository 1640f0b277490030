// A child process saves the macro library and the five profiles, version after version, and is killed with
// TerminateProcess at random moments. After every kill each file must load and hold, byte for byte, a version the
// child saved whole: the one before the interrupted save or the one after it.

#include <windows.h>

#include "common/ini_file.h"
#include "common/profile_store.h"
#include "option/macros/macro_files.h"
#include "option/macros/tests/crash/storage_versions.h"
#include "testing/process.h"
#include "testing/temp_folder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <random>
#include <string>
#include <vector>

namespace {

std::string Bytes(const std::string& path) {
    std::string bytes;
    ReadWholeFile(path, bytes);
    return bytes;
}

} // namespace

TEST(StorageCrash, EveryKillLeavesWholeFilesOfTheVersionBeforeOrAfter) {
    const TempFolder temp;
    const std::string& folder = temp.Path();
    const std::string child = ProgramFolder() + "storage_crash_child.exe";
    ASSERT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(child.c_str())) << child;
    std::vector<std::string> paths = {folder + "config\\sequence.dat"};
    for (int n = 0; n < kProfileCount; ++n) {
        paths.push_back(ProfileFilePath(folder, n));
    }
    const std::string eventName = "korvane-crash-running-" + std::to_string(GetCurrentProcessId());
    HANDLE running = CreateEventA(nullptr, TRUE, FALSE, eventName.c_str());
    ASSERT_NE(nullptr, running);

    std::mt19937 random(1208);
    std::vector<int> versions(paths.size(), 0); // 0: not written yet
    int next = 1;
    int interrupted = 0;
    const int kills = 200;
    for (int kill = 0; kill < kills && !HasFailure(); ++kill) {
        ResetEvent(running);
        // The folder without its last backslash, which would escape the closing quote.
        const std::string command = "\"" + child + "\" \"" + folder.substr(0, folder.size() - 1) + "\" " +
                                    std::to_string(next) + " " + eventName;
        const StartedProgram process = StartProgram(command);
        ASSERT_TRUE(process.process);
        // Killed at a random moment of its saving, the first save included.
        const HANDLE waits[] = {running, process.process.get()};
        const DWORD woke = WaitForMultipleObjects(2, waits, FALSE, 20000);
        ASSERT_EQ(WAIT_OBJECT_0, woke) << "the child ended or never ran";
        Sleep(random() % 40);
        process.Kill(9);

        // Each file is whole: exactly the bytes of the version it names.
        std::vector<int> now(paths.size(), 0);
        for (size_t f = 0; f < paths.size(); ++f) {
            const std::string bytes = Bytes(paths[f]);
            if (bytes.empty() && versions[f] == 0) {
                continue; // not written yet
            }
            const int v = f == 0 ? LibraryVersion(bytes) : ProfileVersion(bytes);
            ASSERT_GT(v, 0) << paths[f] << " after kill " << kill;
            const std::string expected =
                f == 0 ? MacroLibraryText(VersionLibrary(v)) : VersionProfileText(v, static_cast<int>(f - 1));
            ASSERT_TRUE(bytes == expected) << paths[f] << " is not version " << v << " whole, after kill " << kill;
            // The version it held before this child ran, or one this child saved.
            ASSERT_TRUE(v == versions[f] || v >= next) << paths[f] << " holds " << v << " after kill " << kill;
            now[f] = v;
        }
        // Saved in order: the files after the interrupted one hold the version before it, those before it the
        // version after it.
        for (size_t f = 1; f < paths.size(); ++f) {
            ASSERT_LE(now[f], now[f - 1]) << "after kill " << kill;
            if (now[f] >= next) {
                ASSERT_GE(now[f], now[0] - 1) << "after kill " << kill;
            }
        }
        if (now.front() != now.back()) {
            ++interrupted;
        }

        // And the programs load them.
        MacroLibrary library;
        LoadMacroLibrary(library, paths[0]);
        if (now[0] > 0) {
            ASSERT_EQ(static_cast<size_t>(kVersionMacros), library.size());
        }
        auto data = std::make_unique<ShareData>();
        LoadAllProfiles(*data, folder);
        for (int n = 0; n < kProfileCount; ++n) {
            if (now[n + 1] > 0) {
                EXPECT_EQ(now[n + 1], data->Profile[n].Brightness);
            }
        }
        versions = now;
        next = std::max(next, now[0]) + 1;
    }
    std::printf("%d kills, %d between the first and the last file of a save, last version %d\n", kills, interrupted,
                next - 1);
    CloseHandle(running);
}
