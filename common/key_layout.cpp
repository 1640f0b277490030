#include <windows.h>

#include "common/key_layout.h"

namespace {

class SystemKeyboardLayout final : public KeyboardLayout {
public:
    unsigned VirtualKeyToScanCode(unsigned virtualKey) const override {
        return MapVirtualKeyA(virtualKey, MAPVK_VK_TO_VSC);
    }
    // The _EX form tells left from right keys (scan code 0x2A gives VK_LSHIFT, not VK_SHIFT).
    // Scan code 0 is no key; Wine maps it to a media key.
    unsigned ScanCodeToVirtualKey(unsigned scanCode) const override {
        return scanCode ? MapVirtualKeyA(scanCode, MAPVK_VSC_TO_VK_EX) : 0;
    }
};

const SystemKeyboardLayout systemLayout;

} // namespace

const KeyboardLayout& SystemLayout() {
    return systemLayout;
}

void UseSystemLayout() {
    SetActiveLayout(&systemLayout);
}
