// The main of every test executable. Output is unbuffered, so what a test printed survives when the run is killed,
// and a test that runs far longer than any test should is named and ended here: a hang becomes a failure with a
// name instead of a silent time-out of the whole executable.
#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <string>
#include <thread>

namespace {

class HangWatch : public ::testing::EmptyTestEventListener {
public:
    explicit HangWatch(std::chrono::seconds limit) : limit_(limit), thread_([this] { Watch(); }) {}
    ~HangWatch() override {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            quit_ = true;
        }
        changed_.notify_all();
        thread_.join();
    }

    void OnTestStart(const ::testing::TestInfo& info) override {
        std::lock_guard<std::mutex> lock(mutex_);
        current_ = std::string(info.test_suite_name()) + "." + info.name();
        started_ = std::chrono::steady_clock::now();
        running_ = true;
        changed_.notify_all();
    }
    void OnTestEnd(const ::testing::TestInfo&) override {
        std::lock_guard<std::mutex> lock(mutex_);
        running_ = false;
        changed_.notify_all();
    }

private:
    void Watch() {
        std::unique_lock<std::mutex> lock(mutex_);
        while (!quit_) {
            if (!running_) {
                changed_.wait(lock);
                continue;
            }
            auto deadline = started_ + limit_;
            if (changed_.wait_until(lock, deadline) == std::cv_status::timeout && running_ && !quit_ &&
                std::chrono::steady_clock::now() >= started_ + limit_) {
                std::fprintf(stderr, "[  HUNG    ] %s has run for %lld s; the run ends here\n", current_.c_str(),
                             static_cast<long long>(limit_.count()));
                std::fflush(stderr);
                std::_Exit(3);
            }
        }
    }

    std::chrono::seconds limit_;
    std::mutex mutex_;
    std::condition_variable changed_;
    std::string current_;
    std::chrono::steady_clock::time_point started_{};
    bool running_ = false;
    bool quit_ = false;
    std::thread thread_;
};

} // namespace

int main(int argc, char** argv) {
    std::setvbuf(stdout, nullptr, _IONBF, 0);
    std::setvbuf(stderr, nullptr, _IONBF, 0);
    ::testing::InitGoogleTest(&argc, argv);
    // No test of ours comes near this; the executable's own limit is longer.
    long limit = 120;
    if (const char* text = std::getenv("KORVANE_TEST_HANG_SECONDS")) {
        limit = std::strtol(text, nullptr, 10) > 0 ? std::strtol(text, nullptr, 10) : limit;
    }
    auto* watch = new HangWatch(std::chrono::seconds(limit));
    ::testing::UnitTest::GetInstance()->listeners().Append(watch);
    int result = RUN_ALL_TESTS();
    // Taken back from gtest and ended here, while the process is whole, not among the static destructors.
    ::testing::UnitTest::GetInstance()->listeners().Release(watch);
    delete watch;
    return result;
}
