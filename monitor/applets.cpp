#include <windows.h>

#include "monitor/applets.h"

#include "common/ini_file.h"
#include "common/messages.h"
#include "monitor/firmware_image.h"

#include <shellapi.h>

#include <algorithm>

bool WriteFirmwareImage(const std::string& tempFolder) {
    HMODULE self = GetModuleHandleA(nullptr);
    HRSRC info = FindResourceA(self, MAKEINTRESOURCEA(kFirmwareResourceId), "BIN");
    if (info == nullptr) {
        return false;
    }
    HGLOBAL loaded = LoadResource(self, info);
    const DWORD size = SizeofResource(self, info);
    const void* bytes = loaded != nullptr ? LockResource(loaded) : nullptr;
    if (bytes == nullptr || size == 0) {
        return false;
    }
    const std::string path = tempFolder + "test0.tmp";
    KernelHandle file(
        CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
        return false;
    }
    DWORD written = 0;
    const BOOL ok = WriteFile(file.get(), bytes, size, &written, nullptr);
    return ok && written == size;
}

bool OnLocalDrive(const std::string& path) {
    if (path.size() < 2 || path[1] != ':') {
        return false;
    }
    const std::string root = path.substr(0, 2) + "\\";
    switch (GetDriveTypeA(root.c_str())) {
    case DRIVE_FIXED:
    case DRIVE_REMOVABLE:
    case DRIVE_CDROM:
    case DRIVE_RAMDISK:
        return true;
    default:
        return false;
    }
}

bool OpenProgram(const std::string& path, KernelHandle* process) {
    if (path.empty() || !FileExists(path)) {
        return false;
    }
    SHELLEXECUTEINFOA info{};
    info.cbSize = sizeof info;
    info.fMask = SEE_MASK_FLAG_NO_UI | (process != nullptr ? SEE_MASK_NOCLOSEPROCESS : 0);
    info.lpVerb = "open";
    info.lpFile = path.c_str();
    info.nShow = SW_SHOWNORMAL;
    if (ShellExecuteExA(&info) == FALSE) {
        return false;
    }
    if (process != nullptr) {
        *process = KernelHandle(info.hProcess);
    }
    return true;
}

KernelHandle StartApplets(const std::string& folder) {
    KernelHandle osd;
    OpenProgram(folder + "VexelOSD.exe", &osd);
    OpenProgram(folder + "Applets\\Metrona.exe");
    OpenProgram(folder + "Applets\\Postvue.EXE");
    return osd;
}

void AwaitWindowOrEnd(HANDLE process, const char* title, DWORD limitMs) {
    if (process == nullptr) {
        return;
    }
    const ULONGLONG end = GetTickCount64() + limitMs;
    // No event tells that a window was made: the title is looked for again whenever the process has not ended
    // within a short while.
    constexpr DWORD kLookAgainMs = 20;
    while (WaitForSingleObject(process, 0) == WAIT_TIMEOUT && FindWindowA(nullptr, title) == nullptr) {
        const ULONGLONG now = GetTickCount64();
        if (now >= end) {
            return;
        }
        const DWORD wait = static_cast<DWORD>(std::min<ULONGLONG>(kLookAgainMs, end - now));
        if (MsgWaitForMultipleObjects(1, &process, FALSE, wait, QS_SENDMESSAGE) == WAIT_OBJECT_0 + 1) {
            MSG msg;
            PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
        }
    }
}

void CloseAppletWindows() {
    if (HWND osd = FindWindowA(nullptr, kOsdWindowTitle)) {
        PostMessageA(osd, WM_CLOSE, 0, 0);
    }
    for (const char* title : kAppletWindowTitles) {
        if (HWND applet = FindWindowA(nullptr, title)) {
            PostMessageA(applet, WM_CLOSE, 0, 0);
        }
    }
}
