#include "monitor/osd_texts.h"

#include "common/polling_rate.h"

#include <cstdio>
#include <cstring>

namespace {
constexpr int kDpiByCode[15] = {0, 250, 500, 750, 1000, 1250, 1500, 1750, 2000, 2500, 3000, 3500, 4000, 5500, 7250};
} // namespace

int DpiOfCode(int code) {
    if (code < 1 || code > 14) {
        return 0;
    }
    return kDpiByCode[code];
}

std::string DpiText(int code) {
    const int dpi = DpiOfCode(code);
    if (dpi == 0) {
        return {};
    }
    return std::to_string(dpi) + " DPI";
}

std::string PollingText(int pollingRate) {
    const PollingRate* rate = PollingRateOfCode(pollingRate);
    return rate != nullptr ? std::to_string(rate->hertz) + " Hz" : std::string();
}

std::string CpiMessage(const ProfileRecord& profile) {
    if (profile.Cpi_X < 0 || profile.Cpi_X >= kDpiLevelCount) {
        return {};
    }
    const int dpi = DpiOfCode(profile.CpiLevel_X[profile.Cpi_X]);
    if (dpi == 0) {
        return {};
    }
    char text[32];
    std::snprintf(text, sizeof text, "CPI: %d", dpi);
    return text;
}

std::string SingleLineText(const std::string& text) {
    std::string line = text;
    for (char& c : line) {
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) {
            c = ' ';
        }
    }
    return line;
}

std::string EncodeStructValue(const uint8_t* data, size_t size) {
    static const char kHex[] = "0123456789ABCDEF";
    std::string text;
    text.reserve(size * 2 + 2);
    unsigned sum = 0;
    for (size_t i = 0; i < size; ++i) {
        text += kHex[data[i] >> 4];
        text += kHex[data[i] & 0xF];
        sum += data[i];
    }
    text += kHex[(sum >> 4) & 0xF];
    text += kHex[sum & 0xF];
    return text;
}
