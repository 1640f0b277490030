#include "option/skin/swallowed_keys.h"

#include <windows.h>

namespace {

// The innermost live instance of this thread's modal runs (they all run on the window thread).
thread_local SwallowedKeys* g_current = nullptr;

} // namespace

SwallowedKeys::SwallowedKeys(std::initializer_list<UINT> keys) : outer_(g_current) {
    for (UINT k : keys) {
        if (keyCount_ < 4) {
            keys_[keyCount_++] = k;
        }
    }
    g_current = this;
    hook_.reset(SetWindowsHookExA(WH_GETMESSAGE, Filter, nullptr, GetCurrentThreadId()));
}

SwallowedKeys::~SwallowedKeys() {
    hook_.reset();
    g_current = outer_;
}

void SwallowedKeys::Watch(HWND dialog) {
    dialog_ = dialog;
}

LRESULT CALLBACK SwallowedKeys::Filter(int code, WPARAM wParam, LPARAM lParam) {
    SwallowedKeys* self = g_current;
    if (self && code == HC_ACTION && wParam == PM_REMOVE) {
        auto* msg = reinterpret_cast<MSG*>(lParam);
        bool down = msg->message == WM_KEYDOWN || msg->message == WM_SYSKEYDOWN;
        if (down && self->dialog_ && (msg->hwnd == self->dialog_ || IsChild(self->dialog_, msg->hwnd))) {
            for (int i = 0; i < self->keyCount_; ++i) {
                if (msg->wParam == self->keys_[i]) {
                    msg->message = WM_NULL;
                }
            }
        }
    }
    return CallNextHookEx(self ? self->hook_.get() : nullptr, code, wParam, lParam);
}
