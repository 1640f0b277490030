#include <windows.h>

#include <dbt.h>
// The HID library's header declares its functions without C linkage.
extern "C" {
#include <hidsdi.h>
}
#include <newdev.h>
#include <setupapi.h>

#include "hidtransport/tests/driver/test_mouse_channel.h"
#include "hidtransport/tests/driver/test_mouse_host.h"
#include "testing/pump.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace testmouse {

namespace {

constexpr char kInstanceId[] = "ROOT\\KORVANE_TEST_MOUSE\\0000";
// The platform's interface class of HID collections.
constexpr GUID kHidInterface = {0x4d1e55b2, 0xf16f, 0x11cf, {0x88, 0xcb, 0x00, 0x11, 0x11, 0x00, 0x00, 0x30}};

// True when the device's hardware ids hold ours.
bool IsTestMouse(HDEVINFO set, SP_DEVINFO_DATA& device) {
    char ids[512] = {};
    if (!SetupDiGetDeviceRegistryPropertyA(set, &device, SPDRP_HARDWAREID, nullptr, reinterpret_cast<BYTE*>(ids),
                                           sizeof ids - 2, nullptr)) {
        return false;
    }
    for (const char* id = ids; *id; id += std::strlen(id) + 1) {
        if (lstrcmpiA(id, KORVANE_TEST_MOUSE_HARDWARE_ID) == 0) {
            return true;
        }
    }
    return false;
}

// A window that hears the HID interface arrivals and removals, so that a wait wakes when one happens.
class InterfaceWatch {
public:
    InterfaceWatch() {
        window_ = CreateWindowExA(0, "STATIC", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
        DEV_BROADCAST_DEVICEINTERFACE_A filter{};
        filter.dbcc_size = sizeof filter;
        filter.dbcc_devicetype = DBT_DEVTYP_DEVICEINTERFACE;
        filter.dbcc_classguid = kHidInterface;
        if (window_) {
            notify_ = RegisterDeviceNotificationA(window_, &filter, DEVICE_NOTIFY_WINDOW_HANDLE);
        }
    }
    ~InterfaceWatch() {
        if (notify_) {
            UnregisterDeviceNotification(notify_);
        }
        if (window_) {
            DestroyWindow(window_);
        }
    }

private:
    HWND window_ = nullptr;
    HDEVNOTIFY notify_ = nullptr;
};

std::string FileText(const std::string& path) {
    std::string text;
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return text;
    }
    char chunk[4096];
    DWORD got = 0;
    while (ReadFile(file, chunk, sizeof chunk, &got, nullptr) && got > 0) {
        text.append(chunk, got);
    }
    CloseHandle(file);
    return text;
}

// Wine starts the driver again with the next session when a run left its device behind, and a loaded driver's file
// cannot be replaced: the install would then keep an older build's driver. Stopping the service unloads it.
void UnloadStaleDriver(const std::string& driverFolder) {
    char system[MAX_PATH] = {};
    GetSystemDirectoryA(system, MAX_PATH);
    const std::string installed = std::string(system) + "\\drivers\\" KORVANE_TEST_MOUSE_SERVICE ".sys";
    if (FileText(installed) == FileText(driverFolder + KORVANE_TEST_MOUSE_SERVICE ".sys")) {
        return;
    }
    SC_HANDLE manager = OpenSCManagerA(nullptr, nullptr, SC_MANAGER_CONNECT);
    SC_HANDLE service =
        manager ? OpenServiceA(manager, KORVANE_TEST_MOUSE_SERVICE, SERVICE_STOP | SERVICE_QUERY_STATUS) : nullptr;
    SERVICE_STATUS status{};
    if (service && ControlService(service, SERVICE_CONTROL_STOP, &status)) {
        PumpUntil([&] { return QueryServiceStatus(service, &status) && status.dwCurrentState == SERVICE_STOPPED; },
                  10000);
    }
    if (service) {
        CloseServiceHandle(service);
    }
    if (manager) {
        CloseServiceHandle(manager);
    }
}

} // namespace

