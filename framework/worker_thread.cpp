#include "framework/worker_thread.h"

#include <windows.h>

#include "framework/trace.h"

WorkerThread::~WorkerThread() {
    Stop();
}

bool WorkerThread::Start() {
    if (thread_) {
        return false;
    }
    ready_.reset(CreateEventA(nullptr, TRUE, FALSE, nullptr));
    if (!ready_) {
        return false;
    }
    stopNow_ = false;
    thread_.reset(CreateThread(nullptr, 0, &WorkerThread::ThreadMain, this, 0, nullptr));
    if (!thread_) {
        return false;
    }
    // The queue exists once the thread has called a message function; a post before that would fail.
    HANDLE waits[2] = {ready_.get(), thread_.get()};
    DWORD which = WaitForMultipleObjects(2, waits, FALSE, INFINITE);
    if (which != WAIT_OBJECT_0) {
        WaitForSingleObject(thread_.get(), INFINITE);
        thread_.reset();
        return false;
    }
    return true;
}

bool WorkerThread::Post(UINT message, WPARAM wParam, LPARAM lParam) const {
    DWORD id = threadId_.load();
    if (id == 0 || message == WM_QUIT) {
        return false;
    }
    return PostThreadMessageA(id, message, wParam, lParam) != FALSE;
}

void WorkerThread::Stop() {
    if (!thread_) {
        return;
    }
    DWORD id = threadId_.exchange(0);
    if (id != 0 && !PostThreadMessageA(id, WM_QUIT, 0, 0)) {
        // The queue is full (10000 messages): the thread is busy and sees this after its current job.
        stopNow_ = true;
    }
    if (GetThreadId(thread_.get()) == GetCurrentThreadId()) {
        return;
    }
    WaitForSingleObject(thread_.get(), INFINITE);
    thread_.reset();
    ready_.reset();
}

DWORD WINAPI WorkerThread::ThreadMain(void* self) {
    static_cast<WorkerThread*>(self)->Run();
    return 0;
}

void WorkerThread::Run() {
    MSG msg;
    PeekMessageA(&msg, nullptr, WM_USER, WM_USER, PM_NOREMOVE);
    threadId_ = GetCurrentThreadId();
    SetEvent(ready_.get());
    OnThreadStart();
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        if (msg.hwnd == nullptr) {
            try {
                OnJob(msg.message, msg.wParam, msg.lParam);
            } catch (...) {
                Trace("WorkerThread: exception in job 0x%04X\n", msg.message);
            }
        } else {
            DispatchMessageA(&msg);
        }
        if (stopNow_) {
            break;
        }
    }
    OnThreadEnd();
}
