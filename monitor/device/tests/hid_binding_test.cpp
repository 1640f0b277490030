#include <windows.h>

#include "monitor/device/hid_binding.h"

#include "common/messages.h"
#include "monitor/device/device_worker.h"
#include "monitor/device/tests/device_fakes.h"
#include "monitor/device/tests/test_profiles.h"
#include "testing/virtual_mouse_run.h"

#include <gtest/gtest.h>

#include <future>
#include <map>
#include <sstream>

namespace {

// The stand-in library at folder\hiddriver.dll, held loaded by the test so that its call counter can be read after
// the binding has let it go.
struct StubLibrary {
    TempFolder folder;
    LibraryModule held;
    int (*callCount)() = nullptr;

    explicit StubLibrary(const char* stubName) {
        if (!folder.CopyFrom(TestProgramFolder() + stubName, kHidDriverFileName)) {
            return;
        }
        held.reset(LoadLibraryA((folder.Path() + kHidDriverFileName).c_str()));
        if (held) {
            callCount =
                reinterpret_cast<int (*)()>(reinterpret_cast<void*>(GetProcAddress(held.get(), "Stub_CallCount")));
        }
    }
};

// Every operation of the binding once; true when any transfer went through.
bool CallEverything(HidBinding& binding) {
    int result = 0;
    uint8_t buffer[8] = {};
    bool any = false;
    binding.SetVidPid(kMouseVendorId, kMouseProductId);
    binding.OpenDevMonitor(nullptr, DeviceEvent, DevicePresence);
    binding.OpenFeatureDevice();
    EXPECT_EQ(0, binding.OpenReportDevice());
    any |= binding.SetFeature(buffer, 8, result);
    any |= binding.GetFeature(buffer, 8, result);
    any |= binding.WriteUSB(buffer, 8, result);
    binding.CloseFeatureDevice();
    binding.CloseReportDevice();
    binding.CloseDevMonitor();
    return any;
}

} // namespace

TEST(HidBinding, MissingLibraryBindsNothing) {
    TempFolder empty;
    HidBinding binding;
    EXPECT_FALSE(binding.Load(empty.Path()));
    EXPECT_FALSE(binding.Loaded());
    EXPECT_FALSE(CallEverything(binding));
}

TEST(HidBinding, LibraryWithoutOneExportIsNeverCalled) {
    StubLibrary stub("stub_hiddriver_partial.dll");
    ASSERT_NE(nullptr, stub.callCount);
    HidBinding binding;
    EXPECT_FALSE(binding.Load(stub.folder.Path()));
    EXPECT_FALSE(binding.Loaded());
    EXPECT_FALSE(CallEverything(binding));
    EXPECT_EQ(0, stub.callCount());
}

TEST(HidBinding, TransfersOnlyWhileTheirInterfaceIsOpen) {
    StubLibrary stub("stub_hiddriver_full.dll");
    ASSERT_NE(nullptr, stub.callCount);
    HidBinding binding;
    ASSERT_TRUE(binding.Load(stub.folder.Path()));
    int result = 0;
    uint8_t report[8] = {0x8B, 0, 0, 0, 0, 0, 0, 0x74};

    EXPECT_FALSE(binding.SetFeature(report, 8, result)); // nothing opened yet
    EXPECT_EQ(0, stub.callCount());
    EXPECT_EQ(1, binding.OpenFeatureDevice());
    EXPECT_TRUE(binding.SetFeature(report, 8, result));
    EXPECT_EQ(2, result);
    EXPECT_FALSE(binding.WriteUSB(report, 8, result)); // the output interface is still closed
    EXPECT_TRUE(binding.GetFeature(report, 8, result));
    EXPECT_EQ(3, report[1]); // the library's answer comes back
    EXPECT_EQ(4, binding.OpenReportDevice());
    EXPECT_TRUE(binding.WriteUSB(report, 8, result));

    // Removal: after the closes, the library sees no transfer.
    binding.CloseFeatureDevice();
    binding.CloseReportDevice();
    const int calls = stub.callCount();
    EXPECT_FALSE(binding.SetFeature(report, 8, result));
    EXPECT_FALSE(binding.GetFeature(report, 8, result));
    EXPECT_FALSE(binding.WriteUSB(report, 8, result));
    EXPECT_EQ(calls, stub.callCount());

    // After the unload nothing is called at all, not even a close.
    binding.Unload();
    EXPECT_FALSE(CallEverything(binding));
    EXPECT_EQ(calls, stub.callCount());
}

