#include "option/skin/key_capture_hook.h"

#include <windows.h>

#include <algorithm>
#include <vector>

#include "framework/trace.h"

namespace {

HHOOK g_hook = nullptr;
HWND g_target = nullptr;
bool g_installed = false;
// The owners that capture, the one that takes the keys last. All on the window thread.
std::vector<KeyCaptureOwner*> g_owners;

LRESULT CALLBACK CaptureKeys(int code, WPARAM, LPARAM lParam) {
    if (code >= 0 && lParam != 0) {
        const auto* event = reinterpret_cast<const KBDLLHOOKSTRUCT*>(lParam);
        Trace("%x\n", static_cast<unsigned>(event->vkCode));
        PostMessageA(g_target, KeyCaptured, event->vkCode, event->flags & LLKHF_UP);
    }
    // Consumed: the next hook in the chain and every other program never see the key.
    return 1;
}

} // namespace

bool InstallKeyCapture(HWND target) {
    g_target = target;
    if (g_installed) {
        // One hook at a time: a second one would leave the first without anybody to remove it.
        Trace("Hhook: %x\r\n", static_cast<unsigned>(reinterpret_cast<UINT_PTR>(g_hook)));
        return true;
    }
    g_hook = SetWindowsHookExA(WH_KEYBOARD_LL, CaptureKeys, GetModuleHandleA(nullptr), 0);
    Trace("Hhook: %x\r\n", static_cast<unsigned>(reinterpret_cast<UINT_PTR>(g_hook)));
    g_installed = g_hook != nullptr;
    return g_installed;
}

int RemoveKeyCapture() {
    Trace("Hhook: %x\r\n", static_cast<unsigned>(reinterpret_cast<UINT_PTR>(g_hook)));
    // A handle that was removed already is not passed again: the system could have given its value to another hook.
    bool removed = g_installed && UnhookWindowsHookEx(g_hook);
    g_installed = false;
    Trace(removed ? "UnHhook: Success \r\n" : "UnHhook: Fail \r\n");
    return 1;
}

bool KeyCaptureInstalled() {
    return g_installed;
}

bool KeyCaptureOwner::Start(HWND target) {
    std::erase(g_owners, this);
    g_owners.push_back(this);
    target_ = target;
    capturing_ = true;
    return InstallKeyCapture(target);
}

void KeyCaptureOwner::Stop() {
    if (!capturing_) {
        return;
    }
    capturing_ = false;
    std::erase(g_owners, this);
    if (g_owners.empty()) {
        RemoveKeyCapture();
    } else {
        g_target = g_owners.back()->target_;
    }
}
