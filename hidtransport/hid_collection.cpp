#include <windows.h>

#include <cfgmgr32.h>
#include <setupapi.h>
// The toolchain's hidsdi.h declares hid.dll's functions without C linkage.
extern "C" {
#include <hidsdi.h>
}

#include "hidtransport/hid_collection.h"
#include "hidtransport/hid_ioctl.h"

#include <algorithm>
#include <cstring>
#include <utility>

namespace hidtransport {

namespace {

// A cancelled request normally ends at once; this only bounds a driver that ignores the cancellation.
constexpr DWORD kCancelWaitMs = 250;
// Far more levels than any real device tree has; stops a loop in a broken one.
constexpr int kMaxTreeDepth = 16;

class DeviceInfoSet {
public:
    explicit DeviceInfoSet(HDEVINFO set) : set_(set) {}
    ~DeviceInfoSet() {
        if (set_ != INVALID_HANDLE_VALUE) {
            SetupDiDestroyDeviceInfoList(set_);
        }
    }
    DeviceInfoSet(const DeviceInfoSet&) = delete;
    DeviceInfoSet& operator=(const DeviceInfoSet&) = delete;
    HDEVINFO get() const { return set_; }
    bool valid() const { return set_ != INVALID_HANDLE_VALUE; }

private:
    HDEVINFO set_;
};

std::string DeviceId(DEVINST node) {
    char id[MAX_DEVICE_ID_LEN + 1] = {};
    if (CM_Get_Device_IDA(node, id, MAX_DEVICE_ID_LEN, 0) != CR_SUCCESS) {
        return {};
    }
    id[MAX_DEVICE_ID_LEN] = '\0';
    return id;
}

// The device instance ids from the collection's node up towards the root.
std::vector<std::string> DeviceChain(DEVINST node) {
    std::vector<std::string> chain;
    for (int depth = 0; depth < kMaxTreeDepth && node != 0; ++depth) {
        const std::string id = DeviceId(node);
        if (id.empty()) {
            break;
        }
        chain.push_back(id);
        DEVINST parent = 0;
        if (CM_Get_Parent(&parent, node, 0) != CR_SUCCESS || parent == node) {
            break;
        }
        node = parent;
    }
    return chain;
}

bool ReadInterface(const std::string& path, uint16_t vendorId, uint16_t productId, CollectionInfo& info) {
    // No access rights: enough for the attributes and capabilities, and allowed even on collections that the
    // system holds open exclusively (mouse, keyboard).
    KernelHandle file(
        CreateFileA(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr));
    if (!file) {
        return false;
    }
    HIDD_ATTRIBUTES attributes{};
    attributes.Size = sizeof(attributes);
    if (!HidD_GetAttributes(file.get(), &attributes)) {
        return false;
    }
    info.vendorId = attributes.VendorID;
    info.productId = attributes.ProductID;
    if (info.vendorId != vendorId || info.productId != productId) {
        return true;
    }
    PHIDP_PREPARSED_DATA preparsed = nullptr;
    if (!HidD_GetPreparsedData(file.get(), &preparsed)) {
        return true;
    }
    HIDP_CAPS caps{};
    if (HidP_GetCaps(preparsed, &caps) == HIDP_STATUS_SUCCESS) {
        info.usagePage = caps.UsagePage;
        info.usage = caps.Usage;
        info.inputReportBytes = caps.InputReportByteLength;
        info.outputReportBytes = caps.OutputReportByteLength;
        info.featureReportBytes = caps.FeatureReportByteLength;
    }
    HidD_FreePreparsedData(preparsed);
    return true;
}

} // namespace

std::vector<HidInterface> EnumerateHidInterfaces(uint16_t vendorId, uint16_t productId) {
    std::vector<HidInterface> found;
    DeviceInfoSet set(
        SetupDiGetClassDevsA(&kHidInterfaceClass, nullptr, nullptr, DIGCF_PRESENT | DIGCF_DEVICEINTERFACE));
    if (!set.valid()) {
        return found;
    }
    for (DWORD index = 0;; ++index) {
        SP_DEVICE_INTERFACE_DATA data{};
        data.cbSize = sizeof(data);
        if (!SetupDiEnumDeviceInterfaces(set.get(), nullptr, &kHidInterfaceClass, index, &data)) {
            break;
        }
        DWORD needed = 0;
        SetupDiGetDeviceInterfaceDetailA(set.get(), &data, nullptr, 0, &needed, nullptr);
        if (needed < sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_A) || needed > 64 * 1024) {
            continue;
        }
        std::vector<uint8_t> storage(needed + sizeof(DWORD), 0);
        auto* detail = reinterpret_cast<SP_DEVICE_INTERFACE_DETAIL_DATA_A*>(storage.data());
        detail->cbSize = sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_A);
        SP_DEVINFO_DATA device{};
        device.cbSize = sizeof(device);
        if (!SetupDiGetDeviceInterfaceDetailA(set.get(), &data, detail, needed, nullptr, &device)) {
            continue;
        }
        HidInterface itf;
        const size_t pathRoom = needed - offsetof(SP_DEVICE_INTERFACE_DETAIL_DATA_A, DevicePath);
        itf.path.assign(detail->DevicePath, strnlen(detail->DevicePath, pathRoom));
        if (itf.path.empty() || !ReadInterface(itf.path, vendorId, productId, itf.info)) {
            continue;
        }
        itf.device = PhysicalDeviceKey(DeviceChain(device.DevInst));
        if (itf.device.empty()) {
            itf.device = itf.path;
        }
        found.push_back(std::move(itf));
    }
    return found;
}

