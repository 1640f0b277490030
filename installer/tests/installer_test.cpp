// The real installer under Wine: a silent install into a temporary folder, Monitor started from there with the
// virtual mouse (the demo component), an upgrade by a newer installer over a running Monitor with the user's settings
// changed, and the silent uninstall, with and without the user's settings; and the default install, whose
// hiddriver.dll is the transport to the real mouse, kept as it is by an upgrade.

#include <windows.h>

#include <shlobj.h>
#include <shobjidl.h>

#include "common/ini_file.h"
#include "common/messages.h"
#include "common/profile_record.h"
#include "common/profile_store.h"
#include "option/macros/macro_files.h"
#include "option/macros/macro_library.h"
#include "option/skin/button_pos.h"
#include "testing/e2e_support.h"
#include "testing/profiles.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

constexpr char kUninstallKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Korvane";
constexpr char kRunKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr char kRunValue[] = "Korvane Monitor";
constexpr char kShortcutName[] = "Korvane Mouse Configuration.lnk";
constexpr char kDemoValue[] = "DemoMouse";
// The programs and libraries the installer ships; with the demo mouse, mousectl.exe too.
constexpr const char* kProgramFiles[] = {"Monitor.exe", "Option.exe", "VexelOSD.exe", "lan.dll", "hiddriver.dll"};
constexpr char kDemoControl[] = "mousectl.exe";
// Where the build keeps the transport to the real mouse, relative to its bin folder (the virtual mouse is in bin).
constexpr char kRealTransport[] = "hidtransport\\hiddriver.dll";
// Setup and the uninstaller run up to a minute, while this thread keeps answering their broadcasts.
const RunOptions kSetupRun{60000, {}, true};

std::optional<std::string> RegString(const char* key, const char* name) {
    char text[1024] = {};
    DWORD size = sizeof text - 1;
    if (RegGetValueA(HKEY_CURRENT_USER, key, name, RRF_RT_REG_SZ, nullptr, text, &size) != ERROR_SUCCESS) {
        return std::nullopt;
    }
    return std::string(text);
}

std::optional<DWORD> RegDword(const char* key, const char* name) {
    DWORD value = 0;
    DWORD size = sizeof value;
    if (RegGetValueA(HKEY_CURRENT_USER, key, name, RRF_RT_REG_DWORD, nullptr, &value, &size) != ERROR_SUCCESS) {
        return std::nullopt;
    }
    return value;
}

bool KeyExists(const char* key) {
    HKEY handle = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, key, 0, KEY_READ, &handle) != ERROR_SUCCESS) {
        return false;
    }
    RegCloseKey(handle);
    return true;
}

bool Exists(const std::string& path) {
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// "major.minor.patch" from a file's version resource; empty when it has none.
std::string FileVersion(const std::string& path) {
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeA(path.c_str(), &ignored);
    if (size == 0) {
        return {};
    }
    std::vector<char> data(size);
    VS_FIXEDFILEINFO* info = nullptr;
    UINT length = 0;
    if (!GetFileVersionInfoA(path.c_str(), 0, size, data.data()) ||
        !VerQueryValueA(data.data(), "\\", reinterpret_cast<void**>(&info), &length) || length < sizeof *info) {
        return {};
    }
    return std::to_string(HIWORD(info->dwFileVersionMS)) + "." + std::to_string(LOWORD(info->dwFileVersionMS)) + "." +
           std::to_string(HIWORD(info->dwFileVersionLS));
}

struct Shortcut {
    bool loaded = false;
    std::string target;
    std::string arguments;
    std::string folder;
};

Shortcut ReadShortcut(const std::string& path) {
    Shortcut out;
    IShellLinkA* link = nullptr;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                reinterpret_cast<void**>(&link)))) {
        return out;
    }
    IPersistFile* file = nullptr;
    if (SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)))) {
        const std::wstring wide(path.begin(), path.end());
        if (SUCCEEDED(file->Load(wide.c_str(), STGM_READ))) {
            char text[MAX_PATH] = {};
            out.loaded = SUCCEEDED(link->GetPath(text, MAX_PATH, nullptr, SLGP_RAWPATH));
            out.target = text;
            text[0] = '\0';
            link->GetArguments(text, MAX_PATH);
            out.arguments = text;
            text[0] = '\0';
            link->GetWorkingDirectory(text, MAX_PATH);
            out.folder = text;
        }
        file->Release();
    }
    link->Release();
    return out;
}

