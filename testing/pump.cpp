#include <windows.h>

#include "testing/pump.h"

#include <algorithm>
#include <atomic>

namespace {
// The condition is looked at again at least this often, for conditions that no message of this thread changes.
constexpr DWORD kPollMs = 20;
// The thread message that marks the end of what was posted before it.
constexpr UINT kPostedMark = WM_APP + 0x3F17;
} // namespace

bool PumpUntil(const std::function<bool()>& condition, DWORD timeoutMs) {
    const ULONGLONG end = GetTickCount64() + timeoutMs;
    for (;;) {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        if (condition()) {
            return true;
        }
        const ULONGLONG now = GetTickCount64();
        if (now >= end) {
            return false;
        }
        MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(std::min<ULONGLONG>(kPollMs, end - now)),
                                  QS_ALLINPUT);
    }
}

bool Await(const std::function<bool()>& condition, DWORD timeoutMs) {
    return PumpUntil(condition, timeoutMs);
}

void PumpFor(DWORD ms) {
    PumpUntil([] { return false; }, ms);
}

bool PumpPosted(DWORD timeoutMs) {
    static std::atomic<unsigned> marks{0};
    const WPARAM mark = ++marks;
    if (!PostThreadMessageA(GetCurrentThreadId(), kPostedMark, mark, 0)) {
        return false;
    }
    const ULONGLONG end = GetTickCount64() + timeoutMs;
    for (;;) {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.hwnd == nullptr && msg.message == kPostedMark && msg.wParam == mark) {
                return true;
            }
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        const ULONGLONG now = GetTickCount64();
        if (now >= end) {
            return false;
        }
        MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(std::min<ULONGLONG>(kPollMs, end - now)),
                                  QS_ALLINPUT);
    }
}
