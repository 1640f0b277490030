// Wall time of real apply-alls through the virtual mouse (a private copy of bin/hiddriver.dll in a temporary folder)
// against the protocol's own sum of pauses, 2.9 s plus 0.4 s per used sequence slot. Not a test: run it by hand.
//   device_bench.exe [rounds] [hid]
// With "hid" the transport is the one to the real mouse (bin/hidtransport/hiddriver.dll) and the mouse is the test
// mouse, installed into the prefix for the run, through the platform's HID stack.
#include <windows.h>

#include "common/messages.h"
#include "hidtransport/tests/driver/test_mouse_host.h"
#include "monitor/device/device_worker.h"
#include "monitor/device/hid_binding.h"
#include "monitor/device/tests/test_profiles.h"
#include "testing/virtual_mouse_run.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <optional>

namespace {

class QuietHost : public DeviceJobHost {
public:
    bool PostToOption(unsigned) override { return true; }
    void SaveAllProfiles(const ShareData&) override {}
    void WriteBlock(const ShareData&) override {}
    void Trace(const char*) override {}
};

std::unique_ptr<ShareData> ElevenSlots() {
    auto data = DefaultData();
    const int entries[] = {1, 2, 3, 5, 7, 8, 9, 10, 11, 12, 13};
    for (int n : entries) {
        data->Profile[0].MacroKey[n].FunctionCode = 35;
    }
    return data;
}

} // namespace

int main(int argc, char** argv) {
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 2;
    const bool hid = argc > 2 && std::strcmp(argv[2], "hid") == 0;
    TempFolder folder;
    const std::string bin = TestProgramFolder();
    const std::string transport = bin + (hid ? "hidtransport\\hiddriver.dll" : "hiddriver.dll");
    if (!folder.CopyFrom(transport, "hiddriver.dll")) {
        std::printf("device_bench: no %s\n", transport.c_str());
        return 1;
    }
    std::optional<testmouse::TestMouseDevice> testMouse;
    testmouse::DeviceServer server;
    if (hid) {
        testMouse.emplace(bin);
        if (!testMouse->Plug() || !server.Start()) {
            std::printf("device_bench: the test mouse could not be installed\n");
            return 1;
        }
        std::printf("test mouse plugged in %llu ms\n", testMouse->LastChangeMs());
    }
    HidBinding binding;
    if (!binding.Load(folder.Path())) {
        std::printf("device_bench: hiddriver.dll could not be bound\n");
        return 1;
    }
    HWND window = CreateWindowExA(0, "STATIC", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    binding.SetVidPid(kMouseVendorId, kMouseProductId);
    binding.OpenDevMonitor(window, DeviceEvent, DevicePresence);
    binding.OpenFeatureDevice();
    if (binding.OpenReportDevice() == 0) {
        std::printf("device_bench: the mouse is not there\n");
        return 1;
    }

    SleepClock clock;
    QuietHost host;
    MonitorShareData data;
    DeviceJobRunner runner(binding, data, host, clock);
    runner.SetConnected(true);

    struct Case {
        const char* name;
        std::unique_ptr<ShareData> profile;
    } cases[] = {{"default profile, no slots", DefaultData()},
                 {"mixed profile, 3 slots", MixedData()},
                 {"eleven slots", ElevenSlots()}};

    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    double totalWall = 0, totalReference = 0;
    for (Case& c : cases) {
        data.Set(*c.profile);
        const TransferList list = BuildApplyAll(*c.profile);
        const int slots = static_cast<int>(BuildButtonTable(*ActiveProfile(*c.profile)).slots.size());
        const double reference = 2900.0 + 400.0 * slots;
        double best = 0;
        for (int r = 0; r < rounds; ++r) {
            LARGE_INTEGER start, end;
            QueryPerformanceCounter(&start);
            runner.ApplyAll();
            QueryPerformanceCounter(&end);
            const double ms =
                1000.0 * static_cast<double>(end.QuadPart - start.QuadPart) / static_cast<double>(frequency.QuadPart);
            if (r == 0 || ms < best) {
                best = ms;
            }
        }
        totalWall += best;
        totalReference += reference;
        std::printf("%-28s wall %8.1f ms  protocol pauses %6.0f ms (list sums %d ms)  ratio %.3f\n", c.name, best,
                    reference, TotalPauseMs(list), best / reference);
    }
    std::printf("all cases                    wall %8.1f ms  protocol pauses %6.0f ms  ratio %.3f\n", totalWall,
                totalReference, totalWall / totalReference);

    binding.CloseFeatureDevice();
    binding.CloseReportDevice();
    binding.CloseDevMonitor();
    binding.Unload();
    DestroyWindow(window);
    return 0;
}