std::string ShortcutPath() {
    char folder[MAX_PATH] = {};
    if (FAILED(SHGetFolderPathA(nullptr, CSIDL_PROGRAMS, nullptr, SHGFP_TYPE_CURRENT, folder))) {
        return {};
    }
    return std::string(folder) + "\\" + kShortcutName;
}

std::vector<std::string> Entries(const std::string& folder) {
    std::vector<std::string> names;
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(folder, error)) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

void AppendTo(const std::string& path, const std::string& text) {
    std::ofstream(path, std::ios::binary | std::ios::app) << text;
}

DWORD MonitorPid() {
    DWORD pid = 0;
    if (HWND monitor = FindWindowA(nullptr, kMonitorWindowTitle)) {
        GetWindowThreadProcessId(monitor, &pid);
    }
    return pid;
}

class Installer : public testing::Test {
protected:
    void SetUp() override {
        CoInitialize(nullptr);
        // Wine would otherwise turn the Start-menu shortcut into a menu entry of the machine's own desktop.
        std::string overrides = "mscoree,mshtml=;winemenubuilder.exe=d";
        SetEnvironmentVariableA("WINEDLLOVERRIDES", overrides.c_str());
        RemoveTraces();
        bin_ = e2e::BinFolder();
        ASSERT_FALSE(bin_.empty());
        ASSERT_TRUE(Exists(Setup(KORVANE_VERSION))) << Setup(KORVANE_VERSION);
        ASSERT_TRUE(Exists(Setup(KORVANE_NEXT_VERSION))) << Setup(KORVANE_NEXT_VERSION);
    }

    void TearDown() override {
        RemoveTraces();
        CoUninitialize();
    }

    // What an install leaves outside its folder: gone after every test, even a failed one (the folder goes with root_).
    void RemoveTraces() const {
        if (HWND monitor = FindWindowA(nullptr, kMonitorWindowTitle)) {
            PostMessageA(monitor, WM_CLOSE, 0, 0);
            e2e::WaitFor(
                [] {
                    return FindWindowA(nullptr, kMonitorWindowTitle) == nullptr &&
                           FindWindowA(nullptr, kOsdWindowTitle) == nullptr;
                },
                20000);
        }
        RegDeleteTreeA(HKEY_CURRENT_USER, kUninstallKey);
        HKEY run = nullptr;
        if (RegOpenKeyExA(HKEY_CURRENT_USER, kRunKey, 0, KEY_SET_VALUE, &run) == ERROR_SUCCESS) {
            RegDeleteValueA(run, kRunValue);
            RegCloseKey(run);
        }
        DeleteFileA(ShortcutPath().c_str());
    }

    std::string Setup(const std::string& version) const {
        if (version == KORVANE_VERSION) {
            return bin_ + "..\\KorvaneSetup-" + version + ".exe";
        }
        return bin_ + "..\\installer\\KorvaneSetup-" + version + ".exe";
    }

    int Install(const std::string& version, const std::string& switches = "") const {
        return RunProgram("\"" + Setup(version) + "\" /S " + switches + " /D=" + folder_, nullptr, kSetupRun);
    }

    // The uninstaller runs from a copy in the temporary folder and its first process ends at once; the uninstall
    // entry goes last, so its absence says the copy is done.
    bool Uninstall(const std::string& switches = "") const {
        if (RunProgram("\"" + File("Uninstall.exe") + "\" /S " + switches, nullptr, kSetupRun) != 0) {
            return false;
        }
        return e2e::WaitFor([] { return !KeyExists(kUninstallKey); }, 30000);
    }

    std::string File(const std::string& name) const { return folder_ + "\\" + name; }

    const TempFolder root_;
    // A blank in the folder name: every command line and registry value must quote it.
    const std::string folder_ = root_.Path() + "Korvane Mouse";
    std::string bin_;
};

