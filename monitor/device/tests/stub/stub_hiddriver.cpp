// A stand-in transport library for the binding tests: every export counts its calls. Built twice: with all eleven
// exports, and without ReadUSB (KORVANE_STUB_PARTIAL), to show that a library missing one export is never called.
#include <windows.h>

namespace {
LONG g_calls = 0;
int Count() {
    return static_cast<int>(InterlockedIncrement(&g_calls));
}
} // namespace

extern "C" {
__declspec(dllexport) int Stub_CallCount() {
    return static_cast<int>(g_calls);
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
    return Count();
}
__declspec(dllexport) int Open_ReportDevice() {
    return Count();
}
__declspec(dllexport) int Close_ReportDevice() {
    return Count();
}
__declspec(dllexport) int SetFeature(unsigned char*, int) {
    return Count();
}
__declspec(dllexport) int GetFeature(unsigned char* buffer, int length) {
    if (length >= 2)
        buffer[1] = 3;
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
