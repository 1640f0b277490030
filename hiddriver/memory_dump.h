#pragma once
// The virtual mouse's memory decoded for a person: what `mousectl dump` prints and what `press` logs.
//
// Dump layout (one item per line, stable so that tests can look lines up):
//   Virtual mouse memory
//   Presence: plugged | unplugged
//   Polling rate: <Hz> Hz (interval <ms> ms)
//   Fixed parameters: <six hex pairs>
//   Lighting: mode <m>, value 1 = <v1>, value 2 = <v2>
//   DPI stages (selected stage <s>):
//     stage <i>: <DPI text>, enabled|disabled (<hex code>)[ <- selected]      (six lines)
//     trailer: <two hex pairs>
//   Button table:
//     entry <nn>: <four hex pairs>  <meaning>                                  (64 lines, nn two digits)
//   Sequence slots:
//     slot <k>: repeat <r>, <n> events[, used by entry <nn>[, <nn>...]]       (used slots only)
//       bytes: <hex pairs up to the last non-zero byte>
//       press|release <key name> (<usage hex>), <pause> ms                     (one line per event)
//     (none used)                                                              (when every slot is zero)

#include "hiddriver/virtual_mouse.h"

#include <optional>
#include <string>
#include <vector>

namespace vmouse {

// Bytes as upper-case hex pairs, separated by one blank (the transfer log's format).
std::string Hex2(unsigned value);
std::string HexBytes(const uint8_t* data, size_t length);

// DPI of a stage code (without the disabled bit 0x80); nullopt for a code the mouse does not know.
std::optional<int> StageDpi(uint8_t code);
// "2500 DPI", or "unknown code 0x5A".
std::string StageText(uint8_t code);

// Name of a HID keyboard usage (and of the mouse-button usages F0..F4 that sequences and descriptors use).
std::string KeyName(uint8_t usage);

// Meaning of a four-byte button descriptor.
std::string DescribeDescriptor(const uint8_t* descriptor);

// One key event of a sequence slot as the mouse plays it.
struct SlotEvent {
    bool press = true;
    uint8_t usage = 0;
    int pauseMs = 0;
    bool operator==(const SlotEvent&) const = default;
};
struct SlotContent {
    int repeat = 0;                // header, big-endian
    std::vector<SlotEvent> events; // up to the first zero flag byte
    bool malformed = false;        // decoding stopped at a byte that is no event
};
SlotContent DecodeSlot(const std::array<uint8_t, kSlotBytes>& slot);
// "repeat 1: press Left Control (E0) 10 ms, ..." on one line, for logs.
std::string DescribeSlotEvents(const std::array<uint8_t, kSlotBytes>& slot);

std::string DumpMemory(const Memory& memory);

} // namespace vmouse
