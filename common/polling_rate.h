#pragma once
// Polling-rate codes: a profile's PollingRate 0..3 stands for 125, 250, 500 and 1000 Hz. The mouse takes the rate as
// its report interval in milliseconds (8, 4, 2, 1) and reports a change made on it the same way.

#include <cstdint>

struct PollingRate {
    int32_t code;
    int hertz;
    uint8_t intervalMs;
};

inline constexpr PollingRate kPollingRates[] = {{0, 125, 8}, {1, 250, 4}, {2, 500, 2}, {3, 1000, 1}};

// The rate of a code 0..3; nullptr for any other code.
constexpr const PollingRate* PollingRateOfCode(int32_t code) {
    for (const PollingRate& rate : kPollingRates) {
        if (rate.code == code) {
            return &rate;
        }
    }
    return nullptr;
}

// The code of a report interval 8, 4, 2 or 1; -1 for any other interval.
constexpr int PollingCodeOfInterval(int intervalMs) {
    for (const PollingRate& rate : kPollingRates) {
        if (rate.intervalMs == intervalMs) {
            return rate.code;
        }
    }
    return -1;
}
