#include <windows.h>

#include <dbt.h>

#include "hidtransport/device_monitor.h"

#include <algorithm>
#include <atomic>
#include <memory>
#include <set>
#include <string>
#include <utility>

namespace hidtransport {

namespace {

constexpr char kWindowClass[] = "KorvaneHidTransportMonitor";
// An arrival or removal can be notified a moment before the interface list shows it: look once more after this.
constexpr UINT_PTR kSettleTimer = 1;
constexpr UINT kSettleMs = 500;
// Far more configuration collections than one desk has mice; keeps the wait within its handle limit.
constexpr size_t kMaxReaders = 16;
constexpr DWORD kStartWaitMs = 10000;
constexpr DWORD kStopWaitMs = 5000;

// One configuration collection whose event reports the thread reads.
struct Reader {
    std::string path;
    size_t inputBytes = 0;
    KernelHandle file;
    std::unique_ptr<IoSlot> slot = std::make_unique<IoSlot>();
    bool pending = false;

    bool StartRead() {
        slot->buffer.assign(inputBytes, 0);
        OVERLAPPED* overlapped = slot->Start();
        if (!ReadFile(file.get(), slot->buffer.data(), static_cast<DWORD>(inputBytes), nullptr, overlapped) &&
            GetLastError() != ERROR_IO_PENDING) {
            return false;
        }
        pending = true;
        return true;
    }

    ~Reader() {
        if (pending && !slot->Cancel(file.get())) {
            IoSlot::Abandon(std::move(slot));
        }
    }
};

// Everything the thread works with; shared by Start and the thread.
struct ThreadState {
    DeviceMonitor* owner = nullptr;
    const std::atomic<uint32_t>* ids = nullptr;
    std::vector<Collection*> collections;
    KernelHandle ready{CreateEventA(nullptr, TRUE, FALSE, nullptr)};
    std::atomic<bool> started{false};   // set before `ready`
    std::atomic<bool> abandoned{false}; // Start gave up waiting for it

    HWND window = nullptr;
    bool rescan = false;
    std::set<std::string> present;
    std::vector<std::unique_ptr<Reader>> readers;
    std::set<std::string> failedPaths; // readers that failed; tried again after the next notification

    void Post(UINT DeviceMonitor::Target::*message, WPARAM wParam, LPARAM lParam) {
        const DeviceMonitor::Target target = owner->CurrentTarget();
        if (target.host) {
            PostMessageA(target.host, target.*message, wParam, lParam);
        }
    }

