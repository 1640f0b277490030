#pragma once
// The DeviceWorker: the one thread that talks to the mouse. It takes numbered jobs (DeviceJob thread messages,
// wParam 1 = apply-all, 2 = read-back, 3 = profile write after a switch; anything else is dropped) one at a time in
// arrival order, and runs a job only while the mouse is connected. Each job works on one consistent copy of Monitor's
// ShareData, taken when it starts.
//
// Profile writes coalesce: job 3 writes whatever profile is current when it starts, so a job 3 that still waits while
// a later job 3 is queued behind it is dropped (the later one writes the newer state). Quick switches thus cost one
// or two writes. Jobs 1 and 2 are never dropped, and job 1 always answers ApplyFinished.
//
// Keeping closes away from transfers: the window thread opens and closes the HID interfaces (hid_binding.h); every
// transfer holds the binding's lock for the length of its library call, and a closed interface refuses transfers. A
// job also stops before any transfer once the connected flag is clear. When a job stops early, job 1 still answers
// ApplyFinished, and job 2 still saves, writes the block and posts DeviceStateRead (as for a failed GetFeature) but
// skips its 4-second tail.
//
// Removal, on the window thread: SetConnected(false), CloseFeatureDevice, CloseReportDevice; none of them waits for
// more than the one library call in progress. Shut-down: DeviceWorker::Stop first (clears the connected flag, ends a
// pause at once and waits for the thread), then the two closes, CloseDevMonitor and HidBinding::Unload.

#include <windows.h>

#include "common/messages.h"
#include "common/profile_record.h"
#include "common/shared_block.h"
#include "framework/worker_thread.h"
#include "monitor/device/device_commands.h"
#include "monitor/device/hid_binding.h"

#include <array>
#include <atomic>
#include <memory>
#include <mutex>
#include <string>

// The protocol's pauses. Tests replace the clock so that they neither wait nor depend on timing.
class PauseClock {
public:
    virtual ~PauseClock() = default;
    virtual void Pause(int ms) = 0;
    // Ends the current pause and every later one at once (shut-down).
    virtual void Interrupt() {}
};

// The real clock: waits on an event with a time-out, so that Interrupt ends a pause early.
class SleepClock : public PauseClock {
public:
    SleepClock();
    void Pause(int ms) override;
    void Interrupt() override;

private:
    KernelHandle interrupted_;
};

// Monitor's copy of ShareData, shared by the window thread and the DeviceWorker. The window thread replaces or
// changes it through Update (for example `copy.Update([&](ShareData& d) { return block.ReadBlock(d); })`); a job
// takes its own copy with Get. Keep the work under the lock short: no device or file work. The shared block is the
// one exception: whoever changes the copy writes the block inside the same Update, so that the block's writes come
// in the order of the copy's changes and an older state never lands over a newer one.
//
// Every Set and Update counts as a change: Get returns the number of changes so far, so that a slow piece of work on
// a copy (saving the files) can tell whether the copy moved on meanwhile.
class MonitorShareData {
public:
    MonitorShareData(); // InitShareData
    uint64_t Get(ShareData& out) const;
    void Set(const ShareData& in);
    template <typename F> auto Update(F&& change) {
        std::lock_guard<std::mutex> lock(lock_);
        ++changes_;
        return change(*data_);
    }

private:
    mutable std::mutex lock_;
    std::unique_ptr<ShareData> data_;
    uint64_t changes_ = 0;
};

// What a job does beyond the device, so that tests can watch it.
class DeviceJobHost {
public:
    virtual ~DeviceJobHost() = default;
    // Posts a message (wParam 0, lParam 0) to the window titled "Tarvex Option"; false when there is none.
    virtual bool PostToOption(unsigned message) = 0;
    virtual void SaveAllProfiles(const ShareData& data) = 0;
    virtual void WriteBlock(const ShareData& data) = 0;
    virtual void Trace(const char* line) = 0;
};

// The program's host: FindWindow, the profile files of a folder (the program folder when empty), the shared block
// and the debugger output.
class MonitorJobHost : public DeviceJobHost {
public:
    MonitorJobHost(const SharedBlock& block, std::string folder = {}) : block_(block), folder_(std::move(folder)) {}
    bool PostToOption(unsigned message) override;
    void SaveAllProfiles(const ShareData& data) override;
    void WriteBlock(const ShareData& data) override;
    void Trace(const char* line) override;

private:
    const SharedBlock& block_;
    std::string folder_;
};

// The jobs themselves, without the thread (the worker runs them; tests may too).
class DeviceJobRunner {
public:
    DeviceJobRunner(DeviceTransport& transport, MonitorShareData& data, DeviceJobHost& host, PauseClock& clock)
        : transport_(transport), data_(data), host_(host), clock_(clock) {}

    // Monitor's connected flag, mirrored here by the window thread.
    void SetConnected(bool connected) { connected_.store(connected); }
    bool Connected() const { return connected_.load(); }

    // Runs job 1, 2 or 3 while connected and returns true; other jobs, and jobs while absent, are dropped (false).
    bool Run(unsigned job);
    void ApplyAll();
    // The apply-all's transfers for the current profile, with nothing posted afterwards (job 3).
    void WriteProfile();
    void Trace(const char* line);
    void ReadBack();

    // Carries the steps out in order; false as soon as the connected flag is clear or the transport refuses a step
    // (the rest is dropped). A Get step
    // leaves the device's answer in `answer` and the library's result in `getResult`.
    bool Execute(const TransferList& list, std::array<uint8_t, 8>* answer = nullptr, int* getResult = nullptr);

private:
    DeviceTransport& transport_;
    MonitorShareData& data_;
    DeviceJobHost& host_;
    PauseClock& clock_;
    std::atomic<bool> connected_{false};
};

// The thread: a WorkerThread whose jobs are the DeviceJob messages.
class DeviceWorker : public WorkerThread {
public:
    DeviceWorker(DeviceTransport& transport, MonitorShareData& data, DeviceJobHost& host, PauseClock& clock)
        : runner_(transport, data, host, clock), clock_(clock) {}
    ~DeviceWorker() override { Stop(); }

    // Start() (inherited) creates the thread and returns once its queue exists.
    // Clears the connected flag (queued jobs are dropped, a running one stops at its next transfer), ends a running
    // pause at once, then ends the thread and waits for it. Safe to call twice.
    void Stop();

    // Posts DeviceJob with the job as wParam; false when the post fails (Monitor then answers ApplyFinished itself).
    // Profile writes (job 3) are counted, so that a queued one can see that a later one follows.
    bool PostJob(unsigned job, LPARAM lParam = 0);

    void SetConnected(bool connected) { runner_.SetConnected(connected); }
    bool Connected() const { return runner_.Connected(); }
    DeviceJobRunner& Runner() { return runner_; }

protected:
    void OnJob(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    // One profile write fewer is waiting; the number still waiting after it.
    int TakeProfileWrite();

    DeviceJobRunner runner_;
    PauseClock& clock_;
    std::atomic<int> profileWrites_{0}; // job 3 posted through PostJob and not yet taken
};
