#include <windows.h>

#include "testing/temp_folder.h"

#include <cstdio>

namespace {

void Remove(const std::string& folder) {
    WIN32_FIND_DATAA found;
    HANDLE find = FindFirstFileA((folder + "*").c_str(), &found);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            std::string name = found.cFileName;
            if (name == "." || name == "..") {
                continue;
            }
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                Remove(folder + name + "\\");
            } else {
                SetFileAttributesA((folder + name).c_str(), FILE_ATTRIBUTE_NORMAL);
                DeleteFileA((folder + name).c_str());
            }
        } while (FindNextFileA(find, &found));
        FindClose(find);
    }
    RemoveDirectoryA(folder.c_str());
}

} // namespace

TempFolder::TempFolder() {
    static int counter = 0;
    char temp[MAX_PATH];
    DWORD n = GetTempPathA(MAX_PATH, temp);
    std::string base(temp, n < MAX_PATH ? n : 0);
    char name[64];
    std::snprintf(name, sizeof name, "korvane-store-%lu-%d\\", GetCurrentProcessId(), ++counter);
    path_ = base + name;
    CreateDirectoryA(path_.c_str(), nullptr);
    CreateDirectoryA((path_ + "config").c_str(), nullptr);
}

TempFolder::~TempFolder() {
    Remove(path_);
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