// --- TestMouseDevice ---

TestMouseDevice::~TestMouseDevice() {
    RemoveDevices();
}

std::string TestMouseDevice::CollectionPath() {
    std::string found;
    HDEVINFO set = SetupDiGetClassDevsA(&kHidInterface, nullptr, nullptr, DIGCF_PRESENT | DIGCF_DEVICEINTERFACE);
    if (set == INVALID_HANDLE_VALUE) {
        return found;
    }
    SP_DEVICE_INTERFACE_DATA iface{};
    iface.cbSize = sizeof iface;
    for (DWORD i = 0; found.empty() && SetupDiEnumDeviceInterfaces(set, nullptr, &kHidInterface, i, &iface); ++i) {
        union {
            SP_DEVICE_INTERFACE_DETAIL_DATA_A detail;
            char bytes[1024];
        } buffer{};
        buffer.detail.cbSize = sizeof buffer.detail;
        if (!SetupDiGetDeviceInterfaceDetailA(set, &iface, &buffer.detail, sizeof buffer, nullptr, nullptr)) {
            continue;
        }
        HANDLE h = CreateFileA(buffer.detail.DevicePath, 0, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                               0, nullptr);
        if (h == INVALID_HANDLE_VALUE) {
            continue;
        }
        HIDD_ATTRIBUTES attributes{};
        attributes.Size = sizeof attributes;
        if (HidD_GetAttributes(h, &attributes) && attributes.VendorID == KORVANE_TEST_MOUSE_VENDOR_ID &&
            attributes.ProductID == KORVANE_TEST_MOUSE_PRODUCT_ID) {
            found = buffer.detail.DevicePath;
        }
        CloseHandle(h);
    }
    SetupDiDestroyDeviceInfoList(set);
    return found;
}

bool TestMouseDevice::RemoveDevices() {
    HDEVINFO set = SetupDiGetClassDevsA(nullptr, "ROOT", nullptr, DIGCF_ALLCLASSES);
    if (set == INVALID_HANDLE_VALUE) {
        return false;
    }
    bool ok = true;
    SP_DEVINFO_DATA device{};
    device.cbSize = sizeof device;
    for (DWORD i = 0; SetupDiEnumDeviceInfo(set, i, &device); ++i) {
        if (IsTestMouse(set, device) && !SetupDiCallClassInstaller(DIF_REMOVE, set, &device)) {
            ok = false;
        }
    }
    SetupDiDestroyDeviceInfoList(set);
    return ok;
}

bool TestMouseDevice::Plug(DWORD timeoutMs) {
    InterfaceWatch watch;
    const ULONGLONG start = GetTickCount64();
    RemoveDevices();
    UnloadStaleDriver(driverFolder_);
    HDEVINFO set = SetupDiCreateDeviceInfoList(nullptr, nullptr);
    if (set == INVALID_HANDLE_VALUE) {
        return false;
    }
    SP_DEVINFO_DATA device{};
    device.cbSize = sizeof device;
    const GUID noClass{};
    static const char hardwareIds[] = KORVANE_TEST_MOUSE_HARDWARE_ID "\0";
    const bool registered =
        SetupDiCreateDeviceInfoA(set, kInstanceId, &noClass, nullptr, nullptr, 0, &device) &&
        SetupDiSetDeviceRegistryPropertyA(set, &device, SPDRP_HARDWAREID, reinterpret_cast<const BYTE*>(hardwareIds),
                                          sizeof hardwareIds) &&
        SetupDiCallClassInstaller(DIF_REGISTERDEVICE, set, &device);
    SetupDiDestroyDeviceInfoList(set);
    if (!registered) {
        return false;
    }
    const std::string inf = driverFolder_ + "korvane_test_mouse.inf";
    BOOL reboot = FALSE;
    if (!UpdateDriverForPlugAndPlayDevicesA(nullptr, KORVANE_TEST_MOUSE_HARDWARE_ID, inf.c_str(), INSTALLFLAG_FORCE,
                                            &reboot)) {
        return false;
    }
    const bool present = PumpUntil([] { return !CollectionPath().empty(); }, timeoutMs);
    lastChangeMs_ = GetTickCount64() - start;
    return present;
}

