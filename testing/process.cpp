#include <windows.h>

#include "testing/process.h"

#include "testing/pump.h"

std::string TestProgramFolder() {
    char path[MAX_PATH] = {};
    const DWORD n = GetModuleFileNameA(nullptr, path, MAX_PATH);
    const std::string program(path, n < MAX_PATH ? n : 0);
    const size_t slash = program.find_last_of("\\/");
    return slash == std::string::npos ? std::string() : program.substr(0, slash + 1);
}

StartedProgram StartProgram(const std::string& commandLine, const std::string& folder, DWORD flags, HANDLE output) {
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    if (output) {
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdOutput = output;
        startup.hStdError = output;
        startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    }
    PROCESS_INFORMATION process{};
    std::string command = commandLine;
    StartedProgram started;
    if (CreateProcessA(nullptr, command.data(), nullptr, nullptr, output ? TRUE : FALSE, flags, nullptr,
                       folder.empty() ? nullptr : folder.c_str(), &startup, &process)) {
        CloseHandle(process.hThread);
        started.process.reset(process.hProcess);
        started.pid = process.dwProcessId;
    }
    return started;
}

bool StartedProgram::Ended() const {
    return !process || WaitForSingleObject(process.get(), 0) != WAIT_TIMEOUT;
}

bool StartedProgram::AwaitEnd(DWORD timeoutMs) const {
    return PumpUntil([&] { return Ended(); }, timeoutMs);
}

DWORD StartedProgram::ExitCode() const {
    DWORD code = STILL_ACTIVE;
    if (!process || !GetExitCodeProcess(process.get(), &code)) {
        return STILL_ACTIVE;
    }
    return code;
}

void StartedProgram::Kill(UINT code) const {
    if (process) {
        TerminateProcess(process.get(), code);
        WaitForSingleObject(process.get(), 20000);
    }
}

int RunProgram(const std::string& commandLine, std::string* output, const RunOptions& options) {
    // The output goes to a temporary file of its own, read once the program has ended: a pipe would have to be read
    // while the program runs, and a program that hangs would hold the reader past the time limit.
    KernelHandle file;
    if (output) {
        output->clear();
        char temp[MAX_PATH] = {};
        char name[MAX_PATH] = {};
        if (!GetTempPathA(MAX_PATH, temp) || !GetTempFileNameA(temp, "out", 0, name)) {
            return -1;
        }
        SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
        file.reset(CreateFileA(name, GENERIC_READ | GENERIC_WRITE,
                               FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, &inherit, CREATE_ALWAYS,
                               FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr));
        if (!file) {
            DeleteFileA(name);
            return -1;
        }
    }
    const StartedProgram program =
        StartProgram(commandLine, options.folder, output ? CREATE_NO_WINDOW : 0, output ? file.get() : nullptr);
    if (!program.process) {
        return -1;
    }
    const bool ended = options.pump ? program.AwaitEnd(options.limitMs)
                                    : WaitForSingleObject(program.process.get(), options.limitMs) == WAIT_OBJECT_0;
    if (!ended) {
        program.Kill(99);
        return -1;
    }
    const DWORD code = program.ExitCode();
    if (output) {
        SetFilePointer(file.get(), 0, nullptr, FILE_BEGIN);
        char buffer[4096];
        DWORD read = 0;
        while (ReadFile(file.get(), buffer, sizeof buffer, &read, nullptr) && read > 0) {
            output->append(buffer, read);
        }
    }
    return static_cast<int>(code);
}
