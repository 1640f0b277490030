// The test mouse under Wine's own HID stack, driven with the platform's HID API: the device shows the configuration
// collection with Monitor's ids, every report reaches the virtual mouse's model as the virtual mouse would receive
// it, input reports come back, and the device can be pulled out and plugged in again.
#include <windows.h>

// The HID library's header declares its functions without C linkage.
extern "C" {
#include <hidsdi.h>
}

#include "common/messages.h"
#include "framework/handles.h"
#include "hidtransport/tests/driver/test_mouse_host.h"
#include "monitor/device/hid_binding.h"
#include "testing/e2e_support.h"
#include "testing/pump.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <cstdio>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

using namespace testmouse;

namespace {

// An 8-byte command report with its checksum, as Monitor builds it, behind report id 1.
std::vector<uint8_t> Command(std::initializer_list<uint8_t> bytes) {
    const std::array<uint8_t, 8> report = vmouse::MakeReport(bytes);
    std::vector<uint8_t> buffer(1 + report.size(), 1);
    std::copy(report.begin(), report.end(), buffer.begin() + 1);
    return buffer;
}

// An output report: the id, the block, zeros up to the collection's 33 bytes.
std::vector<uint8_t> Block(uint8_t id, const std::vector<uint8_t>& data) {
    std::vector<uint8_t> buffer(33, 0);
    buffer[0] = id;
    std::copy(data.begin(), data.end(), buffer.begin() + 1);
    return buffer;
}

HANDLE OpenCollection(DWORD access, DWORD flags = 0) {
    return CreateFileA(TestMouseDevice::CollectionPath().c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                       OPEN_EXISTING, flags, nullptr);
}

class HidStack : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_FALSE(e2e::BinFolder().empty());
        ASSERT_TRUE(device_.Plug()) << "the test mouse's HID collection did not appear";
        ASSERT_TRUE(server_.Start()) << "the test mouse's control device is missing";
    }
    void TearDown() override {
        server_.Stop();
        EXPECT_TRUE(device_.Unplug());
    }
    TestMouseDevice device_{e2e::BinFolder()};
    DeviceServer server_;
};

} // namespace