KernelHandle OpenForTransfers(const std::string& path) {
    return KernelHandle(CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                    nullptr, OPEN_EXISTING, FILE_FLAG_OVERLAPPED, nullptr));
}

OVERLAPPED* IoSlot::Start() {
    overlapped = OVERLAPPED{};
    overlapped.hEvent = event.get();
    ResetEvent(event.get());
    return &overlapped;
}

bool IoSlot::Cancel(HANDLE file) {
    CancelIoEx(file, &overlapped);
    return WaitForSingleObject(event.get(), kCancelWaitMs) == WAIT_OBJECT_0;
}

void IoSlot::Abandon(std::unique_ptr<IoSlot> slot) {
    OutputDebugStringA("hiddriver: a request did not end after its cancellation; its buffer stays allocated\n");
    static_cast<void>(slot.release());
}

bool IsDeviceGoneError(DWORD error) {
    constexpr DWORD kErrorNoSuchDevice = 433; // ERROR_NO_SUCH_DEVICE, which the toolchain's headers lack
    if (error == kErrorNoSuchDevice) {
        return true;
    }
    switch (error) {
    case ERROR_DEVICE_NOT_CONNECTED:
    case ERROR_FILE_NOT_FOUND:
    case ERROR_DEV_NOT_EXIST:
    case ERROR_INVALID_HANDLE:
    case ERROR_OPERATION_ABORTED:
    case ERROR_ACCESS_DENIED: // a removed device's requests end with "delete pending"
        return true;
    default:
        return false;
    }
}

bool Collection::Open(uint16_t vendorId, uint16_t productId, const std::string& preferredDevice) {
    Close();
    const std::vector<HidInterface> interfaces = EnumerateHidInterfaces(vendorId, productId);
    const auto index = PickInterface(interfaces, vendorId, productId, role_, preferredDevice);
    if (!index) {
        return false;
    }
    auto slot = std::make_unique<IoSlot>();
    KernelHandle file = OpenForTransfers(interfaces[*index].path);
    if (!file || !slot->event) {
        return false;
    }
    std::lock_guard<std::mutex> hold(lock_);
    slot_ = std::move(slot);
    std::lock_guard<std::mutex> io(ioLock_);
    interface_ = interfaces[*index];
    file_ = std::move(file);
    gone_ = false;
    return true;
}

void Collection::Close() {
    std::lock_guard<std::mutex> hold(lock_);
    KernelHandle file;
    {
        std::lock_guard<std::mutex> io(ioLock_);
        file = std::move(file_);
        gone_ = false;
        interface_ = HidInterface{};
    }
    // The handle closes as `file` goes: outside the transfer lock.
}

std::string Collection::Device() {
    std::lock_guard<std::mutex> hold(lock_);
    return file_ ? interface_.device : std::string();
}

