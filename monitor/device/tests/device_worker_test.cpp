#include <windows.h>

#include "monitor/device/device_worker.h"

#include "common/messages.h"
#include "common/profile_store.h"
#include "monitor/device/tests/device_fakes.h"
#include "monitor/device/tests/test_profiles.h"
#include "testing/registry.h"
#include "testing/virtual_mouse_run.h"

#include <gtest/gtest.h>

#include <functional>
#include <future>
#include <thread>

namespace {

const std::string kApplyFinished = "POST " + std::to_string(ApplyFinished);
const std::string kDeviceStateRead = "POST " + std::to_string(DeviceStateRead);
const std::string kProfileWrite = "TRACE DeviceWorker profile write\n";
const std::string kProfileWriteDropped = "TRACE DeviceWorker profile write dropped: a later one follows\n";

void Append(std::vector<std::string>& to, const std::vector<std::string>& more) {
    to.insert(to.end(), more.begin(), more.end());
}

struct WorkerFixture : ::testing::Test {
    Recorder recorder;
    FakeTransport transport{recorder};
    FakeClock clock{recorder};
    FakeHost host{recorder};
    MonitorShareData data;
    DeviceJobRunner runner{transport, data, host, clock};
};

} // namespace

TEST_F(WorkerFixture, JobsRunOneAtATimeInArrivalOrderAndOthersAreDropped) {
    auto initial = MixedData();
    data.Set(*initial);
    transport.answer = {0x8B, 5, 0, 0, 0, 0, 0, 0x6F}; // stage 5
    DeviceWorker worker(transport, data, host, clock);
    worker.SetConnected(true);
    ASSERT_TRUE(worker.Start());
    for (unsigned job : {kJobApplyAll, kJobProfileSwitch, kJobReadBack, 0u, 7u, kJobApplyAll}) {
        ASSERT_TRUE(worker.PostJob(job));
    }
    ASSERT_TRUE(recorder.WaitForCount(kApplyFinished, 2));
    worker.Stop();

    std::vector<std::string> expected = SplitLines(FormatTransfers(BuildApplyAll(*initial)));
    expected.push_back(kApplyFinished);
    // The profile write after a switch: the same transfers, and nothing for Option.
    expected.push_back(kProfileWrite);
    Append(expected, SplitLines(FormatTransfers(BuildApplyAll(*initial))));
    Append(expected, SplitLines(FormatTransfers(BuildReadBack())));
    expected.push_back("BLOCK profile 1 cpi 4");
    expected.push_back("SAVE profile 1 cpi 4");
    expected.push_back(kDeviceStateRead);
    Append(expected, SplitLines(FormatTransfers(BuildReadBackTail())));
    // The read-back changed Monitor's copy: the second apply-all selects stage 5.
    initial->Profile[1].Cpi_X = 4;
    Append(expected, SplitLines(FormatTransfers(BuildApplyAll(*initial))));
    expected.push_back(kApplyFinished);
    EXPECT_EQ(expected, recorder.Lines());

    ShareData after;
    data.Get(after);
    EXPECT_EQ(4, after.Profile[1].Cpi_X);
}

TEST_F(WorkerFixture, QuickProfileSwitchesCostAtMostTwoWritesAndAnApplyIsNeverDropped) {
    auto initial = DefaultData();
    for (int p = 0; p < kProfileCount; ++p) {
        initial->Profile[p].PollingRate = p % 4; // each profile's write starts with its own polling command
        initial->Profile[p].CpiLevel_X[0] = p + 1;
    }
    data.Set(*initial);
    // The first write waits at its first pause until the later switches and an Apply are queued behind it.
    std::promise<void> queued;
    std::shared_future<void> released = queued.get_future().share();
    clock.onPause = [&](int n) {
        if (n == 1) {
            released.wait();
        }
    };
    DeviceWorker worker(transport, data, host, clock);
    worker.SetConnected(true);
    ASSERT_TRUE(worker.Start());
    const auto switchTo = [&](int profile) {
        data.Update([&](ShareData& d) {
            d.CurrentProfile = profile;
            return 0;
        });
        return worker.PostJob(kJobProfileSwitch);
    };
    ASSERT_TRUE(switchTo(1));
    ASSERT_TRUE(recorder.WaitForCount("PAUSE 100", 1));
    ASSERT_TRUE(switchTo(2));
    ASSERT_TRUE(worker.PostJob(kJobApplyAll));
    ASSERT_TRUE(switchTo(3));
    ASSERT_TRUE(switchTo(4));
    queued.set_value();

    auto latest = DefaultData();
    data.Get(*latest);
    auto first = DefaultData();
    data.Get(*first);
    first->CurrentProfile = 1;
    std::vector<std::string> expected{kProfileWrite};
    Append(expected, SplitLines(FormatTransfers(BuildApplyAll(*first))));
    expected.push_back(kProfileWriteDropped);
    Append(expected, SplitLines(FormatTransfers(BuildApplyAll(*latest))));
    expected.push_back(kApplyFinished);
    expected.push_back(kProfileWriteDropped);
    expected.push_back(kProfileWrite);
    Append(expected, SplitLines(FormatTransfers(BuildApplyAll(*latest))));
    ASSERT_TRUE(recorder.WaitForLines(expected.size()));
    worker.Stop();
    EXPECT_EQ(expected, recorder.Lines());
    ASSERT_NE(BuildApplyAll(*first).front().bytes, BuildApplyAll(*latest).front().bytes);
}