TEST(HidBinding, ACloseWaitsForTheTransferInProgress) {
    StubLibrary stub("stub_hiddriver_full.dll");
    ASSERT_NE(nullptr, stub.callCount);
    auto hold =
        reinterpret_cast<void (*)()>(reinterpret_cast<void*>(GetProcAddress(stub.held.get(), "Stub_HoldTransfers")));
    auto release =
        reinterpret_cast<void (*)()>(reinterpret_cast<void*>(GetProcAddress(stub.held.get(), "Stub_ReleaseTransfers")));
    auto waitForTransfer = reinterpret_cast<int (*)(int)>(
        reinterpret_cast<void*>(GetProcAddress(stub.held.get(), "Stub_WaitForTransfer")));
    auto order =
        reinterpret_cast<int (*)(char*, int)>(reinterpret_cast<void*>(GetProcAddress(stub.held.get(), "Stub_Order")));
    ASSERT_TRUE(hold && release && waitForTransfer && order);

    HidBinding binding;
    ASSERT_TRUE(binding.Load(stub.folder.Path()));
    binding.OpenFeatureDevice();
    hold();
    // The worker's transfer is inside the library; the window thread's close comes meanwhile.
    auto transfer = std::async(std::launch::async, [&] {
        uint8_t report[8] = {};
        int result = 0;
        return binding.SetFeature(report, 8, result);
    });
    ASSERT_TRUE(waitForTransfer(20000));
    auto close = std::async(std::launch::async, [&] { return binding.CloseFeatureDevice(); });
    EXPECT_EQ(std::future_status::timeout, close.wait_for(std::chrono::milliseconds(300)));
    release();
    ASSERT_EQ(std::future_status::ready, transfer.wait_for(std::chrono::seconds(20)));
    ASSERT_EQ(std::future_status::ready, close.wait_for(std::chrono::seconds(20)));
    EXPECT_TRUE(transfer.get());
    char text[256];
    order(text, sizeof text);
    EXPECT_STREQ("SetFeature< >SetFeature Close_FeatureDevice", text);
    binding.Unload();
}