TEST_F(HidStack, ReportsReachTheMouseModelAndComeBack) {
    vmouse::Memory memory = vmouse::FactoryMemory();
    memory.selectedStage = 5; // factory memory says 2
    server_.SetMemory(memory);

    // Enumeration opens with no access rights: the attributes and the collection's capabilities.
    {
        KernelHandle probe(OpenCollection(0));
        ASSERT_TRUE(static_cast<bool>(probe));
        HIDD_ATTRIBUTES attributes{};
        attributes.Size = sizeof attributes;
        ASSERT_TRUE(HidD_GetAttributes(probe.get(), &attributes));
        EXPECT_EQ(kMouseVendorId, attributes.VendorID);
        EXPECT_EQ(kMouseProductId, attributes.ProductID);
        PHIDP_PREPARSED_DATA preparsed = nullptr;
        ASSERT_TRUE(HidD_GetPreparsedData(probe.get(), &preparsed));
        HIDP_CAPS caps{};
        EXPECT_EQ(HIDP_STATUS_SUCCESS, HidP_GetCaps(preparsed, &caps));
        HidD_FreePreparsedData(preparsed);
        EXPECT_EQ(0xFF00, caps.UsagePage);
        EXPECT_EQ(0x01, caps.Usage);
        EXPECT_EQ(1 + 8, caps.FeatureReportByteLength);
        EXPECT_EQ(1 + 32, caps.OutputReportByteLength);
        EXPECT_EQ(1 + 4, caps.InputReportByteLength);
    }

    KernelHandle mouse(OpenCollection(GENERIC_READ | GENERIC_WRITE, FILE_FLAG_OVERLAPPED));
    ASSERT_TRUE(static_cast<bool>(mouse));
    KernelHandle done(CreateEventA(nullptr, TRUE, FALSE, nullptr));
    OVERLAPPED overlapped{};
    overlapped.hEvent = done.get();
    auto write = [&](const std::vector<uint8_t>& buffer) {
        ResetEvent(overlapped.hEvent);
        DWORD written = 0;
        if (!WriteFile(mouse.get(), buffer.data(), static_cast<DWORD>(buffer.size()), nullptr, &overlapped) &&
            GetLastError() != ERROR_IO_PENDING) {
            return false;
        }
        return GetOverlappedResult(mouse.get(), &overlapped, &written, TRUE) != FALSE;
    };

    // The read-back: command 0x8B, then the answer from the model's memory.
    std::vector<uint8_t> readBack = Command({0x8B});
    ASSERT_TRUE(HidD_SetFeature(mouse.get(), readBack.data(), static_cast<ULONG>(readBack.size())));
    std::vector<uint8_t> answer(9, 0);
    answer[0] = 1;
    ASSERT_TRUE(HidD_GetFeature(mouse.get(), answer.data(), static_cast<ULONG>(answer.size())));
    const std::array<uint8_t, 8> expectedAnswer = vmouse::MakeReport({0x8B, 5});
    EXPECT_EQ(std::vector<uint8_t>(expectedAnswer.begin(), expectedAnswer.end()),
              std::vector<uint8_t>(answer.begin() + 1, answer.end()));

    // DPI stages: the command, then its 8-byte block as report 2 in the padded 33-byte buffer.
    std::vector<uint8_t> stages = Command({0x11, 0x06, 0x08});
    ASSERT_TRUE(HidD_SetFeature(mouse.get(), stages.data(), static_cast<ULONG>(stages.size())));
    const std::vector<uint8_t> table = {0x04, 0x06, 0x86, 0x26, 0x45, 0x47, 0x80, 0x80};
    ASSERT_TRUE(write(Block(2, table)));
    EXPECT_TRUE(std::equal(table.begin(), table.end(), server_.Memory().dpiTable.begin()));

    // A button page: two 32-byte blocks as report 3. A 32-byte block where the mouse waits for 8 bytes is taken
    // and ignored: the device knows the length from the report id, whatever the buffer's length.
    std::vector<uint8_t> page = Command({0x12, 0x02, 0x40});
    ASSERT_TRUE(HidD_SetFeature(mouse.get(), page.data(), static_cast<ULONG>(page.size())));
    std::vector<uint8_t> first(32), second(32);
    for (int i = 0; i < 32; ++i) {
        first[i] = static_cast<uint8_t>(0x40 + i);
        second[i] = static_cast<uint8_t>(0xA0 + i);
    }
    ASSERT_TRUE(write(Block(3, first)));
    ASSERT_TRUE(write(Block(3, second)));
    const vmouse::Memory paged = server_.Memory();
    EXPECT_TRUE(std::equal(first.begin(), first.end(), paged.buttons.begin() + 64));
    EXPECT_TRUE(std::equal(second.begin(), second.end(), paged.buttons.begin() + 96));
    ASSERT_TRUE(HidD_SetFeature(mouse.get(), stages.data(), static_cast<ULONG>(stages.size())));
    EXPECT_TRUE(write(Block(3, first)));
    const vmouse::Memory ignored = server_.Memory();
    EXPECT_TRUE(std::equal(table.begin(), table.end(), ignored.dpiTable.begin()));

    const std::string log = server_.Log();
    EXPECT_NE(std::string::npos, log.find(" SET 8B 00 00 00 00 00 00 74\n"));
    EXPECT_NE(std::string::npos, log.find(" GET 8B 05 00 00 00 00 00 6F\n"));
    EXPECT_NE(std::string::npos, log.find(" WRITE 04 06 86 26 45 47 80 80\n"));
    EXPECT_NE(std::string::npos, log.find("# block of 32 bytes where 8 were announced: ignored\n")) << log;

    // An input report for DPI stage 3 comes back as the device sent it.
    std::vector<uint8_t> input(5, 0);
    ResetEvent(overlapped.hEvent);
    DWORD read = 0;
    const bool pending = !ReadFile(mouse.get(), input.data(), 5, nullptr, &overlapped);
    ASSERT_TRUE(!pending || GetLastError() == ERROR_IO_PENDING);
    ASSERT_TRUE(server_.RaiseEvent(0x0700, 3));
    ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(overlapped.hEvent, 5000));
    ASSERT_TRUE(GetOverlappedResult(mouse.get(), &overlapped, &read, FALSE));
    EXPECT_EQ(5u, read);
    EXPECT_EQ((std::vector<uint8_t>{4, 0x00, 0x07, 0x03, 0x00}), input);
}

