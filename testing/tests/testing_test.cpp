// What the tests rely on from their shared helpers: a temporary folder goes with everything in it, a started program
// is awaited, ended by force and its exit code read, and the pointer values come back as they were.
#include <windows.h>

#include "testing/files.h"
#include "testing/process.h"
#include "testing/registry.h"
#include "testing/temp_folder.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {
bool Exists(const std::string& path) {
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}
} // namespace

TEST(TempFolder, GoesWithItsFilesFoldersAndReadOnlyFilesAndSoDoesOneTakenOver) {
    std::string path;
    {
        const TempFolder folder;
        const TempFolder other;
        path = folder.Path();
        EXPECT_NE(path, other.Path());
        ASSERT_TRUE(Exists(path + "config"));
        ASSERT_TRUE(CreateDirectoryA((path + "config\\deep").c_str(), nullptr));
        ASSERT_TRUE(WriteFileText(path + "config\\deep\\kept.ini", "[Setting]\r\n"));
        ASSERT_TRUE(WriteFileText(path + "locked.dat", "x"));
        ASSERT_TRUE(SetFileAttributesA((path + "locked.dat").c_str(), FILE_ATTRIBUTE_READONLY));
    }
    EXPECT_FALSE(Exists(path));

    // An installed folder, named without its last backslash.
    ASSERT_TRUE(CreateDirectoryA(path.c_str(), nullptr));
    ASSERT_TRUE(WriteFileText(path + "Monitor.exe", "MZ"));
    {
        const TempFolder taken(path.substr(0, path.size() - 1));
        EXPECT_EQ(path, taken.Path());
    }
    EXPECT_FALSE(Exists(path));
    EXPECT_TRUE(RemoveFolder(path)); // what is gone already is no failure
}

TEST(StartedProgram, AwaitedEndedByForceAndItsExitCodeRead) {
    const StartedProgram quick = StartProgram("cmd.exe /c exit 3");
    ASSERT_TRUE(quick.process);
    EXPECT_NE(0u, quick.pid);
    EXPECT_TRUE(quick.AwaitEnd(20000));
    EXPECT_TRUE(quick.Ended());
    EXPECT_EQ(3u, quick.ExitCode());

    const StartedProgram lasting = StartProgram("notepad.exe");
    ASSERT_TRUE(lasting.process);
    EXPECT_FALSE(lasting.Ended());
    EXPECT_EQ(static_cast<DWORD>(STILL_ACTIVE), lasting.ExitCode());
    lasting.Kill(7);
    EXPECT_TRUE(lasting.Ended());
    EXPECT_EQ(7u, lasting.ExitCode());

    EXPECT_FALSE(StartProgram("no-such-program.exe").process);
}

TEST(PointerRegistryGuard, PutsBackChangedValuesAndDeletesTheOnesItDidNotFind) {
    const PointerRegistryGuard prefix; // the prefix's own values, put back after this test
    SetPointerRegistry("610", "12", "1", "6", "0", "4");
    DeleteRegistryValue(kDesktopRegistryKey, "WheelScrollLines");
    const std::vector<std::string> before = PointerRegistryTexts();
    EXPECT_EQ(PointerTexts({"610", "12", "1", "6", "0", "(missing)"}), before);
    {
        const PointerRegistryGuard guard;
        SetPointerRegistry("432", "3", "0", "0", "0", "-1");
        EXPECT_EQ(PointerTexts({"432", "3", "0", "0", "0", "-1"}), PointerRegistryTexts());
    }
    EXPECT_EQ(before, PointerRegistryTexts());
}
