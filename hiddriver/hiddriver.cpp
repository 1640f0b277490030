// hiddriver.dll, the virtual mouse: the eleven transport exports the host binds by name, on top of the VirtualMouse
// model. Memory lives in "virtual-mouse.dat" and the transfer log in "virtual-mouse.log", both beside this DLL; at
// about 1 MB the log moves to "virtual-mouse.log.old" (one older file, replaced each time) and starts again
// (KORVANE_MOUSE_LOG_LIMIT, in bytes, sets another bound for tests).
// mousectl.exe drives the mouse through the control window of control_channel.h.
//
// Exports (plain C, all return int):
//   Set_VIDPID(int vid, int pid)                      any ids; logged
//   Open_DevMonitor(HWND window, UINT eventMessage, UINT presenceMessage)
//   Close_DevMonitor()
//   Open_FeatureDevice(), Open_ReportDevice()        1 while plugged, else 0
//   Close_FeatureDevice(), Close_ReportDevice()
//   SetFeature(unsigned char* report, int length)     length 8
//   GetFeature(unsigned char* buffer, int length)     length at least 8; 1 with the answer, 0 without one
//   WriteUSB(unsigned char* block, int length)        length 8 or 32
//   ReadUSB(unsigned char* buffer, int length)        no input reports: 0
#include <windows.h>

#include "framework/handles.h"
#include "hiddriver/control_channel.h"
#include "hiddriver/control_command.h"
#include "hiddriver/virtual_mouse.h"

#include <cstdlib>
#include <cstring>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace {

using namespace vmouse;

std::mutex g_lock; // guards everything below; the host's threads and the control thread both come in
std::optional<VirtualMouse> g_mouse;
std::string g_folder; // with a trailing backslash
ULONGLONG g_clockStart = 0;
// Every transfer is logged for as long as Monitor runs, which may be weeks.
constexpr ULONGLONG kLogLimitBytes = 1u << 20;
bool g_featureOpen = false;
bool g_reportOpen = false;
HWND g_host = nullptr;
UINT g_eventMessage = 0;
UINT g_presenceMessage = 0;

KernelHandle g_controlThread;
HWND g_controlWindow = nullptr;

std::string ModuleFolder() {
    HMODULE self = nullptr;
    if (!GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                            reinterpret_cast<LPCSTR>(&ModuleFolder), &self)) {
        return {};
    }
    char path[MAX_PATH];
    const DWORD n = GetModuleFileNameA(self, path, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) {
        return {};
    }
    std::string folder(path, n);
    const size_t slash = folder.find_last_of("\\/");
    return slash == std::string::npos ? std::string() : folder.substr(0, slash + 1);
}

// The log's bound; tests set a small one in the environment (read each time: the DLL may stay loaded between them).
ULONGLONG LogLimit() {
    char text[32];
    const DWORD n = GetEnvironmentVariableA("KORVANE_MOUSE_LOG_LIMIT", text, sizeof text);
    const unsigned long long limit = n > 0 && n < sizeof text ? std::strtoull(text, nullptr, 10) : 0;
    return limit > 0 ? limit : kLogLimitBytes;
}