TEST_F(Installer, InstallsUpgradesOverARunningMonitorAndUninstallsKeepingTheSettings) {
    const auto started = GetTickCount64();
    ASSERT_EQ(Install(KORVANE_VERSION, "/DEMO"), 0);
    std::printf("silent install: %llu ms\n", static_cast<unsigned long long>(GetTickCount64() - started));
    EXPECT_EQ(FileVersion(Setup(KORVANE_VERSION)), KORVANE_VERSION);

    // The program folder: the shipped files, as built, each with the project's version; nothing a run leaves. The
    // demo component makes the virtual mouse hiddriver.dll.
    std::vector<std::string> programs(std::begin(kProgramFiles), std::end(kProgramFiles));
    programs.push_back(kDemoControl);
    std::vector<std::string> expected = programs;
    for (const char* name : {"Uninstall.exe", "config", "config.ini", "skins"}) {
        expected.push_back(name);
    }
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(Entries(folder_), expected);
    for (const std::string& name : programs) {
        EXPECT_EQ(e2e::ReadFileText(File(name)), e2e::ReadFileText(bin_ + name)) << name;
        EXPECT_EQ(FileVersion(File(name)), KORVANE_VERSION) << name;
    }
    // The skins as built, without the one of the toolkit's gallery, a test program.
    std::vector<std::string> skins = Entries(bin_ + "skins");
    std::erase_if(skins, [](const std::string& name) { return name.find("gallery") != std::string::npos; });
    EXPECT_EQ(Entries(File("skins")), skins);
    EXPECT_EQ(e2e::ReadFileText(File("config.ini")), e2e::ReadFileText(bin_ + "..\\monitor\\assets\\config.ini"));
    EXPECT_TRUE(Entries(File("config")).empty());

    // Start menu, start at log-on and the uninstall entry.
    const Shortcut shortcut = ReadShortcut(ShortcutPath());
    ASSERT_TRUE(shortcut.loaded) << ShortcutPath();
    EXPECT_STRCASEEQ(shortcut.target.c_str(), File("Monitor.exe").c_str());
    EXPECT_EQ(shortcut.arguments, "1");
    EXPECT_STRCASEEQ(shortcut.folder.c_str(), folder_.c_str());
    EXPECT_EQ(RegString(kRunKey, kRunValue), "\"" + File("Monitor.exe") + "\"");
    EXPECT_EQ(RegString(kUninstallKey, "DisplayName"), "Korvane Mouse Configuration");
    EXPECT_EQ(RegString(kUninstallKey, "DisplayVersion"), KORVANE_VERSION);
    EXPECT_EQ(RegString(kUninstallKey, "DisplayIcon"), File("Monitor.exe") + ",0");
    EXPECT_EQ(RegString(kUninstallKey, "InstallLocation"), folder_);
    EXPECT_EQ(RegString(kUninstallKey, "UninstallString"), "\"" + File("Uninstall.exe") + "\"");
    EXPECT_EQ(RegString(kUninstallKey, "QuietUninstallString"), "\"" + File("Uninstall.exe") + "\" /S");
    EXPECT_FALSE(RegString(kUninstallKey, "Publisher").value_or("").empty());
    // Kilobytes: the programs alone are several megabytes.
    EXPECT_GT(RegDword(kUninstallKey, "EstimatedSize").value_or(0), 2000u);
    EXPECT_EQ(RegDword(kUninstallKey, kDemoValue), 1u);

    // The user's settings: profile 1 with DPI stages of its own (the reset profile has 2500 DPI at stage 3), the
    // macro library and a key of config.ini.
    e2e::PointerRegistryGuard pointerSettings;
    ShareData data = *DefaultData();
    std::snprintf(data.Profile[0].ProFileName, sizeof data.Profile[0].ProFileName, "Kept over the upgrade");
    const int codes[kDpiLevelCount] = {3, 5, 7, 10, 12, 14};
    for (int i = 0; i < kDpiLevelCount; ++i) {
        data.Profile[0].CpiLevel_X[i] = codes[i];
        data.Profile[0].CpiLevel_Y[i] = codes[i];
    }
    ASSERT_EQ(SaveAllProfiles(data, folder_ + "\\"), 1);
    MacroLibrary library;
    library.push_back(NewMacroRecord("Kept macro"));
    ASSERT_TRUE(SaveMacroLibrary(library, File("config\\sequence.dat")));
    IniFile(File("config.ini")).WriteInt("Setting", "KeptByTheUpgrade", 7);

    // What the Start-menu shortcut does: Monitor from the installed folder opens the shipped virtual mouse and
    // brings up the installed Option, whose Apply writes the profile into the mouse.
    e2e::ProgramFolder installed(folder_);
    ASSERT_TRUE(installed.Ready());
    ASSERT_TRUE(installed.StartMonitor(shortcut.arguments));
    ASSERT_TRUE(installed.WaitMonitorReady());
    ASSERT_TRUE(e2e::WaitFor([] { return IsWindowVisible(FindWindowA(nullptr, kOptionWindowTitle)) != FALSE; }, 20000));
    HWND option = FindWindowA(nullptr, kOptionWindowTitle);
    EXPECT_TRUE(e2e::OwnerOf(option).Runs(File("Option.exe"))) << e2e::OwnerOf(option).program;
    EXPECT_EQ(installed.ConfigInt("Setting", "Device", -1), 1);
    const ButtonPos applyPos = ParseButtonPos(IniFile(File("skins\\skin_main.ini")).GetString("BUTTONPOS", "5", ""));
    HWND apply =
        ChildWindowFromPoint(option, {(applyPos.left + applyPos.right) / 2, (applyPos.top + applyPos.bottom) / 2});
    ASSERT_NE(apply, nullptr);
    ASSERT_NE(apply, option);
    ASSERT_EQ(installed.MouseDump().find("stage 1: 750 DPI"), std::string::npos) << installed.MouseDump();
    PostMessageA(option, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(apply), BN_CLICKED), reinterpret_cast<LPARAM>(apply));
    const char* stages[kDpiLevelCount] = {"750 DPI", "1250 DPI", "1750 DPI", "3000 DPI", "4000 DPI", "7250 DPI"};
    EXPECT_TRUE(e2e::WaitFor(
        [&] {
            const std::string dump = installed.MouseDump();
            for (int i = 0; i < kDpiLevelCount; ++i) {
                if (dump.find("stage " + std::to_string(i + 1) + ": " + stages[i]) == std::string::npos) {
                    return false;
                }
            }
            return true;
        },
        30000))
        << installed.MouseDump();
    EXPECT_TRUE(e2e::WaitFor([&] { return IsWindowEnabled(apply) != FALSE; }, 30000));

    // Monitor's end closes Option. With the mouse unplugged, the Monitor started again and the one the upgrade
    // starts write no profile files, so the files must stay as the user left them.
    ASSERT_TRUE(installed.StopMonitor());
    ASSERT_TRUE(e2e::WaitFor([] { return FindWindowA(nullptr, kOptionWindowTitle) == nullptr; }, 10000));
    installed.WriteMouseMemory(false, 1);
    const std::string profileBytes = e2e::ReadFileText(File("config\\Default0.tvp"));
    const std::string libraryBytes = e2e::ReadFileText(File("config\\sequence.dat"));
    ASSERT_NE(profileBytes.find("Kept over the upgrade"), std::string::npos);
    ASSERT_FALSE(libraryBytes.empty());
    ASSERT_TRUE(installed.StartMonitor());
    ASSERT_TRUE(installed.WaitMonitorReady());
    // Programs and skins the newer version must replace.
    AppendTo(File("mousectl.exe"), "damaged");
    AppendTo(File("skins\\skin_warn.ini"), "; changed\r\n");
    AppendTo(File("skins\\stale.bmp"), "BM");

    ASSERT_EQ(Install(KORVANE_NEXT_VERSION), 0);
    // The running Monitor was asked to close and ended; being silent, the installer started the new one.
    EXPECT_TRUE(installed.Monitor().Ended());
    ASSERT_TRUE(e2e::WaitFor([&] { return MonitorPid() != 0 && MonitorPid() != installed.MonitorPid(); }, 20000));
    EXPECT_EQ(e2e::ReadFileText(File("config\\Default0.tvp")), profileBytes);
    EXPECT_EQ(e2e::ReadFileText(File("config\\sequence.dat")), libraryBytes);
    EXPECT_EQ(installed.ConfigInt("Setting", "KeptByTheUpgrade", -1), 7);
    // The upgrade keeps the demo mouse, which was chosen before, without being asked again.
    EXPECT_EQ(e2e::ReadFileText(File("mousectl.exe")), e2e::ReadFileText(bin_ + "mousectl.exe"));
    EXPECT_EQ(e2e::ReadFileText(File("hiddriver.dll")), e2e::ReadFileText(bin_ + "hiddriver.dll"));
    EXPECT_EQ(RegDword(kUninstallKey, kDemoValue), 1u);
    EXPECT_EQ(e2e::ReadFileText(File("skins\\skin_warn.ini")), e2e::ReadFileText(bin_ + "skins\\skin_warn.ini"));
    EXPECT_FALSE(Exists(File("skins\\stale.bmp")));
    EXPECT_EQ(RegString(kUninstallKey, "DisplayVersion"), KORVANE_NEXT_VERSION);
    EXPECT_EQ(RegString(kRunKey, kRunValue), "\"" + File("Monitor.exe") + "\"");
    // The new Monitor works with the kept profile.
    EXPECT_TRUE(e2e::WaitFor(
        [] {
            ShareData share;
            return e2e::ReadShare(share) && std::strcmp(share.Profile[0].ProFileName, "Kept over the upgrade") == 0 &&
                   share.Profile[0].CpiLevel_X[5] == 14;
        },
        10000));

    // The uninstaller closes the running Monitor, removes the programs, the shortcut and the registry entries, and
    // keeps the settings.
    ASSERT_TRUE(Uninstall());
    EXPECT_EQ(FindWindowA(nullptr, kMonitorWindowTitle), nullptr);
    EXPECT_EQ(FindWindowA(nullptr, kOsdWindowTitle), nullptr);
    EXPECT_EQ(Entries(folder_), (std::vector<std::string>{"config", "config.ini"}));
    EXPECT_EQ(e2e::ReadFileText(File("config\\Default0.tvp")), profileBytes);
    EXPECT_EQ(e2e::ReadFileText(File("config\\sequence.dat")), libraryBytes);
    EXPECT_EQ(installed.ConfigInt("Setting", "KeptByTheUpgrade", -1), 7);
    EXPECT_FALSE(Exists(ShortcutPath()));
    EXPECT_FALSE(RegString(kRunKey, kRunValue).has_value());
    EXPECT_FALSE(KeyExists(kUninstallKey));
}