TEST_F(WorkerFixture, JobCodesBeyondThirtyTwoBitsAreDropped) {
    data.Set(*DefaultData());
    DeviceWorker worker(transport, data, host, clock);
    worker.SetConnected(true);
    ASSERT_TRUE(worker.Start());
    // Posted by another program: the low 32 bits read 1 and 2, but these are no jobs.
    static_assert(sizeof(WPARAM) == 8);
    const WPARAM high = WPARAM{1} << 32;
    ASSERT_TRUE(worker.Post(DeviceJob, high | kJobApplyAll));
    ASSERT_TRUE(worker.Post(DeviceJob, high | kJobReadBack));
    ASSERT_TRUE(worker.PostJob(kJobApplyAll));
    ASSERT_TRUE(recorder.WaitForCount(kApplyFinished, 1));
    worker.Stop();
    std::vector<std::string> expected = SplitLines(FormatTransfers(BuildApplyAll(*DefaultData())));
    expected.push_back(kApplyFinished);
    EXPECT_EQ(expected, recorder.Lines());
}

TEST_F(WorkerFixture, JobsWhileTheMouseIsAbsentAreDropped) {
    EXPECT_FALSE(runner.Run(kJobApplyAll));
    EXPECT_FALSE(runner.Run(kJobReadBack));
    EXPECT_FALSE(runner.Run(kJobProfileSwitch));
    runner.SetConnected(true);
    EXPECT_FALSE(runner.Run(7));
    EXPECT_TRUE(recorder.Lines().empty());

    DeviceWorker worker(transport, data, host, clock);
    ASSERT_TRUE(worker.Start());
    EXPECT_TRUE(worker.PostJob(kJobApplyAll));
    EXPECT_TRUE(worker.PostJob(kJobReadBack));
    worker.Stop(); // the queued jobs are taken before the thread ends
    EXPECT_TRUE(recorder.Lines().empty());
    EXPECT_FALSE(worker.PostJob(kJobApplyAll));
}

TEST_F(WorkerFixture, ProfileOutsideTheFiveSendsNothingButStillAnswers) {
    auto bad = DefaultData();
    bad->CurrentProfile = 5;
    data.Set(*bad);
    runner.SetConnected(true);
    EXPECT_TRUE(runner.Run(kJobApplyAll));
    EXPECT_EQ(std::vector<std::string>{kApplyFinished}, recorder.Lines());

    // The read-back still reads, saves and tells; there is no current profile to take the stage.
    EXPECT_TRUE(runner.Run(kJobReadBack));
    const auto lines = recorder.Lines();
    EXPECT_NE(std::find(lines.begin(), lines.end(), "SAVE profile 5 cpi -"), lines.end());
}

TEST_F(WorkerFixture, WithoutOptionTheApplyAllIsTraced) {
    host.optionPresent = false;
    data.Set(*DefaultData());
    runner.SetConnected(true);
    runner.Run(kJobApplyAll);
    const auto lines = recorder.Lines();
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ("TRACE OnApplyAllSetting Don't find Quorra Option Dialog\n", lines.back());
}

TEST_F(WorkerFixture, AJobWorksOnTheProfileAsItWasWhenTheJobStarted) {
    auto initial = DefaultData();
    data.Set(*initial);
    // The window thread replaces Monitor's copy while the job runs.
    clock.onPause = [&](int n) {
        if (n == 2) {
            data.Update([](ShareData& d) {
                d.CurrentProfile = 2;
                d.Profile[2].PollingRate = 0;
                d.Profile[0].MacroKey[3].FunctionCode = 35;
                return 0;
            });
        }
    };
    runner.SetConnected(true);
    runner.Run(kJobApplyAll);
    std::vector<std::string> expected = SplitLines(FormatTransfers(BuildApplyAll(*initial)));
    expected.push_back(kApplyFinished);
    EXPECT_EQ(expected, recorder.Lines());
}

