// What a button may start: only an absolute path on a drive to a .exe.
#include <gtest/gtest.h>

#include "monitor/launch_rule.h"

TEST(LaunchRule, OnlyAnAbsoluteDrivePathToAProgramPasses) {
    for (const char* allowed : {"C:\\Games\\Aim\\aim.exe", "d:/tools/run.EXE", "Z:\\a.Exe", "C:\\dir.old\\x y.exe"}) {
        EXPECT_TRUE(LaunchPathAllowed(allowed)) << allowed;
    }
    for (const char* refused : {
             "",
             "aim.exe",                        // relative: resolved against whatever folder Monitor runs in
             "launch\\run.exe",                // relative
             "..\\aim.exe",                    // relative
             "\\Games\\aim.exe",               // the current drive's root
             "C:aim.exe",                      // drive-relative
             "\\\\host\\share\\aim.exe",       // network
             "//host/share/aim.exe",           // network
             "\\\\?\\C:\\aim.exe",             // device namespace
             "\\\\.\\C:\\aim.exe",             // device namespace
             "\\\\?\\UNC\\host\\share\\a.exe", // network through the device namespace
             "C:\\Games\\run.bat",             // script
             "C:\\Games\\run.cmd",             // script
             "C:\\Games\\game.lnk",            // shortcut
             "C:\\Games\\page.url",            // shortcut
             "C:\\Games\\aim.exe.bat",         // script named like a program
             "C:\\Games\\aim.exe:evil.bat",    // alternate stream
             "C:\\Games\\run.bat:x.exe",       // alternate stream
             "C:\\Games\\*.exe",               // wildcard
             "C:\\Games\\a\nb.exe",            // control character
             "C:\\Games\\.exe\\",              // a folder
             "C:\\Games\\",                    // a folder
             "C:\\.exe",                       // no name
             "1:\\aim.exe",                    // no drive letter
         }) {
        EXPECT_FALSE(LaunchPathAllowed(refused)) << refused;
    }
}
