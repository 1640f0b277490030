#include <windows.h>

#include "monitor/device/hid_binding.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace {

template <typename Fn> bool Bind(HMODULE module, const char* name, Fn& out) {
    FARPROC p = GetProcAddress(module, name);
    out = reinterpret_cast<Fn>(reinterpret_cast<void*>(p));
    return p != nullptr;
}

} // namespace

bool HidBinding::Load(const std::string& folder) {
    Unload();
    LibraryModule library(LoadLibraryA((folder + kHidDriverFileName).c_str()));
    if (!library) {
        return false;
    }
    HMODULE m = library.get();
    Exports e;
    const bool all =
        Bind(m, "Set_VIDPID", e.setVidPid) & Bind(m, "Open_DevMonitor", e.openDevMonitor) &
        Bind(m, "Open_FeatureDevice", e.openFeatureDevice) & Bind(m, "Open_ReportDevice", e.openReportDevice) &
        Bind(m, "SetFeature", e.setFeature) & Bind(m, "GetFeature", e.getFeature) & Bind(m, "WriteUSB", e.writeUsb) &
        Bind(m, "Close_FeatureDevice", e.closeFeatureDevice) & Bind(m, "Close_ReportDevice", e.closeReportDevice) &
        Bind(m, "Close_DevMonitor", e.closeDevMonitor) & Bind(m, "ReadUSB", e.readUsb);
    if (!all) {
        OutputDebugStringA("hiddriver.dll lacks an export: the mouse is treated as absent\n");
        return false; // the library is freed here; nothing was called
    }
    library_ = std::move(library);
    std::lock_guard<std::mutex> lock(transferLock_);
    exports_ = e;
    bound_ = true;
    return true;
}

void HidBinding::Unload() {
    {
        std::lock_guard<std::mutex> lock(transferLock_);
        bound_ = false;
        featureOpen_ = false;
        reportOpen_ = false;
        exports_ = Exports{};
    }
    library_.reset();
}

int HidBinding::SetVidPid(int vendorId, int productId) {
    return bound_ ? exports_.setVidPid(vendorId, productId) : 0;
}

int HidBinding::OpenDevMonitor(HWND window, UINT eventMessage, UINT presenceMessage) {
    return bound_ ? exports_.openDevMonitor(window, eventMessage, presenceMessage) : 0;
}

int HidBinding::OpenFeatureDevice() {
    std::lock_guard<std::mutex> lock(transferLock_);
    if (!bound_) {
        return 0;
    }
    // Only an interface that opened takes transfers: the library would send them nowhere.
    const int result = exports_.openFeatureDevice();
    featureOpen_ = result != 0;
    return result;
}

int HidBinding::OpenReportDevice() {
    std::lock_guard<std::mutex> lock(transferLock_);
    if (!bound_) {
        return 0;
    }
    const int result = exports_.openReportDevice();
    reportOpen_ = result != 0;
    return result;
}

int HidBinding::CloseFeatureDevice() {
    std::lock_guard<std::mutex> lock(transferLock_);
    if (!bound_) {
        return 0;
    }
    featureOpen_ = false;
    return exports_.closeFeatureDevice();
}

int HidBinding::CloseReportDevice() {
    std::lock_guard<std::mutex> lock(transferLock_);
    if (!bound_) {
        return 0;
    }
    reportOpen_ = false;
    return exports_.closeReportDevice();
}

int HidBinding::CloseDevMonitor() {
    return bound_ ? exports_.closeDevMonitor() : 0;
}

// The library takes writable buffers; it gets a copy of ours, never more than the 32 bytes of a block.
bool HidBinding::SetFeature(const uint8_t* report, int length, int& result) {
    std::array<unsigned char, 32> buffer{};
    const int n = std::clamp(length, 0, static_cast<int>(buffer.size()));
    std::memcpy(buffer.data(), report, n);
    std::lock_guard<std::mutex> lock(transferLock_);
    if (!bound_ || !featureOpen_) {
        return false;
    }
    result = exports_.setFeature(buffer.data(), n);
    return true;
}

bool HidBinding::GetFeature(uint8_t* buffer, int length, int& result) {
    std::array<unsigned char, 32> local{};
    const int n = std::clamp(length, 0, static_cast<int>(local.size()));
    std::memcpy(local.data(), buffer, n);
    std::lock_guard<std::mutex> lock(transferLock_);
    if (!bound_ || !featureOpen_) {
        return false;
    }
    result = exports_.getFeature(local.data(), n);
    std::memcpy(buffer, local.data(), n);
    return true;
}

bool HidBinding::WriteUSB(const uint8_t* block, int length, int& result) {
    std::array<unsigned char, 32> buffer{};
    const int n = std::clamp(length, 0, static_cast<int>(buffer.size()));
    std::memcpy(buffer.data(), block, n);
    std::lock_guard<std::mutex> lock(transferLock_);
    if (!bound_ || !reportOpen_) {
        return false;
    }
    result = exports_.writeUsb(buffer.data(), n);
    return true;
}
