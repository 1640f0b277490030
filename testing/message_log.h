#pragma once
// What windows of a thread receive, recorded in order: the messages a click, a key or a wheel turn produce, to compare
// with the sequence a control must show, and the proof that a click reached a control before a test gives it again.
//
// Two sources feed one log: Watch puts a recorder in front of a window's procedure (a window of this thread), which
// sees every message the window gets, sent or posted; WatchQueue hooks a thread's queue (any thread of the process),
// which sees the input its windows take out of it, also inside menu and dialog loops.

#include <windows.h>

#include <cstddef>
#include <initializer_list>
#include <mutex>
#include <string>
#include <vector>

struct LoggedMessage {
    HWND hwnd;
    UINT message;
    WPARAM wParam;

    bool operator==(const LoggedMessage&) const = default;
};

class MessageLog {
public:
    MessageLog() = default;
    ~MessageLog();
    MessageLog(const MessageLog&) = delete;
    MessageLog& operator=(const MessageLog&) = delete;

    // Records every message the window's procedure gets until the window goes or the log ends. A window of this
    // thread; false otherwise.
    bool Watch(HWND hwnd);
    // Records the mouse and key messages that the windows of `thread` take from its queue. One queue per log, and
    // one log at a time may watch queues.
    bool WatchQueue(DWORD thread);

    // The number of messages recorded so far: a mark to look from.
    size_t Mark() const;
    // The messages of one window (any window for null) of the given kinds, from a mark on, in order.
    std::vector<LoggedMessage> Of(HWND hwnd, std::initializer_list<UINT> kinds, size_t from = 0) const;
    // Whether the window (any window for null) got a message of one of the kinds from the mark on.
    bool Got(HWND hwnd, std::initializer_list<UINT> kinds, size_t from = 0) const;
    void Clear();

    // A sequence for a failure message: "WM_LBUTTONDOWN(1) WM_COMMAND(0x1234) ...".
    static std::string Describe(const std::vector<LoggedMessage>& messages);

private:
    static LRESULT CALLBACK WindowRecorder(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                           DWORD_PTR refData);
    static LRESULT CALLBACK QueueRecorder(int code, WPARAM wParam, LPARAM lParam);
    void Add(HWND hwnd, UINT message, WPARAM wParam);

    mutable std::mutex lock_;
    std::vector<LoggedMessage> messages_;
    std::vector<HWND> watched_;
    HHOOK hook_ = nullptr;
};
