#include <windows.h>

#include "testing/e2e_support.h"

#include "testing/process.h"

#include "common/ini_file.h"
#include "common/messages.h"
#include "common/shared_block.h"
#include "hiddriver/control_channel.h"
#include "hiddriver/memory_dump.h"
#include "hiddriver/virtual_mouse.h"

#include <gtest/gtest.h>
#include <tlhelp32.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <memory>
#include <sstream>
#include <utility>
#include <vector>

namespace e2e {

namespace {
std::string ProgramOfProcess(HANDLE process) {
    char path[MAX_PATH] = {};
    DWORD size = MAX_PATH;
    return QueryFullProcessImageNameA(process, 0, path, &size) ? std::string(path, size) : std::string();
}
} // namespace

bool WindowOwner::Runs(const std::string& file) const {
    return !program.empty() && lstrcmpiA(program.c_str(), file.c_str()) == 0;
}

WindowOwner OwnerOf(HWND window) {
    DWORD pid = 0;
    WindowOwner owner;
    if (GetWindowThreadProcessId(window, &pid) == 0) {
        return owner;
    }
    owner.process = KernelHandle(OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid));
    if (owner.process) {
        owner.program = ProgramOfProcess(owner.process.get());
    }
    return owner;
}

// --- DebugOutput ---

namespace {
// The listener's own lines, which it takes as marks and keeps out of the lines.
constexpr char kMarkFormat[] = "korvane-debug-output-mark %u\n";
} // namespace

DebugOutput::DebugOutput() {
    buffer_ = CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, 4096, "DBWIN_BUFFER");
    bufferReady_ = CreateEventA(nullptr, FALSE, FALSE, "DBWIN_BUFFER_READY");
    dataReady_ = CreateEventA(nullptr, FALSE, FALSE, "DBWIN_DATA_READY");
    if (buffer_ != nullptr && bufferReady_ != nullptr && dataReady_ != nullptr) {
        view_ = MapViewOfFile(buffer_, FILE_MAP_READ, 0, 0, 4096);
    }
    listening_ = view_ != nullptr;
    if (listening_) {
        thread_ = std::thread([this] { Run(); });
    }
}

DebugOutput::~DebugOutput() {
    stop_ = true;
    if (thread_.joinable()) {
        thread_.join();
    }
    if (view_ != nullptr) {
        UnmapViewOfFile(view_);
    }
    for (HANDLE h : {buffer_, bufferReady_, dataReady_}) {
        if (h != nullptr) {
            CloseHandle(h);
        }
    }
}

void DebugOutput::Run() {
    while (!stop_) {
        SetEvent(bufferReady_);
        if (WaitForSingleObject(dataReady_, 100) != WAIT_OBJECT_0) {
            continue;
        }
        const auto* bytes = static_cast<const char*>(view_);
        DWORD pid = 0;
        std::memcpy(&pid, bytes, sizeof pid);
        const std::string text(bytes + 4, strnlen(bytes + 4, 4096 - 4));
        std::lock_guard<std::mutex> lock(lock_);
        unsigned mark = 0;
        if (pid == GetCurrentProcessId() && std::sscanf(text.c_str(), kMarkFormat, &mark) == 1) {
            marksTaken_ = mark;
            marked_.notify_all();
            continue;
        }
        lines_.push_back({pid, GetTickCount64(), text});
    }
}

void DebugOutput::Settle() const {
    if (!listening_) {
        return;
    }
    const unsigned mark = ++marksWritten_;
    char text[64];
    std::snprintf(text, sizeof text, kMarkFormat, mark);
    OutputDebugStringA(text);
    std::unique_lock<std::mutex> lock(lock_);
    marked_.wait_for(lock, std::chrono::seconds(10), [&] { return marksTaken_ >= mark; });
}

int DebugOutput::Count(const std::string& text, DWORD pid) const {
    Settle();
    std::lock_guard<std::mutex> lock(lock_);
    int n = 0;
    for (const Line& line : lines_) {
        if ((pid == 0 || line.pid == pid) && line.text.find(text) != std::string::npos) {
            ++n;
        }
    }
    return n;
}

bool DebugOutput::Contains(const std::string& text, DWORD pid) const {
    return ArrivalOf(text, pid) != 0;
}

ULONGLONG DebugOutput::ArrivalOf(const std::string& text, DWORD pid) const {
    Settle();
    std::lock_guard<std::mutex> lock(lock_);
    for (const Line& line : lines_) {
        if ((pid == 0 || line.pid == pid) && line.text.find(text) != std::string::npos) {
            return line.tick;
        }
    }
    return 0;
}