    void Rescan(bool post);
    void OnReadDone(size_t index);
};

void ThreadState::Rescan(bool post) {
    const uint32_t both = ids->load();
    const auto vendorId = static_cast<uint16_t>(both >> 16);
    const auto productId = static_cast<uint16_t>(both & 0xFFFF);
    const std::vector<HidInterface> interfaces = EnumerateHidInterfaces(vendorId, productId);
    std::vector<std::string> paths;
    for (const HidInterface& itf : interfaces) {
        paths.push_back(itf.path);
    }
    for (Collection* collection : collections) {
        collection->AbandonUnless(paths);
    }

    std::set<std::string> mice = PresentMice(interfaces, vendorId, productId);
    if (post) {
        for (const PresenceChange& change : PresenceChanges(present, mice)) {
            OutputDebugStringA(change.present ? "hiddriver: mouse arrived\n" : "hiddriver: mouse removed\n");
            Post(&DeviceMonitor::Target::presenceMessage, change.present ? 1 : 0, 0);
        }
    }
    present = std::move(mice);

    readers.erase(std::remove_if(readers.begin(), readers.end(),
                                 [&](const std::unique_ptr<Reader>& reader) {
                                     return std::find(paths.begin(), paths.end(), reader->path) == paths.end();
                                 }),
                  readers.end());
    for (const HidInterface& itf : interfaces) {
        if (readers.size() >= kMaxReaders || !Serves(itf.info, vendorId, productId, Role::Events) ||
            failedPaths.count(itf.path) ||
            std::any_of(readers.begin(), readers.end(), [&](const auto& r) { return r->path == itf.path; })) {
            continue;
        }
        auto reader = std::make_unique<Reader>();
        reader->path = itf.path;
        reader->inputBytes = itf.info.inputReportBytes;
        reader->file = OpenForTransfers(itf.path);
        if (reader->file && reader->slot->event && reader->StartRead()) {
            readers.push_back(std::move(reader));
        } else {
            failedPaths.insert(itf.path);
        }
    }
}

void ThreadState::OnReadDone(size_t index) {
    Reader& reader = *readers[index];
    reader.pending = false;
    DWORD length = 0;
    if (GetOverlappedResult(reader.file.get(), &reader.slot->overlapped, &length, FALSE)) {
        const size_t got = std::min<size_t>(length, reader.slot->buffer.size());
        if (const auto event = ParseEvent(reader.slot->buffer.data(), got, reader.inputBytes)) {
            Post(&DeviceMonitor::Target::eventMessage, event->command, event->value);
        }
        if (reader.StartRead()) {
            return;
        }
    }
    // The collection failed (most likely its device went): stop reading it and look at what is present now.
    failedPaths.insert(reader.path);
    readers.erase(readers.begin() + static_cast<std::ptrdiff_t>(index));
    rescan = true;
}

LRESULT CALLBACK MonitorWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        const auto* create = reinterpret_cast<const CREATESTRUCTA*>(lParam);
        SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* state = reinterpret_cast<ThreadState*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    switch (message) {
    case WM_DEVICECHANGE:
        if (state && (wParam == DBT_DEVICEARRIVAL || wParam == DBT_DEVICEREMOVECOMPLETE)) {
            state->rescan = true;
            state->failedPaths.clear();
            SetTimer(window, kSettleTimer, kSettleMs, nullptr);
        }
        return TRUE;
    case WM_TIMER:
        if (state && wParam == kSettleTimer) {
            KillTimer(window, kSettleTimer);
            state->rescan = true;
        }
        return 0;
    case WM_NCDESTROY:
        SetWindowLongPtrA(window, GWLP_USERDATA, 0);
        break;
    default:
        break;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

void RunLoop(ThreadState& state) {
    for (;;) {
        HANDLE events[kMaxReaders];
        const DWORD count = static_cast<DWORD>(state.readers.size());
        for (DWORD i = 0; i < count; ++i) {
            events[i] = state.readers[i]->slot->event.get();
        }
        const DWORD woke = MsgWaitForMultipleObjectsEx(count, events, INFINITE, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
        if (woke < WAIT_OBJECT_0 + count) {
            state.OnReadDone(woke - WAIT_OBJECT_0);
        } else if (woke == WAIT_OBJECT_0 + count) {
            MSG msg;
            while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
                if (msg.message == WM_QUIT) {
                    return;
                }
                DispatchMessageA(&msg);
            }
        } else {
            return; // the wait itself failed: nothing sensible is left to wait for
        }
        if (state.rescan) {
            state.rescan = false;
            state.Rescan(true);
        }
    }
}

DWORD WINAPI MonitorThread(void* parameter) {
    std::unique_ptr<std::shared_ptr<ThreadState>> handOver(static_cast<std::shared_ptr<ThreadState>*>(parameter));
    const std::shared_ptr<ThreadState> state = *handOver;
    handOver.reset();
    HMODULE self = nullptr;
    if (!GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS, reinterpret_cast<LPCSTR>(&MonitorThread), &self)) {
        SetEvent(state->ready.get());
        return 1;
    }
    WNDCLASSA wc{};
    wc.lpfnWndProc = MonitorWindowProc;
    wc.hInstance = self;
    wc.lpszClassName = kWindowClass;
    RegisterClassA(&wc);
    state->window = CreateWindowExA(0, kWindowClass, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, self, state.get());
    HDEVNOTIFY notify = nullptr;
    if (state->window) {
        DEV_BROADCAST_DEVICEINTERFACE_A filter{};
        filter.dbcc_size = sizeof(filter);
        filter.dbcc_devicetype = DBT_DEVTYP_DEVICEINTERFACE;
        filter.dbcc_classguid = kHidInterfaceClass;
        notify = RegisterDeviceNotificationA(state->window, &filter, DEVICE_NOTIFY_WINDOW_HANDLE);
    }
    if (state->window && notify && !state->abandoned) {
        // What is present now is the starting point; the host learns it from its opens, not from a notification.
        state->Rescan(false);
        state->started = true;
        SetEvent(state->ready.get());
        RunLoop(*state);
    } else {
        OutputDebugStringA("hiddriver: the device monitor could not register for notifications\n");
        SetEvent(state->ready.get());
    }
    state->readers.clear();
    if (notify) {
        UnregisterDeviceNotification(notify);
    }
    if (state->window) {
        DestroyWindow(state->window);
    }
    UnregisterClassA(kWindowClass, self);
    FreeLibraryAndExitThread(self, 0);
}

} // namespace

bool DeviceMonitor::Start(HWND host, UINT eventMessage, UINT presenceMessage, const std::atomic<uint32_t>& ids,
                          std::vector<Collection*> collections) {
    {
        std::lock_guard<std::mutex> hold(lock_);
        target_ = Target{host, eventMessage, presenceMessage};
        if (thread_) {
            return true;
        }
    }
    // Shared with the thread; whichever lets go last frees it, so a start that takes too long cannot leave the
    // thread writing into a caller that has gone.
    auto state = std::make_shared<ThreadState>();
    if (!state->ready) {
        return false;
    }
    state->owner = this;
    state->ids = &ids;
    state->collections = std::move(collections);
    auto* handOver = new std::shared_ptr<ThreadState>(state);
    DWORD id = 0;
    KernelHandle thread(CreateThread(nullptr, 0, MonitorThread, handOver, 0, &id));
    if (!thread) {
        delete handOver;
        return false;
    }
    if (WaitForSingleObject(state->ready.get(), kStartWaitMs) != WAIT_OBJECT_0 || !state->started) {
        state->abandoned = true;
        PostThreadMessageA(id, WM_QUIT, 0, 0);
        return false; // the thread ends by itself
    }
    std::lock_guard<std::mutex> hold(lock_);
    thread_ = std::move(thread);
    threadId_ = id;
    return true;
}

void DeviceMonitor::Stop() {
    KernelHandle thread;
    DWORD id = 0;
    {
        std::lock_guard<std::mutex> hold(lock_);
        thread = std::move(thread_);
        id = std::exchange(threadId_, 0);
        target_ = Target{};
    }
    if (!thread) {
        return;
    }
    PostThreadMessageA(id, WM_QUIT, 0, 0);
    WaitForSingleObject(thread.get(), kStopWaitMs);
}

DeviceMonitor::Target DeviceMonitor::CurrentTarget() {
    std::lock_guard<std::mutex> hold(lock_);
    return target_;
}

} // namespace hidtransport
