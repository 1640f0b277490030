#include "common/key_tables.h"

#include <cstdio>

namespace {

struct NamedKey {
    uint8_t virtualKey;
    const char* name;
};

// clang-format off
constexpr NamedKey kNamedKeys[] = {
    {0x08, "BkSpac"},        {0x09, "Tab"},          {0x0D, "Enter"},         {0x13, "Pause"},
    {0x14, "CapsLk"},        {0x1B, "Esc"},          {0x20, "Space"},         {0x21, "PgUp"},
    {0x22, "PgDn"},          {0x23, "End"},          {0x24, "Home"},          {0x25, "Left"},
    {0x26, "Up"},            {0x27, "Right"},        {0x28, "Down"},          {0x29, "Select"},
    {0x2B, "Execute"},       {0x2C, "PrtSc"},        {0x2D, "Insert"},        {0x2E, "Delete"},
    {0x2F, "Help"},          {0x5B, "L_WIN"},        {0x5C, "R_WIN"},         {0x5D, "APP"},
    {0x6A, "Num_*"},         {0x6B, "Num_+"},        {0x6C, "Num_ "},         {0x6D, "Num_-"},
    {0x6E, "Num_."},         {0x6F, "Num_/"},        {0x90, "NmLk"},          {0x91, "ScrLk"},
    {0xA0, "L_Shift"},       {0xA1, "R_Shift"},      {0xA2, "L_Ctrl"},        {0xA3, "R_Ctrl"},
    {0xA4, "L_Alt"},         {0xA5, "R_Alt"},        {0xBA, ";"},             {0xBB, "="},
    {0xBC, ","},             {0xBD, "-"},            {0xBE, "."},             {0xBF, "/"},
    {0xC0, "`"},             {0xDB, "["},            {0xDC, "\\"},            {0xDD, "]"},
    {0xDE, "'"},             {0xF0, "Left Button"},  {0xF1, "Right Button"},  {0xF2, "Wheel"},
    {0xF3, "Side Button 1"}, {0xF4, "Side Button 2"},
};
// clang-format on

// clang-format off
constexpr KeyUsageRow kRows[] = {
    // Letters A..Z.
    {0x41, 0x04, 0x1E}, {0x42, 0x05, 0x30}, {0x43, 0x06, 0x2E}, {0x44, 0x07, 0x20}, {0x45, 0x08, 0x12},
    {0x46, 0x09, 0x21}, {0x47, 0x0A, 0x22}, {0x48, 0x0B, 0x23}, {0x49, 0x0C, 0x17}, {0x4A, 0x0D, 0x24},
    {0x4B, 0x0E, 0x25}, {0x4C, 0x0F, 0x26}, {0x4D, 0x10, 0x32}, {0x4E, 0x11, 0x31}, {0x4F, 0x12, 0x18},
    {0x50, 0x13, 0x19}, {0x51, 0x14, 0x10}, {0x52, 0x15, 0x13}, {0x53, 0x16, 0x1F}, {0x54, 0x17, 0x14},
    {0x55, 0x18, 0x16}, {0x56, 0x19, 0x2F}, {0x57, 0x1A, 0x11}, {0x58, 0x1B, 0x2D}, {0x59, 0x1C, 0x15},
    {0x5A, 0x1D, 0x2C},
    // Digits 1..9, 0.
    {0x31, 0x1E, 0x02}, {0x32, 0x1F, 0x03}, {0x33, 0x20, 0x04}, {0x34, 0x21, 0x05}, {0x35, 0x22, 0x06},
    {0x36, 0x23, 0x07}, {0x37, 0x24, 0x08}, {0x38, 0x25, 0x09}, {0x39, 0x26, 0x0A}, {0x30, 0x27, 0x0B},
    // Enter, Esc, Backspace, Tab, Space.
    {0x0D, 0x28, 0x1C}, {0x1B, 0x29, 0x01}, {0x08, 0x2A, 0x0E}, {0x09, 0x2B, 0x0F}, {0x20, 0x2C, 0x39},
    // Punctuation and Caps Lock.
    {0xBD, 0x2D, 0x0C}, {0xBB, 0x2E, 0x0D}, {0xDB, 0x2F, 0x1A}, {0xDD, 0x30, 0x1B}, {0xDC, 0x31, 0x2B},
    {0xBA, 0x33, 0x27}, {0xDE, 0x34, 0x28}, {0xC0, 0x35, 0x29}, {0xBC, 0x36, 0x33}, {0xBE, 0x37, 0x34},
    {0xBF, 0x38, 0x35}, {0x14, 0x39, 0x3A},
    // F1..F12.
    {0x70, 0x3A, 0x3B}, {0x71, 0x3B, 0x3C}, {0x72, 0x3C, 0x3D}, {0x73, 0x3D, 0x3E}, {0x74, 0x3E, 0x3F},
    {0x75, 0x3F, 0x40}, {0x76, 0x40, 0x41}, {0x77, 0x41, 0x42}, {0x78, 0x42, 0x43}, {0x79, 0x43, 0x44},
    {0x7A, 0x44, 0x57}, {0x7B, 0x45, 0x58},
    // Navigation and keypad, identified by their code alone.
    {0x2C, 0x46, 0}, {0x91, 0x47, 0}, {0x13, 0x48, 0}, {0x2D, 0x49, 0}, {0x24, 0x4A, 0}, {0x21, 0x4B, 0},
    {0x2E, 0x4C, 0}, {0x23, 0x4D, 0}, {0x22, 0x4E, 0}, {0x27, 0x4F, 0}, {0x25, 0x50, 0}, {0x28, 0x51, 0},
    {0x26, 0x52, 0}, {0x90, 0x53, 0}, {0x6F, 0x54, 0}, {0x6A, 0x55, 0}, {0x6D, 0x56, 0}, {0x6B, 0x57, 0},
    {0x6C, 0x58, 0}, {0x61, 0x59, 0}, {0x62, 0x5A, 0}, {0x63, 0x5B, 0}, {0x64, 0x5C, 0}, {0x65, 0x5D, 0},
    {0x67, 0x5F, 0}, {0x66, 0x5E, 0}, {0x68, 0x60, 0}, {0x69, 0x61, 0}, {0x60, 0x62, 0}, {0x6E, 0x63, 0},
    {0x5D, 0x65, 0},
    // Modifiers.
    {0xA2, 0xE0, 0}, {0xA0, 0xE1, 0}, {0xA4, 0xE2, 0}, {0x5B, 0xE3, 0}, {0xA3, 0xE4, 0}, {0xA1, 0xE5, 0},
    {0xA5, 0xE6, 0}, {0x5C, 0xE7, 0},
    // Mouse pseudo-keys.
    {0xF0, 0xF0, 0}, {0xF1, 0xF1, 0}, {0xF2, 0xF2, 0}, {0xF3, 0xF3, 0}, {0xF4, 0xF4, 0}, {0xF7, 0xF7, 0},
    {0xF8, 0xF8, 0},
};
// clang-format on
static_assert(sizeof kRows / sizeof kRows[0] == kKeyUsageRowCount);

// Usages whose key depends on the layout: letters, digits, Enter to Space, punctuation, Caps Lock, F1 to F12.
bool FollowsLayout(int usage) {
    return usage >= 0x04 && usage <= 0x45;
}

const KeyUsageRow* RowOfVirtualKey(int virtualKey) {
    for (const auto& row : kRows) {
        if (row.virtualKey == virtualKey) {
            return &row;
        }
    }
    return nullptr;
}

const KeyUsageRow* RowOfUsage(int usage) {
    for (const auto& row : kRows) {
        if (row.usage == usage) {
            return &row;
        }
    }
    return nullptr;
}

// Scan code 0 means "none": rows without a scan code must never match it.
const KeyUsageRow* RowOfScanCode(unsigned scanCode) {
    if (scanCode == 0) {
        return nullptr;
    }
    for (const auto& row : kRows) {
        if (row.scanCode == scanCode) {
            return &row;
        }
    }
    return nullptr;
}

class UsTableLayout final : public KeyboardLayout {
public:
    unsigned VirtualKeyToScanCode(unsigned virtualKey) const override {
        const KeyUsageRow* row = virtualKey <= 0xFF ? RowOfVirtualKey(static_cast<int>(virtualKey)) : nullptr;
        return row ? row->scanCode : 0;
    }
    unsigned ScanCodeToVirtualKey(unsigned scanCode) const override {
        const KeyUsageRow* row = RowOfScanCode(scanCode);
        return row ? row->virtualKey : 0;
    }
};

const UsTableLayout kTableLayout;
const KeyboardLayout* activeLayout = nullptr;

} // namespace

