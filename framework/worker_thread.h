#pragma once
// A thread with a message queue that takes jobs posted to it (PostThreadMessage), one at a time, in order.
// The worker never touches windows: it reports back by posting messages to them.
//
//   class DeviceWorker : public WorkerThread {
//   public:
//       ~DeviceWorker() override { Stop(); }   // before the derived part is gone
//   protected:
//       void OnJob(UINT message, WPARAM wParam, LPARAM lParam) override;   // runs on the worker thread
//   };
//
//   DeviceWorker worker;
//   worker.Start();
//   worker.Post(DeviceJob, 1, 0);
//   worker.Stop();   // runs the jobs posted before, then ends the thread and waits for it

#include <windows.h>

#include <atomic>

#include "framework/handles.h"

class WorkerThread {
public:
    WorkerThread() = default;
    // Stops the thread. A derived class stops it in its own destructor, so that no job runs in a half-destroyed
    // object.
    virtual ~WorkerThread();

    WorkerThread(const WorkerThread&) = delete;
    WorkerThread& operator=(const WorkerThread&) = delete;

    // Starts the thread and returns once its message queue exists, so the first Post cannot be lost. False when the
    // thread could not be started or is running already.
    bool Start();
    // Posts one job from any thread. False when the worker is not running or its queue is full. WM_QUIT is refused.
    bool Post(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const;
    // Lets the jobs posted before run, ends the thread with WM_QUIT and waits for it. Called on the worker thread
    // itself, it only asks the thread to end.
    void Stop();

    bool Running() const noexcept { return threadId_.load() != 0; }
    // The worker's thread id while it runs, else 0.
    DWORD ThreadId() const noexcept { return threadId_.load(); }

protected:
    // One job message, on the worker thread.
    virtual void OnJob(UINT message, WPARAM wParam, LPARAM lParam) = 0;
    // On the worker thread before the first job and after the last one.
    virtual void OnThreadStart() {}
    virtual void OnThreadEnd() {}

private:
    static DWORD WINAPI ThreadMain(void* self);
    void Run();

    KernelHandle thread_;
    KernelHandle ready_;
    std::atomic<DWORD> threadId_{0};
    std::atomic<bool> stopNow_{false};
};
