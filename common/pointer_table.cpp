#include "common/pointer_table.h"

#include <climits>

AccelerationRow AccelerationTableRow(int row) {
    if (row <= 0) {
        return {0, 0, 0};
    }
    if (row >= kAccelerationRowCount) {
        row = kAccelerationRowCount - 1;
    }
    if (row <= 10) {
        return {1, 14 - row, 0};
    }
    return {2, 4, 24 - row};
}

AccelerationRow AccelerationRowToWrite(int acceleration, int accelerationFlag) {
    return AccelerationTableRow(accelerationFlag != 0 ? acceleration : 0);
}

int FindAccelerationRow(int speed, int threshold1, int threshold2) {
    int found = -1;
    for (int row = 0; row < kAccelerationRowCount; ++row) {
        AccelerationRow r = AccelerationTableRow(row);
        if (r.speed == speed && r.threshold1 >= threshold1 && r.threshold2 >= threshold2) {
            found = row;
        }
    }
    return found;
}

void ApplyAccelerationValues(int speed, int threshold1, int threshold2, int32_t& acceleration,
                             int32_t& accelerationFlag) {
    int row = FindAccelerationRow(speed, threshold1, threshold2);
    if (row >= 0) {
        acceleration = row;
    }
    accelerationFlag = acceleration >= 4 ? 1 : 0;
}

int WheelScrollLinesToWrite(int scrollWheelSpeed, int scrollWheelFlag) {
    return scrollWheelFlag == 1 ? -1 : scrollWheelSpeed;
}

PointerValues PointerValuesToWrite(const ProfileRecord& p) {
    PointerValues values;
    if (p.DbleClickSpeed >= 0) {
        values.doubleClickSpeed = p.DbleClickSpeed;
    }
    if (p.MouseSpeed >= 0) {
        values.mouseSensitivity = p.MouseSpeed;
    }
    // Acceleration off writes row 0 whatever the row; on, the row must be known.
    if (p.AccelerationFlag == 0 || (p.AccelerationFlag > 0 && p.Acceleration >= 0)) {
        values.acceleration = AccelerationRowToWrite(p.Acceleration, p.AccelerationFlag);
    }
    if (p.ScrollWheelFlag == 1 || (p.ScrollWheelFlag >= 0 && p.ScrollWheelSpeed >= 0)) {
        values.wheelScrollLines = WheelScrollLinesToWrite(p.ScrollWheelSpeed, p.ScrollWheelFlag);
    }
    return values;
}

void ApplyWheelScrollLines(int lines, int32_t& scrollWheelSpeed, int32_t& scrollWheelFlag) {
    if (lines == -1) {
        scrollWheelSpeed = 0;
        scrollWheelFlag = 1;
    } else {
        scrollWheelSpeed = lines;
        scrollWheelFlag = 0;
    }
}

int RegistryTextToInt(const char* text) {
    if (!text) {
        return 0;
    }
    const char* p = text;
    while (*p == ' ' || *p == '\t' || *p == '\r' || *p == '\n' || *p == '\v' || *p == '\f') {
        ++p;
    }
    bool negative = false;
    if (*p == '+' || *p == '-') {
        negative = *p == '-';
        ++p;
    }
    long long value = 0;
    for (; *p >= '0' && *p <= '9'; ++p) {
        value = value * 10 + (*p - '0');
        if (value > static_cast<long long>(INT_MAX) + 1) {
            value = static_cast<long long>(INT_MAX) + 1; // held there; further digits change nothing
        }
    }
    if (negative) {
        value = -value;
    }
    if (value > INT_MAX) {
        value = INT_MAX;
    }
    if (value < INT_MIN) {
        value = INT_MIN;
    }
    return static_cast<int>(value);
}