int DebugOutput::IndexOf(const std::string& text, DWORD pid) const {
    Settle();
    std::lock_guard<std::mutex> lock(lock_);
    for (size_t i = 0; i < lines_.size(); ++i) {
        if ((pid == 0 || lines_[i].pid == pid) && lines_[i].text.find(text) != std::string::npos) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

// --- OptionStandIn ---

OptionStandIn::OptionStandIn(const char* title) {
    WNDCLASSA wc{};
    wc.lpfnWndProc = Proc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "KorvaneOptionStandIn";
    RegisterClassA(&wc);
    hwnd_ = CreateWindowExA(0, wc.lpszClassName, title, WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, wc.hInstance, this);
}

OptionStandIn::~OptionStandIn() {
    if (hwnd_ != nullptr) {
        SetWindowLongPtrA(hwnd_, GWLP_USERDATA, 0);
        DestroyWindow(hwnd_);
    }
}

int OptionStandIn::Count(UINT message) const {
    int n = 0;
    for (UINT m : received_) {
        n += m == message ? 1 : 0;
    }
    return n;
}

LRESULT CALLBACK OptionStandIn::Proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* create = reinterpret_cast<CREATESTRUCTA*>(lParam);
        SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* self = reinterpret_cast<OptionStandIn*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
    if (self != nullptr && (message >= WM_USER || message == WM_CLOSE)) {
        self->received_.push_back(message);
        if (message == WM_CLOSE) {
            return 0; // recorded; the stand-in stays for the rest of the test
        }
    }
    return DefWindowProcA(hwnd, message, wParam, lParam);
}

// --- ProgramFolder ---

ProgramFolder::ProgramFolder(Transport transport) : transport_(transport) {
    const std::string bin = BinFolder();
    ready_ = !bin.empty();
    std::vector<std::pair<std::string, std::string>> files = {
        {"Monitor.exe", "Monitor.exe"}, {"VexelOSD.exe", "VexelOSD.exe"}, {"lan.dll", "lan.dll"}};
    if (transport == Transport::VirtualMouse) {
        files.insert(files.end(), {{"hiddriver.dll", "hiddriver.dll"}, {"mousectl.exe", "mousectl.exe"}});
    } else {
        files.push_back({"hidtransport\\hiddriver.dll", "hiddriver.dll"});
    }
    // The config.ini that the program folder ships with.
    files.push_back({"..\\monitor\\assets\\config.ini", "config.ini"});
    for (const auto& [from, to] : files) {
        if (!folder_.CopyFrom(bin + from, to)) {
            ready_ = false;
        }
    }
    WriteFileText(File("VexelOSD.log"), "");
}

ProgramFolder::ProgramFolder(const std::string& existingFolder) : folder_(existingFolder) {
    ready_ = GetFileAttributesA(File("Monitor.exe").c_str()) != INVALID_FILE_ATTRIBUTES;
}

ProgramFolder::~ProgramFolder() {
    // A program left running here would answer for the programs of the next test in this Wine session.
    EXPECT_TRUE(StopMonitor()) << "a program of " << Path() << " outlived Monitor";
}

void ProgramFolder::WriteMouseMemory(bool plugged, int selectedStage) {
    vmouse::Memory memory = vmouse::FactoryMemory();
    memory.plugged = plugged;
    memory.selectedStage = static_cast<uint8_t>(selectedStage);
    const auto bytes = vmouse::SerializeMemory(memory);
    WriteFileText(File("virtual-mouse.dat"), std::string(bytes.begin(), bytes.end()));
}

bool ProgramFolder::StartMonitor(const std::string& arguments) {
    std::string command = "\"" + Path() + "Monitor.exe\"";
    if (!arguments.empty()) {
        command += " " + arguments;
    }
    monitor_ = StartProgram(command, Path());
    return static_cast<bool>(monitor_.process);
}

bool ProgramFolder::WaitMonitorReady(DWORD timeoutMs) {
    const bool virtualMouse = transport_ == Transport::VirtualMouse;
    return PumpUntil(
        [&] {
            return FindWindowA(nullptr, kMonitorWindowTitle) != nullptr &&
                   (!virtualMouse || FindWindowExA(HWND_MESSAGE, nullptr, vmouse::kControlWindowClass,
                                                   vmouse::kControlWindowTitle) != nullptr);
        },
        timeoutMs);
}

bool ProgramFolder::WaitForDisplay(DWORD timeoutMs) const {
    return PumpUntil(
        [&] {
            HWND osd = FindWindowA(nullptr, kOsdWindowTitle);
            return osd != nullptr && OwnerOf(osd).Runs(File("VexelOSD.exe"));
        },
        timeoutMs);
}

HWND OpenTrayMenu(HWND monitor, DWORD timeoutMs) {
    PostMessageA(monitor, TrayNotify, kTrayIconId, WM_RBUTTONDOWN);
    HWND popup = nullptr;
    PumpUntil(
        [&] {
            popup = FindWindowA("#32768", nullptr);
            return popup != nullptr && IsWindowVisible(popup);
        },
        timeoutMs);
    return popup != nullptr && IsWindowVisible(popup) ? popup : nullptr;
}

bool AwaitMenusClosed(DWORD timeoutMs) {
    return PumpUntil(
        [] {
            HWND popup = FindWindowA("#32768", nullptr);
            return popup == nullptr || !IsWindowVisible(popup);
        },
        timeoutMs);
}

bool ReadBackEnded(const std::string& log) {
    const size_t get = log.find("GET 8B");
    return get != std::string::npos && log.find("SET 03 00 0F D8 40 00 00 D5", get) != std::string::npos;
}

bool ProgramFolder::StopMonitor() {
    bool ended = true;
    if (monitor_.process) {
        if (HWND monitor = FindWindowA(nullptr, kMonitorWindowTitle)) {
            PostMessageA(monitor, WM_CLOSE, 0, 0);
        }
        ended = monitor_.AwaitEnd(20000);
        monitorExitCode_ = monitor_.ExitCode();
        if (!ended) {
            monitor_.Kill(1);
        }
        monitor_.process.reset(); // the id stays, for the lines Monitor wrote
    }
    // Monitor closes the programs it started on its way out; their ends come a moment after its own.
    if (PumpUntil([&] { return RunningPrograms().empty(); }, 10000)) {
        return ended;
    }
    for (DWORD pid : RunningPrograms()) {
        const StartedProgram program{KernelHandle(OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, pid)), pid};
        program.Kill(1);
    }
    return false;
}