bool TestMouseDevice::Unplug(DWORD timeoutMs) {
    InterfaceWatch watch;
    const ULONGLONG start = GetTickCount64();
    if (!RemoveDevices()) {
        return false;
    }
    const bool gone = PumpUntil([] { return CollectionPath().empty(); }, timeoutMs);
    lastChangeMs_ = GetTickCount64() - start;
    return gone;
}

// --- DeviceServer ---

DeviceServer::DeviceServer() = default;

DeviceServer::~DeviceServer() {
    Stop();
}

bool DeviceServer::Start() {
    Stop();
    control_ = CreateFileA(KORVANE_TEST_MOUSE_USER_PATH, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                           FILE_FLAG_OVERLAPPED, nullptr);
    if (control_ == INVALID_HANDLE_VALUE) {
        return false;
    }
    stop_ = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    started_ = GetTickCount64();
    thread_ = std::thread([this] { Run(); });
    return true;
}

void DeviceServer::Stop() {
    if (thread_.joinable()) {
        SetEvent(stop_);
        thread_.join();
    }
    if (control_ != INVALID_HANDLE_VALUE) {
        CloseHandle(control_);
        control_ = INVALID_HANDLE_VALUE;
    }
    if (stop_) {
        CloseHandle(stop_);
        stop_ = nullptr;
    }
}

// Control requests are overlapped: the server thread waits for the next transfer or for Stop.
static bool Control(HANDLE control, HANDLE stop, DWORD code, const void* in, DWORD inLength, void* out, DWORD outLength,
                    DWORD* returned) {
    OVERLAPPED overlapped{};
    overlapped.hEvent = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    bool ok = DeviceIoControl(control, code, const_cast<void*>(in), inLength, out, outLength, nullptr, &overlapped);
    if (!ok && GetLastError() == ERROR_IO_PENDING) {
        HANDLE events[2] = {overlapped.hEvent, stop};
        if (WaitForMultipleObjects(stop ? 2 : 1, events, FALSE, INFINITE) != WAIT_OBJECT_0) {
            CancelIoEx(control, &overlapped);
        }
        ok = GetOverlappedResult(control, &overlapped, returned, TRUE);
    } else if (ok) {
        ok = GetOverlappedResult(control, &overlapped, returned, TRUE);
    }
    CloseHandle(overlapped.hEvent);
    return ok;
}

void DeviceServer::Run() {
    for (;;) {
        KorvaneTestTransfer transfer{};
        DWORD returned = 0;
        if (!Control(control_, stop_, KORVANE_TEST_MOUSE_NEXT_TRANSFER, nullptr, 0, &transfer, sizeof transfer,
                     &returned)) {
            if (WaitForSingleObject(stop_, 0) == WAIT_OBJECT_0) {
                return;
            }
            continue;
        }
        if (returned < sizeof transfer || transfer.length > sizeof transfer.data) {
            continue;
        }
        ++transfers_;
        std::vector<uint8_t> answer;
        const bool ok = Serve(transfer.kind, transfer.data, transfer.length, answer);
        std::lock_guard<std::mutex> hold(lock_);
        if (hold_) {
            held_.push_back(transfer.id);
            continue;
        }
        Answer(transfer.id, ok, answer);
    }
}

bool DeviceServer::Answer(unsigned id, bool ok, const std::vector<uint8_t>& data) {
    KorvaneTestAnswer answer{};
    answer.id = id;
    answer.ok = ok ? 1 : 0;
    answer.length = static_cast<unsigned>(std::min(data.size(), sizeof answer.data));
    std::memcpy(answer.data, data.data(), answer.length);
    DWORD returned = 0;
    return Control(control_, nullptr, KORVANE_TEST_MOUSE_ANSWER, &answer, sizeof answer, nullptr, 0, &returned);
}

