#pragma once
// The system pointer settings as the registry keeps them, and how a profile's fields map onto them. No platform
// calls here: profile_store.cpp reads and writes the registry values, this file decides what they are.

#include "common/profile_record.h"

#include <cstdint>
#include <optional>

// One row of the acceleration table: the registry's "MouseSpeed", "MouseThreshold1" and "MouseThreshold2".
struct AccelerationRow {
    int speed;
    int threshold1;
    int threshold2;
};

inline constexpr int kAccelerationRowCount = 20;

// Row 0 is (0, 0, 0): no acceleration. Rows 1..10 are (1, 14 - row, 0) and rows 11..19 are (2, 4, 24 - row).
// An index outside 0..19 is clamped into it.
AccelerationRow AccelerationTableRow(int row);

// The row a profile writes: its Acceleration clamped to 0..19 when acceleration is on, else row 0.
AccelerationRow AccelerationRowToWrite(int acceleration, int accelerationFlag);

// The reverse look-up of registry values: the last row whose speed equals speed and whose thresholds are at least
// threshold1 and threshold2; -1 when no row matches. For a row written by AccelerationRowToWrite it finds that row.
int FindAccelerationRow(int speed, int threshold1, int threshold2);

// Takes the registry's acceleration values into the profile's fields: Acceleration becomes the matching row (it
// keeps its value when none matches), then AccelerationFlag is 1 when Acceleration is 4 or more, else 0.
void ApplyAccelerationValues(int speed, int threshold1, int threshold2, int32_t& acceleration,
                             int32_t& accelerationFlag);

// "WheelScrollLines" for a profile: -1 (one screen per notch) when the flag is 1, else the lines per notch.
int WheelScrollLinesToWrite(int scrollWheelSpeed, int scrollWheelFlag);

// The registry values WritePointerSettings writes for a profile; a value left out is not written. A field that
// holds -1 came from a key missing in the profile's file (a damaged file): whatever depends on it is left out, so
// the system keeps its own value. Negative times, speeds and line counts mean nothing to the system either.
struct PointerValues {
    std::optional<int> doubleClickSpeed;         // "DoubleClickSpeed"
    std::optional<int> mouseSensitivity;         // "MouseSensitivity"
    std::optional<AccelerationRow> acceleration; // "MouseSpeed", "MouseThreshold1", "MouseThreshold2"
    std::optional<int> wheelScrollLines;         // "WheelScrollLines"
};
PointerValues PointerValuesToWrite(const ProfileRecord& profile);

// Takes "WheelScrollLines" into the profile: -1 gives lines 0 with one-screen scrolling on, any other value those
// lines with one-screen scrolling off.
void ApplyWheelScrollLines(int lines, int32_t& scrollWheelSpeed, int32_t& scrollWheelFlag);

// Decimal text of a registry value to a number, as the system reads these values: optional blanks and sign, then
// digits; text that is not a number gives 0. Values beyond the int range are held at its ends.
int RegistryTextToInt(const char* text);
