#pragma once
// The platform side of one configuration collection: finding the HID interfaces, and an opened collection whose
// transfers are overlapped and bounded in time.
//
// Threads: a Collection's Open, Close and transfers come from the host's threads (opens and closes from its window
// thread, transfers from its device worker) and are serialised by the collection's own lock; Abandon comes from the
// device monitor's thread as AbandonUnless and never waits for that lock, so a removal cuts a running transfer short at
// once.

#include <windows.h>

#include "framework/handles.h"
#include "hidtransport/hid_contract.h"

#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace hidtransport {

// GUID_DEVINTERFACE_HID, the interface class of every HID collection.
inline constexpr GUID kHidInterfaceClass = {
    0x4D1E55B2, 0xF16F, 0x11CF, {0x88, 0xCB, 0x00, 0x11, 0x11, 0x00, 0x00, 0x30}};

// No transfer waits longer than this for the device; one that does is cancelled and the collection given up.
inline constexpr DWORD kTransferTimeoutMs = 1000;

// Every present HID interface, each opened with no access rights to read its attributes; the capabilities are read
// only for interfaces with the given ids (the others keep zero capabilities and so serve nothing).
std::vector<HidInterface> EnumerateHidInterfaces(uint16_t vendorId, uint16_t productId);

// Opens a HID interface for overlapped transfers (read and write, shared).
KernelHandle OpenForTransfers(const std::string& path);

// One overlapped request's OVERLAPPED, event and buffer. They must outlive the request: one that never ends after its
// cancellation is left allocated on purpose (IoSlot::Abandon), so the driver can never write into freed memory.
struct IoSlot {
    OVERLAPPED overlapped{};
    KernelHandle event{CreateEventA(nullptr, TRUE, FALSE, nullptr)};
    std::vector<uint8_t> buffer;

    // Prepares the slot for a new request on `file`: event reset, OVERLAPPED cleared.
    OVERLAPPED* Start();
    // Cancels the request and waits (bounded) for it to end; false when it did not end.
    bool Cancel(HANDLE file);
    // Leaves a slot whose request never ended allocated for good.
    static void Abandon(std::unique_ptr<IoSlot> slot);
};

// True for the errors with which a request ends when its device is gone (or the transport gave it up).
bool IsDeviceGoneError(DWORD error);

class Collection {
public:
    explicit Collection(Role role) : role_(role) {}
    // Without the locks: the library is unloaded after the host's closes, or the process is ending, when a thread
    // that held a lock may already be gone.
    ~Collection() = default;
    Collection(const Collection&) = delete;
    Collection& operator=(const Collection&) = delete;

    // Closes what is open, then opens the interface that serves the role (preferably on `preferredDevice`).
    bool Open(uint16_t vendorId, uint16_t productId, const std::string& preferredDevice);
    void Close();
    // The physical device of the open interface, empty when none is open.
    std::string Device();

    // One transfer each; false when no usable interface is open, the device refused or went, or it did not answer in
    // time. A device that went leaves the collection given up: later transfers fail at once until the next Open.
    bool SetFeature(const uint8_t* command, size_t length);
    bool GetFeature(uint8_t* answer, size_t length);
    bool WriteBlock(const uint8_t* block, size_t length);

    // Device monitor: when the open interface is not among `presentPaths`, gives the collection up and cancels the
    // transfer in progress.
    void AbandonUnless(const std::vector<std::string>& presentPaths);

private:
    enum class Request { SetFeature, GetFeature, Write };
    // Runs one request on the open handle with the slot's buffer; called with lock_ held.
    bool Run(Request request, DWORD& transferred);

    const Role role_;
    std::mutex lock_;        // Open, Close and transfers
    HidInterface interface_; // written under both locks
    std::unique_ptr<IoSlot> slot_;

    std::mutex ioLock_; // the fields below and interface_; AbandonUnless takes only this one
    KernelHandle file_; // closed by Close under both locks
    bool gone_ = false;
    bool inFlight_ = false;
};

} // namespace hidtransport
