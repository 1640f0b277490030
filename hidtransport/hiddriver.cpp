// hiddriver.dll, the transport to the real mouse over the platform's HID stack: the eleven exports the host binds by
// name. The mouse's configuration collection and its reports are described in hid_contract.h.
//
// Exports (plain C, all return int):
//   Set_VIDPID(int vid, int pid)                      the ids the opens and the device monitor look for
//   Open_DevMonitor(HWND window, UINT eventMessage, UINT presenceMessage)
//                                                     starts the device monitor thread (presence and events)
//   Close_DevMonitor()                                stops and joins it
//   Open_FeatureDevice(), Open_ReportDevice()        1 when the collection for commands / data blocks opened
//   Close_FeatureDevice(), Close_ReportDevice()
//   SetFeature(unsigned char* report, int length)     length 8
//   GetFeature(unsigned char* buffer, int length)     length at least 8; 1 with the device's answer in the buffer
//   WriteUSB(unsigned char* block, int length)        length 8 or 32
//   ReadUSB(unsigned char* buffer, int length)        events arrive as messages instead: 0
// Every close may be called twice, without its open, and after the device went.
#include <windows.h>

#include "hidtransport/device_monitor.h"
#include "hidtransport/hid_collection.h"

#include <atomic>

namespace {

using namespace hidtransport;

std::atomic<uint32_t> g_ids{0}; // vendor id in the high half, product id in the low half
Collection g_feature(Role::Commands);
Collection g_report(Role::Blocks);
DeviceMonitor g_monitor;

uint16_t VendorId() {
    return static_cast<uint16_t>(g_ids.load() >> 16);
}

uint16_t ProductId() {
    return static_cast<uint16_t>(g_ids.load() & 0xFFFF);
}

void Trace(const char* what, bool ok) {
    char line[128];
    wsprintfA(line, "hiddriver: %s %s\n", what, ok ? "1" : "0");
    OutputDebugStringA(line);
}

} // namespace

extern "C" {

int Set_VIDPID(int vid, int pid) {
    g_ids = (static_cast<uint32_t>(vid & 0xFFFF) << 16) | static_cast<uint32_t>(pid & 0xFFFF);
    return 1;
}

int Open_DevMonitor(HWND window, UINT eventMessage, UINT presenceMessage) {
    const bool ok = g_monitor.Start(window, eventMessage, presenceMessage, g_ids, {&g_feature, &g_report});
    Trace("Open_DevMonitor", ok);
    return ok ? 1 : 0;
}

int Close_DevMonitor() {
    g_monitor.Stop();
    return 1;
}

int Open_FeatureDevice() {
    const bool ok = g_feature.Open(VendorId(), ProductId(), g_report.Device());
    Trace("Open_FeatureDevice", ok);
    return ok ? 1 : 0;
}

int Close_FeatureDevice() {
    g_feature.Close();
    return 1;
}

int Open_ReportDevice() {
    const bool ok = g_report.Open(VendorId(), ProductId(), g_feature.Device());
    Trace("Open_ReportDevice", ok);
    return ok ? 1 : 0;
}

int Close_ReportDevice() {
    g_report.Close();
    return 1;
}

int SetFeature(unsigned char* report, int length) {
    return report && length > 0 && g_feature.SetFeature(report, static_cast<size_t>(length)) ? 1 : 0;
}

int GetFeature(unsigned char* buffer, int length) {
    return buffer && length > 0 && g_feature.GetFeature(buffer, static_cast<size_t>(length)) ? 1 : 0;
}

int WriteUSB(unsigned char* block, int length) {
    return block && length > 0 && g_report.WriteBlock(block, static_cast<size_t>(length)) ? 1 : 0;
}

int ReadUSB(unsigned char*, int) {
    return 0;
}

} // extern "C"