TEST_F(HidStack, PulledOutAndPluggedInAgain) {
    KernelHandle mouse(OpenCollection(GENERIC_READ | GENERIC_WRITE));
    ASSERT_TRUE(static_cast<bool>(mouse));
    std::vector<uint8_t> rate = Command({0x01, 0x01});
    ASSERT_TRUE(HidD_SetFeature(mouse.get(), rate.data(), static_cast<ULONG>(rate.size())));
    EXPECT_EQ(1, server_.Memory().pollingInterval);

    // A transfer that the mouse never answers ends with the device, at once.
    server_.Hold(true);
    std::vector<uint8_t> slow = Command({0x01, 0x08});
    std::atomic<ULONGLONG> ended{0};
    std::atomic<bool> result{true};
    std::thread transfer([&] {
        result = HidD_SetFeature(mouse.get(), slow.data(), static_cast<ULONG>(slow.size()));
        ended = GetTickCount64();
    });
    EXPECT_TRUE(PumpUntil([&] { return server_.Transfers() == 2; }, 5000)); // no ASSERT: the thread must be joined
    const ULONGLONG pulled = GetTickCount64();
    EXPECT_TRUE(device_.Unplug());
    EXPECT_TRUE(PumpUntil([&] { return ended != 0; }, 5000)) << "the transfer outlived its device";
    server_.Hold(false); // a transfer still waiting ends now
    transfer.join();
    EXPECT_FALSE(result);
    EXPECT_LT(ended - pulled, 1000u) << "the removal took " << device_.LastChangeMs() << " ms";

    // The old handle is dead; the device is gone from the enumeration.
    EXPECT_FALSE(HidD_SetFeature(mouse.get(), rate.data(), static_cast<ULONG>(rate.size())));
    EXPECT_TRUE(TestMouseDevice::CollectionPath().empty());

    // Plugged in again: a new handle reaches the same mouse.
    ASSERT_TRUE(device_.Plug());
    KernelHandle again(OpenCollection(GENERIC_READ | GENERIC_WRITE));
    ASSERT_TRUE(static_cast<bool>(again));
    std::vector<uint8_t> rate4 = Command({0x01, 0x04});
    EXPECT_TRUE(HidD_SetFeature(again.get(), rate4.data(), static_cast<ULONG>(rate4.size())));
    EXPECT_EQ(4, server_.Memory().pollingInterval);
    std::printf("test mouse: plugged in %llu ms\n", device_.LastChangeMs());

    // A server that goes away leaves no transfer waiting for it.
    server_.Hold(true);
    ended = 0;
    std::thread orphan([&] {
        result = HidD_SetFeature(again.get(), slow.data(), static_cast<ULONG>(slow.size()));
        ended = GetTickCount64();
    });
    EXPECT_TRUE(PumpUntil([&] { return server_.Transfers() == 4; }, 5000));
    server_.Stop();
    EXPECT_TRUE(PumpUntil([&] { return ended != 0; }, 5000)) << "the transfer outlived the server";
    if (ended == 0) {
        device_.Unplug(); // so that the thread ends
    }
    orphan.join();
    EXPECT_FALSE(result);
}

namespace {

// What the transport posts to its window: DeviceEvent and DevicePresence with their parameters.
struct Posted {
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
};
std::vector<Posted> g_posted;

LRESULT CALLBACK RecordingProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == DeviceEvent || message == DevicePresence) {
        g_posted.push_back({message, wParam, lParam});
        return 0;
    }
    return DefWindowProcA(hwnd, message, wParam, lParam);
}

int CountPosted(UINT message, WPARAM wParam) {
    int n = 0;
    for (const Posted& p : g_posted) {
        n += p.message == message && p.wParam == wParam ? 1 : 0;
    }
    return n;
}

} // namespace

