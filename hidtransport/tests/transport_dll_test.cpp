// The built transport, loaded the way Monitor loads it, on a machine without the mouse: every export is there, the
// opens find nothing, no transfer reaches anything, every close is safe twice, and the device monitor's thread and
// window exist exactly between Open_DevMonitor and Close_DevMonitor, so the library unloads with nothing left.
#include <windows.h>

#include <tlhelp32.h>

#include "monitor/device/hid_binding.h"

#include <gtest/gtest.h>

#include <string>

namespace {

constexpr UINT kDeviceEvent = WM_USER + 301;
constexpr UINT kDevicePresence = WM_USER + 302;
constexpr char kMonitorWindowClass[] = "KorvaneHidTransportMonitor";

using NoArgs = int (*)();
using TwoInts = int (*)(int, int);
using OpenMonitor = int (*)(HWND, UINT, UINT);
using Buffer = int (*)(unsigned char*, int);

std::string TransportPath() {
    char path[MAX_PATH];
    const DWORD n = GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string folder(path, n);
    return folder.substr(0, folder.find_last_of('\\') + 1) + "hidtransport\\hiddriver.dll";
}

int ThreadsOfThisProcess() {
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
    if (snapshot == INVALID_HANDLE_VALUE) {
        return -1;
    }
    int count = 0;
    THREADENTRY32 entry{};
    entry.dwSize = sizeof(entry);
    for (BOOL more = Thread32First(snapshot, &entry); more; more = Thread32Next(snapshot, &entry)) {
        if (entry.th32OwnerProcessID == GetCurrentProcessId()) {
            ++count;
        }
    }
    CloseHandle(snapshot);
    return count;
}

template <typename Fn> Fn Export(HMODULE module, const char* name) {
    return reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

} // namespace

TEST(TransportDll, WithoutTheMouseOpensNothingClosesTwiceAndUnloadsClean) {
    const std::string path = TransportPath();
    HMODULE module = LoadLibraryA(path.c_str());
    ASSERT_NE(nullptr, module) << path << " error " << GetLastError();

    const auto setVidPid = Export<TwoInts>(module, "Set_VIDPID");
    const auto openMonitor = Export<OpenMonitor>(module, "Open_DevMonitor");
    const auto closeMonitor = Export<NoArgs>(module, "Close_DevMonitor");
    const auto openFeature = Export<NoArgs>(module, "Open_FeatureDevice");
    const auto closeFeature = Export<NoArgs>(module, "Close_FeatureDevice");
    const auto openReport = Export<NoArgs>(module, "Open_ReportDevice");
    const auto closeReport = Export<NoArgs>(module, "Close_ReportDevice");
    const auto setFeature = Export<Buffer>(module, "SetFeature");
    const auto getFeature = Export<Buffer>(module, "GetFeature");
    const auto writeUsb = Export<Buffer>(module, "WriteUSB");
    const auto readUsb = Export<Buffer>(module, "ReadUSB");
    ASSERT_TRUE(setVidPid && openMonitor && closeMonitor && openFeature && closeFeature && openReport && closeReport &&
                setFeature && getFeature && writeUsb && readUsb);

    // A window of this thread receives whatever the transport posts.
    HWND host = CreateWindowExA(0, "STATIC", "transport host", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    ASSERT_NE(nullptr, host);

    // Closes before any open, and the monitor's close without its open, are harmless.
    EXPECT_EQ(1, closeFeature());
    EXPECT_EQ(1, closeReport());
    EXPECT_EQ(1, closeMonitor());

    const int threadsBefore = ThreadsOfThisProcess();
    EXPECT_EQ(1, setVidPid(kMouseVendorId, kMouseProductId));
    ASSERT_EQ(1, openMonitor(host, kDeviceEvent, kDevicePresence));
    // The platform may start a notification thread of its own beside ours, and keep it.
    const int threadsOpen = ThreadsOfThisProcess();
    EXPECT_GE(threadsOpen, threadsBefore + 1);
    EXPECT_NE(nullptr, FindWindowExA(HWND_MESSAGE, nullptr, kMonitorWindowClass, nullptr));
    // A second open keeps the one thread.
    ASSERT_EQ(1, openMonitor(host, kDeviceEvent, kDevicePresence));
    EXPECT_EQ(threadsOpen, ThreadsOfThisProcess());

    // No mouse: both opens fail and no transfer goes anywhere.
    EXPECT_EQ(0, openFeature());
    EXPECT_EQ(0, openReport());
    unsigned char command[8] = {0x8B, 0, 0, 0, 0, 0, 0, 0x8B};
    unsigned char answer[8] = {};
    unsigned char block[32] = {};
    EXPECT_EQ(0, setFeature(command, 8));
    EXPECT_EQ(0, getFeature(answer, 8));
    EXPECT_EQ(0, writeUsb(block, 8));
    EXPECT_EQ(0, writeUsb(block, 32));
    EXPECT_EQ(0, readUsb(block, 32));
    // Nothing claimed the mouse present.
    MSG msg;
    EXPECT_FALSE(PeekMessageA(&msg, host, kDevicePresence, kDevicePresence, PM_REMOVE));

    // Shut-down in Monitor's order, each close twice.
    EXPECT_EQ(1, closeFeature());
    EXPECT_EQ(1, closeFeature());
    EXPECT_EQ(1, closeReport());
    EXPECT_EQ(1, closeReport());
    EXPECT_EQ(1, closeMonitor());
    EXPECT_LE(ThreadsOfThisProcess(), threadsOpen - 1);
    EXPECT_EQ(nullptr, FindWindowExA(HWND_MESSAGE, nullptr, kMonitorWindowClass, nullptr));
    EXPECT_EQ(1, closeMonitor());

    // The thread gave back its reference to the library: freeing ours unloads it.
    ASSERT_TRUE(FreeLibrary(module));
    EXPECT_EQ(nullptr, GetModuleHandleA(path.c_str()));
    DestroyWindow(host);
}