namespace {

class NoPauseClock : public PauseClock {
public:
    void Pause(int ms) override { total += ms; }
    int total = 0;
};

// The virtual mouse in a folder of its own, opened as Monitor opens the mouse at start-up.
class VirtualMouseTest : public ::testing::Test {
protected:
    void SetUp() override {
        const std::string bin = TestProgramFolder();
        ASSERT_TRUE(folder_.CopyFrom(bin + "hiddriver.dll", "hiddriver.dll")) << "no hiddriver.dll in " << bin;
        ASSERT_TRUE(folder_.CopyFrom(bin + "mousectl.exe", "mousectl.exe")) << "no mousectl.exe in " << bin;
        window_ = CreateWindowExA(0, "STATIC", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
        ASSERT_NE(nullptr, window_);
        ASSERT_TRUE(binding_.Load(folder_.Path()));
        binding_.SetVidPid(kMouseVendorId, kMouseProductId);
        binding_.OpenDevMonitor(window_, DeviceEvent, DevicePresence);
        binding_.OpenFeatureDevice();
        ASSERT_NE(0, binding_.OpenReportDevice()) << "the virtual mouse is not plugged";
    }
    void TearDown() override {
        binding_.CloseFeatureDevice();
        binding_.CloseReportDevice();
        binding_.CloseDevMonitor();
        binding_.Unload();
        if (window_) {
            DestroyWindow(window_);
        }
    }

    std::string Control(const std::string& arguments, int* exitCode = nullptr) {
        std::string output;
        const int code = RunProgram("\"" + folder_.Path() + "mousectl.exe\" " + arguments, &output);
        if (exitCode) {
            *exitCode = code;
        } else {
            EXPECT_EQ(0, code) << "mousectl " << arguments << ":\n" << output;
        }
        return output;
    }

    std::vector<std::string> Log() { return LoggedTransfers(ReadFileText(folder_.Path() + "virtual-mouse.log")); }

    TempFolder folder_;
    HWND window_ = nullptr;
    HidBinding binding_;
    Recorder recorder_;
    FakeHost host_{recorder_};
    NoPauseClock clock_;
    MonitorShareData data_;
    DeviceJobRunner runner_{binding_, data_, host_, clock_};
};

// The dump's lines, trimmed, for looking up by their start.
std::vector<std::string> DumpLines(const std::string& dump) {
    std::vector<std::string> out;
    std::istringstream in(dump);
    std::string line;
    while (std::getline(in, line)) {
        while (!line.empty() && (line.back() == '\r' || line.back() == ' ')) {
            line.pop_back();
        }
        const size_t first = line.find_first_not_of(' ');
        out.push_back(first == std::string::npos ? "" : line.substr(first));
    }
    return out;
}

std::string LineStartingWith(const std::vector<std::string>& lines, const std::string& start) {
    for (const std::string& l : lines) {
        if (l.rfind(start, 0) == 0) {
            return l;
        }
    }
    return "";
}

std::string Hex(const uint8_t* bytes, int n) {
    return HexLine("", bytes, n).substr(1);
}

} // namespace

TEST_F(VirtualMouseTest, ApplyAllReachesTheMouseExactlyAsEncoded) {
    auto profile = MixedData();
    data_.Set(*profile);
    runner_.SetConnected(true);
    ASSERT_TRUE(runner_.Run(kJobApplyAll));

    // The mouse logged every transfer, in order, with the bytes that were sent.
    const TransferList list = BuildApplyAll(*profile);
    std::vector<std::string> expected;
    for (const std::string& line : SplitLines(FormatTransfers(list))) {
        if (line.rfind("PAUSE", 0) != 0) {
            expected.push_back(line);
        }
    }
    EXPECT_EQ(expected, Log());
    EXPECT_EQ(2900 + 3 * 400, clock_.total);

    // Its memory, as mousectl decodes it, holds the profile.
    const std::string dump = Control("dump");
    const auto lines = DumpLines(dump);
    const ProfileRecord& p = profile->Profile[1];
    EXPECT_EQ("Presence: plugged", LineStartingWith(lines, "Presence:"));
    EXPECT_EQ(0u, LineStartingWith(lines, "Polling rate:").find("Polling rate: 1000 Hz")) << dump;
    EXPECT_EQ("Lighting: mode 2, value 1 = 49, value 2 = 4", LineStartingWith(lines, "Lighting:")) << dump;
    // Stages 1000, 1500, (2500 off), 3000, 5500, 7250 DPI; stage 4 selected.
    const char* dpi[6] = {"1000 DPI", "1500 DPI", "2500 DPI", "3000 DPI", "5500 DPI", "7250 DPI"};
    for (int i = 0; i < 6; ++i) {
        const std::string line = LineStartingWith(lines, "stage " + std::to_string(i + 1) + ":");
        const bool enabled = p.dpiStepFlag[i] != 0;
        if (enabled) {
            EXPECT_NE(std::string::npos, line.find(dpi[i])) << line;
        }
        EXPECT_NE(std::string::npos, line.find(enabled ? "enabled" : "disabled")) << line;
        EXPECT_EQ(i == p.Cpi_X, line.find("selected") != std::string::npos) << line;
    }
    EXPECT_NE(std::string::npos, LineStartingWith(lines, "DPI stages").find("selected stage 4")) << dump;
    // Every entry of the button table.
    const ButtonTable table = BuildButtonTable(p);
    for (int n = 0; n < 64; ++n) {
        char start[16];
        std::snprintf(start, sizeof start, "entry %02d:", n);
        const std::string line = LineStartingWith(lines, start);
        EXPECT_EQ(0u, line.find(std::string(start) + " " + Hex(table.bytes.data() + 4 * n, 4))) << line;
    }
    // The three used slots: Ctrl+C for entry 8, the macro of entry 9, Alt+Space N for entry 40.
    EXPECT_NE(std::string::npos, LineStartingWith(lines, "slot 1:").find("4 events")) << dump;
    EXPECT_NE(std::string::npos, LineStartingWith(lines, "slot 1:").find("entry 08")) << dump;
    EXPECT_NE(std::string::npos, LineStartingWith(lines, "slot 2:").find("repeat 3, 4 events")) << dump;
    EXPECT_NE(std::string::npos, LineStartingWith(lines, "slot 2:").find("entry 09")) << dump;
    EXPECT_NE(std::string::npos, LineStartingWith(lines, "slot 3:").find("6 events")) << dump;
    EXPECT_NE(std::string::npos, LineStartingWith(lines, "slot 3:").find("entry 40")) << dump;
    EXPECT_EQ("", LineStartingWith(lines, "slot 4:"));
    // The macro's pauses as the mouse plays them: 50 ms, 2000 ms, 0 ms and 20000 ms cut to 12750 ms. Bit 0 of a short
    // event's flag byte is also the lowest bit of its pause in 10 ms, so the mouse plays the 0 ms pause as 10 ms.
    int slot2 = -1;
    for (size_t i = 0; i < lines.size(); ++i) {
        if (lines[i].rfind("slot 2:", 0) == 0) {
            slot2 = static_cast<int>(i);
        }
    }
    ASSERT_GE(slot2, 0) << dump;
    const char* pauses[4] = {", 50 ms", ", 2000 ms", ", 10 ms", ", 12750 ms"};
    const char* kinds[4] = {"press", "release", "press", "release"};
    for (int e = 0; e < 4; ++e) {
        const std::string& line = lines[slot2 + 2 + e];
        EXPECT_EQ(0u, line.find(kinds[e])) << line;
        EXPECT_NE(std::string::npos, line.find(pauses[e])) << line;
    }
}

TEST_F(VirtualMouseTest, ReadBackTakesTheStageTheMouseStepsTo) {
    auto profile = DefaultData();
    data_.Set(*profile);
    runner_.SetConnected(true);
    ASSERT_TRUE(runner_.Run(kJobApplyAll)); // stage 2 selected

    std::array<uint8_t, 8> answer{};
    int got = 0;
    ASSERT_TRUE(runner_.Execute(BuildReadBack(), &answer, &got));
    ASSERT_NE(0, got);
    EXPECT_EQ(0x8B, answer[0]);
    EXPECT_EQ(2, answer[1]);
    EXPECT_EQ(ReportChecksum(answer), answer[7]);

    Control("dpi 6");
    ASSERT_TRUE(runner_.Run(kJobReadBack));
    ShareData after;
    data_.Get(after);
    EXPECT_EQ(5, after.Profile[0].Cpi_X);
    EXPECT_TRUE(recorder_.WaitForCount("BLOCK profile 0 cpi 5", 1, std::chrono::milliseconds(0)));
    // The job ended with the fixed parameters again.
    const auto log = Log();
    ASSERT_FALSE(log.empty());
    EXPECT_EQ("SET " + Hex(FixedReport().data(), 8), log.back());
}

TEST_F(VirtualMouseTest, UnpluggedMouseRefusesTheOpen) {
    Control("unplug");
    binding_.CloseFeatureDevice();
    binding_.CloseReportDevice();
    EXPECT_EQ(0, binding_.OpenFeatureDevice());
    EXPECT_EQ(0, binding_.OpenReportDevice());
    // Interfaces that did not open take no transfer: the library is not even asked.
    const std::string before = ReadFileText(folder_.Path() + "virtual-mouse.log");
    uint8_t report[8] = {0x8B, 0, 0, 0, 0, 0, 0, 0x74};
    int result = 0;
    EXPECT_FALSE(binding_.SetFeature(report, 8, result));
    EXPECT_FALSE(binding_.GetFeature(report, 8, result));
    EXPECT_FALSE(binding_.WriteUSB(report, 8, result));
    EXPECT_EQ(before, ReadFileText(folder_.Path() + "virtual-mouse.log"));

    Control("plug");
    EXPECT_NE(0, binding_.OpenFeatureDevice());
    EXPECT_NE(0, binding_.OpenReportDevice()) << ReadFileText(folder_.Path() + "virtual-mouse.log");
    EXPECT_TRUE(binding_.SetFeature(report, 8, result));
}
