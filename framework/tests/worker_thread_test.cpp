#include "framework/worker_thread.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>

#include "framework/window.h"
#include "testing/pump.h"

namespace {

constexpr UINT kJob = WM_USER + 625;
constexpr UINT kJobDone = WM_USER + 626;

// Receives the worker's report on the window thread.
class ResultWindow : public Window {
public:
    DWORD reportedThread = 0;
    LPARAM reportedValue = 0;
    int reports = 0;

private:
    LRESULT OnJobDone(WPARAM wParam, LPARAM lParam) {
        reportedThread = static_cast<DWORD>(wParam);
        reportedValue = lParam;
        ++reports;
        return 0;
    }
    using Entry = MessageEntry<ResultWindow>;
    static constexpr Entry kMessageMap[] = {Entry::Raw(kJobDone, &ResultWindow::OnJobDone)};
    bool ProcessMessage(WindowMessage& m) override {
        return RouteMessage(*this, kMessageMap, m) || Window::ProcessMessage(m);
    }
};

class TestWorker : public WorkerThread {
public:
    HWND reportTo = nullptr;
    std::atomic<int> jobs{0};
    std::atomic<int> outOfOrder{0};
    std::atomic<DWORD> startThread{0};
    std::atomic<bool> ended{false};

    ~TestWorker() override { Stop(); }

protected:
    void OnThreadStart() override { startThread = GetCurrentThreadId(); }
    void OnThreadEnd() override { ended = true; }
    void OnJob(UINT message, WPARAM wParam, LPARAM lParam) override {
        if (message != kJob) {
            return;
        }
        if (static_cast<int>(wParam) != jobs.load()) {
            ++outOfOrder;
        }
        ++jobs;
        if (lParam != 0 && reportTo != nullptr) {
            PostMessageA(reportTo, kJobDone, GetCurrentThreadId(), lParam * 10);
        }
    }
};

} // namespace

TEST(WorkerThread, RunsAJobOnItsThreadAndPostsTheResultBack) {
    ResultWindow window;
    ASSERT_NE(nullptr, window.Create(0, nullptr, "results", WS_OVERLAPPEDWINDOW, 0, 0, 50, 50, nullptr));
    TestWorker worker;
    worker.reportTo = window.Handle();
    EXPECT_FALSE(worker.Post(kJob, 0, 0)) << "not started yet";
    ASSERT_TRUE(worker.Start());
    EXPECT_FALSE(worker.Start());
    // The very first post right after Start must not be lost.
    ASSERT_TRUE(worker.Post(kJob, 0, 4));
    ASSERT_TRUE(PumpUntil([&] { return window.reports == 1; }));
    EXPECT_EQ(worker.ThreadId(), window.reportedThread);
    EXPECT_NE(GetCurrentThreadId(), window.reportedThread);
    EXPECT_EQ(worker.startThread.load(), window.reportedThread);
    EXPECT_EQ(LPARAM{40}, window.reportedValue);
    worker.Stop();
    EXPECT_TRUE(worker.ended);
    EXPECT_FALSE(worker.Running());
}

TEST(WorkerThread, StopRunsTheJobsPostedBeforeAndRefusesLaterOnes) {
    TestWorker worker;
    ASSERT_TRUE(worker.Start());
    for (int i = 0; i < 500; ++i) {
        ASSERT_TRUE(worker.Post(kJob, static_cast<WPARAM>(i), 0));
    }
    EXPECT_FALSE(worker.Post(WM_QUIT, 0, 0));
    worker.Stop();
    EXPECT_EQ(500, worker.jobs.load());
    EXPECT_EQ(0, worker.outOfOrder.load());
    EXPECT_FALSE(worker.Post(kJob, 0, 0));
    // It can be started again.
    ASSERT_TRUE(worker.Start());
    ASSERT_TRUE(worker.Post(kJob, 500, 0));
    worker.Stop();
    EXPECT_EQ(501, worker.jobs.load());
}