KernelHandle OpenLog(const std::string& path) {
    return KernelHandle(CreateFileA(path.c_str(), FILE_APPEND_DATA | FILE_READ_ATTRIBUTES,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
}

void AppendLog(const std::string& line) {
    const std::string path = g_folder + "virtual-mouse.log";
    KernelHandle file = OpenLog(path);
    if (!file) {
        return;
    }
    const std::string text = line + "\n";
    LARGE_INTEGER size{};
    if (GetFileSizeEx(file.get(), &size) && size.QuadPart > 0 &&
        static_cast<ULONGLONG>(size.QuadPart) + text.size() > LogLimit()) {
        // The older half stays readable; when the move fails (a reader without delete sharing) the log goes on.
        file.reset();
        MoveFileExA(path.c_str(), (path + ".old").c_str(), MOVEFILE_REPLACE_EXISTING);
        file = OpenLog(path);
        if (!file) {
            return;
        }
    }
    DWORD written = 0;
    WriteFile(file.get(), text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
}

void Note(const std::string& text) {
    AppendLog("# " + text);
}

uint64_t Milliseconds() {
    return GetTickCount64() - g_clockStart;
}

void SaveMemory() {
    const std::vector<uint8_t> bytes = SerializeMemory(g_mouse->memory());
    const std::string path = g_folder + "virtual-mouse.dat";
    const std::string temp = path + ".new";
    KernelHandle file(
        CreateFileA(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
        Note("could not write virtual-mouse.dat (error " + std::to_string(GetLastError()) + ")");
        return;
    }
    DWORD written = 0;
    const BOOL ok = WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    file.reset(); // closed before the move
    // Replace the old file only once the new one is whole, so a crash never leaves half a memory behind.
    if (!ok || written != bytes.size() || !MoveFileExA(temp.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING)) {
        Note("could not write virtual-mouse.dat (error " + std::to_string(GetLastError()) + ")");
        DeleteFileA(temp.c_str());
    }
}

std::optional<Memory> LoadMemory() {
    const KernelHandle file(CreateFileA((g_folder + "virtual-mouse.dat").c_str(), GENERIC_READ, FILE_SHARE_READ,
                                        nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
        return std::nullopt;
    }
    LARGE_INTEGER size{};
    std::vector<uint8_t> bytes;
    if (GetFileSizeEx(file.get(), &size) && size.QuadPart == static_cast<LONGLONG>(kMemoryFileBytes)) {
        bytes.resize(kMemoryFileBytes);
        DWORD read = 0;
        if (!ReadFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr) ||
            read != bytes.size()) {
            bytes.clear();
        }
    }
    return DeserializeMemory(bytes);
}

// First use: find our folder, take the memory from the file or from the factory. Called with g_lock held.
void EnsureLoaded() {
    if (g_mouse) {
        return;
    }
    g_folder = ModuleFolder();
    g_clockStart = GetTickCount64();
    if (auto memory = LoadMemory()) {
        g_mouse.emplace(*memory);
        Note(std::string("memory loaded, ") + (memory->plugged ? "plugged" : "unplugged"));
    } else {
        g_mouse.emplace(FactoryMemory());
        Note("memory file missing or damaged: factory memory, plugged");
        SaveMemory();
    }
}

// Logs, posts and persists what an operation did. Called with g_lock held.
void Apply(const Outcome& outcome) {
    for (const std::string& note : outcome.notes) {
        Note(note);
    }
    if (outcome.presence) {
        if (!*outcome.presence) {
            g_featureOpen = g_reportOpen = false; // a pulled-out device's handles are dead
        }
        if (g_host) {
            PostMessageA(g_host, g_presenceMessage, *outcome.presence ? 1 : 0, 0);
            Note(std::string("presence ") + (*outcome.presence ? "1" : "0") + " posted");
        } else {
            Note("presence not posted: no device monitor is open");
        }
    }
    for (const HostReport& report : outcome.reports) {
        char text[80];
        if (g_host) {
            PostMessageA(g_host, g_eventMessage, report.command, report.value);
            wsprintfA(text, "report %04X %04X posted", report.command, report.value);
        } else {
            wsprintfA(text, "report %04X %04X not posted: no device monitor is open", report.command, report.value);
        }
        Note(text);
    }
    if (outcome.memoryChanged) {
        SaveMemory();
    }
}

LRESULT OnCommandText(HWND replyTo, const COPYDATASTRUCT* data) {
    if (!data || data->dwData != kControlCopyId || !data->lpData) {
        return 0;
    }
    const char* bytes = static_cast<const char*>(data->lpData);
    const size_t limit = data->cbData < kMaxCommandText ? data->cbData : kMaxCommandText;
    const std::string text(bytes, strnlen(bytes, limit));

    std::string error;
    std::string reply;
    LRESULT result = kResultDone;
    if (auto command = ParseCommandText(text, error)) {
        std::lock_guard<std::mutex> hold(g_lock);
        EnsureLoaded();
        Note("mousectl " + text);
        const Outcome outcome = RunCommand(*g_mouse, *command, reply);
        Apply(outcome);
        result = outcome.ok ? kResultDone : kResultRefused;
    } else {
        reply = "the virtual mouse does not know \"" + text + "\": " + error + "\n";
        result = kResultBadCommand;
    }
    if (replyTo && IsWindow(replyTo)) {
        COPYDATASTRUCT answer{kReplyCopyId, static_cast<DWORD>(reply.size() + 1), reply.data()};
        DWORD_PTR ignored = 0;
        SendMessageTimeoutA(replyTo, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&answer), SMTO_ABORTIFHUNG, 5000,
                            &ignored);
    }
    return result;
}

LRESULT CALLBACK ControlWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_COPYDATA:
        return OnCommandText(reinterpret_cast<HWND>(wParam), reinterpret_cast<const COPYDATASTRUCT*>(lParam));
    case WM_CLOSE:
        DestroyWindow(window);
        return 0;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    default:
        return DefWindowProcA(window, message, wParam, lParam);
    }
}

// Shared by Open_DevMonitor and the new thread; whichever lets go last frees it, so a start that takes too long
// cannot leave the thread writing into a caller that has gone.
struct ControlStart {
    KernelHandle ready{CreateEventA(nullptr, TRUE, FALSE, nullptr)};
    HWND window = nullptr;
};

DWORD WINAPI ControlThread(void* parameter) {
    std::unique_ptr<std::shared_ptr<ControlStart>> handOver(static_cast<std::shared_ptr<ControlStart>*>(parameter));
    std::shared_ptr<ControlStart> start = *handOver;
    // The thread holds its own reference to the DLL, so a host that unloads us without Close_DevMonitor cannot pull
    // the code out from under the running message loop.
    HMODULE self = nullptr;
    if (!GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS, reinterpret_cast<LPCSTR>(&ControlThread), &self)) {
        SetEvent(start->ready.get());
        return 1;
    }
    WNDCLASSA wc{};
    wc.lpfnWndProc = ControlWindowProc;
    wc.hInstance = self;
    wc.lpszClassName = kControlWindowClass;
    RegisterClassA(&wc);
    HWND window = CreateWindowExA(0, kControlWindowClass, kControlWindowTitle, 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                  self, nullptr);
    start->window = window;
    SetEvent(start->ready.get());
    start.reset();
    handOver.reset();
    if (window) {
        MSG msg;
        while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
    }
    UnregisterClassA(kControlWindowClass, self);
    FreeLibraryAndExitThread(self, 0);
}

