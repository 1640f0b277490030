#pragma once
// Running the virtual mouse (bin/hiddriver.dll and mousectl.exe) from a private copy in a temporary folder, so that
// its "virtual-mouse.dat" and "virtual-mouse.log" are this run's alone. Used by the end-to-end tests and the
// benchmark.

#include <windows.h>

#include "framework/handles.h"

#include <string>
#include <vector>

// The folder of the running program, with a trailing backslash.
inline std::string ProgramFolderOfThisExe() {
    char path[MAX_PATH] = {};
    const DWORD n = GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string folder(path, n);
    const size_t slash = folder.find_last_of("\\/");
    return slash == std::string::npos ? std::string() : folder.substr(0, slash + 1);
}

// A new empty folder under the temporary folder, removed with its files at the end.
class TempFolder {
public:
    TempFolder() {
        char temp[MAX_PATH] = {};
        GetTempPathA(MAX_PATH, temp);
        static LONG counter = 0;
        for (int attempt = 0; attempt < 100 && path_.empty(); ++attempt) {
            const std::string candidate = std::string(temp) + "devlink-" + std::to_string(GetCurrentProcessId()) + "-" +
                                          std::to_string(InterlockedIncrement(&counter)) + "\\";
            if (CreateDirectoryA(candidate.c_str(), nullptr)) {
                path_ = candidate;
            }
        }
    }
    ~TempFolder() {
        if (path_.empty()) {
            return;
        }
        WIN32_FIND_DATAA found;
        HANDLE search = FindFirstFileA((path_ + "*").c_str(), &found);
        if (search != INVALID_HANDLE_VALUE) {
            do {
                if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
                    DeleteFileA((path_ + found.cFileName).c_str());
                }
            } while (FindNextFileA(search, &found));
            FindClose(search);
        }
        RemoveDirectoryA(path_.c_str());
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::string& Path() const { return path_; }
    bool CopyFrom(const std::string& source, const std::string& name) const {
        return !path_.empty() && CopyFileA(source.c_str(), (path_ + name).c_str(), FALSE);
    }

private:
    std::string path_;
};

inline std::string ReadWholeFile(const std::string& path) {
    KernelHandle file(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    std::string text;
    if (!file) {
        return text;
    }
    char buffer[4096];
    DWORD read = 0;
    while (ReadFile(file.get(), buffer, sizeof buffer, &read, nullptr) && read > 0) {
        text.append(buffer, read);
    }
    return text;
}

// Runs a console program with a time limit, its output going to `outputFile`; its exit code (-1 when it could not
// run or did not end in time) and its output.
inline int RunProgram(const std::string& commandLine, const std::string& outputFile, std::string& output,
                      DWORD limitMs = 30000) {
    output.clear();
    SECURITY_ATTRIBUTES inherit{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
    KernelHandle out(CreateFileA(outputFile.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit, CREATE_ALWAYS,
                                 FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!out) {
        return -1;
    }
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = out.get();
    startup.hStdError = out.get();
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    PROCESS_INFORMATION process{};
    std::string command = commandLine;
    if (!CreateProcessA(nullptr, command.data(), nullptr, nullptr, TRUE, CREATE_NO_WINDOW, nullptr, nullptr, &startup,
                        &process)) {
        return -1;
    }
    KernelHandle processHandle(process.hProcess), threadHandle(process.hThread);
    out.reset();
    if (WaitForSingleObject(processHandle.get(), limitMs) != WAIT_OBJECT_0) {
        TerminateProcess(processHandle.get(), 99);
        WaitForSingleObject(processHandle.get(), limitMs);
        return -1;
    }
    DWORD code = 0;
    GetExitCodeProcess(processHandle.get(), &code);
    output = ReadWholeFile(outputFile);
    return static_cast<int>(code);
}

// The transfer lines of the virtual mouse's log without their time stamps; the '#' lines left out.
inline std::vector<std::string> LoggedTransfers(const std::string& log) {
    std::vector<std::string> out;
    size_t at = 0;
    while (at < log.size()) {
        size_t end = log.find('\n', at);
        if (end == std::string::npos) {
            end = log.size();
        }
        std::string line = log.substr(at, end - at);
        at = end + 1;
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        if (line.empty() || line[0] == '#') {
            continue;
        }
        const size_t space = line.find(' ');
        out.push_back(space == std::string::npos ? line : line.substr(space + 1));
    }
    return out;
}