// The real transport, bound the way Monitor binds it, on the test mouse: the contract's framing, the events, one
// presence message per arrival and removal, and a mouse that stops answering costs one transfer about a second.
TEST_F(HidStack, RealTransportFramesReportsAndGivesUpOnAMouseThatHangs) {
    HidBinding transport;
    ASSERT_TRUE(transport.Load(e2e::BinFolder() + "hidtransport\\"));
    HWND window = CreateWindowExA(0, "STATIC", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    ASSERT_NE(nullptr, window);
    SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(RecordingProc));
    g_posted.clear();
    transport.SetVidPid(kMouseVendorId, kMouseProductId);
    ASSERT_NE(0, transport.OpenDevMonitor(window, DeviceEvent, DevicePresence));
    ASSERT_NE(0, transport.OpenFeatureDevice());
    ASSERT_NE(0, transport.OpenReportDevice());

    int result = 0;
    const std::array<uint8_t, 8> stages = vmouse::MakeReport({0x11, 0x06, 0x08});
    const std::vector<uint8_t> table = {0x01, 0x02, 0x83, 0x04, 0x25, 0x26, 0x80, 0x80};
    ASSERT_TRUE(transport.SetFeature(stages.data(), 8, result));
    EXPECT_NE(0, result);
    ASSERT_TRUE(transport.WriteUSB(table.data(), 8, result));
    EXPECT_NE(0, result);
    const std::array<uint8_t, 8> page = vmouse::MakeReport({0x12, 0x04, 0x40});
    std::vector<uint8_t> block(32);
    for (int i = 0; i < 32; ++i) {
        block[i] = static_cast<uint8_t>(0x11 * (i % 15));
    }
    ASSERT_TRUE(transport.SetFeature(page.data(), 8, result));
    ASSERT_TRUE(transport.WriteUSB(block.data(), 32, result));
    ASSERT_TRUE(transport.WriteUSB(block.data(), 32, result));
    const std::array<uint8_t, 8> readBack = vmouse::MakeReport({0x8B});
    ASSERT_TRUE(transport.SetFeature(readBack.data(), 8, result));
    std::array<uint8_t, 8> answer{};
    ASSERT_TRUE(transport.GetFeature(answer.data(), 8, result));
    EXPECT_NE(0, result);
    const vmouse::Memory memory = server_.Memory();
    EXPECT_EQ(vmouse::MakeReport({0x8B, memory.selectedStage}), answer);
    EXPECT_TRUE(std::equal(table.begin(), table.end(), memory.dpiTable.begin()));
    EXPECT_TRUE(std::equal(block.begin(), block.end(), memory.buttons.begin() + 192));
    EXPECT_TRUE(std::equal(block.begin(), block.end(), memory.buttons.begin() + 224));
    EXPECT_EQ(std::string::npos, server_.Log().find("where 8 were announced")) << server_.Log();

    // An event report becomes DeviceEvent (command word, value word); a report of another id is no event.
    ASSERT_TRUE(server_.RaiseReport({5, 0x00, 0x05, 0x08, 0x00}));
    ASSERT_TRUE(server_.RaiseEvent(0xC000, 0x0A15));
    ASSERT_TRUE(PumpUntil([] { return CountPosted(DeviceEvent, 0xC000) == 1; }, 5000));
    EXPECT_EQ(0xA15, g_posted.back().lParam);
    EXPECT_EQ(0, CountPosted(DeviceEvent, 0x0500));

    // The mouse stops answering: a transfer gives up after about a second, and the interface that gave up fails the
    // next one at once.
    server_.Hold(true);
    ULONGLONG start = GetTickCount64();
    ASSERT_TRUE(transport.SetFeature(readBack.data(), 8, result));
    const ULONGLONG hung = GetTickCount64() - start;
    EXPECT_EQ(0, result);
    EXPECT_GE(hung, 900u);
    EXPECT_LT(hung, 2000u);
    start = GetTickCount64();
    ASSERT_TRUE(transport.SetFeature(readBack.data(), 8, result));
    const ULONGLONG next = GetTickCount64() - start;
    EXPECT_EQ(0, result);
    EXPECT_LT(next, 500u);
    start = GetTickCount64();
    ASSERT_TRUE(transport.WriteUSB(table.data(), 8, result));
    const ULONGLONG other = GetTickCount64() - start;
    EXPECT_EQ(0, result);
    EXPECT_LT(other, 2000u);
    std::printf("a mouse that hangs: the transfer gave up after %llu ms, the next on that interface after %llu ms, "
                "the first on the other after %llu ms\n",
                hung, next, other);
    server_.Hold(false);

    // Pulled out and plugged in again: one presence message each; the opens find the mouse again.
    ASSERT_TRUE(device_.Unplug());
    EXPECT_TRUE(PumpUntil([] { return CountPosted(DevicePresence, 0) >= 1; }, 5000));
    transport.CloseFeatureDevice();
    transport.CloseReportDevice();
    ASSERT_TRUE(device_.Plug());
    EXPECT_TRUE(PumpUntil([] { return CountPosted(DevicePresence, 1) >= 1; }, 5000));
    EXPECT_NE(0, transport.OpenFeatureDevice());
    EXPECT_NE(0, transport.OpenReportDevice());
    ASSERT_TRUE(transport.SetFeature(stages.data(), 8, result));
    EXPECT_NE(0, result);
    transport.CloseFeatureDevice();
    transport.CloseReportDevice();

    // Pulled out once more: the monitor's thread posts this removal after anything it posted for the arrival before.
    ASSERT_TRUE(device_.Unplug());
    ASSERT_TRUE(PumpUntil([] { return CountPosted(DevicePresence, 0) >= 2; }, 5000));
    std::vector<WPARAM> presence;
    for (const Posted& p : g_posted) {
        if (p.message == DevicePresence) {
            presence.push_back(p.wParam);
        }
    }
    EXPECT_EQ((std::vector<WPARAM>{0, 1, 0}), presence);

    transport.CloseDevMonitor();
    transport.Unload();
    DestroyWindow(window);
}