std::vector<DWORD> ProgramFolder::RunningPrograms() const {
    std::vector<DWORD> found;
    KernelHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    if (!snapshot) {
        return found;
    }
    PROCESSENTRY32 entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32First(snapshot.get(), &entry); more; more = Process32Next(snapshot.get(), &entry)) {
        KernelHandle process(OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, entry.th32ProcessID));
        if (!process || WaitForSingleObject(process.get(), 0) != WAIT_TIMEOUT) {
            continue;
        }
        const std::string program = ProgramOfProcess(process.get());
        if (program.size() > Path().size() &&
            CompareStringA(LOCALE_INVARIANT, NORM_IGNORECASE, program.c_str(), static_cast<int>(Path().size()),
                           Path().c_str(), static_cast<int>(Path().size())) == CSTR_EQUAL) {
            found.push_back(entry.th32ProcessID);
        }
    }
    return found;
}

int ProgramFolder::Run(const std::string& program, const std::string& arguments, DWORD timeoutMs) {
    return RunProgram("\"" + Path() + program + "\" " + arguments, nullptr, {timeoutMs, Path(), true});
}

std::string ProgramFolder::MouseDump() const {
    const std::string text = ReadFileText(File("virtual-mouse.dat"));
    const auto memory = vmouse::DeserializeMemory(std::vector<uint8_t>(text.begin(), text.end()));
    return memory ? vmouse::DumpMemory(*memory) : std::string();
}

int ProgramFolder::ConfigInt(const char* section, const char* key, int defaultValue) const {
    return IniFile(File("config.ini")).GetInt(section, key, defaultValue);
}

std::string ProgramFolder::ConfigString(const char* section, const char* key) const {
    return IniFile(File("config.ini")).GetString(section, key, "");
}

bool ReadShare(ShareData& out) {
    SharedBlock block;
    return block.Open() == BlockResult::Ready && block.ReadBlock(out) == 1;
}

bool BlockHolds(const std::function<bool(const ShareData&)>& test) {
    auto share = std::make_unique<ShareData>();
    return ReadShare(*share) && test(*share);
}

bool WriteShare(const ShareData& in) {
    SharedBlock block;
    return block.Open() == BlockResult::Ready && block.WriteBlock(in) == 1;
}

} // namespace e2e
