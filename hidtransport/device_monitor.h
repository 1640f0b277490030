#pragma once
// The device monitor: one thread that owns a message-only window registered for HID interface arrival and removal,
// posts presence to the host once per physical mouse, and reads the mouse's event reports.
//
// Its thread waits on the read events and its messages at once (MsgWaitForMultipleObjects). On every arrival or
// removal it enumerates the HID interfaces again: mice that appeared are posted present (wParam 1), mice that went are
// posted absent (wParam 0), readers are opened on new configuration collections and closed on gone ones, and the
// host's open collections on a gone interface are given up, which cuts a transfer in progress short. Each event
// report is posted as (command word, value word); any other report is dropped. Start and Stop come from the host's
// window thread; the thread holds its own reference to the DLL, so it can never run on unloaded code.

#include <windows.h>

#include "hidtransport/hid_collection.h"

#include <atomic>
#include <cstdint>
#include <mutex>
#include <vector>

namespace hidtransport {

class DeviceMonitor {
public:
    DeviceMonitor() = default;
    DeviceMonitor(const DeviceMonitor&) = delete;
    DeviceMonitor& operator=(const DeviceMonitor&) = delete;

    // Starts the thread (or, when it runs, only takes the new window and messages). `ids` holds the vendor id in its
    // high half and the product id in its low half, read afresh on every look at the devices; it and `collections`
    // (the host's collections, given up when their interface goes) outlive the thread. True when the thread runs.
    bool Start(HWND host, UINT eventMessage, UINT presenceMessage, const std::atomic<uint32_t>& ids,
               std::vector<Collection*> collections);
    // Stops the thread and waits for it to end. Safe without Start and twice.
    void Stop();

    struct Target {
        HWND host = nullptr;
        UINT eventMessage = 0;
        UINT presenceMessage = 0;
    };
    // Where the thread posts; read under the lock, since Start may change it while the thread runs.
    Target CurrentTarget();

private:
    std::mutex lock_;
    Target target_;
    KernelHandle thread_;
    DWORD threadId_ = 0;
};

} // namespace hidtransport