TEST_F(WorkerFixture, ClosedInterfacesOrRemovalStopTheJob) {
    auto initial = DefaultData();
    data.Set(*initial);
    runner.SetConnected(true);
    transport.refuseAfter = 3; // closed after the lighting command
    runner.Run(kJobApplyAll);
    std::vector<std::string> all = SplitLines(FormatTransfers(BuildApplyAll(*initial)));
    std::vector<std::string> expected(all.begin(), all.begin() + 6); // three commands and their pauses
    expected.push_back(kApplyFinished);
    EXPECT_EQ(expected, recorder.Lines());

    // A read-back refused at once still saves and tells, and skips its tail.
    Recorder second;
    FakeTransport closed(second);
    closed.refuseAfter = 0;
    FakeClock clock2(second);
    FakeHost host2(second);
    DeviceJobRunner runner2(closed, data, host2, clock2);
    runner2.SetConnected(true);
    runner2.Run(kJobReadBack);
    EXPECT_EQ((std::vector<std::string>{"BLOCK profile 0 cpi 1", "SAVE profile 0 cpi 1", kDeviceStateRead}),
              second.Lines());

    // Removal during a pause: nothing more is sent.
    Recorder third;
    FakeTransport open(third);
    FakeClock clock3(third);
    FakeHost host3(third);
    DeviceJobRunner runner3(open, data, host3, clock3);
    clock3.onPause = [&](int n) {
        if (n == 4) {
            runner3.SetConnected(false);
        }
    };
    runner3.SetConnected(true);
    runner3.Run(kJobApplyAll);
    const auto lines = third.Lines();
    ASSERT_EQ(kApplyFinished, lines.back());
    EXPECT_EQ(std::vector<std::string>(all.begin(), all.begin() + 8),
              std::vector<std::string>(lines.begin(), lines.end() - 1));
}

TEST_F(WorkerFixture, ReadBackTakesOnlyAStageTheMouseCanHave) {
    auto initial = DefaultData();
    initial->CurrentProfile = 3;
    data.Set(*initial);
    runner.SetConnected(true);
    ShareData after;

    transport.answer = {0x8B, 6, 0, 0, 0, 0, 0, 0x6E};
    runner.Run(kJobReadBack);
    data.Get(after);
    EXPECT_EQ(5, after.Profile[3].Cpi_X);

    transport.answer = {0x8B, 7, 0, 0, 0, 0, 0, 0x6D};
    runner.Run(kJobReadBack);
    data.Get(after);
    EXPECT_EQ(5, after.Profile[3].Cpi_X);

    transport.answer = {0x8B, 2, 0, 0, 0, 0, 0, 0x72};
    transport.getResult = 0; // failed: the buffer is not an answer
    runner.Run(kJobReadBack);
    data.Get(after);
    EXPECT_EQ(5, after.Profile[3].Cpi_X);
    // Every read-back saved and told, failed or not.
    EXPECT_TRUE(recorder.WaitForCount("SAVE profile 3 cpi 5", 3, std::chrono::milliseconds(0)));
    EXPECT_TRUE(recorder.WaitForCount(kDeviceStateRead, 3, std::chrono::milliseconds(0)));
    for (int p = 0; p < 5; ++p) {
        if (p != 3) {
            EXPECT_EQ(1, after.Profile[p].Cpi_X) << p;
        }
    }
}

TEST(SleepClock, InterruptEndsAPauseAndEveryLaterOne) {
    SleepClock clock;
    auto pausing = std::async(std::launch::async, [&] { clock.Pause(120000); });
    // Give the pause a chance to begin; it ends either way once interrupted.
    pausing.wait_for(std::chrono::milliseconds(50));
    clock.Interrupt();
    EXPECT_EQ(std::future_status::ready, pausing.wait_for(std::chrono::seconds(20)));
    auto later = std::async(std::launch::async, [&] { clock.Pause(120000); });
    EXPECT_EQ(std::future_status::ready, later.wait_for(std::chrono::seconds(20)));
}

TEST_F(WorkerFixture, StopDuringTheReadBackPauseSendsNothingMore) {
    SleepClock sleeping;
    DeviceWorker worker(transport, data, host, sleeping);
    data.Set(*DefaultData());
    worker.SetConnected(true);
    ASSERT_TRUE(worker.Start());
    ASSERT_TRUE(worker.PostJob(kJobReadBack));
    ASSERT_TRUE(recorder.WaitForCount(kDeviceStateRead, 1));
    worker.Stop(); // the 4000 ms pause is cut short, and its command 0x03 is not sent
    const auto lines = recorder.Lines();
    EXPECT_EQ(kDeviceStateRead, lines.back());
}

