#include <windows.h>

#include "testing/pump.h"

#include <algorithm>

namespace {
// The condition is looked at again at least this often, for conditions that no message of this thread changes.
constexpr DWORD kPollMs = 20;
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
