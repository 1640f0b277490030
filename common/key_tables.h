#pragma once
// Key names and the key tables. A key has three codes here: the Windows virtual-key code (keyboard hook, key
// sending), the USB HID keyboard usage (what the mouse, button entries and macro events store) and the set-1 scan
// code (to follow the user's keyboard layout). The mouse buttons have pseudo-keys 0xF0..0xF4 (and 0xF7, 0xF8 in the
// usage table) whose usage is their own code.

#include <cstdint>
#include <string>

// Modifier flags byte beside a key usage (button entry byte 43).
inline constexpr uint8_t kModifierNone = 0x01; // key alone; the other bits are then ignored for display
inline constexpr uint8_t kModifierShift = 0x02;
inline constexpr uint8_t kModifierCtrl = 0x04;
inline constexpr uint8_t kModifierAlt = 0x08;
inline constexpr uint8_t kModifierWin = 0x10;

// The keyboard layout queries. The programs install the platform's layout service (key_layout.cpp); without one,
// the scan codes of the usage table itself give a US layout.
class KeyboardLayout {
public:
    virtual ~KeyboardLayout() = default;
    // 0 when the layout has no scan code for the key.
    virtual unsigned VirtualKeyToScanCode(unsigned virtualKey) const = 0;
    // Distinguishes left and right keys; 0 when the layout has no key at that scan code.
    virtual unsigned ScanCodeToVirtualKey(unsigned scanCode) const = 0;
};

// The US layout given by the usage table's own scan codes.
const KeyboardLayout& TableLayout();
// The layout the conversions below use by default; TableLayout() until one is installed.
const KeyboardLayout& ActiveLayout();
// Installs a layout (it must outlive its use); nullptr goes back to TableLayout().
void SetActiveLayout(const KeyboardLayout* layout);

// Display name of a virtual-key code; "" for codes without a name (also 0x10..0x12, the generic modifiers).
std::string KeyName(int virtualKey);

// One row of the usage table.
struct KeyUsageRow {
    uint8_t virtualKey;
    uint8_t usage;
    uint8_t scanCode; // 0 for rows without a scan code
};
inline constexpr int kKeyUsageRowCount = 111;
// The 111 rows in search order.
const KeyUsageRow* KeyUsageRows();

// True with the usage of the key when the virtual key has a row, else false with usage 0. Printable keys (usages
// 0x04..0x45) are identified by their physical position: the layout's scan code of the key picks the row.
bool VirtualKeyToUsage(int virtualKey, int& usage);
bool VirtualKeyToUsage(int virtualKey, int& usage, const KeyboardLayout& layout);

// True with the virtual key of a usage when the usage has a row, else false with 0. Printable keys follow the
// layout (the virtual key at the row's scan code).
bool UsageToVirtualKey(int usage, int& virtualKey);
bool UsageToVirtualKey(int usage, int& virtualKey, const KeyboardLayout& layout);
// The same, giving 0 for a usage without a row.
int UsageToVirtualKey(int usage);

// "Shift+Ctrl+C": the modifier prefixes of the flags (none when kModifierNone is set) and the key's name.
std::string KeyCombinationText(int usage, int flags);
std::string KeyCombinationText(int usage, int flags, const KeyboardLayout& layout);

// A line of a macro's event list: the key's name, with " Down" or " Up" for the mouse buttons 0xF0..0xF4.
std::string EventLineText(int usage, bool down);
// The line that shows a pause after an event: "%d ms".
std::string DelayLineText(int milliseconds);
