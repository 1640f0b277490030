// A stand-in transport library for the binding tests: every export counts its calls. Built twice: with all eleven
// exports, and without ReadUSB (KORVANE_STUB_PARTIAL), to show that a library missing one export is never called.
// Transfers can be held inside the library (Stub_HoldTransfers) to show that a close never runs under one; the
// order of those calls is kept as text ("SetFeature< >SetFeature Close_FeatureDevice").
#include <windows.h>

#include <string>

namespace {

LONG g_calls = 0;
CRITICAL_SECTION g_orderLock;
std::string g_order;
HANDLE g_gate = nullptr;    // manual reset; set while transfers may pass
HANDLE g_entered = nullptr; // set when a transfer has entered the library

struct Setup {
    Setup() {
        InitializeCriticalSection(&g_orderLock);
        g_gate = CreateEventA(nullptr, TRUE, TRUE, nullptr);
        g_entered = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    }
} g_setup;

int Count() {
    return static_cast<int>(InterlockedIncrement(&g_calls));
}

void Note(const char* what) {
    EnterCriticalSection(&g_orderLock);
    if (!g_order.empty()) {
        g_order += ' ';
    }
    g_order += what;
    LeaveCriticalSection(&g_orderLock);
}

} // namespace

extern "C" {
__declspec(dllexport) int Stub_CallCount() {
    return static_cast<int>(g_calls);
}
__declspec(dllexport) void Stub_HoldTransfers() {
    ResetEvent(g_gate);
}
__declspec(dllexport) void Stub_ReleaseTransfers() {
    SetEvent(g_gate);
}
// Waits until a transfer has entered the library; non-zero when one did within the time.
__declspec(dllexport) int Stub_WaitForTransfer(int ms) {
    return WaitForSingleObject(g_entered, static_cast<DWORD>(ms)) == WAIT_OBJECT_0;
}
__declspec(dllexport) int Stub_Order(char* buffer, int size) {
    EnterCriticalSection(&g_orderLock);
    const int n = static_cast<int>(g_order.size()) < size - 1 ? static_cast<int>(g_order.size()) : size - 1;
    memcpy(buffer, g_order.data(), n);
    buffer[n] = '\0';
    LeaveCriticalSection(&g_orderLock);
    return n;
}

__declspec(dllexport) int Set_VIDPID(int, int) {
    return Count();
}
__declspec(dllexport) int Open_DevMonitor(HWND, UINT, UINT) {
    return Count();
}
__declspec(dllexport) int Close_DevMonitor() {
    return Count();
}
__declspec(dllexport) int Open_FeatureDevice() {
    return Count();
}
__declspec(dllexport) int Close_FeatureDevice() {
    Note("Close_FeatureDevice");
    return Count();
}
__declspec(dllexport) int Open_ReportDevice() {
    return Count();
}
__declspec(dllexport) int Close_ReportDevice() {
    return Count();
}
__declspec(dllexport) int SetFeature(unsigned char*, int) {
    Note("SetFeature<");
    SetEvent(g_entered);
    WaitForSingleObject(g_gate, 30000);
    Note(">SetFeature");
    return Count();
}
__declspec(dllexport) int GetFeature(unsigned char* buffer, int length) {
    if (length >= 2) {
        buffer[1] = 3;
    }
    return Count();
}
__declspec(dllexport) int WriteUSB(unsigned char*, int) {
    return Count();
}
#ifndef KORVANE_STUB_PARTIAL
__declspec(dllexport) int ReadUSB(unsigned char*, int) {
    return Count();
}
#endif
}