void Collection::AbandonUnless(const std::vector<std::string>& presentPaths) {
    std::lock_guard<std::mutex> io(ioLock_);
    if (!file_ || gone_) {
        return;
    }
    // interface_.path is written only under both locks, so reading it under ioLock_ alone is safe.
    if (std::find(presentPaths.begin(), presentPaths.end(), interface_.path) != presentPaths.end()) {
        return;
    }
    gone_ = true;
    if (inFlight_) {
        CancelIoEx(file_.get(), nullptr);
    }
}

bool Collection::Run(Request request, DWORD& transferred) {
    HANDLE file = nullptr;
    {
        std::lock_guard<std::mutex> io(ioLock_);
        if (!file_ || gone_ || !slot_) {
            return false;
        }
        file = file_.get();
        inFlight_ = true;
    }
    std::vector<uint8_t>& buffer = slot_->buffer;
    OVERLAPPED* overlapped = slot_->Start();
    const DWORD size = static_cast<DWORD>(buffer.size());
    BOOL started = FALSE;
    switch (request) {
    case Request::SetFeature:
        started = DeviceIoControl(file, kIoctlHidSetFeature, buffer.data(), size, nullptr, 0, nullptr, overlapped);
        break;
    case Request::GetFeature:
        started = DeviceIoControl(file, kIoctlHidGetFeature, nullptr, 0, buffer.data(), size, nullptr, overlapped);
        break;
    case Request::Write:
        started = WriteFile(file, buffer.data(), size, nullptr, overlapped);
        break;
    }
    bool ok = false;
    DWORD error = started ? ERROR_SUCCESS : GetLastError();
    if (error == ERROR_IO_PENDING) {
        // The device monitor may have given the collection up between our check and the start.
        std::lock_guard<std::mutex> io(ioLock_);
        if (gone_) {
            CancelIoEx(file, overlapped);
        }
    }
    // A request that did not fail at once signals the slot's event when it ends, even one that ended at once.
    const bool underway = started || error == ERROR_IO_PENDING;
    if (underway && WaitForSingleObject(slot_->event.get(), kTransferTimeoutMs) == WAIT_OBJECT_0) {
        ok = GetOverlappedResult(file, overlapped, &transferred, FALSE) != FALSE;
        error = ok ? ERROR_SUCCESS : GetLastError();
    } else if (underway) {
        // The device does not answer: give it up, so the next transfers fail at once instead of waiting again.
        OutputDebugStringA("hiddriver: the device did not answer in time\n");
        if (!slot_->Cancel(file)) {
            IoSlot::Abandon(std::move(slot_));
        }
        error = ERROR_DEVICE_NOT_CONNECTED;
    }
    {
        std::lock_guard<std::mutex> io(ioLock_);
        inFlight_ = false;
        if (!ok && IsDeviceGoneError(error)) {
            gone_ = true;
        }
    }
    return ok;
}

bool Collection::SetFeature(const uint8_t* command, size_t length) {
    std::lock_guard<std::mutex> hold(lock_);
    auto report = FrameCommand(command, length, interface_.info.featureReportBytes);
    if (!report || !slot_) {
        return false;
    }
    slot_->buffer = std::move(*report);
    DWORD transferred = 0;
    return Run(Request::SetFeature, transferred);
}

bool Collection::GetFeature(uint8_t* answer, size_t length) {
    std::lock_guard<std::mutex> hold(lock_);
    auto request = FrameAnswerRequest(interface_.info.featureReportBytes);
    if (!answer || length < kCommandBytes || !request || !slot_) {
        return false;
    }
    slot_->buffer = std::move(*request);
    // The platform fills the whole buffer of the collection's feature length; the byte count it returns is not
    // needed.
    DWORD transferred = 0;
    if (!Run(Request::GetFeature, transferred) || !slot_) {
        return false;
    }
    const auto bytes = TakeAnswer(slot_->buffer.data(), slot_->buffer.size());
    if (!bytes) {
        return false;
    }
    std::copy(bytes->begin(), bytes->end(), answer);
    return true;
}

bool Collection::WriteBlock(const uint8_t* block, size_t length) {
    std::lock_guard<std::mutex> hold(lock_);
    auto report = FrameBlock(block, length, interface_.info.outputReportBytes);
    if (!report || !slot_) {
        return false;
    }
    slot_->buffer = std::move(*report);
    DWORD transferred = 0;
    return Run(Request::Write, transferred);
}

} // namespace hidtransport
