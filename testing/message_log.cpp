#include <windows.h>

#include <commctrl.h>

#include "testing/message_log.h"

#include <algorithm>
#include <atomic>
#include <cstdio>

namespace {

constexpr UINT_PTR kRecorderId = 0x4D4C;

// The log whose hook watches a queue; the hook procedure gets no data of its own.
std::atomic<MessageLog*> g_queueLog{nullptr};

struct MessageName {
    UINT message;
    const char* name;
};
constexpr MessageName kNames[] = {
    {WM_SETFOCUS, "WM_SETFOCUS"},
    {WM_KILLFOCUS, "WM_KILLFOCUS"},
    {WM_ENABLE, "WM_ENABLE"},
    {WM_PAINT, "WM_PAINT"},
    {WM_SETCURSOR, "WM_SETCURSOR"},
    {WM_MOUSEACTIVATE, "WM_MOUSEACTIVATE"},
    {WM_DRAWITEM, "WM_DRAWITEM"},
    {WM_NCHITTEST, "WM_NCHITTEST"},
    {WM_KEYDOWN, "WM_KEYDOWN"},
    {WM_KEYUP, "WM_KEYUP"},
    {WM_CHAR, "WM_CHAR"},
    {WM_COMMAND, "WM_COMMAND"},
    {WM_VSCROLL, "WM_VSCROLL"},
    {WM_MOUSEMOVE, "WM_MOUSEMOVE"},
    {WM_LBUTTONDOWN, "WM_LBUTTONDOWN"},
    {WM_LBUTTONUP, "WM_LBUTTONUP"},
    {WM_LBUTTONDBLCLK, "WM_LBUTTONDBLCLK"},
    {WM_RBUTTONDOWN, "WM_RBUTTONDOWN"},
    {WM_RBUTTONUP, "WM_RBUTTONUP"},
    {WM_MOUSEWHEEL, "WM_MOUSEWHEEL"},
    {WM_CAPTURECHANGED, "WM_CAPTURECHANGED"},
    {WM_GETDLGCODE, "WM_GETDLGCODE"},
    {BM_SETSTATE, "BM_SETSTATE"},
    {BM_CLICK, "BM_CLICK"},
    {LB_SETCURSEL, "LB_SETCURSEL"},
};

bool IsInput(UINT message) {
    return (message >= WM_KEYFIRST && message <= WM_KEYLAST) || (message >= WM_MOUSEFIRST && message <= WM_MOUSELAST) ||
           (message >= WM_NCMOUSEMOVE && message <= WM_NCXBUTTONDBLCLK);
}

} // namespace

MessageLog::~MessageLog() {
    if (hook_) {
        UnhookWindowsHookEx(hook_);
        g_queueLog = nullptr;
    }
    std::vector<HWND> watched;
    {
        std::lock_guard<std::mutex> hold(lock_);
        watched.swap(watched_);
    }
    for (HWND hwnd : watched) {
        if (IsWindow(hwnd)) {
            RemoveWindowSubclass(hwnd, &MessageLog::WindowRecorder, kRecorderId);
        }
    }
}

bool MessageLog::Watch(HWND hwnd) {
    if (!IsWindow(hwnd) || GetWindowThreadProcessId(hwnd, nullptr) != GetCurrentThreadId() ||
        !SetWindowSubclass(hwnd, &MessageLog::WindowRecorder, kRecorderId, reinterpret_cast<DWORD_PTR>(this))) {
        return false;
    }
    std::lock_guard<std::mutex> hold(lock_);
    watched_.push_back(hwnd);
    return true;
}

bool MessageLog::WatchQueue(DWORD thread) {
    MessageLog* none = nullptr;
    if (hook_ || !g_queueLog.compare_exchange_strong(none, this)) {
        return false;
    }
    hook_ = SetWindowsHookExA(WH_GETMESSAGE, &MessageLog::QueueRecorder, nullptr, thread);
    if (!hook_) {
        g_queueLog = nullptr;
    }
    return hook_ != nullptr;
}

size_t MessageLog::Mark() const {
    std::lock_guard<std::mutex> hold(lock_);
    return messages_.size();
}

std::vector<LoggedMessage> MessageLog::Of(HWND hwnd, std::initializer_list<UINT> kinds, size_t from) const {
    std::lock_guard<std::mutex> hold(lock_);
    std::vector<LoggedMessage> found;
    for (size_t i = from; i < messages_.size(); ++i) {
        const LoggedMessage& m = messages_[i];
        if ((!hwnd || m.hwnd == hwnd) && std::find(kinds.begin(), kinds.end(), m.message) != kinds.end()) {
            found.push_back(m);
        }
    }
    return found;
}

bool MessageLog::Got(HWND hwnd, std::initializer_list<UINT> kinds, size_t from) const {
    return !Of(hwnd, kinds, from).empty();
}

void MessageLog::Clear() {
    std::lock_guard<std::mutex> hold(lock_);
    messages_.clear();
}

std::string MessageLog::Describe(const std::vector<LoggedMessage>& messages) {
    std::string text;
    for (const LoggedMessage& m : messages) {
        auto named = std::find_if(std::begin(kNames), std::end(kNames),
                                  [&](const MessageName& n) { return n.message == m.message; });
        char one[64];
        if (named != std::end(kNames)) {
            std::snprintf(one, sizeof one, "%s(0x%llx) ", named->name, static_cast<unsigned long long>(m.wParam));
        } else {
            std::snprintf(one, sizeof one, "0x%04x(0x%llx) ", m.message, static_cast<unsigned long long>(m.wParam));
        }
        text += one;
    }
    return text;
}

void MessageLog::Add(HWND hwnd, UINT message, WPARAM wParam) {
    std::lock_guard<std::mutex> hold(lock_);
    messages_.push_back({hwnd, message, wParam});
}

LRESULT CALLBACK MessageLog::WindowRecorder(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                            DWORD_PTR refData) {
    auto* log = reinterpret_cast<MessageLog*>(refData);
    log->Add(hwnd, message, wParam);
    if (message == WM_NCDESTROY) {
        RemoveWindowSubclass(hwnd, &MessageLog::WindowRecorder, kRecorderId);
        std::lock_guard<std::mutex> hold(log->lock_);
        log->watched_.erase(std::remove(log->watched_.begin(), log->watched_.end(), hwnd), log->watched_.end());
    }
    return DefSubclassProc(hwnd, message, wParam, lParam);
}

LRESULT CALLBACK MessageLog::QueueRecorder(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HC_ACTION && wParam == PM_REMOVE) {
        const auto* msg = reinterpret_cast<const MSG*>(lParam);
        MessageLog* log = g_queueLog;
        if (log && IsInput(msg->message)) {
            log->Add(msg->hwnd, msg->message, msg->wParam);
        }
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}
