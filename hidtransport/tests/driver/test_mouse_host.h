#pragma once
// The test side of the test mouse: its driver installed into this Wine prefix, its root-enumerated device plugged in
// and pulled out through the platform's device installation, and the device server that plays the mouse behind the
// driver with the virtual mouse's model.
//
// Threads: TestMouseDevice belongs to the test's thread, which must pump messages while it waits (the waits do).
// DeviceServer runs one thread of its own that takes the driver's transfers; its accessors lock.

#include <windows.h>

#include "hiddriver/virtual_mouse.h"

#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace testmouse {

// The device with the driver. A fresh prefix gets the driver on the first Plug; any test device that an earlier run
// left is removed by Plug and Unplug alike.
class TestMouseDevice {
public:
    // driverFolder: where korvane_test_mouse.sys and korvane_test_mouse.inf lie (Windows path, trailing backslash).
    explicit TestMouseDevice(std::string driverFolder) : driverFolder_(std::move(driverFolder)) {}
    ~TestMouseDevice();

    // Registers the device and installs the driver for it; true once its HID collection is there.
    bool Plug(DWORD timeoutMs = 20000);
    // Removes every test device; true once no collection of it is left.
    bool Unplug(DWORD timeoutMs = 20000);
    // How long the last Plug or Unplug took, in milliseconds.
    ULONGLONG LastChangeMs() const { return lastChangeMs_; }

    // The device path of the present test mouse's collection, empty when there is none.
    static std::string CollectionPath();

private:
    static bool RemoveDevices();
    std::string driverFolder_;
    ULONGLONG lastChangeMs_ = 0;
};

// The mouse behind the driver: takes the host's transfers from the control device and runs them on the virtual
// mouse's model.
class DeviceServer {
public:
    DeviceServer();
    ~DeviceServer();
    // Opens the driver's control device and starts serving; false when the driver is not loaded.
    bool Start();
    void Stop();

    // Sends an input report (report id 4: command word, value word, both little-endian).
    bool RaiseEvent(uint16_t command, uint16_t value);
    // Sends any input report, report id first.
    bool RaiseReport(const std::vector<uint8_t>& report);

    // The transfer log, in the virtual mouse's format: "<ms> SET|WRITE|GET <hex pairs>" for each transfer the mouse
    // took (ms since Start), "# ..." for everything else (refusals, reports of unknown ids or lengths).
    std::string Log() const;
    vmouse::Memory Memory() const;
    void SetMemory(const vmouse::Memory& memory);
    // Host transfers that reached the server.
    int Transfers() const { return transfers_.load(); }
    // While held, the server takes transfers but does not answer them (a mouse that hangs).
    void Hold(bool hold);

private:
    void Run();
    // Runs one host transfer on the model; fills the answer of a feature request.
    bool Serve(unsigned kind, const uint8_t* data, size_t length, std::vector<uint8_t>& answer);
    void Log(const char* kind, const uint8_t* data, size_t length);
    void Notes(const vmouse::Outcome& outcome);
    bool Answer(unsigned id, bool ok, const std::vector<uint8_t>& data);

    HANDLE control_ = INVALID_HANDLE_VALUE;
    HANDLE stop_ = nullptr;
    std::thread thread_;
    mutable std::mutex lock_;
    vmouse::VirtualMouse mouse_;
    std::string log_;
    ULONGLONG started_ = 0;
    std::atomic<int> transfers_{0};
    std::atomic<bool> hold_{false};
    std::vector<unsigned> held_;
};

} // namespace testmouse
