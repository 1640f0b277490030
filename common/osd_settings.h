#pragma once
// The OSD settings record: 348 bytes that the OSD program keeps under "config"/"OSDSetting" in config.ini, written
// with its defaults by the OSD program when missing, and read by Monitor to know which displays are wanted.

#include <array>
#include <cstddef>
#include <cstdint>

// The 348-byte record that the OSD program keeps under "config"/"OSDSetting" in config.ini.
inline constexpr unsigned kOsdSettingSize = 348;
inline constexpr size_t kOsdProfileDisplayOffset = 8;
inline constexpr size_t kOsdCpiDisplayOffset = 24;
using OsdSettingRecord = std::array<uint8_t, kOsdSettingSize>;

struct OsdSettings {
    bool profileDisplay = false; // field 8 is 1
    bool cpiDisplay = false;     // field 24 is 1
};
OsdSettings ParseOsdSettings(const OsdSettingRecord& record);
// A record with both displays on and everything else zero.
OsdSettingRecord DefaultOsdSettingRecord();
