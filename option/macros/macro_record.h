#pragma once
// A macro: a name, a repeat count and up to 50 key or mouse-button events, each with the pause after it. The record is
// the unit of both macro file formats (stored whole, 260 bytes) and of the library in memory, so its layout is a
// binary contract.

#include <cstddef>
#include <cstdint>

inline constexpr int kMacroNameBytes = 52;
inline constexpr int kMacroRecordEvents = 50;

// Mouse buttons in a macro event; keys use their HID keyboard usage (0x04..0x65, 0xE0..0xE7), unknown keys 0.
inline constexpr uint8_t kMacroLeftButton = 0xF0;
inline constexpr uint8_t kMacroRightButton = 0xF1;
inline constexpr uint8_t kMacroWheelButton = 0xF2;
inline constexpr uint8_t kMacroSideButton1 = 0xF3;
inline constexpr uint8_t kMacroSideButton2 = 0xF4;

// The repeat counts the editor offers; a record read from a file is kept in this range.
inline constexpr int32_t kMacroRepeatMin = 1;
inline constexpr int32_t kMacroRepeatMax = 255;

inline constexpr uint8_t kMacroPress = 1;
inline constexpr uint8_t kMacroRelease = 2;

#pragma pack(push, 1)

struct MacroEvent {
    uint8_t MacroCode; // key usage or mouse button
    uint8_t Action;    // kMacroPress or kMacroRelease
    uint16_t Delay;    // pause in milliseconds after this step; 0 for none
};

struct MacroRecord {
    char Name[kMacroNameBytes]; // NUL-terminated ANSI text
    int32_t RepeatCount;        // plays of the whole list; the editor keeps 1..255
    int32_t EventCount;         // valid events 0..50; a file may hold anything, see EventCountOf
    MacroEvent Events[kMacroRecordEvents];
};

#pragma pack(pop)

static_assert(sizeof(MacroEvent) == 4);
static_assert(offsetof(MacroEvent, MacroCode) == 0);
static_assert(offsetof(MacroEvent, Action) == 1);
static_assert(offsetof(MacroEvent, Delay) == 2);

static_assert(sizeof(MacroRecord) == 260);
static_assert(offsetof(MacroRecord, Name) == 0);
static_assert(offsetof(MacroRecord, RepeatCount) == 52);
static_assert(offsetof(MacroRecord, EventCount) == 56);
static_assert(offsetof(MacroRecord, Events) == 60);
static_assert(sizeof(MacroRecord::Events) == 200);