void StartControlWindow() {
    auto start = std::make_shared<ControlStart>();
    if (!start->ready) {
        return;
    }
    auto* handOver = new std::shared_ptr<ControlStart>(start);
    DWORD id = 0;
    KernelHandle thread(CreateThread(nullptr, 0, ControlThread, handOver, 0, &id));
    if (!thread) {
        delete handOver;
    } else if (WaitForSingleObject(start->ready.get(), 10000) == WAIT_OBJECT_0 && start->window) {
        std::lock_guard<std::mutex> hold(g_lock);
        g_controlThread = std::move(thread);
        g_controlWindow = start->window;
    }
    // Otherwise not started in time: the thread ends by itself if its window failed.
}

int Transfer(const char* kind, unsigned char* data, int length, const bool& interfaceOpen, const char* interfaceName) {
    std::lock_guard<std::mutex> hold(g_lock);
    EnsureLoaded();
    const size_t size = (data && length > 0) ? static_cast<size_t>(length) : 0;
    if (!interfaceOpen) {
        Note(std::string(kind) + " refused: the " + interfaceName + " interface is not open");
        return 0;
    }
    const bool isSet = kind[0] == 'S';
    Outcome outcome = isSet ? g_mouse->SetFeature(data, size) : g_mouse->WriteBlock(data, size);
    if (outcome.ok) {
        AppendLog(FormatTransferLine(Milliseconds(), kind, data, size));
    }
    Apply(outcome);
    return outcome.ok ? 1 : 0;
}

} // namespace