TEST_F(Installer, KeepsTheChoiceAboutLogOnAndRemovesTheSettingsWhenAsked) {
    ASSERT_EQ(Install(KORVANE_VERSION, "/NOAUTOSTART /DEMO"), 0);
    EXPECT_FALSE(RegString(kRunKey, kRunValue).has_value());
    EXPECT_TRUE(Exists(ShortcutPath()));
    // A later install over it keeps the start at log-on off.
    ASSERT_EQ(Install(KORVANE_NEXT_VERSION), 0);
    EXPECT_FALSE(RegString(kRunKey, kRunValue).has_value());
    EXPECT_EQ(RegString(kUninstallKey, "DisplayVersion"), KORVANE_NEXT_VERSION);
    EXPECT_TRUE(Exists(File(kDemoControl)));

    // What the programs write, temporary files a killed save left, and files of the user's own in config\.
    AppendTo(File("config\\sequence.dat"), "[Macros]\r\nnumber=0\r\n");
    AppendTo(File("config\\Default3.tvp"), "[Setting]\r\nMouseSpeed=4\r\n");
    AppendTo(File("config\\Default3.tvp.812-816.tmp"), "[Setting]\r\n");
    AppendTo(File("config\\sequence.dat.812-816.tmp"), "[Macros]\r\n");
    AppendTo(File("config.ini.812-816.tmp"), "[Setting]\r\n");
    AppendTo(File("virtual-mouse.dat.new"), "memory");
    AppendTo(File("virtual-mouse.log.old"), "0 SET 01 01 00 00 00 00 00 FD\n");
    AppendTo(File("config\\mine.tvp"), "[Setting]\r\nMouseSpeed=9\r\n");
    AppendTo(File("config\\jump.macro"), "[Macros]\r\n");
    ASSERT_TRUE(Uninstall("/REMOVECONFIG"));
    EXPECT_EQ(Entries(folder_), (std::vector<std::string>{"config"}));
    EXPECT_EQ(Entries(File("config")), (std::vector<std::string>{"jump.macro", "mine.tvp"}));
    EXPECT_EQ(e2e::ReadFileText(File("config\\mine.tvp")), "[Setting]\r\nMouseSpeed=9\r\n");
    EXPECT_FALSE(Exists(ShortcutPath()));
    EXPECT_TRUE(Exists(root_.Path()));

    // Without files of the user's, nothing of the folder is left.
    ASSERT_TRUE(RemoveFolder(folder_));
    ASSERT_EQ(Install(KORVANE_VERSION), 0);
    ASSERT_TRUE(Uninstall("/REMOVECONFIG"));
    EXPECT_FALSE(Exists(folder_)) << testing::PrintToString(Entries(folder_));
}

