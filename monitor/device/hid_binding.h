#pragma once
// The HID transport: hiddriver.dll from the program folder, bound at run time by the names of its eleven exports.
// With the library or any export missing nothing is bound, no export is ever called, and the mouse counts as absent.
//
// Threads: opens and closes belong to Monitor's window thread; SetFeature, GetFeature and WriteUSB to the
// DeviceWorker. The two are kept apart by one lock: every transfer holds it for the length of its library call, and
// a close takes it, marks the interface closed and only then calls the library. So no interface is closed under a
// running transfer, a close waits at most for the one call in progress (never for a whole job), and once closed
// every further transfer of the job is refused without calling the library; the job then stops (device_worker.h).

#include <windows.h>

#include "framework/handles.h"

#include <cstdint>
#include <mutex>
#include <string>

// The USB identity that the opens look for.
inline constexpr int kMouseVendorId = 0x2B1E;
inline constexpr int kMouseProductId = 0x0178;
inline constexpr char kHidDriverFileName[] = "hiddriver.dll";

// What the DeviceWorker needs from the transport; tests put a fake in its place. Each call returns false, without
// reaching the device, when the interface it needs is closed (the mouse was removed, Monitor is shutting down);
// otherwise true with the library's own result in `result`.
class DeviceTransport {
public:
    virtual ~DeviceTransport() = default;
    // One 8-byte command report.
    virtual bool SetFeature(const uint8_t* report, int length, int& result) = 0;
    // The device's 8-byte answer into `buffer`; result non-zero on success.
    virtual bool GetFeature(uint8_t* buffer, int length, int& result) = 0;
    // One data block of 8 or 32 bytes.
    virtual bool WriteUSB(const uint8_t* block, int length, int& result) = 0;
};

class HidBinding : public DeviceTransport {
public:
    HidBinding() = default;
    ~HidBinding() override { Unload(); }
    HidBinding(const HidBinding&) = delete;
    HidBinding& operator=(const HidBinding&) = delete;

    // Loads folder + "hiddriver.dll" (the folder ends with a backslash) and looks up all eleven exports. True only
    // when every one was found; otherwise the library is freed again and nothing is bound.
    bool Load(const std::string& folder);
    bool Loaded() const { return bound_; }
    // Frees the library. Call Close* first (shut-down order: feature, report, monitor, then unload).
    void Unload();

    // Window thread only. Without a bound library each returns 0 and calls nothing. An interface takes transfers only
    // after its open returned non-zero.
    int SetVidPid(int vendorId, int productId);
    int OpenDevMonitor(HWND window, UINT eventMessage, UINT presenceMessage);
    int OpenFeatureDevice();
    int OpenReportDevice(); // non-zero: the mouse is present
    int CloseFeatureDevice();
    int CloseReportDevice();
    int CloseDevMonitor();

    // DeviceWorker side (DeviceTransport).
    bool SetFeature(const uint8_t* report, int length, int& result) override;
    bool GetFeature(uint8_t* buffer, int length, int& result) override;
    bool WriteUSB(const uint8_t* block, int length, int& result) override;

private:
    using VidPidFn = int(__cdecl*)(int, int);
    using DevMonitorFn = int(__cdecl*)(HWND, UINT, UINT);
    using NoArgFn = int(__cdecl*)();
    using BufferFn = int(__cdecl*)(unsigned char*, int);

    struct Exports {
        VidPidFn setVidPid = nullptr;
        DevMonitorFn openDevMonitor = nullptr;
        NoArgFn openFeatureDevice = nullptr;
        NoArgFn openReportDevice = nullptr;
        BufferFn setFeature = nullptr;
        BufferFn getFeature = nullptr;
        BufferFn writeUsb = nullptr;
        NoArgFn closeFeatureDevice = nullptr;
        NoArgFn closeReportDevice = nullptr;
        NoArgFn closeDevMonitor = nullptr;
        FARPROC readUsb = nullptr; // bound, never called
    };

    LibraryModule library_;
    Exports exports_{};
    bool bound_ = false;

    std::mutex transferLock_;  // one library call at a time; a close never runs under a transfer
    bool featureOpen_ = false; // guarded by transferLock_
    bool reportOpen_ = false;  // guarded by transferLock_
};
