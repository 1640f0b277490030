#include "hiddriver/memory_dump.h"

#include <cstdio>

namespace vmouse {

std::string Hex2(unsigned v) {
    char text[8];
    std::snprintf(text, sizeof text, "%02X", v & 0xFFu);
    return text;
}

std::string HexBytes(const uint8_t* data, size_t length) {
    std::string text;
    for (size_t i = 0; i < length; ++i) {
        if (i) {
            text += ' ';
        }
        text += Hex2(data[i]);
    }
    return text;
}

namespace {

struct StageCode {
    uint8_t code;
    int dpi;
};
constexpr StageCode kStageCodes[] = {{0x01, 250},  {0x02, 500},  {0x03, 750},  {0x04, 1000}, {0x05, 1250},
                                     {0x06, 1500}, {0x07, 1750}, {0x08, 2000}, {0x25, 2500}, {0x26, 3000},
                                     {0x27, 3500}, {0x28, 4000}, {0x45, 5500}, {0x47, 7250}};

struct Named {
    unsigned value;
    const char* name;
};

constexpr Named kKeyNames[] = {
    {0x28, "Enter"},
    {0x29, "Escape"},
    {0x2A, "Backspace"},
    {0x2B, "Tab"},
    {0x2C, "Space"},
    {0x2D, "-"},
    {0x2E, "="},
    {0x2F, "["},
    {0x30, "]"},
    {0x31, "\\"},
    {0x32, "Non-US #"},
    {0x33, ";"},
    {0x34, "'"},
    {0x35, "`"},
    {0x36, ","},
    {0x37, "."},
    {0x38, "/"},
    {0x39, "Caps Lock"},
    {0x46, "Print Screen"},
    {0x47, "Scroll Lock"},
    {0x48, "Pause"},
    {0x49, "Insert"},
    {0x4A, "Home"},
    {0x4B, "Page Up"},
    {0x4C, "Delete"},
    {0x4D, "End"},
    {0x4E, "Page Down"},
    {0x4F, "Right Arrow"},
    {0x50, "Left Arrow"},
    {0x51, "Down Arrow"},
    {0x52, "Up Arrow"},
    {0x53, "Num Lock"},
    {0x54, "Keypad /"},
    {0x55, "Keypad *"},
    {0x56, "Keypad -"},
    {0x57, "Keypad +"},
    {0x58, "Keypad Enter"},
    {0x63, "Keypad ."},
    {0x64, "Non-US \\"},
    {0x65, "Application"},
    {0xE0, "Left Control"},
    {0xE1, "Left Shift"},
    {0xE2, "Left Alt"},
    {0xE3, "Left Win"},
    {0xE4, "Right Control"},
    {0xE5, "Right Shift"},
    {0xE6, "Right Alt"},
    {0xE7, "Right Win"},
    {0xF0, "Mouse button 1 (left)"},
    {0xF1, "Mouse button 2 (right)"},
    {0xF2, "Mouse button 3 (middle)"},
    {0xF3, "Mouse button 4"},
    {0xF4, "Mouse button 5"},
};

constexpr Named kConsumerNames[] = {
    {0x0223, "AC Home"},
    {0x0226, "AC Stop"},
    {0x0227, "AC Refresh"},
    {0x0221, "AC Search"},
    {0x022A, "AC Bookmarks"},
    {0x018A, "AL Email Reader"},
    {0x0194, "AL Local Machine Browser"},
    {0x0192, "AL Calculator"},
    {0x0183, "AL Consumer Control Configuration"},
    {0x00B6, "Scan Previous Track"},
    {0x00B5, "Scan Next Track"},
    {0x00B7, "Stop"},
    {0x00CD, "Play/Pause"},
    {0x00E2, "Mute"},
    {0x00E9, "Volume Increment"},
    {0x00EA, "Volume Decrement"},
};

const char* Lookup(const Named* table, size_t count, unsigned value) {
    for (size_t i = 0; i < count; ++i) {
        if (table[i].value == value) {
            return table[i].name;
        }
    }
    return nullptr;
}

std::string ModifierText(uint8_t bits) {
    std::string text;
    if (bits & 0x01) {
        text += "Shift+";
    }
    if (bits & 0x02) {
        text += "Ctrl+";
    }
    if (bits & 0x04) {
        text += "Alt+";
    }
    if (bits & 0x08) {
        text += "Win+";
    }
    return text;
}

const char* DpiFunctionText(uint8_t function) {
    switch (function) {
    case 1:
        return "step up";
    case 2:
        return "step down";
    case 3:
        return "cycle up";
    case 4:
        return "cycle down";
    default:
        return "unknown";
    }
}

bool SlotUsed(const std::array<uint8_t, kSlotBytes>& slot) {
    for (uint8_t b : slot) {
        if (b) {
            return true;
        }
    }
    return false;
}

} // namespace

std::optional<int> StageDpi(uint8_t code) {
    for (const auto& s : kStageCodes) {
        if (s.code == code) {
            return s.dpi;
        }
    }
    return std::nullopt;
}

std::string StageText(uint8_t code) {
    if (auto dpi = StageDpi(code)) {
        return std::to_string(*dpi) + " DPI";
    }
    return "unknown code " + Hex2(code);
}

std::string KeyName(uint8_t usage) {
    char text[24];
    if (usage >= 0x04 && usage <= 0x1D) {
        std::snprintf(text, sizeof text, "%c", 'A' + usage - 0x04);
    } else if (usage >= 0x1E && usage <= 0x26) {
        std::snprintf(text, sizeof text, "%c", '1' + usage - 0x1E);
    } else if (usage == 0x27) {
        std::snprintf(text, sizeof text, "0");
    } else if (usage >= 0x3A && usage <= 0x45) {
        std::snprintf(text, sizeof text, "F%d", usage - 0x3A + 1);
    } else if (usage >= 0x59 && usage <= 0x61) {
        std::snprintf(text, sizeof text, "Keypad %d", usage - 0x59 + 1);
    } else if (usage == 0x62) {
        std::snprintf(text, sizeof text, "Keypad 0");
    } else if (usage >= 0x68 && usage <= 0x73) {
        std::snprintf(text, sizeof text, "F%d", usage - 0x68 + 13);
    } else if (const char* name = Lookup(kKeyNames, std::size(kKeyNames), usage)) {
        return name;
    } else {
        std::snprintf(text, sizeof text, "usage %02X", usage);
    }
    return text;
}

std::string DescribeDescriptor(const uint8_t* d) {
    char text[160];
    switch (d[0]) {
    case 0x00:
        if (!d[1] && !d[2] && !d[3]) {
            return "nothing (disabled)";
        }
        std::snprintf(text, sizeof text, "key %s%s (modifiers %02X, usage %02X)", ModifierText(d[1]).c_str(),
                      KeyName(d[2]).c_str(), d[1], d[2]);
        return text;
    case 0x01:
        if (d[2] >= 0xF0 && d[2] <= 0xF4) {
            static const char* const kButtons[] = {"mouse button 1 (left click)", "mouse button 2 (right click)",
                                                   "mouse button 3 (middle click)", "mouse button 4", "mouse button 5"};
            return kButtons[d[2] - 0xF0];
        }
        return "mouse button usage " + Hex2(d[2]);
    case 0x03: {
        const unsigned usage = d[2] | (d[3] << 8);
        const char* name = Lookup(kConsumerNames, std::size(kConsumerNames), usage);
        std::snprintf(text, sizeof text, "consumer usage 0x%04X (%s)", usage, name ? name : "unnamed");
        return text;
    }
    case 0x04:
        return "wheel function " + std::to_string(d[2]);
    case 0x05:
        return "device function " + std::to_string(d[2]) + " (type 05)";
    case 0x06:
        std::snprintf(text, sizeof text, "launch the program of entry %d (reports %04X)", d[3] - 1, 0x6000 | d[3]);
        return text;
    case 0x07:
        std::snprintf(text, sizeof text, "DPI function %d (%s)%s", d[2], DpiFunctionText(d[2]),
                      d[3] ? (", value " + std::to_string(d[3])).c_str() : "");
        return text;
    case 0x08:
        if (d[2] == 2) {
            return "set switch";
        }
        return "set function " + std::to_string(d[2]);
    case 0x09:
        if (d[2] == 0 || d[2] > kSlotCount) {
            std::snprintf(text, sizeof text, "key sequence without a slot (slot byte %02X)", d[2]);
        } else {
            std::snprintf(text, sizeof text, "key sequence in slot %d, %d key events, option %d", d[2], d[3], d[1]);
        }
        return text;
    case 0x0A:
        std::snprintf(text, sizeof text, "repeated click of %s (%02X), values %d and %d", KeyName(d[1]).c_str(), d[1],
                      d[2], d[3]);
        return text;
    default:
        return "unknown function type " + Hex2(d[0]);
    }
}

SlotContent DecodeSlot(const std::array<uint8_t, kSlotBytes>& s) {
    SlotContent content;
    content.repeat = (s[0] << 8) | s[1];
    size_t pos = 2;
    while (pos + 1 < kSlotBytes) {
        const uint8_t flag = s[pos];
        if (flag == 0) {
            break;
        }
        if (!(flag & 0x01)) { // every event's flag byte has bit 0 set
            content.malformed = true;
            return content;
        }
        SlotEvent event;
        event.press = !(flag & 0x80);
        event.usage = s[pos + 1];
        // The long form: plain 01/81, the usage, the pause in 50 ms units, then 02 (which no flag byte can be).
        if ((flag == 0x01 || flag == 0x81) && pos + 3 < kSlotBytes && s[pos + 3] == 0x02) {
            event.pauseMs = s[pos + 2] * 50;
            pos += 4;
        } else {
            // The pause shares bit 0 with the press flag, so the mouse reads it as (flag & 7F) x 10 ms.
            event.pauseMs = (flag & 0x7F) * 10;
            pos += 2;
        }
        content.events.push_back(event);
    }
    for (; pos < kSlotBytes; ++pos) {
        if (s[pos]) {
            content.malformed = true;
            break;
        }
    }
    return content;
}

std::string DescribeSlotEvents(const std::array<uint8_t, kSlotBytes>& slot) {
    const SlotContent content = DecodeSlot(slot);
    std::string text = "repeat " + std::to_string(content.repeat) + ":";
    for (size_t i = 0; i < content.events.size(); ++i) {
        const SlotEvent& e = content.events[i];
        text += i ? ", " : " ";
        text += (e.press ? "press " : "release ") + KeyName(e.usage) + " (" + Hex2(e.usage) + ") " +
                std::to_string(e.pauseMs) + " ms";
    }
    if (content.events.empty()) {
        text += " no events";
    }
    if (content.malformed) {
        text += ", then bytes that are no key events";
    }
    return text;
}

namespace {

// Slot k + 1: its header, the entries that use it, its bytes up to the last non-zero one and its events.
std::string DumpSlot(const Memory& m, int k) {
    const auto& slot = m.slots[k];
    const SlotContent content = DecodeSlot(slot);
    std::string out = "  slot " + std::to_string(k + 1) + ": repeat " + std::to_string(content.repeat) + ", " +
                      std::to_string(content.events.size()) + " events";
    std::string users;
    for (int entry = 0; entry < 64; ++entry) {
        const uint8_t* d = &m.buttons[4 * entry];
        if (d[0] == 0x09 && d[2] == k + 1) {
            char n[8];
            std::snprintf(n, sizeof n, "%02d", entry);
            users += (users.empty() ? ", used by entry " : ", ") + std::string(n);
        }
    }
    out += users + "\n";
    size_t last = kSlotBytes;
    while (last > 0 && slot[last - 1] == 0) {
        --last;
    }
    out += "    bytes: " + HexBytes(slot.data(), last) + "\n";
    for (const SlotEvent& e : content.events) {
        out += std::string("    ") + (e.press ? "press " : "release ") + KeyName(e.usage) + " (" + Hex2(e.usage) +
               "), " + std::to_string(e.pauseMs) + " ms\n";
    }
    if (content.malformed) {
        out += "    then bytes that are no key events\n";
    }
    return out;
}

} // namespace

std::string DumpMemory(const Memory& m) {
    std::string out = "Virtual mouse memory\n";
    out += std::string("Presence: ") + (m.plugged ? "plugged" : "unplugged") + "\n";
    const int interval = m.pollingInterval;
    out += "Polling rate: " + (interval ? std::to_string(1000 / interval) : std::string("?")) + " Hz (interval " +
           std::to_string(interval) + " ms)\n";
    out += "Fixed parameters: " + HexBytes(m.fixedParameters.data(), m.fixedParameters.size()) + "\n";
    out += "Lighting: mode " + std::to_string(m.lighting[0]) + ", value 1 = " + std::to_string(m.lighting[1]) +
           ", value 2 = " + std::to_string(m.lighting[2]) + "\n";
    out += "DPI stages (selected stage " + std::to_string(m.selectedStage) + "):\n";
    for (int s = 0; s < kStageCount; ++s) {
        const uint8_t code = m.dpiTable[s];
        out += "  stage " + std::to_string(s + 1) + ": " + StageText(code & 0x7F) +
               ((code & 0x80) ? ", disabled (" : ", enabled (") + Hex2(code) + ")";
        if (s + 1 == m.selectedStage) {
            out += " <- selected";
        }
        out += "\n";
    }
    out += "  trailer: " + HexBytes(&m.dpiTable[6], 2) + "\n";
    out += "Button table:\n";
    for (int entry = 0; entry < 64; ++entry) {
        char head[32];
        std::snprintf(head, sizeof head, "  entry %02d: ", entry);
        out += head + HexBytes(&m.buttons[4 * entry], 4) + "  " + DescribeDescriptor(&m.buttons[4 * entry]) + "\n";
    }
    out += "Sequence slots:\n";
    bool any = false;
    for (int k = 0; k < kSlotCount; ++k) {
        if (SlotUsed(m.slots[k])) {
            any = true;
            out += DumpSlot(m, k);
        }
    }
    if (!any) {
        out += "  (none used)\n";
    }
    return out;
}

} // namespace vmouse