TEST_F(Installer, InstallsTheRealTransportByDefaultKeepsItOnUpgradeAndUninstalls) {
    ASSERT_EQ(Install(KORVANE_VERSION), 0);
    std::vector<std::string> expected(std::begin(kProgramFiles), std::end(kProgramFiles));
    for (const char* name : {"Uninstall.exe", "config", "config.ini", "skins"}) {
        expected.push_back(name);
    }
    std::sort(expected.begin(), expected.end());
    // No mousectl.exe, no demo folder, no README of the zip.
    EXPECT_EQ(Entries(folder_), expected);
    const std::string realTransport = e2e::ReadFileText(bin_ + kRealTransport);
    ASSERT_FALSE(realTransport.empty());
    EXPECT_EQ(e2e::ReadFileText(File("hiddriver.dll")), realTransport);
    EXPECT_EQ(FileVersion(File("hiddriver.dll")), KORVANE_VERSION);
    EXPECT_EQ(RegDword(kUninstallKey, kDemoValue), 0u);

    // Monitor from the installed folder, with no mouse on this machine: it starts, finds the mouse absent and ends
    // when asked. "Device" says 1 beforehand, so only Monitor's own start can make it 0.
    IniFile(File("config.ini")).WriteInt("Setting", "Device", 1);
    {
        e2e::ProgramFolder installed(folder_);
        ASSERT_TRUE(installed.Ready());
        const auto start = GetTickCount64();
        ASSERT_TRUE(installed.StartMonitor());
        ASSERT_TRUE(e2e::WaitFor([&] { return installed.ConfigInt("Setting", "Device", -1) == 0; }, 20000));
        std::printf("Monitor start with the real transport and no mouse: %llu ms\n",
                    static_cast<unsigned long long>(GetTickCount64() - start));
        EXPECT_NE(FindWindowA(nullptr, kMonitorWindowTitle), nullptr);
        EXPECT_TRUE(installed.StopMonitor());
        EXPECT_EQ(installed.MonitorExitCode(), 0u);
        // The upgrade and the uninstall run while `installed` lives, since it removes the folder as it goes.
        ASSERT_EQ(Install(KORVANE_NEXT_VERSION), 0);
        EXPECT_EQ(Entries(folder_), expected);
        EXPECT_EQ(e2e::ReadFileText(File("hiddriver.dll")), realTransport);
        EXPECT_EQ(RegDword(kUninstallKey, kDemoValue), 0u);
        ASSERT_TRUE(Uninstall());
        EXPECT_EQ(Entries(folder_), (std::vector<std::string>{"config", "config.ini"}));
    }
}

} // namespace
