#pragma once
// The mouse's reports folded into one 32-bit event code (command word high, value word low) and the table that turns
// a code into an action. Every value is range-checked here, so a handler gets only indices it may use.

#include "common/profile_record.h"

#include <cstdint>
#include <string>

inline constexpr uint16_t kPresenceCommand = 0x7F00;

// Connected flag: 0 absent since start-up, 1 present, 2 removed. Only 1 counts as connected.
inline constexpr int kAbsentSinceStart = 0;
inline constexpr int kConnected = 1;
inline constexpr int kRemoved = 2;

// DeviceEvent: command word = wParam, value word = lParam, each taken modulo 0x10000.
uint32_t EventFromDeviceEvent(uint64_t wParam, int64_t lParam);
// DevicePresence: wParam 1 arrival (value 1), 0 removal (value 2), anything else value 0 (no effect).
uint32_t EventFromPresence(uint64_t wParam);

inline uint16_t CommandWord(uint32_t code) {
    return static_cast<uint16_t>(code >> 16);
}
inline uint16_t ValueWord(uint32_t code) {
    return static_cast<uint16_t>(code & 0xFFFF);
}

enum class EventKind {
    None,
    Arrival,
    Removal,
    ProfileSwitch, // index = profile 0..4
    LaunchProgram, // index = button entry 0..14
    OpenOption,
    DpiStage,    // index = Cpi_X 0..5
    PollingRate, // index = PollingRate 0..3
    Sensitivity, // sensitivityX / sensitivityY = 1..20, or 0 when that byte is out of range
};

struct EventAction {
    EventKind kind = EventKind::None;
    int index = 0;
    int sensitivityX = 0;
    int sensitivityY = 0;
};

// The dispatch table, tested in its order; connectedFlag decides whether a presence code is a change.
EventAction ClassifyEvent(uint32_t code, int connectedFlag);

// What a DPI stage, polling or sensitivity action did to the active profile.
struct SettingChange {
    bool changed = false;  // false: no active profile or not a setting action; nothing else is to be done
    bool dpiStage = false; // the CPI message is due
    std::string balloon;   // the balloon text (may be empty, the balloon is shown anyway)
};

// Stores the reported value in the active profile of data (CurrentProfile checked first).
SettingChange ApplySettingEvent(ShareData& data, const EventAction& action);