extern "C" {

int Set_VIDPID(int vid, int pid) {
    std::lock_guard<std::mutex> hold(g_lock);
    EnsureLoaded();
    char text[64];
    wsprintfA(text, "Set_VIDPID %04X %04X", vid & 0xFFFF, pid & 0xFFFF);
    Note(text);
    return 1;
}

int Open_DevMonitor(HWND window, UINT eventMessage, UINT presenceMessage) {
    {
        std::lock_guard<std::mutex> hold(g_lock);
        EnsureLoaded();
        g_host = window;
        g_eventMessage = eventMessage;
        g_presenceMessage = presenceMessage;
        Note("Open_DevMonitor");
        if (g_controlThread) {
            return 1;
        }
    }
    // One control window per session: with two virtual mice mousectl could not tell which one it drives.
    if (FindWindowExA(HWND_MESSAGE, nullptr, kControlWindowClass, kControlWindowTitle)) {
        std::lock_guard<std::mutex> hold(g_lock);
        Note("another virtual mouse already takes mousectl's commands: this one takes none");
        return 1;
    }
    StartControlWindow();
    std::lock_guard<std::mutex> hold(g_lock);
    if (!g_controlWindow) {
        Note("the control window could not be created: mousectl cannot reach this mouse");
    }
    return 1;
}

int Close_DevMonitor() {
    KernelHandle thread;
    HWND control = nullptr;
    {
        std::lock_guard<std::mutex> hold(g_lock);
        EnsureLoaded();
        Note("Close_DevMonitor");
        g_host = nullptr;
        thread = std::move(g_controlThread);
        control = g_controlWindow;
        g_controlWindow = nullptr;
    }
    if (thread) {
        PostMessageA(control, WM_CLOSE, 0, 0);
        WaitForSingleObject(thread.get(), 10000);
    }
    return 1;
}

int Open_FeatureDevice() {
    std::lock_guard<std::mutex> hold(g_lock);
    EnsureLoaded();
    g_featureOpen = g_mouse->memory().plugged;
    Note(std::string("Open_FeatureDevice ") + (g_featureOpen ? "1" : "0 (unplugged)"));
    return g_featureOpen ? 1 : 0;
}

int Close_FeatureDevice() {
    std::lock_guard<std::mutex> hold(g_lock);
    EnsureLoaded();
    g_featureOpen = false;
    Note("Close_FeatureDevice");
    return 1;
}

int Open_ReportDevice() {
    std::lock_guard<std::mutex> hold(g_lock);
    EnsureLoaded();
    g_reportOpen = g_mouse->memory().plugged;
    if (g_reportOpen) {
        g_clockStart = GetTickCount64();
    }
    Note(std::string("Open_ReportDevice ") + (g_reportOpen ? "1" : "0 (unplugged)"));
    return g_reportOpen ? 1 : 0;
}

int Close_ReportDevice() {
    std::lock_guard<std::mutex> hold(g_lock);
    EnsureLoaded();
    g_reportOpen = false;
    Note("Close_ReportDevice");
    return 1;
}

int SetFeature(unsigned char* report, int length) {
    return Transfer("SET", report, length, g_featureOpen, "feature");
}

int WriteUSB(unsigned char* block, int length) {
    return Transfer("WRITE", block, length, g_reportOpen, "report");
}

int GetFeature(unsigned char* buffer, int length) {
    std::lock_guard<std::mutex> hold(g_lock);
    EnsureLoaded();
    if (!g_featureOpen) {
        Note("GET refused: the feature interface is not open");
        return 0;
    }
    if (!buffer || length < static_cast<int>(kReportBytes)) {
        Note("GET refused: the buffer holds " + std::to_string(buffer ? length : 0) + " bytes, the answer 8");
        return 0;
    }
    std::array<uint8_t, 8> answer{};
    const Outcome outcome = g_mouse->GetFeature(answer);
    if (outcome.ok) {
        std::memcpy(buffer, answer.data(), answer.size());
        AppendLog(FormatTransferLine(Milliseconds(), "GET", answer.data(), answer.size()));
    }
    Apply(outcome);
    return outcome.ok ? 1 : 0;
}

int ReadUSB(unsigned char*, int) {
    std::lock_guard<std::mutex> hold(g_lock);
    EnsureLoaded();
    Note("ReadUSB: the mouse sends no input reports here");
    return 0;
}

} // extern "C"