const KeyboardLayout& TableLayout() {
    return kTableLayout;
}

const KeyboardLayout& ActiveLayout() {
    return activeLayout ? *activeLayout : kTableLayout;
}

void SetActiveLayout(const KeyboardLayout* layout) {
    activeLayout = layout;
}

const KeyUsageRow* KeyUsageRows() {
    return kRows;
}

std::string KeyName(int virtualKey) {
    char text[8];
    if ((virtualKey >= 0x30 && virtualKey <= 0x39) || (virtualKey >= 0x41 && virtualKey <= 0x5A)) {
        return std::string(1, static_cast<char>(virtualKey));
    }
    if (virtualKey >= 0x60 && virtualKey <= 0x69) {
        std::snprintf(text, sizeof text, "Num_%d", virtualKey - 0x60);
        return text;
    }
    if (virtualKey >= 0x70 && virtualKey <= 0x7B) {
        std::snprintf(text, sizeof text, "F%d", virtualKey - 0x70 + 1);
        return text;
    }
    for (const auto& key : kNamedKeys) {
        if (key.virtualKey == virtualKey) {
            return key.name;
        }
    }
    return "";
}

bool VirtualKeyToUsage(int virtualKey, int& usage, const KeyboardLayout& layout) {
    usage = 0;
    const KeyUsageRow* row = RowOfVirtualKey(virtualKey);
    if (!row) {
        return false;
    }
    usage = row->usage;
    if (FollowsLayout(usage)) {
        // The key's physical place decides: on a French layout the key labelled A sits where US has Q.
        if (const KeyUsageRow* placed = RowOfScanCode(layout.VirtualKeyToScanCode(static_cast<unsigned>(virtualKey)))) {
            usage = placed->usage;
        }
    }
    return true;
}

