#include <windows.h>

#include "testing/temp_folder.h"

#include <cstdio>
#include <utility>

namespace {

std::string WithBackslash(std::string folder) {
    if (!folder.empty() && folder.back() != '\\' && folder.back() != '/') {
        folder += '\\';
    }
    return folder;
}

void RemoveContents(const std::string& folder) {
    WIN32_FIND_DATAA found;
    HANDLE find = FindFirstFileA((folder + "*").c_str(), &found);
    if (find == INVALID_HANDLE_VALUE) {
        return;
    }
    do {
        const std::string name = found.cFileName;
        if (name == "." || name == "..") {
            continue;
        }
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            RemoveFolder(folder + name);
        } else {
            SetFileAttributesA((folder + name).c_str(), FILE_ATTRIBUTE_NORMAL);
            DeleteFileA((folder + name).c_str());
        }
    } while (FindNextFileA(find, &found));
    FindClose(find);
}

} // namespace

bool RemoveFolder(const std::string& folder) {
    const std::string path = WithBackslash(folder);
    RemoveContents(path);
    RemoveDirectoryA(path.c_str());
    return GetFileAttributesA(path.c_str()) == INVALID_FILE_ATTRIBUTES;
}

TempFolder::TempFolder() {
    static int counter = 0;
    char temp[MAX_PATH];
    DWORD n = GetTempPathA(MAX_PATH, temp);
    std::string base(temp, n < MAX_PATH ? n : 0);
    char name[64];
    std::snprintf(name, sizeof name, "korvane-store-%lu-%d\\", GetCurrentProcessId(), ++counter);
    path_ = base + name;
    // What a test that ended early left under the same process id would otherwise be read by this one.
    RemoveFolder(path_);
    CreateDirectoryA(path_.c_str(), nullptr);
    CreateDirectoryA((path_ + "config").c_str(), nullptr);
}

TempFolder::TempFolder(std::string existing) : path_(WithBackslash(std::move(existing))) {}

TempFolder::~TempFolder() {
    RemoveFolder(path_);
}

bool TempFolder::CopyFrom(const std::string& source, const std::string& name) const {
    return CopyFileA(source.c_str(), (path_ + name).c_str(), FALSE) != FALSE;
}

bool AgeFile(const std::string& path, int minutes) {
    HANDLE file = CreateFileA(path.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return false;
    }
    FILETIME now{};
    GetSystemTimeAsFileTime(&now);
    ULARGE_INTEGER time{};
    time.LowPart = now.dwLowDateTime;
    time.HighPart = now.dwHighDateTime;
    time.QuadPart -= static_cast<ULONGLONG>(minutes) * 60 * 10000000; // 100 ns steps
    const FILETIME aged{time.LowPart, time.HighPart};
    const bool ok = SetFileTime(file, nullptr, nullptr, &aged) != 0;
    CloseHandle(file);
    return ok;
}
