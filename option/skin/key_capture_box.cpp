#include "option/skin/key_capture_box.h"

#include <windows.h>

#include "common/key_tables.h"
#include "option/skin/dialog_parts.h"

HWND KeyCaptureBox::Create(HWND dialog, const ButtonPos& p, int id) {
    CreateDialogBox(*this, dialog, p, id, ES_READONLY);
    return Handle();
}

void KeyCaptureBox::SetKey(uint8_t usage) {
    key_ = usage;
    SetWindowTextA(Handle(), KeyName(UsageToVirtualKey(usage)).c_str());
}

void KeyCaptureBox::TakeKey(WPARAM virtualKey) {
    int vk = static_cast<int>(virtualKey & 0xFF);
    int usage = 0;
    VirtualKeyToUsage(vk, usage);
    key_ = static_cast<uint8_t>(usage);
    SetWindowTextA(Handle(), KeyName(vk).c_str());
}