// The device takes each report's length from its id, and hands the model what the virtual mouse's exports would:
// the 8-byte command report, the 8- or 32-byte block, the request for the 8-byte answer.
bool DeviceServer::Serve(unsigned kind, const uint8_t* data, size_t length, std::vector<uint8_t>& answer) {
    std::lock_guard<std::mutex> hold(lock_);
    const int id = length > 0 ? data[0] : -1;
    if (kind == KorvaneTestSetFeature && id == 1 && length >= 1 + vmouse::kReportBytes) {
        const vmouse::Outcome outcome = mouse_.SetFeature(data + 1, vmouse::kReportBytes);
        if (outcome.ok) {
            Log("SET", data + 1, vmouse::kReportBytes);
        }
        Notes(outcome);
        return outcome.ok;
    }
    if (kind == KorvaneTestOutput && (id == 2 || id == 3)) {
        const size_t size = id == 2 ? vmouse::kReportBytes : vmouse::kBlockBytes;
        if (length >= 1 + size) {
            const vmouse::Outcome outcome = mouse_.WriteBlock(data + 1, size);
            if (outcome.ok) {
                Log("WRITE", data + 1, size);
            }
            Notes(outcome);
            return outcome.ok;
        }
    }
    if (kind == KorvaneTestGetFeature && id == 1) {
        std::array<uint8_t, 8> reply{};
        const vmouse::Outcome outcome = mouse_.GetFeature(reply);
        if (outcome.ok) {
            Log("GET", reply.data(), reply.size());
            answer.assign(1, 1);
            answer.insert(answer.end(), reply.begin(), reply.end());
        }
        Notes(outcome);
        return outcome.ok;
    }
    log_ += "# transfer of kind " + std::to_string(kind) + ", report " + std::to_string(id) + ", " +
            std::to_string(length) + " bytes: no such report\n";
    return false;
}

void DeviceServer::Log(const char* kind, const uint8_t* data, size_t length) {
    log_ += vmouse::FormatTransferLine(GetTickCount64() - started_, kind, data, length) + "\n";
}

void DeviceServer::Notes(const vmouse::Outcome& outcome) {
    for (const std::string& note : outcome.notes) {
        log_ += "# " + note + "\n";
    }
}

void DeviceServer::Hold(bool hold) {
    std::vector<unsigned> release;
    {
        std::lock_guard<std::mutex> guard(lock_);
        hold_ = hold;
        if (!hold) {
            release.swap(held_);
        }
    }
    // Answered late, as a hung mouse that recovers would: the driver fails an answer whose device went away.
    for (unsigned id : release) {
        Answer(id, false, {});
    }
}

bool DeviceServer::RaiseReport(const std::vector<uint8_t>& report) {
    if (control_ == INVALID_HANDLE_VALUE || report.empty()) {
        return false;
    }
    DWORD returned = 0;
    return Control(control_, nullptr, KORVANE_TEST_MOUSE_INPUT_REPORT, report.data(), static_cast<DWORD>(report.size()),
                   nullptr, 0, &returned);
}

bool DeviceServer::RaiseEvent(uint16_t command, uint16_t value) {
    return RaiseReport({4, static_cast<uint8_t>(command & 0xFF), static_cast<uint8_t>(command >> 8),
                        static_cast<uint8_t>(value & 0xFF), static_cast<uint8_t>(value >> 8)});
}

std::string DeviceServer::Log() const {
    std::lock_guard<std::mutex> hold(lock_);
    return log_;
}

vmouse::Memory DeviceServer::Memory() const {
    std::lock_guard<std::mutex> hold(lock_);
    return mouse_.memory();
}

void DeviceServer::SetMemory(const vmouse::Memory& memory) {
    std::lock_guard<std::mutex> hold(lock_);
    mouse_ = vmouse::VirtualMouse(memory);
}

} // namespace testmouse