TEST(MonitorJobHost, ReadBackSavesWritesTheBlockAndTellsOption) {
    TempFolder folder;
    SharedBlock block;
    auto initial = DefaultData();
    initial->CurrentProfile = 2;
    ASSERT_EQ(BlockResult::Ready, block.Create(*initial));
    HWND option = CreateWindowExA(0, "STATIC", kOptionWindowTitle, 0, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(nullptr, option);

    Recorder recorder;
    FakeTransport transport(recorder);
    transport.answer = {0x8B, 3, 0, 0, 0, 0, 0, 0x71};
    FakeClock clock(recorder);
    MonitorJobHost host(block, folder.Path());
    MonitorShareData data;
    data.Set(*initial);
    DeviceJobRunner runner(transport, data, host, clock);
    runner.SetConnected(true);
    ASSERT_TRUE(runner.Run(kJobReadBack));

    auto read = std::make_unique<ShareData>();
    ASSERT_EQ(1, block.ReadBlock(*read));
    EXPECT_EQ(2, read->Profile[2].Cpi_X);
    EXPECT_EQ(1, read->Profile[1].Cpi_X);
    EXPECT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesA((folder.Path() + "config.ini").c_str()));
    EXPECT_EQ(2, static_cast<int>(
                     GetPrivateProfileIntA("Setting", "CurrentProfile", -1, (folder.Path() + "config.ini").c_str())));
    MSG msg;
    EXPECT_TRUE(PeekMessageA(&msg, option, DeviceStateRead, DeviceStateRead, PM_REMOVE));

    ASSERT_TRUE(runner.Run(kJobApplyAll));
    EXPECT_TRUE(PeekMessageA(&msg, option, ApplyFinished, ApplyFinished, PM_REMOVE));
    DestroyWindow(option);
    EXPECT_FALSE(host.PostToOption(ApplyFinished));
}

namespace {

// The program's host whose first save lets something else happen first, as the window thread may while the
// DeviceWorker saves.
class HostWithSwitchDuringSave : public MonitorJobHost {
public:
    using MonitorJobHost::MonitorJobHost;
    void SaveAllProfiles(const ShareData& data) override {
        if (duringSave) {
            auto now = std::move(duringSave);
            duringSave = nullptr;
            now();
        }
        ++saves;
        MonitorJobHost::SaveAllProfiles(data);
    }
    std::function<void()> duringSave;
    int saves = 0;
};

} // namespace

TEST(MonitorJobHost, AProfileSwitchDuringTheReadBackSaveSurvivesInTheBlockTheFilesAndTheRegistry) {
    const PointerRegistryGuard registry;
    TempFolder folder;
    auto initial = DefaultData();
    initial->Profile[0].DbleClickSpeed = 410;
    initial->Profile[3].DbleClickSpeed = 530;
    SharedBlock block;
    ASSERT_EQ(BlockResult::Ready, block.Create(*initial));
    MonitorShareData data;
    data.Set(*initial);

    Recorder recorder;
    FakeTransport transport(recorder);
    transport.answer = {0x8B, 4, 0, 0, 0, 0, 0, 0x70}; // stage 4
    FakeClock clock(recorder);
    HostWithSwitchDuringSave host(block, folder.Path());
    // The window thread's switch to profile 4, as it makes one: its copy, the block and the pointer values at once.
    host.duringSave = [&] {
        data.Update([&](ShareData& d) {
            d.CurrentProfile = 3;
            block.WriteBlock(d);
            return 0;
        });
        WritePointerSettings(initial->Profile[3]);
    };
    DeviceJobRunner runner(transport, data, host, clock);
    runner.SetConnected(true);
    ASSERT_TRUE(runner.Run(kJobReadBack));

    auto read = std::make_unique<ShareData>();
    ASSERT_EQ(1, block.ReadBlock(*read));
    EXPECT_EQ(3, read->CurrentProfile);
    EXPECT_EQ(3, read->Profile[0].Cpi_X); // the stage read back stays with the profile it was read for
    EXPECT_EQ(2, host.saves);
    EXPECT_EQ(3, static_cast<int>(
                     GetPrivateProfileIntA("Setting", "CurrentProfile", -1, (folder.Path() + "config.ini").c_str())));
    ProfileRecord saved{};
    ReadProfileFile(saved, ProfileFilePath(folder.Path(), 0));
    EXPECT_EQ(3, saved.Cpi_X);
    EXPECT_EQ("530", RegistryText(kMouseRegistryKey, "DoubleClickSpeed"));

    // Without a change during the save, one save is all.
    host.saves = 0;
    ASSERT_TRUE(runner.Run(kJobReadBack));
    EXPECT_EQ(1, host.saves);
}