bool VirtualKeyToUsage(int virtualKey, int& usage) {
    return VirtualKeyToUsage(virtualKey, usage, ActiveLayout());
}

bool UsageToVirtualKey(int usage, int& virtualKey, const KeyboardLayout& layout) {
    virtualKey = 0;
    const KeyUsageRow* row = RowOfUsage(usage);
    if (!row) {
        return false;
    }
    virtualKey = row->virtualKey;
    if (FollowsLayout(usage)) {
        // A layout without a key at that place keeps the table's key rather than showing nothing.
        unsigned placed = layout.ScanCodeToVirtualKey(row->scanCode);
        if (placed != 0 && placed <= 0xFF) {
            virtualKey = static_cast<int>(placed);
        }
    }
    return true;
}

bool UsageToVirtualKey(int usage, int& virtualKey) {
    return UsageToVirtualKey(usage, virtualKey, ActiveLayout());
}

int UsageToVirtualKey(int usage) {
    int virtualKey = 0;
    UsageToVirtualKey(usage, virtualKey);
    return virtualKey;
}

std::string KeyCombinationText(int usage, int flags, const KeyboardLayout& layout) {
    std::string text;
    if (!(flags & kModifierNone)) {
        if (flags & kModifierShift) {
            text += "Shift+";
        }
        if (flags & kModifierCtrl) {
            text += "Ctrl+";
        }
        if (flags & kModifierAlt) {
            text += "Alt+";
        }
        if (flags & kModifierWin) {
            text += "Win+";
        }
    }
    int virtualKey = 0;
    UsageToVirtualKey(usage, virtualKey, layout);
    return text + KeyName(virtualKey);
}

std::string KeyCombinationText(int usage, int flags) {
    return KeyCombinationText(usage, flags, ActiveLayout());
}

std::string EventLineText(int usage, bool down) {
    int virtualKey = UsageToVirtualKey(usage);
    std::string text = KeyName(virtualKey);
    if (virtualKey >= 0xF0 && virtualKey <= 0xF4) {
        text += down ? " Down" : " Up";
    }
    return text;
}

std::string DelayLineText(int milliseconds) {
    char text[32];
    std::snprintf(text, sizeof text, "%d ms", milliseconds);
    return text;
}
